// The bitmap check box follows its action (caption, check state, and the
// action list's image as its glyph when it has none), and a layout stores
// its drag mode, its action and a notebook's flat look, and reads them back.
#include "platform/ui/Actnlist.h"
#include "platform/ui/Layout.h"
#include "skin/Bmpctrls.h"
#include "skin/Epnote.h"
#include "tests/platform/ui/FormFixture.h"

#include "platform/ui/Timers.h"

#include <string>

namespace {

class ActionTest : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    images = new TImageList(form);
    images->SetWidth(8);
    images->SetHeight(6);
    TBitmap picture;
    picture.SetSize(4, 3);
    picture.Canvas()->Brush()->SetColor(clLime);
    picture.Canvas()->FillRect(Rect(0, 0, 4, 3));
    images->Add(&picture);
    list = new TActionList(form);
    list->SetImages(images);
    action = new TAction(form);
    action->SetActionList(list);
    action->SetCaption("Pause");
    box = Make<TepBMPCheckBox>(10, 10, 100, 30);
  }

  TImageList* images = nullptr;
  TActionList* list = nullptr;
  TAction* action = nullptr;
  TepBMPCheckBox* box = nullptr;
};

TEST_F(ActionTest, TheCheckBoxFollowsItsActionsCheckStateAndCaption) {
  action->SetChecked(true);
  box->SetAction(action);
  EXPECT_EQ(box->Caption(), "Pause");
  EXPECT_TRUE(box->Checked());
  // The action toggles the box, and the box follows every later change.
  action->SetChecked(false);
  EXPECT_FALSE(box->Checked());
  action->SetCaption("Play");
  action->SetEnabled(false);
  EXPECT_EQ(box->Caption(), "Play");
  EXPECT_FALSE(box->Enabled());
  // Unlinked, it no longer follows.
  box->SetAction(nullptr);
  action->SetChecked(true);
  EXPECT_FALSE(box->Checked());
}

TEST_F(ActionTest, AnEmptyCheckGlyphTakesTheActionsImage) {
  action->SetImageIndex(0);
  box->SetAction(action);
  TBitmap* glyph = box->CheckGlyph();
  ASSERT_EQ(glyph->Width(), 8);
  ASSERT_EQ(glyph->Height(), 6);
  EXPECT_EQ(ColorToRGB(glyph->Canvas()->Pixels(1, 1)), ColorToRGB(clLime)) << "the image at (0, 0)";
  EXPECT_EQ(ColorToRGB(glyph->Canvas()->Pixels(6, 4)), ColorToRGB(clFuchsia))
      << "the rest transparent";

  // A glyph of its own is kept, and an index outside the list gives none.
  TepBMPCheckBox* own = Make<TepBMPCheckBox>(10, 50, 100, 30);
  TBitmap mine;
  mine.SetSize(20, 10);
  own->SetCheckGlyph(&mine);
  own->SetAction(action);
  EXPECT_EQ(own->CheckGlyph()->Width(), 20);
  TepBMPCheckBox* outside = Make<TepBMPCheckBox>(10, 90, 100, 30);
  action->SetImageIndex(1);
  outside->SetAction(action);
  EXPECT_TRUE(outside->CheckGlyph()->Empty());
}

// A click without OnClick executes the action and toggles the box as any
// click does; the idle loop updates the action.
TEST_F(ActionTest, AClickExecutesTheActionAndIdleUpdatesIt) {
  int executed = 0, updated = 0;
  action->OnExecute = [&](TObject*) { ++executed; };
  action->OnUpdate = [&](TObject*) { ++updated; };
  box->SetAction(action);
  SimulateMouseMove(At(box, 5, 5));
  ClickAt(box, 5, 5);
  EXPECT_EQ(executed, 1);
  EXPECT_TRUE(box->Checked());
  TTimer wake(nullptr);
  wake.SetInterval(10);
  wake.SetOnTimer([](TObject*) {});
  for (int i = 0; i < 50 && updated == 0; ++i)
    Application->HandleMessage();
  EXPECT_GT(updated, 0);
  delete action;
  action = nullptr;
  EXPECT_EQ(box->Action(), nullptr) << "a freed action is forgotten";
}

const char* const kLayout = R"(object frmDrag: TForm
  Width = 300
  Height = 200
  object imgs: TImageList
    Width = 8
    Height = 6
  end
  object acts: TActionList
    Images = imgs
    object actPause: TAction
      Caption = 'Pause'
      Checked = True
      ImageIndex = 0
    end
  end
  object chkPause: TepBMPCheckBox
    Left = 10
    Top = 10
    Width = 100
    Height = 30
    Action = actPause
    DragMode = dmAutomatic
    DragCursor = crHandPoint
  end
  object nbPages: TepNoteBook
    Left = 120
    Top = 10
    Width = 150
    Height = 150
    Ctl3D = False
  end
end
)";

TEST_F(ActionTest, ALayoutKeepsDragModeActionAndCtl3D) {
  TForm loaded(nullptr);
  ReadComponentLayout(&loaded, kLayout, "drag");
  auto* box = dynamic_cast<TepBMPCheckBox*>(loaded.FindComponent("chkPause"));
  auto* book = dynamic_cast<TepNoteBook*>(loaded.FindComponent("nbPages"));
  auto* pause = dynamic_cast<TAction*>(loaded.FindComponent("actPause"));
  ASSERT_TRUE(box && book && pause);
  EXPECT_EQ(box->DragMode(), dmAutomatic);
  EXPECT_EQ(box->DragCursor(), crHandPoint);
  EXPECT_EQ(box->Action(), pause);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(box->Caption(), "Pause");
  EXPECT_EQ(pause->ActionList(), loaded.FindComponent("acts"));
  EXPECT_FALSE(book->Ctl3D());
  EXPECT_FALSE(book->ParentCtl3D());

  const AnsiString written = WriteComponentLayout(&loaded);
  for (const char* line :
       {"DragMode = dmAutomatic", "DragCursor = crHandPoint", "Action = actPause", "Ctl3D = False",
        "ParentCtl3D = False", "Images = imgs", "ImageIndex = 0"})
    EXPECT_NE(written.find(line), AnsiString::npos) << line << " in\n" << written;
  EXPECT_LT(written.find("object acts"), written.find("object actPause")) << "nested in its list";
  TForm again(nullptr);
  ReadComponentLayout(&again, written, "again");
  EXPECT_EQ(WriteComponentLayout(&again), written);
}

// The 3-D look follows the parent while ParentCtl3D holds.
TEST_F(ActionTest, ParentCtl3DFollowsTheParent) {
  auto* book = Make<TepNoteBook>(120, 10, 150, 150);
  EXPECT_TRUE(book->Ctl3D());
  EXPECT_TRUE(book->ParentCtl3D());
  form->SetCtl3D(false);
  EXPECT_FALSE(book->Ctl3D());
  book->SetCtl3D(true);
  EXPECT_FALSE(book->ParentCtl3D());
  form->SetCtl3D(true);
  form->SetCtl3D(false);
  EXPECT_TRUE(book->Ctl3D()) << "no longer following";
  book->SetParentCtl3D(true);
  EXPECT_FALSE(book->Ctl3D());
}

} // namespace
