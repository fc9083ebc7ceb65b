#pragma once
// Perfgrph: a small graph of values over time. Each Update moves the graph
// StepSize pixels to the left and shows the data points given since the last
// one at the right edge, as bars or as lines per colour, over a grid that
// scrolls along. Values are drawn against Scale, which grows (doubling) when a
// point exceeds it.
#include "platform/ui/Controls.h"

#include <cstdint>
#include <deque>
#include <vector>

enum TGraphKind { gkLine, gkBar };

class TPerformanceGraph : public TGraphicControl {
public:
  explicit TPerformanceGraph(TComponent* AOwner);
  ~TPerformanceGraph() override;

  TGraphKind Kind() const { return kind; }
  void SetKind(TGraphKind Value);
  // Pixels between grid lines; 0: no grid.
  int GridSize() const { return gridSize; }
  void SetGridSize(int Value);
  // Pixels the graph moves on each Update.
  int StepSize() const { return stepSize; }
  void SetStepSize(int Value);
  // The value at the top of the graph.
  int Scale() const { return scale; }
  void SetScale(int Value);
  // How far, in percent, a bar fades towards the background from the top of
  // the graph down to its bottom.
  int Gradient() const { return gradient; }
  void SetGradient(int Value);
  // Width of the lines, and height of the full-colour cap on each bar.
  int PenWidth() const { return penWidth; }
  void SetPenWidth(int Value);
  TColor GridColor() const { return gridColor; }
  void SetGridColor(TColor Value);

  // A value for the next step; negative values count as 0.
  void DataPoint(TColor Color, int Value);
  // Takes the points given since the last call as the newest step and
  // repaints.
  void Update() override;
  // Forgets every step.
  void Clear();

  TNotifyEvent OnScaleChange;

protected:
  void Paint() override;

private:
  struct TGraphPoint {
    TColor Color;
    int Value;
  };
  using TStep = std::vector<TGraphPoint>;

  int ValueHeight(int Value) const;
  TColor Shade(TColor Color, int Y) const;
  void PaintGrid();
  void PaintBars();
  void PaintLines();

  TGraphKind kind = gkLine;
  int gridSize = 10;
  int stepSize = 2;
  int scale = 100;
  int gradient = 0;
  int penWidth = 1;
  TColor gridColor = clGreen;

  TStep pending;
  std::deque<TStep> steps; // newest first
  uint64_t advanced = 0;   // steps taken, for the grid's scrolling
};

WT_DECLARE_META(TPerformanceGraph)
