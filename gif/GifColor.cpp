// Colour reduction: fixed and computed palettes, nearest-colour lookups, the
// error-diffusion engines and the octree quantizer.
#include "gif/Gifimage.h"
#include "platform/gfx/GdiObjects.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

const char* const sInvalidPixelFormat = "Unsupported PixelFormat";
const char* const sBadDimension = "Invalid image dimensions";
const char* const sNoDIB = "Image has no DIB";
const char* const sOutOfMemDIB = "Failed to allocate memory for GIF DIB";
const char* const sDIBCreate = "Failed to create DIB from Bitmap";
const char* const sInvalidBitmapList = "Invalid bitmap list";
const char* const sInvalidReduction = "Invalid reduction method";

namespace {

HPALETTE MakePalette(const std::vector<PALETTEENTRY>& Entries) {
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + Entries.size() * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(Entries.size());
  std::copy(Entries.begin(), Entries.end(), log->palPalEntry);
  return CreatePalette(log);
}

PALETTEENTRY Entry(int R, int G, int B) {
  return PALETTEENTRY{static_cast<BYTE>(R), static_cast<BYTE>(G), static_cast<BYTE>(B),
                      PC_NOCOLLAPSE};
}

std::vector<PALETTEENTRY> Entries(HPALETTE Palette) {
  std::vector<PALETTEENTRY> entries(GetPaletteEntries(Palette, 0, 0, nullptr));
  GetPaletteEntries(Palette, 0, static_cast<UINT>(entries.size()), entries.data());
  return entries;
}

std::vector<PALETTEENTRY> DefaultEntries() {
  std::vector<PALETTEENTRY> entries;
  for (const RGBQUAD& q : DefaultPaletteColors())
    entries.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
  return entries;
}

// The computed colours framed by the first and last ten default colours.
std::vector<PALETTEENTRY> FramedByDefault(const std::vector<TGIFColor>& Colors) {
  const std::vector<PALETTEENTRY> defaults = DefaultEntries();
  std::vector<PALETTEENTRY> entries(defaults.begin(), defaults.begin() + 10);
  for (const TGIFColor& c : Colors)
    entries.push_back(Entry(c.Red, c.Green, c.Blue));
  entries.insert(entries.end(), defaults.end() - 10, defaults.end());
  return entries;
}

std::vector<PALETTEENTRY> ToEntries(const std::vector<TGIFColor>& Colors) {
  std::vector<PALETTEENTRY> entries;
  for (const TGIFColor& c : Colors)
    entries.push_back(Entry(c.Red, c.Green, c.Blue));
  return entries;
}

// A copy to read 24-bit rows of blue, green, red bytes from, leaving the
// caller's bitmap as it is.
std::unique_ptr<TBitmap> Copy(TBitmap* Bitmap) {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(Bitmap);
  return copy;
}

// Bits per pixel of the formats a device-independent copy can take.
int DIBBits(TPixelFormat PixelFormat) {
  static constexpr std::pair<TPixelFormat, int> formats[] = {
      {pf1bit, 1}, {pf4bit, 4}, {pf8bit, 8}, {pf24bit, 24}};
  for (const auto& [format, bits] : formats)
    if (format == PixelFormat)
      return bits;
  throw GIFException(sInvalidPixelFormat);
}

void Put32(uint8_t* At, uint32_t Value) {
  for (int i = 0; i < 4; ++i)
    At[i] = static_cast<uint8_t>(Value >> (8 * i));
}

struct TPaletteDeleter {
  void operator()(HPALETTE Palette) const { DeleteObject(Palette); }
};
using TOwnedPalette = std::unique_ptr<std::remove_pointer_t<HPALETTE>, TPaletteDeleter>;

HPALETTE ReductionPalette(TBitmap* Bitmap, TColorReduction Reduction, int Bits, HPALETTE Palette) {
  switch (Reduction) {
  case rmWindows20:
    return MakePalette(DefaultEntries());
  case rmWindows256: {
    HDC screen = GetDC(nullptr);
    HPALETTE halftone = CreateHalftonePalette(screen);
    ReleaseDC(nullptr, screen);
    return halftone;
  }
  case rmWindowsGray:
    return MakePalette(
        {Entry(0, 0, 0), Entry(128, 128, 128), Entry(192, 192, 192), Entry(255, 255, 255)});
  case rmMonochrome:
    return MakePalette({Entry(0, 0, 0), Entry(255, 255, 255)});
  case rmGrayScale: {
    std::vector<PALETTEENTRY> grays;
    for (int i = 0; i < 256; ++i)
      grays.push_back(Entry(i, i, i));
    return MakePalette(grays);
  }
  case rmNetscape:
    return WebPalette();
  case rmQuantize:
  case rmQuantizeWindows: {
    const bool windows = Reduction == rmQuantizeWindows;
    TColorQuantizer quantizer(windows ? 236 : 1 << Bits, 8);
    quantizer.AddBitmap(Bitmap);
    return MakePalette(windows ? FramedByDefault(quantizer.Colors())
                               : ToEntries(quantizer.Colors()));
  }
  case rmPalette:
    return Palette != nullptr ? MakePalette(Entries(Palette)) : nullptr;
  case rmNone:
    break;
  }
  return nullptr;
}

std::unique_ptr<TColorLookup> ReductionLookup(TColorReduction Reduction, HPALETTE Palette) {
  switch (Reduction) {
  case rmMonochrome:
    return std::make_unique<TMonochromeLookup>();
  case rmGrayScale:
    return std::make_unique<TGrayScaleLookup>();
  case rmNetscape:
    return std::make_unique<TNetscapeColorLookup>();
  default:
    return std::make_unique<TFastColorLookup>(Palette);
  }
}

} // namespace

HPALETTE WebPalette() {
  std::vector<PALETTEENTRY> entries;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        entries.push_back(Entry(51 * r, 51 * g, 51 * b));
  return MakePalette(entries);
}

// ---------------------------------------------------------------------------
// Device-independent bitmaps

TDIBReader::TDIBReader(TBitmap* ABitmap, TPixelFormat APixelFormat) : TDIB(ABitmap, APixelFormat) {
  bitmap->SetPixelFormat(pixelFormat);
}

namespace {

constexpr size_t FileHeaderSize = 14;
constexpr size_t WriterInfoSize = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
constexpr size_t WriterBitsOffset = FileHeaderSize + WriterInfoSize;

// The palette's own colours (at most 256), or those a new 8-bit bitmap has
// without one. Declaring only those keeps a small table small when the
// bitmap is read back into a colour map.
std::vector<RGBQUAD> WriterColors(HPALETTE Palette) {
  if (Palette == nullptr)
    return HalftonePaletteColors();
  std::vector<RGBQUAD> colors;
  for (const PALETTEENTRY& e : Entries(Palette)) {
    if (colors.size() == 256)
      break;
    colors.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
  }
  return colors;
}

} // namespace

TDIBWriter::TDIBWriter(TBitmap* ABitmap, TPixelFormat APixelFormat, int AWidth, int AHeight,
                       HPALETTE APalette)
    : TDIB(ABitmap, APixelFormat), height(AHeight) {
  if (pixelFormat != pf8bit && pixelFormat != pf24bit)
    throw GIFException(sInvalidPixelFormat);
  if (AWidth <= 0 || height <= 0)
    throw GIFException(sBadDimension);
  const int bitCount = DIBBits(pixelFormat);
  stride = DibStride(AWidth, bitCount);
  const size_t imageSize = static_cast<size_t>(stride) * static_cast<size_t>(height);
  try {
    image.SetSize(static_cast<int64_t>(WriterBitsOffset + imageSize));
  } catch (const std::bad_alloc&) {
    throw GIFException(sOutOfMemDIB);
  }
  uint8_t* file = image.Memory();
  file[0] = 'B';
  file[1] = 'M';
  Put32(file + 2, static_cast<uint32_t>(WriterBitsOffset + imageSize));
  Put32(file + 10, static_cast<uint32_t>(WriterBitsOffset));
  // The header follows the 14 bytes of the file header, off the alignment
  // of its fields: it is made aside and copied in.
  BITMAPINFOHEADER header;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = AWidth;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bitCount);
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(imageSize);
  const std::vector<RGBQUAD> colors = WriterColors(APalette);
  header.biClrUsed = static_cast<DWORD>(colors.size());
  std::memcpy(file + FileHeaderSize, &header, sizeof header);
  std::memcpy(file + FileHeaderSize + sizeof header, colors.data(),
              colors.size() * sizeof(RGBQUAD));
}

void* TDIBWriter::GetScanline(int Row) {
  if (image.Size() == 0)
    throw GIFException(sNoDIB);
  if (Row < 0 || Row >= height)
    throw EInvalidGraphicOperation("Scan line index out of range");
  // Bottom-up: the picture's first row is the last in memory.
  return image.Memory() + WriterBitsOffset +
         static_cast<size_t>(height - 1 - Row) * static_cast<size_t>(stride);
}

void TDIBWriter::UpdateBitmap() {
  if (image.Size() == 0)
    throw GIFException(sNoDIB);
  image.SetPosition(0);
  bool made = true;
  try {
    bitmap->LoadFromStream(&image);
  } catch (const EInvalidGraphic&) {
    made = false;
  } catch (const std::bad_alloc&) {
    made = false;
  }
  image.Clear();
  if (!made)
    throw GIFException(sDIBCreate);
}

void InternalGetDIBSizes(TBitmap* Bitmap, int& InfoHeaderSize, int& ImageSize,
                         TPixelFormat PixelFormat) {
  const int bitCount = DIBBits(PixelFormat);
  InfoHeaderSize = static_cast<int>(sizeof(BITMAPINFOHEADER));
  if (bitCount <= 8)
    InfoHeaderSize += static_cast<int>(sizeof(RGBQUAD)) << bitCount;
  ImageSize = DibStride(Bitmap->Width(), bitCount) * std::abs(Bitmap->Height());
}

bool InternalGetDIB(TBitmap* Bitmap, HPALETTE Palette, BITMAPINFO* BitmapInfo, void* Bits,
                    TPixelFormat PixelFormat) {
  BITMAPINFOHEADER& header = BitmapInfo->bmiHeader;
  header = BITMAPINFOHEADER{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = Bitmap->Width();
  header.biHeight = Bitmap->Height();
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(DIBBits(PixelFormat));
  header.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  HPALETTE old = Palette != nullptr ? SelectPalette(dc, Palette, false) : nullptr;
  if (Palette != nullptr)
    RealizePalette(dc);
  const int rows = GetDIBits(dc, Bitmap->Handle(), 0, static_cast<UINT>(Bitmap->Height()), Bits,
                             BitmapInfo, DIB_RGB_COLORS);
  if (old != nullptr)
    SelectPalette(dc, old, false);
  DeleteDC(dc);
  return Bitmap->Height() > 0 && rows == Bitmap->Height();
}

// ---------------------------------------------------------------------------
// Lookups

TFastColorLookup::TFastColorLookup(HPALETTE Palette)
    : TColorLookup(0), entries(Palette != nullptr ? Entries(Palette) : std::vector<PALETTEENTRY>{}),
      cells(32768, 0xFFFF) {
  if (entries.size() > 256)
    entries.resize(256);
  colors = static_cast<int>(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const PALETTEENTRY& e = entries[i];
    uint16_t& cell = cells[(e.peRed >> 3) | ((e.peGreen & 0xF8) << 2) | ((e.peBlue & 0xF8) << 7)];
    if (cell == 0xFFFF)
      cell = static_cast<uint16_t>(i);
  }
}

int TFastColorLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G,
                             uint8_t& B) {
  if (entries.empty()) {
    R = G = B = 0;
    return 0;
  }
  uint16_t& cell = cells[(Red >> 3) | ((Green & 0xF8) << 2) | ((Blue & 0xF8) << 7)];
  if (cell == 0xFFFF) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < entries.size(); ++i) {
      const PALETTEENTRY& e = entries[i];
      const int distance =
          std::abs(e.peRed - Red) + std::abs(e.peGreen - Green) + std::abs(e.peBlue - Blue);
      if (distance < bestDistance) {
        bestDistance = distance;
        best = static_cast<int>(i);
      }
    }
    cell = static_cast<uint16_t>(best);
  }
  const PALETTEENTRY& e = entries[cell];
  R = e.peRed;
  G = e.peGreen;
  B = e.peBlue;
  return cell;
}

int TNetscapeColorLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G,
                                 uint8_t& B) {
  const int r = (Red + 3) / 51;
  const int g = (Green + 3) / 51;
  const int b = (Blue + 3) / 51;
  R = static_cast<uint8_t>(r * 51);
  G = static_cast<uint8_t>(g * 51);
  B = static_cast<uint8_t>(b * 51);
  return 36 * r + 6 * g + b;
}

int TGrayScaleLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G,
                             uint8_t& B) {
  const int gray = (77 * Red + 150 * Green + 29 * Blue) >> 8;
  R = G = B = static_cast<uint8_t>(gray);
  return gray;
}

int TMonochromeLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G,
                              uint8_t& B) {
  const bool white = 77 * Red + 150 * Green + 29 * Blue >= 32513;
  R = G = B = white ? 255 : 0;
  return white ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Dither engines

int TDitherEngine::Dither(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G,
                          uint8_t& B) {
  column += direction;
  return lookup->Lookup(Red, Green, Blue, R, G, B);
}

void TDitherEngine::NextLine() {
  direction = -direction;
  column = direction > 0 ? 0 : width - 1;
}

TErrorDiffusionDitherer::TErrorDiffusionDitherer(int AWidth, TColorLookup* ALookup, int Rows,
                                                 int Half, int ADivisor)
    : TDitherEngine(AWidth, ALookup), divisor(ADivisor), half(Half),
      errors(static_cast<size_t>(Rows)) {
  for (auto& row : errors)
    for (auto& channel : row)
      channel.assign(static_cast<size_t>(width + 2 * half), 0);
}

int TErrorDiffusionDitherer::Dither(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R,
                                    uint8_t& G, uint8_t& B) {
  const size_t at = At();
  const uint8_t in[3] = {Red, Green, Blue};
  uint8_t wanted[3];
  for (int c = 0; c < 3; ++c)
    wanted[c] = static_cast<uint8_t>(
        std::clamp(in[c] + (errors[0][c][at] + divisor / 2) / divisor, 0, 255));
  const int index = lookup->Lookup(wanted[0], wanted[1], wanted[2], R, G, B);
  const int error[3] = {wanted[0] - R, wanted[1] - G, wanted[2] - B};
  Distribute(errors, error);
  column += direction;
  return index;
}

void TErrorDiffusionDitherer::NextLine() {
  std::rotate(errors.begin(), errors.begin() + 1, errors.end());
  for (auto& channel : errors.back())
    std::fill(channel.begin(), channel.end(), 0);
  TDitherEngine::NextLine();
}

namespace {

// Weights[r][Half + o]: the share of kernel row r (0 the current row) at o
// columns ahead in the walking direction. Known when compiled, so that the
// empty places cost nothing.
template <size_t Rows, size_t Columns>
inline void Spread(TErrorRows& Errors, size_t At, int Direction, const int (&Error)[3],
                   const int (&Weights)[Rows][Columns]) {
  constexpr int half = static_cast<int>(Columns / 2);
  for (size_t c = 0; c < 3; ++c)
    for (size_t r = 0; r < Rows; ++r) {
      int32_t* row = Errors[r][c].data() + At;
      for (int o = -half; o <= half; ++o)
        if (const int w = Weights[r][static_cast<size_t>(half + o)])
          row[o * Direction] += Error[c] * w;
    }
}

constexpr int floydSteinberg[2][3] = {{0, 0, 7}, {3, 5, 1}};
constexpr int stucki[3][5] = {{0, 0, 0, 8, 4}, {2, 4, 8, 4, 2}, {1, 2, 4, 2, 1}};
constexpr int sierra[3][5] = {{0, 0, 0, 5, 3}, {2, 4, 5, 4, 2}, {0, 2, 3, 2, 0}};
constexpr int jajuni[3][5] = {{0, 0, 0, 7, 5}, {3, 5, 7, 5, 3}, {1, 3, 5, 3, 1}};
constexpr int steveArche[4][7] = {{0, 0, 0, 0, 0, 32, 0},
                                  {12, 0, 26, 0, 30, 0, 16},
                                  {0, 12, 0, 26, 0, 12, 0},
                                  {5, 0, 12, 0, 12, 0, 5}};
constexpr int burkes[2][5] = {{0, 0, 0, 8, 4}, {2, 4, 8, 4, 2}};

} // namespace

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int AWidth, TColorLookup* ALookup)
    : TErrorDiffusionDitherer(AWidth, ALookup, 2, 1, 16) {}
void TFloydSteinbergDitherer::Distribute(TErrorRows& Rows, const int (&Error)[3]) {
  Spread(Rows, At(), direction, Error, floydSteinberg);
}

T5by3Ditherer::T5by3Ditherer(int AWidth, TColorLookup* ALookup, int ADivisor)
    : TErrorDiffusionDitherer(AWidth, ALookup, 3, 2, ADivisor) {}

TStuckiDitherer::TStuckiDitherer(int AWidth, TColorLookup* ALookup)
    : T5by3Ditherer(AWidth, ALookup, 42) {}
void TStuckiDitherer::Distribute(TErrorRows& Rows, const int (&Error)[3]) {
  Spread(Rows, At(), direction, Error, stucki);
}

TSierraDitherer::TSierraDitherer(int AWidth, TColorLookup* ALookup)
    : T5by3Ditherer(AWidth, ALookup, 32) {}
void TSierraDitherer::Distribute(TErrorRows& Rows, const int (&Error)[3]) {
  Spread(Rows, At(), direction, Error, sierra);
}

TJaJuNiDitherer::TJaJuNiDitherer(int AWidth, TColorLookup* ALookup)
    : T5by3Ditherer(AWidth, ALookup, 48) {}
void TJaJuNiDitherer::Distribute(TErrorRows& Rows, const int (&Error)[3]) {
  Spread(Rows, At(), direction, Error, jajuni);
}

TSteveArcheDitherer::TSteveArcheDitherer(int AWidth, TColorLookup* ALookup)
    : TErrorDiffusionDitherer(AWidth, ALookup, 4, 3, 200) {}
void TSteveArcheDitherer::Distribute(TErrorRows& Rows, const int (&Error)[3]) {
  Spread(Rows, At(), direction, Error, steveArche);
}

TBurkesDitherer::TBurkesDitherer(int AWidth, TColorLookup* ALookup)
    : TErrorDiffusionDitherer(AWidth, ALookup, 2, 2, 32) {}
void TBurkesDitherer::Distribute(TErrorRows& Rows, const int (&Error)[3]) {
  Spread(Rows, At(), direction, Error, burkes);
}

std::unique_ptr<TDitherEngine> CreateDitherEngine(TDitherMode Mode, int Width,
                                                  TColorLookup* Lookup) {
  switch (Mode) {
  case dmFloydSteinberg:
    return std::make_unique<TFloydSteinbergDitherer>(Width, Lookup);
  case dmStucki:
    return std::make_unique<TStuckiDitherer>(Width, Lookup);
  case dmSierra:
    return std::make_unique<TSierraDitherer>(Width, Lookup);
  case dmJaJuNI:
    return std::make_unique<TJaJuNiDitherer>(Width, Lookup);
  case dmSteveArche:
    return std::make_unique<TSteveArcheDitherer>(Width, Lookup);
  case dmBurkes:
    return std::make_unique<TBurkesDitherer>(Width, Lookup);
  case dmNearest:
    break;
  }
  return std::make_unique<TDitherEngine>(Width, Lookup);
}

// ---------------------------------------------------------------------------
// Octree quantizer

struct TColorQuantizer::TOctreeNode {
  bool Leaf = false;
  uint32_t Count = 0;
  uint32_t Red = 0;
  uint32_t Green = 0;
  uint32_t Blue = 0;
  TOctreeNode* NextReducible = nullptr;
  TOctreeNode* Children[8] = {};

  ~TOctreeNode() {
    for (TOctreeNode* child : Children)
      delete child;
  }
};

TColorQuantizer::TColorQuantizer(int AMaxColors, int AColorBits)
    : reducible(static_cast<size_t>(AColorBits), nullptr), maxColors(AMaxColors),
      colorBits(AColorBits) {}

TColorQuantizer::~TColorQuantizer() {
  delete root;
}

void TColorQuantizer::AddColor(uint8_t Red, uint8_t Green, uint8_t Blue) {
  TOctreeNode** slot = &root;
  for (int level = 0;; ++level) {
    if (*slot == nullptr) {
      *slot = new TOctreeNode;
      if (level == colorBits) {
        (*slot)->Leaf = true;
        ++leafCount;
      } else {
        (*slot)->NextReducible = reducible[static_cast<size_t>(level)];
        reducible[static_cast<size_t>(level)] = *slot;
      }
    }
    TOctreeNode* node = *slot;
    if (node->Leaf) {
      ++node->Count;
      node->Red += Red;
      node->Green += Green;
      node->Blue += Blue;
      break;
    }
    const int shift = 7 - level;
    const int child =
        (((Red >> shift) & 1) << 2) | (((Green >> shift) & 1) << 1) | ((Blue >> shift) & 1);
    slot = &node->Children[child];
  }
  while (leafCount > maxColors)
    Reduce();
}

void TColorQuantizer::Reduce() {
  int level = colorBits - 1;
  while (level > 0 && reducible[static_cast<size_t>(level)] == nullptr)
    --level;
  TOctreeNode* node = reducible[static_cast<size_t>(level)];
  if (node == nullptr)
    return;
  reducible[static_cast<size_t>(level)] = node->NextReducible;
  int children = 0;
  for (TOctreeNode*& child : node->Children) {
    if (child == nullptr)
      continue;
    node->Count += child->Count;
    node->Red += child->Red;
    node->Green += child->Green;
    node->Blue += child->Blue;
    delete child;
    child = nullptr;
    ++children;
  }
  node->Leaf = true;
  leafCount += 1 - children;
}

std::vector<TGIFColor> TColorQuantizer::Colors() const {
  std::vector<TGIFColor> out;
  std::vector<const TOctreeNode*> pending;
  if (root != nullptr)
    pending.push_back(root);
  while (!pending.empty()) {
    const TOctreeNode* node = pending.back();
    pending.pop_back();
    if (node->Leaf) {
      if (node->Count == 0)
        out.push_back(TGIFColor{});
      else
        out.push_back(TGIFColor{static_cast<uint8_t>(node->Red / node->Count),
                                static_cast<uint8_t>(node->Green / node->Count),
                                static_cast<uint8_t>(node->Blue / node->Count)});
      continue;
    }
    for (int i = 7; i >= 0; --i)
      if (node->Children[i] != nullptr)
        pending.push_back(node->Children[i]);
  }
  return out;
}

void TColorQuantizer::AddBitmap(TBitmap* Bitmap) {
  std::unique_ptr<TBitmap> copy = Copy(Bitmap);
  TDIBReader rows(copy.get(), pf24bit);
  for (int y = 0; y < copy->Height(); ++y) {
    const auto* p = static_cast<const uint8_t*>(rows.GetScanline(y));
    for (int x = 0; x < copy->Width(); ++x, p += 3)
      AddColor(p[2], p[1], p[0]);
  }
}

HPALETTE CreateOptimizedPaletteFromManyBitmaps(const std::vector<TBitmap*>& Bitmaps, int Colors,
                                               int ColorBits, bool Windows) {
  if (Bitmaps.empty())
    throw GIFException(sInvalidBitmapList);
  TColorQuantizer quantizer(Windows ? 236 : Colors, ColorBits);
  for (TBitmap* bitmap : Bitmaps)
    quantizer.AddBitmap(bitmap);
  return MakePalette(Windows ? FramedByDefault(quantizer.Colors()) : ToEntries(quantizer.Colors()));
}

// ---------------------------------------------------------------------------
// Reduction

std::unique_ptr<TBitmap> ReduceColors(TBitmap* Bitmap, TColorReduction ColorReduction,
                                      TDitherMode DitherMode, int ReductionBits, HPALETTE Palette) {
  auto result = std::make_unique<TBitmap>();
  if (ColorReduction == rmNone) {
    result->Assign(Bitmap);
    result->SetPixelFormat(pf24bit);
    return result;
  }
  const int width = Bitmap->Width();
  const int height = Bitmap->Height();
  if (static_cast<int64_t>(width) * height > 500000)
    result->SetPixelFormat(pf1bit);
  TOwnedPalette palette(ReductionPalette(Bitmap, ColorReduction, ReductionBits, Palette));
  std::unique_ptr<TColorLookup> lookup = ReductionLookup(ColorReduction, palette.get());
  if (lookup->Colors() == 0)
    return result;
  std::unique_ptr<TDitherEngine> engine = CreateDitherEngine(DitherMode, width, lookup.get());
  TDIBWriter writer(result.get(), pf8bit, width, height, palette.get());
  std::unique_ptr<TBitmap> source = Copy(Bitmap);
  TDIBReader reader(source.get(), pf24bit);
  for (int y = 0; y < height; ++y) {
    const auto* in = static_cast<const uint8_t*>(reader.GetScanline(y));
    auto* out = static_cast<uint8_t*>(writer.GetScanline(y));
    for (int i = 0; i < width; ++i) {
      const int x = engine->Column();
      const uint8_t* p = in + 3 * x;
      uint8_t r, g, b;
      out[x] = static_cast<uint8_t>(engine->Dither(p[2], p[1], p[0], r, g, b));
    }
    engine->NextLine();
  }
  writer.UpdateBitmap();
  return result;
}
