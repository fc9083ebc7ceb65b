#include "platform/ui/Grids.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Synthetic.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

void Pump(int rounds = 5) {
  for (int i = 0; i < rounds; ++i)
    Application->ProcessMessages();
}

struct TDrawn {
  int Col, Row;
  TRect Rect;
  TGridDrawState State;
};

// A grid of 3 columns (widths 30, 40, 50) and 100 rows of 20 pixels plus a
// line, 1 fixed row and no fixed column, without a border, on a form.
class GridTest : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 300, 220);
    grid = new TStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 200, 150);
    grid->SetBorderStyle(bsNone);
    grid->SetColCount(3);
    grid->SetFixedCols(0);
    grid->SetRowCount(100);
    grid->SetDefaultRowHeight(20);
    grid->SetColWidths(0, 30);
    grid->SetColWidths(1, 40);
    grid->SetColWidths(2, 50);
    grid->SetScrollBars(ssVertical);
    grid->OnDrawCell = [this](TObject*, int c, int r, TRect rect, TGridDrawState s) {
      drawn.push_back({c, r, rect, s});
    };
    form->Show();
    Pump();
  }
  void TearDown() override {
    delete form;
    Pump();
  }

  std::set<int> RowsDrawn() {
    drawn.clear();
    grid->Repaint();
    std::set<int> rows;
    for (const TDrawn& d : drawn)
      rows.insert(d.Row);
    return rows;
  }

  // The screen point inside the given cell, dx and dy from its corner.
  TPoint AtCell(int col, int row, int dx = 5, int dy = 5) const {
    const TRect r = grid->CellRect(col, row);
    return grid->ClientToScreen(Point(r.Left + dx, r.Top + dy));
  }

  void Click(TPoint p, TMouseButton b = mbLeft) {
    SimulateMouseDown(p, b);
    SimulateMouseUp(p, b);
  }

  TColor PixelAt(int x, int y) {
    grid->Repaint();
    HDC dc = GetDC(grid);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(grid, dc);
    return static_cast<TColor>(c);
  }

  TForm* form = nullptr;
  TStringGrid* grid = nullptr;
  std::vector<TDrawn> drawn;
};

TEST_F(GridTest, DrawsOnlyTheRowsThatShowAndFollowsTheScrolling) {
  grid->SetDefaultDrawing(false);
  // 150 pixels: the fixed row, then rows from the top row at 21-pixel steps;
  // the last one (top 147) shows in part.
  EXPECT_EQ(RowsDrawn(), (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(drawn.size(), 8u * 3u);
  for (const TDrawn& d : drawn) {
    EXPECT_EQ(d.State.Contains(gdFixed), d.Row == 0) << d.Col << "," << d.Row;
    if (d.Col == 1 && d.Row == 2) {
      EXPECT_EQ(d.Rect, Rect(31, 42, 71, 62));
    }
  }
  EXPECT_EQ(grid->VisibleRowCount(), 6);

  grid->SetTopRow(50);
  EXPECT_EQ(RowsDrawn(), (std::set<int>{0, 50, 51, 52, 53, 54, 55, 56}));
  // The top row stops where the last row shows whole.
  grid->SetTopRow(1000);
  EXPECT_EQ(grid->TopRow(), 94);
  EXPECT_EQ(RowsDrawn(), (std::set<int>{0, 94, 95, 96, 97, 98, 99}));
  EXPECT_EQ(grid->CellRect(0, 99), Rect(0, 126, 30, 146));
}

TEST_F(GridTest, DefaultDrawingShowsTheTextsAndTheSelection) {
  grid->SetOptions(grid->Options() << goRowSelect);
  grid->SetCells(1, 1, "Xx");
  grid->SetRow(2);
  const TRect text = grid->CellRect(1, 1);
  const TRect selected = grid->CellRect(2, 2);
  // Text pixels of the first data row are in the font colour; the selected
  // row is filled with the highlight colour.
  bool ink = false;
  for (int x = text.Left + 2; x < text.Left + 16 && !ink; ++x)
    for (int y = text.Top + 2; y < text.Bottom && !ink; ++y)
      ink = PixelAt(x, y) == ColorToRGB(clWindowText);
  EXPECT_TRUE(ink);
  EXPECT_EQ(PixelAt(selected.Right - 2, selected.Bottom - 2), ColorToRGB(clHighlight));
  EXPECT_EQ(PixelAt(selected.Right - 2, selected.Bottom + 10), ColorToRGB(clWindow));
}

TEST_F(GridTest, MouseToCellMapsPointsWithBorderLinesAndScrolling) {
  grid->SetBorderStyle(bsSingle); // cells start 2 pixels in
  struct TCase {
    int X, Y, Col, Row;
  };
  // Cells span 2..31, 33..72 and 74..123 across, 2..21 and 23..42 down; a
  // grid line belongs to the cell before it. The bar takes x 182 on.
  const TCase unscrolled[] = {
      {2, 2, 0, 0},    {1, 5, -1, 0},    {31, 5, 0, 0},   {32, 5, 0, 0},
      {33, 5, 1, 0},   {73, 22, 1, 0},   {73, 23, 1, 1},  {74, 23, 2, 1},
      {124, 23, 2, 1}, {125, 23, -1, 1}, {10, 147, 0, 6}, {10, 148, 0, -1},
  };
  for (const TCase& c : unscrolled) {
    int col = 99, row = 99;
    grid->MouseToCell(c.X, c.Y, col, row);
    EXPECT_EQ(col, c.Col) << c.X << "," << c.Y;
    EXPECT_EQ(row, c.Row) << c.X << "," << c.Y;
  }
  grid->SetTopRow(40);
  EXPECT_EQ(grid->MouseCoord(10, 10), (TGridCoord{0, 0})) << "the fixed row stays";
  EXPECT_EQ(grid->MouseCoord(10, 23), (TGridCoord{0, 40}));
  EXPECT_EQ(grid->MouseCoord(10, 23 + 21 * 3), (TGridCoord{0, 43}));
  EXPECT_EQ(grid->CellRect(0, 39), TRect{}) << "scrolled out of sight";
}

TEST_F(GridTest, DraggingAHeaderLineSizesTheColumn) {
  grid->SetOptions(grid->Options() << goColSizing);
  const TRect header = grid->CellRect(1, 0);
  const TPoint line = grid->ClientToScreen(Point(header.Right, header.Top + 5));
  SimulateMouseMove(line);
  SimulateMouseDown(line, mbLeft);
  SimulateMouseMove(Point(line.X + 10, line.Y + 30));
  EXPECT_EQ(grid->ColWidths(1), 50) << "sized while dragging";
  SimulateMouseMove(Point(line.X + 25, line.Y + 30));
  SimulateMouseUp(Point(line.X + 25, line.Y + 30), mbLeft);
  EXPECT_EQ(grid->ColWidths(1), 65);
  EXPECT_EQ(grid->ColWidths(0), 30);
  EXPECT_EQ(grid->ColWidths(2), 50);
  EXPECT_EQ(grid->CellRect(2, 1).Left, 30 + 1 + 65 + 1);

  // Pulled past its left edge, a column ends at width 0.
  const TPoint first = grid->ClientToScreen(Point(grid->CellRect(0, 0).Right, 5));
  SimulateMouseDown(first, mbLeft);
  SimulateMouseMove(Point(first.X - 60, first.Y));
  SimulateMouseUp(Point(first.X - 60, first.Y), mbLeft);
  EXPECT_EQ(grid->ColWidths(0), 0);

  // The same drag over a data row selects instead of sizing.
  const TRect data = grid->CellRect(1, 3);
  const TPoint inData = grid->ClientToScreen(Point(data.Right, data.Top + 5));
  SimulateMouseDown(inData, mbLeft);
  SimulateMouseMove(Point(inData.X + 20, inData.Y));
  SimulateMouseUp(Point(inData.X + 20, inData.Y), mbLeft);
  EXPECT_EQ(grid->ColWidths(1), 65);
  EXPECT_EQ(grid->Row(), 3);

  // Without the option the header line does nothing.
  grid->SetOptions(grid->Options() >> goColSizing);
  const TPoint again = grid->ClientToScreen(Point(grid->CellRect(1, 0).Right, 5));
  SimulateMouseDown(again, mbLeft);
  SimulateMouseMove(Point(again.X + 20, again.Y));
  SimulateMouseUp(Point(again.X + 20, again.Y), mbLeft);
  EXPECT_EQ(grid->ColWidths(1), 65);
}

TEST_F(GridTest, ClicksSelectWholeRowsAskingOnSelectCell) {
  grid->SetOptions(grid->Options() << goRowSelect);
  std::vector<std::string> log;
  grid->OnSelectCell = [&](TObject*, int c, int r, bool& can) {
    log.push_back("select " + std::to_string(c) + "," + std::to_string(r));
    can = r != 4;
  };
  grid->OnClick = [&](TObject*) { log.push_back("click"); };
  grid->OnDblClick = [&](TObject*) { log.push_back("dblclick"); };
  Click(AtCell(2, 3));
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_EQ(grid->Selection(), (TGridRect{0, 3, 2, 3}));
  Click(AtCell(1, 4)); // refused: the row stays, the click still comes
  EXPECT_EQ(grid->Row(), 3);
  Click(AtCell(0, 0)); // the fixed header selects nothing
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_EQ(log, (std::vector<std::string>{"select 2,3", "click", "select 1,4", "click", "click"}));

  log.clear();
  SimulateDoubleClick(AtCell(0, 5));
  EXPECT_EQ(grid->Row(), 5);
  EXPECT_NE(std::find(log.begin(), log.end(), "dblclick"), log.end());

  // Drawing states: the selected row only.
  grid->SetDefaultDrawing(false);
  drawn.clear();
  grid->Repaint();
  for (const TDrawn& d : drawn)
    EXPECT_EQ(d.State.Contains(gdSelected), d.Row == 5) << d.Col << "," << d.Row;
}

TEST_F(GridTest, KeysMoveTheSelectionAndScrollItIntoView) {
  grid->SetOptions(grid->Options() << goRowSelect);
  grid->SetFocus();
  Pump();
  ASSERT_TRUE(grid->Focused());
  SimulateKey(VK_DOWN);
  SimulateKey(VK_DOWN);
  EXPECT_EQ(grid->Row(), 3);
  SimulateKey(VK_UP);
  EXPECT_EQ(grid->Row(), 2);
  for (int i = 0; i < 6; ++i)
    SimulateKey(VK_DOWN);
  // Row 8 is the first beyond the six whole rows: the grid scrolls by one.
  EXPECT_EQ(grid->Row(), 8);
  EXPECT_EQ(grid->TopRow(), 3);
  SimulateKey(VK_NEXT); // a page is the six whole rows
  EXPECT_EQ(grid->Row(), 14);
  EXPECT_EQ(grid->TopRow(), 9);
  SimulateKey(VK_PRIOR);
  EXPECT_EQ(grid->Row(), 8);
  EXPECT_EQ(grid->TopRow(), 8);
  SimulateKey(VK_END);
  EXPECT_EQ(grid->Row(), 99);
  EXPECT_EQ(grid->TopRow(), 94);
  SimulateKey(VK_HOME);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->TopRow(), 1);
  SimulateKey(VK_UP); // stays below the fixed row
  EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridTest, ScrollBarButtonsTrackAndThumbScroll) {
  grid->SetDefaultDrawing(false);
  // The bar is the 16 pixels on the right, arrow buttons at both ends.
  const TPoint down = grid->ClientToScreen(Point(192, 145));
  const TPoint up = grid->ClientToScreen(Point(192, 5));
  Click(down);
  EXPECT_EQ(grid->TopRow(), 2);
  Click(up);
  Click(up);
  EXPECT_EQ(grid->TopRow(), 1);
  Click(grid->ClientToScreen(Point(192, 120))); // the track below the thumb: a page
  EXPECT_EQ(grid->TopRow(), 7);
  EXPECT_EQ(RowsDrawn(), (std::set<int>{0, 7, 8, 9, 10, 11, 12, 13}));
  // The wheel moves the view three rows a notch, the current row stays.
  SimulateMouseWheel(AtCell(1, 9), -120);
  EXPECT_EQ(grid->TopRow(), 10);
  SimulateMouseWheel(AtCell(1, 12), 240);
  EXPECT_EQ(grid->TopRow(), 4);
  EXPECT_EQ(grid->Row(), 1);
  // The thumb dragged to the end of the track shows the last rows.
  const TPoint thumb = grid->ClientToScreen(Point(192, 26));
  SimulateMouseDown(thumb, mbLeft);
  SimulateMouseMove(Point(thumb.X, thumb.Y + 300));
  SimulateMouseUp(Point(thumb.X, thumb.Y + 300), mbLeft);
  EXPECT_EQ(grid->TopRow(), 94);
  // No bar once every row fits.
  grid->SetRowCount(5);
  EXPECT_EQ(grid->TopRow(), 1);
  EXPECT_EQ(grid->MouseCoord(192, 5), (TGridCoord{-1, 0}));
}

TEST_F(GridTest, ColumnsBeyondTheWidthScrollSideways) {
  grid->SetScrollBars(ssBoth);
  grid->SetColCount(8); // five more columns of the default 64 pixels
  grid->SetOptions(grid->Options() << goRowSelect);
  // The horizontal bar takes the bottom 16 pixels, its right arrow ends at
  // the vertical bar.
  EXPECT_EQ(grid->MouseCoord(5, 140), (TGridCoord{0, -1}));
  const TPoint right = grid->ClientToScreen(Point(176, 142));
  Click(right);
  EXPECT_EQ(grid->LeftCol(), 1);
  for (int i = 0; i < 10; ++i)
    Click(right);
  // The last three columns fill the 184 pixels left of the vertical bar.
  EXPECT_EQ(grid->LeftCol(), 6);
  EXPECT_EQ(grid->MouseCoord(5, 5), (TGridCoord{6, 0}));
  EXPECT_EQ(grid->CellRect(0, 1), TRect{});
  grid->SetFocus();
  Pump();
  SimulateKey(VK_LEFT); // whole rows are selected: the arrows scroll
  EXPECT_EQ(grid->LeftCol(), 5);
  EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridTest, EditsACellInPlace) {
  grid->SetOptions(grid->Options() << goEditing);
  grid->SetCells(1, 2, "old");
  // Only column 1 may be selected, as a candidate list allows names only.
  grid->OnSelectCell = [](TObject*, int c, int, bool& can) { can = c == 1; };
  grid->SetCol(1);
  Click(AtCell(1, 2));
  ASSERT_EQ(grid->Row(), 2);
  ASSERT_EQ(grid->Col(), 1);
  EXPECT_FALSE(grid->EditorMode());
  // Typing replaces the text; Enter keeps it.
  SimulateKey('N', {ssShift}, 'N');
  ASSERT_TRUE(grid->EditorMode());
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), grid->CellRect(1, 2));
  SimulateKey('E', {}, 'e');
  SimulateKey('W', {}, 'w');
  SimulateKey(VK_BACK);
  SimulateKey('T', {}, 't');
  EXPECT_EQ(grid->Cells(1, 2), "old") << "not before Enter";
  SimulateKey(VK_RETURN);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 2), "Net");
  EXPECT_TRUE(grid->Focused());

  // F2 opens it with the text; Escape leaves the cell as it was.
  SimulateKey(VK_F2);
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(grid->InplaceEditor()->Text(), "Net");
  SimulateKey(VK_END);
  SimulateKey('X', {}, 'x');
  EXPECT_EQ(grid->InplaceEditor()->Text(), "Netx");
  SimulateKey(VK_ESCAPE);
  EXPECT_EQ(grid->Cells(1, 2), "Net");

  // A click on the current cell edits; Down keeps the text and moves on.
  Click(AtCell(1, 2));
  ASSERT_TRUE(grid->EditorMode());
  SimulateKey(VK_HOME);
  SimulateKey(VK_DELETE);
  SimulateKey(VK_DOWN);
  EXPECT_EQ(grid->Cells(1, 2), "et");
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_FALSE(grid->EditorMode());

  // Tab keeps the text and goes on to the next control of the form.
  auto* next = new TCustomControl(form);
  next->SetParent(form);
  next->SetBounds(220, 10, 40, 20);
  next->SetTabStop(true);
  SimulateKey(VK_F2);
  ASSERT_TRUE(grid->EditorMode());
  SimulateKey('Z', {}, 'z');
  SimulateKey(VK_TAB);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 3), "z");
  EXPECT_EQ(form->ActiveControl(), next);

  // Column 0 cannot be selected, so it is never edited.
  Click(AtCell(0, 3));
  SimulateKey('Q', {}, 'q');
  SimulateKey(VK_RETURN);
  EXPECT_EQ(grid->Cells(0, 3), "");
  EXPECT_EQ(grid->Cells(1, 3), "q");
  EXPECT_EQ(grid->Col(), 1);
}

bool popupShown = false;
TPoint lastPopupAt;

TEST_F(GridTest, ContextPopupComesFirstAndMayKeepTheMenuAway) {
  const TPopupMenuHandler menus =
      SetPopupMenuHandler([](TComponent*, int, int) { popupShown = true; });
  TComponent menu(nullptr);
  grid->SetPopupMenu(&menu);
  TGridCoord seen{-9, -9};
  bool handle = true;
  grid->OnContextPopup = [&](TObject*, TPoint p, bool& handled) {
    seen = grid->MouseCoord(p.X, p.Y);
    handled = handle;
  };
  Click(AtCell(2, 4), mbRight);
  EXPECT_EQ(seen, (TGridCoord{2, 4}));
  EXPECT_FALSE(popupShown);
  EXPECT_EQ(grid->Row(), 1) << "a right click selects nothing";
  handle = false;
  Click(AtCell(0, 0), mbRight);
  EXPECT_EQ(seen, (TGridCoord{0, 0}));
  EXPECT_TRUE(popupShown);
  grid->SetPopupMenu(nullptr);
  SetPopupMenuHandler(menus);
}

TEST_F(GridTest, TheMenuKeyAndShiftF10AskForTheContextMenuToo) {
  TPoint menuAt{-9, -9};
  int menus = 0;
  const TPopupMenuHandler installed =
      SetPopupMenuHandler([](TComponent*, int, int) { popupShown = true; });
  popupShown = false;
  TComponent menu(nullptr);
  grid->SetPopupMenu(&menu);
  std::vector<TPoint> asked;
  bool handle = true;
  grid->OnContextPopup = [&](TObject*, TPoint p, bool& handled) {
    asked.push_back(p);
    handled = handle;
  };
  grid->SetFocus();
  Pump();
  // The keyboard gives no place: (-1, -1), and the handler places the menu.
  SimulateKey(VK_APPS);
  SimulateKey(VK_F10, {ssShift});
  EXPECT_EQ(asked, (std::vector<TPoint>{Point(-1, -1), Point(-1, -1)}));
  EXPECT_FALSE(popupShown);
  // F10 alone or with another modifier is no menu request.
  SimulateKey(VK_F10);
  SimulateKey(VK_F10, {ssCtrl});
  EXPECT_EQ(asked.size(), 2u);
  // Not handled: the control's own menu opens at its top-left corner.
  handle = false;
  SetPopupMenuHandler([](TComponent*, int x, int y) {
    popupShown = true;
    lastPopupAt = Point(x, y);
  });
  SimulateKey(VK_APPS);
  EXPECT_TRUE(popupShown);
  EXPECT_EQ(lastPopupAt, grid->ClientToScreen(Point(0, 0)));
  // Neither a handler nor a menu: the parent is asked.
  grid->SetPopupMenu(nullptr);
  grid->OnContextPopup = nullptr;
  form->OnContextPopup = [&](TObject*, TPoint p, bool& handled) {
    menuAt = p;
    ++menus;
    handled = true;
  };
  SimulateKey(VK_F10, {ssShift});
  Click(AtCell(1, 2), mbRight);
  EXPECT_EQ(menus, 2);
  EXPECT_EQ(menuAt, form->ScreenToClient(AtCell(1, 2)));
  SetPopupMenuHandler(installed);
}

TEST_F(GridTest, SizesKeepTheFixedRowsAndCellsConsistent) {
  grid->SetCells(2, 50, "kept");
  grid->SetCells(2, 80, "dropped");
  grid->SetRow(60);
  grid->SetRowCount(70);
  EXPECT_EQ(grid->Cells(2, 50), "kept");
  grid->SetRowCount(100);
  EXPECT_EQ(grid->Cells(2, 80), "") << "rows removed take their texts along";
  // One row left: it cannot stay fixed; the current row follows.
  grid->SetRowCount(1);
  EXPECT_EQ(grid->FixedRows(), 0);
  EXPECT_EQ(grid->Row(), 0);
  grid->SetRowCount(3);
  grid->SetFixedRows(1);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_THROW(grid->SetFixedRows(3), EInvalidGridOperation);
  EXPECT_THROW(grid->SetFixedCols(3), EInvalidGridOperation);
  EXPECT_THROW(grid->SetColWidths(3, 10), EInvalidGridOperation);
  grid->SetCells(5, 1, "outside"); // ignored
  EXPECT_EQ(grid->Cells(5, 1), "");
  grid->SetColCount(2);
  EXPECT_EQ(grid->ColWidths(1), 40);
  grid->SetDefaultColWidth(25);
  EXPECT_EQ(grid->ColWidths(0), 25);
  EXPECT_EQ(grid->ColWidths(1), 25);
}

} // namespace

namespace {

TEST_F(GridTest, WrittenLayoutKeepsTheColumnsAndOptions) {
  form->SetName("gridForm");
  grid->SetName("grid");
  grid->SetOptions(TGridOptions{goVertLine, goColSizing, goRowSelect});
  grid->SetColWidths(2, 77);
  const AnsiString written = WriteComponentLayout(form);
  EXPECT_NE(written.find("ColWidths = ("), AnsiString::npos) << written;

  TForm copy(nullptr);
  ReadComponentLayout(&copy, written, "grid.lay");
  auto* read = dynamic_cast<TStringGrid*>(copy.FindComponent("grid"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->ColCount(), 3);
  EXPECT_EQ(read->RowCount(), 100);
  EXPECT_EQ(read->FixedCols(), 0);
  EXPECT_EQ(read->ColWidths(0), 30);
  EXPECT_EQ(read->ColWidths(2), 77);
  EXPECT_EQ(read->Options(), (TGridOptions{goVertLine, goColSizing, goRowSelect}));
  EXPECT_EQ(read->ScrollBars(), ssVertical);
  EXPECT_EQ(read->BorderStyle(), bsNone);
  // The grid's part reads back the same (the copy form itself is not shown).
  const AnsiString again = WriteComponentLayout(&copy);
  EXPECT_EQ(again.substr(again.find("object grid:")), written.substr(written.find("object grid:")));
}

} // namespace
