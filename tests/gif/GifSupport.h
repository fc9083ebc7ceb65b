#pragma once
// Helpers of the GIF tests: running ImageMagick on files, loading and saving
// images through memory streams, and collecting warnings.
#include "gif/Gifimage.h"
#include "tests/support/Command.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Everything an image warned, as "message" strings.
struct TWarnings {
  explicit TWarnings(TGIFImage& Image);
  std::vector<std::string> Messages;
};

// Runs a shell command; its standard output. A command that does not
// succeed fails the test.
inline std::string RunCommandChecked(const std::string& Command) {
  TCommandRun run = RunCommandFully(Command);
  EXPECT_EQ(run.Status, 0) << Command;
  return std::move(run.Output);
}

// The first frame's pixels as ImageMagick reports them: red, green, blue.
inline std::string MagickPixels(const std::string& Path) {
  return RunCommandChecked("convert '" + Path + "[0]' -depth 8 rgb:-");
}

// The frame's pixels through its active colour map, in the same form.
inline std::string FramePixels(const TGIFSubImage& Frame) {
  std::string out;
  const TGIFColorMap* map = Frame.ActiveColorMap();
  for (int y = 0; y < Frame.Height(); ++y)
    for (int x = 0; x < Frame.Width(); ++x) {
      const TGIFColor& c = map->Data(Frame.GetPixel(x, y));
      out += static_cast<char>(c.Red);
      out += static_cast<char>(c.Green);
      out += static_cast<char>(c.Blue);
    }
  return out;
}

// The frame's colour indexes, row by row.
inline std::vector<int> Pixels(const TGIFSubImage& Frame) {
  std::vector<int> out;
  for (int y = 0; y < Frame.Height(); ++y)
    for (int x = 0; x < Frame.Width(); ++x)
      out.push_back(Frame.GetPixel(x, y));
  return out;
}

inline std::string SaveToBytes(TGIFImage& Image) {
  TMemoryStream stream;
  Image.SaveToStream(&stream);
  return std::string(reinterpret_cast<const char*>(stream.Memory()),
                     static_cast<size_t>(stream.Size()));
}

inline void LoadFromBytes(TGIFImage& Image, const std::string& Bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  stream.SetPosition(0);
  Image.LoadFromStream(&stream);
}

inline TWarnings::TWarnings(TGIFImage& Image) {
  Image.WarningHandler = [this](TObject*, TGIFSeverity, const AnsiString& Message) {
    Messages.push_back(Message);
  };
}
