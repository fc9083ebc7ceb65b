#include "platform/rtl/Copydata.h"
#include "platform/rtl/Filemapping.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const char* const kHelper = WT_BINARY_DIR "/tests/platform/rtl/rendezvous_helper";

// Another instance, as a process of its own.
class TInstance : public TChildProcess {
public:
  explicit TInstance(const std::vector<std::string>& args) : TChildProcess(kHelper, args) {}
};

class RendezvousTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    saved = old != nullptr ? old : "";
    ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
  }
  void TearDown() override {
    saved.empty() ? ::unsetenv("XDG_RUNTIME_DIR") : ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  }
  static HANDLE Create(const std::string& name) {
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0, 4,
                              name.c_str());
  }
  static uint32_t ReadHandle(const std::string& name) {
    HANDLE m = OpenFileMappingA(FILE_MAP_READ, 0, name.c_str());
    if (m == nullptr)
      return 0;
    const auto* view = static_cast<const uint32_t*>(MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0));
    const uint32_t value = view != nullptr ? *view : 0;
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_TRUE(CloseHandle(m));
    return value;
  }

  TTempDir dir;
  std::string saved;
  // A marker as the program makes one: its own full path.
  const std::string marker = "/opt/welka tidor/bin/welkatidor";
};

} // namespace

TEST_F(RendezvousTest, SecondProcessSeesAlreadyExistsAlsoAfterTheFirstWasKilled) {
  auto first = std::make_unique<TInstance>(std::vector<std::string>{marker});
  ASSERT_EQ(first->Line(), "first");
  const std::string handleLine = first->Line();

  // This process and another real one both find the first instance.
  SetLastError(0);
  HANDLE mine = Create(marker);
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  TInstance second({marker});
  EXPECT_EQ(second.Line(), "exists");
  EXPECT_EQ(second.Line(), handleLine);
  EXPECT_EQ("handle " + std::to_string(ReadHandle(marker)), handleLine);
  EXPECT_TRUE(CloseHandle(mine));

  // A crash frees the name: the next start is the first again.
  first->Kill();
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, 0, marker.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  TInstance third({marker});
  EXPECT_EQ(third.Line(), "first");
  const std::string thirdHandle = third.Line();
  EXPECT_NE(thirdHandle, handleLine);
  TInstance fourth({marker});
  EXPECT_EQ(fourth.Line(), "exists");
  EXPECT_EQ(fourth.Line(), thirdHandle);

  // Another marker (the program started from another path) is free.
  SetLastError(ERROR_ALREADY_EXISTS);
  HANDLE other = Create(marker + "2");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(other);
}

TEST_F(RendezvousTest, CommandLinesReachTheFirstInstance) {
  TInstance first({marker});
  ASSERT_EQ(first.Line(), "first");
  first.Line();
  const char* lines[] = {"--minimized http://example.com/", ""};
  for (const char* line : lines) {
    TInstance second({marker, line});
    EXPECT_EQ(second.Line(), "exists");
    second.Line();
    EXPECT_EQ(second.Line(), "reply 1");
    EXPECT_EQ(first.Line(), std::string("received ") + line);
  }
}

TEST_F(RendezvousTest, MessagesAreDeliveredOnTheMainThreadAndAnsweredOnce) {
  std::vector<std::string> received;
  TCopyDataWindow window([&](DWORD sender, const COPYDATASTRUCT& data) -> LRESULT {
    EXPECT_TRUE(IsMainThread());
    EXPECT_EQ(sender, 77u);
    received.emplace_back(static_cast<const char*>(data.lpData), data.cbData);
    if (data.dwData == 1) {
      EXPECT_TRUE(ReplyMessage(5));
      EXPECT_FALSE(ReplyMessage(6)); // one answer only
    }
    return 9;
  });
  ASSERT_NE(window.Handle(), 0u);
  struct Case {
    uintptr_t word;
    LRESULT reply;
  };
  const Case cases[] = {{0, 9}, {1, 5}};
  for (const auto& c : cases) {
    char text[] = "abc";
    LRESULT reply = -1;
    std::thread sender([&] {
      reply = SendCopyData(window.Handle(), 77, COPYDATASTRUCT{c.word, 4, text});
    });
    while (received.size() < static_cast<size_t>(&c - cases + 1))
      CheckSynchronize(10);
    sender.join();
    EXPECT_EQ(reply, c.reply);
  }
  EXPECT_EQ(received, (std::vector<std::string>{std::string("abc", 4), std::string("abc", 4)}));
  EXPECT_FALSE(ReplyMessage(1)); // no message is being handled now
  char text[] = "x";
  EXPECT_EQ(SendCopyData(window.Handle() + 2, 0, COPYDATASTRUCT{0, 2, text}), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(RendezvousTest, MappingsInOneProcessShareTheirBytes) {
  HANDLE first = Create(marker);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  auto* view = static_cast<uint32_t*>(MapViewOfFile(first, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(*view, 0u);
  *view = 0xDEADBEEF;
  HANDLE again = Create(marker);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadHandle(marker), 0xDEADBEEFu);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_FALSE(UnmapViewOfFile(view));
  CloseHandle(again);
  CloseHandle(first);

  // The name is free again and a new block starts zeroed.
  HANDLE fresh = Create(marker);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(ReadHandle(marker), 0u);
  HANDLE reader = OpenFileMappingA(FILE_MAP_READ, 0, marker.c_str());
  EXPECT_EQ(MapViewOfFile(reader, FILE_MAP_WRITE, 0, 0, 0), nullptr);  // read-only handle
  EXPECT_EQ(MapViewOfFile(fresh, FILE_MAP_READ, 0, 0, 4096), nullptr); // beyond the block
  CloseHandle(reader);
  CloseHandle(fresh);

  EXPECT_EQ(CreateFileMappingA(nullptr, nullptr, PAGE_READWRITE, 0, 4, "x"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0, "x"), nullptr);
}
