#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "tools/newsprobe/Probe.h"

namespace {

std::map<std::string, TProbeCommand>& Commands() {
  static std::map<std::string, TProbeCommand> commands;
  return commands;
}

int Usage() {
  std::fprintf(stderr, "usage: newsprobe COMMAND [ARGS]\n");
  for (const auto& [name, command] : Commands())
    std::fprintf(stderr, "  newsprobe %s\n", command.Usage);
  return 2;
}

} // namespace

bool RegisterProbeCommand(const TProbeCommand& command) {
  Commands()[command.Name] = command;
  return true;
}

std::string TakeOption(TProbeArgs& args, std::string_view option, const std::string& fallback) {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] != option)
      continue;
    std::string value = args[i + 1];
    args.erase(args.begin() + i, args.begin() + i + 2);
    return value;
  }
  return fallback;
}

int ProbeUsage(const char* name) {
  auto it = Commands().find(name);
  if (it != Commands().end())
    std::fprintf(stderr, "usage: newsprobe %s\n", it->second.Usage);
  return 2;
}

int main(int argc, char** argv) {
  if (argc < 2)
    return Usage();
  auto it = Commands().find(argv[1]);
  if (it == Commands().end())
    return Usage();
  TProbeArgs args(argv + 2, argv + argc);
  return it->second.Run(args);
}
