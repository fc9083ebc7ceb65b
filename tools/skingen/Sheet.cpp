#include "tools/skingen/Sheet.h"

#include "platform/rtl/Streams.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

const TRgb kLight = Rgb(0xEDEDED);
const TRgb kDark = Rgb(0x1A1A1A);
constexpr int kGap = 8;

// What the stored file holds, read back as the controls will read it.
TSkinCanvas Stored(const TSkinFile& File) {
  const std::vector<uint8_t> bytes = File.Bytes();
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  TBitmap bitmap;
  bitmap.LoadFromStream(&stream);
  TSkinCanvas shown(bitmap.Width(), bitmap.Height(), TRgb{});
  for (int y = 0; y < shown.Height(); ++y)
    for (int x = 0; x < shown.Width(); ++x) {
      const TColor c = ColorToRGB(bitmap.Canvas()->Pixels(x, y));
      shown.SetPixel(x, y, Rgb((c & 255) << 16 | (c & 0xFF00) | (c >> 16 & 255)));
    }
  return shown;
}

// One picture four times: 1x and 3x, each on the light and the dark ground.
TSkinCanvas Block(const TSkinCanvas& Picture) {
  const TSkinCanvas big = Picture.Scaled(3);
  const int w = Picture.Width(), h = big.Height();
  TSkinCanvas block(2 * (w + big.Width() + 2 * kGap), h + 2 * kGap, kLight);
  const int half = block.Width() / 2;
  block.FillRect(half, 0, block.Width(), block.Height(), kDark);
  for (const int left : {0, half}) {
    block.Draw(Picture, left + kGap, kGap);
    block.Draw(big, left + 2 * kGap + w, kGap);
  }
  return block;
}

// Blocks left to right, a new row when one would pass Width.
TSkinCanvas Pack(const std::vector<TSkinCanvas>& Blocks, int Width) {
  std::vector<std::pair<int, int>> places;
  int x = 0, y = 0, rowHeight = 0, widest = 0;
  for (const TSkinCanvas& b : Blocks) {
    if (x > 0 && x + b.Width() > Width) {
      x = 0;
      y += rowHeight + 2;
      rowHeight = 0;
    }
    places.emplace_back(x, y);
    x += b.Width() + 2;
    widest = std::max(widest, x);
    rowHeight = std::max(rowHeight, b.Height());
  }
  TSkinCanvas sheet(widest, y + rowHeight, Rgb(0x808080));
  for (std::size_t i = 0; i < Blocks.size(); ++i)
    sheet.Draw(Blocks[i], places[i].first, places[i].second);
  return sheet;
}

void WritePng(const TSkinCanvas& Picture, const fs::path& Path) {
  const fs::path bmp = fs::path(Path).replace_extension(".bmp");
  Picture.ToBitmap()->SaveToFile(bmp.string());
  const std::string command = "convert '" + bmp.string() + "' '" + Path.string() + "'";
  if (std::system(command.c_str()) != 0)
    throw std::runtime_error("convert failed for " + Path.string());
  fs::remove(bmp);
}

std::string AsKey(const std::vector<uint8_t>& Bytes) {
  return std::string(Bytes.begin(), Bytes.end());
}

} // namespace

void WriteSheets(const std::vector<TSkinFile>& Files, const std::string& Folder) {
  fs::create_directories(Folder);
  std::vector<TSkinCanvas> small;
  // Keyed by the bytes as a string: an ordered map of byte vectors made GCC 12
  // at -O3 warn of an impossible memcmp bound.
  std::unordered_set<std::string> seen;
  std::map<std::string, std::vector<TSkinCanvas>> windows;
  for (const TSkinFile& file : Files) {
    if (!file.Sound.empty() || !seen.insert(AsKey(file.Bytes())).second)
      continue;
    const TSkinCanvas shown = Stored(file);
    if (shown.Width() > 64)
      windows[file.Layout].push_back(Block(shown));
    else
      small.push_back(Block(shown));
  }
  WritePng(Pack(small, 1400), fs::path(Folder) / "skin-sheet.png");
  for (const auto& [layout, blocks] : windows)
    WritePng(Pack(blocks, 1), fs::path(Folder) / ("skin-sheet-" + layout + ".png"));
  for (const TWindowMock& mock : MakeWindowMocks(Files))
    WritePng(mock.Picture.Scaled(2), fs::path(Folder) / ("mock-" + mock.Layout + ".png"));
}
