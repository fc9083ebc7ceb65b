#include "skin/Regions.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Forms.h"
#include "skin/Bmputils.h"
#include "skin/Eputils.h"

#include <string>

namespace {

// A region from a data block, offset by (DX, DY); EReadError for a block
// the platform does not take, so that damaged stored data changes nothing.
HRGN RegionFromData(uint32_t Size, const uint8_t* Data, int DX, int DY) {
  HRGN region = ExtCreateRegion(nullptr, Size, reinterpret_cast<const RGNDATA*>(Data));
  if (region == nullptr)
    throw EReadError("Invalid region data");
  OffsetRgn(region, DX, DY);
  return region;
}

void DeleteRegion(HRGN& Region) {
  if (Region != nullptr)
    DeleteObject(Region);
  Region = nullptr;
}

void PaintRegion(HDC DC, HRGN Region, TColor Color) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
  FillRgn(DC, Region, brush);
  DeleteObject(brush);
}

void FrameRegion(HDC DC, HRGN Region, TColor Color) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
  FrameRgn(DC, Region, brush, 1, 1);
  DeleteObject(brush);
}

// Frames Region one pixel wide at each of the shifts in turn, then puts it
// back where it was.
void FrameAtShifts(HDC DC, HRGN Region, TColor Color, std::initializer_list<TPoint> Shifts) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
  TPoint at{0, 0};
  for (TPoint shift : Shifts) {
    OffsetRgn(Region, shift.X - at.X, shift.Y - at.Y);
    at = shift;
    FrameRgn(DC, Region, brush, 1, 1);
  }
  OffsetRgn(Region, -at.X, -at.Y);
  DeleteObject(brush);
}

// The region data block of a region; 0 for none.
uint32_t DataOf(HRGN Region, std::unique_ptr<uint8_t[]>& Data) {
  const uint32_t size = GetRegionData(Region, 0, nullptr);
  Data = std::make_unique<uint8_t[]>(size);
  GetRegionData(Region, size, reinterpret_cast<RGNDATA*>(Data.get()));
  return size;
}

const bool layoutIdents =
    RegisterEnum<TButtonLayout>({{"blGlyphLeft", TButtonLayout::blGlyphLeft},
                                 {"blGlyphRight", TButtonLayout::blGlyphRight},
                                 {"blGlyphTop", TButtonLayout::blGlyphTop},
                                 {"blGlyphBottom", TButtonLayout::blGlyphBottom}});

} // namespace

void WriteRegionData(HRGN Region, TStream& Stream) {
  const uint32_t size = Region != nullptr ? GetRegionData(Region, 0, nullptr) : 0;
  if (size == 0) {
    Stream.WriteBuffer(&size, 4);
    return;
  }
  auto data = std::make_unique<uint8_t[]>(size);
  GetRegionData(Region, size, reinterpret_cast<RGNDATA*>(data.get()));
  Stream.WriteBuffer(&size, 4);
  Stream.WriteBuffer(data.get(), static_cast<int>(size));
}

uint32_t ReadRegionData(TStream& Stream, std::unique_ptr<uint8_t[]>& Data) {
  Data.reset();
  uint32_t size = 0;
  Stream.ReadBuffer(&size, 4);
  if (size == 0)
    return 0;
  if (size > Stream.Size() - Stream.Position())
    throw EReadError("Region data is cut short");
  Data = std::make_unique<uint8_t[]>(size);
  Stream.ReadBuffer(Data.get(), static_cast<int>(size));
  return size;
}

// ---------------------------------------------------------------- TepRegionForm

TepRegionForm::TepRegionForm(TComponent* AOwner)
    : TGraphicControl(AOwner), picture(std::make_unique<TPicture>()),
      regionType(std::make_unique<TepRegionType>(this)), mask(std::make_unique<TBitmap>()) {
  SetAlign(alClient);
  SetColor(clBtnFace);
  ownerWindow = dynamic_cast<TWinControl*>(AOwner);
  if (ownerWindow == nullptr)
    throw EInvalidCast("Invalid class typecast");
  oldWndProc = ownerWindow->WindowProc;
  ownerWindow->WindowProc = [this](TMessage& m) { SubclassProc(m); };
  hooked = true;
}

TepRegionForm::~TepRegionForm() {
  Destroying();
  // The form's destruction unhooks first; a control freed on its own must
  // not leave its procedure behind on a living form.
  Unhook();
  DeleteOffsetRegions();
  if (!regionGiven)
    DeleteRegion(regionType->Region);
}

void TepRegionForm::Unhook() {
  if (!hooked)
    return;
  hooked = false;
  ownerWindow->WindowProc = oldWndProc;
}

void TepRegionForm::SubclassProc(TMessage& Message) {
  // A copy: the destruction message puts the previous procedure back while
  // it is still to be called.
  const TWndMethod previous = oldWndProc;
  switch (Message.Msg) {
  case WM_DESTROY:
    Unhook();
    break;
  case WM_ACTIVATE:
    if (showBevel || showTitle)
      InvalidateOwner();
    break;
  case WM_ERASEBKGND:
    // The skin paints every pixel.
    Message.Result = 0;
    return;
  default:
    break;
  }
  previous(Message);
}

void TepRegionForm::SetParent(TWinControl* AParent) {
  TGraphicControl::SetParent(AParent);
  if (AParent != nullptr) {
    auto* form = dynamic_cast<TCustomForm*>(AParent);
    if (form == nullptr)
      throw Exception("Drop the RegionForm on a FORM!");
    form->SetBorderStyle(bsNone);
    form->Scaled = false;
  }
  SetTop(0);
  SetLeft(0);
}

void TepRegionForm::InvalidateOwner() {
  ownerWindow->Invalidate();
}

void TepRegionForm::SetPicture(const TPicture* Value) {
  picture->Assign(Value);
  if (Value != nullptr) {
    showTitle = false;
    showBevel = false;
  }
  InvalidateOwner();
}

void TepRegionForm::SetShowTitle(bool Value) {
  if (Value == showTitle)
    return;
  showTitle = Value;
  InvalidateOwner();
}

void TepRegionForm::SetShowBevel(bool Value) {
  if (Value == showBevel)
    return;
  showBevel = Value;
  InvalidateOwner();
}

void TepRegionForm::SetMask(const TBitmap* Value) {
  mask->Assign(Value);
  std::unique_ptr<uint8_t[]> data;
  const int size = CreateRgnFromBmp(mask.get(), data);
  if (size < 1)
    return;
  ownerWindow->SetClientWidth(mask->Width());
  ownerWindow->SetClientHeight(mask->Height());
  NewRegion(static_cast<uint32_t>(size), data.get());
}

void TepRegionForm::DeleteOffsetRegions() {
  DeleteRegion(fillRgn);
  DeleteRegion(highlightRgn);
  DeleteRegion(shadowRgn);
  DeleteRegion(titleRgn);
}

void TepRegionForm::NewRegion(uint32_t Size, const uint8_t* Data) {
  // Every region is made before anything is replaced: a block the platform
  // refuses leaves the shape as it was.
  std::unique_ptr<TRegionObject, BOOL (*)(HGDIOBJ)> window(RegionFromData(Size, Data, 0, 0),
                                                           &DeleteObject);
  // An outline without a single pixel would hide the window and let no
  // click reach it: it means no outline at all.
  RECT box;
  if (window && GetRgnBox(window.get(), &box) == NULLREGION) {
    ClearRegion();
    return;
  }
  std::unique_ptr<TRegionObject, BOOL (*)(HGDIOBJ)> fill(
      RegionFromData(Size, Data, -Left(), -Top()), &DeleteObject);
  std::unique_ptr<TRegionObject, BOOL (*)(HGDIOBJ)> highlight(
      RegionFromData(Size, Data, 1 - Left(), 1 - Top()), &DeleteObject);
  std::unique_ptr<TRegionObject, BOOL (*)(HGDIOBJ)> shadow(
      RegionFromData(Size, Data, -1 - Left(), -1 - Top()), &DeleteObject);
  std::unique_ptr<TRegionObject, BOOL (*)(HGDIOBJ)> title(
      RegionFromData(Size, Data, -Left(), titleHeight - Top()), &DeleteObject);

  const HRGN previous = regionType->Region;
  const bool previousGiven = regionGiven;
  regionType->Region = window.release();
  // The window owns its region from here on and frees the one it had.
  ownerWindow->SetWindowRgn(regionType->Region, true);
  regionGiven = true;
  DeleteOffsetRegions();
  fillRgn = fill.release();
  highlightRgn = highlight.release();
  shadowRgn = shadow.release();
  titleRgn = title.release();
  if (previous != nullptr && !previousGiven)
    DeleteObject(previous);
}

void TepRegionForm::ClearRegion() {
  DeleteOffsetRegions();
  if (regionGiven)
    ownerWindow->SetWindowRgn(nullptr, true);
  else
    DeleteRegion(regionType->Region);
  regionType->Region = nullptr;
  regionGiven = false;
}

void TepRegionForm::DefineProperties(TFiler& Filer) {
  TGraphicControl::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Region", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, true);
}

void TepRegionForm::ReadData(TStream& Stream) {
  std::unique_ptr<uint8_t[]> data;
  const uint32_t size = ReadRegionData(Stream, data);
  if (size == 0) {
    ClearRegion();
    return;
  }
  NewRegion(size, data.get());
}

void TepRegionForm::WriteData(TStream& Stream) {
  WriteRegionData(regionType->Region, Stream);
}

void TepRegionForm::Paint() {
  TCanvas* canvas = Canvas();
  if (picture->Graphic() != nullptr && !picture->Graphic()->Empty()) {
    canvas->Draw(0, 0, picture->Graphic());
    return;
  }
  if (regionType->Region == nullptr)
    return;
  TBitmap face;
  face.SetSize(Width(), Height());
  HDC dc = face.Canvas()->Handle();
  face.Canvas()->Brush()->SetColor(clBtnFace);
  face.Canvas()->FillRect(Rect(0, 0, Width(), Height()));
  if (showTitle) {
    PaintRegion(dc, fillRgn, Application->Active() ? clActiveCaption : clInactiveCaption);
    PaintRegion(dc, titleRgn, clBtnFace);
  } else {
    PaintRegion(dc, fillRgn, clBtnFace);
  }
  if (showBevel) {
    FrameRegion(dc, highlightRgn, clBtnHighlight);
    FrameRegion(dc, shadowRgn, clBtnShadow);
  }
  FrameRegion(dc, fillRgn, clBlack);
  canvas->Draw(0, 0, &face);
}

void TepRegionForm::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (!draggable)
    return;
  dragging = true;
  dragX = X;
  dragY = Y;
}

void TepRegionForm::MouseMove(TShiftState, int X, int Y) {
  TWinControl* form = Parent();
  if (!dragging || form == nullptr)
    return;
  form->SetBounds(form->Left() + X - dragX, form->Top() + Y - dragY, form->Width(), form->Height());
}

void TepRegionForm::MouseUp(TMouseButton, TShiftState, int, int) {
  dragging = false;
}

// ---------------------------------------------------------------- TepRegionGraphicControl

TepRegionGraphicControl::TepRegionGraphicControl(TComponent* AOwner)
    : TGraphicControl(AOwner), regionType(std::make_unique<TepRegionType>(this)),
      mask(std::make_unique<TBitmap>()) {
  SetBounds(Left(), Top(), 50, 50);
  SetColor(clWhite);
}

TepRegionGraphicControl::~TepRegionGraphicControl() {
  DeleteRegion(regionType->Region);
}

void TepRegionGraphicControl::SetMask(const TBitmap* Value) {
  mask->Assign(Value);
  if (mask->Empty())
    return;
  const int width = mask->Width();
  const int height = mask->Height();
  SetBounds(Left(), Top(), width, height);
  const TFBitmap scan(mask->Handle());
  HRGN shape = CreateRectRgn(0, 0, width, height);
  HRGN run = CreateRectRgn(0, 0, 0, 0);
  for (int x = 0; x < width; ++x) {
    int y = 0;
    while (y < height) {
      auto white = [&scan, x](int row) {
        const uint8_t* p = scan.Row(row) + x * 3;
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
      };
      if (!white(y)) {
        ++y;
        continue;
      }
      const int top = y;
      while (y < height && white(y))
        ++y;
      SetRectRgn(run, x, top, x + 1, y);
      CombineRgn(shape, shape, run, RGN_DIFF);
    }
  }
  DeleteObject(run);
  std::unique_ptr<uint8_t[]> data;
  const uint32_t size = DataOf(shape, data);
  DeleteObject(shape);
  NewRegion(size, data.get());
}

void TepRegionGraphicControl::NewRegion(uint32_t Size, const uint8_t* Data) {
  HRGN region = RegionFromData(Size, Data, 0, 0);
  DeleteRegion(regionType->Region);
  regionType->Region = region;
  Invalidate();
}

void TepRegionGraphicControl::ClearRegion() {
  DeleteRegion(regionType->Region);
  Invalidate();
}

void TepRegionGraphicControl::DefineProperties(TFiler& Filer) {
  TGraphicControl::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Region", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, true);
}

void TepRegionGraphicControl::ReadData(TStream& Stream) {
  std::unique_ptr<uint8_t[]> data;
  const uint32_t size = ReadRegionData(Stream, data);
  if (size == 0)
    ClearRegion();
  else
    NewRegion(size, data.get());
}

void TepRegionGraphicControl::WriteData(TStream& Stream) {
  WriteRegionData(regionType->Region, Stream);
}

void TepRegionGraphicControl::Paint() {
  if (regionType->Region != nullptr)
    PaintRegion(Canvas()->Handle(), regionType->Region, Color());
}

// ---------------------------------------------------------------- edges

void DrawRegionEdge(TCanvas* Canvas, HRGN FillRgn, HRGN UpperLeft, HRGN LowerRight, bool Down,
                    bool Fill) {
  HDC dc = Canvas->Handle();
  if (UpperLeft != nullptr)
    FrameAtShifts(dc, UpperLeft, Down ? clBtnShadow : clBtnHighlight, {{-1, -1}});
  if (LowerRight != nullptr)
    FrameAtShifts(dc, LowerRight, Down ? clBtnHighlight : clBtnShadow, {{1, 1}});
  if (Fill)
    PaintRegion(dc, FillRgn, clBtnFace);
}

void DrawRegionEdgeStd(TCanvas* Canvas, HRGN FillRgn, HRGN UpperLeft, HRGN LowerRight, bool Down,
                       bool Fill) {
  HDC dc = Canvas->Handle();
  if (LowerRight != nullptr) {
    FrameAtShifts(dc, LowerRight, Down ? clBtnHighlight : cl3DDkShadow,
                  {{0, 0}, {2, 0}, {2, 2}, {0, 2}});
    FrameAtShifts(dc, LowerRight, Down ? cl3DLight : clBtnShadow, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  }
  if (UpperLeft != nullptr) {
    FrameAtShifts(dc, UpperLeft, Down ? cl3DDkShadow : clBtnHighlight,
                  {{0, 0}, {-2, 0}, {0, -2}, {-2, -2}});
    FrameAtShifts(dc, UpperLeft, Down ? clBtnShadow : cl3DLight,
                  {{0, 0}, {-1, 0}, {0, -1}, {-1, -1}});
  }
  if (Fill)
    PaintRegion(dc, FillRgn, clBtnFace);
}

// ---------------------------------------------------------------- TButtonGlyph

TButtonGlyph::TButtonGlyph() : original(std::make_unique<TBitmap>()) {
  original->OnChange = [this](TObject* sender) { GlyphChanged(sender); };
}

TButtonGlyph::~TButtonGlyph() = default;

void TButtonGlyph::Invalidate() {
  images.clear();
  for (int& index : indexes)
    index = -1;
}

void TButtonGlyph::GlyphChanged(TObject* Sender) {
  Invalidate();
  if (!original->Empty()) {
    transparentColor = original->TransparentColor() & ~clPaletteRelative;
    const int width = original->Width();
    const int height = original->Height();
    if (height > 0 && width % height == 0) {
      const int frames = width / height;
      numGlyphs = frames > 4 ? 1 : frames;
    }
  }
  if (OnChange)
    OnChange(Sender);
}

void TButtonGlyph::SetNumGlyphs(int Value) {
  if (Value < 1 || Value > 4 || Value == numGlyphs)
    return;
  Invalidate();
  numGlyphs = Value;
  if (OnChange)
    OnChange(original.get());
}

TBitmap* TButtonGlyph::StateImage(TButtonState State, TColor& Transparent) {
  const int which = static_cast<int>(State);
  if (original->Empty() || original->Width() / numGlyphs == 0)
    return nullptr;
  const bool embossed = State == TButtonState::bsDisabled && numGlyphs < 2;
  Transparent = embossed ? clBtnFace : transparentColor;
  if (indexes[which] >= 0)
    return images[static_cast<size_t>(indexes[which])].get();
  const int width = original->Width() / numGlyphs;
  const int height = original->Height();
  const int frame = which + 1 > numGlyphs ? 0 : which;
  auto image = std::make_unique<TBitmap>();
  image->SetSize(width, height);
  if (embossed) {
    // The shape of the first frame pressed into the face: light one pixel
    // down and right, dark in place.
    image->Canvas()->Brush()->SetColor(clBtnFace);
    image->Canvas()->FillRect(Rect(0, 0, width, height));
    const TColor key = ColorToRGB(transparentColor);
    for (TColor color : {clBtnHighlight, clBtnShadow}) {
      const int shift = color == clBtnHighlight ? 1 : 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          if (original->Canvas()->Pixels(x, y) != key && x + shift < width && y + shift < height)
            image->Canvas()->SetPixels(x + shift, y + shift, color);
    }
  } else {
    BitBlt(image->Canvas()->Handle(), 0, 0, width, height, original->Canvas()->Handle(),
           frame * width, 0, SRCCOPY);
  }
  indexes[which] = static_cast<int>(images.size());
  images.push_back(std::move(image));
  return images.back().get();
}

void TButtonGlyph::CalcLayout(TCanvas* Canvas, const TRect& Client, TPoint Offset,
                              const AnsiString& Caption, TButtonLayout Layout, int Margin,
                              int Spacing, TPoint& GlyphPos, TRect& TextBounds) {
  const int clientWidth = Client.Width();
  const int clientHeight = Client.Height();
  TPoint glyphSize{0, 0};
  if (!original->Empty())
    glyphSize = Point(original->Width() / numGlyphs, original->Height());
  TRect text = Rect(0, 0, clientWidth, 0);
  if (!Caption.empty())
    Canvas->DrawText(Caption, text, DT_CALCRECT);
  const TPoint textSize{text.Width(), text.Height()};
  const bool across = Layout == TButtonLayout::blGlyphLeft || Layout == TButtonLayout::blGlyphRight;
  TPoint textPos;
  if (across) {
    GlyphPos.Y = (clientHeight - glyphSize.Y + 1) / 2;
    textPos.Y = (clientHeight - textSize.Y + 1) / 2;
  } else {
    GlyphPos.X = (clientWidth - glyphSize.X + 1) / 2;
    textPos.X = (clientWidth - textSize.X + 1) / 2;
  }
  if (textSize.X == 0 || glyphSize.X == 0)
    Spacing = 0;
  if (Margin == -1) {
    const int total =
        across ? glyphSize.X + Spacing + textSize.X : glyphSize.Y + Spacing + textSize.Y;
    Margin = ((across ? clientWidth : clientHeight) - total + 1) / 2;
  }
  switch (Layout) {
  case TButtonLayout::blGlyphLeft:
    GlyphPos.X = Margin;
    textPos.X = GlyphPos.X + glyphSize.X + Spacing;
    break;
  case TButtonLayout::blGlyphRight:
    GlyphPos.X = clientWidth - Margin - glyphSize.X;
    textPos.X = GlyphPos.X - Spacing - textSize.X;
    break;
  case TButtonLayout::blGlyphTop:
    GlyphPos.Y = Margin;
    textPos.Y = GlyphPos.Y + glyphSize.Y + Spacing;
    break;
  case TButtonLayout::blGlyphBottom:
    GlyphPos.Y = clientHeight - Margin - glyphSize.Y;
    textPos.Y = GlyphPos.Y - Spacing - textSize.Y;
    break;
  }
  GlyphPos = Point(GlyphPos.X + Client.Left + Offset.X, GlyphPos.Y + Client.Top + Offset.Y);
  TextBounds = Bounds(textPos.X + Client.Left + Offset.X, textPos.Y + Client.Top + Offset.Y,
                      textSize.X, textSize.Y);
}

void TButtonGlyph::DrawCaption(TCanvas* Canvas, const AnsiString& Caption, TRect TextBounds,
                               TButtonState State) {
  if (Caption.empty())
    return;
  Canvas->Brush()->SetStyle(bsClear);
  if (State == TButtonState::bsDisabled) {
    const TColor own = Canvas->Font()->Color();
    TRect shifted =
        Rect(TextBounds.Left + 1, TextBounds.Top + 1, TextBounds.Right + 1, TextBounds.Bottom + 1);
    Canvas->Font()->SetColor(clWhite);
    Canvas->DrawText(Caption, shifted, DT_CENTER);
    Canvas->Font()->SetColor(clGray);
    Canvas->DrawText(Caption, TextBounds, DT_CENTER);
    Canvas->Font()->SetColor(own);
    return;
  }
  Canvas->DrawText(Caption, TextBounds, DT_CENTER);
}

TRect TButtonGlyph::Draw(TCanvas* Canvas, const TRect& Client, TPoint Offset,
                         const AnsiString& Caption, TButtonLayout Layout, int Margin, int Spacing,
                         TButtonState State) {
  TPoint glyphPos;
  TRect textBounds;
  CalcLayout(Canvas, Client, Offset, Caption, Layout, Margin, Spacing, glyphPos, textBounds);
  TColor transparent = clNone;
  if (TBitmap* image = StateImage(State, transparent))
    DrawBitmapTransparent(Canvas, glyphPos.X, glyphPos.Y, image, transparent);
  DrawCaption(Canvas, Caption, textBounds, State);
  return textBounds;
}

AnsiString FitCaption(TCanvas* Canvas, const AnsiString& Caption, int Width) {
  AnsiString result;
  size_t start = 0;
  while (start <= Caption.size()) {
    size_t end = Caption.find('\n', start);
    if (end == AnsiString::npos)
      end = Caption.size();
    AnsiString line = Caption.substr(start, end - start);
    const bool cr = !line.empty() && line.back() == '\r';
    if (cr)
      line.pop_back();
    const AnsiString whole = line;
    for (size_t k = 2; Canvas->TextWidth(line) > Width && k < whole.size(); ++k)
      line = whole.substr(0, whole.size() - k) + "...";
    result += line;
    if (end < Caption.size())
      result += cr ? "\r\n" : "\n";
    start = end + 1;
  }
  return result;
}

// ---------------------------------------------------------------- TepRegionSpeedButton

namespace {

// The checkerboard of the exclusive state, shared by every speed button.
TBitmap* pattern = nullptr;
int buttonCount = 0;

TBitmap* Pattern() {
  if (pattern != nullptr)
    return pattern;
  pattern = new TBitmap;
  pattern->SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      pattern->Canvas()->SetPixels(x, y, (x + y) % 2 == 0 ? clBtnFace : clBtnHighlight);
  return pattern;
}

} // namespace

TepRegionSpeedButton::TepRegionSpeedButton(TComponent* AOwner)
    : TepRegionGraphicControl(AOwner), glyph(std::make_unique<TButtonGlyph>()) {
  ++buttonCount;
  SetBounds(0, 0, 25, 25);
  ControlStyle = {csCaptureMouse, csOpaque, csDoubleClicks};
  SetParentFont(true);
  glyph->OnChange = [this](TObject* sender) { GlyphChanged(sender); };
}

TepRegionSpeedButton::~TepRegionSpeedButton() {
  DeleteEdgeRegions();
  if (--buttonCount == 0) {
    delete pattern;
    pattern = nullptr;
  }
}

void TepRegionSpeedButton::DeleteEdgeRegions() {
  DeleteRegion(upperLeftRgn);
  DeleteRegion(lowerRightRgn);
}

void TepRegionSpeedButton::NewRegion(uint32_t Size, const uint8_t* Data) {
  HRGN upperLeft = RegionFromData(Size, Data, 0, 0);
  HRGN lowerRight = RegionFromData(Size, Data, 0, 0);
  try {
    TepRegionGraphicControl::NewRegion(Size, Data);
  } catch (...) {
    DeleteObject(upperLeft);
    DeleteObject(lowerRight);
    throw;
  }
  DeleteEdgeRegions();
  upperLeftRgn = upperLeft;
  lowerRightRgn = lowerRight;
}

void TepRegionSpeedButton::ClearRegion() {
  DeleteEdgeRegions();
  TepRegionGraphicControl::ClearRegion();
}

void TepRegionSpeedButton::GlyphChanged(TObject*) {
  Invalidate();
}

void TepRegionSpeedButton::SetGlyph(const TBitmap* Value) {
  glyph->SetGlyph(Value);
  Invalidate();
}

void TepRegionSpeedButton::SetNumGlyphs(int Value) {
  glyph->SetNumGlyphs(Value);
  Invalidate();
}

void TepRegionSpeedButton::SetGroupIndex(int Value) {
  if (Value == groupIndex)
    return;
  groupIndex = Value;
  UpdateExclusive();
}

void TepRegionSpeedButton::SetDown(bool Value) {
  if (groupIndex == 0)
    Value = false;
  if (Value == down)
    return;
  if (down && !allowAllUp)
    return;
  down = Value;
  if (Value) {
    state = TButtonState::bsExclusive;
  } else {
    state = TButtonState::bsUp;
  }
  Invalidate();
  if (Value)
    UpdateExclusive();
}

void TepRegionSpeedButton::SetAllowAllUp(bool Value) {
  if (Value == allowAllUp)
    return;
  allowAllUp = Value;
  UpdateExclusive();
}

void TepRegionSpeedButton::SetLayout(TButtonLayout Value) {
  if (Value == layout)
    return;
  layout = Value;
  Invalidate();
}

void TepRegionSpeedButton::SetSpacing(int Value) {
  if (Value == spacing)
    return;
  spacing = Value;
  Invalidate();
}

void TepRegionSpeedButton::SetMargin(int Value) {
  if (Value == margin || Value < -1)
    return;
  margin = Value;
  Invalidate();
}

void TepRegionSpeedButton::SetFlat(bool Value) {
  if (Value == flat)
    return;
  flat = Value;
  Invalidate();
}

void TepRegionSpeedButton::SetGlyphPosX(int Value) {
  if (Value == glyphPosX)
    return;
  glyphPosX = Value;
  Invalidate();
}

void TepRegionSpeedButton::SetGlyphPosY(int Value) {
  if (Value == glyphPosY)
    return;
  glyphPosY = Value;
  Invalidate();
}

bool TepRegionSpeedButton::Inside(int X, int Y) const {
  if (regionType->Region != nullptr)
    return PtInRegion(regionType->Region, X, Y) != 0;
  return X >= 0 && Y >= 0 && X < Width() && Y < Height();
}

// Tells the other buttons of the group, so that they let go.
void TepRegionSpeedButton::UpdateExclusive() {
  if (groupIndex == 0 || Parent() == nullptr)
    return;
  TMessage message{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex),
                   reinterpret_cast<LPARAM>(static_cast<TObject*>(this)), 0};
  Parent()->Broadcast(message);
}

void TepRegionSpeedButton::CMButtonPressed(TMessage& Message) {
  // Other kinds of buttons use the notice too: only region speed buttons
  // are taken as group members.
  auto* sender = dynamic_cast<TepRegionSpeedButton*>(reinterpret_cast<TObject*>(Message.LParam));
  if (sender == nullptr || sender == this || static_cast<int>(Message.WParam) != groupIndex)
    return;
  if (sender->down && down) {
    down = false;
    state = TButtonState::bsUp;
    Invalidate();
  }
  allowAllUp = sender->allowAllUp;
}

void TepRegionSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TepRegionGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled() || !Inside(X, Y))
    return;
  if (!down) {
    state = TButtonState::bsDown;
    Repaint();
  }
  dragging = true;
}

void TepRegionSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TepRegionGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging)
    return;
  TButtonState wanted = down ? TButtonState::bsExclusive : TButtonState::bsUp;
  if (Inside(X, Y))
    wanted = down ? TButtonState::bsExclusive : TButtonState::bsDown;
  if (wanted == state)
    return;
  state = wanted;
  Repaint();
}

void TepRegionSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TepRegionGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!dragging)
    return;
  dragging = false;
  const bool inside = Inside(X, Y);
  if (groupIndex == 0) {
    state = TButtonState::bsUp;
    mouseInControl = false;
    if (inside)
      Repaint();
  } else if (inside) {
    SetDown(!down);
    if (down)
      Repaint();
  } else {
    if (down)
      state = TButtonState::bsExclusive;
    Repaint();
  }
  if (inside)
    Click();
  UpdateTracking();
}

void TepRegionSpeedButton::UpdateTracking() {
  if (!flat || !Enabled())
    return;
  const bool was = mouseInControl;
  mouseInControl = FindDragTarget(Mouse_CursorPos(), true) == this;
  if (mouseInControl != was)
    Perform(mouseInControl ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

void TepRegionSpeedButton::CMEnabledChanged(TMessage& Message) {
  TepRegionGraphicControl::CMEnabledChanged(Message);
  UpdateTracking();
  Repaint();
}

void TepRegionSpeedButton::CMMouseEnter(TMessage& Message) {
  TepRegionGraphicControl::CMMouseEnter(Message);
  if (!flat || !Enabled())
    return;
  mouseInControl = true;
  Repaint();
}

void TepRegionSpeedButton::CMMouseLeave(TMessage& Message) {
  TepRegionGraphicControl::CMMouseLeave(Message);
  if (!flat || !Enabled() || dragging)
    return;
  mouseInControl = false;
  Invalidate();
}

void TepRegionSpeedButton::PaintFrame(TCanvas* Canvas, TRect& PaintRect, bool Pressed) {
  HRGN shape = regionType->Region;
  RECT r{PaintRect.Left, PaintRect.Top, PaintRect.Right, PaintRect.Bottom};
  if (shape != nullptr) {
    if (!flat) {
      DrawRegionEdgeStd(Canvas, shape, upperLeftRgn, lowerRightRgn, Pressed, true);
      return;
    }
    if (!Pressed && (!mouseInControl || state == TButtonState::bsDisabled))
      DrawRegionEdge(Canvas, shape, nullptr, nullptr, false, true);
    else
      DrawRegionEdge(Canvas, shape, upperLeftRgn, lowerRightRgn, Pressed, true);
    InflateRect(&r, -1, -1);
  } else if (flat) {
    Canvas->Brush()->SetColor(clBtnFace);
    Canvas->FillRect(PaintRect);
    if (Pressed || mouseInControl)
      DrawEdge(Canvas->Handle(), &r, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    InflateRect(&r, -1, -1);
  } else {
    DrawFrameControl(Canvas->Handle(), &r, DFC_BUTTON,
                     DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (Pressed ? DFCS_PUSHED : 0u));
  }
  PaintRect = Rect(r.left, r.top, r.right, r.bottom);
}

void TepRegionSpeedButton::Paint() {
  if (!Enabled()) {
    state = TButtonState::bsDisabled;
    dragging = false;
  } else if (state == TButtonState::bsDisabled) {
    state = down && groupIndex != 0 ? TButtonState::bsExclusive : TButtonState::bsUp;
  }
  const bool pressed = state == TButtonState::bsDown || state == TButtonState::bsExclusive;
  HRGN shape = regionType->Region;
  TCanvas* target = Canvas();
  std::unique_ptr<TBitmap> face;
  if (shape != nullptr) {
    // Olive marks what lies outside the shape.
    face = std::make_unique<TBitmap>();
    face->SetSize(Width(), Height());
    face->Canvas()->Brush()->SetColor(clOlive);
    face->Canvas()->FillRect(Rect(0, 0, Width(), Height()));
    target = face->Canvas();
  }
  TRect paintRect = Rect(glyphPosX, glyphPosY, Width(), Height());
  PaintFrame(target, paintRect, pressed);
  if (state == TButtonState::bsExclusive && !(flat && mouseInControl)) {
    HBRUSH brush = CreatePatternBrush(Pattern()->Handle());
    if (shape != nullptr) {
      FillRgn(target->Handle(), shape, brush);
    } else {
      const RECT r{paintRect.Left, paintRect.Top, paintRect.Right, paintRect.Bottom};
      FillRect(target->Handle(), &r, brush);
    }
    DeleteObject(brush);
  }
  target->SetFont(Font());
  const TPoint offset = pressed ? Point(1, 1) : Point(0, 0);
  glyph->Draw(target, paintRect, offset, FitCaption(target, Caption(), paintRect.Width()), layout,
              margin, spacing, state);
  if (face)
    DrawBitmapTransparent(Canvas(), 0, 0, face.get(), clOlive);
}

WT_PUBLISH(TepRegionForm, TGraphicControl) {
  p.Property("Draggable", &TepRegionForm::Draggable, &TepRegionForm::SetDraggable);
  p.Object("Mask", &TepRegionForm::Mask);
  p.Object("Picture", &TepRegionForm::Picture);
  p.Property("ShowTitle", &TepRegionForm::ShowTitle, &TepRegionForm::SetShowTitle);
  p.Property("ShowBevel", &TepRegionForm::ShowBevel, &TepRegionForm::SetShowBevel);
  p.Property("TitleHeight", &TepRegionForm::TitleHeight, &TepRegionForm::SetTitleHeight);
}

WT_PUBLISH(TepRegionGraphicControl, TGraphicControl) {
  p.Color("Color", &TControl::Color, &TControl::SetColor).Default(clWindow);
  p.Object("Mask", &TepRegionGraphicControl::Mask);
}

WT_PUBLISH(TepRegionSpeedButton, TepRegionGraphicControl) {
  p.Property("AllowAllUp", &TepRegionSpeedButton::AllowAllUp, &TepRegionSpeedButton::SetAllowAllUp)
      .Default(false);
  p.Property("GroupIndex", &TepRegionSpeedButton::GroupIndex, &TepRegionSpeedButton::SetGroupIndex)
      .Default(0);
  p.Property("Down", &TepRegionSpeedButton::Down, &TepRegionSpeedButton::SetDown).Default(false);
  p.Property("Flat", &TepRegionSpeedButton::Flat, &TepRegionSpeedButton::SetFlat).Default(false);
  p.Object("Glyph", &TepRegionSpeedButton::Glyph);
  p.Property("GlyphPosX", &TepRegionSpeedButton::GlyphPosX, &TepRegionSpeedButton::SetGlyphPosX);
  p.Property("GlyphPosY", &TepRegionSpeedButton::GlyphPosY, &TepRegionSpeedButton::SetGlyphPosY);
  p.Property("Layout", &TepRegionSpeedButton::Layout, &TepRegionSpeedButton::SetLayout)
      .Default(TButtonLayout::blGlyphLeft);
  p.Property("Margin", &TepRegionSpeedButton::Margin, &TepRegionSpeedButton::SetMargin).Default(-1);
  p.Property("NumGlyphs", &TepRegionSpeedButton::NumGlyphs, &TepRegionSpeedButton::SetNumGlyphs)
      .Default(1);
  p.Property("Spacing", &TepRegionSpeedButton::Spacing, &TepRegionSpeedButton::SetSpacing)
      .Default(4);
}
