#include "skin/Regions.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Forms.h"
#include "skin/Eputils.h"

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

void TepRegionForm::DefineProperties(TFiler& Filer) {
  TGraphicControl::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Region", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, true);
}

void TepRegionForm::ReadData(TStream& Stream) {
  std::unique_ptr<uint8_t[]> data;
  const uint32_t size = ReadRegionData(Stream, data);
  if (size == 0) {
    if (!regionGiven)
      DeleteRegion(regionType->Region);
    regionType->Region = nullptr;
    regionGiven = false;
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

WT_PUBLISH(TepRegionForm, TGraphicControl) {
  p.Property("Draggable", &TepRegionForm::Draggable, &TepRegionForm::SetDraggable);
  p.Object("Mask", &TepRegionForm::Mask);
  p.Object("Picture", &TepRegionForm::Picture);
  p.Property("ShowTitle", &TepRegionForm::ShowTitle, &TepRegionForm::SetShowTitle);
  p.Property("ShowBevel", &TepRegionForm::ShowBevel, &TepRegionForm::SetShowBevel);
  p.Property("TitleHeight", &TepRegionForm::TitleHeight, &TepRegionForm::SetTitleHeight);
}
