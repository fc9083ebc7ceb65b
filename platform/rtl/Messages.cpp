#include "platform/rtl/Messages.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "platform/rtl/Codepage.h"

namespace {

std::atomic<TMessageBoxHook> Hook{nullptr};

int FirstButton(int flags) {
  switch (flags & 0xF) {
  case MB_YESNO:
    return IDYES;
  default:
    return IDOK;
  }
}

} // namespace

int MessageBox(const char* text, const char* caption, int flags) {
  if (TMessageBoxHook hook = Hook.load())
    return hook(text ? text : "", caption ? caption : "", flags);
  const std::string line =
      Cp1252ToUtf8(caption ? caption : "") + ": " + Cp1252ToUtf8(text ? text : "") + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  return FirstButton(flags);
}

void SetMessageBoxHook(TMessageBoxHook hook) {
  Hook.store(hook);
}
