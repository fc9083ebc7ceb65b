// The animation painter on an offscreen canvas, with short delays.
#include "gif/Gifimage.h"
#include "platform/rtl/Kernel.h"

#include <gtest/gtest.h>

namespace {

const TColor colors[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};

// Frames of 4 x 4 pixels, frame i all colour i, each with Delay; a looping
// extension with LoopCount on the first frame when LoopCount >= 0.
void MakeAnimation(TGIFImage& Image, int Frames, int Delay, int LoopCount) {
  Image.Header()->Width = 4;
  Image.Header()->Height = 4;
  for (TColor c : colors)
    Image.GlobalColorMap()->Add(c);
  for (int i = 0; i < Frames; ++i) {
    auto* frame = new TGIFSubImage(&Image);
    Image.Add(frame);
    if (i == 0 && LoopCount >= 0) {
      auto* loop = new TGIFAppExtNSLoop(frame);
      loop->LoopCount = static_cast<uint16_t>(LoopCount);
      frame->Extensions()->Add(loop);
    }
    auto* control = new TGIFGraphicControlExtension(frame);
    frame->Extensions()->Add(control);
    control->SetDelay(static_cast<uint16_t>(Delay));
    frame->SetBounds(3, 4);
    frame->SetBounds(4, 4);
    for (int y = 0; y < 4; ++y)
      std::fill_n(frame->GetScanline(y), 4, static_cast<uint8_t>(i));
  }
}

std::unique_ptr<TBitmap> Target() {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(8, 8);
  return bitmap;
}

// The frames shown, in order, as OnAfterFrame saw them.
struct TRecorder {
  explicit TRecorder(TGIFImage& Image) {
    Image.OnAfterFrame = [this](TObject* Sender) {
      Shown.push_back(static_cast<TGIFPainter*>(Sender)->ActiveImage());
    };
    Image.OnNextLoop = [this](TObject*) { ++Loops; };
    Image.OnEndAnimation = [this](TObject*) { ++Ends; };
  }
  std::vector<int> Shown;
  int Loops = 0;
  int Ends = 0;
};

TEST(GifPainter, SynchronousPainterShowsTheLoopsTheFileAsksFor) {
  TGIFImage image;
  MakeAnimation(image, 3, 1, 2);
  TRecorder recorder(image);
  auto target = Target();
  image.Paint(target->Canvas(), TRect{0, 0, 8, 8}, {goAnimate, goLoop});
  EXPECT_EQ(recorder.Shown, (std::vector<int>{0, 1, 2, 0, 1, 2}));
  EXPECT_EQ(recorder.Loops, 1);
  EXPECT_EQ(recorder.Ends, 1);
  EXPECT_EQ(target->Canvas()->Pixels(5, 5), colors[2]);
  EXPECT_EQ(image.PainterCount(), 0);

  // Loop count 0 means for ever, which a synchronous painter shows once.
  TGIFImage forever;
  MakeAnimation(forever, 2, 1, 0);
  TRecorder once(forever);
  forever.Paint(target->Canvas(), TRect{0, 0, 8, 8}, {goAnimate, goLoop});
  EXPECT_EQ(once.Shown, (std::vector<int>{0, 1}));

  // Without goAnimate only the first frame is shown.
  TRecorder first(image);
  image.Paint(target->Canvas(), TRect{0, 0, 8, 8}, {goLoop});
  EXPECT_EQ(first.Shown, (std::vector<int>{0}));
}

TEST(GifPainter, WaitsFollowTheDelaysAndTheSpeed) {
  // Five units of 12 ms between frames: the two waits after the first frame
  // take at least 120 ms at speed 100 and at least 60 ms at speed 200.
  for (int speed : {100, 200}) {
    TGIFImage image;
    MakeAnimation(image, 3, 5, -1);
    image.SetAnimationSpeed(speed);
    auto target = Target();
    const DWORD start = GetTickCount();
    image.Paint(target->Canvas(), TRect{0, 0, 8, 8}, {goAnimate});
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 2u * 5 * GIFDelayExp * 100 / static_cast<unsigned>(speed) - 10)
        << "speed " << speed;
  }
  TGIFImage image;
  image.SetAnimationSpeed(5000);
  EXPECT_EQ(image.AnimationSpeed(), 1000);
  image.SetAnimationSpeed(-3);
  EXPECT_EQ(image.AnimationSpeed(), 0);
}

TEST(GifPainter, EventCanChooseTheNextFrame) {
  TGIFImage image;
  MakeAnimation(image, 3, 1, -1);
  std::vector<int> shown;
  image.OnAfterFrame = [&](TObject* Sender) {
    auto* painter = static_cast<TGIFPainter*>(Sender);
    shown.push_back(painter->ActiveImage());
    if (painter->ActiveImage() == 0)
      painter->SetActiveImage(2);
  };
  auto target = Target();
  image.Paint(target->Canvas(), TRect{0, 0, 8, 8}, {goAnimate});
  EXPECT_EQ(shown, (std::vector<int>{0, 2}));
}

TEST(GifPainter, AsynchronousPainterRunsUntilStopped) {
  TGIFImage image;
  MakeAnimation(image, 3, 1, 0);
  TRecorder recorder(image);
  auto target = Target();
  image.Paint(target->Canvas(), TRect{0, 0, 8, 8}, {goAsync, goAnimate, goLoop});
  ASSERT_EQ(image.PainterCount(), 1);
  const DWORD start = GetTickCount();
  while (recorder.Shown.size() < 7 && GetTickCount() - start < 5000)
    CheckSynchronize(10);
  image.PaintStop();
  EXPECT_EQ(image.PainterCount(), 0);
  ASSERT_GE(recorder.Shown.size(), 7u);
  EXPECT_EQ(std::vector<int>(recorder.Shown.begin(), recorder.Shown.begin() + 7),
            (std::vector<int>{0, 1, 2, 0, 1, 2, 0}));
  EXPECT_GE(recorder.Loops, 2);
}

TEST(GifPainter, DrawingAnAnimationKeepsOnePainterPerPlace) {
  auto target = Target();
  {
    TGIFImage image; // the default options: asynchronous and looping
    MakeAnimation(image, 2, 1, 0);
    target->Canvas()->StretchDraw(TRect{0, 0, 8, 8}, &image);
    EXPECT_EQ(target->Canvas()->Pixels(3, 3), colors[0]);
    EXPECT_EQ(image.PainterCount(), 1);
    target->Canvas()->StretchDraw(TRect{0, 0, 8, 8}, &image);
    EXPECT_EQ(image.PainterCount(), 1);
    // The image ends its painter when it goes away.
  }
  TGIFImage single;
  MakeAnimation(single, 1, 1, 0);
  target->Canvas()->StretchDraw(TRect{0, 0, 8, 8}, &single);
  EXPECT_EQ(single.PainterCount(), 0);
  EXPECT_EQ(target->Canvas()->Pixels(3, 3), colors[0]);
}

TEST(GifPainter, DisposalToBackgroundClearsTheFrameArea) {
  // Frame 0 fills the picture red and goes back to the background; frame 1
  // covers only the top-left pixel, so the rest shows the background.
  TGIFImage image;
  MakeAnimation(image, 2, 1, -1);
  image.DrawBackgroundColor = 0x123456;
  image.Images()->SubImages(0)->GraphicControlExtension()->SetDisposal(dmBackground);
  TGIFSubImage* second = image.Images()->SubImages(1);
  second->SetBounds(3, 1);
  second->SetBounds(4, 1);
  second->GetScanline(0)[0] = 1;
  auto target = Target();
  image.Paint(target->Canvas(), TRect{0, 0, 8, 8}, {goAnimate});
  EXPECT_EQ(target->Canvas()->Pixels(0, 0), colors[1]);
  EXPECT_EQ(target->Canvas()->Pixels(5, 5), 0x123456);
}

TEST(GifPainter, ValidatedCanvasEndsThePainterWhenItsContextChanges) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(nullptr);
  HBITMAP firstBits = CreateBitmap(8, 8, 1, 32, nullptr);
  HBITMAP secondBits = CreateBitmap(8, 8, 1, 32, nullptr);
  HGDIOBJ firstOld = SelectObject(first, firstBits);
  HGDIOBJ secondOld = SelectObject(second, secondBits);
  for (bool validate : {false, true}) {
    TGIFImage image;
    MakeAnimation(image, 3, 1, -1);
    TCanvas canvas;
    canvas.SetHandle(first);
    std::vector<int> shown;
    image.OnAfterFrame = [&](TObject* Sender) {
      shown.push_back(static_cast<TGIFPainter*>(Sender)->ActiveImage());
      canvas.SetHandle(second);
    };
    TGIFDrawOptions options{goAnimate, goClearOnLoop};
    image.Paint(&canvas, TRect{0, 0, 8, 8}, validate ? options << goValidateCanvas : options);
    EXPECT_EQ(shown, (validate ? std::vector<int>{0} : std::vector<int>{0, 1, 2}));
    canvas.SetHandle(nullptr);
  }
  SelectObject(first, firstOld);
  SelectObject(second, secondOld);
  DeleteObject(firstBits);
  DeleteObject(secondBits);
  DeleteDC(first);
  DeleteDC(second);
}

} // namespace
