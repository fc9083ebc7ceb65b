// Windows on the test's own real X server: a shaped borderless form shows its
// shape and follows a pointer drag; the demo form is photographed. Screenshots stay in
// <build>/screenshots for review.
#include "tests/platform/ui/DemoControls.h"
#include "tests/platform/ui/FormFixture.h"

#include "platform/gfx/Gdi.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Stdctrls.h"
#include "tests/support/Command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

// Every test needs the X server: without one it fails rather than skips.
class XServer : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(UseXServer());
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    Application->Initialize();
  }
};

std::string Screenshot(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(WT_BINARY_DIR) / "screenshots";
  std::filesystem::create_directories(dir);
  const std::string file = (dir / name).string();
  std::filesystem::remove(file);
  RunCommand("import -display \"$DISPLAY\" -window root '" + file + "' 2>&1");
  return file;
}

// The screenshot's pixel as 0xRRGGBB; -1 when it cannot be read.
long Pixel(const std::string& file, int x, int y) {
  const std::string out = RunCommand("convert '" + file + "' -crop 1x1+" + std::to_string(x) + "+" +
                                     std::to_string(y) + " -depth 8 txt:- 2>/dev/null");
  const auto hash = out.find('#', out.find('\n'));
  if (hash == std::string::npos)
    return -1;
  return std::stol(out.substr(hash + 1, 6), nullptr, 16);
}

// A screenshot once the server shows Expected at (x, y): a loaded machine may
// take a while to map and paint the window.
std::string ShotShowing(const std::string& name, int x, int y, long Expected) {
  std::string file;
  for (int attempt = 0; attempt < 10; ++attempt) {
    file = Screenshot(name);
    if (Pixel(file, x, y) == Expected)
      break;
    PumpFor(300);
  }
  return file;
}

long Rgb(TColor c) {
  const COLORREF v = ColorToRGB(c);
  return (GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v);
}

void Xdotool(const std::string& args) {
  ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args;
}

// Drags its form by pressing anywhere on it.
class TDragArea : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;

protected:
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    dragging = true;
    ox = x;
    oy = y;
    TGraphicControl::MouseDown(b, s, x, y);
  }
  void MouseMove(TShiftState, int x, int y) override {
    if (dragging)
      Parent()->SetBounds(Parent()->Left() + x - ox, Parent()->Top() + y - oy, Parent()->Width(),
                          Parent()->Height());
  }
  void MouseUp(TMouseButton, TShiftState, int, int) override { dragging = false; }

private:
  bool dragging = false;
  int ox = 0, oy = 0;
};

TEST_F(XServer, ShapedBorderlessFormShowsItsShapeAndIsDragged) {
  TForm form(nullptr);
  form.SetBorderStyle(bsNone);
  form.SetColor(clRed);
  // Away from the demo form: the tests may share the screen at the same time.
  form.SetBounds(800, 600, 200, 150);
  // Set before the window exists: kept and applied when it is made.
  form.SetWindowRgn(CreateEllipticRgn(0, 0, 200, 150), false);
  auto* area = new TDragArea(&form);
  area->SetParent(&form);
  area->SetAlign(alClient);
  form.Show();
  PumpFor(300);

  const std::string before = ShotShowing("shaped-form.png", 900, 675, 0xFF0000);
  EXPECT_EQ(Pixel(before, 900, 675), 0xFF0000) << "the middle of the ellipse";
  EXPECT_NE(Pixel(before, 802, 602), 0xFF0000) << "a corner cut off by the shape";
  EXPECT_NE(Pixel(before, 998, 748), 0xFF0000) << "the other corner";

  Xdotool("mousemove 900 675 mousedown 1");
  EXPECT_TRUE(PumpUntil([&] { return area->MouseCapture(); }));
  Xdotool("mousemove 960 715");
  EXPECT_TRUE(PumpUntil([&] { return form.Left() != 800; }));
  Xdotool("mouseup 1");
  EXPECT_TRUE(PumpUntil([&] { return !area->MouseCapture(); }));
  EXPECT_EQ(form.Left(), 860);
  EXPECT_EQ(form.Top(), 640);

  const std::string after = ShotShowing("shaped-form-dragged.png", 960, 715, 0xFF0000);
  EXPECT_EQ(Pixel(after, 960, 715), 0xFF0000);
  EXPECT_NE(Pixel(after, 862, 642), 0xFF0000);
  EXPECT_NE(Pixel(after, 850, 620), 0xFF0000) << "where the form was before";
}

TEST_F(XServer, DemoFormFromItsLayout) {
  auto* form = new TDemoForm(nullptr);
  TStringGrid* grid = form->newsGrid;
  const char* titles[] = {"Date", "Source", "Headline"};
  for (int c = 0; c < 3; ++c)
    grid->SetCells(c, 0, titles[c]);
  for (int r = 1; r < grid->RowCount(); ++r) {
    grid->SetCells(0, r, std::to_string(r) + "/12");
    grid->SetCells(1, r, r % 2 != 0 ? "Tidings" : "Gazette");
    grid->SetCells(2, r, "Headline number " + std::to_string(r));
  }
  grid->SetRow(2);
  for (int i = 0; i < 20; ++i) {
    form->perf->DataPoint(clRed, 10 + i * 4);
    form->perf->Update();
    form->perf->DataPoint(clYellow, 40 - i * 2);
    form->perf->Update();
  }
  form->Show();
  PumpFor(300);
  const TPoint face = form->okButton->ClientToScreen(Point(4, 4));
  const std::string shot = ShotShowing("demo-form.png", face.X, face.Y, Rgb(clBtnFace));
  EXPECT_EQ(Pixel(shot, face.X, face.Y), Rgb(clBtnFace)) << "button face";
  const TPoint disc = form->badge->ClientToScreen(Point(52, 52 + 5));
  EXPECT_EQ(Pixel(shot, disc.X, disc.Y), Rgb(clNavy)) << "badge disc";
  const TPoint panel = form->panel->ClientToScreen(Point(100, 120));
  EXPECT_EQ(Pixel(shot, panel.X, panel.Y), Rgb(clWindow)) << "panel";
  const TRect row = grid->CellRect(2, 2);
  const TPoint selected = grid->ClientToScreen(Point(row.Right - 3, row.Bottom - 2));
  EXPECT_EQ(Pixel(shot, selected.X, selected.Y), Rgb(clHighlight)) << "selected grid row";
  // The last red bar, 86 of 100 on 60 rows, one step before the right edge:
  // its full-colour cap is row 9.
  const TPoint bar = form->perf->ClientToScreen(Point(83, 9));
  EXPECT_EQ(Pixel(shot, bar.X, bar.Y), Rgb(clRed)) << "graph bar";
  const TPoint list = form->languages->ClientToScreen(Point(100, 50));
  EXPECT_EQ(Pixel(shot, list.X, list.Y), Rgb(clWindow)) << "check-list box";
  const TPoint sheet = form->secondSheet->ClientToScreen(Point(5, 40));
  EXPECT_EQ(Pixel(shot, sheet.X, sheet.Y), Rgb(clBtnFace)) << "tab sheet";
  delete form;
}

TEST_F(XServer, ComboListOpensAndPicksWithThePointer) {
  TForm form(nullptr);
  form.SetBorderStyle(bsNone);
  form.SetBounds(300, 300, 200, 120);
  auto* combo = new TComboBox(&form);
  combo->SetParent(&form);
  combo->SetBounds(10, 10, 120, 22);
  combo->SetItemHeight(16);
  for (const char* s : {"one", "two", "three"})
    combo->Items()->Add(s);
  form.Show();
  PumpFor(300);
  const TPoint box = combo->ClientToScreen(Point(20, 10));
  Xdotool("mousemove " + std::to_string(box.X) + " " + std::to_string(box.Y) + " click 1");
  ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
  PumpFor(300);
  const TPoint third = combo->ClientToScreen(Point(20, combo->Height() + 1 + 2 * 16 + 8));
  Xdotool("mousemove " + std::to_string(third.X) + " " + std::to_string(third.Y) + " click 1");
  EXPECT_TRUE(PumpUntil([&] { return combo->ItemIndex() == 2; }));
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_TRUE(combo->Focused());
}

// Real key strokes from the server: each reaches the focused control once,
// with the form first when it previews keys, in an edit (a toolkit editor
// inside) as in a grid.
TEST_F(XServer, EachRealKeyStrokeReachesTheControlOnce) {
  TForm form(nullptr);
  form.SetBounds(300, 300, 260, 160);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(10, 10, 120, 22);
  auto* grid = new TStringGrid(&form);
  grid->SetParent(&form);
  grid->SetBounds(10, 40, 200, 100);
  std::vector<std::string> log;
  for (TWinControl* c : std::initializer_list<TWinControl*>{edit, grid, &form})
    c->OnKeyPress = [&log, c, &form](TObject*, char& key) {
      log.push_back(std::string(c == &form ? "form " : "") + std::to_string(key));
    };
  form.Show();
  ASSERT_TRUE(PumpUntil([&] { return form.Active(); }));
  for (bool preview : {false, true})
    for (TWinControl* c : std::initializer_list<TWinControl*>{edit, grid}) {
      form.KeyPreview = preview;
      form.FocusControl(c);
      PumpFor(200);
      log.clear();
      Xdotool("key --delay 50 Return Escape a");
      PumpFor(300);
      std::vector<std::string> expected;
      for (int key : {13, 27, 97}) {
        if (preview)
          expected.push_back("form " + std::to_string(key));
        expected.push_back(std::to_string(key));
      }
      EXPECT_EQ(log, expected) << (c == edit ? "edit" : "grid")
                               << (preview ? " with key preview" : "");
    }
}

} // namespace
