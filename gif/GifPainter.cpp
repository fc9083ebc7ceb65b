// The animation painter: walks an image's frames by their delays, disposal
// and loop count, composing them on work bitmaps.
#include "gif/Gifimage.h"
#include "platform/rtl/Kernel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {

std::unique_ptr<TBitmap> CopyOf(TCanvas* Canvas, const TRect& Rect, TColor Brush) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(Rect.Width(), Rect.Height());
  bitmap->Canvas()->Brush()->SetColor(Brush);
  if (Canvas != nullptr)
    bitmap->Canvas()->CopyRect(TRect{0, 0, Rect.Width(), Rect.Height()}, Canvas, Rect);
  return bitmap;
}

} // namespace

// The surface, not the clip box: a clip set for one paint must not limit
// the work bitmaps that later frames are composed on.
TRect VisiblePart(TCanvas* Canvas, const TRect& Rect) {
  HDC dc = Canvas->Handle();
  POINT corners[2] = {{0, 0}, {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)}};
  DPtoLP(dc, corners, 2);
  TRect part{std::max(Rect.Left, static_cast<int>(corners[0].x)),
             std::max(Rect.Top, static_cast<int>(corners[0].y)),
             std::min(Rect.Right, static_cast<int>(corners[1].x)),
             std::min(Rect.Bottom, static_cast<int>(corners[1].y))};
  part.Right = std::max(part.Right, part.Left);
  part.Bottom = std::max(part.Bottom, part.Top);
  return part;
}

TGIFPainter::TGIFPainter(TGIFPainter** APainterVariable, TGIFImage* AImage, TCanvas* ACanvas,
                         const TRect& ARect, TGIFDrawOptions AOptions)
    : image(AImage), canvas(ACanvas), rect(ARect), work(VisiblePart(ACanvas, ARect)),
      drawOptions(AOptions), animationSpeed(AImage->AnimationSpeed()),
      painterVariable(APainterVariable) {
  FreeOnTerminate = Async();
  const int count = image->Images()->GetCount();
  if (Async() && drawOptions.Contains(goAnimate) && count >= 2)
    wakeUp = std::make_unique<TEvent>(false, false);
  if (image->DrawBackgroundColor != clNone)
    backgroundColor = image->DrawBackgroundColor;
  else if (image->GlobalColorMap()->Count() == 0)
    backgroundColor = clWindow;
  else
    backgroundColor = image->GlobalColorMap()->GetColor(image->Header()->BackgroundColorIndex);
  bool toBackground = drawOptions.Contains(goClearOnLoop);
  bool toPrevious = false;
  for (int i = 0; i < count; ++i)
    if (const TGIFGraphicControlExtension* gce =
            image->Images()->SubImages(i)->GraphicControlExtension()) {
      toBackground |= gce->Disposal() == dmBackground;
      toPrevious |= gce->Disposal() == dmPrevious;
    }
  // The work bitmaps cover only the rectangle's part on the canvas: a
  // large logical screen drawn on a small canvas costs no more than it.
  if (toBackground && drawOptions.Contains(goTransparent))
    background = CopyOf(canvas, work, backgroundColor);
  if (toBackground || toPrevious) {
    composition = CopyOf(canvas, work, backgroundColor);
    previous = CopyOf(nullptr, work, backgroundColor);
  }
}

TGIFPainter::~TGIFPainter() {
  Cleanup();
}

void TGIFPainter::Start() {
  if (Async())
    Resume();
}

void TGIFPainter::Stop() {
  Terminate();
  if (!Async())
    return;
  if (wakeUp)
    wakeUp->SetEvent();
  Priority = 3;
  Resume();
}

void TGIFPainter::Restart() {
  restart = true;
  if (wakeUp)
    wakeUp->SetEvent();
  if (Async() && Suspended())
    Resume();
}

void TGIFPainter::SetAnimationSpeed(int Value) {
  Value = std::clamp(Value, 0, 1000);
  if (Value == animationSpeed)
    return;
  animationSpeed = Value;
  if (wakeUp)
    wakeUp->SetEvent();
  else
    restart = true;
}

void TGIFPainter::SetActiveImage(int Value) {
  if (image != nullptr && Value >= 0 && Value < image->Images()->GetCount())
    activeImage = Value;
}

void TGIFPainter::DoSynchronize(const TThreadMethod& Method) {
  if (Terminated())
    return;
  if (Async())
    Synchronize(Method);
  else
    Method();
}

void TGIFPainter::DoEvent(const TNotifyEvent& Event) {
  if (Event)
    DoSynchronize([&] { Event(this); });
}

// Waits out Delay milliseconds; false when the painter was told to end.
bool TGIFPainter::Wait(int& Delay) {
  if (Async()) {
    const unsigned timeout = Delay < 0 ? INFINITE : static_cast<unsigned>(Delay);
    if (wakeUp)
      return wakeUp->WaitFor(timeout) == wrSignaled;
    for (DWORD start = GetTickCount(); !Stopped() && GetTickCount() - start < timeout;)
      Sleep(std::min<unsigned>(10, timeout));
    return false;
  }
  // On the caller's thread: wait in short steps and serve the worker calls
  // that the main thread owes meanwhile.
  Delay = std::max(Delay, 1);
  while (Delay > 0 && !Stopped()) {
    const int step = std::min(Delay, 100);
    Sleep(static_cast<DWORD>(step));
    Delay -= step;
    if (IsMainThread())
      CheckSynchronize();
  }
  return false;
}

void TGIFPainter::Execute() {
  if (drawOptions.Contains(goValidateCanvas))
    DoSynchronize([this] { validDC = canvas->HandleAllocated() ? canvas->Handle() : nullptr; });
  restart = true;
  while (restart && !Terminated()) {
    activeImage = 0;
    DoEvent(OnBeginAnimation);
    painted = false;
    restart = false;
    int loops = 1;
    bool loopSeen = false;
    int delay = Async() ? 0 : 1;
    DWORD last = GetTickCount();
    int lag = 0;
    do {
      if ((loops == 0 && !drawOptions.Contains(goLoopContinously)) || Stopped())
        break;
      activeImage = 0;
      if (painted)
        DoEvent(OnNextLoop);
      do {
        WaitWhileSuspended();
        bool empty = true;
        DoSynchronize([&] {
          empty = image == nullptr || activeImage >= image->Images()->GetCount() ||
                  image->Images()->SubImages(activeImage)->Empty();
          if (!empty && delay > 0)
            image->Images()->SubImages(activeImage)->GetBitmap();
        });
        if (empty || Stopped())
          break;
        if (delay > 0) {
          const DWORD now = GetTickCount();
          const int speed = animationSpeed;
          if (speed >= 1) {
            const int64_t correction = (static_cast<int64_t>(now - last) - lag) / 2;
            const int64_t scaled = std::llround(
                static_cast<double>(int64_t{delay} * GIFDelayExp - correction) * 100 / speed);
            // Only a delay beyond any wait is a failed computation; a frame
            // already late is shown at once and the schedule goes on.
            delay = static_cast<int>(std::clamp<int64_t>(scaled, 0, INT_MAX));
            lag = delay;
            if (scaled > INT_MAX) {
              delay = 1000 * GIFDelayExp;
              lag = 0;
            }
          } else {
            delay = Async() ? -1 : 1000 * GIFDelayExp;
          }
          last = now;
          if (Wait(delay)) {
            lag = 0;
            last = GetTickCount();
          }
        } else {
          std::this_thread::yield();
        }
        if (Terminated())
          break;
        DoEvent(OnBeforeFrame);
        if (Terminated())
          break;
        int nextDelay = GIFDefaultDelay;
        DoSynchronize([&] {
          if (image == nullptr)
            return;
          TGIFSubImage* frame = image->Images()->SubImages(activeImage);
          disposal = dmNoDisposal;
          for (int i = 0; i < frame->Extensions()->GetCount(); ++i) {
            TGIFExtension* extension = frame->Extensions()->Extensions(i);
            if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(extension); loop && !loopSeen) {
              loopSeen = true;
              loops = loop->LoopCount;
              if ((loops == 0 || drawOptions.Contains(goLoopContinously)) && Async())
                loops = -1;
            } else if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(extension)) {
              disposal = gce->Disposal();
            }
          }
          if (composition)
            DoPaintFrame();
          else
            DoPaint();
          previousDisposal = disposal;
          if (const TGIFGraphicControlExtension* gce = frame->GraphicControlExtension();
              gce != nullptr && gce->Delay() != 0) {
            nextDelay = std::max<int>(gce->Delay(), GIFMinimumDelay);
            if (!Async())
              nextDelay = std::min(nextDelay, GIFMaximumDelay);
          }
        });
        delay = nextDelay;
        if (Terminated())
          break;
        const int before = activeImage;
        DoEvent(OnAfterFrame);
        if (Terminated())
          break;
        if (activeImage == before)
          ++activeImage;
      } while (drawOptions.Contains(goAnimate));
      if (loops > 0)
        --loops;
    } while (drawOptions.Contains(goAnimate) && drawOptions.Contains(goLoop));
  }
  activeImage = -1;
  DoEvent(OnEndAnimation);
}

void TGIFPainter::DoPaint() {
  image->Images()
      ->SubImages(activeImage)
      ->Draw(canvas, rect, drawOptions.Contains(goTransparent), drawOptions.Contains(goTile));
  painted = true;
}

TRect TGIFPainter::WholeInWork() const {
  return TRect{rect.Left - work.Left, rect.Top - work.Top, rect.Right - work.Left,
               rect.Bottom - work.Top};
}

void TGIFPainter::RestoreBackground(TCanvas* Target, TGIFSubImage* Frame) {
  const TRect whole = WholeInWork();
  std::vector<TRect> areas;
  if (drawOptions.Contains(goTile)) {
    const int stepX = std::max(1, image->Width());
    const int stepY = std::max(1, image->Height());
    for (int y = whole.Top; y < whole.Bottom; y += stepY)
      for (int x = whole.Left; x < whole.Right; x += stepX)
        areas.push_back(TRect{x + Frame->Left(), y + Frame->Top(),
                              x + Frame->Left() + Frame->Width(),
                              y + Frame->Top() + Frame->Height()});
  } else {
    areas.push_back(Frame->ScaleRect(whole));
  }
  for (const TRect& area : areas) {
    if (background) {
      Target->CopyRect(area, background->Canvas(), area);
    } else {
      Target->Brush()->SetColor(backgroundColor);
      Target->FillRect(area);
    }
  }
}

void TGIFPainter::DoPaintFrame() {
  // A canvas that lost or changed its device context is gone for the painter.
  if (drawOptions.Contains(goValidateCanvas) &&
      (!canvas->HandleAllocated() || canvas->Handle() != validDC)) {
    Terminate();
    return;
  }
  TGIFSubImage* frame = image->Images()->SubImages(activeImage);
  HPALETTE framePalette = frame->GetPalette();
  if (framePalette == nullptr)
    framePalette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  HDC targetDC = canvas->Handle();
  HPALETTE oldPalette = SelectPalette(targetDC, framePalette, 0);
  RealizePalette(targetDC);
  ComposeFrame(frame);
  SelectPalette(targetDC, oldPalette, 0);
  painted = true;
}

void TGIFPainter::ComposeFrame(TGIFSubImage* frame) {
  const TRect whole = WholeInWork();
  const TRect held{0, 0, work.Width(), work.Height()};
  const bool transparent = drawOptions.Contains(goTransparent);
  const bool tile = drawOptions.Contains(goTile);
  if (drawOptions.Contains(goClearOnLoop) && activeImage == 0)
    RestoreBackground(composition->Canvas(), frame);
  if (disposal != dmPrevious) {
    frame->Draw(composition->Canvas(), whole, transparent, tile);
    canvas->CopyRect(work, composition->Canvas(), held);
    if (disposal == dmBackground)
      RestoreBackground(composition->Canvas(), frame);
  } else if (previousDisposal == dmNone || previousDisposal == dmNoDisposal) {
    frame->Draw(canvas, rect, transparent, tile);
  } else {
    previous->Canvas()->CopyRect(held, composition->Canvas(), held);
    frame->Draw(previous->Canvas(), whole, transparent, tile);
    canvas->CopyRect(work, previous->Canvas(), held);
  }
}

void TGIFPainter::Cleanup() {
  if (cleanedUp)
    return;
  cleanedUp = true;
  if (TGIFImage* owner = image) {
    std::lock_guard<TCriticalSection> guard(owner->PainterLock());
    if (painterVariable != nullptr && *painterVariable == this)
      *painterVariable = nullptr;
    owner->RemovePainter(this);
    image = nullptr;
  }
  composition.reset();
  previous.reset();
  background.reset();
  wakeUp.reset();
}

void TGIFPainter::DoTerminate() {
  Cleanup();
  TThread::DoTerminate();
}
