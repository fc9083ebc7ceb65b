#include "platform/rtl/Fileutils.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

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
