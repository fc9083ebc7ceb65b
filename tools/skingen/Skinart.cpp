#include "tools/skingen/Skinart.h"

#include "tools/skingen/Beep.h"
#include "tools/skingen/Controls.h"
#include "tools/skingen/Palette.h"
#include "tools/skingen/Wordmark.h"

#include <cmath>
#include <functional>
#include <numbers>

namespace {

const char* const kMain = "frmMain";
const char* const kSmall = "frmSmallView";
const char* const kWizard = "frmWizard";

constexpr int kMainWidth = 615, kMainHeight = 224;
constexpr int kWizardWidth = 600, kWizardHeight = 420;
constexpr int kTitleHeight = 30;
constexpr int kBarHeight = 26;

struct TButtonPlace {
  const char* Component;
  TIcon Icon;
  int Left, Top;
};

// The title bar buttons of the main window, left to right.
const TButtonPlace kMainButtons[] = {
    {"btnPlay", TIcon::Play, 421, 4},           {"btnPause", TIcon::Pause, 421, 4},
    {"btnAbout", TIcon::About, 455, 4},         {"btnHelp", TIcon::Help, 481, 4},
    {"btnProperties", TIcon::Settings, 507, 4}, {"btnFullMode", TIcon::FullMode, 533, 4},
    {"btnReduce", TIcon::Reduce, 559, 4},       {"btnClose", TIcon::Close, 585, 4}};

// The full-mode window's buttons sit on the bar wallpaper, which is the same
// at every x: only the row matters.
const TButtonPlace kSmallButtons[] = {
    {"btnNews", TIcon::About, 2, 2},      {"btnPause", TIcon::Pause, 2, 2},
    {"btnPlay", TIcon::Play, 2, 2},       {"btnProperties", TIcon::Settings, 26, 2},
    {"btnReduce", TIcon::Reduce, 50, 2},  {"btnSmaller", TIcon::Smaller, 74, 2},
    {"btnBigger", TIcon::Enlarge, 98, 2}, {"btnSwitchToNormalMode", TIcon::NormalMode, 122, 2}};

const TButtonPlace kWizardMorphs[] = {{"ibtnMainOk", TIcon::Ok, 570, 4}};

// The wizard's bitmap buttons: drawn transparently wherever they stand.
struct TButtonIcon {
  const char* Component;
  TIcon Icon;
};

const TButtonIcon kWizardButtons[] = {{"ibtnAddUrl", TIcon::Add},
                                      {"ibtnDeleteUrl", TIcon::Remove},
                                      {"ibtnProperties", TIcon::Edit},
                                      {"ibtnImport", TIcon::Scan},
                                      {"ibtnOptions", TIcon::Settings},
                                      {"btnSourceAccept", TIcon::Ok},
                                      {"btnSourceCancel", TIcon::Close},
                                      {"btnAcceptDeleteSource", TIcon::Trash},
                                      {"btnCancelDeleteSource", TIcon::Close},
                                      {"btnTestUrl", TIcon::Play},
                                      {"btnAbortTest", TIcon::Stop},
                                      {"btnTestFinished", TIcon::Next},
                                      {"btnUrlScanConnect", TIcon::Scan},
                                      {"btnUrlScanAbort", TIcon::Stop},
                                      {"btnUrlScanAck", TIcon::Next},
                                      {"btnUrlScanOk", TIcon::Ok},
                                      {"btnUrlScanCancel", TIcon::Close},
                                      {"btnOptionsOK", TIcon::Ok}};

const char* const kWizardChecks[] = {
    "cbxNewsExtract", "cbxNovelty", "cbxKeepTrack",   "cbxIgnoreTags",     "cbxIgnoreDates",
    "cbxIgnoreHexa",  "cbxSilent",  "cbxEnableProxy", "cbProxyAutoDetect", "cbUseScript"};

const char* const kWizardSliders[] = {"sliderHistoLength", "sliderHintHide", "sliderTimeout",
                                      "sliderMaxRequest",  "sliderMaxAge",   "sliderMaxNews"};

struct TFaceProperty {
  TFaceState State;
  const char* Property;
  const char* Name;
};

const TFaceProperty kMorphStates[] = {{TFaceState::Up, "UpGlyph", "up"},
                                      {TFaceState::Active, "ActiveGlyph", "under the pointer"},
                                      {TFaceState::Down, "DownGlyph", "pressed"}};

const TFaceProperty kButtonStates[] = {{TFaceState::Up, "UpGlyph", "up"},
                                       {TFaceState::Active, "ActiveGlyph", "under the pointer"},
                                       {TFaceState::Down, "DownGlyph", "pressed"},
                                       {TFaceState::Disabled, "UnEnGlyph", "disabled"}};

// A small repeatable roughness in -0.5..0.5, the same for the same pixel.
double Grain(int X, int Y, int Seed) {
  uint32_t h = static_cast<uint32_t>(X) * 73856093u ^ static_cast<uint32_t>(Y) * 19349663u ^
               static_cast<uint32_t>(Seed) * 83492791u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return (h & 0xFFFF) / 65535.0 - 0.5;
}

TSkinFile Picture(const char* Layout, const char* Component, const char* Class,
                  const char* Property, std::string Use, TSkinCanvas Canvas) {
  TSkinFile file;
  file.Layout = Layout;
  file.Component = Component;
  file.Class = Class;
  file.Property = Property;
  file.Use = std::move(Use);
  file.Picture = std::move(Canvas);
  return file;
}

// A bevelled hollow: shadow on the top and left, light on the bottom and
// right, then a dark line and the floor.
void Sunken(TSkinCanvas& Skin, int Left, int Top, int Right, int Bottom) {
  Skin.Bevel(Left, Top, Right, Bottom, Palette::Shadow, Palette::Highlight);
  Skin.Bevel(Left + 1, Top + 1, Right - 1, Bottom - 1, Palette::Outline,
             Mix(Palette::Highlight, Palette::BodyBottom, 0.5));
  Skin.FillRect(Left + 2, Top + 2, Right - 2, Bottom - 2, Palette::Well);
}

void Raised(TSkinCanvas& Skin, int Left, int Top, int Right, int Bottom) {
  Skin.VerticalGradient(Left, Top, Right, Bottom, Palette::Raised, Palette::RaisedBottom);
  Skin.Bevel(Left, Top, Right, Bottom, Palette::Highlight, Palette::Shadow);
}

// A groove across a panel: a dark line over a light one.
void Groove(TSkinCanvas& Skin, int Left, int Right, int Y) {
  Skin.FillRect(Left, Y, Right, Y + 1, Palette::Shadow);
  Skin.Blend(Left, Y + 1, Right, Y + 2, Palette::Highlight, 0.6);
}

TInside WindowShape(int Width, int Height) {
  return RoundBox(0, 0, Width, Height, 10);
}

// The shaped window's frame: a one-pixel outline on the mask's edge, a
// two-pixel darker border inside it, the title bar and the body.
TSkinCanvas WindowSkin(int Width, int Height) {
  TSkinCanvas skin(Width, Height, Palette::Outline);
  skin.Fill(Crisp(RoundBox(1, 1, Width - 1, Height - 1, 9)), Palette::InnerBorder);
  const TInside inner = Crisp(RoundBox(3, 3, Width - 3, Height - 3, 7));
  skin.FillGradient(inner, 3, kTitleHeight, Palette::TitleTop, Palette::TitleBottom);
  skin.FillGradient(inner, kTitleHeight, Height - 3, Palette::BodyTop, Palette::BodyBottom);
  skin.Fill(Minus(inner, Crisp(RoundBox(4, 4, Width - 3, Height - 3, 7))), Palette::Highlight, 0.8);
  skin.Fill(Minus(inner, Crisp(RoundBox(3, 3, Width - 4, Height - 4, 7))), Palette::Shadow, 0.6);
  Groove(skin, 3, Width - 3, kTitleHeight);
  return skin;
}

std::shared_ptr<TBitmap> WindowMask(int Width, int Height) {
  return MaskBitmap(Width, Height, WindowShape(Width, Height));
}

TSkinCanvas MainSkin() {
  TSkinCanvas skin = WindowSkin(kMainWidth, kMainHeight);
  skin.Fill(Wordmark(15, 21), Palette::Shadow, 0.8);
  skin.Fill(Wordmark(14, 20), Palette::Text);
  Sunken(skin, 114, 6, 216, 24);   // the clock
  Sunken(skin, 8, 34, 432, 192);   // the news grid
  Raised(skin, 440, 34, 607, 192); // the counters and the graph
  Groove(skin, 446, 602, 80);
  Sunken(skin, 444, 96, 604, 164); // the graph
  Sunken(skin, 8, 196, 182, 220);  // the filter box
  return skin;
}

TSkinCanvas WizardSkin() {
  TSkinCanvas skin = WindowSkin(kWizardWidth, kWizardHeight);
  Sunken(skin, 6, 32, 594, 414);
  return skin;
}

TSkinCanvas BarWallpaper() {
  TSkinCanvas bar(64, kBarHeight, Palette::TitleBottom);
  bar.VerticalGradient(0, 0, 64, kBarHeight, Rgb(0x434C58), Rgb(0x2A3039));
  bar.FillRect(0, 0, 64, 1, Rgb(0x5C6674));
  bar.FillRect(0, kBarHeight - 1, 64, kBarHeight, Palette::Shadow);
  return bar;
}

void GripDot(TSkinCanvas& Canvas, int X, int Y) {
  Canvas.FillRect(X + 1, Y + 1, X + 3, Y + 3, Palette::Shadow);
  Canvas.FillRect(X, Y, X + 2, Y + 2, Rgb(0x8793A1));
}

TSkinCanvas CommandGrip() {
  TSkinCanvas grip = BarWallpaper().Crop(0, 0, 10, kBarHeight);
  grip.FillRect(0, 1, 1, kBarHeight - 1, Palette::Shadow);
  grip.Blend(1, 1, 2, kBarHeight - 1, Palette::Highlight, 0.6);
  for (int y = 6; y <= 18; y += 4)
    GripDot(grip, 5, y);
  return grip;
}

TSkinCanvas ResizeGrip() {
  TSkinCanvas grip = BarWallpaper().Crop(0, kBarHeight - 14, 14, 14);
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      if (row + col >= 2)
        GripDot(grip, 1 + col * 4, 1 + row * 4);
  return grip;
}

// A quiet 64 x 64 tile of Base, lighter or darker by Lightness at each
// pixel; seamless when every pattern in it repeats a whole number of times
// across 64 pixels.
TSkinCanvas Paper(TRgb Base, const std::function<double(int X, int Y)>& Lightness) {
  TSkinCanvas wall(64, 64, Base);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      wall.SetPixel(x, y, Shade(Base, Lightness(x, y)));
  return wall;
}

// A fine cross-hatch.
TSkinCanvas PageWallpaper() {
  const double k = 2 * std::numbers::pi / 8;
  return Paper(Rgb(0x2E353E), [k](int X, int Y) {
    return 0.012 * (std::cos(k * (X + Y)) + std::cos(k * (X - Y))) + 0.012 * Grain(X, Y, 1);
  });
}

// Brushed metal with vertical strokes: the command panels place their buttons
// at different heights, so the wallpaper draws no rows of its own.
TSkinCanvas CommandWallpaper() {
  return Paper(Rgb(0x22272E),
               [](int X, int Y) { return 0.035 * Grain(X, 0, 3) + 0.012 * Grain(X, Y / 4, 4); });
}

// Soft diagonal bands.
TSkinCanvas HintWallpaper() {
  const double k = 2 * std::numbers::pi / 16;
  return Paper(Palette::HintPaper, [k](int X, int Y) {
    return 0.22 * std::cos(k * (X + Y)) * 0.08 + 0.01 * Grain(X, Y, 2);
  });
}

// Drawn into the grid's title row, whose cells are plain grey.
TSkinCanvas SortArrow(bool Up) {
  TSkinCanvas arrow(9, 9, Palette::TitleRow);
  for (int r = 0; r < 4; ++r)
    arrow.FillRect(4 - r, Up ? 2 + r : 6 - r, 5 + r, Up ? 3 + r : 7 - r, Palette::Ink);
  return arrow;
}

// A page with a corner folded down and an amber badge: the page changed.
TSkinCanvas ChangeMark() {
  TSkinCanvas mark(12, 12, Palette::Aqua);
  const TInside page = Polygon({{1, 0}, {7, 0}, {10, 3}, {10, 12}, {1, 12}});
  mark.Fill(Crisp(page), Palette::Ink);
  mark.Fill(Crisp(Polygon({{2, 1}, {6, 1}, {6, 4}, {9, 4}, {9, 11}, {2, 11}})), Palette::Paper);
  for (int y = 4; y <= 6; y += 2)
    mark.FillRect(3, y, 5, y + 1, Palette::DimText);
  mark.Fill(Crisp(Disc(8.5, 8.5, 3.5)), Palette::Ink);
  mark.Fill(Crisp(Disc(8.5, 8.5, 2.5)), Palette::Pressed);
  return mark;
}

// On the wizard grids' dark cells.
TSkinCanvas SourceMark(bool Enabled) {
  TSkinCanvas mark(12, 12, Palette::Well);
  if (!Enabled) {
    mark.Fill(Crisp(RoundBox(1, 1, 11, 11, 2)), Palette::DimText);
    mark.Fill(Crisp(RoundBox(2, 2, 10, 10, 1)), Palette::Well);
    return mark;
  }
  mark.Fill(Crisp(RoundBox(1, 1, 11, 11, 2)), Palette::Accent);
  mark.Fill(Union({Stroke(3, 6, 5.2, 8.2, 1.8), Stroke(4.6, 8.2, 9.2, 3.4, 1.8)}), Palette::Paper);
  return mark;
}

void AddMorphs(std::vector<TSkinFile>& Files, const char* Layout, const TButtonPlace& Button,
               const TSkinCanvas& Under) {
  const TSkinCanvas background = Under.Crop(Button.Left, Button.Top, kMorphSize, kMorphSize);
  for (const TFaceProperty& s : kMorphStates)
    Files.push_back(Picture(Layout, Button.Component, "TepMorphButton", s.Property,
                            IconName(Button.Icon) + " button, " + s.Name,
                            MorphFace(background, Button.Icon, s.State)));
}

void AddWindow(std::vector<TSkinFile>& Files, const char* Layout, TSkinCanvas Skin, int Width,
               int Height) {
  TSkinFile mask = Picture(Layout, "epRegionForm1", "TepRegionForm", "Mask",
                           "window shape: black inside, one bit", TSkinCanvas());
  mask.Mask = WindowMask(Width, Height);
  Files.push_back(std::move(mask));
  Files.push_back(
      Picture(Layout, "epRegionForm1", "TepRegionForm", "Picture", "window skin", std::move(Skin)));
}

void AddMainWindow(std::vector<TSkinFile>& Files) {
  const TSkinCanvas skin = MainSkin();
  AddWindow(Files, kMain, skin, kMainWidth, kMainHeight);
  for (const TButtonPlace& button : kMainButtons)
    AddMorphs(Files, kMain, button, skin);
  Files.push_back(
      Picture(kMain, "bmpUp", "TImage", "Picture", "ascending sort arrow", SortArrow(true)));
  Files.push_back(
      Picture(kMain, "bmpDown", "TImage", "Picture", "descending sort arrow", SortArrow(false)));
  Files.push_back(
      Picture(kMain, "bmpChangeEvent", "TImage", "Picture", "page-change mark", ChangeMark()));
  Files.push_back(
      Picture(kMain, "bmpHint", "TepBitmap", "Bitmap", "hint wallpaper, tiles", HintWallpaper()));
  TSkinFile beep = Picture(kMain, "bipPlayer", "TepWavePlayer", "Wave", "news beep", TSkinCanvas());
  beep.Sound = BeepWave();
  Files.push_back(std::move(beep));
}

void AddFullModeWindow(std::vector<TSkinFile>& Files) {
  const TSkinCanvas bar = BarWallpaper();
  Files.push_back(Picture(kSmall, "bmpBarWallpaper", "TepBitmap", "Bitmap",
                          "wallpaper of every bar panel, tiles across", bar));
  Files.push_back(Picture(kSmall, "bmpCmdGrip", "TepBitmap", "Bitmap",
                          "wallpaper of the grip pnlCmdResize", CommandGrip()));
  Files.push_back(Picture(kSmall, "imgResize", "TImage", "Picture", "resize grip", ResizeGrip()));
  TSkinCanvas under(200, kBarHeight, TRgb{});
  for (int x = 0; x < under.Width(); x += bar.Width())
    under.Draw(bar, x, 0);
  for (const TButtonPlace& button : kSmallButtons)
    AddMorphs(Files, kSmall, button, under);
}

void AddWizard(std::vector<TSkinFile>& Files) {
  const TSkinCanvas skin = WizardSkin();
  AddWindow(Files, kWizard, skin, kWizardWidth, kWizardHeight);
  for (const TButtonPlace& button : kWizardMorphs)
    AddMorphs(Files, kWizard, button, skin);
  Files.push_back(Picture(kWizard, "bmpPageWallpaper", "TepBitmap", "Bitmap",
                          "page panels' wallpaper, tiles", PageWallpaper()));
  Files.push_back(Picture(kWizard, "bmpCmdWallpaper", "TepBitmap", "Bitmap",
                          "command panels' wallpaper, tiles", CommandWallpaper()));
  for (const TButtonIcon& button : kWizardButtons)
    for (const TFaceProperty& s : kButtonStates)
      Files.push_back(Picture(kWizard, button.Component, "TepBMPButton", s.Property,
                              IconName(button.Icon) + " button, " + s.Name,
                              BitmapButtonFace(button.Icon, s.State)));
  for (const char* name : kWizardChecks)
    Files.push_back(Picture(kWizard, name, "TepBMPCheckBox", "CheckGlyph",
                            "check box: checked, unchecked", CheckStrip()));
  for (const char* name : kWizardSliders) {
    Files.push_back(Picture(kWizard, name, "TepBMPSlider", "ImageHThumb",
                            "slider thumb: normal, pressed", ThumbStrip()));
    Files.push_back(Picture(kWizard, name, "TepBMPSlider", "ImageHRuler",
                            "slider ruler, 2-pixel ends", Ruler()));
  }
  Files.push_back(
      Picture(kWizard, "bmpChecked", "TImage", "Picture", "enabled source mark", SourceMark(true)));
  Files.push_back(Picture(kWizard, "bmpUnchecked", "TImage", "Picture", "disabled source mark",
                          SourceMark(false)));
}

} // namespace

std::string TSkinFile::Path() const {
  return Layout + "/" + Component + "." + Property + (Sound.empty() ? ".bmp" : ".wav");
}

std::vector<uint8_t> TSkinFile::Bytes() const {
  if (!Sound.empty())
    return Sound;
  if (Mask)
    return BmpBytes(*Mask);
  return BmpBytes(*Picture.ToBitmap());
}

std::string TSkinFile::Size() const {
  if (!Sound.empty())
    return std::to_string(kBeepMilliseconds) + " ms";
  if (Mask)
    return std::to_string(Mask->Width()) + " x " + std::to_string(Mask->Height());
  return std::to_string(Picture.Width()) + " x " + std::to_string(Picture.Height());
}

std::vector<TSkinFile> MakeSkinFiles() {
  std::vector<TSkinFile> files;
  AddMainWindow(files);
  AddFullModeWindow(files);
  AddWizard(files);
  return files;
}

namespace {

// Where a control that draws itself sits, for the mock of a window.
struct TMockPart {
  const char* Component;
  int Left, Top, Width, Height;
};

const TSkinCanvas& Find(const std::vector<TSkinFile>& Files, const std::string& Layout,
                        const std::string& Component, const std::string& Property) {
  for (const TSkinFile& file : Files)
    if (file.Layout == Layout && file.Component == Component && file.Property == Property)
      return file.Picture;
  throw std::runtime_error("no picture " + Layout + "/" + Component + "." + Property);
}

void Tile(TSkinCanvas& Canvas, const TSkinCanvas& Tile, int Left, int Top, int Right, int Bottom) {
  for (int y = Top; y < Bottom; ++y)
    for (int x = Left; x < Right; ++x)
      Canvas.SetPixel(x, y, Tile.Pixel((x - Left) % Tile.Width(), (y - Top) % Tile.Height()));
}

// As a control drawing it transparently does: the key colour left out.
void DrawKeyed(TSkinCanvas& Canvas, const TSkinCanvas& Picture, int X, int Y) {
  const TColor key = ToColor(Picture.Pixel(0, Picture.Height() - 1));
  for (int y = 0; y < Picture.Height(); ++y)
    for (int x = 0; x < Picture.Width(); ++x)
      if (ToColor(Picture.Pixel(x, y)) != key)
        Canvas.SetPixel(X + x, Y + y, Picture.Pixel(x, y));
}

void Outline(TSkinCanvas& Canvas, const TMockPart& Place) {
  const int r = Place.Left + Place.Width, b = Place.Top + Place.Height;
  Canvas.Blend(Place.Left, Place.Top, r, Place.Top + 1, Palette::Accent, 0.7);
  Canvas.Blend(Place.Left, b - 1, r, b, Palette::Accent, 0.7);
  Canvas.Blend(Place.Left, Place.Top + 1, Place.Left + 1, b - 1, Palette::Accent, 0.7);
  Canvas.Blend(r - 1, Place.Top + 1, r, b - 1, Palette::Accent, 0.7);
}

// The grid as it looks with a few rows: aqua cells, a grey title row.
void Grid(TSkinCanvas& Canvas, int Left, int Top, int Right, int Bottom) {
  Canvas.FillRect(Left, Top, Right, Bottom, Palette::Aqua);
  Canvas.FillRect(Left, Top, Right, Top + 18, Palette::TitleRow);
  for (int y = Top + 18; y < Bottom; y += 18)
    Canvas.FillRect(Left, y, Right, y + 1, Rgb(0x00C8C8));
}

TSkinCanvas MainMock(const std::vector<TSkinFile>& Files) {
  TSkinCanvas mock = Find(Files, kMain, "epRegionForm1", "Picture");
  Grid(mock, 10, 36, 430, 190);
  mock.Draw(Find(Files, kMain, "bmpDown", "Picture"), 120, 40);
  mock.Draw(Find(Files, kMain, "bmpUp", "Picture"), 60, 40);
  mock.Draw(Find(Files, kMain, "bmpChangeEvent", "Picture"), 14, 58);
  mock.FillRect(10, 198, 180, 218, Palette::Paper);
  for (const TButtonPlace& button : kMainButtons)
    if (std::string(button.Component) != "btnPlay")
      mock.Draw(Find(Files, kMain, button.Component, "UpGlyph"), button.Left, button.Top);
  const TMockPart labels[] = {
      {"lblTimer", 120, 8, 90, 14},           {"lblSourcesInfos", 446, 38, 156, 13},
      {"lblNewsInfos", 446, 52, 156, 13},     {"lblDispNews", 446, 66, 156, 13},
      {"lblMsgStat", 446, 84, 110, 13},       {"lblPerfScale", 560, 84, 42, 13},
      {"Panel1", 446, 98, 156, 64},           {"lblRequests", 446, 168, 52, 13},
      {"lblChangesLegend", 498, 168, 52, 13}, {"lblNewsLegend", 550, 168, 52, 13},
      {"lblMessage", 188, 201, 414, 14}};
  for (const TMockPart& place : labels)
    Outline(mock, place);
  return mock;
}

TSkinCanvas FullModeMock(const std::vector<TSkinFile>& Files) {
  constexpr int width = 640, height = 240, cmdLeft = width - 178;
  TSkinCanvas mock(width, height, Palette::BodyBottom);
  const TSkinCanvas& bar = Find(Files, kSmall, "bmpBarWallpaper", "Bitmap");
  Tile(mock, bar, 0, 0, width, kBarHeight);
  Tile(mock, bar, 0, height - kBarHeight, width, height);
  Grid(mock, 0, kBarHeight, width, height - kBarHeight);
  mock.Draw(Find(Files, kSmall, "btnNews", "UpGlyph"), 2, 2);
  for (const TButtonPlace& button : kSmallButtons)
    if (std::string(button.Component) != "btnPlay" && std::string(button.Component) != "btnNews")
      mock.Draw(Find(Files, kSmall, button.Component, "UpGlyph"), cmdLeft + button.Left,
                button.Top);
  mock.Draw(Find(Files, kSmall, "bmpCmdGrip", "Bitmap"), width - 10, 0);
  mock.Draw(Find(Files, kSmall, "imgResize", "Picture"), width - 14, height - 14);
  mock.FillRect(60, height - 23, 230, height - 3, Palette::Paper);
  Outline(mock, {"lblNewsStat", 30, 6, 300, 14});
  Outline(mock, {"lblMessage", 240, height - 20, 300, 14});
  return mock;
}

TSkinCanvas WizardMock(const std::vector<TSkinFile>& Files) {
  TSkinCanvas mock = Find(Files, kWizard, "epRegionForm1", "Picture");
  Tile(mock, Find(Files, kWizard, "bmpPageWallpaper", "Bitmap"), 8, 34, 592, 380);
  Tile(mock, Find(Files, kWizard, "bmpCmdWallpaper", "Bitmap"), 8, 380, 592, 412);
  mock.Draw(Find(Files, kWizard, "ibtnMainOk", "UpGlyph"), 570, 4);
  Grid(mock, 40, 60, 560, 250);
  const char* const buttons[] = {"ibtnAddUrl", "ibtnDeleteUrl", "ibtnProperties", "ibtnImport",
                                 "ibtnOptions"};
  int x = 40;
  for (const char* name : buttons) {
    const char* property = x == 40 ? "ActiveGlyph" : x == 72 ? "DownGlyph" : "UpGlyph";
    DrawKeyed(mock, Find(Files, kWizard, name, property), x, 382);
    x += 32;
  }
  const TSkinCanvas& check = Find(Files, kWizard, "cbxNovelty", "CheckGlyph");
  DrawKeyed(mock, check.Crop(0, 0, 16, 16), 40, 270);
  DrawKeyed(mock, check.Crop(16, 0, 16, 16), 40, 294);
  const TSkinCanvas& ruler = Find(Files, kWizard, "sliderTimeout", "ImageHRuler");
  for (int rx = 0; rx < 200; ++rx)
    mock.Draw(ruler.Crop(rx % 16, 2, 1, 4), 300 + rx, 280);
  DrawKeyed(mock, Find(Files, kWizard, "sliderTimeout", "ImageHThumb").Crop(0, 0, 12, 18), 360,
            273);
  Outline(mock, {"edtName", 300, 310, 200, 20});
  return mock;
}

} // namespace

std::vector<TWindowMock> MakeWindowMocks(const std::vector<TSkinFile>& Files) {
  return {{kMain, MainMock(Files)}, {kSmall, FullModeMock(Files)}, {kWizard, WizardMock(Files)}};
}
