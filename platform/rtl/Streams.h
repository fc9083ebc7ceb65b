#pragma once
// The class library's byte streams: one interface over memory blocks and
// files, used for stored layouts, pictures and waves. Positions and sizes are
// 64-bit; a single transfer is at most an int's worth of bytes.
#include "platform/rtl/System.h"
#include "platform/rtl/Sysutils.h"

#include <cstdint>
#include <vector>

class EStreamError : public Exception {
public:
  using Exception::Exception;
};
class EReadError : public EStreamError {
public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
  using EStreamError::EStreamError;
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
  // Transfer up to Count bytes; the result is what was moved (0 at the end).
  virtual int Read(void* Buffer, int Count) = 0;
  virtual int Write(const void* Buffer, int Count) = 0;
  // The new position; a position before the start raises EStreamError.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  // Exactly Count bytes or EReadError / EWriteError.
  void ReadBuffer(void* Buffer, int Count);
  void WriteBuffer(const void* Buffer, int Count);

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Value) { Seek(Value, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);

  // Copies Count bytes from Source's position; Count 0 copies all of Source
  // from its start. Returns the bytes copied.
  int64_t CopyFrom(TStream* Source, int64_t Count);
};

// A stream over a block of memory it owns; the block grows as it is written.
class TMemoryStream : public TStream {
public:
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(data.size()); }
  void SetSize(int64_t NewSize) override;

  uint8_t* Memory() { return data.data(); }
  const uint8_t* Memory() const { return data.data(); }
  void Clear();
  // Replace the contents with the whole of Stream (from its start) or a file;
  // the position is 0 afterwards.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const AnsiString& FileName);
  void SaveToStream(TStream* Stream);
  void SaveToFile(const AnsiString& FileName);

private:
  std::vector<uint8_t> data;
  int64_t position = 0;
};

enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,
};

// A file opened for the stream's lifetime. fmCreate makes or empties the file
// (EFCreateError otherwise); the open modes need an existing file that is not
// a folder (EFOpenError). The share flags have no meaning here and are ignored.
//
// Readers ask for the position and the size per block, so both are kept here
// and cost no call to the system; transfers go through one buffer, which a
// seek inside it keeps. Writes wait in the buffer until the stream moves away
// from it, is resized, flushed or destroyed. The size is the file's as it was
// opened and as this stream changed it: another writer's growth meanwhile is
// not followed.
class TFileStream : public TStream {
public:
  TFileStream(const AnsiString& FileName, uint16_t Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override;
  void SetSize(int64_t NewSize) override;
  // Hands the waiting writes to the file; EWriteError when it refuses them
  // (a full disk), which the destructor could only keep quiet about.
  void FlushBuffer();

private:
  bool InBuffer() const;
  bool CanWriteInBuffer() const;
  // Reads the buffer's worth at the position; false at the end of the file.
  bool FillBuffer();
  // Transfers at a file offset, past the buffer: what was moved.
  int ReadDirect(uint8_t* Buffer, size_t Count, int64_t At);
  int WriteDirect(const uint8_t* Buffer, size_t Count, int64_t At);

  int handle = -1;
  bool readable = false;
  bool writable = false;
  int64_t position = 0;
  int64_t fileSize = 0;
  std::vector<uint8_t> buffer;
  int64_t bufferStart = 0; // the file offset of buffer[0]
  size_t bufferLength = 0; // the bytes of buffer that hold the file
  size_t dirtyFrom = 0;    // buffer[dirtyFrom, dirtyTo) is not written yet
  size_t dirtyTo = 0;
};
