#include "platform/rtl/Messages.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Shown;
int ShowBox(const char* text, const char* caption, int flags) {
  Shown = std::string(caption) + "|" + text + "|" + std::to_string(flags);
  return IDNO;
}
} // namespace

TEST(Messages, DefaultWritesToStandardErrorAndHookReplacesIt) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBox("Incorrect source file", "Error"), IDOK);
  EXPECT_EQ(MessageBox("Confirm \xE9t\xE9", "Ask", MB_YESNO), IDYES);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: Incorrect source file\nAsk: Confirm \xC3\xA9t\xC3\xA9\n");

  SetMessageBoxHook(ShowBox);
  EXPECT_EQ(MessageBox("text", "caption", MB_YESNO), IDNO);
  EXPECT_EQ(Shown, "caption|text|4");
  SetMessageBoxHook(nullptr);
  testing::internal::CaptureStderr();
  MessageBox("back", "Default");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Default: back\n");
}
