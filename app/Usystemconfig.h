#pragma once
// The program's settings over the INI file beside the executable, read once at
// start and written once at close; the windows read and change the fields
// directly in between. Beside it, the grids' process-wide fonts and colours.
#include "app/Uresources.h"
#include "platform/gfx/Graphics.h"

#include <array>
#include <cstdint>
#include <memory>

class CSystemConfigurator {
public:
  CSystemConfigurator();
  ~CSystemConfigurator();
  CSystemConfigurator(const CSystemConfigurator&) = delete;
  CSystemConfigurator& operator=(const CSystemConfigurator&) = delete;

  // Derives the sources and news files from the file name's final extension
  // when it is ".INI" (upper case only); otherwise they stay as they were.
  void SetFileNames(const AnsiString& path);
  // Missing keys take their defaults; builds the colour tables and loads the
  // language texts. Widths, positions and font sizes are held to what a
  // screen can show. False when a file is there but cannot be read (no
  // permission, a folder, a failing read): every key then has its default.
  bool Load();
  // Every key but Debug; false when the file cannot be written. A file that
  // Load could not read is left as it is: writing it would rebuild it from
  // the defaults. The user was told at start, so that is no failure here.
  bool Save();
  void SetLanguage(int32_t value);
  // A window position that lies on no monitor goes back to (0, 0).
  void CheckWindowPositions();

  AnsiString iniFile;
  AnsiString sourcesFile;
  AnsiString newsFile;
  std::array<int32_t, 3> newsColWidth{20, 40, 40};
  std::array<int32_t, 4> wizColWidth{25, 50, 25, 60};
  int32_t mainLeft = 25;
  int32_t mainTop = 25;
  int32_t wizardLeft = 25;
  int32_t wizardTop = 25;
  int32_t hintHidePause = 2500;
  int32_t hintShortPause = 50;
  int32_t hintPause = 500;
  int32_t maxTimeOut = 60;
  int32_t timeOut = 20;
  int32_t maxRequest = 3;
  bool autoProxy = false;
  bool useProxyScript = false;
  AnsiString proxyScript;
  bool enableProxy = false;
  AnsiString proxyHost;
  AnsiString proxyPort;
  bool proxyOverride = true;
  int32_t maxEvents = 2500;
  bool beep = true;
  bool debug = false;
  const int32_t filterDelay = 1000;
  const int32_t ageStep = 5;
  const int32_t startDelay = 3;
  int32_t language = 0;
  std::array<int32_t, 3> fullModeColWidth{20, 40, 40};
  bool alwaysOnTop = false;
  CTextResources texts;

private:
  bool keepIniFile = false;
};

// The one message a settings file that is there but cannot be read gets.
AnsiString UnreadableSettingsText(const AnsiString& iniFile);

// The settings file beside the executable: a final extension ".EXE" of its
// file name, in any case, gives way to "INI" (otherwise ".INI" is appended).
// Dots in folder names never count.
AnsiString IniPathFromExe(const AnsiString& exePath);

// The grids' fonts, made by the first settings object and freed by its
// destructor.
extern std::unique_ptr<TFont> NormalFont;
extern std::unique_ptr<TFont> FullModeFont;
extern TColor NormalBkgColor;
extern TColor FullModeBkgColor;
// Five steps each, from the background colours and the fonts' colours.
extern TColor NormalBkgShades[5];
extern TColor FullModeBkgShades[5];
extern TColor NormalTextShades[5];
extern TColor FullModeTextShades[5];
extern int32_t HoursToKeep;

// The news list's sort: 0 reception date, then news date, source name and
// headline.
extern int32_t SortKey;
extern bool SortAscending;
