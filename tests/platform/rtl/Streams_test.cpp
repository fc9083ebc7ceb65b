#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

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
