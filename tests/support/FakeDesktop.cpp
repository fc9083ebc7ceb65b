#include "tests/support/FakeDesktop.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

TFakeDesktop::TFakeDesktop() {
  for (const char* name : {"PATH", "BROWSER", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
    const char* v = std::getenv(name);
    saved.push_back({name, v != nullptr ? std::optional<std::string>(v) : std::nullopt});
  }
  std::filesystem::create_directories(dir.File("bin"));
  ::setenv("PATH", dir.File("bin").c_str(), 1);
  ::unsetenv("BROWSER");
  ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
  ::setenv("XDG_DATA_DIRS", dir.File("nodata").c_str(), 1);
}

TFakeDesktop::~TFakeDesktop() {
  for (const auto& [name, value] : saved)
    value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
}

std::string TFakeDesktop::Tool(const std::string& name, int exitCode,
                               const std::string& output) const {
  std::filesystem::create_directories(dir.File("records"));
  // Written aside and renamed, so that a reader never sees half a record.
  const std::string record = dir.File("records/" + name);
  const std::string path =
      dir.Write("bin/" + name, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".part'\n" +
                                   "/bin/mv '" + record + ".part' '" + record + "'\nprintf '" +
                                   output + "'\nexit " + std::to_string(exitCode) + "\n");
  ::chmod(path.c_str(), 0755);
  return path;
}

std::optional<TFakeDesktop::Args> TFakeDesktop::Recorded(const std::string& name) const {
  if (!std::filesystem::exists(dir.File("records/" + name)))
    return std::nullopt;
  Args args;
  const std::string text = ReadFileBytes(dir.File("records/" + name));
  for (size_t start = 0; start < text.size();) {
    const size_t nl = text.find('\n', start);
    args.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return args;
}

std::optional<TFakeDesktop::Args> TFakeDesktop::AwaitRecorded(const std::string& name) const {
  for (int i = 0; i < 200 && !Recorded(name); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return Recorded(name);
}
