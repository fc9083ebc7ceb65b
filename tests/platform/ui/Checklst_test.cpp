// The check-list box: checks by mouse and keyboard, states that follow their
// items, and the check event after the selection.
#include "platform/ui/Checklst.h"
#include "tests/platform/ui/FormFixture.h"

namespace {

using CheckListBox = FormTest;

TEST_F(CheckListBox, ClickOnTheBoxSelectsThenChecksAndSpaceToggles) {
  auto* list = Make<TCheckListBox>(10, 10, 150, 100);
  list->SetItemHeight(18);
  for (const char* s : {"English",
                        "Fran\xE7"
                        "ais",
                        "Deutsch"})
    list->Items()->Add(s);
  std::vector<std::string> log;
  list->OnClickCheck = [&](TObject*) {
    log.push_back("check " + std::to_string(list->ItemIndex()) + " " +
                  (list->Checked(list->ItemIndex()) ? "on" : "off"));
  };
  list->OnClick = [&](TObject*) { log.push_back("click " + std::to_string(list->ItemIndex())); };
  const TRect second = list->ItemRect(1);
  ClickAt(list, second.Left + 5, second.Top + 5); // on the box
  EXPECT_TRUE(list->Checked(1));
  const TRect third = list->ItemRect(2);
  ClickAt(list, third.Left + 60, third.Top + 5); // on the text: selects only
  EXPECT_FALSE(list->Checked(2));
  SimulateKey(VK_SPACE, {}, ' ');
  EXPECT_TRUE(list->Checked(2));
  EXPECT_EQ(log, (std::vector<std::string>{"check 1 on", "click 1", "click 2", "check 2 on"}));
  EXPECT_EQ(list->ItemAtPos(Point(third.Left + 60, third.Top + 5)), 2);
  EXPECT_EQ(list->ItemAtPos(Point(20, 95)), -1);
}

// The sunken frame, or a flat one without the 3-D look: its top-left and
// bottom-right pixels alike, in the frame's colour, inside them the box's.
TEST_F(CheckListBox, TheFrameIsFlatWithoutCtl3D) {
  auto* list = Make<TCheckListBox>(10, 10, 150, 100);
  list->SetColor(clWhite);
  EXPECT_EQ(PixelAt(list, 0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(PixelAt(list, 149, 99), ColorToRGB(clBtnHighlight));
  form->SetCtl3D(false);
  EXPECT_FALSE(list->Ctl3D()) << "follows the form";
  for (const TPoint p : {Point(0, 0), Point(149, 99), Point(0, 99), Point(149, 0)})
    EXPECT_EQ(PixelAt(list, p.X, p.Y), ColorToRGB(clWindowFrame)) << p.X << "," << p.Y;
  EXPECT_EQ(PixelAt(list, 1, 1), ColorToRGB(clWhite));
}

TEST_F(CheckListBox, StatesFollowTheirItems) {
  auto* list = Make<TCheckListBox>(10, 10, 150, 100);
  for (const char* s : {"a", "b", "c"})
    list->Items()->Add(s);
  list->SetChecked(1, true);
  list->Items()->Delete(0);
  EXPECT_TRUE(list->Checked(0)); // "b"
  list->Items()->Insert(0, "z");
  EXPECT_FALSE(list->Checked(0));
  EXPECT_TRUE(list->Checked(1));
  list->Items()->Exchange(1, 2);
  EXPECT_TRUE(list->Checked(2));
  EXPECT_FALSE(list->Checked(1));
  EXPECT_THROW(list->SetChecked(3, true), EStringListError);
  EXPECT_FALSE(list->Checked(7));
  list->Items()->Clear();
  list->Items()->Add("new");
  EXPECT_FALSE(list->Checked(0));
  EXPECT_EQ(list->ItemIndex(), -1);
}

} // namespace
