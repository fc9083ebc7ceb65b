#include "app/Unewslist.h"

#include "app/Uvclfunctions.h"
#include "engine/Newsdata.h"
#include "engine/Newstools.h"
#include "platform/rtl/Sysutils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

int Sign(int value) {
  return (value > 0) - (value < 0);
}

// The serial tie-break: the later-made item last in ascending order.
int CompareSerials(const NewsData* a, const NewsData* b) {
  return a->serial < b->serial ? -1 : (a->serial > b->serial ? 1 : 0);
}

int CompareTexts(const AnsiString& a, const AnsiString& b) {
  return Sign(AnsiCompareStr(a, b));
}

} // namespace

int32_t AgeBucket(TDateTime received, TDateTime now, int32_t ageStep) {
  const double age = now - received;
  if (age < 0)
    return 0;
  const double bucket = std::floor(age * 86400 / ageStep);
  return bucket >= 4 ? 4 : static_cast<int32_t>(bucket);
}

int CompareNewsItems(const NewsData* a, const NewsData* b) {
  int result = 0;
  switch (SortKey) {
  case 0:
    result = a->received < b->received ? -1 : a->received > b->received ? 1 : CompareSerials(a, b);
    break;
  case 1:
    result = CompareTexts(a->dateText, b->dateText);
    if (result == 0)
      result = CompareSerials(a, b);
    break;
  case 2:
    result = CompareTexts(a->GetSourceName(), b->GetSourceName());
    if (result == 0)
      result = CompareSerials(a, b);
    break;
  case 3:
    result = CompareTexts(a->headline, b->headline);
    break;
  default:
    break;
  }
  return SortAscending ? result : -result;
}

AnsiString CounterLine(const AnsiString& label, int32_t shown, int32_t total) {
  char line[256];
  std::snprintf(line, sizeof line, "%-13s %4d[%4d]", label.c_str(), shown, total);
  return line;
}

namespace {

const NewsData* ItemAt(const std::vector<NewsData*>& items, int row) {
  return row >= 1 && row <= static_cast<int>(items.size()) ? items[row - 1] : nullptr;
}

// The grid row of an item, 0 when it is not listed.
int RowOf(const std::vector<NewsData*>& items, const NewsData* item) {
  const auto found = std::find(items.begin(), items.end(), item);
  return item != nullptr && found != items.end() ? static_cast<int>(found - items.begin()) + 1 : 0;
}

} // namespace

TGridPlace GridPlaceOf(const TStringGrid* grid, const std::vector<NewsData*>& items) {
  TGridPlace place;
  place.Selected = ItemAt(items, grid->Row());
  place.TopRow = grid->TopRow();
  if (place.TopRow > 1)
    place.Top = ItemAt(items, place.TopRow);
  return place;
}

void RestoreGridPlace(TStringGrid* grid, const std::vector<NewsData*>& items,
                      const TGridPlace& place) {
  if (const int row = RowOf(items, place.Selected))
    grid->SetRow(row);
  const int top = RowOf(items, place.Top);
  grid->SetTopRow(top > 0 ? top : place.TopRow);
}

AnsiString HeaderText(const CTextResources& texts, int col) {
  switch (col) {
  case 0:
    return texts.DateTitle;
  case 1:
    return texts.SourceTitle;
  case 2:
    return texts.HeaderTitle;
  default:
    return "";
  }
}

AnsiString ItemText(const NewsData* item, int col) {
  if (item == nullptr)
    return "";
  switch (col) {
  case 0:
    return item->dateText;
  case 1:
    return item->GetSourceName();
  case 2:
    return item->headline;
  default:
    return "";
  }
}

TRowColours RowColours(const TRowPalette& palette, int32_t bucket, bool selected) {
  const bool settled = bucket >= 4;
  TColor background = settled ? palette.Background : palette.BackgroundShades[bucket];
  if (selected)
    ScaleColor(palette.Background, background,
               BrightnessFactor(ColorBrightness(palette.Background)));
  // The two gradients may cross: each step's text is made legible on its own.
  const TColor text = settled ? palette.Text : palette.TextShades[bucket];
  return {background, LegibleTextColor(text, background)};
}

namespace {

void DrawHeaderCell(TCanvas* canvas, int col, const TRect& rect, const TNewsGridLook& look) {
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(static_cast<TColor>(0x808080));
  canvas->Font()->SetColor(clBlack);
  const AnsiString text = look.Texts != nullptr ? HeaderText(*look.Texts, col) : "";
  canvas->TextRect(rect, rect.Left + 1, rect.Top + 1, text);
  canvas->FrameRect(rect);
  TImage* arrow = look.SortArrow;
  if (arrow != nullptr && col + 1 == SortKey)
    canvas->Draw(rect.Right - arrow->Width() - 1, rect.Top + 2, arrow->Picture()->Graphic());
}

void DrawItemCell(TCanvas* canvas, int col, const TRect& rect, bool selected, const NewsData* item,
                  const TNewsGridLook& look) {
  const int32_t bucket = item != nullptr ? AgeBucket(item->received, Now(), look.AgeStep) : 4;
  const TRowColours colours = RowColours(look.Palette, bucket, selected);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(colours.Background);
  canvas->Font()->SetColor(colours.Text);
  const bool headline = col == 2 && item != nullptr && look.ChangeMark != nullptr;
  const bool marked = headline && item->kind == 1;
  const int indent =
      marked || (headline && look.IndentEveryHeadline) ? look.ChangeMark->Width() + 2 : 0;
  canvas->TextRect(rect, rect.Left + indent + 1, rect.Top, ItemText(item, col));
  if (marked)
    canvas->Draw(rect.Left + 1, rect.Top + 1, look.ChangeMark->Picture()->Graphic());
  if (selected)
    return;
  TColor line;
  ScaleColor(colours.Background, line, BrightnessFactor(ColorBrightness(colours.Background)));
  canvas->Pen()->SetColor(line);
  canvas->MoveTo(rect.Left, rect.Bottom - 1);
  canvas->LineTo(rect.Right, rect.Bottom - 1);
}

} // namespace

void DrawNewsCell(TCanvas* canvas, const TFont* font, int col, int row, const TRect& rect,
                  bool selected, const NewsData* item, const TNewsGridLook& look) {
  canvas->SetFont(font);
  if (row == 0)
    DrawHeaderCell(canvas, col, rect, look);
  else
    DrawItemCell(canvas, col, rect, selected, item, look);
}

void TShownNews::Refresh(const std::vector<NewsData*>& all, const CDataMatcher& filter) {
  Clear();
  for (NewsData* item : all) {
    const bool change = item->kind == 1;
    ++(change ? totalChanges : totalNews);
    if (!filter.Match(item))
      continue;
    items.push_back(item);
    ++(change ? shownChanges : shownNews);
  }
  Sort();
}

void TShownNews::Clear() {
  items.clear();
  shownNews = totalNews = shownChanges = totalChanges = 0;
}

void TShownNews::Sort() {
  std::sort(items.begin(), items.end(),
            [](const NewsData* a, const NewsData* b) { return CompareNewsItems(a, b) < 0; });
}

NewsData* TShownNews::ItemOfRow(int row) const {
  if (row < 1 || row > static_cast<int>(items.size()))
    return nullptr;
  return items[row - 1];
}
