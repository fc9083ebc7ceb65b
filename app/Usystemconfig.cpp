#include "app/Usystemconfig.h"

#include "app/Uvclfunctions.h"
#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Inifiles.h"
#include "platform/ui/Forms.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <variant>
#include <vector>

std::unique_ptr<TFont> NormalFont;
std::unique_ptr<TFont> FullModeFont;
TColor NormalBkgColor = 16776960;
TColor FullModeBkgColor = 16776960;
TColor NormalBkgShades[5];
TColor FullModeBkgShades[5];
TColor NormalTextShades[5];
TColor FullModeTextShades[5];
int32_t HoursToKeep = 2500;
int32_t SortKey = 0;
bool SortAscending = false;

namespace {

// Only this value turns debug mode on, so that a stray 1 does not.
constexpr int32_t DebugKeyValue = 604193827;
constexpr int32_t ShadeCount = 5;
constexpr const char* DefaultBkg = "16776960";
// The largest coordinate a screen has: a hand-edited or damaged width or
// position beyond it would build windows and grids no screen can hold.
constexpr int32_t MaxScreenExtent = 32767;

// One stored setting: integers and booleans default to Default, texts to
// TextDefault.
struct TIniKey {
  const char* Section;
  const char* Ident;
  std::variant<int32_t*, bool*, AnsiString*> Field;
  int32_t Default = 0;
  const char* TextDefault = "";
};

void ReadKey(const TIniFile& ini, const TIniKey& key) {
  if (int32_t* const* value = std::get_if<int32_t*>(&key.Field))
    **value = ini.ReadInteger(key.Section, key.Ident, key.Default);
  else if (bool* const* flag = std::get_if<bool*>(&key.Field))
    **flag = ini.ReadBool(key.Section, key.Ident, key.Default != 0);
  else
    *std::get<AnsiString*>(key.Field) = ini.ReadString(key.Section, key.Ident, key.TextDefault);
}

void WriteKey(TIniFile& ini, const TIniKey& key) {
  if (int32_t* const* value = std::get_if<int32_t*>(&key.Field))
    ini.WriteInteger(key.Section, key.Ident, **value);
  else if (bool* const* flag = std::get_if<bool*>(&key.Field))
    ini.WriteBool(key.Section, key.Ident, **flag);
  else
    ini.WriteString(key.Section, key.Ident, *std::get<AnsiString*>(key.Field));
}

std::unique_ptr<TFont> MakeGridFont() {
  auto font = std::make_unique<TFont>();
  font->SetCharset(DEFAULT_CHARSET);
  font->SetColor(255);
  font->SetName("Arial");
  font->SetPitch(fpDefault);
  font->SetSize(8);
  font->SetStyle({});
  return font;
}

bool OnSomeMonitor(int32_t left, int32_t top) {
  for (int i = 0; i < Screen->MonitorCount(); ++i) {
    const TMonitor m = Screen->Monitors(i);
    if (m.Left() <= left && left <= m.Left() + m.Width() && m.Top() <= top &&
        top <= m.Top() + m.Height())
      return true;
  }
  return false;
}

void CheckPosition(int32_t& left, int32_t& top) {
  if (OnSomeMonitor(left, top))
    return;
  left = 0;
  top = 0;
}

void HoldToScreen(CSystemConfigurator& c) {
  for (int32_t* width :
       {&c.newsColWidth[0], &c.newsColWidth[1], &c.newsColWidth[2], &c.fullModeColWidth[0],
        &c.fullModeColWidth[1], &c.fullModeColWidth[2], &c.wizColWidth[0], &c.wizColWidth[1],
        &c.wizColWidth[2], &c.wizColWidth[3]})
    *width = std::clamp(*width, 0, MaxScreenExtent);
  for (int32_t* position : {&c.mainLeft, &c.mainTop, &c.wizardLeft, &c.wizardTop})
    *position = std::clamp(*position, -MaxScreenExtent, MaxScreenExtent);
}

// The stored keys in the order Save writes them (Debug is read apart).
std::vector<TIniKey> StoredKeys(CSystemConfigurator& c) {
  return {
      {"ColWidth.News", "Date", &c.newsColWidth[0], 20},
      {"ColWidth.News", "Source", &c.newsColWidth[1], 40},
      {"ColWidth.News", "Header", &c.newsColWidth[2], 40},
      {"ColWidth.NewsFull", "Date", &c.fullModeColWidth[0], 20},
      {"ColWidth.NewsFull", "Source", &c.fullModeColWidth[1], 40},
      {"ColWidth.NewsFull", "Header", &c.fullModeColWidth[2], 40},
      {"Hint", "HidePause", &c.hintHidePause, 2500},
      {"Hint", "ShortPause", &c.hintShortPause, 50},
      {"Hint", "Pause", &c.hintPause, 500},
      {"Request", "MaxTimeOut", &c.maxTimeOut, 60},
      {"Request", "TimeOut", &c.timeOut, 20},
      {"Request", "MaxRequest", &c.maxRequest, 3},
      {"Connection", "AutoProxy", &c.autoProxy, 0},
      {"Connection", "UseProxyScript", &c.useProxyScript, 0},
      {"Connection", "ProxyScript", &c.proxyScript, 0, ""},
      {"Connection", "EnableProxy", &c.enableProxy, 0},
      {"Connection", "ProxyHost", &c.proxyHost, 0, ""},
      {"Connection", "ProxyPort", &c.proxyPort, 0, "80"},
      {"Connection", "ProxyOverride", &c.proxyOverride, 1},
      {"NewsData", "HoursToKeep", &HoursToKeep, 2500},
      {"NewsData", "MaxEvents", &c.maxEvents, 2500},
      {"Misc", "Bip", &c.beep, 1},
      {"Misc", "Language", &c.language, 0},
      {"Misc", "AlwaysOnTop", &c.alwaysOnTop, 0},
      {"ColWidth.Wiz", "Keep", &c.wizColWidth[0], 25},
      {"ColWidth.Wiz", "Name", &c.wizColWidth[1], 50},
      {"ColWidth.Wiz", "Found", &c.wizColWidth[2], 25},
      {"ColWidth.Wiz", "HRef", &c.wizColWidth[3], 60},
      {"Main.Window", "Left", &c.mainLeft, 25},
      {"Main.Window", "Top", &c.mainTop, 25},
      {"Wizard.Window", "Left", &c.wizardLeft, 25},
      {"Wizard.Window", "Top", &c.wizardTop, 25},
  };
}

// The position of the dot of the file name's final extension when that
// extension is ext (compared in upper case); npos otherwise. Dots in folder
// names never count.
AnsiString::size_type FindFinalExtension(const AnsiString& path, const char* ext) {
  const AnsiString found = ExtractFileExt(path);
  AnsiString upper = found;
  for (char& ch : upper)
    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return upper == ext ? path.size() - found.size() : AnsiString::npos;
}

} // namespace

AnsiString IniPathFromExe(const AnsiString& exePath) {
  const auto dot = FindFinalExtension(exePath, ".EXE");
  return dot == AnsiString::npos ? exePath + ".INI" : exePath.substr(0, dot + 1) + "INI";
}

CSystemConfigurator::CSystemConfigurator() {
  if (!NormalFont)
    NormalFont = MakeGridFont();
  if (!FullModeFont)
    FullModeFont = MakeGridFont();
  SortKey = 0;
  SortAscending = false;
}

CSystemConfigurator::~CSystemConfigurator() {
  NormalFont.reset();
  FullModeFont.reset();
}

void CSystemConfigurator::SetFileNames(const AnsiString& path) {
  iniFile = path;
  const auto dot = ExtractFileExt(iniFile) == ".INI" ? iniFile.size() - 4 : AnsiString::npos;
  if (dot == AnsiString::npos)
    return;
  const AnsiString stem = iniFile.substr(0, dot + 1);
  sourcesFile = stem + "NSC";
  newsFile = stem + "NDT";
}

bool CSystemConfigurator::Load() {
  TIniFile ini(iniFile);
  // An unreadable file reads as empty: every key takes its default.
  keepIniFile = ini.Unreadable();
  for (const TIniKey& key : StoredKeys(*this))
    ReadKey(ini, key);
  debug = ini.ReadInteger("Misc", "Debug", 0) == DebugKeyValue;
  LoadFontFromIni(&ini, NormalFont.get(), "Font.Normal");
  LoadFontFromIni(&ini, FullModeFont.get(), "Font.Fullmode");
  HoldToScreen(*this);
  NormalBkgColor = ColorFromText(ini.ReadString("Font.Normal", "Bkg", DefaultBkg));
  FullModeBkgColor = ColorFromText(ini.ReadString("Font.Fullmode", "Bkg", DefaultBkg));
  MakeColorGradient(NormalBkgColor, NormalBkgShades, ShadeCount, 0);
  MakeColorGradient(FullModeBkgColor, FullModeBkgShades, ShadeCount, 0);
  MakeColorGradient(FullModeFont->Color(), FullModeTextShades, ShadeCount, 0);
  MakeColorGradient(NormalFont->Color(), NormalTextShades, ShadeCount, 0);
  texts.Load(language);
  return !keepIniFile;
}

bool CSystemConfigurator::Save() {
  if (keepIniFile)
    return true;
  try {
    TIniFile ini(iniFile);
    for (const TIniKey& key : StoredKeys(*this))
      WriteKey(ini, key);
    SaveFontToIni(&ini, NormalFont.get(), "Font.Normal");
    SaveFontToIni(&ini, FullModeFont.get(), "Font.Fullmode");
    ini.WriteString("Font.Normal", "Bkg", std::to_string(NormalBkgColor));
    ini.WriteString("Font.Fullmode", "Bkg", std::to_string(FullModeBkgColor));
  } catch (const std::exception&) {
    // An unreadable or unwritable file, whatever the cause.
    return false;
  }
  return true;
}

AnsiString UnreadableSettingsText(const AnsiString& iniFile) {
  return "The settings file " + iniFile +
         " could not be read. The program runs on its default settings and leaves the file "
         "as it is.";
}

void CSystemConfigurator::SetLanguage(int32_t value) {
  language = value;
  texts.Load(language);
}

void CSystemConfigurator::CheckWindowPositions() {
  CheckPosition(mainLeft, mainTop);
  CheckPosition(wizardLeft, wizardTop);
}
