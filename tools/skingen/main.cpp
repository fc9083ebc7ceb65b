// skingen: draws every picture and sound of the three windows.
//
//   skingen --out DIR            writes them under DIR (resources/skin) with
//                                DIR/MANIFEST.md
//   skingen --embed LAYOUT...    fills each layout's picture properties from
//                                resources/skin/<Name>/ beside it
//   skingen --sheet DIR          contact sheets and window mocks, for a look
#include "tools/skingen/Embed.h"
#include "tools/skingen/Manifest.h"
#include "tools/skingen/Sheet.h"
#include "tools/skingen/Skinart.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

int Usage() {
  std::cerr << "usage: skingen --out DIR | --embed LAYOUT... | --sheet DIR\n";
  return 2;
}

void WriteFile(const fs::path& Path, const std::vector<uint8_t>& Bytes) {
  fs::create_directories(Path.parent_path());
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
  if (!out.flush())
    throw std::runtime_error("cannot write " + Path.string());
}

void WriteAll(const fs::path& Folder) {
  const std::vector<TSkinFile> files = MakeSkinFiles();
  // A picture no longer made must not stay behind.
  std::set<std::string> layouts;
  for (const TSkinFile& file : files)
    layouts.insert(file.Layout);
  for (const std::string& layout : layouts)
    fs::remove_all(Folder / layout);
  for (const TSkinFile& file : files)
    WriteFile(Folder / file.Path(), file.Bytes());
  const std::string manifest = ManifestText(files);
  WriteFile(Folder / "MANIFEST.md", std::vector<uint8_t>(manifest.begin(), manifest.end()));
  std::cout << files.size() << " files written to " << Folder.string() << "\n";
}

void Embed(const std::string& Layout) {
  const TEmbedReport report = EmbedSkin(Layout, (fs::path(Layout).parent_path() / "skin").string());
  for (const std::string& skipped : report.Skipped)
    std::cout << "  skipped " << skipped << "\n";
  std::cout << Layout << ": " << report.Filled << " properties filled\n";
}

} // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 2)
    return Usage();
  try {
    if (args[0] == "--out" && args.size() == 2)
      WriteAll(args[1]);
    else if (args[0] == "--embed")
      for (std::size_t i = 1; i < args.size(); ++i)
        Embed(args[i]);
    else if (args[0] == "--sheet" && args.size() == 2)
      WriteSheets(MakeSkinFiles(), args[1]);
    else
      return Usage();
  } catch (const std::exception& e) {
    std::cerr << "skingen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
