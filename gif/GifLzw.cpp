// The variable-length-code LZW coding of a frame's pixels: the decoder, the
// hashed LZW encoder and the run-length encoder whose output any LZW decoder
// reads.
#include "gif/Gifimage.h"

#include <algorithm>
#include <array>

namespace {

constexpr int TableSize = 4096;
constexpr int StackSize = 8192;

bool ReadByte(TStream* Stream, uint8_t& Value) {
  return Stream->Read(&Value, 1) == 1;
}

// The rows of a frame in the order the coded data holds them: top to bottom,
// or the four passes of an interlaced frame.
class TRowOrder {
public:
  TRowOrder(int AHeight, bool AInterlaced) : height(AHeight), interlaced(AInterlaced) {}

  // The next row, or -1 when all rows were given.
  int Next() {
    if (!interlaced)
      return row < height ? row++ : -1;
    static constexpr int starts[4] = {0, 4, 2, 1};
    static constexpr int steps[4] = {8, 8, 4, 2};
    while (pass < 4) {
      if (started && row + steps[pass] < height) {
        row += steps[pass];
        return row;
      }
      if (!started && starts[pass] < height) {
        started = true;
        row = starts[pass];
        return row;
      }
      ++pass;
      started = false;
    }
    return -1;
  }

private:
  int height;
  bool interlaced;
  int row = 0;
  int pass = 0;
  bool started = false;
};

class TGIFDecoder {
public:
  TGIFDecoder(TGIFSubImage* AFrame, TStream* AStream, int ADataSize)
      : frame(AFrame), stream(AStream), dataSize(ADataSize), clearCode(1 << ADataSize),
        endCode(clearCode + 1) {
    Reset();
  }

  // The next pixel value; -1 when the data failed or ran out, -2 after the
  // end code.
  int NextValue() {
    if (sp > 0)
      return stack[--sp];
    const int result = PushNextString();
    return result < 0 ? result : stack[--sp];
  }

  // Up to Count next values into Out; how many, fewer only when the data
  // failed, ran out or ended. Data that stops right after a clear code, by
  // the end code or by a code no table holds, was cut there.
  int Fill(uint8_t* Out, int Count) {
    int n = 0;
    while (n < Count) {
      const int result = sp == 0 ? PushNextString() : 0;
      if (result == StoppedAfterClear)
        OutOfData();
      if (result < 0)
        break;
      const int take = std::min(sp, Count - n);
      for (int i = 0; i < take; ++i)
        Out[n++] = static_cast<uint8_t>(stack[--sp]);
    }
    return n;
  }

  // Skips what is left of the data up to its terminating empty sub-block.
  void SkipToTerminator() {
    if (zeroBlock)
      return;
    uint8_t size = 0;
    while (ReadByte(stream, size) && size != 0)
      stream->Seek(std::min<int64_t>(size, stream->Size() - stream->Position()), soCurrent);
    zeroBlock = true;
  }

private:
  static constexpr int StoppedAfterClear = -3;

  // Decodes the next code and pushes its string, last pixel first; 0, or
  // -1 when the data failed or ran out, -2 after the end code, -3 when the
  // code after a clear code gives no pixel.
  int PushNextString() {
    if (ended)
      return -2;
    int code = ReadCode(codeSize);
    if (code < 0)
      return code;
    if (code == clearCode) {
      Reset();
      do
        code = ReadCode(codeSize);
      while (code == clearCode);
      if (code < 0)
        return code;
      if (code == endCode)
        End();
      if (code >= endCode)
        return StoppedAfterClear;
      firstCode = oldCode = code;
      // With a clear code of 2 the first free entry already needs a wider
      // code, and the encoder widened right after this first code.
      if (nextCode >= codeLimit && codeLimit <= TableSize - 1)
        Widen();
      Push(code);
      return 0;
    }
    if (code == endCode)
      return End();
    const int inCode = code;
    if (code > nextCode)
      ZeroUpTo(code + 1);
    if (code >= nextCode) {
      Push(firstCode);
      code = oldCode;
    }
    for (int chain = 0; code >= clearCode; ++chain) {
      if (prefix[code] == code || chain >= TableSize)
        throw GIFException(sDecodeCircular);
      Push(suffix[code]);
      code = prefix[code];
    }
    firstCode = suffix[code];
    Push(firstCode);
    if (nextCode < TableSize) {
      prefix[nextCode] = oldCode;
      suffix[nextCode] = firstCode;
      ++nextCode;
      if (nextCode >= codeLimit && codeLimit <= TableSize - 1)
        Widen();
    }
    oldCode = inCode;
    return 0;
  }

  // The table reads as all zeros beyond the codes of the clear code's
  // strings, but only entries a code reaches are set: the defined ones below
  // the next free code, and those a code beyond it names (which then
  // becomes the old code). A frame of a few pixels must not pay for 32 KB.
  void Reset() {
    for (int i = 0; i < clearCode + 2; ++i) {
      prefix[i] = 0;
      suffix[i] = i < clearCode ? i : 0;
    }
    zeroedUpTo = clearCode + 2;
    codeSize = dataSize + 1;
    codeLimit = clearCode << 1;
    nextCode = clearCode + 2;
    sp = 0;
  }

  void ZeroUpTo(int End) {
    for (int i = std::max(zeroedUpTo, nextCode); i < End; ++i) {
      prefix[i] = 0;
      suffix[i] = 0;
    }
    zeroedUpTo = std::max(zeroedUpTo, End);
  }

  void Widen() {
    codeLimit <<= 1;
    ++codeSize;
  }

  int End() {
    SkipToTerminator();
    ended = true;
    return -2;
  }

  void Push(int Value) { stack[sp++] = Value; }

  int ReadCode(int n) {
    if (fresh) {
      fresh = false;
      return clearCode;
    }
    // A code that ends exactly with the data held is still whole: a file cut
    // right after it keeps its last pixels.
    while (curBit + n > lastBit) {
      if (done) {
        if (curBit >= lastBit)
          frame->Warning(gsWarning, sDecodeTooFewBits);
        return -1;
      }
      if (!LoadBlock())
        return -1;
    }
    const int at = curBit >> 3;
    const uint32_t bits = buffer[at] | (buffer[at + 1] << 8) | (buffer[at + 2] << 16);
    curBit += n;
    return static_cast<int>((bits >> ((curBit - n) & 7)) & ((1u << n) - 1));
  }

  // The next sub-block after the last two bytes held, so that a code may
  // straddle the two.
  bool LoadBlock() {
    buffer[0] = buffer[lastByte - 2];
    buffer[1] = buffer[lastByte - 1];
    uint8_t size = 0;
    if (!ReadByte(stream, size)) {
      OutOfData();
      return false;
    }
    if (size == 0) {
      zeroBlock = true;
      done = true;
    } else {
      if (stream->Size() - stream->Position() < size)
        OutOfData();
      size = static_cast<uint8_t>(stream->Read(buffer.data() + 2, size));
    }
    lastByte = size + 2;
    curBit = curBit - lastBit + 16;
    lastBit = (size + 2) * 8;
    return true;
  }

  // Once per frame: a block cut short is followed by the end of the stream.
  void OutOfData() {
    if (!cut)
      frame->Warning(gsWarning, sOutOfData);
    cut = true;
  }

  TGIFSubImage* frame;
  TStream* stream;
  int dataSize;
  int clearCode;
  int endCode;
  int codeSize = 0;
  int codeLimit = 0;
  int nextCode = 0;
  int zeroedUpTo = 0;
  std::array<int, TableSize> prefix;
  std::array<int, TableSize> suffix;
  std::array<int, StackSize> stack;
  int sp = 0;
  int firstCode = 0;
  int oldCode = 0;
  // Two bytes kept, a whole sub-block, and two more that a code reaching
  // past the data reads as zeros rather than beyond the buffer.
  std::array<uint8_t, 2 + 255 + 2> buffer{};
  int curBit = 0;
  int lastBit = 0;
  int lastByte = 2;
  bool fresh = true;
  bool zeroBlock = false;
  bool done = false;
  bool ended = false;
  bool cut = false;
};

// ---------------------------------------------------------------------------
// Encoding

// Turns what is written into data sub-blocks of at most 255 bytes.
class TGIFWriter : public TStream {
public:
  explicit TGIFWriter(TStream* ATarget) : target(ATarget) {}

  int Read(void*, int) override { throw Exception(sInvalidStream); }
  int64_t Seek(int64_t, TSeekOrigin) override { throw Exception(sInvalidStream); }
  int Write(const void* Buffer, int Count) override {
    const auto* bytes = static_cast<const uint8_t*>(Buffer);
    for (int i = 0; i < Count; ++i)
      Put(bytes[i]);
    return Count;
  }

  void Put(uint8_t Value) {
    block[next++] = Value;
    if (next == 256)
      Flush();
  }

  void Flush() {
    if (next == 1)
      return;
    block[0] = static_cast<uint8_t>(next - 1);
    target->WriteBuffer(block.data(), next);
    next = 1;
  }

private:
  TStream* target;
  std::array<uint8_t, 256> block{};
  int next = 1;
};

class TGIFEncoder : public TObject {
public:
  TGIFEncoder(TGIFSubImage* AFrame, TStream* AStream, int ADepth, int AColors)
      : frame(AFrame), writer(AStream), depth(ADepth), colors(AColors), initCodeSize(ADepth + 1),
        clearCode(1 << ADepth), endCode(clearCode + 1), firstFree(clearCode + 2),
        rows(AFrame->Height(), AFrame->Interlaced()) {
    codeSize = initCodeSize;
    maxCode = (1 << codeSize) - 1;
  }

  void Run() {
    if (frame->Width() >= 1 && frame->Height() >= 1 && frame->DataSize() > 0)
      Compress();
    TGIFEncoder::Output(endCode);
    if (bitCount > 0)
      SendByte(static_cast<uint8_t>(accumulator));
    writer.Flush();
  }

protected:
  virtual void Output(int Code) {
    accumulator |= static_cast<uint32_t>(Code) << bitCount;
    bitCount += codeSize;
    while (bitCount >= 8) {
      SendByte(static_cast<uint8_t>(accumulator));
      accumulator >>= 8;
      bitCount -= 8;
    }
  }
  virtual void Clear() = 0;
  virtual void Compress() = 0;

  // The next row in coding order, or null at the end.
  const uint8_t* NextRow() {
    const int row = rows.Next();
    if (row < 0)
      return nullptr;
    const uint8_t* line = frame->GetScanline(row);
    if (colors < 256 &&
        std::any_of(line, line + frame->Width(), [this](uint8_t Pixel) { return Pixel >= colors; }))
      throw GIFException(sInvalidColor);
    return line;
  }

  // The next pixel in coding order, or -1 at the end.
  int NextPixel() {
    if (rowLeft == 0) {
      pixels = NextRow();
      if (pixels == nullptr)
        return -1;
      rowLeft = frame->Width();
    }
    --rowLeft;
    return *pixels++;
  }

  TGIFSubImage* frame;
  TGIFWriter writer;
  int depth;
  int colors;
  int initCodeSize;
  int clearCode;
  int endCode;
  int firstFree;
  int codeSize = 0;
  int maxCode = 0;
  bool justCleared = false;

private:
  void SendByte(uint8_t Value) { writer.Put(Value); }

  uint32_t accumulator = 0;
  int bitCount = 0;
  TRowOrder rows;
  const uint8_t* pixels = nullptr;
  int rowLeft = 0;
};

// Keys of (prefix, pixel) to codes; open addressing with linear probing
// over a power of two of slots, at most half of them used before the
// encoder clears. A pixel found in the table is the common case on pictures
// that compress well (screenshots, recordings): one multiply, one load, one
// compare, and the next slot, when needed, is the next word in memory.
class THashTable : public TObject {
public:
  THashTable() { Clear(); }
  void Clear() { slots.fill(Empty); }

  // The code of Key, or -1 with the slot where it would go remembered for
  // Insert.
  int Lookup(uint32_t Key) {
    uint32_t h = Hash(Key);
    for (uint32_t slot = slots[h]; slot != Empty; slot = slots[h]) {
      if ((slot >> 12) == Key)
        return static_cast<int>(slot & 0xFFF);
      h = (h + 1) & (Slots - 1);
    }
    free = h;
    return -1;
  }

  // Key at the slot its failed lookup gave.
  void Insert(uint32_t Key, int Code) { slots[free] = (Key << 12) | static_cast<uint32_t>(Code); }

private:
  static constexpr uint32_t Slots = 8192;
  static constexpr uint32_t Empty = 0xFFFFFFFF;

  static uint32_t Hash(uint32_t Key) { return (Key * 0x9E3779B1u) >> 19; }

  std::array<uint32_t, Slots> slots{};
  uint32_t free = 0;
};

class TLZWEncoder final : public TGIFEncoder {
public:
  using TGIFEncoder::TGIFEncoder;

protected:
  void Output(int Code) override {
    TGIFEncoder::Output(Code);
    if (justCleared) {
      justCleared = false;
      codeSize = initCodeSize;
      maxCode = (1 << codeSize) - 1;
    } else if (nextCode > maxCode) {
      ++codeSize;
      maxCode = codeSize == 12 ? 4096 : (1 << codeSize) - 1;
    }
  }

  void Clear() override {
    justCleared = true;
    Output(clearCode);
    table.Clear();
    nextCode = firstFree;
  }

  void Compress() override {
    Clear();
    const int width = frame->Width();
    const uint8_t* row = NextRow();
    int prefix = row[0];
    for (int x = 1; row != nullptr; row = NextRow(), x = 0)
      for (; x < width; ++x) {
        const int pixel = row[x];
        const uint32_t key = (static_cast<uint32_t>(prefix) << 8) | static_cast<uint32_t>(pixel);
        const int code = table.Lookup(key);
        if (code >= 0) {
          prefix = code;
          continue;
        }
        Output(prefix);
        prefix = pixel;
        if (nextCode >= 4095) {
          Clear();
        } else {
          table.Insert(key, nextCode);
          ++nextCode;
        }
      }
    Output(prefix);
  }

private:
  int nextCode = 0;
  THashTable table;
};

// Sends literal pixels and codes for runs of one pixel that the decoder's own
// table growth defines, never a string the decoder cannot have built.
class TRLEEncoder final : public TGIFEncoder {
public:
  TRLEEncoder(TGIFSubImage* AFrame, TStream* AStream, int ADepth, int AColors)
      : TGIFEncoder(AFrame, AStream, ADepth, AColors), budget(4095 - firstFree),
        bumpInit(clearCode - 1), clearInit(ADepth <= 3 ? 9 : clearCode - 2) {}

protected:
  void Clear() override {
    justCleared = true;
    TGIFEncoder::Output(clearCode);
    codeSize = initCodeSize;
    bumpPoint = bumpInit;
    clearPoint = clearInit;
    sent = 0;
    maxRun = 0;
  }

  void Compress() override {
    Clear();
    int count = 0;
    for (int pixel = NextPixel(); pixel >= 0; pixel = NextPixel()) {
      if (count > 0 && pixel == runPixel) {
        ++count;
        continue;
      }
      if (count > 0)
        FlushRun(count);
      runPixel = pixel;
      count = 1;
    }
    if (count > 0)
      FlushRun(count);
  }

private:
  void Send(int Code) {
    justCleared = false;
    TGIFEncoder::Output(Code);
    ++sent;
    if (sent == bumpPoint) {
      ++codeSize;
      bumpPoint += 1 << (codeSize - 1);
    }
    if (sent >= clearPoint)
      Clear();
  }

  void ResetClearPoint() {
    clearPoint = clearInit;
    if (sent >= clearPoint)
      Clear();
  }

  void FlushRun(int n) {
    if (n == 1) {
      Send(runPixel);
    } else if (justCleared) {
      FlushFromClear(n);
    } else if (maxRun >= 2 && tablePixel == runPixel) {
      FlushWithTable(n);
    } else if (n > 1 + Triangle(n, budget)) {
      Clear();
      FlushFromClear(n);
    } else {
      for (int i = 0; i < n; ++i)
        Send(runPixel);
    }
  }

  void FlushFromClear(int n) {
    clearPoint = budget;
    tablePixel = runPixel;
    int k = 1;
    while (n > 0) {
      if (k == 1) {
        Send(runPixel);
        maxRun = 1;
        n -= 1;
      } else if (n >= k) {
        Send(firstFree + k - 2);
        maxRun = k;
        n -= k;
      } else {
        Send(n == 1 ? runPixel : firstFree + n - 2);
        ++maxRun;
        n = 0;
      }
      k = sent == 0 ? 1 : k + 1;
    }
    ResetClearPoint();
  }

  void FlushWithTable(int n) {
    const int m = maxRun;
    int q = n / m;
    int r = n % m;
    int rest = r > 0 ? 1 : 0;
    if (sent + q + rest > budget) {
      q = budget - sent;
      r = n - q * m;
      rest = Triangle(r, budget + 1);
    }
    if (Triangle(n, budget + 1) < q + rest) {
      Clear();
      FlushFromClear(n);
      return;
    }
    clearPoint = budget;
    for (int i = 0; i < q; ++i)
      Send(firstFree + m - 2);
    if (r > 0 && justCleared)
      FlushFromClear(r);
    else if (r == 1)
      Send(runPixel);
    else if (r > 1)
      Send(firstFree + r - 2);
    ResetClearPoint();
  }

  // The codes needed for a run of n pixels when the table may grow through
  // b codes between clears.
  static int Triangle(int n, int b) {
    const int t = b * (b + 1) / 2;
    int cost = (n / t) * b;
    const int r = n % t;
    if (r == 0)
      return cost;
    int k = IntSqrt(2 * r);
    while (k * (k + 1) < 2 * r)
      ++k;
    while (k > 1 && (k - 1) * k >= 2 * r)
      --k;
    return cost + k;
  }

  static int IntSqrt(int x) {
    if (x < 2)
      return x;
    int r = x;
    int next = (r + x / r) / 2;
    while (next < r) {
      r = next;
      next = (r + x / r) / 2;
    }
    return r;
  }

  int budget;
  int bumpInit;
  int clearInit;
  int bumpPoint = 0;
  int clearPoint = 0;
  int sent = 0;
  int maxRun = 0;
  int tablePixel = -1;
  int runPixel = -1;
};

// The bytes of coded data in the sub-blocks after the code size byte, the
// stream's position kept.
int64_t CodedBytes(TStream* Stream) {
  const int64_t start = Stream->Position();
  int64_t bytes = 0;
  uint8_t size = 0;
  if (ReadByte(Stream, size))
    while (ReadByte(Stream, size) && size != 0) {
      const int64_t held = std::min<int64_t>(size, Stream->Size() - Stream->Position());
      bytes += held;
      Stream->Seek(held, soCurrent);
    }
  Stream->SetPosition(start);
  return bytes;
}

// The most pixels Bytes of coded data can give: every code takes at least
// two bits, and the k-th code gives at most k pixels and never more than a
// full table's string.
uint64_t MostPixelsIn(int64_t Bytes) {
  const uint64_t codes = static_cast<uint64_t>(Bytes) * 4;
  return std::min(codes * (codes + 1) / 2, codes * TableSize);
}

// Frames this small are kept whole whatever their data holds: the rows their
// data does not reach show the fill, as a frame cut short should.
constexpr uint64_t MinimumWholePixels = uint64_t{1} << 16;

} // namespace

void TGIFSubImage::Decompress(TStream* Stream) {
  const uint64_t pixels = uint64_t{width} * height;
  if (pixels > GIFMaximumFramePixels)
    throw GIFException(sFrameTooLarge);
  // A descriptor of a few bytes may claim millions of pixels. A frame whose
  // data cannot give all of them is allocated row by row as the data fills
  // it, and keeps only the rows it reached.
  const bool whole = pixels <= std::max(MostPixelsIn(CodedBytes(Stream)), MinimumWholePixels);
  const uint8_t fill = transparent && gce != nullptr ? gce->TransparentColorIndex() : 0;
  data.assign(whole ? static_cast<size_t>(pixels) : 0, fill);
  uint8_t dataSize = 0;
  if (ReadByte(Stream, dataSize))
    DecodeRows(Stream, dataSize, fill);
  if (whole)
    return;
  // At least the first row, so that the frame stays a frame.
  if (data.size() < width)
    data.resize(width, fill);
  height = static_cast<uint16_t>(data.size() / width);
}

void TGIFSubImage::DecodeRows(TStream* Stream, int DataSize, uint8_t Fill) {
  if (DataSize > 11)
    throw GIFException(sBadCodeSize);
  TGIFDecoder decoder(this, Stream, DataSize);
  TRowOrder rows(height, Interlaced());
  bool filling = true;
  for (int row = rows.Next(); filling && row >= 0; row = rows.Next()) {
    const size_t start = static_cast<size_t>(row) * width;
    if (start + width > data.size())
      data.resize(start + width, Fill);
    filling = decoder.Fill(data.data() + start, width) == width;
  }
  // The end code and anything an encoder put after it, up to the terminator.
  decoder.NextValue();
  decoder.SkipToTerminator();
}

void TGIFSubImage::Compress(TStream* Stream) {
  int depth = 0;
  int colors = 0;
  if (colorMap->Count() > 0) {
    depth = colorMap->GetBitsPerPixel();
    colors = colorMap->Count();
  } else {
    depth = image != nullptr ? image->BitsPerPixel() : 8;
    colors = 1 << depth;
  }
  depth = std::max(depth, 2);
  const uint8_t codeSize = static_cast<uint8_t>(depth);
  Stream->WriteBuffer(&codeSize, 1);
  std::unique_ptr<TGIFEncoder> encoder;
  if (image != nullptr && image->Compression == gcRLE)
    encoder = std::make_unique<TRLEEncoder>(this, Stream, depth, colors);
  else
    encoder = std::make_unique<TLZWEncoder>(this, Stream, depth, colors);
  encoder->Run();
  const uint8_t terminator = 0;
  Stream->WriteBuffer(&terminator, 1);
}
