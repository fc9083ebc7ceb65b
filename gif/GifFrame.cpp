// A frame's renderings (bitmap, transparency mask, palette), its drawing,
// its assignment from and to other pictures, and the crop and merge steps of
// optimization.
#include "gif/Gifimage.h"
#include "platform/gfx/GdiObjects.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const sRendering = "Rendering...";
const char* const sConverting = "Converting...";

// The destination stays where the mask bit is set, the source is copied
// where it is clear.
constexpr DWORD MaskedCopy = MAKEROP4(0x00AA0029, SRCCOPY);

int MaskRowBytes(int Width) {
  return (Width + 15) / 16 * 2;
}

void SetMaskBit(std::vector<uint8_t>& Bits, int Row, int Width, int X) {
  Bits[static_cast<size_t>(Row * MaskRowBytes(Width) + X / 8)] |=
      static_cast<uint8_t>(0x80 >> (X % 8));
}

} // namespace

void TGIFSubImage::Rendering(TProgressStage Stage, int Percent) {
  image->Progress(image, Stage, static_cast<uint8_t>(Percent),
                  Stage == psEnding && image->PaletteModified, TRect{}, sRendering);
}

// ---------------------------------------------------------------------------
// Palette, bitmap and mask

HPALETTE TGIFSubImage::GetPalette() {
  if (bitmap && bitmap->GetPalette() != nullptr)
    return bitmap->GetPalette();
  if (palette != nullptr)
    return palette;
  if (image->DoDither()) {
    palette = WebPalette();
    return palette;
  }
  if (colorMap->Count() == 0)
    return image->GetPalette();
  palette = colorMap->ExportPalette();
  return palette;
}

void TGIFSubImage::SetPalette(HPALETTE Value) {
  if (Value == palette)
    return;
  if (palette != nullptr)
    DeleteObject(palette);
  palette = Value;
  if (!bitmap || bitmap->GetPalette() == Value)
    return;
  bitmap.reset();
  image->PaletteModified = true;
  image->Changed(this);
}

void TGIFSubImage::SetHasBitmap(bool Value) {
  if (Value)
    GetBitmap();
  else
    FreeBitmap();
}

void TGIFSubImage::NewBitmap() {
  bitmap = std::make_unique<TBitmap>();
}

void TGIFSubImage::FreeMask() {
  if (mask != nullptr)
    DeleteObject(mask);
  mask = nullptr;
  maskStale = true;
}

bool TGIFSubImage::HasMask() {
  if (maskStale && transparent) {
    FreeBitmap();
    GetBitmap();
  }
  return mask != nullptr;
}

TBitmap* TGIFSubImage::GetBitmap() {
  if (bitmap || Empty())
    return bitmap.get();
  Rendering(psStarting, 0);
  try {
    bitmap = image->DoDither() ? DitheredBitmap() : DirectBitmap();
  } catch (...) {
    Rendering(psEnding, 0);
    throw;
  }
  Rendering(psEnding, 100);
  if (image->PaletteModified)
    image->Changed(this);
  return bitmap.get();
}

HBITMAP TGIFSubImage::MakeMask(int AWidth, int AHeight) const {
  if (gce == nullptr)
    return nullptr;
  const uint8_t index = gce->TransparentColorIndex();
  std::vector<uint8_t> bits(static_cast<size_t>(MaskRowBytes(AWidth) * AHeight), 0);
  bool any = false;
  for (int y = 0; y < AHeight; ++y) {
    const uint8_t* row = data.data() + static_cast<size_t>(y * height / AHeight) * width;
    for (int x = 0; x < AWidth; ++x)
      if (row[x * width / AWidth] == index) {
        SetMaskBit(bits, y, AWidth, x);
        any = true;
      }
  }
  return any ? CreateBitmap(AWidth, AHeight, 1, 1, bits.data()) : nullptr;
}

// A big frame gets its real format only once its image is made, so that no
// full-depth device bitmap of that size is made on the way.
std::unique_ptr<TBitmap> TGIFSubImage::NewFrameBitmap() const {
  auto result = std::make_unique<TBitmap>();
  if (static_cast<int64_t>(width) * height > 500000)
    result->SetPixelFormat(pf1bit);
  return result;
}

std::unique_ptr<TBitmap> TGIFSubImage::DirectBitmap() {
  std::unique_ptr<TBitmap> result = NewFrameBitmap();
  TDIBWriter writer(result.get(), pf8bit, width, height, GetPalette());
  for (int y = 0; y < height; ++y) {
    if (y % 32 == 0)
      Rendering(psRunning, y * 100 / height);
    std::memcpy(writer.GetScanline(y), GetScanline(y), width);
  }
  writer.UpdateBitmap();
  if (maskStale && transparent && mask == nullptr) {
    maskStale = false;
    mask = MakeMask(width, height);
  }
  return result;
}

std::unique_ptr<TBitmap> TGIFSubImage::DitheredBitmap() {
  std::unique_ptr<TBitmap> result = NewFrameBitmap();
  TDIBWriter writer(result.get(), pf8bit, width, height, GetPalette());
  const bool masking = maskStale && transparent && mask == nullptr && gce != nullptr;
  const int transparentIndex = gce != nullptr ? gce->TransparentColorIndex() : -1;
  uint8_t fill = 0;
  std::vector<uint8_t> bits;
  if (masking) {
    maskStale = false;
    bits.assign(static_cast<size_t>(MaskRowBytes(width) * height), 0);
    const TColor c = ActiveColorMap()->GetColor(transparentIndex);
    auto level = [](int Value, int Scale) { return (Scale * Value + 25) / 51; };
    // Hidden under the mask; kept inside the web palette's 216 entries.
    fill = static_cast<uint8_t>(std::min(215, level(c & 0xFF, 36) + level((c >> 8) & 0xFF, 6) +
                                                  level((c >> 16) & 0xFF, 1) + 1));
  }
  TNetscapeColorLookup lookup;
  TFloydSteinbergDitherer engine(width, &lookup);
  const TGIFColorMap* map = ActiveColorMap();
  bool any = false;
  for (int y = 0; y < height; ++y) {
    if (y % 32 == 0)
      Rendering(psRunning, y * 100 / height);
    auto* out = static_cast<uint8_t*>(writer.GetScanline(y));
    if (masking)
      std::memset(out, fill, width);
    const uint8_t* in = GetScanline(y);
    for (int i = 0; i < width; ++i) {
      const int x = engine.Column();
      if (masking && in[x] == transparentIndex) {
        engine.Skip();
        SetMaskBit(bits, y, width, x);
        any = true;
        continue;
      }
      const TGIFColor& c = map->Count() > in[x] ? map->Data(in[x]) : TGIFColor{};
      uint8_t r, g, b;
      out[x] = static_cast<uint8_t>(engine.Dither(c.Red, c.Green, c.Blue, r, g, b));
    }
    engine.NextLine();
  }
  writer.UpdateBitmap();
  if (any)
    mask = CreateBitmap(width, height, 1, 1, bits.data());
  return result;
}

// ---------------------------------------------------------------------------
// Drawing

TRect TGIFSubImage::ScaleRect(const TRect& Rect) const {
  const int w = std::max(1, image->Width());
  const int h = std::max(1, image->Height());
  return TRect{Rect.Left + MulDiv(left, Rect.Width(), w), Rect.Top + MulDiv(top, Rect.Height(), h),
               Rect.Left + MulDiv(left + width, Rect.Width(), w),
               Rect.Top + MulDiv(top + height, Rect.Height(), h)};
}

void TGIFSubImage::Draw(TCanvas* Canvas, const TRect& Rect, bool DrawTransparent, bool DrawTile) {
  StretchDraw(Canvas, DrawTile ? Rect : ScaleRect(Rect), DrawTransparent, DrawTile);
}

void TGIFSubImage::StretchDraw(TCanvas* Canvas, const TRect& Rect, bool DrawTransparent,
                               bool DrawTile) {
  if (DrawTile) {
    const int stepX = std::max(1, image->Width());
    const int stepY = std::max(1, image->Height());
    HDC dc = Canvas->Handle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    for (int y = Rect.Top; y < Rect.Bottom; y += stepY)
      for (int x = Rect.Left; x < Rect.Right; x += stepX)
        StretchDraw(Canvas, TRect{x + left, y + top, x + left + width, y + top + height},
                    DrawTransparent, false);
    RestoreDC(dc, saved);
    return;
  }
  TBitmap* frameBitmap = GetBitmap();
  const int w = Rect.Width();
  const int h = Rect.Height();
  if (frameBitmap == nullptr || w <= 0 || h <= 0)
    return;
  if (!DrawTransparent || !transparent || !HasMask()) {
    Canvas->StretchDraw(Rect, frameBitmap);
    return;
  }
  frameBitmap = GetBitmap(); // HasMask may have rebuilt it
  if (w == width && h == height) {
    MaskBlt(Canvas->Handle(), Rect.Left, Rect.Top, w, h, frameBitmap->Canvas()->Handle(), 0, 0,
            mask, 0, 0, MaskedCopy);
    return;
  }
  TBitmap scaled;
  scaled.SetPixelFormat(pf24bit);
  scaled.SetSize(w, h);
  scaled.Canvas()->StretchDraw(TRect{0, 0, w, h}, frameBitmap);
  HBITMAP scaledMask = MakeMask(w, h);
  MaskBlt(Canvas->Handle(), Rect.Left, Rect.Top, w, h, scaled.Canvas()->Handle(), 0, 0, scaledMask,
          0, 0, MaskedCopy);
  if (scaledMask != nullptr)
    DeleteObject(scaledMask);
}

// ---------------------------------------------------------------------------
// Assignment

void TGIFSubImage::AssignTo(TPersistent* Dest) const {
  if (auto* target = dynamic_cast<TBitmap*>(Dest)) {
    target->Assign(const_cast<TGIFSubImage*>(this)->GetBitmap());
    return;
  }
  TGIFItem::AssignTo(Dest);
}

void TGIFSubImage::Assign(const TPersistent* Source) {
  if (Source == this)
    return;
  if (Source == nullptr) {
    Clear();
  } else if (const auto* frame = dynamic_cast<const TGIFSubImage*>(Source)) {
    AssignFrame(frame);
  } else if (const auto* picture = dynamic_cast<const TPicture*>(Source)) {
    Assign(picture->Graphic());
  } else if (const auto* source = dynamic_cast<const TBitmap*>(Source)) {
    AssignBitmap(const_cast<TBitmap*>(source));
  } else if (const auto* graphic = dynamic_cast<const TGraphic*>(Source)) {
    TBitmap drawn;
    drawn.SetPixelFormat(pf24bit);
    drawn.SetSize(graphic->Width(), graphic->Height());
    drawn.Canvas()->Draw(0, 0, const_cast<TGraphic*>(graphic));
    AssignBitmap(&drawn);
  } else {
    TGIFItem::Assign(Source);
  }
}

void TGIFSubImage::AssignFrame(const TGIFSubImage* Source) {
  Clear();
  if (Source->Empty())
    return;
  left = Source->left;
  top = Source->top;
  width = Source->width;
  height = Source->height;
  Packed = Source->Packed;
  data = Source->data;
  colorMap->Assign(Source->colorMap.get());
  for (int i = 0; i < Source->extensions->GetCount(); ++i) {
    TGIFExtension* from = Source->extensions->Extensions(i);
    std::unique_ptr<TGIFExtension> copy(from->ClassInfo()->Create(this));
    TMemoryStream buffer;
    from->SaveToStream(&buffer);
    buffer.SetPosition(0);
    copy->LoadFromStream(&buffer);
    extensions->Add(copy.release());
  }
  if (Source->HasBitmap())
    GetBitmap();
}

void TGIFSubImage::AssignBitmap(TBitmap* Source) {
  Clear();
  DoSetBounds(0, 0, Source->Width(), Source->Height());
  const TPixelFormat format = Source->PixelFormat();
  std::unique_ptr<TBitmap> cached;
  if (format != pf1bit && format != pf4bit && format != pf8bit) {
    cached = ReduceColors(Source, image->ColorReduction, image->DitherMode, image->ReductionBits(),
                          nullptr);
  } else {
    cached = std::make_unique<TBitmap>();
    cached->Assign(Source);
  }
  ReadPixelsFrom(cached.get());
  bitmap = std::move(cached);
  if (!Source->Transparent())
    return;
  HBITMAP sourceMask = Source->MaskHandle();
  std::vector<bool> marked(data.size(), false);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      marked[static_cast<size_t>(y) * width + x] = sourceMask->Raw(x, y) != 0;
  TransparencyFromMask(marked);
}

void TGIFSubImage::ReadPixelsFrom(TBitmap* Source) {
  image->Progress(image, psStarting, 0, false, TRect{}, sConverting);
  const TPixelFormat format = Source->PixelFormat();
  const bool indexed = format == pf1bit || format == pf4bit || format == pf8bit;
  if (indexed) {
    if (HPALETTE sourcePalette = Source->GetPalette())
      colorMap->ImportPalette(sourcePalette);
  }
  // Any other format is read as colours, from a copy of its own.
  std::unique_ptr<TBitmap> trueColor;
  if (!indexed) {
    trueColor = std::make_unique<TBitmap>();
    trueColor->Assign(Source);
  }
  TDIBReader rows(indexed ? Source : trueColor.get(), indexed ? format : pf24bit);
  for (int y = 0; y < height; ++y) {
    if (y % 32 == 0)
      image->Progress(image, psRunning, static_cast<uint8_t>(y * 100 / height), false, TRect{},
                      sConverting);
    uint8_t* out = GetScanline(y);
    if (trueColor) {
      const auto* in = static_cast<const uint8_t*>(rows.GetScanline(y));
      for (int x = 0; x < width; ++x, in += 3)
        out[x] = static_cast<uint8_t>(
            colorMap->AddUnique(static_cast<TColor>(in[2] | (in[1] << 8) | (in[0] << 16))));
      continue;
    }
    const auto* in = static_cast<const uint8_t*>(rows.GetScanline(y));
    for (int x = 0; x < width; ++x) {
      if (format == pf8bit)
        out[x] = in[x];
      else if (format == pf4bit)
        out[x] = static_cast<uint8_t>(x % 2 == 0 ? in[x / 2] >> 4 : in[x / 2] & 0x0F);
      else
        out[x] = static_cast<uint8_t>((in[x / 8] >> (7 - x % 8)) & 1);
    }
  }
  image->Progress(image, psEnding, 100, false, TRect{}, sConverting);
}

void TGIFSubImage::TransparencyFromMask(const std::vector<bool>& Marked) {
  if (colorMap->Count() < 1 || colorMap->Count() > 255)
    return;
  const int index = colorMap->Add(0x000000);
  bool any = false;
  for (size_t i = 0; i < data.size(); ++i)
    if (Marked[i]) {
      data[i] = static_cast<uint8_t>(index);
      any = true;
    }
  if (!any) {
    colorMap->Delete(index);
    return;
  }
  auto* control = new TGIFGraphicControlExtension(this);
  extensions->Add(control);
  control->SetTransparentColorIndex(index);
  control->SetTransparent(true);
  FreeBitmap();
  FreeMask();
}

// ---------------------------------------------------------------------------
// Crop and merge

void TGIFSubImage::Crop() {
  if (Empty() || !transparent || gce == nullptr)
    return;
  const uint8_t index = gce->TransparentColorIndex();
  auto column = [&](int x, int y0, int y1) {
    for (int y = y0; y < y1; ++y)
      if (data[static_cast<size_t>(y) * width + x] != index)
        return false;
    return true;
  };
  auto row = [&](int y, int x0, int x1) {
    for (int x = x0; x < x1; ++x)
      if (data[static_cast<size_t>(y) * width + x] != index)
        return false;
    return true;
  };
  int x0 = 0;
  int x1 = width;
  while (x0 < x1 && column(x0, 0, height))
    ++x0;
  while (x1 > x0 && column(x1 - 1, 0, height))
    --x1;
  int y0 = 0;
  int y1 = height;
  while (y0 < y1 && row(y0, x0, x1))
    ++y0;
  while (y1 > y0 && row(y1 - 1, x0, x1))
    --y1;
  if (x0 == x1 || y0 == y1) {
    Clear();
    return;
  }
  if (x0 == 0 && y0 == 0 && x1 == width && y1 == height)
    return;
  std::vector<uint8_t> cut;
  for (int y = y0; y < y1; ++y)
    cut.insert(cut.end(), data.begin() + static_cast<ptrdiff_t>(y) * width + x0,
               data.begin() + static_cast<ptrdiff_t>(y) * width + x1);
  data = std::move(cut);
  left = static_cast<uint16_t>(left + x0);
  top = static_cast<uint16_t>(top + y0);
  width = static_cast<uint16_t>(x1 - x0);
  height = static_cast<uint16_t>(y1 - y0);
  FreeBitmap();
  FreeMask();
}

void TGIFSubImage::Merge(TGIFSubImage* Previous) {
  if (Previous == nullptr || Empty() || Previous->Empty())
    return;
  if (const TGIFGraphicControlExtension* before = Previous->gce)
    if (before->Disposal() == dmBackground || before->Disposal() == dmPrevious)
      return;
  const TRect mine = BoundsRect();
  const TRect theirs = Previous->BoundsRect();
  const TRect overlap{std::max(mine.Left, theirs.Left), std::max(mine.Top, theirs.Top),
                      std::min(mine.Right, theirs.Right), std::min(mine.Bottom, theirs.Bottom)};
  if (overlap.Left >= overlap.Right || overlap.Top >= overlap.Bottom)
    return;
  const bool wasTransparent = transparent && gce != nullptr;
  if (!wasTransparent) {
    const bool local = colorMap->Count() > 0;
    if (local ? colorMap->Count() >= 256
              : image->GlobalColorMap()->Count() == 0 || image->GlobalColorMap()->Count() >= 256)
      return;
  }
  int index = wasTransparent ? gce->TransparentColorIndex() : -1;
  auto takeIndex = [&] {
    if (colorMap->Count() > 0)
      return colorMap->Add(0x000000);
    for (int i = 0; i < image->Images()->GetCount(); ++i) {
      const TGIFSubImage* other = image->Images()->SubImages(i);
      if (other != this && other->transparent && other->gce != nullptr &&
          other->colorMap->Count() == 0)
        return static_cast<int>(other->gce->TransparentColorIndex());
    }
    return image->GlobalColorMap()->Add(0x000000);
  };
  const TGIFColorMap* myMap = ActiveColorMap();
  const TGIFColorMap* theirMap = Previous->ActiveColorMap();
  const bool theyAreTransparent = Previous->transparent && Previous->gce != nullptr;
  bool replaced = false;
  for (int y = overlap.Top; y < overlap.Bottom; ++y)
    for (int x = overlap.Left; x < overlap.Right; ++x) {
      uint8_t& pixel = data[static_cast<size_t>(y - top) * width + (x - left)];
      const uint8_t other =
          Previous->data[static_cast<size_t>(y - Previous->top) * Previous->width +
                         (x - Previous->left)];
      if (index >= 0 && pixel == index)
        continue;
      if (theyAreTransparent && other == Previous->gce->TransparentColorIndex())
        continue;
      const bool equal = myMap == theirMap ? pixel == other
                                           : pixel < myMap->Count() && other < theirMap->Count() &&
                                                 myMap->Data(pixel) == theirMap->Data(other);
      if (!equal)
        continue;
      if (index < 0)
        index = takeIndex();
      pixel = static_cast<uint8_t>(index);
      replaced = true;
    }
  if (replaced && !wasTransparent) {
    TGIFGraphicControlExtension* control = gce;
    if (control == nullptr) {
      control = new TGIFGraphicControlExtension(this);
      extensions->Add(control);
    }
    control->SetTransparentColorIndex(index);
    control->SetTransparent(true);
  }
  FreeBitmap();
  FreeMask();
}
