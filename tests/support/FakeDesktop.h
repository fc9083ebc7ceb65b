#pragma once
// A desktop of the test's own: PATH, BROWSER and the XDG data folders point
// into a temporary folder, so that no real browser or desktop tool can start,
// and fake tools there record the arguments they were started with. The
// environment is put back when the object goes away.
#include "tests/support/TempDir.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class TFakeDesktop {
public:
  using Args = std::vector<std::string>;

  TFakeDesktop();
  ~TFakeDesktop();
  TFakeDesktop(const TFakeDesktop&) = delete;
  TFakeDesktop& operator=(const TFakeDesktop&) = delete;

  // A tool in bin/ that records its arguments, one a line, in records/<name>,
  // prints output and exits with exitCode. Returns its path.
  std::string Tool(const std::string& name, int exitCode, const std::string& output = "") const;
  // What the tool recorded; nullopt when it never ran.
  std::optional<Args> Recorded(const std::string& name) const;
  // Waits up to two seconds for the record of a tool that runs on its own.
  std::optional<Args> AwaitRecorded(const std::string& name) const;

  TTempDir dir;

private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};
