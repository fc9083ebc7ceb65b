#include "platform/ui/Perfgrph.h"

#include <algorithm>

TPerformanceGraph::TPerformanceGraph(TComponent* AOwner) : TGraphicControl(AOwner) {
  ControlStyle << csOpaque;
  SetColor(clBlack);
  SetBounds(0, 0, 120, 60);
}

TPerformanceGraph::~TPerformanceGraph() {
  Destroying();
}

void TPerformanceGraph::SetKind(TGraphKind Value) {
  kind = Value;
  Invalidate();
}

void TPerformanceGraph::SetGridSize(int Value) {
  gridSize = std::max(0, Value);
  Invalidate();
}

void TPerformanceGraph::SetStepSize(int Value) {
  stepSize = std::max(1, Value);
  Invalidate();
}

void TPerformanceGraph::SetScale(int Value) {
  scale = std::max(1, Value);
  Invalidate();
}

void TPerformanceGraph::SetGradient(int Value) {
  gradient = std::clamp(Value, 0, 100);
  Invalidate();
}

void TPerformanceGraph::SetPenWidth(int Value) {
  penWidth = std::max(1, Value);
  Invalidate();
}

void TPerformanceGraph::SetGridColor(TColor Value) {
  gridColor = Value;
  Invalidate();
}

void TPerformanceGraph::DataPoint(TColor Color, int Value) {
  Value = std::max(0, Value);
  pending.push_back(TGraphPoint{Color, Value});
  if (Value <= scale)
    return;
  int grown = scale;
  while (grown < Value && grown <= INT32_MAX / 2)
    grown *= 2;
  SetScale(std::max(grown, Value));
  if (OnScaleChange)
    OnScaleChange(this);
}

void TPerformanceGraph::Update() {
  steps.push_front(std::move(pending));
  pending.clear();
  ++advanced;
  // Only what can still show is kept.
  const size_t room = static_cast<size_t>(Width() / stepSize + 2);
  while (steps.size() > room)
    steps.pop_back();
  Invalidate();
  TGraphicControl::Update();
}

void TPerformanceGraph::Clear() {
  steps.clear();
  pending.clear();
  Invalidate();
}

int TPerformanceGraph::ValueHeight(int Value) const {
  const int64_t h = static_cast<int64_t>(Value) * Height() / scale;
  return static_cast<int>(std::min<int64_t>(h, Height()));
}

// The colour faded towards the background by the share of the gradient that
// row Y lies down the graph.
TColor TPerformanceGraph::Shade(TColor Color, int Y) const {
  const TColor from = ColorToRGB(Color), to = ColorToRGB(this->Color());
  const int64_t weight = static_cast<int64_t>(gradient) * Y;
  const int64_t whole = 100 * static_cast<int64_t>(std::max(1, Height() - 1));
  auto mix = [&](int shift) {
    const int64_t a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
    return static_cast<TColor>((a + (b - a) * weight / whole) << shift);
  };
  return mix(0) | mix(8) | mix(16);
}

void TPerformanceGraph::PaintGrid() {
  if (gridSize <= 0)
    return;
  TCanvas* c = Canvas();
  const int w = Width(), h = Height();
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(gridColor);
  for (int y = h - 1; y >= 0; y -= gridSize) {
    c->MoveTo(0, y);
    c->LineTo(w, y);
  }
  // Vertical lines move with the data.
  const int shift = static_cast<int>((advanced * static_cast<uint64_t>(stepSize)) %
                                     static_cast<uint64_t>(gridSize));
  for (int x = w - 1 - shift; x >= 0; x -= gridSize) {
    c->MoveTo(x, 0);
    c->LineTo(x, h);
  }
}

void TPerformanceGraph::PaintBars() {
  TCanvas* c = Canvas();
  const int w = Width(), h = Height();
  const int gap = stepSize > 2 ? 1 : 0;
  c->Brush()->SetStyle(bsSolid);
  for (size_t i = 0; i < steps.size(); ++i) {
    const int right = w - static_cast<int>(i) * stepSize;
    const int left = right - stepSize + gap;
    if (right <= 0)
      break;
    // The tallest first, so that the shorter ones stay in sight before it.
    TStep points = steps[i];
    std::stable_sort(points.begin(), points.end(),
                     [](const TGraphPoint& a, const TGraphPoint& b) { return a.Value > b.Value; });
    for (const TGraphPoint& p : points) {
      const int top = h - ValueHeight(p.Value);
      for (int y = top; y < h; ++y) {
        c->Brush()->SetColor(y < top + penWidth ? p.Color : Shade(p.Color, y));
        c->FillRect(Rect(left, y, right, y + 1));
      }
    }
  }
}

void TPerformanceGraph::PaintLines() {
  TCanvas* c = Canvas();
  const int w = Width(), h = Height();
  c->Pen()->SetWidth(penWidth);
  // Each point joins the point of its colour in the step before, if any.
  for (size_t i = 0; i + 1 < steps.size(); ++i) {
    const int x = w - 1 - static_cast<int>(i) * stepSize;
    if (x + stepSize < 0)
      break;
    for (const TGraphPoint& p : steps[i]) {
      auto older = std::find_if(steps[i + 1].begin(), steps[i + 1].end(),
                                [&](const TGraphPoint& q) { return q.Color == p.Color; });
      if (older == steps[i + 1].end())
        continue;
      c->Pen()->SetColor(p.Color);
      c->MoveTo(x - stepSize, std::max(0, h - 1 - ValueHeight(older->Value)));
      c->LineTo(x, std::max(0, h - 1 - ValueHeight(p.Value)));
    }
  }
}

void TPerformanceGraph::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(Rect(0, 0, Width(), Height()));
  PaintGrid();
  if (kind == gkBar)
    PaintBars();
  else
    PaintLines();
}

namespace {

[[maybe_unused]] const bool graphKindIdents =
    RegisterEnum<TGraphKind>({{"gkLine", gkLine}, {"gkBar", gkBar}});

} // namespace

WT_PUBLISH(TPerformanceGraph, TGraphicControl) {
  p.Property("Kind", &TPerformanceGraph::Kind, &TPerformanceGraph::SetKind).Default(gkLine);
  p.Property("GridSize", &TPerformanceGraph::GridSize, &TPerformanceGraph::SetGridSize).Default(10);
  p.Property("StepSize", &TPerformanceGraph::StepSize, &TPerformanceGraph::SetStepSize).Default(2);
  p.Property("Scale", &TPerformanceGraph::Scale, &TPerformanceGraph::SetScale).Default(100);
  p.Property("Gradient", &TPerformanceGraph::Gradient, &TPerformanceGraph::SetGradient).Default(0);
  p.Property("PenWidth", &TPerformanceGraph::PenWidth, &TPerformanceGraph::SetPenWidth).Default(1);
  p.Color("GridColor", &TPerformanceGraph::GridColor, &TPerformanceGraph::SetGridColor);
  p.Event("OnScaleChange", &TPerformanceGraph::OnScaleChange);
}
