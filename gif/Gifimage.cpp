#include "gif/Gifimage.h"

#include <algorithm>
#include <cstring>

const char* const sOutOfData = "Premature end of data";
const char* const sBadSignature = "Invalid GIF signature";
const char* const sBadVersion = "Unsupported GIF version";
const char* const sBadBlock = "Unknown GIF block type";
const char* const sBadExtensionLabel = "Invalid extension introducer";
const char* const sUnknownExtension = "Unknown extension type";
const char* const sBadExtensionInstance =
    "Internal error: Extension Instance does not match Extension Label";
const char* const sBadBlockSize = "Unsupported Application Extension block size";
const char* const sInvalidData = "Invalid GIF data";
const char* const sScreenSizeExceeded = "Image exceeds Logical Screen size";
const char* const sBadTrailer = "Invalid Image trailer";
const char* const sTooManyColors = "Color table overflow";
const char* const sBadColorIndex = "Invalid color index";
const char* const sEmptyColorMap = "Color table is empty";
const char* const sScreenBadColorSize = "Invalid number of colors specified in Screen Descriptor";
const char* const sImageBadColorSize = "Invalid number of colors specified in Image Descriptor";
const char* const sEmptyImage = "Image is empty";
const char* const sBadPixelCoordinates = "Invalid pixel coordinates";
const char* const sDecodeTooFewBits = "Decoder bit buffer under-run";
const char* const sDecodeCircular = "Circular decoder table entry";
const char* const sBadCodeSize = "Invalid LZW minimum code size";
const char* const sFrameTooLarge = "Image is larger than the limit of pixels";
const char* const sEmptyFrameControl = "Graphic control of a frame without an image dropped";
const char* const sInvalidColor = "Color not in color table";
const char* const sInvalidStream = "Invalid stream operation";
const char* const sNoAppDataReader = "Application Extension block too large for its class";
const char* const sBadWidth = "Image width too small for contained frames";
const char* const sBadHeight = "Image height too small for contained frames";
const char* const sUnsupportedClass = "Object type not supported for operation";
const char* const sInvalidBitSize = "Invalid Bits Per Pixel value";
const char* const sNoColorTable = "No global or local color table defined";
const char* const sFailedPaste = "Failed to store GIF on clipboard";
const char* const sLoading = "Loading...";
const char* const sSaving = "Saving...";

TGIFDrawOptions GIFImageDefaultDrawOptions = {goAsync,       goTransparent, goAnimate,   goLoop,
                                              goClearOnLoop, goDither,      goAutoDither};
TColorReduction GIFImageDefaultColorReduction = rmNetscape;
int GIFImageDefaultColorReductionBits = 8;
TDitherMode GIFImageDefaultDitherMode = dmNearest;
TGIFCompression GIFImageDefaultCompression = gcLZW;
bool GIFImageRenderOnLoad = false;
int GIFImageDefaultThreadPriority = 3;
int GIFImageDefaultAnimationSpeed = 100;
bool PaletteDevice = false;
bool DoAutoDither = false;
WORD CF_GIF = 0;

namespace {

[[noreturn]] void Error(const char* Message) {
  throw GIFException(Message);
}

bool ReadByte(TStream* Stream, uint8_t& Value) {
  return Stream->Read(&Value, 1) == 1;
}

// A fixed part of a block: anything short is damaged data.
void ReadFixed(TStream* Stream, void* Buffer, int Count) {
  if (Stream->Read(Buffer, Count) != Count)
    Error(sOutOfData);
}

void WriteByte(TStream* Stream, uint8_t Value) {
  Stream->WriteBuffer(&Value, 1);
}

void WriteWord(TStream* Stream, uint16_t Value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(Value), static_cast<uint8_t>(Value >> 8)};
  Stream->WriteBuffer(bytes, 2);
}

uint16_t GetWord(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void PutWord(uint8_t* p, uint16_t Value) {
  p[0] = static_cast<uint8_t>(Value);
  p[1] = static_cast<uint8_t>(Value >> 8);
}

void StepBack(TStream* Stream) {
  Stream->Seek(-1, soCurrent);
}

// Data sub-blocks up to and with their terminator, unread.
void SkipSubBlocks(TStream* Stream) {
  uint8_t size = 0;
  while (ReadByte(Stream, size) && size != 0)
    Stream->Seek(std::min<int64_t>(size, Stream->Size() - Stream->Position()), soCurrent);
}

// After a graphic control block of four whose terminator byte Size is not
// 0. A conversion that put a byte into its fields pushed the terminator out:
// it follows as a lone 0, or the next block follows at once. Else that byte
// began data sub-blocks of an encoder's own, which are passed over.
void SkipAfterUnterminated(TStream* Stream, uint8_t Size) {
  uint8_t b = 0;
  if (!ReadByte(Stream, b) || b == 0)
    return;
  StepBack(Stream);
  if (b == '!' || b == ',' || b == ';')
    return;
  Stream->Seek(std::min<int64_t>(Size, Stream->Size() - Stream->Position()), soCurrent);
  SkipSubBlocks(Stream);
}

TGIFColor ToGIFColor(TColor Color) {
  return TGIFColor{static_cast<uint8_t>(Color), static_cast<uint8_t>(Color >> 8),
                   static_cast<uint8_t>(Color >> 16)};
}

TColor ToTColor(const TGIFColor& Color) {
  return static_cast<TColor>(Color.Red | (Color.Green << 8) | (Color.Blue << 16));
}

// Text lines as data sub-blocks: each line in pieces of at most 255 bytes.
void WriteStrings(TStream* Stream, const TStringList& Lines) {
  for (int i = 0; i < Lines.Count(); ++i) {
    const AnsiString line = Lines.Strings(i);
    for (size_t at = 0; at < line.size(); at += 255) {
      const size_t piece = std::min<size_t>(255, line.size() - at);
      WriteByte(Stream, static_cast<uint8_t>(piece));
      Stream->WriteBuffer(line.data() + at, static_cast<int>(piece));
    }
  }
  WriteByte(Stream, 0);
}

void ReadStrings(TStream* Stream, TStringList& Lines) {
  Lines.Clear();
  uint8_t size = 0;
  while (ReadByte(Stream, size) && size != 0) {
    AnsiString line(size, '\0');
    ReadFixed(Stream, line.data(), size);
    Lines.Add(line);
  }
}

} // namespace

// ---------------------------------------------------------------------------
// Items and lists

void TGIFItem::Warning(TGIFSeverity Severity, const AnsiString& Message) {
  if (image != nullptr)
    image->Warning(this, Severity, Message);
}

void TGIFItem::SaveToFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
  stream.FlushBuffer();
}

void TGIFItem::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

TGIFList::~TGIFList() {
  Clear();
}

void TGIFList::Warning(TGIFSeverity Severity, const AnsiString& Message) {
  if (image != nullptr)
    image->Warning(this, Severity, Message);
}

void TGIFList::SaveToStream(TStream* Stream) {
  for (TGIFItem* item : items)
    item->SaveToStream(Stream);
}

int TGIFList::Add(TGIFItem* Item) {
  items.push_back(Item);
  return GetCount() - 1;
}

void TGIFList::Clear() {
  // Front first as deleting the first one by one would, but all out of the
  // list at once: moving all the others for each made this quadratic.
  std::vector<TGIFItem*> gone;
  gone.swap(items);
  for (TGIFItem* item : gone)
    delete item;
}

void TGIFList::Delete(int Index) {
  TGIFItem* item = GetItem(Index);
  items.erase(items.begin() + Index);
  delete item;
}

void TGIFList::Exchange(int Index1, int Index2) {
  std::swap(items.at(static_cast<size_t>(Index1)), items.at(static_cast<size_t>(Index2)));
}

int TGIFList::IndexOf(const TGIFItem* Item) const {
  const auto it = std::find(items.begin(), items.end(), Item);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TGIFList::Insert(int Index, TGIFItem* Item) {
  items.insert(items.begin() + Index, Item);
}

void TGIFList::Move(int CurIndex, int NewIndex) {
  TGIFItem* item = GetItem(CurIndex);
  items.erase(items.begin() + CurIndex);
  Insert(NewIndex, item);
}

int TGIFList::Remove(const TGIFItem* Item) {
  const int index = IndexOf(Item);
  if (index >= 0)
    items.erase(items.begin() + index);
  return index;
}

// ---------------------------------------------------------------------------
// Colour maps

void TGIFColorMap::Assign(const TPersistent* Source) {
  const auto* map = dynamic_cast<const TGIFColorMap*>(Source);
  if (map == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  colors = map->colors;
  count = map->count;
  IsOptimized = map->IsOptimized;
  Changed();
}

void TGIFColorMap::SetCapacity(int Size) {
  if (Size < Capacity())
    return;
  const int capacity = Size <= 16 ? 16 : std::min(256, (Size + 31) / 32 * 32);
  colors.resize(static_cast<size_t>(capacity));
}

int TGIFColorMap::GetBitsPerPixel() const {
  int bits = 0;
  while ((1 << bits) < count)
    ++bits;
  return count == 1 ? 1 : bits;
}

int TGIFColorMap::Add(TColor Color) {
  if (count >= 256)
    Error(sTooManyColors);
  SetCapacity(count + 1);
  colors[static_cast<size_t>(count)] = ToGIFColor(Color);
  ++count;
  IsOptimized = false;
  Changed();
  return count - 1;
}

int TGIFColorMap::AddUnique(TColor Color) {
  const int index = IndexOf(Color);
  return index >= 0 ? index : Add(Color);
}

int TGIFColorMap::IndexOf(TColor Color) const {
  const TGIFColor wanted = ToGIFColor(Color);
  if (IsOptimized) {
    for (int i = 0; i < count; ++i)
      if (colors[static_cast<size_t>(i)] == wanted)
        return i;
    return -1;
  }
  for (int i = count - 1; i >= 0; --i)
    if (colors[static_cast<size_t>(i)] == wanted)
      return i;
  return -1;
}

void TGIFColorMap::Delete(int Index) {
  if (Index < 0 || Index >= count)
    Error(sBadColorIndex);
  colors.erase(colors.begin() + Index);
  colors.push_back(TGIFColor{});
  --count;
  IsOptimized = false;
  Changed();
}

void TGIFColorMap::Clear() {
  colors.clear();
  count = 0;
  IsOptimized = false;
  Changed();
}

TColor TGIFColorMap::GetColor(int Index) {
  if (Index < 0 || Index >= count) {
    Warning(gsWarning, sBadColorIndex);
    if (count == 0)
      Error(sEmptyColorMap);
    Index = 0;
  }
  return ToTColor(colors[static_cast<size_t>(Index)]);
}

void TGIFColorMap::SetColor(int Index, TColor Color) {
  if (Index < 0 || Index >= count)
    Error(sBadColorIndex);
  colors[static_cast<size_t>(Index)] = ToGIFColor(Color);
  Changed();
}

void TGIFColorMap::ImportColorMap(const TGIFColor* Colors, int Count) {
  Count = std::clamp(Count, 0, 256);
  colors.clear();
  count = 0;
  SetCapacity(Count);
  std::copy(Colors, Colors + Count, colors.begin());
  count = Count;
  IsOptimized = false;
  Changed();
}

void TGIFColorMap::ImportPalette(HPALETTE Palette) {
  std::vector<PALETTEENTRY> entries(std::min<UINT>(256, GetPaletteEntries(Palette, 0, 0, nullptr)));
  GetPaletteEntries(Palette, 0, static_cast<UINT>(entries.size()), entries.data());
  std::vector<TGIFColor> triples;
  for (const PALETTEENTRY& e : entries)
    triples.push_back(TGIFColor{e.peRed, e.peGreen, e.peBlue});
  ImportColorMap(triples.data(), static_cast<int>(triples.size()));
}

void TGIFColorMap::ImportColorTable(const RGBQUAD* Colors, int Count) {
  std::vector<TGIFColor> triples;
  for (int i = 0; i < std::min(Count, 256); ++i)
    triples.push_back(TGIFColor{Colors[i].rgbRed, Colors[i].rgbGreen, Colors[i].rgbBlue});
  ImportColorMap(triples.data(), static_cast<int>(triples.size()));
}

void TGIFColorMap::ImportDIBColors(HDC DeviceContext) {
  RGBQUAD table[256];
  const UINT count = GetDIBColorTable(DeviceContext, 0, 256, table);
  ImportColorTable(table, static_cast<int>(count));
}

HPALETTE TGIFColorMap::ExportPalette() const {
  if (count == 0)
    return nullptr;
  std::vector<uint8_t> block(sizeof(LOGPALETTE) +
                             static_cast<size_t>(count) * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(count);
  for (int i = 0; i < count; ++i) {
    const TGIFColor& c = colors[static_cast<size_t>(i)];
    log->palPalEntry[i] = PALETTEENTRY{c.Red, c.Green, c.Blue, PC_NOCOLLAPSE};
  }
  return CreatePalette(log);
}

namespace {

// The colours of the table a descriptor's size field announces. Three bits
// cannot announce a size outside 2..256; the guard keeps the table reader
// to what a GIF table can hold should the field ever be read otherwise.
int DescriptorColors(uint8_t Packed, const char* BadSize) {
  const int colors = 1 << ((Packed & 7) + 1);
  if (colors < 2 || colors > 256)
    throw GIFException(BadSize);
  return colors;
}

} // namespace

void TGIFColorMap::LoadFromStream(TStream* Stream, int Count) {
  std::vector<TGIFColor> triples(static_cast<size_t>(Count));
  ReadFixed(Stream, triples.data(), Count * 3);
  ImportColorMap(triples.data(), Count);
}

void TGIFColorMap::SaveToStream(TStream* Stream) const {
  if (count == 0)
    return;
  std::vector<TGIFColor> table(size_t{1} << GetBitsPerPixel());
  std::copy(colors.begin(), colors.begin() + count, table.begin());
  Stream->WriteBuffer(table.data(), static_cast<int>(table.size() * 3));
}

void TGIFGlobalColorMap::Warning(TGIFSeverity Severity, const AnsiString& Message) {
  header->Warning(Severity, Message);
}

void TGIFLocalColorMap::Warning(TGIFSeverity Severity, const AnsiString& Message) {
  frame->Warning(Severity, Message);
}

void TGIFGlobalColorMap::Changed() {
  if (header->Image() != nullptr)
    header->Image()->SetPalette(nullptr);
}

void TGIFLocalColorMap::Changed() {
  frame->SetPalette(nullptr);
}

// ---------------------------------------------------------------------------
// Header and trailer

TGIFHeader::TGIFHeader(TGIFImage* AImage)
    : TGIFItem(AImage), colorMap(std::make_unique<TGIFGlobalColorMap>(this)) {}

TGIFVersion TGIFHeader::GetVersion() const {
  return colorMap->IsOptimized || AspectRatio != 0 ? gv89a : gv87a;
}

void TGIFHeader::Clear() {
  colorMap->Clear();
  Width = 0;
  Height = 0;
  Packed = 0;
  BackgroundColorIndex = 0;
  AspectRatio = 0;
}

void TGIFHeader::LoadFromStream(TStream* Stream) {
  const int64_t start = Stream->Position();
  char signature[6];
  ReadFixed(Stream, signature, 6);
  auto isGif = [&] {
    for (int i = 0; i < 3; ++i)
      if (std::toupper(static_cast<unsigned char>(signature[i])) != "GIF"[i])
        return false;
    return true;
  };
  if (!isGif()) {
    // Some writers put a few bytes of their own before the signature.
    Stream->SetPosition(start + 4);
    ReadFixed(Stream, signature, 6);
    if (!isGif())
      Error(sBadSignature);
  }
  uint8_t descriptor[7];
  ReadFixed(Stream, descriptor, 7);
  Width = GetWord(descriptor);
  Height = GetWord(descriptor + 2);
  // Drawing the whole image makes a bitmap of the screen's size.
  if (uint64_t{Width} * Height > GIFMaximumFramePixels)
    Error(sFrameTooLarge);
  Packed = descriptor[4];
  BackgroundColorIndex = descriptor[5];
  AspectRatio = descriptor[6];
  if (Packed & 0x80)
    colorMap->LoadFromStream(Stream, DescriptorColors(Packed, sScreenBadColorSize));
  else
    colorMap->Clear();
}

void TGIFHeader::SaveToStream(TStream* Stream) {
  const TGIFVersion version = image->Version();
  if (version == gvUnknown)
    Error(sBadVersion);
  Stream->WriteBuffer(version == gv87a ? "GIF87a" : "GIF89a", 6);
  // The size field must describe the table that follows, so it comes from the
  // global map itself rather than from the largest map of the image.
  const bool hasTable = colorMap->Count() > 0;
  Packed = static_cast<uint8_t>((hasTable ? 0x80 : 0) | (colorMap->IsOptimized ? 0x08 : 0) |
                                ((image->ColorResolution() << 4) & 0x70) |
                                (((hasTable ? BitsPerPixel() : image->BitsPerPixel()) - 1) & 7));
  uint8_t descriptor[7];
  PutWord(descriptor, Width);
  PutWord(descriptor + 2, Height);
  descriptor[4] = Packed;
  descriptor[5] = BackgroundColorIndex;
  descriptor[6] = AspectRatio;
  Stream->WriteBuffer(descriptor, 7);
  if (hasTable)
    colorMap->SaveToStream(Stream);
}

void TGIFTrailer::SaveToStream(TStream* Stream) {
  WriteByte(Stream, ';');
}

void TGIFTrailer::LoadFromStream(TStream* Stream) {
  uint8_t b = 0;
  if (ReadByte(Stream, b) && b != ';')
    Warning(gsWarning, sBadTrailer);
}

// ---------------------------------------------------------------------------
// Extension registries

namespace {

struct TLabelEntry {
  uint8_t Label;
  TGIFExtensionClass Class;
};
struct TAppEntry {
  AnsiString Identification;
  TGIFExtensionClass Class;
};

std::unique_ptr<std::vector<TLabelEntry>> labelRegistry;
std::unique_ptr<std::vector<TAppEntry>> appRegistry;

std::vector<TLabelEntry>& LabelRegistry() {
  if (!labelRegistry) {
    labelRegistry = std::make_unique<std::vector<TLabelEntry>>();
    labelRegistry->push_back({0x01, TGIFTextExtension::Class()});
    labelRegistry->push_back({0xF9, TGIFGraphicControlExtension::Class()});
    labelRegistry->push_back({0xFE, TGIFCommentExtension::Class()});
    labelRegistry->push_back({0xFF, TGIFApplicationExtension::Class()});
  }
  return *labelRegistry;
}

std::vector<TAppEntry>& AppRegistry() {
  if (!appRegistry) {
    appRegistry = std::make_unique<std::vector<TAppEntry>>();
    appRegistry->push_back({"NETSCAPE2.0", TGIFAppExtNSLoop::Class()});
    appRegistry->push_back({"ANIMEXTS1.0", TGIFAppExtNSLoop::Class()});
  }
  return *appRegistry;
}

TGIFExtensionClass OwnClass(TStream*, TGIFExtensionClass Self) {
  return Self;
}

template <class T> TGIFExtension* Construct(TGIFSubImage* Frame) {
  return new T(Frame);
}

template <class T> TGIFExtensionClass PlainClass() {
  static const TGIFExtensionClassInfo info{
      &Construct<T>, [](TStream* Stream) { return OwnClass(Stream, T::Class()); }};
  return &info;
}

} // namespace

void TGIFExtension::RegisterExtension(uint8_t Label, TGIFExtensionClass ExtensionClass) {
  LabelRegistry().push_back({Label, ExtensionClass});
}

void TGIFExtension::FreeRegistry() {
  labelRegistry.reset();
}

TGIFExtensionClass TGIFExtension::FindExtension(TStream* Stream) {
  const int64_t start = Stream->Position();
  uint8_t label = 0;
  TGIFExtensionClass found = nullptr;
  if (ReadByte(Stream, label)) {
    const auto& registry = LabelRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
      if (it->Label == label) {
        found = it->Class;
        break;
      }
    while (found != nullptr) {
      TGIFExtensionClass sub = found->FindSubExtension(Stream);
      if (sub == found)
        break;
      found = sub;
    }
  }
  Stream->SetPosition(start);
  return found;
}

void TGIFApplicationExtension::RegisterExtension(const AnsiString& Identification,
                                                 TGIFExtensionClass ExtensionClass) {
  AppRegistry().push_back({Identification.substr(0, 11), ExtensionClass});
}

void TGIFApplicationExtension::FreeRegistry() {
  appRegistry.reset();
}

TGIFExtensionClass TGIFApplicationExtension::FindSubExtension(TStream* Stream) {
  const int64_t start = Stream->Position();
  uint8_t size = 0;
  if (!ReadByte(Stream, size))
    return nullptr;
  char ident[11] = {};
  if (size == 11 && Stream->Read(ident, 11) == 11) {
    const AnsiString key(ident, 11);
    const auto& registry = AppRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
      if (it->Identification == key)
        return it->Class;
  }
  // Any other size is kept as it stands, without a reader of its own.
  Stream->SetPosition(start);
  return TGIFUnknownAppExtension::Class();
}

// ---------------------------------------------------------------------------
// Extensions

TGIFExtension::TGIFExtension(TGIFSubImage* AFrame)
    : TGIFItem(AFrame ? AFrame->Image() : nullptr), frame(AFrame) {}

TGIFExtension::~TGIFExtension() {
  if (frame != nullptr)
    frame->Extensions()->Remove(this);
}

void TGIFExtension::SaveToStream(TStream* Stream) {
  WriteByte(Stream, '!');
  WriteByte(Stream, GetExtensionType());
  SaveBody(Stream);
}

void TGIFExtension::LoadFromStream(TStream* Stream) {
  uint8_t intro[2];
  ReadFixed(Stream, intro, 2);
  if (intro[0] != '!')
    Error(sBadExtensionLabel);
  if (intro[1] != GetExtensionType())
    Error(sBadExtensionInstance);
  LoadBody(Stream);
}

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* AFrame)
    : TGIFExtension(AFrame) {
  if (frame != nullptr && frame->GraphicControlExtension() == nullptr)
    frame->SetGraphicControlExtension(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
  if (frame == nullptr || frame->GraphicControlExtension() != this)
    return;
  frame->SetGraphicControlExtension(nullptr);
  if (Transparent())
    frame->SetTransparent(false);
}

TGIFExtensionClass TGIFGraphicControlExtension::Class() {
  return PlainClass<TGIFGraphicControlExtension>();
}
TGIFExtensionClass TGIFGraphicControlExtension::ClassInfo() const {
  return Class();
}

void TGIFGraphicControlExtension::SetTransparent(bool Value) {
  Packed = static_cast<uint8_t>(Value ? Packed | 0x01 : Packed & ~0x01);
  if (frame != nullptr)
    frame->SetTransparent(Value);
}

void TGIFGraphicControlExtension::SetUserInput(bool Value) {
  Packed = static_cast<uint8_t>(Value ? Packed | 0x02 : Packed & ~0x02);
}

TDisposalMethod TGIFGraphicControlExtension::Disposal() const {
  const int method = (Packed >> 2) & 7;
  return method <= dmPrevious ? static_cast<TDisposalMethod>(method) : dmNoDisposal;
}

void TGIFGraphicControlExtension::SetDisposal(TDisposalMethod Value) {
  Packed = static_cast<uint8_t>((Packed & ~0x1C) | ((Value & 7) << 2));
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(int Index) {
  const TGIFColorMap* map = frame != nullptr ? frame->ActiveColorMap() : nullptr;
  if (map != nullptr && map->Count() > 0 && Index >= map->Count()) {
    Warning(gsWarning, sBadColorIndex);
    Index = 0;
  }
  transparentIndex = static_cast<uint8_t>(Index);
}

TColor TGIFGraphicControlExtension::TransparentColor() const {
  return frame->ActiveColorMap()->GetColor(transparentIndex);
}

void TGIFGraphicControlExtension::SetTransparentColor(TColor Color) {
  SetTransparentColorIndex(frame->ActiveColorMap()->AddUnique(Color));
}

// Written as the format has it whatever was read: four bytes and the
// terminator.
void TGIFGraphicControlExtension::SaveBody(TStream* Stream) {
  uint8_t body[6] = {4, Packed, 0, 0, transparentIndex, 0};
  PutWord(body + 2, delay);
  Stream->WriteBuffer(body, 6);
}

// A block of the size the format gives is taken as its six bytes stand,
// whatever its terminator holds: a line-end conversion that put a byte into
// the fields leaves a stray byte there, and reading on by sub-blocks would
// let that byte swallow the image descriptor.
// Blocks of any other size are read by their declared size: the first four
// bytes are known, anything after them and any further sub-blocks are
// skipped; a shorter block leaves the fields it lacks at zero.
void TGIFGraphicControlExtension::LoadBody(TStream* Stream) {
  uint8_t size = 0;
  if (!ReadByte(Stream, size)) {
    Warning(gsWarning, sOutOfData);
    return;
  }
  uint8_t body[255] = {};
  if (size == 4) {
    if (Stream->Read(body, 5) != 5)
      Warning(gsWarning, sOutOfData);
    else if (body[4] != 0)
      SkipAfterUnterminated(Stream, body[4]);
  } else {
    if (Stream->Read(body, size) != size)
      Warning(gsWarning, sOutOfData);
    SkipSubBlocks(Stream);
  }
  BlockSize = 4;
  Packed = body[0];
  delay = GetWord(body + 1);
  transparentIndex = body[3];
  Terminator = 0;
  if (Transparent() && frame != nullptr)
    frame->SetTransparent(true);
}

TGIFTextExtension::TGIFTextExtension(TGIFSubImage* AFrame) : TGIFExtension(AFrame) {}

TGIFExtensionClass TGIFTextExtension::Class() {
  return PlainClass<TGIFTextExtension>();
}
TGIFExtensionClass TGIFTextExtension::ClassInfo() const {
  return Class();
}

int TGIFTextExtension::GetBounds(int Index) const {
  return bounds[Index - 1];
}
void TGIFTextExtension::SetBounds(int Index, int Value) {
  bounds[Index - 1] = static_cast<uint16_t>(Value);
}
int TGIFTextExtension::GetCharWidthHeight(int Index) const {
  return cell[Index - 1];
}
void TGIFTextExtension::SetCharWidthHeight(int Index, int Value) {
  cell[Index - 1] = static_cast<uint8_t>(Value);
}
int TGIFTextExtension::GetColorIndex(int Index) const {
  return colorIndex[Index - 1];
}
void TGIFTextExtension::SetColorIndex(int Index, int Value) {
  colorIndex[Index - 1] = static_cast<uint8_t>(Value);
}
TColor TGIFTextExtension::ForegroundColor() const {
  return frame->ActiveColorMap()->GetColor(colorIndex[0]);
}
void TGIFTextExtension::SetForegroundColor(TColor Color) {
  SetColorIndex(1, frame->ActiveColorMap()->AddUnique(Color));
}
TColor TGIFTextExtension::BackgroundColor() const {
  return frame->ActiveColorMap()->GetColor(colorIndex[1]);
}
void TGIFTextExtension::SetBackgroundColor(TColor Color) {
  SetColorIndex(2, frame->ActiveColorMap()->AddUnique(Color));
}

// Written as the format has it whatever was read: twelve bytes.
void TGIFTextExtension::SaveBody(TStream* Stream) {
  uint8_t body[13] = {12};
  for (int i = 0; i < 4; ++i)
    PutWord(body + 1 + 2 * i, bounds[i]);
  body[9] = cell[0];
  body[10] = cell[1];
  body[11] = colorIndex[0];
  body[12] = colorIndex[1];
  Stream->WriteBuffer(body, 13);
  WriteStrings(Stream, text);
}

// The block is read by its declared size: a longer one has bytes of no
// known meaning after the twelve, a shorter one leaves the fields it lacks
// at zero.
void TGIFTextExtension::LoadBody(TStream* Stream) {
  uint8_t size = 0;
  ReadFixed(Stream, &size, 1);
  uint8_t body[255] = {};
  ReadFixed(Stream, body, size);
  BlockSize = 12;
  for (int i = 0; i < 4; ++i)
    bounds[i] = GetWord(body + 2 * i);
  cell[0] = body[8];
  cell[1] = body[9];
  colorIndex[0] = body[10];
  colorIndex[1] = body[11];
  ReadStrings(Stream, text);
}

TGIFExtensionClass TGIFCommentExtension::Class() {
  return PlainClass<TGIFCommentExtension>();
}
TGIFExtensionClass TGIFCommentExtension::ClassInfo() const {
  return Class();
}
void TGIFCommentExtension::SaveBody(TStream* Stream) {
  WriteStrings(Stream, comment);
}
void TGIFCommentExtension::LoadBody(TStream* Stream) {
  ReadStrings(Stream, comment);
}

TGIFExtensionClass TGIFApplicationExtension::Class() {
  static const TGIFExtensionClassInfo info{&Construct<TGIFApplicationExtension>,
                                           &TGIFApplicationExtension::FindSubExtension};
  return &info;
}
TGIFExtensionClass TGIFApplicationExtension::ClassInfo() const {
  return Class();
}

AnsiString TGIFApplicationExtension::Identifier() const {
  return AnsiString(reinterpret_cast<const char*>(ident), 8);
}

AnsiString TGIFApplicationExtension::Authentication() const {
  return AnsiString(reinterpret_cast<const char*>(ident + 8), 3);
}

void TGIFApplicationExtension::SetIdentifier(const AnsiString& Value) {
  const AnsiString padded = (Value + AnsiString(8, ' ')).substr(0, 8);
  std::memcpy(ident, padded.data(), 8);
}

void TGIFApplicationExtension::SetAuthentication(const AnsiString& Value) {
  const AnsiString padded = (Value + AnsiString(3, ' ')).substr(0, 3);
  std::memcpy(ident + 8, padded.data(), 3);
}

void TGIFApplicationExtension::SaveBody(TStream* Stream) {
  WriteByte(Stream, 11);
  Stream->WriteBuffer(ident, 11);
  SaveData(Stream);
}

void TGIFApplicationExtension::LoadBody(TStream* Stream) {
  uint8_t size = 0;
  ReadFixed(Stream, &size, 1);
  std::memset(ident, 0, sizeof ident);
  ReadFixed(Stream, ident, std::min<int>(size, 11));
  for (int skip = size - 11; skip > 0; --skip)
    ReadFixed(Stream, &size, 1);
  LoadData(Stream);
}

// The base class knows no data of its own; an extension it cannot tell from
// its identification cannot be read or written faithfully.
void TGIFApplicationExtension::SaveData(TStream*) {
  Error(sNoAppDataReader);
}
void TGIFApplicationExtension::LoadData(TStream*) {
  Error(sNoAppDataReader);
}

void TGIFBlock::SaveToStream(TStream* Stream) const {
  WriteByte(Stream, size);
  Stream->WriteBuffer(data.data(), size);
}

void TGIFBlock::LoadFromStream(TStream* Stream) {
  ReadFixed(Stream, data.data(), size);
}

TGIFExtensionClass TGIFUnknownAppExtension::Class() {
  return PlainClass<TGIFUnknownAppExtension>();
}
TGIFExtensionClass TGIFUnknownAppExtension::ClassInfo() const {
  return Class();
}

void TGIFUnknownAppExtension::SaveData(TStream* Stream) {
  for (const auto& block : blocks)
    block->SaveToStream(Stream);
  WriteByte(Stream, 0);
}

void TGIFUnknownAppExtension::LoadData(TStream* Stream) {
  blocks.clear();
  uint8_t size = 0;
  while (ReadByte(Stream, size) && size != 0) {
    auto block = std::make_unique<TGIFBlock>(size);
    block->LoadFromStream(Stream);
    blocks.push_back(std::move(block));
  }
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* AFrame) : TGIFApplicationExtension(AFrame) {
  std::memcpy(ident, "NETSCAPE2.0", 11);
}

TGIFExtensionClass TGIFAppExtNSLoop::Class() {
  return PlainClass<TGIFAppExtNSLoop>();
}
TGIFExtensionClass TGIFAppExtNSLoop::ClassInfo() const {
  return Class();
}

void TGIFAppExtNSLoop::SaveData(TStream* Stream) {
  WriteByte(Stream, 3);
  WriteByte(Stream, 1);
  WriteWord(Stream, LoopCount);
  if (BufferLength != 0) {
    WriteByte(Stream, 5);
    WriteByte(Stream, 2);
    WriteWord(Stream, static_cast<uint16_t>(BufferLength));
    WriteWord(Stream, static_cast<uint16_t>(BufferLength >> 16));
  }
  WriteByte(Stream, 0);
}

void TGIFAppExtNSLoop::LoadData(TStream* Stream) {
  uint8_t n = 0;
  ReadFixed(Stream, &n, 1);
  while (n != 0) {
    uint8_t b = 0;
    ReadFixed(Stream, &b, 1);
    int left = n - 1;
    if ((b & 7) == 1) {
      if (left < 2)
        Error(sInvalidData);
      uint8_t word[2];
      ReadFixed(Stream, word, 2);
      LoopCount = GetWord(word);
      left -= 2;
    } else if ((b & 7) == 2) {
      if (left < 4)
        Error(sInvalidData);
      uint8_t dword[4];
      ReadFixed(Stream, dword, 4);
      BufferLength = GetWord(dword) | (static_cast<uint32_t>(GetWord(dword + 2)) << 16);
      left -= 4;
    }
    for (; left > 0; --left)
      ReadFixed(Stream, &b, 1);
    ReadFixed(Stream, &n, 1);
  }
}

TGIFExtensionList::TGIFExtensionList(TGIFSubImage* AFrame)
    : TGIFList(AFrame->Image()), frame(AFrame) {}

void TGIFExtensionList::LoadFromStream(TStream* Stream, TGIFSubImage* Parent) {
  uint8_t b = 0;
  if (!ReadByte(Stream, b))
    return;
  while (b != ',' && b != ';') {
    if (b != '!') {
      Warning(gsWarning, sBadExtensionLabel);
      break;
    }
    TGIFExtensionClass found = TGIFExtension::FindExtension(Stream);
    if (found == nullptr) {
      // Other readers pass over what they do not know, and so does this one.
      Warning(gsInfo, sUnknownExtension);
      uint8_t label = 0;
      ReadByte(Stream, label);
      SkipSubBlocks(Stream);
      if (!ReadByte(Stream, b))
        return;
      continue;
    }
    StepBack(Stream);
    std::unique_ptr<TGIFExtension> extension(found->Create(Parent));
    extension->LoadFromStream(Stream);
    Add(extension.release());
    if (!ReadByte(Stream, b))
      return;
  }
  StepBack(Stream);
}

// ---------------------------------------------------------------------------
// Frames: descriptor and stream form

TGIFSubImage::TGIFSubImage(TGIFImage* AImage)
    : TGIFItem(AImage), colorMap(std::make_unique<TGIFLocalColorMap>(this)),
      extensions(std::make_unique<TGIFExtensionList>(this)) {}

TGIFSubImage::~TGIFSubImage() {
  // The extensions must not reach back into a frame half destroyed.
  extensions->Clear();
  if (mask != nullptr)
    DeleteObject(mask);
  if (palette != nullptr)
    DeleteObject(palette);
}

void TGIFSubImage::Clear() {
  extensions->Clear();
  colorMap->Clear();
  data.clear();
  bitmap.reset();
  FreeMask();
  width = 0;
  height = 0;
  transparent = false;
  gce = nullptr;
}

void TGIFSubImage::NewImage() {
  data.assign(static_cast<size_t>(width) * height, 0);
}

void TGIFSubImage::NeedImage() {
  if (!data.empty())
    return;
  if (width == 0 || height == 0)
    Error(sEmptyImage);
  NewImage();
}

bool TGIFSubImage::Empty() const {
  return data.empty() || width == 0 || height == 0;
}

TGIFVersion TGIFSubImage::GetVersion() const {
  if (colorMap->IsOptimized)
    return gv89a;
  for (int i = 0; i < extensions->GetCount(); ++i)
    if (extensions->Extensions(i)->GetVersion() == gv89a)
      return gv89a;
  return gv87a;
}

int TGIFSubImage::GetBounds(int Index) const {
  const int values[4] = {left, top, width, height};
  return values[Index - 1];
}

void TGIFSubImage::SetBounds(int Index, int Value) {
  int values[4] = {left, top, width, height};
  values[Index - 1] = Value;
  DoSetBounds(values[0], values[1], values[2], values[3]);
}

void TGIFSubImage::SetBoundsRect(const TRect& R) {
  DoSetBounds(R.Left, R.Top, R.Right - R.Left + 1, R.Bottom - R.Top + 1);
}

void TGIFSubImage::DoSetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool resized = AWidth != width || AHeight != height;
  left = static_cast<uint16_t>(ALeft);
  top = static_cast<uint16_t>(ATop);
  width = static_cast<uint16_t>(AWidth);
  height = static_cast<uint16_t>(AHeight);
  if (resized) {
    bitmap.reset();
    FreeMask();
    NewImage();
  }
  if (image == nullptr || (width <= image->Width() && height <= image->Height()))
    return;
  image->Header()->Width = std::max<uint16_t>(width, image->Header()->Width);
  image->Header()->Height = std::max<uint16_t>(height, image->Header()->Height);
  left = 0;
  top = 0;
  Warning(gsWarning, sScreenSizeExceeded);
}

void TGIFSubImage::SetInterlaced(bool Value) {
  Packed = static_cast<uint8_t>(Value ? Packed | 0x40 : Packed & ~0x40);
}

uint8_t TGIFSubImage::GetPixel(int X, int Y) const {
  if (X < 0 || X >= width || Y < 0 || Y >= height || data.empty())
    Error(sBadPixelCoordinates);
  return data[static_cast<size_t>(Y) * width + static_cast<size_t>(X)];
}

uint8_t* TGIFSubImage::GetScanline(int Y) {
  if (Y < 0 || Y >= height)
    Error(sBadPixelCoordinates);
  NeedImage();
  return data.data() + static_cast<size_t>(Y) * width;
}

TGIFColorMap* TGIFSubImage::ActiveColorMap() const {
  if (colorMap->Count() > 0 || image == nullptr || image->GlobalColorMap()->Count() == 0)
    return colorMap.get();
  return image->GlobalColorMap();
}

void TGIFSubImage::LoadFromStream(TStream* Stream) {
  Clear();
  extensions->LoadFromStream(Stream, this);
  uint8_t b = 0;
  if (!ReadByte(Stream, b))
    return;
  StepBack(Stream);
  if (b == ';' || b == 0)
    return;
  ReadDescriptor(Stream);
  if (Packed & 0x80)
    colorMap->LoadFromStream(Stream, DescriptorColors(Packed, sImageBadColorSize));
  Decompress(Stream);
  if (GIFImageRenderOnLoad)
    GetBitmap();
}

void TGIFSubImage::ReadDescriptor(TStream* Stream) {
  uint8_t descriptor[10];
  ReadFixed(Stream, descriptor, 10);
  left = GetWord(descriptor + 1);
  top = GetWord(descriptor + 3);
  width = GetWord(descriptor + 5);
  height = GetWord(descriptor + 7);
  Packed = descriptor[9];
  if (width != 0 && height != 0)
    return;
  width = static_cast<uint16_t>(image->Width());
  height = static_cast<uint16_t>(image->Height());
  Warning(gsWarning, sScreenSizeExceeded);
}

void TGIFSubImage::SaveToStream(TStream* Stream) {
  extensions->SaveToStream(Stream);
  if (Empty())
    return;
  if (colorMap->Count() > 0)
    Packed = static_cast<uint8_t>(0x80 | (colorMap->IsOptimized ? 0x20 : 0) |
                                  (ColorResolution() & 7) | (Packed & 0x40));
  else
    Packed &= 0x40 | 0x18;
  uint8_t descriptor[10] = {','};
  PutWord(descriptor + 1, left);
  PutWord(descriptor + 3, top);
  PutWord(descriptor + 5, width);
  PutWord(descriptor + 7, height);
  descriptor[9] = Packed;
  Stream->WriteBuffer(descriptor, 10);
  colorMap->SaveToStream(Stream);
  Compress(Stream);
}

// The extensions of a frame without an image read back as the next frame's,
// and a graphic control among them would then govern that frame: its delay,
// disposal and transparency would change what the next frame shows. Such a
// control governs no picture of its own, so it is left out; the other
// extensions (comments, looping) mean the same wherever they stand.
void TGIFSubImage::SaveBeforeFrame(TStream* Stream) {
  if (!Empty()) {
    SaveToStream(Stream);
    return;
  }
  for (int i = 0; i < extensions->GetCount(); ++i) {
    TGIFExtension* extension = extensions->Extensions(i);
    if (dynamic_cast<TGIFGraphicControlExtension*>(extension) != nullptr)
      Warning(gsWarning, sEmptyFrameControl);
    else
      extension->SaveToStream(Stream);
  }
}

void TGIFImageList::LoadFromStream(TStream* Stream, TGIFImage* Parent) {
  auto skipZeros = [Stream](uint8_t& b) {
    while (ReadByte(Stream, b))
      if (b != 0)
        return true;
    return false;
  };
  uint8_t b = 0;
  if (!skipZeros(b))
    return;
  while (b != ';') {
    StepBack(Stream);
    if (b != '!' && b != ',') {
      Warning(gsWarning, sBadBlock);
      break;
    }
    auto frame = std::make_unique<TGIFSubImage>(Parent);
    try {
      frame->LoadFromStream(Stream);
    } catch (const GIFException& e) {
      // A file cut after whole frames still holds them; only what was cut
      // is lost.
      if (GetCount() == 0 || std::strcmp(e.what(), sOutOfData) != 0)
        throw;
      Warning(gsWarning, sOutOfData);
      return;
    }
    Add(frame.release());
    const int64_t size = std::max<int64_t>(1, Stream->Size());
    Parent->Progress(Parent, psRunning, static_cast<uint8_t>(Stream->Position() * 100 / size),
                     GIFImageRenderOnLoad, TRect{}, sLoading);
    if (!skipZeros(b))
      return;
  }
  StepBack(Stream);
}
