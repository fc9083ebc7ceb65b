#pragma once
// JPEG pictures on libjpeg: the compressed stream is kept as loaded and
// decoded into a 24-bit bitmap when first drawn or asked for.
#include "platform/gfx/Graphics.h"

#include <vector>

class EJPEG : public EInvalidGraphic {
public:
  using EInvalidGraphic::EInvalidGraphic;
};

enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPixelFormat { jf24Bit, jf8Bit };

class TJPEGImage : public TGraphic {
public:
  TJPEGImage() = default;
  ~TJPEGImage() override = default;

  // Another JPEG image (its stream and settings) or a bitmap (compressed on save).
  void Assign(const TPersistent* Source) override;
  void Draw(TCanvas* Canvas, const TRect& Rect) override;
  bool GetEmpty() const override { return data.empty() && !bitmap; }
  int GetWidth() const override;
  int GetHeight() const override;
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  // Everything from the stream's position to its end; EJPEG for data that
  // does not decode.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // A 32-bit byte count, then the JPEG stream.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

  // The decoded picture (owned by the image).
  TBitmap* Bitmap();
  void Compress(); // the bitmap into the stream
  void DIBNeeded() { Bitmap(); }
  void JPEGNeeded();

  int CompressionQuality = 90; // 1..100
  bool Grayscale = false;
  bool ProgressiveEncoding = false;
  TJPEGPerformance Performance = jpBestQuality;
  TJPEGScale Scale = jsFullSize;
  TJPEGPixelFormat PixelFormat = jf24Bit;

protected:
  void AssignTo(TPersistent* Dest) const override;

private:
  void Decode() const;
  std::vector<uint8_t> data;
  mutable std::unique_ptr<TBitmap> bitmap;
  int width = 0;
  int height = 0;
};
