#pragma once
// newsprobe: a development tool that runs one piece of the engine from the
// command line and prints what it did as JSON lines. Each subcommand lives in
// a file of its own and registers itself here.
#include <string>
#include <string_view>
#include <vector>

using TProbeArgs = std::vector<std::string>;
using TProbeRun = int (*)(const TProbeArgs& args);

struct TProbeCommand {
  const char* Name;
  const char* Usage;
  TProbeRun Run;
};

bool RegisterProbeCommand(const TProbeCommand& command);

#define NEWSPROBE_COMMAND(ident, name, usage, run)                                                 \
  [[maybe_unused]] static const bool ident##_registered = RegisterProbeCommand({name, usage, run})

// Returns the value after `--option` in args, or fallback; removes both from args.
std::string TakeOption(TProbeArgs& args, std::string_view option, const std::string& fallback = "");
// Prints the subcommand's usage to standard error and returns 2.
int ProbeUsage(const char* name);
