#include "platform/shell/Fileurl.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

// What a file link names: its escapes decoded, only the local host, and no
// escape that is broken or makes a zero byte.
TEST(FileUrl, PathsOfFileLinks) {
  struct Case {
    std::string url;
    bool isFile;
    std::string path;
  };
  const Case cases[] = {
      {"file:///tmp/a%20b/%2e%2E/c.htm", true, "/tmp/a b/../c.htm"},
      {"FILE://localhost/x%25y", true, "/x%y"},
      {"file://LocalHost/x", true, "/x"},
      {"file://example.org/x", false, ""},
      {"file://", false, ""},
      {"file:/x", false, ""},
      {"http://h/x", false, ""},
      {"file:///x%2", false, ""},
      {"file:///x%zz", false, ""},
      {"file:///x%00y", false, ""},
      {std::string("file:///x\0/../y", 15), false, ""},
  };
  for (const Case& c : cases) {
    AnsiString path;
    const bool isFile = FileUrlPath(c.url, path);
    EXPECT_EQ(isFile, c.isFile) << c.url;
    EXPECT_EQ(isFile ? path : AnsiString(), c.path) << c.url;
  }
  EXPECT_EQ(FileUrlOf("/opt/welka tidor/cache/a#b%c\"d.htm"),
            "file:///opt/welka%20tidor/cache/a%23b%25c%22d.htm");
}

// Inside the folder is judged on resolved paths; the answer is the link of
// the resolved file, whatever the link's own spelling.
TEST(FileUrl, OnlyFilesInsideTheFolderAreHandedOn) {
  TTempDir dir;
  dir.Write("cache dir/a.htm", "x");
  dir.Write("cache dirt/b.htm", "x");
  dir.Write("secret", "x");
  std::filesystem::create_symlink(dir.File("secret"), dir.File("cache dir/link.htm"));
  const std::string folder = dir.File("cache dir");
  const std::string resolved = FileUrlOf(dir.File("cache dir/a.htm"));
  struct Case {
    std::string url;
    std::string handed;
  };
  const Case cases[] = {
      {"file://" + dir.File("cache%20dir/a.htm"), resolved},
      {"file://" + dir.File("cache dir/./x/../a.htm"), resolved},
      {"file://" + dir.File("cache dir/%2e%2e/secret"), ""},
      {"file://" + dir.File("cache dir/link.htm"), ""},
      {"file://" + dir.File("cache dirt/b.htm"), ""},
      {"file://" + dir.File("cache dir"), ""},
      {"file://" + dir.File("cache dir/"), ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FileUrlInsideFolder(c.url, folder), c.handed) << c.url;
  EXPECT_EQ(FileUrlInsideFolder("file://" + dir.File("cache dir/a.htm"), ""), "");
}
