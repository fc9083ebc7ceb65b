#pragma once
// The shown news list that both grids draw: the items the filter accepts,
// sorted by the sort key, their counters, the text of each cell and the
// colours of each row by the item's age. The main window updates it; the
// full-mode window only reads it.
#include "app/Usystemconfig.h"
#include "platform/gfx/Graphics.h"
#include "platform/ui/Grids.h"

#include <cstdint>
#include <vector>

class CDataMatcher;
class NewsData;

// The age step of an item received at `received` seen at `now` (day counts):
// only the time within the day counts, in whole steps of ageStep seconds,
// capped at 4. A reception in the future counts as the newest.
int32_t AgeBucket(TDateTime received, TDateTime now, int32_t ageStep);
// The sort order of two items under SortKey and SortAscending.
int CompareNewsItems(const NewsData* a, const NewsData* b);
// "%-13s %4d[%4d]".
AnsiString CounterLine(const AnsiString& label, int32_t shown, int32_t total);
// The title of a header column; empty beyond the three.
AnsiString HeaderText(const CTextResources& texts, int col);
// The text of an item's cell: date, source name, headline; empty beyond.
AnsiString ItemText(const NewsData* item, int col);
// Selects the row of item in a grid showing items from row 1; a grid whose
// selection is on no item, or whose item is no longer listed, keeps its row.
void SelectRowOfItem(TStringGrid* grid, const std::vector<NewsData*>& items, const NewsData* item);

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
