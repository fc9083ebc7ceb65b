#include "platform/rtl/Resources.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const TStringResource kTable[] = {
    {0, "More information :"},
    {127, "Script URL :"},
    {1040, "Ev\xE8nement news !"},
    {5000, ""},
};
const bool kRegistered = RegisterStringTable(kTable, std::size(kTable));

} // namespace

TEST(Resources, LoadsByIdAndAnswersZeroForAMissingOne) {
  ASSERT_TRUE(kRegistered);
  struct Case {
    unsigned id;
    int bufferMax;
    const char* text;
    int length;
  };
  const Case cases[] = {
      {0, 255, "More information :", 18},
      {127, 255, "Script URL :", 12},
      {1040, 255, "Ev\xE8nement news !", 16},
      {127, 7, "Script", 6}, // cut to fit with its terminator
      {127, 1, "", 0},
      {5000, 255, "", 0},
      {128, 255, "", 0},
      {2000, 255, "", 0},
  };
  for (const auto& c : cases) {
    char buffer[255];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(LoadString(nullptr, c.id, buffer, c.bufferMax), c.length) << c.id;
    EXPECT_STREQ(buffer, c.text) << c.id;
    EXPECT_EQ(buffer[c.bufferMax < 255 ? c.bufferMax : 254], 'X') << "wrote past the buffer";
  }
  EXPECT_EQ(LoadString(nullptr, 0, nullptr, 10), 0);
  EXPECT_EQ(LoadStr(1040), "Ev\xE8nement news !");
  EXPECT_EQ(LoadStr(7), "");
}

TEST(Resources, ALaterTableReplacesAnId) {
  const TStringResource first[] = {{9001, "old"}, {9002, "stays"}};
  const TStringResource second[] = {{9001, "new"}};
  RegisterStringTable(first, std::size(first));
  RegisterStringTable(second, std::size(second));
  EXPECT_EQ(LoadStr(9001), "new");
  EXPECT_EQ(LoadStr(9002), "stays");
}
