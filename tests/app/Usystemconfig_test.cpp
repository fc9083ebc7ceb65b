// The settings over a real INI file: defaults from a missing file, every key
// written and read back, what the program does not own kept, and the file
// names and window positions derived at start.
#include "app/Usystemconfig.h"
#include "app/Uvclfunctions.h"
#include "platform/ui/Forms.h"
#include "tests/support/Privileges.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

class Settings : public testing::Test {
protected:
  // Settings over an INI file of the test's folder, loaded.
  void LoadFrom(const std::string& text) {
    settings.SetFileNames(text.empty() ? dir.File("Watch.INI") : dir.Write("Watch.INI", text));
    ASSERT_TRUE(settings.Load());
  }

  TTempDir dir;
  CSystemConfigurator settings;
};

TEST_F(Settings, AMissingFileGivesEveryDefault) {
  EXPECT_EQ(settings.filterDelay, 1000);
  EXPECT_EQ(settings.ageStep, 5);
  EXPECT_EQ(settings.startDelay, 3);
  EXPECT_TRUE(settings.proxyPort.empty()); // "80" comes with Load
  EXPECT_EQ(SortKey, 0);
  EXPECT_FALSE(SortAscending);
  EXPECT_EQ(NormalFont->Color(), 255);
  EXPECT_EQ(NormalFont->Name(), "Arial");

  LoadFrom("");
  EXPECT_EQ(settings.newsColWidth, (std::array<int32_t, 3>{20, 40, 40}));
  EXPECT_EQ(settings.fullModeColWidth, (std::array<int32_t, 3>{20, 40, 40}));
  EXPECT_EQ(settings.wizColWidth, (std::array<int32_t, 4>{25, 50, 25, 60}));
  EXPECT_EQ(settings.hintHidePause, 2500);
  EXPECT_EQ(settings.hintShortPause, 50);
  EXPECT_EQ(settings.hintPause, 500);
  EXPECT_EQ(settings.maxTimeOut, 60);
  EXPECT_EQ(settings.timeOut, 20);
  EXPECT_EQ(settings.maxRequest, 3);
  EXPECT_FALSE(settings.autoProxy);
  EXPECT_FALSE(settings.useProxyScript);
  EXPECT_EQ(settings.proxyScript, "");
  EXPECT_FALSE(settings.enableProxy);
  EXPECT_EQ(settings.proxyHost, "");
  EXPECT_EQ(settings.proxyPort, "80");
  EXPECT_TRUE(settings.proxyOverride);
  EXPECT_EQ(HoursToKeep, 2500);
  EXPECT_EQ(settings.maxEvents, 2500);
  EXPECT_TRUE(settings.beep);
  EXPECT_FALSE(settings.debug);
  EXPECT_EQ(settings.language, 0);
  EXPECT_FALSE(settings.alwaysOnTop);
  EXPECT_EQ(settings.mainLeft, 25);
  EXPECT_EQ(settings.mainTop, 25);
  EXPECT_EQ(settings.wizardLeft, 25);
  EXPECT_EQ(settings.wizardTop, 25);
  EXPECT_EQ(settings.texts.GetString(40), "News items found");
  for (TFont* font : {NormalFont.get(), FullModeFont.get()}) {
    EXPECT_EQ(font->Color(), 0); // Load makes the constructor's red black
    EXPECT_EQ(font->Name(), "Arial");
    EXPECT_EQ(font->Size(), 8);
    EXPECT_TRUE(font->Style().Empty());
  }
  EXPECT_EQ(NormalBkgColor, 16776960);
  EXPECT_EQ(FullModeBkgColor, 16776960);
  EXPECT_EQ(NormalBkgShades[4], 16776960);
  EXPECT_EQ(NormalBkgShades[0], 0x333300);
  EXPECT_EQ(FullModeBkgShades[0], 0x333300);
  // Black text steps towards white.
  EXPECT_EQ(NormalTextShades[0], 0xCCCCCC);
  EXPECT_EQ(FullModeTextShades[4], 0);
  struct stat st;
  EXPECT_NE(::stat(settings.iniFile.c_str(), &st), 0); // reading made no file
}

TEST_F(Settings, EveryKeyWrittenReadsBack) {
  LoadFrom("");
  settings.newsColWidth = {101, 102, 103};
  settings.fullModeColWidth = {111, 112, 113};
  settings.wizColWidth = {121, 122, 123, 124};
  settings.mainLeft = 131;
  settings.mainTop = 132;
  settings.wizardLeft = 133;
  settings.wizardTop = 134;
  settings.hintHidePause = 1400;
  settings.hintShortPause = 70;
  settings.hintPause = 900;
  settings.maxTimeOut = 45;
  settings.timeOut = 33;
  settings.maxRequest = 7;
  settings.autoProxy = true;
  settings.useProxyScript = true;
  settings.proxyScript = "http://127.0.0.1:8080/proxy.pac";
  settings.enableProxy = true;
  settings.proxyHost = "127.0.0.1";
  settings.proxyPort = "3128";
  settings.proxyOverride = false;
  HoursToKeep = 72;
  settings.maxEvents = 600;
  settings.beep = false;
  settings.language = 1000;
  settings.alwaysOnTop = true;
  NormalFont->SetName("Verdana");
  NormalFont->SetColor(0x102030);
  NormalFont->SetSize(10);
  NormalFont->SetStyle({fsBold});
  FullModeFont->SetName("Tahoma");
  FullModeFont->SetPitch(fpVariable);
  FullModeFont->SetStyle({fsUnderline});
  NormalBkgColor = 0x405060;
  FullModeBkgColor = 0xE0F0FF;
  ASSERT_TRUE(settings.Save());

  // Everything back to the defaults, then from the file again.
  HoursToKeep = 0;
  CSystemConfigurator fresh;
  fresh.SetFileNames(settings.iniFile);
  ASSERT_TRUE(fresh.Load());
  EXPECT_EQ(fresh.newsColWidth, (std::array<int32_t, 3>{101, 102, 103}));
  EXPECT_EQ(fresh.fullModeColWidth, (std::array<int32_t, 3>{111, 112, 113}));
  EXPECT_EQ(fresh.wizColWidth, (std::array<int32_t, 4>{121, 122, 123, 124}));
  EXPECT_EQ(fresh.mainLeft, 131);
  EXPECT_EQ(fresh.mainTop, 132);
  EXPECT_EQ(fresh.wizardLeft, 133);
  EXPECT_EQ(fresh.wizardTop, 134);
  EXPECT_EQ(fresh.hintHidePause, 1400);
  EXPECT_EQ(fresh.hintShortPause, 70);
  EXPECT_EQ(fresh.hintPause, 900);
  EXPECT_EQ(fresh.maxTimeOut, 45);
  EXPECT_EQ(fresh.timeOut, 33);
  EXPECT_EQ(fresh.maxRequest, 7);
  EXPECT_TRUE(fresh.autoProxy);
  EXPECT_TRUE(fresh.useProxyScript);
  EXPECT_EQ(fresh.proxyScript, "http://127.0.0.1:8080/proxy.pac");
  EXPECT_TRUE(fresh.enableProxy);
  EXPECT_EQ(fresh.proxyHost, "127.0.0.1");
  EXPECT_EQ(fresh.proxyPort, "3128");
  EXPECT_FALSE(fresh.proxyOverride);
  EXPECT_EQ(HoursToKeep, 72);
  EXPECT_EQ(fresh.maxEvents, 600);
  EXPECT_FALSE(fresh.beep);
  EXPECT_EQ(fresh.language, 1000);
  EXPECT_EQ(fresh.texts.GetString(40), "Ev\xE8nement news !");
  EXPECT_TRUE(fresh.alwaysOnTop);
  EXPECT_EQ(NormalFont->Name(), "Verdana");
  EXPECT_EQ(NormalFont->Color(), 0x102030);
  EXPECT_EQ(NormalFont->Size(), 10);
  EXPECT_TRUE(NormalFont->Style() == TFontStyles({fsBold}));
  EXPECT_EQ(FullModeFont->Name(), "Tahoma");
  EXPECT_EQ(FullModeFont->Pitch(), fpVariable);
  EXPECT_TRUE(FullModeFont->Style() == TFontStyles({fsUnderline}));
  EXPECT_EQ(NormalBkgColor, 0x405060);
  EXPECT_EQ(FullModeBkgColor, 0xE0F0FF);
  // The tables follow the colours read: dark towards white, light towards black.
  TColor expected[5];
  MakeColorGradient(0x405060, expected, 5, -1);
  EXPECT_EQ(NormalBkgShades[0], expected[0]);
  MakeColorGradient(0xE0F0FF, expected, 5, 1);
  EXPECT_EQ(FullModeBkgShades[0], expected[0]);
  MakeColorGradient(0x102030, expected, 5, -1);
  EXPECT_EQ(NormalTextShades[0], expected[0]);

  const std::string text = ReadFileBytes(settings.iniFile);
  EXPECT_NE(text.find("[ColWidth.News]\r\nDate=101\r\nSource=102\r\nHeader=103\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("AutoProxy=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("Bkg=4214880\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Debug"), std::string::npos);
}

TEST_F(Settings, SavingKeepsWhatItDoesNotWrite) {
  LoadFrom("; kept comment\r\n"
           "[Other]\r\nKeep=me\r\n"
           "[Misc]\r\nDebug=604193827\r\nBip=0\r\nExtra=yes\r\n"
           "[ColWidth.Wizard]\r\nActive=11\r\nName=22\r\nUrl=33\r\n");
  EXPECT_TRUE(settings.debug);
  EXPECT_FALSE(settings.beep);
  settings.debug = false;
  settings.beep = true;
  ASSERT_TRUE(settings.Save());

  TIniFile ini(settings.iniFile);
  EXPECT_EQ(ini.ReadString("Other", "Keep", ""), "me");
  EXPECT_EQ(ini.ReadString("Misc", "Debug", ""), "604193827");
  EXPECT_EQ(ini.ReadString("Misc", "Extra", ""), "yes");
  EXPECT_EQ(ini.ReadString("Misc", "Bip", ""), "1");
  EXPECT_EQ(ini.ReadInteger("ColWidth.Wizard", "Url", 0), 33);
  EXPECT_NE(ReadFileBytes(settings.iniFile).find("; kept comment"), std::string::npos);
}

TEST_F(Settings, OddValuesFallBack) {
  LoadFrom("[misc]\r\ndebug=1\r\nlanguage=2000\r\n"
           "[Request]\r\nTimeOut=soon\r\nMaxRequest=0x0A\r\n"
           "[Font.Normal]\r\nBkg= 255abc\r\n"
           "[Font.Fullmode]\r\nBkg=none\r\nStyle.Underline=1\r\n");
  EXPECT_FALSE(settings.debug); // only the one value turns debug mode on
  EXPECT_EQ(settings.language, 2000);
  EXPECT_EQ(settings.texts.GetString(0), "Resource Not found !");
  EXPECT_EQ(settings.timeOut, 20);
  EXPECT_EQ(settings.maxRequest, 10);
  EXPECT_EQ(NormalBkgColor, 255);
  EXPECT_EQ(FullModeBkgColor, 0);
  EXPECT_TRUE(FullModeFont->Style().Contains(fsUnderline));
  EXPECT_FALSE(FullModeFont->Style().Contains(fsItalic));

  settings.SetLanguage(1000);
  EXPECT_EQ(settings.language, 1000);
  EXPECT_EQ(settings.texts.HeaderTitle, "R\xE9sum\xE9");
}

TEST_F(Settings, AFileThatCannotBeWrittenIsReported) {
  settings.SetFileNames(dir.File("missing/Watch.INI"));
  ASSERT_TRUE(settings.Load());
  EXPECT_FALSE(settings.Save());
}

TEST(SettingsFileNames, DerivedFromTheUpperCaseExtension) {
  struct Case {
    const char* ini;
    const char* sources;
    const char* news;
  };
  const Case cases[] = {
      {"/apps/Watch.INI", "/apps/Watch.NSC", "/apps/Watch.NDT"},
      {"/apps/v1.INI.d/Watch.INI", "/apps/v1.INI.d/Watch.NSC", "/apps/v1.INI.d/Watch.NDT"},
      {"/apps/old.INI.backup/Watch", "", ""},
      {"/apps/Watch.INI.old", "", ""},
      {"/apps/Watch.ini", "", ""},
      {"/apps/Watch", "", ""},
  };
  for (const Case& c : cases) {
    CSystemConfigurator settings;
    settings.SetFileNames(c.ini);
    EXPECT_EQ(settings.iniFile, c.ini);
    EXPECT_EQ(settings.sourcesFile, c.sources) << c.ini;
    EXPECT_EQ(settings.newsFile, c.news) << c.ini;
  }
}

TEST(SettingsFileNames, BesideTheExecutable) {
  struct Case {
    const char* exe;
    const char* ini;
  };
  const Case cases[] = {
      {"/apps/Watch.exe", "/apps/Watch.INI"},
      {"/apps/WATCH.EXE", "/apps/WATCH.INI"},
      {"/apps/welkatidor", "/apps/welkatidor.INI"},
      // Only the file name's own extension counts, never a folder's.
      {"/apps/my.exe.d/welkatidor", "/apps/my.exe.d/welkatidor.INI"},
      {"/apps/my.EXE.d/Watch.exe", "/apps/my.EXE.d/Watch.INI"},
      {"/apps/Watch.exe.bak", "/apps/Watch.exe.bak.INI"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IniPathFromExe(c.exe), c.ini);
  CSystemConfigurator settings;
  settings.SetFileNames(IniPathFromExe("/apps/Watch.exe"));
  EXPECT_EQ(settings.sourcesFile, "/apps/Watch.NSC");
  EXPECT_EQ(settings.newsFile, "/apps/Watch.NDT");
}

TEST(SettingsWindowPositions, OffEveryMonitorGoesBackToTheOrigin) {
  const TMonitor first = Screen->Monitors(0);
  const int32_t right = first.Left() + first.Width(), bottom = first.Top() + first.Height();
  CSystemConfigurator settings;
  // The far edges still count as on the monitor.
  settings.mainLeft = right;
  settings.mainTop = bottom;
  settings.wizardLeft = 50000;
  settings.wizardTop = 50000;
  settings.CheckWindowPositions();
  EXPECT_EQ(settings.mainLeft, right);
  EXPECT_EQ(settings.mainTop, bottom);
  EXPECT_EQ(settings.wizardLeft, 0);
  EXPECT_EQ(settings.wizardTop, 0);

  settings.mainLeft = first.Left() - 1;
  settings.mainTop = first.Top() + 10;
  settings.CheckWindowPositions();
  if (Screen->MonitorCount() == 1) {
    EXPECT_EQ(settings.mainLeft, 0);
    EXPECT_EQ(settings.mainTop, 0);
  }
}

} // namespace

// Hand-edited or damaged widths, positions and font sizes are held to what a
// screen can show; values inside stay as they are.
TEST_F(Settings, WidthsPositionsAndSizesAreHeldToTheScreen) {
  LoadFrom("[ColWidth.News]\r\nDate=-5\r\nSource=1280\r\nHeader=2147483647\r\n"
           "[ColWidth.NewsFull]\r\nDate=0x7FFFFFFF\r\n"
           "[ColWidth.Wiz]\r\nHRef=-2147483648\r\n"
           "[Main.Window]\r\nLeft=-2147483648\r\nTop=-40\r\n"
           "[Wizard.Window]\r\nLeft=99999\r\n"
           "[Font.Normal]\r\nSize=2147483647\r\n[Font.Fullmode]\r\nSize=-2147483647\r\n");
  EXPECT_EQ(settings.newsColWidth, (std::array<int32_t, 3>{0, 1280, 32767}));
  EXPECT_EQ(settings.fullModeColWidth[0], 32767);
  EXPECT_EQ(settings.wizColWidth[3], 0);
  EXPECT_EQ(settings.mainLeft, -32767);
  EXPECT_EQ(settings.mainTop, -40);
  EXPECT_EQ(settings.wizardLeft, 32767);
  EXPECT_EQ(NormalFont->Size(), 72);
  EXPECT_EQ(FullModeFont->Size(), -72);
}

// A settings file that is there but cannot be read (a folder at its name, or
// a file its reader may not open) gives every default, says so through
// Load, and is never written over by Save.
TEST_F(Settings, AnUnreadableFileGivesTheDefaultsAndIsKept) {
  const std::string path = dir.File("Watch.INI");
  std::filesystem::create_directory(path);
  settings.SetFileNames(path);
  EXPECT_FALSE(settings.Load());
  EXPECT_EQ(settings.newsColWidth, (std::array<int32_t, 3>{20, 40, 40}));
  settings.language = 1000;
  EXPECT_TRUE(settings.Save());
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_TRUE(std::filesystem::is_empty(path));
  std::filesystem::remove(path);

  const std::string old = "[Misc]\r\nLanguage=1000\r\nBip=0\r\n";
  dir.Write("Watch.INI", old);
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  EXPECT_EQ(RunAsNobody([&path] {
              CSystemConfigurator other;
              other.SetFileNames(path);
              const bool loaded = other.Load();
              const bool defaults = other.language == 0 && other.beep;
              return !loaded && defaults && other.Save() ? 0 : 1;
            }),
            0);
  EXPECT_EQ(ReadFileBytes(path), old);
  EXPECT_TRUE(settings.Load()) << "its owner reads it";
  EXPECT_EQ(settings.language, 1000);
}
