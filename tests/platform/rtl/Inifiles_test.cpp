#include "platform/rtl/Inifiles.h"

#include "tests/support/Privileges.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("wt-ini-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    path = (dir / "welka.INI").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  void Put(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }
  std::string Contents() const {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  size_t FilesInDir() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                             std::filesystem::directory_iterator()));
  }

  std::filesystem::path dir;
  std::string path;
};

} // namespace

TEST_F(IniFileTest, ReadsIgnoringCaseAndTrimming) {
  Put("; written by hand\r\n"
      "orphan=before any section\n"
      "[Connection]\n"
      "  ProxyHost =  proxy.local  \n"
      "ProxyScript=\"http://x/p.pac\"\n"
      "Quoted=' kept inside '\n"
      "Lonely\"=\"\n"
      "[misc]\r\n"
      "Bip=0\r\n"
      "Language=1000\r\n"
      "Empty=\r\n");
  TIniFile ini(path);
  struct Case {
    const char *section, *key, *expected;
  };
  const Case cases[] = {
      {"connection", "PROXYHOST", "proxy.local"},
      {"Connection", "ProxyScript", "http://x/p.pac"},
      {"Connection", "Quoted", " kept inside "},
      {"Connection", "Bip", "default"}, // keys belong to their section
      {"Misc", "Empty", ""},
      {"Misc", "Missing", "default"},
      {"Nowhere", "orphan", "default"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ini.ReadString(c.section, c.key, "default"), c.expected) << c.section << "/" << c.key;
  EXPECT_FALSE(ini.ReadBool("Misc", "Bip", true));
  EXPECT_TRUE(ini.ReadBool("Misc", "Missing", true));
  EXPECT_EQ(ini.ReadInteger("MISC", "language", 0), 1000);
  EXPECT_TRUE(ini.SectionExists("MISC"));
  EXPECT_FALSE(ini.SectionExists("Hint"));
  EXPECT_TRUE(ini.ValueExists("misc", "empty"));

  TStringList keys;
  ini.ReadSection("misc", keys);
  EXPECT_EQ(keys.CommaText(), "Bip,Language,Empty");
  ini.ReadSections(keys);
  EXPECT_EQ(keys.CommaText(), "Connection,misc");
}

TEST_F(IniFileTest, IntegersFallBackToTheDefaultWhenNotANumber) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"604193827", 604193827},
      {"-25", -25},
      {"+7", 7},
      {"$1F", 31},
      {"0x10", 16},
      {"$FFFFFFFF", -1},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"2147483648", 99},
      {"12abc", 99},
      {"", 99},
      {"abc", 99},
      {"1 2", 99},
      {"$", 99},
      {"--1", 99},
  };
  for (const auto& c : cases) {
    Put(std::string("[Request]\nTimeOut=") + c.text + "\n");
    EXPECT_EQ(TIniFile(path).ReadInteger("Request", "TimeOut", 99), c.expected) << c.text;
  }
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndReadingCreatesNothing) {
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Connection", "ProxyPort", "80"), "80");
  EXPECT_EQ(ini.ReadInteger("Hint", "Pause", 500), 500);
  EXPECT_FALSE(std::filesystem::exists(path));
  TStringList keys;
  keys.Add("stale");
  ini.ReadSection("Hint", keys);
  EXPECT_EQ(keys.Count(), 0);
}

TEST_F(IniFileTest, WritingKeepsEverythingElse) {
  Put("; comment line\r\n"
      "[Misc]\r\n"
      "Debug=604193827\r\n"
      "bip=1\r\n"
      "Unknown=keep me\r\n"
      "\r\n"
      "[Private.Section]\r\n"
      "a=b\r\n");
  TIniFile ini(path);
  ini.WriteInteger("MISC", "Bip", 0);          // replaces in place
  ini.WriteString("Misc", "Language", "1000"); // new key joins its section
  ini.WriteBool("Request", "Enabled", true);   // new section at the end
  ini.WriteString("private.section", "A", "c");
  EXPECT_EQ(Contents(), "; comment line\r\n"
                        "[Misc]\r\n"
                        "Debug=604193827\r\n"
                        "Bip=0\r\n"
                        "Unknown=keep me\r\n"
                        "Language=1000\r\n"
                        "\r\n"
                        "[Private.Section]\r\n"
                        "A=c\r\n"
                        "\r\n"
                        "[Request]\r\n"
                        "Enabled=1\r\n");
  EXPECT_EQ(TIniFile(path).ReadInteger("misc", "debug", 0), 604193827);
  EXPECT_EQ(FilesInDir(), 1u); // no temporary file left behind
}

TEST_F(IniFileTest, EraseSectionAndDeleteKey) {
  Put("[A]\nx=1\ny=2\n[B]\nz=3\n");
  TIniFile ini(path);
  ini.DeleteKey("a", "X");
  ini.DeleteKey("a", "missing");
  ini.EraseSection("Nowhere");
  EXPECT_EQ(Contents(), "[A]\r\ny=2\r\n[B]\r\nz=3\r\n");
  ini.EraseSection("A");
  EXPECT_EQ(Contents(), "[B]\r\nz=3\r\n");
  EXPECT_EQ(ini.ReadString("A", "y", "gone"), "gone");
}

TEST_F(IniFileTest, WriteIntoNewFileAndBackKeepsTheValue) {
  TIniFile ini(path);
  const AnsiString values[] = {"caf\xE9 \x80", "a=b", "", "0"};
  for (const auto& v : values) {
    ini.WriteString("Font.Normal", "Name", v);
    EXPECT_EQ(TIniFile(path).ReadString("font.normal", "name", "?"), v);
  }
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFile) {
  const std::string old = "[Misc]\r\nBip=1\r\nUnknown=keep me\r\n";
  Put(old);
  TIniFile ini(path);

  // A file size limit makes the rewrite fail half-way, as a full disk would.
  {
    TFileSizeLimit full(static_cast<off_t>(old.size() + 8));
    EXPECT_THROW(ini.WriteString("Misc", "Big", std::string(200, 'x')), EIniFileException);
  }

  EXPECT_EQ(Contents(), old);
  EXPECT_EQ(FilesInDir(), 1u);

  TIniFile nowhere((dir / "no" / "such" / "x.ini").string());
  EXPECT_THROW(nowhere.WriteInteger("A", "b", 1), EIniFileException);
}

// A settings file that is there but cannot be read is never rebuilt from
// nothing: reads give the defaults, every change is refused, and the file (or
// whatever stands at its name) stays as it was. Unreadable here means a
// folder at its name, and a file of another user's that only they may read.
TEST_F(IniFileTest, AnUnreadableFileIsNeverWrittenOver) {
  const std::string old = "[Misc]\r\nBip=0\r\nLanguage=1000\r\n";
  // Every check the child makes: 0 when all hold, else the first that fails.
  const auto checks = [this] {
    TIniFile ini(path);
    if (!ini.Unreadable())
      return 1;
    if (ini.ReadInteger("Misc", "Language", 7) != 7 || ini.SectionExists("Misc"))
      return 2;
    try {
      ini.WriteInteger("Misc", "Language", 0);
      return 3;
    } catch (const EIniFileException&) {
    }
    try {
      ini.EraseSection("Misc");
      return 4;
    } catch (const EIniFileException&) {
    }
    return 0;
  };

  std::filesystem::create_directory(path);
  EXPECT_EQ(checks(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_TRUE(std::filesystem::is_empty(path));
  std::filesystem::remove(path);

  // The folder lets anybody make and rename files, so only the care of the
  // writer keeps the file.
  Put(old);
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
  EXPECT_EQ(RunAsNobody(checks), 0);
  EXPECT_EQ(Contents(), old);
  EXPECT_EQ(FilesInDir(), 1u);
  EXPECT_FALSE(TIniFile(path).Unreadable()) << "its owner still reads it";
  EXPECT_FALSE(TIniFile((dir / "missing.INI").string()).Unreadable());
}
