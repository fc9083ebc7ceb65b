#include "tests/platform/ui/DemoControls.h"

#include "platform/ui/Synthetic.h"
#include "tests/platform/ui/FormFixture.h"

#include <gtest/gtest.h>

namespace {

TEST(DemoLayout, LoadsFromTheEmbeddedLayout) {
  Application->Initialize();
  TDemoForm* form = nullptr;
  Application->CreateForm(form);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Created, 1); // OnCreate once the constructor is done
  EXPECT_EQ(form->ClientWidth(), 560);
  EXPECT_EQ(form->BorderStyle(), bsNone);
  ASSERT_NE(form->okButton, nullptr);
  // Nesting gives the parent; every component belongs to the form.
  EXPECT_EQ(form->okButton->Parent(), form->panel);
  EXPECT_EQ(form->okButton->Owner(), form);
  EXPECT_EQ(form->badge->Parent(), form);
  EXPECT_EQ(form->badge->Buddy, form->okButton);
  EXPECT_EQ(form->ticker->Interval(), 250u);
  // Fonts: an own property stops inheriting; the rest follow the parent.
  EXPECT_EQ(form->title->Font()->Height(), -14);
  EXPECT_TRUE(form->title->Font()->Style().Contains(fsBold));
  EXPECT_EQ(form->hint->Font()->Name(), "DejaVu Sans");
  EXPECT_EQ(form->hint->Font()->Height(), -12);
  form->Font()->SetHeight(-20);
  EXPECT_EQ(form->hint->Font()->Height(), -20);
  EXPECT_EQ(form->title->Font()->Height(), -14);
  // The grid and the graph with what the layout gives them.
  ASSERT_NE(form->newsGrid, nullptr);
  EXPECT_EQ(form->newsGrid->ColCount(), 3);
  EXPECT_EQ(form->newsGrid->FixedCols(), 0);
  EXPECT_EQ(form->newsGrid->FixedRows(), 1);
  EXPECT_EQ(form->newsGrid->RowCount(), 20);
  EXPECT_EQ(form->newsGrid->ColWidths(2), 120);
  EXPECT_TRUE(form->newsGrid->Options().Contains(goRowSelect));
  EXPECT_FALSE(form->newsGrid->Options().Contains(goRangeSelect));
  EXPECT_EQ(form->newsGrid->ScrollBars(), ssVertical);
  ASSERT_NE(form->perf, nullptr);
  EXPECT_EQ(form->perf->Kind(), gkBar);
  EXPECT_EQ(form->perf->Gradient(), 100);
  form->perf->DataPoint(clRed, 150);
  EXPECT_EQ(form->ScaleChanges, 1);
  EXPECT_EQ(form->perf->Scale(), 200);
  // Tab order follows the layout's order.
  EXPECT_EQ(form->okButton->TabOrder(), 0);
  EXPECT_EQ(form->cancelButton->TabOrder(), 1);

  form->Show();
  Application->ProcessMessages();
  const TPoint ok = form->okButton->ClientToScreen(Point(10, 10));
  SimulateMouseDown(ok, mbLeft);
  SimulateMouseUp(ok, mbLeft);
  EXPECT_EQ(form->Clicks, std::vector<TObject*>{form->okButton});
  const TPoint cancel = form->cancelButton->ClientToScreen(Point(10, 10));
  SimulateMouseDown(cancel, mbLeft); // disabled: no click
  SimulateMouseUp(cancel, mbLeft);
  EXPECT_EQ(form->Clicks.size(), 1u);
  delete form;
}

// The standard controls from the same layout: items, sheets, the stored
// active sheet, and a menu tree that a right click on the panel shows.
TEST(DemoLayout, StandardControlsComeFromTheLayout) {
  Application->Initialize();
  auto* form = new TDemoForm(nullptr);
  ASSERT_EQ(form->languages->Items()->Count(), 3);
  EXPECT_EQ(form->languages->Items()->Strings(1), "Fran\xE7"
                                                  "ais");
  ASSERT_EQ(form->pages->PageCount(), 2);
  EXPECT_EQ(form->pages->ActivePage(), form->secondSheet);
  EXPECT_FALSE(form->firstSheet->Visible());
  EXPECT_EQ(form->sheetEdit->Parent(), form->secondSheet);
  EXPECT_EQ(form->sheetEdit->MaxLength(), 20);
  EXPECT_EQ(form->sheetEdit->Text(), "Edit me");
  ASSERT_EQ(form->menu->Items()->Count(), 2);
  EXPECT_EQ(form->menuInner->Parent()->Parent(), form->menu->Items());
  EXPECT_EQ(form->panel->PopupMenu(), form->menu);

  form->Show();
  Application->ProcessMessages();
  const TRect box = form->languages->ItemRect(0);
  const TPoint check = form->languages->ClientToScreen(Point(box.Left + 6, box.Top + 6));
  SimulateMouseDown(check, mbLeft);
  SimulateMouseUp(check, mbLeft);
  EXPECT_TRUE(form->languages->Checked(0));
  // Down to "More", into it, and choose "Inner".
  TScript keys({[] { SimulateKey(VK_DOWN); }, [] { SimulateKey(VK_DOWN); },
                [] { SimulateKey(VK_RIGHT); }, [] { SimulateKey(VK_RETURN, {}, '\r'); }});
  const TPoint onPanel = form->panel->ClientToScreen(Point(100, 120));
  SimulateMouseDown(onPanel, mbRight);
  SimulateMouseUp(onPanel, mbRight);
  EXPECT_EQ(form->Clicks, (std::vector<TObject*>{form->languages, form->menuInner}));
  delete form;
}

} // namespace
