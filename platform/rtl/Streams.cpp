#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void TStream::ReadBuffer(void* Buffer, int Count) {
  if (Count != 0 && Read(Buffer, Count) != Count)
    throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int Count) {
  if (Count != 0 && Write(Buffer, Count) != Count)
    throw EWriteError("Stream write error");
}

int64_t TStream::Size() {
  const int64_t here = Seek(0, soCurrent);
  const int64_t end = Seek(0, soEnd);
  Seek(here, soBeginning);
  return end;
}

void TStream::SetSize(int64_t) {
  throw EStreamError("Stream size cannot be changed");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(Count, 65536)));
  int64_t left = Count;
  while (left > 0) {
    const int n = static_cast<int>(std::min<int64_t>(left, static_cast<int64_t>(buffer.size())));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return Count;
}

int TMemoryStream::Read(void* Buffer, int Count) {
  if (Count <= 0 || position >= Size())
    return 0;
  const int n = static_cast<int>(std::min<int64_t>(Count, Size() - position));
  std::memcpy(Buffer, data.data() + position, static_cast<size_t>(n));
  position += n;
  return n;
}

int TMemoryStream::Write(const void* Buffer, int Count) {
  if (Count <= 0)
    return 0;
  const int64_t end = position + Count;
  if (end > Size())
    data.resize(static_cast<size_t>(end));
  std::memcpy(data.data() + position, Buffer, static_cast<size_t>(Count));
  position = end;
  return Count;
}

static int64_t SeekTarget(int64_t Offset, TSeekOrigin Origin, int64_t current, int64_t size) {
  const int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? current : size;
  const int64_t target = base + Offset;
  if (target < 0)
    throw EStreamError("Seek before the start of the stream");
  return target;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  position = SeekTarget(Offset, Origin, position, Size());
  return position;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  data.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
  position = std::min(position, Size());
}

void TMemoryStream::Clear() {
  data.clear();
  data.shrink_to_fit();
  position = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  const int64_t n = Stream->Size();
  std::vector<uint8_t> bytes(static_cast<size_t>(n));
  int64_t done = 0;
  while (done < n) {
    const int chunk = static_cast<int>(std::min<int64_t>(n - done, 1 << 30));
    Stream->ReadBuffer(bytes.data() + done, chunk);
    done += chunk;
  }
  data = std::move(bytes);
  position = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

void TMemoryStream::SaveToStream(TStream* Stream) {
  int64_t done = 0;
  while (done < Size()) {
    const int chunk = static_cast<int>(std::min<int64_t>(Size() - done, 1 << 30));
    Stream->WriteBuffer(data.data() + done, chunk);
    done += chunk;
  }
}

void TMemoryStream::SaveToFile(const AnsiString& FileName) {
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
  file.FlushBuffer();
}

namespace {

// Large enough that a picture's blocks come from a handful of reads, small
// enough to keep per open file.
constexpr size_t kFileBufferSize = 64 * 1024;

int OpenFlags(uint16_t Mode) {
  if (Mode == fmCreate)
    return O_RDWR | O_CREAT | O_TRUNC;
  switch (Mode & 0x3) {
  case fmOpenWrite:
    return O_WRONLY;
  case fmOpenReadWrite:
    return O_RDWR;
  default:
    return O_RDONLY;
  }
}

} // namespace

TFileStream::TFileStream(const AnsiString& FileName, uint16_t Mode) {
  const int flags = OpenFlags(Mode);
  handle = open(FileName.c_str(), flags | O_CLOEXEC, 0666);
  struct stat status {};
  const bool opened = handle >= 0 && fstat(handle, &status) == 0 && !S_ISDIR(status.st_mode);
  if (!opened) {
    if (handle >= 0)
      close(handle);
    if (Mode == fmCreate)
      throw EFCreateError("Cannot create file " + FileName);
    throw EFOpenError("Cannot open file " + FileName);
  }
  readable = (flags & O_ACCMODE) != O_WRONLY;
  writable = (flags & O_ACCMODE) != O_RDONLY;
  fileSize = status.st_size;
  buffer.resize(kFileBufferSize);
}

TFileStream::~TFileStream() {
  try {
    FlushBuffer();
  } catch (const EWriteError&) {
    // A saver that cares about a full disk flushes before it lets go.
  }
  close(handle);
}

bool TFileStream::InBuffer() const {
  return position >= bufferStart && position < bufferStart + static_cast<int64_t>(bufferLength);
}

// Writes extend what the buffer holds only without a gap, so that every byte
// it holds is the file's or a newer one.
bool TFileStream::CanWriteInBuffer() const {
  return position >= bufferStart && position <= bufferStart + static_cast<int64_t>(bufferLength) &&
         position < bufferStart + static_cast<int64_t>(buffer.size());
}

int TFileStream::ReadDirect(uint8_t* Buffer, size_t Count, int64_t At) {
  for (;;) {
    const ssize_t n = pread(handle, Buffer, Count, At);
    if (n >= 0 || errno != EINTR)
      return static_cast<int>(std::max<ssize_t>(n, 0));
  }
}

int TFileStream::WriteDirect(const uint8_t* Buffer, size_t Count, int64_t At) {
  size_t done = 0;
  while (done < Count) {
    const ssize_t n = pwrite(handle, Buffer + done, Count - done, At + static_cast<int64_t>(done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int>(done);
}

bool TFileStream::FillBuffer() {
  FlushBuffer();
  bufferStart = position;
  bufferLength = static_cast<size_t>(ReadDirect(buffer.data(), buffer.size(), position));
  return bufferLength > 0;
}

void TFileStream::FlushBuffer() {
  if (dirtyFrom >= dirtyTo)
    return;
  const size_t from = dirtyFrom;
  const size_t count = dirtyTo - dirtyFrom;
  dirtyFrom = dirtyTo = 0;
  const int written =
      WriteDirect(buffer.data() + from, count, bufferStart + static_cast<int64_t>(from));
  if (static_cast<size_t>(written) != count)
    throw EWriteError("Stream write error");
}

int TFileStream::Read(void* Buffer, int Count) {
  if (!readable || Count <= 0)
    return 0;
  auto* out = static_cast<uint8_t*>(Buffer);
  size_t left = static_cast<size_t>(Count);
  while (left > 0) {
    if (InBuffer()) {
      const size_t offset = static_cast<size_t>(position - bufferStart);
      const size_t n = std::min(left, bufferLength - offset);
      std::memcpy(out, buffer.data() + offset, n);
      out += n;
      left -= n;
      position += static_cast<int64_t>(n);
      continue;
    }
    if (left < buffer.size()) {
      if (!FillBuffer())
        break;
      continue;
    }
    // A large read skips the buffer; waiting writes it might cover go first.
    FlushBuffer();
    const int n = ReadDirect(out, left, position);
    if (n == 0)
      break;
    out += n;
    left -= static_cast<size_t>(n);
    position += n;
  }
  return Count - static_cast<int>(left);
}

int TFileStream::Write(const void* Buffer, int Count) {
  if (!writable || Count <= 0)
    return 0;
  const auto* in = static_cast<const uint8_t*>(Buffer);
  size_t left = static_cast<size_t>(Count);
  while (left > 0) {
    if (CanWriteInBuffer()) {
      const size_t offset = static_cast<size_t>(position - bufferStart);
      const size_t n = std::min(left, buffer.size() - offset);
      std::memcpy(buffer.data() + offset, in, n);
      dirtyFrom = dirtyFrom < dirtyTo ? std::min(dirtyFrom, offset) : offset;
      dirtyTo = std::max(dirtyTo, offset + n);
      bufferLength = std::max(bufferLength, offset + n);
      in += n;
      left -= n;
      position += static_cast<int64_t>(n);
      fileSize = std::max(fileSize, position);
      continue;
    }
    FlushBuffer();
    if (left < buffer.size()) {
      bufferStart = position;
      bufferLength = 0;
      continue;
    }
    // A large write skips the buffer, which then no longer holds the file.
    bufferLength = 0;
    const size_t n = static_cast<size_t>(WriteDirect(in, left, position));
    position += static_cast<int64_t>(n);
    fileSize = std::max(fileSize, position);
    const bool refused = n < left;
    in += n;
    left -= n;
    if (refused)
      break;
  }
  return Count - static_cast<int>(left);
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  position = SeekTarget(Offset, Origin, position, Origin == soEnd ? Size() : 0);
  return position;
}

int64_t TFileStream::Size() {
  return fileSize;
}

void TFileStream::SetSize(int64_t NewSize) {
  if (!writable)
    throw EStreamError("Stream size cannot be changed");
  FlushBuffer();
  if (ftruncate(handle, NewSize) != 0)
    throw EStreamError("Stream size cannot be changed");
  fileSize = NewSize;
  if (bufferStart + static_cast<int64_t>(bufferLength) > NewSize)
    bufferLength = static_cast<size_t>(std::max<int64_t>(NewSize - bufferStart, 0));
  position = std::min(position, NewSize);
}
