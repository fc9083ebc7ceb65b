#include "platform/rtl/Fileutils.h"

#include <gtest/gtest.h>

#include "tests/support/Privileges.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

TEST(Fileutils, PathParts) {
  struct Case {
    const char *path, *dirWithSlash, *dir, *name, *ext, *asIni;
  };
  const Case cases[] = {
      {"/opt/wt/welka.exe", "/opt/wt/", "/opt/wt", "welka.exe", ".exe", "/opt/wt/welka.INI"},
      {"welka", "", "", "welka", "", "welka.INI"},
      {"/a.b/c", "/a.b/", "/a.b", "c", "", "/a.b/c.INI"},
      {"/x", "/", "/", "x", "", "/x.INI"},
      {"d/.hidden", "d/", "d", ".hidden", ".hidden", "d/.INI"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.path), c.dirWithSlash) << c.path;
    EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    EXPECT_EQ(ChangeFileExt(c.path, ".INI"), c.asIni) << c.path;
  }
  EXPECT_EQ(IncludeTrailingPathDelimiter("a"), "a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("a/"), "a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("a/"), "a");
}

TEST(Fileutils, Masks) {
  struct Case {
    const char *name, *mask;
    bool match;
  };
  const Case cases[] = {
      {"page00001.htm", "*.htm", true},
      {"page.HTM", "*.htm", true},
      {"page.html", "*.htm", false},
      {"a.htm", "?.htm", true},
      {"ab.htm", "?.htm", false},
      {"abc", "a*c", true},
      {"ac", "a*c", true},
      {"abcd", "a*c", false},
      {"x", "*", true},
      {"", "*", true},
      {"a*b", "a**b", true},
      {"abc", "a?", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

TEST(Fileutils, FoldersAndFiles) {
  TTempDir tmp;
  const AnsiString deep = tmp.File("cache/a/b");
  EXPECT_FALSE(CreateDir(deep)) << "a missing parent must make CreateDir fail";
  ASSERT_TRUE(ForceDirectories(deep + "/"));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep)) << "an existing folder counts as made";
  EXPECT_FALSE(FileExists(deep)) << "a folder is not a file";

  tmp.Write("cache/one00001.htm", "x");
  tmp.Write("cache/two00002.HTM", "x");
  tmp.Write("cache/keep.txt", "x");
  EXPECT_EQ(FindFiles(tmp.File("cache"), "*.htm"),
            (std::vector<AnsiString>{"one00001.htm", "two00002.HTM"}));
  EXPECT_EQ(FindFiles(tmp.File("cache"), "*", true),
            (std::vector<AnsiString>{"a", "keep.txt", "one00001.htm", "two00002.HTM"}));
  EXPECT_TRUE(FindFiles(tmp.File("missing"), "*").empty());

  const AnsiString file = tmp.File("cache/keep.txt");
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(DeleteFile(file));
  EXPECT_FALSE(FileExists(file));
  EXPECT_TRUE(DeleteFile(file)) << "a file already gone counts as deleted";
  EXPECT_FALSE(DeleteFile(deep)) << "a folder is not deleted as a file";
  // A file where a folder should go stops ForceDirectories.
  tmp.Write("blocker", "x");
  EXPECT_FALSE(ForceDirectories(tmp.File("blocker/sub")));
}

TEST(Fileutils, ExecutablePath) {
  const AnsiString exe = ParamStr(0);
  EXPECT_TRUE(FileExists(exe)) << exe;
  EXPECT_EQ(ExtractFileName(exe), "rtl_tests");
  EXPECT_EQ(ParamStr(1), "");
}

namespace {

struct stat LinkStat(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

bool WriteText(const AnsiString& fileName, const std::string& text) {
  return WriteFileSafely(fileName, [&text](FILE* file) { std::fputs(text.c_str(), file); });
}

} // namespace

// A link planted where the old writer put its temporary file ("<name>.tmp")
// leads the save nowhere: the file it points at is left alone and the saved
// file is a plain file of its own.
TEST(Fileutils, ASafeWriteNeverWritesThroughAPlantedLink) {
  TTempDir tmp;
  const std::string victim = tmp.Write("victim.txt", "precious");
  const std::string news = tmp.Write("welkatidor.NDT", "old news");
  ASSERT_EQ(::symlink(victim.c_str(), (news + ".tmp").c_str()), 0);
  ASSERT_TRUE(WriteText(news, "new news"));
  EXPECT_EQ(ReadFileBytes(victim), "precious");
  EXPECT_EQ(ReadFileBytes(news), "new news");
  EXPECT_TRUE(S_ISREG(LinkStat(news).st_mode));
  // Only what was there before and the new file: no temporary left behind.
  EXPECT_EQ(FindFiles(tmp.Path(), "*"),
            (std::vector<AnsiString>{"victim.txt", "welkatidor.NDT", "welkatidor.NDT.tmp"}));
}

// The new file takes over the old one's permissions; a data file that is a
// link stays that link and the file it leads to is replaced; a link that
// leads nowhere is replaced itself, and nothing is made where it pointed.
TEST(Fileutils, ASafeWriteKeepsModesAndLinks) {
  TTempDir tmp;
  const mode_t savedMask = ::umask(022);
  const std::string privateFile = tmp.Write("private.NDT", "old");
  ASSERT_EQ(::chmod(privateFile.c_str(), 0600), 0);
  const std::string shared = tmp.Write("shared.NDT", "old");
  ASSERT_EQ(::chmod(shared.c_str(), 0664), 0);
  const std::string fresh = tmp.File("fresh.NDT");
  const std::string target = tmp.Write("elsewhere/real.NDT", "old");
  const std::string linked = tmp.File("linked.NDT");
  ASSERT_EQ(::symlink(target.c_str(), linked.c_str()), 0);
  const std::string dangling = tmp.File("dangling.NDT");
  const std::string nowhere = tmp.File("nowhere.NDT");
  ASSERT_EQ(::symlink(nowhere.c_str(), dangling.c_str()), 0);

  struct Case {
    std::string path;
    mode_t mode;
  };
  const Case cases[] = {{privateFile, 0600}, {shared, 0664}, {fresh, 0644}, {target, 0644}};
  for (const std::string& path : {privateFile, shared, fresh, linked, dangling})
    ASSERT_TRUE(WriteText(path, "new")) << path;
  ::umask(savedMask);
  for (const Case& c : cases) {
    EXPECT_EQ(ReadFileBytes(c.path), "new") << c.path;
    EXPECT_EQ(LinkStat(c.path).st_mode & 07777, c.mode) << c.path;
  }
  EXPECT_TRUE(S_ISLNK(LinkStat(linked).st_mode));
  EXPECT_TRUE(S_ISREG(LinkStat(dangling).st_mode));
  EXPECT_EQ(ReadFileBytes(dangling), "new");
  EXPECT_FALSE(std::filesystem::exists(nowhere));
  EXPECT_EQ(FindFiles(tmp.File("elsewhere"), "*"), (std::vector<AnsiString>{"real.NDT"}));
}

// A write that fails half-way, as on a full disk, leaves the old file and no
// temporary one.
TEST(Fileutils, AFailedSafeWriteLeavesTheOldFileAlone) {
  TTempDir tmp;
  const std::string news = tmp.Write("welkatidor.NDT", "old news");
  {
    TFileSizeLimit full(4);
    EXPECT_FALSE(WriteText(news, std::string(100000, 'x')));
  }
  EXPECT_EQ(ReadFileBytes(news), "old news");
  EXPECT_EQ(FindFiles(tmp.Path(), "*"), (std::vector<AnsiString>{"welkatidor.NDT"}));
  EXPECT_FALSE(WriteText(tmp.File("no/such/folder/x.NDT"), "x"));
}
