#include "platform/rtl/Streams.h"
#include "platform/rtl/Stringlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() /
          (std::string("wt_streams_") + std::to_string(getpid()) + "_" + name))
      .string();
}

void Fill(TStream& s, const std::string& text) {
  s.WriteBuffer(text.data(), static_cast<int>(text.size()));
}

std::string ReadAll(TStream& s) {
  std::string out(static_cast<size_t>(s.Size() - s.Position()), '\0');
  s.ReadBuffer(out.data(), static_cast<int>(out.size()));
  return out;
}

TEST(MemoryStream, WriteSeekReadAndGrowth) {
  TMemoryStream s;
  Fill(s, "hello world");
  EXPECT_EQ(s.Size(), 11);
  EXPECT_EQ(s.Seek(6, soBeginning), 6);
  Fill(s, "there, friend");
  EXPECT_EQ(s.Size(), 19);
  EXPECT_EQ(s.Seek(-13, soEnd), 6);
  EXPECT_EQ(s.Seek(-6, soCurrent), 0);
  EXPECT_EQ(ReadAll(s), "hello there, friend");
  char c;
  EXPECT_EQ(s.Read(&c, 1), 0) << "reading at the end moves nothing";
  EXPECT_THROW(s.Seek(-1, soBeginning), EStreamError);
  s.SetSize(5);
  EXPECT_EQ(s.Position(), 5) << "shrinking pulls the position back";
  s.SetPosition(0);
  EXPECT_EQ(ReadAll(s), "hello");
}

TEST(MemoryStream, ShortTransfersRaise) {
  TMemoryStream s;
  Fill(s, "abc");
  s.SetPosition(1);
  char buf[8];
  EXPECT_EQ(s.Read(buf, 8), 2);
  s.SetPosition(1);
  EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
  s.SetPosition(0);
  EXPECT_NO_THROW(s.ReadBuffer(buf, 3));
  EXPECT_EQ(std::string(buf, 3), "abc");
  EXPECT_NO_THROW(s.ReadBuffer(buf, 0)) << "an empty read at the end is no error";
}

TEST(FileStream, CreateWriteReopenAndRefusals) {
  const std::string path = TempPath("a.bin");
  {
    TFileStream out(path, fmCreate);
    Fill(out, "0123456789");
    out.SetSize(4);
    EXPECT_EQ(out.Size(), 4);
  }
  {
    TFileStream in(path, fmOpenRead);
    EXPECT_EQ(in.Size(), 4);
    EXPECT_EQ(ReadAll(in), "0123");
    char c = 'x';
    EXPECT_EQ(in.Write(&c, 1), 0) << "a read-only stream writes nothing";
    EXPECT_THROW(in.WriteBuffer(&c, 1), EWriteError);
  }
  {
    TFileStream rw(path, fmOpenReadWrite);
    rw.Seek(0, soEnd);
    Fill(rw, "45");
  }
  TMemoryStream copy;
  copy.LoadFromFile(path);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy.Memory()), copy.Size()), "012345");
  std::remove(path.c_str());
  EXPECT_THROW(TFileStream(path, fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream("/nonexistent-dir/x", fmCreate), EFCreateError);
}

// What a file stream should do, kept as plainly as possible: the bytes and a
// position; a write past the end leaves zeros before it.
struct TPlainFile {
  std::string Bytes;
  int64_t Position = 0;
  bool Readable = true;
  bool Writable = true;

  int Read(char* Out, int Count) {
    if (!Readable || Position >= static_cast<int64_t>(Bytes.size()))
      return 0;
    const int n = static_cast<int>(std::min<int64_t>(Count, Bytes.size() - Position));
    std::copy_n(Bytes.data() + Position, n, Out);
    Position += n;
    return n;
  }
  int Write(const char* In, int Count) {
    if (!Writable)
      return 0;
    if (Position + Count > static_cast<int64_t>(Bytes.size()))
      Bytes.resize(static_cast<size_t>(Position + Count), '\0');
    std::copy_n(In, Count, Bytes.data() + Position);
    Position += Count;
    return Count;
  }
};

enum TOpKind { opWrite, opRead, opSeek, opSetSize, opFlush };

struct TOp {
  TOpKind Kind;
  int64_t Value; // bytes to move, the seek offset or the new size
  TSeekOrigin Origin = soBeginning;
};

// Bytes that differ from one write to the next, so that a write lost or put
// at the wrong place shows.
std::string Pattern(int Count, int Seed) {
  std::string text(static_cast<size_t>(Count), '\0');
  for (int i = 0; i < Count; ++i)
    text[static_cast<size_t>(i)] = static_cast<char>('A' + (i * 7 + Seed * 13) % 53);
  return text;
}

std::string FileBytes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the operations on the file stream and on the plain model side by side:
// every result, position and size agree, and so does the file once closed.
void RunAgainstModel(const std::string& Path, uint16_t Mode, const std::string& Initial,
                     const std::vector<TOp>& Ops) {
  if (Mode != fmCreate)
    std::ofstream(Path, std::ios::binary).write(Initial.data(), Initial.size());
  TPlainFile model;
  model.Bytes = Mode == fmCreate ? std::string() : Initial;
  model.Readable = Mode == fmCreate || (Mode & 3) != fmOpenWrite;
  model.Writable = Mode == fmCreate || (Mode & 3) != fmOpenRead;
  {
    TFileStream file(Path, Mode);
    for (size_t i = 0; i < Ops.size(); ++i) {
      const TOp& op = Ops[i];
      SCOPED_TRACE("operation " + std::to_string(i) + " of kind " + std::to_string(op.Kind) +
                   " value " + std::to_string(op.Value));
      const int count = static_cast<int>(op.Value);
      switch (op.Kind) {
      case opWrite: {
        const std::string bytes = Pattern(count, static_cast<int>(i));
        ASSERT_EQ(file.Write(bytes.data(), count), model.Write(bytes.data(), count));
        break;
      }
      case opRead: {
        std::string ours(static_cast<size_t>(count), '\0');
        std::string expected(static_cast<size_t>(count), '\0');
        const int n = file.Read(ours.data(), count);
        ASSERT_EQ(n, model.Read(expected.data(), count));
        ASSERT_EQ(ours.substr(0, static_cast<size_t>(n)),
                  expected.substr(0, static_cast<size_t>(n)));
        break;
      }
      case opSeek: {
        const int64_t base = op.Origin == soBeginning ? 0
                             : op.Origin == soCurrent ? model.Position
                                                      : static_cast<int64_t>(model.Bytes.size());
        if (base + op.Value < 0) {
          ASSERT_THROW(file.Seek(op.Value, op.Origin), EStreamError);
          break;
        }
        model.Position = base + op.Value;
        ASSERT_EQ(file.Seek(op.Value, op.Origin), model.Position);
        break;
      }
      case opSetSize:
        file.SetSize(op.Value);
        model.Bytes.resize(static_cast<size_t>(op.Value), '\0');
        model.Position = std::min<int64_t>(model.Position, op.Value);
        break;
      case opFlush:
        file.FlushBuffer();
        ASSERT_EQ(FileBytes(Path), model.Bytes) << "a flush leaves the file as written";
        break;
      }
      ASSERT_EQ(file.Position(), model.Position);
      ASSERT_EQ(file.Size(), static_cast<int64_t>(model.Bytes.size()));
    }
  }
  EXPECT_EQ(FileBytes(Path), model.Bytes) << "the file once closed";
  std::remove(Path.c_str());
}

struct TStreamCase {
  const char* Name;
  uint16_t Mode;
  int InitialSize;
  std::vector<TOp> Ops;
};

// Sizes around the stream's buffer (64 KB) so that reads and writes start,
// end and cross inside it, at its edges and beyond it.
const std::vector<TStreamCase>& StreamCases() {
  constexpr int64_t kBuf = 64 * 1024;
  static const std::vector<TStreamCase> cases = {
      {"overwrite what was just written",
       fmCreate,
       0,
       {{opWrite, 11}, {opSeek, 6}, {opWrite, 5}, {opSeek, 0}, {opRead, 11}, {opRead, 1}}},
      {"write at the read position of an existing file",
       fmOpenReadWrite,
       100000,
       {{opRead, 10},
        {opWrite, 3},
        {opRead, 5},
        {opSeek, -8, soCurrent},
        {opRead, 8},
        {opSeek, -2, soEnd},
        {opWrite, 6},
        {opSeek, 0},
        {opRead, 200000}}},
      {"a write past the end leaves zeros",
       fmCreate,
       0,
       {{opWrite, 3}, {opSeek, kBuf + 100}, {opWrite, 1}, {opSeek, 0}, {opRead, kBuf + 200}}},
      {"a large write after a small one, then reads across both",
       fmCreate,
       0,
       {{opWrite, 10},
        {opWrite, 3 * kBuf},
        {opSeek, 5},
        {opRead, 100},
        {opSeek, -10, soEnd},
        {opRead, 20},
        {opSeek, kBuf - 3},
        {opWrite, 6},
        {opSeek, kBuf - 5},
        {opRead, 10}}},
      {"the size shrinks under the buffer and grows again",
       fmOpenReadWrite,
       5000,
       {{opRead, 1000},
        {opWrite, 1000},
        {opSetSize, 100},
        {opRead, 10},
        {opSeek, 50},
        {opRead, 100},
        {opWrite, 2},
        {opSetSize, 3000},
        {opSeek, 0},
        {opRead, 4000}}},
      {"reads with a position and size query per block",
       fmOpenRead,
       3 * static_cast<int>(kBuf),
       {{opRead, 1},
        {opSeek, 0, soCurrent},
        {opSeek, 254, soCurrent},
        {opRead, 1},
        {opSeek, -1, soCurrent},
        {opRead, 255},
        {opSeek, kBuf - 1},
        {opRead, 2},
        {opSeek, -3, soEnd},
        {opRead, 10},
        {opSeek, -4, soCurrent},
        {opRead, 1}}},
      {"a read-only file refuses writes and a write-only one reads nothing",
       fmOpenRead,
       10,
       {{opWrite, 4}, {opRead, 4}, {opSeek, -11, soEnd}, {opSeek, 2, soCurrent}, {opRead, 20}}},
      {"a write-only file takes writes anywhere",
       fmOpenWrite,
       70000,
       {{opRead, 4},
        {opSeek, 69990},
        {opWrite, 20},
        {opSeek, 5},
        {opWrite, 5},
        {opFlush, 0},
        {opSeek, 2 * kBuf},
        {opWrite, kBuf}}},
      {"flushes between writes, reads and seeks",
       fmOpenReadWrite,
       1000,
       {{opWrite, 10},
        {opFlush, 0},
        {opRead, 10},
        {opWrite, 10},
        {opSeek, 0},
        {opFlush, 0},
        {opRead, 30},
        {opSeek, 5000},
        {opWrite, 1},
        {opFlush, 0}}},
  };
  return cases;
}

TEST(FileStream, OperationsAgreeWithAPlainModel) {
  for (const TStreamCase& c : StreamCases()) {
    SCOPED_TRACE(c.Name);
    RunAgainstModel(TempPath("model.bin"), c.Mode, Pattern(c.InitialSize, 99), c.Ops);
  }
}

// Many operations of every kind at places chosen from a fixed seed, mostly
// near one another as a reader or writer moves, now and then far away.
TEST(FileStream, ARandomWalkAgreesWithAPlainModel) {
  std::mt19937 random(20261211);
  std::vector<TOp> ops;
  for (int i = 0; i < 3000; ++i) {
    const unsigned pick = random() % 100;
    const int64_t small = random() % 600;
    const int64_t large = random() % 200000;
    const bool far = random() % 10 == 0;
    if (pick < 35)
      ops.push_back({opRead, far ? large : small});
    else if (pick < 65)
      ops.push_back({opWrite, far ? large : small});
    else if (pick < 90)
      ops.push_back({opSeek, far ? large : small - 300, far ? soBeginning : soCurrent});
    else if (pick < 95)
      ops.push_back({opSeek, -small, soEnd});
    else if (pick < 98)
      ops.push_back({opSetSize, large});
    else
      ops.push_back({opFlush, 0});
  }
  RunAgainstModel(TempPath("walk.bin"), fmOpenReadWrite, Pattern(150000, 7), ops);
}

TEST(FileStream, AFolderIsRefusedAndAFullDiskIsReported) {
  const std::string folder = std::filesystem::temp_directory_path().string();
  EXPECT_THROW(TFileStream(folder, fmOpenRead), EFOpenError);
  if (!std::filesystem::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full to fill";
  TFileStream full("/dev/full", fmOpenWrite);
  const std::string bytes = Pattern(100, 1);
  EXPECT_EQ(full.Write(bytes.data(), 100), 100) << "the write waits in the buffer";
  EXPECT_THROW(full.FlushBuffer(), EWriteError);
  const std::string large = Pattern(200000, 2);
  EXPECT_THROW(full.WriteBuffer(large.data(), static_cast<int>(large.size())), EWriteError)
      << "a write too large for the buffer meets the full disk at once";
}

TEST(FileStream, SaversReportAFullDisk) {
  if (!std::filesystem::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full to fill";
  TMemoryStream memory;
  Fill(memory, "a few bytes that wait in the file's buffer");
  EXPECT_THROW(memory.SaveToFile("/dev/full"), EWriteError);
  TStringList lines;
  lines.Add("one line");
  EXPECT_THROW(lines.SaveToFile("/dev/full"), EWriteError);
}

TEST(Stream, CopyFromWholeAndPart) {
  TMemoryStream src, dst;
  Fill(src, "abcdefgh");
  src.SetPosition(5);
  EXPECT_EQ(dst.CopyFrom(&src, 0), 8) << "count 0 copies the whole source from its start";
  src.SetPosition(2);
  EXPECT_EQ(dst.CopyFrom(&src, 3), 3);
  dst.SetPosition(0);
  EXPECT_EQ(ReadAll(dst), "abcdefghcde");
  src.SetPosition(6);
  EXPECT_THROW(dst.CopyFrom(&src, 5), EReadError);
}

} // namespace
