#include "platform/rtl/Copydata.h"
#include "platform/rtl/Filemapping.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/Privileges.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

bool IsPrivateFolderOfMine(const std::string& folder) {
  struct stat st;
  return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
         (st.st_mode & 077) == 0;
}

} // namespace

// Whatever another user put at the runtime folder's name first, the process
// gets a private folder of its own and its blocks work; nothing of it goes
// where another user could see it.
TEST_F(RendezvousTest, ARuntimeFolderTakenByAnotherUserIsNeverUsed) {
  ::unsetenv("XDG_RUNTIME_DIR");
  const char* oldTemp = std::getenv("TMPDIR");
  const std::string savedTemp = oldTemp != nullptr ? oldTemp : "";
  ::setenv("TMPDIR", dir.Path().c_str(), 1);
  const std::string name = dir.File("wt-runtime-" + std::to_string(::getuid()));
  const std::string mine = dir.File("mine");
  ASSERT_EQ(::mkdir(mine.c_str(), 0700), 0);
  // Each way of taking the name; the function undoes it for the next.
  struct Case {
    const char* what;
    std::function<void()> take;
  };
  const Case cases[] = {
      {"another user's folder",
       [&] {
         ::mkdir(name.c_str(), 0700);
         ::chown(name.c_str(), NobodyUid, NobodyGid);
       }},
      {"a folder open to all",
       [&] {
         ::mkdir(name.c_str(), 0777);
         ::chmod(name.c_str(), 0777);
       }},
      {"a link to a folder", [&] { ::symlink(mine.c_str(), name.c_str()); }},
      {"a file", [&] { dir.Write("wt-runtime-" + std::to_string(::getuid()), "x"); }},
  };
  for (const Case& c : cases) {
    c.take();
    const std::string folder = UserRuntimeFolder();
    EXPECT_NE(folder, name) << c.what;
    EXPECT_EQ(folder.rfind(name, 0), 0u) << c.what << ": " << folder;
    EXPECT_TRUE(IsPrivateFolderOfMine(folder)) << c.what << ": " << folder;
    SetLastError(ERROR_ALREADY_EXISTS);
    HANDLE block = Create(marker);
    EXPECT_NE(block, nullptr) << c.what;
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << c.what;
    CloseHandle(block);
    std::filesystem::remove_all(name);
  }
  EXPECT_TRUE(std::filesystem::is_empty(mine));

  // A runtime folder that others may enter is no runtime folder either.
  const std::string open = dir.File("open");
  ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
  ::setenv("XDG_RUNTIME_DIR", open.c_str(), 1);
  EXPECT_EQ(UserRuntimeFolder(), name);
  EXPECT_TRUE(IsPrivateFolderOfMine(name));
  savedTemp.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", savedTemp.c_str(), 1);
}

// One holder at a time, whoever asks: this process again, or another user.
// The lock ends with its handle; a link at the lock's name is never followed.
TEST_F(RendezvousTest, AFileLockHasOneHolderWhoeverAsks) {
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  const std::string path = dir.File("welkatidor.lock");
  const auto refusedToNobody = [&path] {
    HANDLE lock = LockFileExclusively(path);
    const bool refused = lock == nullptr && GetLastError() == ERROR_LOCK_VIOLATION;
    CloseHandle(lock);
    return refused ? 0 : 1;
  };
  const mode_t savedMask = ::umask(077);
  HANDLE held = LockFileExclusively(path);
  ::umask(savedMask);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0644));
  EXPECT_EQ(LockFileExclusively(path), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_LOCK_VIOLATION);
  EXPECT_EQ(RunAsNobody(refusedToNobody), 0);
  EXPECT_TRUE(CloseHandle(held));
  EXPECT_EQ(RunAsNobody(refusedToNobody), 1) << "a freed lock is free for all";
  HANDLE again = LockFileExclusively(path);
  EXPECT_NE(again, nullptr);
  CloseHandle(again);

  const std::string victim = dir.File("victim");
  const std::string planted = dir.File("planted.lock");
  ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
  EXPECT_EQ(LockFileExclusively(planted), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(std::filesystem::exists(victim));
}
