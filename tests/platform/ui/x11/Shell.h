#pragma once
// What a shell command prints, for the X server tests' tools (xdotool,
// import, convert).
#include <cstdio>
#include <string>

inline std::string Shell(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr)
    return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, p) != nullptr)
    out += buffer;
  pclose(p);
  return out;
}
