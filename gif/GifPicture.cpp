// The GIF picture: a graphic of the picture framework made of frames, with
// its palette, its composite bitmap, the clipboard formats and the
// registration.
#include "gif/Gifimage.h"
#include "platform/ui/Clipbrd.h"

#include <algorithm>
#include <cstring>

namespace {
const char* const sCopying = "Copying...";
} // namespace

TGIFImage::TGIFImage()
    : images(std::make_unique<TGIFImageList>(this)), header(std::make_unique<TGIFHeader>(this)) {
  Clear();
}

TGIFImage::~TGIFImage() {
  // Whoever listened must not hear from a picture half destroyed.
  OnChange = nullptr;
  OnProgress = nullptr;
  PaintStop();
  {
    std::lock_guard<TCriticalSection> guard(painterLock);
    for (TGIFPainter* painter : painters)
      painter->DetachImage();
    painters.clear();
  }
  Clear();
  if (palette != nullptr)
    DeleteObject(palette);
}

void TGIFImage::Clear() {
  PaintStop();
  FreeBitmap();
  images->Clear();
  header->Clear();
  SetPalette(nullptr);
}

void TGIFImage::Draw(TCanvas* Canvas, const TRect& Rect) {
  if (drawing || GetEmpty())
    return;
  drawing = true;
  try {
    DrawFrames(Canvas, Rect);
  } catch (...) {
    drawing = false;
    throw;
  }
  drawing = false;
}

void TGIFImage::ShowBitmap(TCanvas* Canvas, const TRect& Rect) {
  const int w = std::max(1, compositeRect.Width());
  const int h = std::max(1, compositeRect.Height());
  const TRect shown{Rect.Left + MulDiv(compositeArea.Left - compositeRect.Left, Rect.Width(), w),
                    Rect.Top + MulDiv(compositeArea.Top - compositeRect.Top, Rect.Height(), h),
                    Rect.Left + MulDiv(compositeArea.Right - compositeRect.Left, Rect.Width(), w),
                    Rect.Top + MulDiv(compositeArea.Bottom - compositeRect.Top, Rect.Height(), h)};
  Canvas->StretchDraw(shown, bitmap.get());
}

bool TGIFImage::CompositeServes(const TRect& Rect) const {
  return Rect == compositeRect || (!drawOptions.Contains(goTile) && compositeArea == compositeRect);
}

// The composite covers only the part of Rect on the canvas's surface, at
// Rect's scale or the image's, whichever is smaller; tiles are never scaled.
TRect TGIFImage::MakeComposite(TCanvas* Canvas, const TRect& Rect) {
  compositeRect = Rect;
  compositeArea = VisiblePart(Canvas, Rect);
  const int visibleWidth = std::max(1, compositeArea.Width());
  const int visibleHeight = std::max(1, compositeArea.Height());
  const bool tile = drawOptions.Contains(goTile);
  auto scaled = [tile](int Visible, int Target, int Natural) {
    if (tile || Target <= Natural)
      return Visible;
    return std::max(1, static_cast<int>((int64_t{Visible} * Natural + Target - 1) / Target));
  };
  const int w = scaled(visibleWidth, Rect.Width(), Width());
  const int h = scaled(visibleHeight, Rect.Height(), Height());
  bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(w, h);
  bitmap->Canvas()->CopyRect(TRect{0, 0, w, h}, Canvas, compositeArea);
  return TRect{MulDiv(Rect.Left - compositeArea.Left, w, visibleWidth),
               MulDiv(Rect.Top - compositeArea.Top, h, visibleHeight),
               MulDiv(Rect.Right - compositeArea.Left, w, visibleWidth),
               MulDiv(Rect.Bottom - compositeArea.Top, h, visibleHeight)};
}

void TGIFImage::DrawFrames(TCanvas* Canvas, const TRect& Rect) {
  if (images->GetCount() == 1 || !drawOptions.Contains(goAnimate)) {
    images->SubImages(0)->Draw(Canvas, Rect, drawOptions.Contains(goTransparent),
                               drawOptions.Contains(goTile));
    return;
  }
  const bool direct = drawOptions.Contains(goDirectDraw);
  if (bitmap && !direct && CompositeServes(Rect)) {
    ShowBitmap(Canvas, Rect);
    return;
  }
  {
    std::lock_guard<TCriticalSection> guard(painterLock);
    if (currentPainter != nullptr && currentPainter->Canvas() == Canvas &&
        currentPainter->Rect() == Rect)
      return;
  }
  StopDraw();
  // Nothing of the rectangle is shown: nothing to paint.
  if (const TRect visible = VisiblePart(Canvas, Rect);
      visible.Width() <= 0 || visible.Height() <= 0)
    return;
  TCanvas* target = Canvas;
  TRect area = Rect;
  if (!direct) {
    area = MakeComposite(Canvas, Rect);
    target = bitmap->Canvas();
  }
  TGIFPainter* painter = InternalPaint(&currentPainter, target, area, drawOptions);
  if (painter == nullptr) {
    if (!direct && bitmap)
      ShowBitmap(Canvas, Rect);
    return;
  }
  painter->Start();
  if (direct)
    return;
  PumpUntil([&] {
    std::lock_guard<TCriticalSection> guard(painterLock);
    return currentPainter != painter || painter->Painted() || painter->Terminated();
  });
  if (bitmap)
    ShowBitmap(Canvas, Rect);
}

// ---------------------------------------------------------------------------
// Painters

TGIFPainter* TGIFImage::InternalPaint(TGIFPainter** Painter, TCanvas* Canvas, const TRect& Rect,
                                      TGIFDrawOptions Options) {
  if (GetEmpty() || Rect.Width() <= 0 || Rect.Height() <= 0)
    return nullptr;
  if (images->GetCount() == 1)
    Options = Options >> goAsync >> goAnimate;
  auto painter = std::make_unique<TGIFPainter>(Painter, this, Canvas, Rect, Options);
  painter->OnBeginAnimation = OnBeginAnimation;
  painter->OnBeforeFrame = OnBeforeFrame;
  painter->OnAfterFrame = OnAfterFrame;
  painter->OnNextLoop = OnNextLoop;
  painter->OnEndAnimation = OnEndAnimation;
  {
    std::lock_guard<TCriticalSection> guard(painterLock);
    painters.push_back(painter.get());
    if (painter->Async() && Painter != nullptr)
      *Painter = painter.get();
  }
  if (painter->Async()) {
    painter->Priority = ThreadPriority;
    return painter.release();
  }
  painter->Execute();
  return nullptr;
}

void TGIFImage::Paint(TCanvas* Canvas, const TRect& Rect, TGIFDrawOptions Options) {
  if (TGIFPainter* painter = InternalPaint(nullptr, Canvas, Rect, Options))
    painter->Start();
}

void TGIFImage::RemovePainter(TGIFPainter* Painter) {
  std::lock_guard<TCriticalSection> guard(painterLock);
  std::erase(painters, Painter);
  if (currentPainter == Painter)
    currentPainter = nullptr;
}

int TGIFImage::PainterCount() {
  std::lock_guard<TCriticalSection> guard(painterLock);
  return static_cast<int>(painters.size());
}

void TGIFImage::PaintStart() {
  std::lock_guard<TCriticalSection> guard(painterLock);
  for (TGIFPainter* painter : painters)
    painter->Start();
}

void TGIFImage::PaintResume() {
  PaintStart();
}

void TGIFImage::PaintPause() {
  std::lock_guard<TCriticalSection> guard(painterLock);
  for (TGIFPainter* painter : painters)
    if (painter->Async())
      painter->Suspend();
}

void TGIFImage::PaintRestart() {
  std::lock_guard<TCriticalSection> guard(painterLock);
  for (TGIFPainter* painter : painters)
    painter->Restart();
}

void TGIFImage::PumpUntil(const std::function<bool()>& Done) {
  // Only the main thread serves the painters' calls; elsewhere nobody would,
  // and the wait would never end.
  if (!IsMainThread())
    return;
  while (!Done())
    if (!CheckSynchronize(0))
      std::this_thread::yield();
}

void TGIFImage::StopDraw() {
  TGIFPainter* painter = nullptr;
  {
    std::lock_guard<TCriticalSection> guard(painterLock);
    painter = currentPainter;
    if (painter != nullptr)
      painter->Stop();
  }
  if (painter != nullptr)
    PumpUntil([&] {
      std::lock_guard<TCriticalSection> guard(painterLock);
      return std::find(painters.begin(), painters.end(), painter) == painters.end();
    });
  FreeBitmap();
}

void TGIFImage::PaintStop() {
  {
    std::lock_guard<TCriticalSection> guard(painterLock);
    for (TGIFPainter* painter : painters)
      painter->Stop();
  }
  PumpUntil([&] {
    std::lock_guard<TCriticalSection> guard(painterLock);
    return painters.empty();
  });
  FreeBitmap();
}

void TGIFImage::SetAnimationSpeed(int Value) {
  Value = std::clamp(Value, 0, 1000);
  if (Value == animationSpeed)
    return;
  animationSpeed = Value;
  std::lock_guard<TCriticalSection> guard(painterLock);
  if (currentPainter != nullptr)
    currentPainter->SetAnimationSpeed(Value);
}

bool TGIFImage::DoDither() const {
  return drawOptions.Contains(goDither) && (!drawOptions.Contains(goAutoDither) || DoAutoDither);
}

void TGIFImage::SetDrawOptions(TGIFDrawOptions Value) {
  if (Value == drawOptions)
    return;
  StopDraw();
  drawOptions = Value;
  Pack();
  Changed(this);
}

void TGIFImage::SetReductionBits(int Value) {
  if (Value < 3 || Value > 8)
    throw GIFException(sInvalidBitSize);
  reductionBits = Value;
}

void TGIFImage::Pack() {
  FreeBitmap();
  SetPalette(nullptr);
  for (int i = 0; i < images->GetCount(); ++i) {
    images->SubImages(i)->FreeBitmap();
    images->SubImages(i)->SetPalette(nullptr);
  }
  if (GlobalColorMap()->Count() != 0 || images->GetCount() != 1)
    return;
  TGIFSubImage* only = images->SubImages(0);
  GlobalColorMap()->Assign(only->ColorMap());
  only->ColorMap()->Clear();
}

HPALETTE TGIFImage::GetPalette() {
  if (paletteRequest)
    throw GIFException(sNoColorTable);
  if (bitmap && bitmap->GetPalette() != nullptr)
    return bitmap->GetPalette();
  if (palette != nullptr)
    return palette;
  if (DoDither()) {
    palette = WebPalette();
    return palette;
  }
  if (GlobalColorMap()->Count() > 0) {
    palette = GlobalColorMap()->ExportPalette();
    return palette;
  }
  if (GetEmpty())
    return nullptr;
  paletteRequest = true;
  try {
    HPALETTE first = images->SubImages(0)->GetPalette();
    paletteRequest = false;
    return first;
  } catch (...) {
    paletteRequest = false;
    throw;
  }
}

void TGIFImage::SetPalette(HPALETTE Value) {
  if (Value == palette)
    return;
  if (palette != nullptr)
    DeleteObject(palette);
  palette = Value;
  if (!bitmap || bitmap->GetPalette() == Value)
    return;
  FreeBitmap();
  PaletteModified = true;
  Changed(this);
}

TBitmap* TGIFImage::Bitmap() {
  // A composite made by drawing may hold only part of the image.
  if (bitmap && (bitmap->Width() != Width() || bitmap->Height() != Height()))
    StopDraw();
  if (GetEmpty() || bitmap)
    return bitmap.get();
  auto result = std::make_unique<TBitmap>();
  TGIFSubImage* first = images->SubImages(0);
  if (images->GetCount() == 1 && first->Left() == 0 && first->Top() == 0 &&
      first->Width() == Width() && first->Height() == Height()) {
    result->Assign(first->GetBitmap());
  } else {
    result->SetPixelFormat(pf8bit);
    result->SetSize(Width(), Height());
    result->SetPalette(GetPalette());
    result->Canvas()->FillRect(TRect{0, 0, Width(), Height()});
    first->Draw(result->Canvas(), TRect{0, 0, Width(), Height()}, false, false);
  }
  result->OnChange = [this](TObject*) { Changed(this); };
  bitmap = std::move(result);
  return bitmap.get();
}

void TGIFImage::AssignTo(TPersistent* Dest) const {
  if (auto* target = dynamic_cast<TBitmap*>(Dest)) {
    target->Assign(const_cast<TGIFImage*>(this)->Bitmap());
    return;
  }
  TGraphic::AssignTo(Dest);
}

void TGIFImage::Assign(const TPersistent* Source) {
  if (Source == this)
    return;
  const auto* other = dynamic_cast<const TGIFImage*>(Source);
  if (other == nullptr) {
    Clear();
    if (Source != nullptr)
      Add(const_cast<TPersistent*>(Source));
    return;
  }
  Clear();
  header->Width = other->header->Width;
  header->Height = other->header->Height;
  header->BackgroundColorIndex = other->header->BackgroundColorIndex;
  header->AspectRatio = other->header->AspectRatio;
  GlobalColorMap()->Assign(other->GlobalColorMap());
  drawOptions = other->drawOptions;
  ColorReduction = other->ColorReduction;
  DitherMode = other->DitherMode;
  ThreadPriority = other->ThreadPriority;
  DrawBackgroundColor = other->DrawBackgroundColor;
  const int count = other->images->GetCount();
  Progress(this, psStarting, 0, false, TRect{}, sCopying);
  for (int i = 0; i < count; ++i) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(other->images->SubImages(i));
    images->Add(frame.release());
    Progress(this, psRunning, static_cast<uint8_t>((i + 1) * 100 / count), false, TRect{},
             sCopying);
  }
  Progress(this, psEnding, 100, false, TRect{}, sCopying);
  Changed(this);
}

void TGIFImage::Warning(TObject* Sender, TGIFSeverity Severity, const AnsiString& Message) {
  if (WarningHandler)
    WarningHandler(Sender, Severity, Message);
}

void TGIFImage::SetWidth(int Value) {
  for (int i = 0; i < images->GetCount(); ++i) {
    const TGIFSubImage* frame = images->SubImages(i);
    if (Value < frame->Left() + frame->Width())
      throw GIFException(sBadWidth);
  }
  if (Value == header->Width)
    return;
  header->Width = static_cast<uint16_t>(Value);
  FreeBitmap();
  Changed(this);
}

void TGIFImage::SetHeight(int Value) {
  for (int i = 0; i < images->GetCount(); ++i) {
    const TGIFSubImage* frame = images->SubImages(i);
    if (Value < frame->Top() + frame->Height())
      throw GIFException(sBadHeight);
  }
  if (Value == header->Height)
    return;
  header->Height = static_cast<uint16_t>(Value);
  FreeBitmap();
  Changed(this);
}

int TGIFImage::Add(TPersistent* Source) {
  auto* frame = dynamic_cast<TGIFSubImage*>(Source);
  if (frame == nullptr) {
    if (dynamic_cast<TGraphic*>(Source) == nullptr && dynamic_cast<TPicture*>(Source) == nullptr)
      throw GIFException(sUnsupportedClass);
    auto made = std::make_unique<TGIFSubImage>(this);
    made->Assign(Source);
    frame = made.release();
  }
  const int index = images->Add(frame);
  FreeBitmap();
  Changed(this);
  return index;
}

TGIFVersion TGIFImage::Version() const {
  TGIFVersion version = gvUnknown;
  for (int i = 0; i < images->GetCount() && version != gv89a; ++i)
    version = std::max(version, images->SubImages(i)->GetVersion());
  return version;
}

int TGIFImage::ColorResolution() const {
  int resolution = header->ColorResolution();
  for (int i = 0; i < images->GetCount(); ++i)
    resolution = std::max(resolution, images->SubImages(i)->ColorResolution());
  return resolution;
}

int TGIFImage::BitsPerPixel() const {
  if (savingBitsPerPixel > 0)
    return savingBitsPerPixel;
  int bits = header->BitsPerPixel();
  for (int i = 0; i < images->GetCount(); ++i)
    bits = std::max(bits, images->SubImages(i)->BitsPerPixel());
  return bits;
}

bool TGIFImage::IsTransparent() const {
  for (int i = 0; i < images->GetCount(); ++i) {
    const TGIFGraphicControlExtension* gce = images->SubImages(i)->GraphicControlExtension();
    if (gce != nullptr && gce->Transparent())
      return true;
  }
  return false;
}

namespace {

// A file may give no colour table at all; its pixels then take the colours
// other readers give them: black and white first, black beyond (as drawing
// shows any pixel beyond its table).
void SupplyFallbackColors(TGIFImage* Image) {
  if (Image->GlobalColorMap()->Count() > 0)
    return;
  TGIFImageList* frames = Image->Images();
  for (int i = 0; i < frames->GetCount(); ++i)
    if (frames->SubImages(i)->ColorMap()->Count() == 0) {
      Image->GlobalColorMap()->Add(clBlack);
      Image->GlobalColorMap()->Add(clWhite);
      return;
    }
}

// What was read is written: a table that pixels reach beyond grows by black
// entries, the colour those pixels are drawn in, until it covers them.
void CoverEveryPixel(TGIFImage* Image) {
  TGIFImageList* frames = Image->Images();
  for (int i = 0; i < frames->GetCount(); ++i) {
    TGIFSubImage* frame = frames->SubImages(i);
    if (frame->DataSize() == 0)
      continue;
    const int highest = *std::max_element(frame->Data(), frame->Data() + frame->DataSize());
    TGIFColorMap* map = frame->ActiveColorMap();
    while (map->Count() <= highest)
      map->Add(clBlack);
  }
}

} // namespace

void TGIFImage::LoadFromStream(TStream* Stream) {
  const int64_t start = Stream->Position();
  Progress(this, psStarting, 0, true, TRect{}, sLoading);
  try {
    Clear();
    header->LoadFromStream(Stream);
    images->LoadFromStream(Stream, this);
    TGIFTrailer trailer(this);
    trailer.LoadFromStream(Stream);
    SupplyFallbackColors(this);
  } catch (...) {
    Stream->SetPosition(start);
    Progress(this, psEnding, 0, true, TRect{}, sLoading);
    throw;
  }
  Progress(this, psEnding, 100, true, TRect{}, sLoading);
  Changed(this);
}

void TGIFImage::SaveToStream(TStream* Stream) {
  Progress(this, psStarting, 0, true, TRect{}, sSaving);
  // Every frame without a table of its own codes with the image's depth,
  // which walks all frames: once per save, not once per frame.
  struct TSavingDepth {
    int& Value;
    ~TSavingDepth() { Value = 0; }
  } depth{savingBitsPerPixel};
  try {
    CoverEveryPixel(this);
    savingBitsPerPixel = BitsPerPixel();
    header->SaveToStream(Stream);
    const int count = images->GetCount();
    for (int i = 0; i < count; ++i) {
      if (i + 1 < count)
        images->SubImages(i)->SaveBeforeFrame(Stream);
      else
        images->SubImages(i)->SaveToStream(Stream);
      Progress(this, psRunning, static_cast<uint8_t>((i + 1) * 100 / count), false, TRect{},
               sSaving);
    }
    TGIFTrailer(this).SaveToStream(Stream);
  } catch (...) {
    Progress(this, psEnding, 0, true, TRect{}, sSaving);
    throw;
  }
  Progress(this, psEnding, 100, true, TRect{}, sSaving);
}

// ---------------------------------------------------------------------------
// Clipboard

namespace {

// A little-endian field of Size bytes at Offset; 0 where the block is short.
uint32_t Little(const std::string& Bytes, size_t Offset, size_t Size) {
  uint32_t value = 0;
  for (size_t i = 0; i < Size && Offset + i < Bytes.size(); ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(Bytes[Offset + i])) << (8 * i);
  return value;
}

std::string BlockBytes(uintptr_t Data) {
  auto block = reinterpret_cast<HGLOBAL>(Data);
  const auto* bytes = static_cast<const char*>(GlobalLock(block));
  std::string out(bytes, GlobalSize(block));
  GlobalUnlock(block);
  return out;
}

uintptr_t MakeBlock(const uint8_t* Bytes, size_t Size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, Size);
  if (block == nullptr)
    return 0;
  std::memcpy(GlobalLock(block), Bytes, Size);
  GlobalUnlock(block);
  return reinterpret_cast<uintptr_t>(block);
}

} // namespace

void TGIFImage::LoadFromClipboardFormat(WORD Format, uintptr_t Data, HPALETTE APalette) {
  if (Data == 0)
    Data = Clipboard()->GetAsHandle(Format);
  if (Data == 0 || (Format != CF_GIF && Format != CF_DIB)) {
    TGraphic::LoadFromClipboardFormat(Format, Data, APalette);
    return;
  }
  const std::string bytes = BlockBytes(Data);
  TMemoryStream stream;
  if (Format == CF_DIB) {
    // A device-independent bitmap is a BMP file without its file header.
    const uint32_t header = Little(bytes, 0, 4);
    const uint32_t bits = Little(bytes, 14, 2);
    const uint32_t colors = Little(bytes, 32, 4);
    const uint32_t table = (colors != 0 ? colors : bits <= 8 ? 1u << bits : 0) * 4;
    const uint32_t size = static_cast<uint32_t>(bytes.size()) + 14;
    const uint32_t offset = 14 + header + table;
    uint8_t fileHeader[14] = {'B', 'M'};
    std::memcpy(fileHeader + 2, &size, 4);
    std::memcpy(fileHeader + 10, &offset, 4);
    stream.WriteBuffer(fileHeader, 14);
    stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    stream.SetPosition(0);
    TBitmap dib;
    dib.LoadFromStream(&stream);
    Assign(&dib);
    return;
  }
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void TGIFImage::SaveToClipboardFormat(WORD& Format, uintptr_t& Data, HPALETTE& APalette) {
  if (GetEmpty())
    return;
  TBitmap* picture = Bitmap();
  const TPixelFormat format = picture->PixelFormat();
  const TPixelFormat dibFormat =
      format == pf1bit || format == pf4bit || format == pf8bit ? format : pf24bit;
  int infoSize = 0;
  int imageSize = 0;
  InternalGetDIBSizes(picture, infoSize, imageSize, dibFormat);
  std::vector<uint8_t> dib(static_cast<size_t>(infoSize) + static_cast<size_t>(imageSize));
  if (!InternalGetDIB(picture, GetPalette(), reinterpret_cast<BITMAPINFO*>(dib.data()),
                      dib.data() + infoSize, dibFormat))
    throw GIFException(sDIBCreate);
  Format = CF_DIB;
  Data = MakeBlock(dib.data(), dib.size());
  APalette = GetPalette();
  TMemoryStream gif;
  SaveToStream(&gif);
  const uintptr_t block = MakeBlock(gif.Memory(), static_cast<size_t>(gif.Size()));
  if (block == 0)
    throw GIFException(sFailedPaste);
  try {
    Clipboard()->SetAsHandle(CF_GIF, block);
  } catch (const Exception&) {
    throw GIFException(sFailedPaste);
  }
}

// ---------------------------------------------------------------------------
// Registration

namespace {
int initialized = 0;
std::unique_ptr<TGraphic> NewGIFImage() {
  return std::make_unique<TGIFImage>();
}
} // namespace

void GifimageInitialization() {
  if (initialized++ != 0)
    return;
  TPicture::RegisterFileFormat("GIF", "GIF Image", "TGIFImage", &NewGIFImage);
  CF_GIF = static_cast<WORD>(RegisterClipboardFormatA("GIF Image"));
  TPicture::RegisterClipboardFormat(CF_GIF, "TGIFImage", &NewGIFImage);
  HDC screen = GetDC(nullptr);
  PaletteDevice = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) < 9;
  ReleaseDC(nullptr, screen);
  DoAutoDither = PaletteDevice;
}

void Register() {
  GIFImageDefaultDrawOptions = GIFImageDefaultDrawOptions >> goLoop;
}

void GifimageFinalization() {
  if (initialized == 0 || --initialized != 0)
    return;
  TGIFExtension::FreeRegistry();
  TGIFApplicationExtension::FreeRegistry();
  TPicture::UnregisterGraphicClass("TGIFImage");
}
