#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cstring>
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
}

TFileStream::TFileStream(const AnsiString& FileName, uint16_t Mode) {
  if (Mode == fmCreate) {
    file = std::fopen(FileName.c_str(), "w+b");
    if (file == nullptr)
      throw EFCreateError("Cannot create file " + FileName);
    readable = writable = true;
    return;
  }
  const unsigned access = Mode & 0x3;
  file = std::fopen(FileName.c_str(), access == fmOpenRead ? "rb" : "r+b");
  if (file == nullptr)
    throw EFOpenError("Cannot open file " + FileName);
  readable = access != fmOpenWrite;
  writable = access != fmOpenRead;
}

TFileStream::~TFileStream() {
  if (file != nullptr)
    std::fclose(file);
}

int TFileStream::Read(void* Buffer, int Count) {
  if (!readable || Count <= 0)
    return 0;
  return static_cast<int>(std::fread(Buffer, 1, static_cast<size_t>(Count), file));
}

int TFileStream::Write(const void* Buffer, int Count) {
  if (!writable || Count <= 0)
    return 0;
  return static_cast<int>(std::fwrite(Buffer, 1, static_cast<size_t>(Count), file));
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  std::fflush(file);
  const int64_t current = ftello(file);
  fseeko(file, 0, SEEK_END);
  const int64_t size = ftello(file);
  const int64_t target = SeekTarget(Offset, Origin, current, size);
  fseeko(file, target, SEEK_SET);
  return target;
}

void TFileStream::SetSize(int64_t NewSize) {
  if (!writable)
    throw EStreamError("Stream size cannot be changed");
  std::fflush(file);
  const int64_t here = std::min(Position(), NewSize);
  if (ftruncate(fileno(file), NewSize) != 0)
    throw EStreamError("Stream size cannot be changed");
  fseeko(file, here, SEEK_SET);
}
