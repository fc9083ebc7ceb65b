// Making files smaller: colour tables sorted by use and merged into one,
// frames cropped and merged, blocks without effect removed.
#include "gif/Gifimage.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <numeric>

const char* const sOptimizing = "Optimizing...";
bool GIFImageOptimizeOnStream = false;

namespace {

void CountPixels(const TGIFSubImage* Frame, std::vector<int>& Histogram) {
  for (int y = 0; y < Frame->Height(); ++y)
    for (int x = 0; x < Frame->Width(); ++x) {
      const uint8_t pixel = Frame->GetPixel(x, y);
      if (pixel < Histogram.size() && Histogram[pixel] < INT_MAX)
        ++Histogram[pixel];
    }
}

void MapPixels(TGIFSubImage* Frame, const std::vector<int>& Map) {
  uint8_t* pixels = Frame->Data();
  for (size_t i = 0; i < Frame->DataSize(); ++i)
    if (pixels[i] < Map.size())
      pixels[i] = static_cast<uint8_t>(Map[pixels[i]]);
  if (TGIFGraphicControlExtension* gce = Frame->GraphicControlExtension())
    if (gce->TransparentColorIndex() < Map.size())
      gce->SetTransparentColorIndex(Map[gce->TransparentColorIndex()]);
  Frame->FreeBitmap();
  Frame->FreeMask();
}

int Distance(const TGIFColor& A, const TGIFColor& B) {
  return std::abs(A.Red - B.Red) + std::abs(A.Green - B.Green) + std::abs(A.Blue - B.Blue);
}

} // namespace

// ---------------------------------------------------------------------------
// One colour table

bool TGIFGlobalColorMap::BuildHistogram(std::vector<int>& Histogram) {
  TGIFImage* image = header->Image();
  bool used = false;
  for (int i = 0; image != nullptr && i < image->Images()->GetCount(); ++i) {
    const TGIFSubImage* frame = image->Images()->SubImages(i);
    if (frame->ActiveColorMap() != this || frame->Empty())
      continue;
    CountPixels(frame, Histogram);
    used = true;
  }
  return used;
}

void TGIFGlobalColorMap::MapImages(const std::vector<int>& Map) {
  TGIFImage* image = header->Image();
  for (int i = 0; image != nullptr && i < image->Images()->GetCount(); ++i) {
    TGIFSubImage* frame = image->Images()->SubImages(i);
    if (frame->ActiveColorMap() == this && !frame->Empty())
      MapPixels(frame, Map);
  }
}

bool TGIFLocalColorMap::BuildHistogram(std::vector<int>& Histogram) {
  if (frame->Empty())
    return false;
  CountPixels(frame, Histogram);
  return true;
}

void TGIFLocalColorMap::MapImages(const std::vector<int>& Map) {
  if (!frame->Empty())
    MapPixels(frame, Map);
}

bool TGIFColorMap::Optimize() {
  if (count <= 1)
    return false;
  std::vector<int> histogram(static_cast<size_t>(count), 0);
  if (!BuildHistogram(histogram))
    return false;
  IsOptimized = true;
  std::vector<int> order(static_cast<size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return histogram[static_cast<size_t>(a)] > histogram[static_cast<size_t>(b)];
  });
  if (std::is_sorted(order.begin(), order.end()))
    return true;
  std::vector<int> map(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    map[static_cast<size_t>(order[static_cast<size_t>(i)])] = i;
  MapImages(map);
  std::vector<TGIFColor> sorted;
  for (int index : order)
    if (histogram[static_cast<size_t>(index)] > 0)
      sorted.push_back(colors[static_cast<size_t>(index)]);
  std::copy(sorted.begin(), sorted.end(), colors.begin());
  count = static_cast<int>(sorted.size());
  Changed();
  return true;
}

// ---------------------------------------------------------------------------
// The whole picture

void TGIFImage::OptimizeColorMap() {
  PaintStop();
  std::lock_guard<TCriticalSection> guard(painterLock);
  struct TUse {
    TGIFColor Color;
    int64_t Count;
  };
  std::vector<TUse> uses;
  bool anyTransparent = false;
  auto add = [&uses](const TGIFColor& Color, int Count) {
    for (TUse& use : uses)
      if (use.Color == Color) {
        use.Count = std::min<int64_t>(INT_MAX, use.Count + Count);
        return;
      }
    uses.push_back({Color, Count});
  };
  for (int i = 0; i < images->GetCount(); ++i) {
    TGIFSubImage* frame = images->SubImages(i);
    if (frame->Empty())
      continue;
    const TGIFColorMap* map = frame->ActiveColorMap();
    TGIFGraphicControlExtension* gce = frame->GraphicControlExtension();
    const int transparentIndex =
        frame->Transparent() && gce != nullptr ? gce->TransparentColorIndex() : -1;
    std::vector<int> histogram(static_cast<size_t>(map->Count()), 0);
    bool sawTransparent = false;
    for (size_t p = 0; p < frame->DataSize(); ++p) {
      const int pixel = frame->Data()[p];
      if (pixel == transparentIndex) {
        sawTransparent = true;
        continue;
      }
      if (pixel >= map->Count())
        throw GIFException(sInvalidColor);
      if (histogram[static_cast<size_t>(pixel)] < INT_MAX)
        ++histogram[static_cast<size_t>(pixel)];
    }
    if (transparentIndex >= 0 && !sawTransparent) {
      gce->SetTransparent(false);
      gce->SetTransparentColorIndex(0);
    }
    anyTransparent |= sawTransparent;
    for (int c = 0; c < map->Count(); ++c)
      if (histogram[static_cast<size_t>(c)] > 0)
        add(map->Data(c), histogram[static_cast<size_t>(c)]);
  }
  std::stable_sort(uses.begin(), uses.end(),
                   [](const TUse& a, const TUse& b) { return a.Count > b.Count; });
  const size_t keep = std::min(uses.size(), size_t{anyTransparent ? 255u : 256u});
  std::vector<TGIFColor> table;
  for (size_t i = 0; i < keep; ++i)
    table.push_back(uses[i].Color);
  auto newIndex = [&table](const TGIFColor& Color) {
    int best = 0;
    int bestDistance = INT_MAX;
    for (size_t i = 0; i < table.size(); ++i)
      if (const int d = Distance(table[i], Color); d < bestDistance) {
        bestDistance = d;
        best = static_cast<int>(i);
      }
    return best;
  };
  const int transparentIndex = anyTransparent ? static_cast<int>(table.size()) : -1;
  if (anyTransparent)
    table.push_back(TGIFColor{});
  for (int i = 0; i < images->GetCount(); ++i) {
    TGIFSubImage* frame = images->SubImages(i);
    if (frame->Empty())
      continue;
    const TGIFColorMap* map = frame->ActiveColorMap();
    TGIFGraphicControlExtension* gce = frame->GraphicControlExtension();
    const bool transparent = frame->Transparent() && gce != nullptr;
    const int oldTransparent = transparent ? gce->TransparentColorIndex() : -1;
    std::vector<int> remap(static_cast<size_t>(map->Count()));
    for (int c = 0; c < map->Count(); ++c)
      remap[static_cast<size_t>(c)] = newIndex(map->Data(c));
    for (size_t p = 0; p < frame->DataSize(); ++p) {
      uint8_t& pixel = frame->Data()[p];
      pixel = static_cast<uint8_t>(pixel == oldTransparent ? transparentIndex
                                                           : remap[static_cast<size_t>(pixel)]);
    }
    frame->FreeBitmap();
    frame->FreeMask();
  }
  for (int i = 0; i < images->GetCount(); ++i)
    images->SubImages(i)->ColorMap()->Clear();
  GlobalColorMap()->ImportColorMap(table.data(), static_cast<int>(table.size()));
  for (int i = 0; i < images->GetCount(); ++i) {
    TGIFSubImage* frame = images->SubImages(i);
    if (frame->Transparent() && frame->GraphicControlExtension() != nullptr)
      frame->GraphicControlExtension()->SetTransparentColorIndex(transparentIndex);
  }
  GlobalColorMap()->IsOptimized = true;
}

namespace {

bool UsesIndex(TGIFSubImage* Frame, int Index) {
  return std::find(Frame->Data(), Frame->Data() + Frame->DataSize(), Index) !=
         Frame->Data() + Frame->DataSize();
}

TDisposalMethod DisposalOf(const TGIFSubImage* Frame) {
  const TGIFGraphicControlExtension* gce = Frame->GraphicControlExtension();
  return gce != nullptr ? gce->Disposal() : dmNone;
}

bool Covers(const TRect& Outer, const TRect& Inner) {
  return Outer.Left <= Inner.Left && Outer.Top <= Inner.Top && Outer.Right >= Inner.Right &&
         Outer.Bottom >= Inner.Bottom;
}

// Whether Extension has no effect left worth keeping in a frame at Index of
// Count frames.
bool Removable(TGIFExtension* Extension, int Index, int Count) {
  if (dynamic_cast<TGIFCommentExtension*>(Extension) != nullptr ||
      dynamic_cast<TGIFTextExtension*>(Extension) != nullptr ||
      dynamic_cast<TGIFUnknownAppExtension*>(Extension) != nullptr)
    return true;
  if (dynamic_cast<TGIFAppExtNSLoop*>(Extension) != nullptr)
    return !(Index == 0 && Count > 1);
  const auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(Extension);
  if (gce == nullptr)
    return false;
  const bool single = Count == 1;
  return !gce->Transparent() && !gce->UserInput() && (gce->Delay() == 0 || single) &&
         (gce->Disposal() == dmNone || gce->Disposal() == dmNoDisposal || single);
}

} // namespace

void TGIFImage::Optimize(TGIFOptimizeOptions Options, TColorReduction AColorReduction, TDitherMode,
                         int) {
  if (GetEmpty())
    return;
  if (Options.Contains(ooReduceColors) && AColorReduction == rmPalette)
    throw GIFException(sInvalidReduction);
  PaintStop();
  std::lock_guard<TCriticalSection> guard(painterLock);
  Progress(this, psStarting, 0, false, TRect{}, sOptimizing);
  try {
    if (Options.Contains(ooColorMap)) {
      if (GlobalColorMap()->Count() > 0)
        GlobalColorMap()->Optimize();
      for (int i = 0; i < images->GetCount(); ++i)
        if (images->SubImages(i)->ColorMap()->Count() > 0)
          images->SubImages(i)->ColorMap()->Optimize();
    }
    Progress(this, psRunning, 20, false, TRect{}, sOptimizing);
    if (Options.Contains(ooCleanup)) {
      for (int i = 0; i < images->GetCount(); ++i) {
        TGIFSubImage* frame = images->SubImages(i);
        TGIFGraphicControlExtension* gce = frame->GraphicControlExtension();
        if (frame->Transparent() && gce != nullptr && !frame->Empty() &&
            !UsesIndex(frame, gce->TransparentColorIndex()))
          gce->SetTransparent(false);
      }
      // Only where the next opaque frame hides all of this one does leaving
      // it in place change nothing that the animation shows.
      for (int i = 0; i + 1 < images->GetCount(); ++i) {
        TGIFSubImage* frame = images->SubImages(i);
        TGIFSubImage* next = images->SubImages(i + 1);
        const TDisposalMethod disposal = DisposalOf(frame);
        if ((disposal == dmBackground || disposal == dmPrevious) && !next->Transparent() &&
            Covers(next->BoundsRect(), frame->BoundsRect()))
          frame->GraphicControlExtension()->SetDisposal(dmNone);
      }
    }
    Progress(this, psRunning, 40, false, TRect{}, sOptimizing);
    if (Options.Contains(ooMerge))
      for (int i = images->GetCount() - 1; i >= 1; --i) {
        int before = i - 1;
        while (before > 0 && DisposalOf(images->SubImages(before)) == dmPrevious)
          --before;
        images->SubImages(i)->Merge(images->SubImages(before));
      }
    Progress(this, psRunning, 60, false, TRect{}, sOptimizing);
    if (Options.Contains(ooCrop))
      for (int i = images->GetCount() - 1; i >= 0; --i) {
        TGIFSubImage* frame = images->SubImages(i);
        if (frame->Empty() || !frame->Transparent())
          continue;
        const TGIFGraphicControlExtension* gce = frame->GraphicControlExtension();
        const int delay = gce != nullptr ? gce->Delay() : 0;
        frame->Crop();
        if (!frame->Empty())
          continue;
        images->Delete(i);
        if (i > 0 && images->SubImages(i - 1)->Transparent())
          if (TGIFGraphicControlExtension* before =
                  images->SubImages(i - 1)->GraphicControlExtension())
            before->SetDelay(static_cast<uint16_t>(std::min(0xFFFF, before->Delay() + delay)));
      }
    Progress(this, psRunning, 80, false, TRect{}, sOptimizing);
    if (Options.Contains(ooCleanup))
      for (int i = images->GetCount() - 1; i >= 0; --i) {
        TGIFSubImage* frame = images->SubImages(i);
        TGIFExtensionList* list = frame->Extensions();
        for (int e = list->GetCount() - 1; e >= 0; --e)
          if (Removable(list->Extensions(e), i, images->GetCount()))
            list->Delete(e);
        if (frame->Empty() && list->GetCount() == 0)
          images->Delete(i);
      }
  } catch (...) {
    Progress(this, psEnding, 0, false, TRect{}, sOptimizing);
    throw;
  }
  FreeBitmap();
  Progress(this, psEnding, 100, false, TRect{}, sOptimizing);
  Changed(this);
}

void TGIFImage::WriteData(TStream* Stream) {
  if (GIFImageOptimizeOnStream)
    Optimize({ooCrop, ooMerge, ooCleanup, ooColorMap, ooReduceColors}, rmNone, dmNearest, 8);
  TGraphic::WriteData(Stream);
}
