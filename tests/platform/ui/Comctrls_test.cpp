// The page control: one sheet shown at a time, changed by its tabs.
#include "platform/ui/Comctrls.h"
#include "platform/ui/Stdctrls.h"
#include "tests/platform/ui/FormFixture.h"

namespace {

using PageControl = FormTest;

TEST_F(PageControl, TabsShowOneSheetAtATime) {
  auto* pages = Make<TPageControl>(10, 10, 260, 180);
  auto* general = new TTabSheet(form);
  general->SetPageControl(pages);
  general->SetCaption("General");
  auto* timers = new TTabSheet(form);
  timers->SetPageControl(pages);
  timers->SetCaption("Timers");
  auto* onTimers = Make<TButton>(5, 5, 60, 22, timers);
  int changes = 0;
  pages->OnChange = [&](TObject*) { ++changes; };
  Pump();

  ASSERT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->ActivePage(), general);
  EXPECT_TRUE(general->Showing());
  EXPECT_FALSE(onTimers->Showing());
  EXPECT_EQ(general->BoundsRect(), pages->DisplayRect());

  const TRect tab = pages->TabRect(1);
  ASSERT_GT(tab.Width(), 0);
  EXPECT_EQ(pages->IndexOfTabAt(tab.Left + 3, tab.Top + 3), 1);
  ClickAt(pages, tab.Left + 3, tab.Top + 3);
  EXPECT_EQ(pages->ActivePage(), timers);
  EXPECT_TRUE(onTimers->Showing());
  EXPECT_FALSE(general->Visible());
  EXPECT_EQ(timers->BoundsRect(), pages->DisplayRect());
  EXPECT_EQ(changes, 1);
  // Clicking the shown tab again, or choosing by program, is no change.
  ClickAt(pages, tab.Left + 3, tab.Top + 3);
  pages->SetActivePageIndex(0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(pages->ActivePageIndex(), 0);
  // The keyboard wraps around.
  SimulateKey(VK_LEFT);
  EXPECT_EQ(pages->ActivePage(), timers);
  EXPECT_EQ(changes, 2);
  // A sheet that goes away leaves a neighbour shown.
  delete timers;
  EXPECT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(pages->ActivePage(), general);
  EXPECT_TRUE(general->Visible());
}

} // namespace
