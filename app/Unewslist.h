#pragma once
// The shown news list that both grids draw: the items the filter accepts,
// sorted by the sort key, their counters, the text of each cell and the
// colours of each row by the item's age. The main window updates it; the
// full-mode window only reads it.
#include "app/Usystemconfig.h"
#include "platform/gfx/Graphics.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Grids.h"

#include <cstdint>
#include <vector>

class CDataMatcher;
class NewsData;

// The age step of an item received at `received` seen at `now` (day counts):
// the whole time since reception in steps of ageStep seconds, capped at 4, so
// that an item of yesterday never shows as new again. A reception in the
// future counts as the newest.
int32_t AgeBucket(TDateTime received, TDateTime now, int32_t ageStep);
// The sort order of two items under SortKey and SortAscending.
int CompareNewsItems(const NewsData* a, const NewsData* b);
// "%-13s %4d[%4d]".
AnsiString CounterLine(const AnsiString& label, int32_t shown, int32_t total);
// The title of a header column; empty beyond the three.
AnsiString HeaderText(const CTextResources& texts, int col);
// The text of an item's cell: date, source name, headline; empty beyond.
AnsiString ItemText(const NewsData* item, int col);
// Where a grid showing items from row 1 stands: the selected item and the
// item at the top of the view, each null when there is none; a view at the
// grid's top has no top item.
struct TGridPlace {
  const NewsData* Selected = nullptr;
  const NewsData* Top = nullptr;
  int TopRow = 1;
};
TGridPlace GridPlaceOf(const TStringGrid* grid, const std::vector<NewsData*>& items);
// After the items changed: the selection back on its item, and the view
// where the user left it, not moved after the selection: a view at the top
// stays there (new rows show in it), one further down keeps its top item.
// A selection whose item is no longer listed keeps its row, a view whose top
// item went keeps its top row.
void RestoreGridPlace(TStringGrid* grid, const std::vector<NewsData*>& items,
                      const TGridPlace& place);

// The colours of one grid's rows: the base background and text colour and
// their five age steps.
struct TRowPalette {
  TColor Background;
  const TColor* BackgroundShades;
  TColor Text;
  const TColor* TextShades;
};
struct TRowColours {
  TColor Background;
  TColor Text;
};
// A row of the age bucket (4: settled), selected or not. A selected row takes
// the base background set apart; the text is legible on whatever background.
TRowColours RowColours(const TRowPalette& palette, int32_t bucket, bool selected);

// What sets one news grid's look apart from the other's: its colours, the
// header's texts and pictures, and whether every headline leaves room for
// the page-change mark (the main grid) or only a page change's does.
struct TNewsGridLook {
  TRowPalette Palette;
  const CTextResources* Texts = nullptr; // null: the titles are empty
  TImage* SortArrow = nullptr;           // of the sort direction; null: none
  TImage* ChangeMark = nullptr;          // null: page changes show no mark
  int32_t AgeStep = 5;
  bool IndentEveryHeadline = false;
};

// One cell of a news grid in the grid's font: a column title with the sort
// arrow on row 0, else the item's text (null: a row without one) in the
// colours of its age, with a separator under an unselected row.
void DrawNewsCell(TCanvas* canvas, const TFont* font, int col, int row, const TRect& rect,
                  bool selected, const NewsData* item, const TNewsGridLook& look);

class TShownNews {
public:
  // The items of all that the filter accepts, sorted, and the counters.
  void Refresh(const std::vector<NewsData*>& all, const CDataMatcher& filter);
  void Clear();
  // Sorts again by SortKey and SortAscending.
  void Sort();

  const std::vector<NewsData*>& Items() const { return items; }
  // The item of a grid row; null for the header and for rows beyond the list.
  NewsData* ItemOfRow(int row) const;
  int32_t ShownNews() const { return shownNews; }
  int32_t TotalNews() const { return totalNews; }
  int32_t ShownChanges() const { return shownChanges; }
  int32_t TotalChanges() const { return totalChanges; }

private:
  std::vector<NewsData*> items; // items belong to their sources
  int32_t shownNews = 0, totalNews = 0, shownChanges = 0, totalChanges = 0;
};
