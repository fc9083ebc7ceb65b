#include "platform/ui/Perfgrph.h"

#include "platform/ui/Forms.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A 40 x 40 bar graph as the main window's statistics use it: grid 8, step 4,
// scale 100, drawn on black with a green grid.
class GraphTest : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    graph = std::make_unique<TPerformanceGraph>(nullptr);
    graph->SetBounds(0, 0, 40, 40);
    graph->SetKind(gkBar);
    graph->SetGridSize(8);
    graph->SetStepSize(4);
    graph->SetScale(100);
    graph->OnScaleChange = [this](TObject*) { scales.push_back(graph->Scale()); };
    bitmap.SetSize(40, 40);
  }

  // Paints the graph into the bitmap, as its parent would.
  void Paint() { graph->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap.Canvas()->Handle()), 0); }
  TColor At(int x, int y) { return bitmap.Canvas()->Pixels(x, y); }

  std::unique_ptr<TPerformanceGraph> graph;
  TBitmap bitmap;
  std::vector<int> scales;
};

TEST_F(GraphTest, BarsStandOnTheGridAndMoveLeftWithEachUpdate) {
  graph->DataPoint(clRed, 50);
  graph->Update();
  Paint();
  // The newest step fills x 37..39 (a pixel of gap), 50 of 100 is 20 rows.
  EXPECT_EQ(At(38, 39), clRed);
  EXPECT_EQ(At(38, 20), clRed);
  EXPECT_NE(At(38, 19), clRed);
  EXPECT_NE(At(36, 30), clRed) << "the gap between steps";
  // Horizontal grid lines every 8 rows from the bottom; vertical ones moved
  // left by one step.
  EXPECT_EQ(At(10, 31), clGreen);
  EXPECT_EQ(At(10, 30), clBlack);
  EXPECT_EQ(At(35, 2), clGreen);
  EXPECT_EQ(At(39, 2), clBlack);

  graph->Update();
  Paint();
  EXPECT_EQ(At(34, 30), clRed);
  EXPECT_NE(At(38, 30), clRed);
  EXPECT_EQ(At(31, 2), clGreen) << "the grid follows the data";
  EXPECT_TRUE(scales.empty());
}

TEST_F(GraphTest, ShorterBarsOfOneStepStayInFront) {
  graph->DataPoint(clBlue, 25);
  graph->DataPoint(clRed, 100);
  graph->DataPoint(clLime, -5); // nothing to draw
  graph->Update();
  Paint();
  EXPECT_EQ(At(38, 0), clRed);
  EXPECT_EQ(At(38, 35), clBlue);
  EXPECT_EQ(At(38, 30), clBlue);
  EXPECT_EQ(At(38, 29), clRed);
}

TEST_F(GraphTest, APointAboveTheScaleGrowsItAndTellsOnce) {
  graph->DataPoint(clRed, 100);
  EXPECT_TRUE(scales.empty()) << "the scale itself still fits";
  graph->DataPoint(clRed, 250);
  EXPECT_EQ(scales, std::vector<int>{400});
  graph->DataPoint(clRed, 300);
  EXPECT_EQ(scales, std::vector<int>{400});
  graph->Update();
  Paint();
  // The tallest, 300 of 400 on 40 rows: 30 rows.
  EXPECT_EQ(At(38, 10), clRed);
  EXPECT_NE(At(38, 9), clRed);
}

TEST_F(GraphTest, GradientFadesBarsTowardsTheBottomBelowAFullColourCap) {
  graph->SetGradient(100);
  graph->SetPenWidth(2);
  graph->SetColor(clBlack);
  graph->DataPoint(clWhite, 100);
  graph->Update();
  Paint();
  EXPECT_EQ(At(38, 0), clWhite);
  EXPECT_EQ(At(38, 1), clWhite);
  const int middle = At(38, 20) & 0xFF;
  EXPECT_GT(middle, 0x60);
  EXPECT_LT(middle, 0xA0);
  EXPECT_EQ(At(38, 39), clBlack);
}

TEST_F(GraphTest, LinesJoinThePointsOfOneColour) {
  graph->SetKind(gkLine);
  graph->SetGridSize(0);
  graph->DataPoint(clYellow, 0);
  graph->Update();
  graph->DataPoint(clYellow, 100);
  graph->Update();
  Paint();
  // From (35, 39) up to (39, 0): its middle passes x 37.
  bool found = false;
  for (int y = 10; y < 30 && !found; ++y)
    found = At(37, y) == clYellow;
  EXPECT_TRUE(found);
  EXPECT_EQ(At(10, 20), clBlack);
}

} // namespace
