#pragma once
// GIF pictures for the picture framework: a GIF file held as a tree of blocks
// that read and write themselves on a byte stream, with the LZW coding of
// the frames' pixels.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Stringlist.h"
#include "platform/rtl/Syncobjs.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TGIFImage;
class TGIFSubImage;
class TGIFHeader;

class GIFException : public EInvalidGraphic {
public:
  using EInvalidGraphic::EInvalidGraphic;
};

enum TGIFVersion { gvUnknown, gv87a, gv89a };
enum TGIFSeverity { gsInfo, gsWarning, gsError };
enum TDisposalMethod { dmNone, dmNoDisposal, dmBackground, dmPrevious };
enum TGIFCompression { gcLZW, gcRLE };

enum TColorReduction {
  rmNone,
  rmWindows20,
  rmWindows256,
  rmWindowsGray,
  rmMonochrome,
  rmGrayScale,
  rmNetscape,
  rmQuantize,
  rmQuantizeWindows,
  rmPalette
};
enum TDitherMode {
  dmNearest,
  dmFloydSteinberg,
  dmStucki,
  dmSierra,
  dmJaJuNI,
  dmSteveArche,
  dmBurkes
};

using TGIFWarning =
    std::function<void(TObject* Sender, TGIFSeverity Severity, const AnsiString& Message)>;

// The messages of the subsystem.
extern const char* const sOutOfData;
extern const char* const sBadSignature;
extern const char* const sBadVersion;
extern const char* const sBadBlock;
extern const char* const sBadExtensionLabel;
extern const char* const sUnknownExtension;
extern const char* const sBadExtensionInstance;
extern const char* const sBadBlockSize;
extern const char* const sInvalidData;
extern const char* const sScreenSizeExceeded;
extern const char* const sBadTrailer;
extern const char* const sTooManyColors;
extern const char* const sBadColorIndex;
extern const char* const sEmptyColorMap;
extern const char* const sEmptyImage;
extern const char* const sBadPixelCoordinates;
extern const char* const sDecodeTooFewBits;
extern const char* const sDecodeCircular;
extern const char* const sBadCodeSize;
extern const char* const sFrameTooLarge;
extern const char* const sEmptyFrameControl;
extern const char* const sInvalidColor;
extern const char* const sInvalidStream;
extern const char* const sNoAppDataReader;
extern const char* const sBadWidth;
extern const char* const sBadHeight;
extern const char* const sUnsupportedClass;

extern const char* const sScreenBadColorSize;
extern const char* const sImageBadColorSize;

extern const char* const sInvalidPixelFormat;
extern const char* const sBadDimension;
extern const char* const sNoDIB;
extern const char* const sOutOfMemDIB;
extern const char* const sDIBCreate;
extern const char* const sInvalidBitmapList;
extern const char* const sInvalidReduction;

extern const char* const sLoading;
extern const char* const sSaving;
extern const char* const sInvalidBitSize;
extern const char* const sNoColorTable;
extern const char* const sFailedPaste;

extern const char* const sOptimizing;

enum TGIFOptimizeOption { ooCrop, ooMerge, ooCleanup, ooColorMap, ooReduceColors };
using TGIFOptimizeOptions = TSet<TGIFOptimizeOption>;

enum TGIFDrawOption {
  goAsync,
  goTransparent,
  goAnimate,
  goLoop,
  goLoopContinously,
  goValidateCanvas,
  goDirectDraw,
  goClearOnLoop,
  goTile,
  goDither,
  goAutoDither
};
using TGIFDrawOptions = TSet<TGIFDrawOption>;

// Unit settings.
extern int GIFImageDefaultThreadPriority;
extern int GIFImageDefaultAnimationSpeed;
extern TGIFDrawOptions GIFImageDefaultDrawOptions;
extern TColorReduction GIFImageDefaultColorReduction;
extern int GIFImageDefaultColorReductionBits;
extern TDitherMode GIFImageDefaultDitherMode;
extern TGIFCompression GIFImageDefaultCompression;
extern bool GIFImageRenderOnLoad;
extern bool GIFImageOptimizeOnStream;
// True when the screen shows at most 8 bits per pixel; set at initialization.
extern bool PaletteDevice;
extern bool DoAutoDither;
// The clipboard format "GIF Image"; set at initialization.
extern WORD CF_GIF;

// Registers TGIFImage with the picture framework (once, however often
// called) and undoes it.
void GifimageInitialization();
void GifimageFinalization();
// For a design environment: new images then play an animation once.
void Register();

// ---------------------------------------------------------------------------
// Colour reduction

struct TGIFColor {
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
  bool operator==(const TGIFColor&) const = default;
};

// Device-independent access to the rows of a bitmap.
class TDIB : public TObject {
public:
  TDIB(TBitmap* ABitmap, TPixelFormat APixelFormat) : bitmap(ABitmap), pixelFormat(APixelFormat) {}
  TDIB(const TDIB&) = delete;
  TDIB& operator=(const TDIB&) = delete;
  virtual void* GetScanline(int Row) = 0;

protected:
  TBitmap* bitmap;
  TPixelFormat pixelFormat;
};

// The bitmap's own rows, once it is set to the pixel format.
class TDIBReader : public TDIB {
public:
  TDIBReader(TBitmap* ABitmap, TPixelFormat APixelFormat);
  void* GetScanline(int Row) override { return bitmap->ScanLine(Row); }
};

// Rows of 8 or 24 bits written into memory of its own, bottom-up and 32-bit
// aligned, with the palette's colours; UpdateBitmap hands them to the bitmap
// as a BMP file image.
class TDIBWriter : public TDIB {
public:
  TDIBWriter(TBitmap* ABitmap, TPixelFormat APixelFormat, int AWidth, int AHeight,
             HPALETTE APalette);
  void* GetScanline(int Row) override;
  // The bitmap takes the rows written; the writer holds no image afterwards.
  void UpdateBitmap();

private:
  int height;
  int stride;
  // The whole BMP file: its header, the bitmap information with a colour
  // table of 256 entries, then the rows.
  TMemoryStream image;
};

// The header (with its colour table) and pixel bytes a device-independent
// copy of Bitmap in PixelFormat takes.
void InternalGetDIBSizes(TBitmap* Bitmap, int& InfoHeaderSize, int& ImageSize,
                         TPixelFormat PixelFormat);
// Fills BitmapInfo (InfoHeaderSize bytes) and Bits (ImageSize bytes) with the
// bottom-up copy; false when the bitmap could not be read.
bool InternalGetDIB(TBitmap* Bitmap, HPALETTE Palette, BITMAPINFO* BitmapInfo, void* Bits,
                    TPixelFormat PixelFormat);

// Colour lookups: the index of a colour of their table and that colour.
class TColorLookup : public TObject {
public:
  explicit TColorLookup(int AColors) : colors(AColors) {}
  virtual int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G,
                     uint8_t& B) = 0;
  int Colors() const { return colors; }

protected:
  int colors;
};

// The nearest entry of a palette, remembered per 5-5-5 colour cell.
class TFastColorLookup : public TColorLookup {
public:
  explicit TFastColorLookup(HPALETTE Palette);
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;

private:
  std::vector<PALETTEENTRY> entries;
  std::vector<uint16_t> cells;
};

// The 6 x 6 x 6 cube of the web palette.
class TNetscapeColorLookup : public TColorLookup {
public:
  TNetscapeColorLookup() : TColorLookup(216) {}
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
};

class TGrayScaleLookup : public TColorLookup {
public:
  TGrayScaleLookup() : TColorLookup(256) {}
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
};

class TMonochromeLookup : public TColorLookup {
public:
  TMonochromeLookup() : TColorLookup(2) {}
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
};

// Walks rows in serpentine order; the plain engine answers the lookup's
// nearest colour.
class TDitherEngine : public TObject {
public:
  TDitherEngine(int AWidth, TColorLookup* ALookup) : lookup(ALookup), width(AWidth) {}
  virtual int Dither(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B);
  virtual void NextLine();
  // Passes over one pixel, leaving it as it is.
  void Skip() { column += direction; }
  int Direction() const { return direction; }
  int Column() const { return column; }

protected:
  TColorLookup* lookup;
  int width;
  int direction = 1;
  int column = 0;
};

// Per kernel row, per channel: the errors to come, width + 2 * half entries.
using TErrorRows = std::vector<std::array<std::vector<int32_t>, 3>>;

// Spreads each pixel's error over the pixels still to come; each kernel
// fills Distribute with its weights.
class TErrorDiffusionDitherer : public TDitherEngine {
public:
  int Dither(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override;
  void NextLine() override;

protected:
  // Rows kernel rows, reaching Half columns either side.
  TErrorDiffusionDitherer(int AWidth, TColorLookup* ALookup, int Rows, int Half, int ADivisor);
  // The current pixel's error, per channel, over the pixels to come with the
  // kernel's weights, mirrored when the row is walked backwards.
  virtual void Distribute(TErrorRows& Rows, const int (&Error)[3]) = 0;
  // The current column's place in the error rows.
  size_t At() const { return static_cast<size_t>(column + half); }

private:
  int divisor;
  int half;
  TErrorRows errors;
};

class TFloydSteinbergDitherer : public TErrorDiffusionDitherer {
public:
  TFloydSteinbergDitherer(int AWidth, TColorLookup* ALookup);

protected:
  void Distribute(TErrorRows& Rows, const int (&Error)[3]) override;
};
// Kernels of two weights ahead on the current row and two rows of five
// below.
class T5by3Ditherer : public TErrorDiffusionDitherer {
protected:
  T5by3Ditherer(int AWidth, TColorLookup* ALookup, int ADivisor);
  void Distribute(TErrorRows& Rows, const int (&Error)[3]) override = 0;
};
class TStuckiDitherer : public T5by3Ditherer {
public:
  TStuckiDitherer(int AWidth, TColorLookup* ALookup);

protected:
  void Distribute(TErrorRows& Rows, const int (&Error)[3]) override;
};
class TSierraDitherer : public T5by3Ditherer {
public:
  TSierraDitherer(int AWidth, TColorLookup* ALookup);

protected:
  void Distribute(TErrorRows& Rows, const int (&Error)[3]) override;
};
class TJaJuNiDitherer : public T5by3Ditherer {
public:
  TJaJuNiDitherer(int AWidth, TColorLookup* ALookup);

protected:
  void Distribute(TErrorRows& Rows, const int (&Error)[3]) override;
};
class TSteveArcheDitherer : public TErrorDiffusionDitherer {
public:
  TSteveArcheDitherer(int AWidth, TColorLookup* ALookup);

protected:
  void Distribute(TErrorRows& Rows, const int (&Error)[3]) override;
};
class TBurkesDitherer : public TErrorDiffusionDitherer {
public:
  TBurkesDitherer(int AWidth, TColorLookup* ALookup);

protected:
  void Distribute(TErrorRows& Rows, const int (&Error)[3]) override;
};

std::unique_ptr<TDitherEngine> CreateDitherEngine(TDitherMode Mode, int Width,
                                                  TColorLookup* Lookup);

// Octree quantization of the colours added to at most MaxColors.
class TColorQuantizer : public TObject {
public:
  TColorQuantizer(int AMaxColors, int AColorBits);
  ~TColorQuantizer() override;
  TColorQuantizer(const TColorQuantizer&) = delete;
  TColorQuantizer& operator=(const TColorQuantizer&) = delete;

  void AddColor(uint8_t Red, uint8_t Green, uint8_t Blue);
  // Every pixel of the bitmap, read as 24-bit.
  void AddBitmap(TBitmap* Bitmap);
  int ColorCount() const { return leafCount; }
  std::vector<TGIFColor> Colors() const;

private:
  struct TOctreeNode;
  void Reduce();

  TOctreeNode* root = nullptr;
  int leafCount = 0;
  std::vector<TOctreeNode*> reducible;
  int maxColors;
  int colorBits;
};

// The 216-colour web palette; the caller owns it.
HPALETTE WebPalette();
// A new 8-bit bitmap (24-bit for rmNone) of Bitmap's colours reduced.
std::unique_ptr<TBitmap> ReduceColors(TBitmap* Bitmap, TColorReduction ColorReduction,
                                      TDitherMode DitherMode, int ReductionBits, HPALETTE Palette);
HPALETTE CreateOptimizedPaletteFromManyBitmaps(const std::vector<TBitmap*>& Bitmaps, int Colors,
                                               int ColorBits, bool Windows);

// ---------------------------------------------------------------------------
// Items and lists

class TGIFItem : public TPersistent {
public:
  explicit TGIFItem(TGIFImage* AImage) : image(AImage) {}
  TGIFItem(const TGIFItem&) = delete;
  TGIFItem& operator=(const TGIFItem&) = delete;

  virtual TGIFVersion GetVersion() const { return gv87a; }
  virtual void Warning(TGIFSeverity Severity, const AnsiString& Message);
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual void LoadFromStream(TStream* Stream) = 0;
  void SaveToFile(const AnsiString& FileName);
  void LoadFromFile(const AnsiString& FileName);

  TGIFImage* Image() const { return image; }

protected:
  TGIFImage* image;
};

// A list that owns its items; Remove gives one up without freeing it.
class TGIFList : public TPersistent {
public:
  explicit TGIFList(TGIFImage* AImage) : image(AImage) {}
  ~TGIFList() override;
  TGIFList(const TGIFList&) = delete;
  TGIFList& operator=(const TGIFList&) = delete;

  virtual void Warning(TGIFSeverity Severity, const AnsiString& Message);
  virtual void SaveToStream(TStream* Stream);

  TGIFItem* GetItem(int Index) const { return items.at(static_cast<size_t>(Index)); }
  void SetItem(int Index, TGIFItem* Item) { items.at(static_cast<size_t>(Index)) = Item; }
  int GetCount() const { return static_cast<int>(items.size()); }
  int Add(TGIFItem* Item);
  void Clear();
  void Delete(int Index);
  void Exchange(int Index1, int Index2);
  TGIFItem* First() const { return GetItem(0); }
  TGIFItem* Last() const { return GetItem(GetCount() - 1); }
  int IndexOf(const TGIFItem* Item) const;
  void Insert(int Index, TGIFItem* Item);
  void Move(int CurIndex, int NewIndex);
  int Remove(const TGIFItem* Item);

  TGIFImage* Image() const { return image; }

protected:
  std::vector<TGIFItem*> items;
  TGIFImage* image;
};

// ---------------------------------------------------------------------------
// Colour maps

class TGIFColorMap : public TPersistent {
public:
  TGIFColorMap() = default;
  TGIFColorMap(const TGIFColorMap&) = delete;
  TGIFColorMap& operator=(const TGIFColorMap&) = delete;

  void Assign(const TPersistent* Source) override;
  virtual void Warning(TGIFSeverity Severity, const AnsiString& Message) = 0;
  virtual void Changed() {}

  int Count() const { return count; }
  int Capacity() const { return static_cast<int>(colors.size()); }
  void SetCapacity(int Size);
  bool IsOptimized = false;
  int GetBitsPerPixel() const;

  int Add(TColor Color);
  int AddUnique(TColor Color);
  int IndexOf(TColor Color) const;
  void Delete(int Index);
  void Clear();
  TColor GetColor(int Index);
  void SetColor(int Index, TColor Color);
  const TGIFColor& Data(int Index) const { return colors.at(static_cast<size_t>(Index)); }

  // Sorts the table by decreasing use, drops unused colours and rewrites the
  // pixels of the frames that use it; false when there was nothing to do.
  bool Optimize();
  // How many pixels use each colour; false when no frame uses the table.
  virtual bool BuildHistogram(std::vector<int>& Histogram) = 0;
  // Rewrites the pixels (and transparent indices) through Map.
  virtual void MapImages(const std::vector<int>& Map) = 0;

  void ImportPalette(HPALETTE Palette);
  void ImportColorMap(const TGIFColor* Colors, int Count);
  void ImportColorTable(const RGBQUAD* Colors, int Count);
  // The colour table of the palette bitmap selected into DeviceContext.
  void ImportDIBColors(HDC DeviceContext);
  HPALETTE ExportPalette() const;

  // Count colour triples; writing pads with black to 2^GetBitsPerPixel.
  void LoadFromStream(TStream* Stream, int Count);
  void SaveToStream(TStream* Stream) const;

private:
  std::vector<TGIFColor> colors;
  int count = 0;
};

class TGIFGlobalColorMap : public TGIFColorMap {
public:
  explicit TGIFGlobalColorMap(TGIFHeader* AHeader) : header(AHeader) {}
  void Warning(TGIFSeverity Severity, const AnsiString& Message) override;
  void Changed() override;
  bool BuildHistogram(std::vector<int>& Histogram) override;
  void MapImages(const std::vector<int>& Map) override;

private:
  TGIFHeader* header;
};

class TGIFLocalColorMap : public TGIFColorMap {
public:
  explicit TGIFLocalColorMap(TGIFSubImage* AFrame) : frame(AFrame) {}
  void Warning(TGIFSeverity Severity, const AnsiString& Message) override;
  void Changed() override;
  bool BuildHistogram(std::vector<int>& Histogram) override;
  void MapImages(const std::vector<int>& Map) override;

private:
  TGIFSubImage* frame;
};

// ---------------------------------------------------------------------------
// Header and trailer

class TGIFHeader : public TGIFItem {
public:
  explicit TGIFHeader(TGIFImage* AImage);
  TGIFVersion GetVersion() const override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  void Clear();

  uint16_t Width = 0;
  uint16_t Height = 0;
  uint8_t Packed = 0;
  uint8_t BackgroundColorIndex = 0;
  uint8_t AspectRatio = 0;
  TGIFGlobalColorMap* ColorMap() const { return colorMap.get(); }
  int BitsPerPixel() const { return colorMap->GetBitsPerPixel(); }
  int ColorResolution() const { return BitsPerPixel() - 1; }

private:
  std::unique_ptr<TGIFGlobalColorMap> colorMap;
};

class TGIFTrailer : public TGIFItem {
public:
  using TGIFItem::TGIFItem;
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
};

// ---------------------------------------------------------------------------
// Extensions

class TGIFExtension;
struct TGIFExtensionClassInfo;
// A class of extension, as the registries hand it out: its constructor and
// its look-ahead for a more specific class.
using TGIFExtensionClass = const TGIFExtensionClassInfo*;
struct TGIFExtensionClassInfo {
  TGIFExtension* (*Create)(TGIFSubImage* Frame);
  TGIFExtensionClass (*FindSubExtension)(TStream* Stream);
};

class TGIFExtension : public TGIFItem {
public:
  explicit TGIFExtension(TGIFSubImage* AFrame);
  ~TGIFExtension() override;

  TGIFVersion GetVersion() const override { return gv89a; }
  virtual uint8_t GetExtensionType() const = 0;
  virtual TGIFExtensionClass ClassInfo() const = 0;
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;

  TGIFSubImage* Frame() const { return frame; }

  static void RegisterExtension(uint8_t Label, TGIFExtensionClass ExtensionClass);
  // The class of the extension at the stream's position (the '!' already
  // read), or none; the position is kept.
  static TGIFExtensionClass FindExtension(TStream* Stream);
  static void FreeRegistry();

protected:
  // The bytes after the label.
  virtual void SaveBody(TStream* Stream) = 0;
  virtual void LoadBody(TStream* Stream) = 0;

  TGIFSubImage* frame;
};

class TGIFGraphicControlExtension : public TGIFExtension {
public:
  explicit TGIFGraphicControlExtension(TGIFSubImage* AFrame);
  ~TGIFGraphicControlExtension() override;
  uint8_t GetExtensionType() const override { return 0xF9; }
  TGIFExtensionClass ClassInfo() const override;
  static TGIFExtensionClass Class();

  bool Transparent() const { return (Packed & 0x01) != 0; }
  void SetTransparent(bool Value);
  bool UserInput() const { return (Packed & 0x02) != 0; }
  void SetUserInput(bool Value);
  // The file's three bits may hold 4 to 7, which no reader knows: they
  // read as leaving the frame in place.
  TDisposalMethod Disposal() const;
  void SetDisposal(TDisposalMethod Value);
  uint16_t Delay() const { return delay; }
  void SetDelay(uint16_t Value) { delay = Value; }
  uint8_t TransparentColorIndex() const { return transparentIndex; }
  void SetTransparentColorIndex(int Index);
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Color);

  uint8_t BlockSize = 4;
  uint8_t Packed = 0;
  uint8_t Terminator = 0;

protected:
  void SaveBody(TStream* Stream) override;
  void LoadBody(TStream* Stream) override;

private:
  uint16_t delay = 0;
  uint8_t transparentIndex = 0;
};

class TGIFTextExtension : public TGIFExtension {
public:
  explicit TGIFTextExtension(TGIFSubImage* AFrame);
  uint8_t GetExtensionType() const override { return 0x01; }
  TGIFExtensionClass ClassInfo() const override;
  static TGIFExtensionClass Class();

  int GetBounds(int Index) const;
  void SetBounds(int Index, int Value);
  int GetCharWidthHeight(int Index) const;
  void SetCharWidthHeight(int Index, int Value);
  int GetColorIndex(int Index) const;
  void SetColorIndex(int Index, int Value);
  TColor ForegroundColor() const;
  void SetForegroundColor(TColor Color);
  TColor BackgroundColor() const;
  void SetBackgroundColor(TColor Color);

  uint8_t BlockSize = 12;
  TStringList* Text() { return &text; }

protected:
  void SaveBody(TStream* Stream) override;
  void LoadBody(TStream* Stream) override;

private:
  uint16_t bounds[4] = {};
  uint8_t cell[2] = {};
  uint8_t colorIndex[2] = {};
  TStringList text;
};

class TGIFCommentExtension : public TGIFExtension {
public:
  using TGIFExtension::TGIFExtension;
  uint8_t GetExtensionType() const override { return 0xFE; }
  TGIFExtensionClass ClassInfo() const override;
  static TGIFExtensionClass Class();
  TStringList* Comment() { return &comment; }

protected:
  void SaveBody(TStream* Stream) override;
  void LoadBody(TStream* Stream) override;

private:
  TStringList comment;
};

class TGIFApplicationExtension : public TGIFExtension {
public:
  using TGIFExtension::TGIFExtension;
  uint8_t GetExtensionType() const override { return 0xFF; }
  TGIFExtensionClass ClassInfo() const override;
  static TGIFExtensionClass Class();

  AnsiString Identifier() const;
  void SetIdentifier(const AnsiString& Value);
  AnsiString Authentication() const;
  void SetAuthentication(const AnsiString& Value);

  // The 11 bytes of identifier and authentication.
  static void RegisterExtension(const AnsiString& Identification,
                                TGIFExtensionClass ExtensionClass);
  static TGIFExtensionClass FindSubExtension(TStream* Stream);
  static void FreeRegistry();

protected:
  void SaveBody(TStream* Stream) override;
  void LoadBody(TStream* Stream) override;
  virtual void SaveData(TStream* Stream);
  virtual void LoadData(TStream* Stream);

  uint8_t ident[11] = {};
};

class TGIFBlock : public TObject {
public:
  explicit TGIFBlock(uint8_t ASize) : size(ASize), data(ASize, 0) {}
  void SaveToStream(TStream* Stream) const;
  void LoadFromStream(TStream* Stream);
  uint8_t Size() const { return size; }
  uint8_t* Data() { return data.data(); }

private:
  uint8_t size;
  std::vector<uint8_t> data;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
  using TGIFApplicationExtension::TGIFApplicationExtension;
  TGIFExtensionClass ClassInfo() const override;
  static TGIFExtensionClass Class();
  const std::vector<std::unique_ptr<TGIFBlock>>& Blocks() const { return blocks; }

protected:
  void SaveData(TStream* Stream) override;
  void LoadData(TStream* Stream) override;

private:
  std::vector<std::unique_ptr<TGIFBlock>> blocks;
};

class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
  explicit TGIFAppExtNSLoop(TGIFSubImage* AFrame);
  TGIFExtensionClass ClassInfo() const override;
  static TGIFExtensionClass Class();

  uint16_t LoopCount = 0; // 0: for ever
  uint32_t BufferLength = 0;

protected:
  void SaveData(TStream* Stream) override;
  void LoadData(TStream* Stream) override;
};

class TGIFExtensionList : public TGIFList {
public:
  explicit TGIFExtensionList(TGIFSubImage* AFrame);
  TGIFExtension* Extensions(int Index) const { return static_cast<TGIFExtension*>(GetItem(Index)); }
  void LoadFromStream(TStream* Stream, TGIFSubImage* Parent);

private:
  TGIFSubImage* frame;
};

// ---------------------------------------------------------------------------
// Frames

class TGIFSubImage : public TGIFItem {
public:
  explicit TGIFSubImage(TGIFImage* AImage);
  ~TGIFSubImage() override;

  void Assign(const TPersistent* Source) override;
  TGIFVersion GetVersion() const override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  // As SaveToStream, for a frame that another follows in the file.
  void SaveBeforeFrame(TStream* Stream);

  void Clear();
  void NewImage();
  void NeedImage();
  void FreeImage() { data.clear(); }
  bool Empty() const;

  int Left() const { return left; }
  int Top() const { return top; }
  int Width() const { return width; }
  int Height() const { return height; }
  int GetBounds(int Index) const;
  void SetBounds(int Index, int Value);
  TRect BoundsRect() const { return TRect{left, top, left + width, top + height}; }
  void SetBoundsRect(const TRect& R);
  TRect ClientRect() const { return TRect{0, 0, width, height}; }
  bool Interlaced() const { return (Packed & 0x40) != 0; }
  void SetInterlaced(bool Value);

  uint8_t GetPixel(int X, int Y) const;
  uint8_t* GetScanline(int Y);
  uint8_t* Data() { return data.data(); }
  // One byte a pixel; a frame may hold more than a 32-bit int counts.
  size_t DataSize() const { return data.size(); }

  TGIFLocalColorMap* ColorMap() const { return colorMap.get(); }
  TGIFColorMap* ActiveColorMap() const;
  int BitsPerPixel() const { return colorMap->GetBitsPerPixel(); }
  int ColorResolution() const { return BitsPerPixel() - 1; }
  TGIFExtensionList* Extensions() const { return extensions.get(); }
  TGIFGraphicControlExtension* GraphicControlExtension() const { return gce; }
  void SetGraphicControlExtension(TGIFGraphicControlExtension* Value) { gce = Value; }
  bool Transparent() const { return transparent; }
  void SetTransparent(bool Value) { transparent = Value; }

  // The frame as an 8-bit bitmap (dithered to the web palette when the image
  // dithers), built on first use with its transparency mask.
  TBitmap* GetBitmap();
  bool HasBitmap() const { return bitmap != nullptr; }
  void SetHasBitmap(bool Value);
  void NewBitmap();
  void FreeBitmap() { bitmap.reset(); }
  void FreeMask();
  bool HasMask();
  HBITMAP Mask() const { return mask; }
  HPALETTE GetPalette();
  // Takes ownership of Value.
  void SetPalette(HPALETTE Value);

  // The frame's bounds scaled from the image's size to Rect.
  TRect ScaleRect(const TRect& Rect) const;
  void Draw(TCanvas* Canvas, const TRect& Rect, bool DrawTransparent, bool DrawTile);
  void StretchDraw(TCanvas* Canvas, const TRect& Rect, bool DrawTransparent, bool DrawTile);
  // Removes the transparent border of a transparent frame.
  void Crop();
  // Makes the pixels that repeat Previous transparent.
  void Merge(TGIFSubImage* Previous);

  // The pixels from and to the coded data of the stream.
  void Decompress(TStream* Stream);
  void Compress(TStream* Stream);

  uint8_t Packed = 0;

protected:
  void AssignTo(TPersistent* Dest) const override;

private:
  // Decodes the pixels into the rows, growing the buffer to each row met.
  void DecodeRows(TStream* Stream, int DataSize, uint8_t Fill);
  void DoSetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  void ReadDescriptor(TStream* Stream);
  std::unique_ptr<TBitmap> NewFrameBitmap() const;
  std::unique_ptr<TBitmap> DirectBitmap();
  std::unique_ptr<TBitmap> DitheredBitmap();
  // Mask rows for the frame scaled to Width x Height; none without a
  // transparent pixel.
  HBITMAP MakeMask(int AWidth, int AHeight) const;
  void AssignFrame(const TGIFSubImage* Source);
  void AssignBitmap(TBitmap* Source);
  void ReadPixelsFrom(TBitmap* Source);
  void TransparencyFromMask(const std::vector<bool>& Marked);
  void Rendering(TProgressStage Stage, int Percent);

  std::unique_ptr<TBitmap> bitmap;
  HBITMAP mask = nullptr;
  bool maskStale = true;
  HPALETTE palette = nullptr;
  std::vector<uint8_t> data;
  std::unique_ptr<TGIFLocalColorMap> colorMap;
  std::unique_ptr<TGIFExtensionList> extensions;
  uint16_t left = 0;
  uint16_t top = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  bool transparent = false;
  TGIFGraphicControlExtension* gce = nullptr;
};

class TGIFImageList : public TGIFList {
public:
  using TGIFList::TGIFList;
  TGIFSubImage* SubImages(int Index) const { return static_cast<TGIFSubImage*>(GetItem(Index)); }
  void LoadFromStream(TStream* Stream, TGIFImage* Parent);
};

// ---------------------------------------------------------------------------
// The animation painter

// Milliseconds per delay unit of the file, and the delays in units.
constexpr int GIFDelayExp = 12;
constexpr int GIFDefaultDelay = 10;
constexpr int GIFMinimumDelay = 3;
constexpr int GIFMaximumDelay = 1000;
// The most pixels one frame or the image's screen may hold (8192 x 8192).
constexpr uint64_t GIFMaximumFramePixels = uint64_t{1} << 26;

// Shows one image on one canvas rectangle: walks the frames by their delays,
// disposal and loop count. With goAsync it runs on a thread of its own and
// paints on the main thread; without, Execute runs on the caller's thread.
// Rect as far as it lies on Canvas's surface.
TRect VisiblePart(TCanvas* Canvas, const TRect& Rect);

class TGIFPainter : public TObject, public TThread {
public:
  TGIFPainter(TGIFPainter** APainterVariable, TGIFImage* AImage, TCanvas* ACanvas,
              const TRect& ARect, TGIFDrawOptions AOptions);
  ~TGIFPainter() override;

  void Start();
  void Stop();
  void Restart();
  // The painter loop; an asynchronous painter runs it on its thread.
  void Execute() override;

  int AnimationSpeed() const { return animationSpeed; }
  void SetAnimationSpeed(int Value);
  int ActiveImage() const { return activeImage; }
  void SetActiveImage(int Value);
  TGIFImage* Image() const { return image; }
  TCanvas* Canvas() const { return canvas; }
  TRect Rect() const { return rect; }
  TGIFDrawOptions DrawOptions() const { return drawOptions; }
  bool Painted() const { return painted; }
  bool Async() const { return drawOptions.Contains(goAsync); }
  // The image is going away: the painter must not reach it any more.
  void DetachImage() { image = nullptr; }
  int Priority = 3;

  TNotifyEvent OnBeginAnimation;
  TNotifyEvent OnBeforeFrame;
  TNotifyEvent OnAfterFrame;
  TNotifyEvent OnNextLoop;
  TNotifyEvent OnEndAnimation;

protected:
  void DoTerminate() override;

private:
  void DoSynchronize(const TThreadMethod& Method);
  void DoEvent(const TNotifyEvent& Event);
  void DoPaint();
  void DoPaintFrame();
  void ComposeFrame(TGIFSubImage* Frame);
  // The painted rectangle in the coordinates of the work bitmaps.
  TRect WholeInWork() const;
  void RestoreBackground(TCanvas* Target, TGIFSubImage* Frame);
  bool Wait(int& Delay);
  void Cleanup();
  bool Stopped() { return Terminated() || restart; }

  TGIFImage* image;
  TCanvas* canvas;
  TRect rect;
  // The part of rect on the canvas's surface, which the work bitmaps cover.
  TRect work;
  TGIFDrawOptions drawOptions;
  std::atomic<int> animationSpeed;
  std::atomic<int> activeImage{-1};
  TDisposalMethod disposal = dmNone;
  TDisposalMethod previousDisposal = dmNone;
  std::unique_ptr<TBitmap> composition;
  std::unique_ptr<TBitmap> previous;
  std::unique_ptr<TBitmap> background;
  TColor backgroundColor = clNone;
  std::atomic<bool> restart{false};
  std::atomic<bool> painted{false};
  TGIFPainter** painterVariable;
  HDC validDC = nullptr;
  std::unique_ptr<TEvent> wakeUp;
  bool cleanedUp = false;
};

// ---------------------------------------------------------------------------
// The picture

class TGIFImage : public TGraphic {
public:
  TGIFImage();
  ~TGIFImage() override;
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  void Assign(const TPersistent* Source) override;
  void Draw(TCanvas* Canvas, const TRect& Rect) override;
  bool Equals(const TGraphic* Other) const override { return Other == this; }
  bool GetEmpty() const override { return images->GetCount() == 0; }
  int GetWidth() const override { return header->Width; }
  int GetHeight() const override { return header->Height; }
  HPALETTE GetPalette() override;
  // Takes ownership of Value.
  void SetPalette(HPALETTE Value) override;
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // CF_GIF blocks and device-independent bitmaps (CF_DIB).
  void LoadFromClipboardFormat(WORD Format, uintptr_t Data, HPALETTE APalette) override;
  // Answers the picture as CF_DIB and puts the GIF stream on the clipboard as
  // CF_GIF beside it.
  void SaveToClipboardFormat(WORD& Format, uintptr_t& Data, HPALETTE& APalette) override;
  void WriteData(TStream* Stream) override;
  virtual void Warning(TObject* Sender, TGIFSeverity Severity, const AnsiString& Message);

  // Merges every colour table into one global table sorted by use.
  void OptimizeColorMap();
  // Shrinks the file: ColorReduction is only checked, DitherMode and
  // ReductionBits are not used.
  void Optimize(TGIFOptimizeOptions Options, TColorReduction AColorReduction,
                TDitherMode ADitherMode, int AReductionBits);

  void Clear();
  // Painters: Paint starts one on Canvas; the others act on every painter
  // (StopDraw on the one Draw started).
  void Paint(TCanvas* Canvas, const TRect& Rect, TGIFDrawOptions Options);
  void PaintStart();
  void PaintPause();
  void PaintResume();
  void PaintRestart();
  void PaintStop();
  void StopDraw();
  int PainterCount();
  TCriticalSection& PainterLock() { return painterLock; }
  void RemovePainter(TGIFPainter* Painter);
  int AnimationSpeed() const { return animationSpeed; }
  void SetAnimationSpeed(int Value);
  // A frame is taken as it is; any other graphic becomes a new frame.
  int Add(TPersistent* Source);
  void Pack();
  // The picture as one bitmap: the first frame on the background.
  TBitmap* Bitmap();
  TGIFVersion Version() const;
  int ColorResolution() const;
  int BitsPerPixel() const;
  bool IsTransparent() const;
  bool DoDither() const;
  TGIFHeader* Header() const { return header.get(); }
  TGIFImageList* Images() const { return images.get(); }
  TGIFGlobalColorMap* GlobalColorMap() const { return header->ColorMap(); }

  TGIFDrawOptions DrawOptions() const { return drawOptions; }
  void SetDrawOptions(TGIFDrawOptions Value);
  int ReductionBits() const { return reductionBits; }
  void SetReductionBits(int Value);

  TColorReduction ColorReduction = GIFImageDefaultColorReduction;
  TDitherMode DitherMode = GIFImageDefaultDitherMode;
  TGIFCompression Compression = GIFImageDefaultCompression;
  TColor DrawBackgroundColor = clNone;
  TGIFWarning WarningHandler;
  int ThreadPriority = GIFImageDefaultThreadPriority;
  TNotifyEvent OnBeginAnimation;
  TNotifyEvent OnBeforeFrame;
  TNotifyEvent OnAfterFrame;
  TNotifyEvent OnNextLoop;
  TNotifyEvent OnEndAnimation;

protected:
  void AssignTo(TPersistent* Dest) const override;

private:
  void FreeBitmap() { bitmap.reset(); }
  TGIFPainter* InternalPaint(TGIFPainter** Painter, TCanvas* Canvas, const TRect& Rect,
                             TGIFDrawOptions Options);
  // Serves the painters' calls to the main thread until Done answers true.
  void PumpUntil(const std::function<bool()>& Done);
  void DrawFrames(TCanvas* Canvas, const TRect& Rect);
  // The composite bitmap where it belongs in Rect.
  void ShowBitmap(TCanvas* Canvas, const TRect& Rect);
  // Whether the composite made for compositeRect can be shown in Rect.
  bool CompositeServes(const TRect& Rect) const;
  // Makes the composite for Rect on Canvas; where the painter paints Rect on it.
  TRect MakeComposite(TCanvas* Canvas, const TRect& Rect);

  bool drawing = false;
  bool paletteRequest = false;
  std::unique_ptr<TGIFImageList> images;
  std::unique_ptr<TGIFHeader> header;
  HPALETTE palette = nullptr;
  TGIFDrawOptions drawOptions = GIFImageDefaultDrawOptions;
  int reductionBits = GIFImageDefaultColorReductionBits;
  std::unique_ptr<TBitmap> bitmap;
  // The rectangle the composite was made for, and the part of it it holds.
  TRect compositeRect;
  TRect compositeArea;
  // The image's bits per pixel while a save runs, else 0.
  int savingBitsPerPixel = 0;
  TCriticalSection painterLock;
  std::vector<TGIFPainter*> painters;
  TGIFPainter* currentPainter = nullptr;
  int animationSpeed = GIFImageDefaultAnimationSpeed;
};
