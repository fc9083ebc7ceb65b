// A bitmap check box dragged by the real pointer of the test's own X server:
// onto a notebook's page, which lets the pointer through to the notebook that
// takes it, onto a control that refuses it, and cancelled with Escape.
#include "platform/ui/Forms.h"
#include "skin/Bmpctrls.h"
#include "skin/Epnote.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/support/Command.h"

#include <QApplication>
#include <QCursor>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

void Xdotool(const std::string& args) {
  ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args;
  PumpFor(150);
}

std::string MoveTo(TControl* c, int x, int y) {
  const TPoint p = c->ClientToScreen(Point(x, y));
  return "mousemove " + std::to_string(p.X) + " " + std::to_string(p.Y);
}

Qt::CursorShape CursorShown() {
  const QCursor* c = QApplication::overrideCursor();
  return c != nullptr ? c->shape() : Qt::ArrowCursor;
}

class SkinDrag : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(UseXServer());
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    Application->Initialize();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(200, 200, 420, 260);
    box = new TepBMPCheckBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(10, 10, 100, 30);
    box->SetCaption("Drag me");
    box->SetDragMode(dmAutomatic);
    box->OnStartDrag = [this](TObject*, TDragObject*&) { log.push_back("start"); };
    box->OnEndDrag = [this](TObject*, TObject* target, int x, int y) {
      log.push_back("end " + Name(target) +
                    (target != nullptr
                         ? std::string(" ") + std::to_string(x) + "," + std::to_string(y)
                         : ""));
    };
    book = new TepNoteBook(form.get());
    book->SetParent(form.get());
    book->SetBounds(150, 10, 150, 150);
    TStringList pages;
    pages.Add("First");
    book->SetPages(&pages);
    book->SetPageIndex(0);
    page = book->GetPage(0);
    book->OnDragOver = [this](TObject*, TObject* source, int, int, TDragState state, bool& accept) {
      log.push_back("book " + States(state) + " " + Name(source));
      accept = source == box;
    };
    book->OnDragDrop = [this](TObject*, TObject* source, int x, int y) {
      log.push_back("book drop " + Name(source) + " " + std::to_string(x) + "," +
                    std::to_string(y));
    };
    refuser = new TepBMPCheckBox(form.get());
    refuser->SetParent(form.get());
    refuser->SetBounds(10, 180, 100, 30);
    refuser->OnDragOver = [this](TObject*, TObject*, int, int, TDragState state, bool& accept) {
      log.push_back("refuser " + States(state));
      accept = false;
    };
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return form->Active(); }));
    PumpFor(200);
  }
  void TearDown() override {
    std::system("xdotool mouseup 1 >/dev/null 2>&1");
    form.reset();
    PumpFor(100);
  }

  static std::string States(TDragState s) {
    static const char* const names[] = {"enter", "leave", "move"};
    return names[s];
  }
  std::string Name(TObject* o) const {
    if (o == nullptr)
      return "none";
    if (o == box)
      return "box";
    if (o == book)
      return "book";
    return "other";
  }

  std::unique_ptr<TForm> form;
  TepBMPCheckBox* box = nullptr;
  TepNoteBook* book = nullptr;
  TepPage* page = nullptr;
  TepBMPCheckBox* refuser = nullptr;
  std::vector<std::string> log;
};

TEST_F(SkinDrag, ABitmapCheckBoxDropsOnANotebookPage) {
  box->SetDragCursor(crHandPoint);
  Xdotool(MoveTo(box, 20, 15) + " mousedown 1");
  EXPECT_TRUE(box->Dragging());
  Xdotool(MoveTo(page, 30, 40));
  EXPECT_EQ(CursorShown(), Qt::PointingHandCursor);
  Xdotool(MoveTo(page, 40, 50));
  Xdotool("mouseup 1");
  EXPECT_FALSE(box->Dragging());
  EXPECT_EQ(CursorShown(), Qt::ArrowCursor);
  EXPECT_EQ(log,
            (std::vector<std::string>{"start", "book enter box", "book move box", "book leave box",
                                      "book drop box 40,50", "end book 40,50"}));
  EXPECT_FALSE(box->Checked()) << "an automatic drag is no click";
}

TEST_F(SkinDrag, AControlThatRefusesGetsNoDrop) {
  Xdotool(MoveTo(box, 20, 15) + " mousedown 1");
  Xdotool(MoveTo(refuser, 30, 15));
  EXPECT_EQ(CursorShown(), Qt::ForbiddenCursor);
  Xdotool("mouseup 1");
  EXPECT_EQ(log, (std::vector<std::string>{"start", "refuser enter", "refuser leave", "end none"}));
}

TEST_F(SkinDrag, EscapeCancelsTheDrag) {
  Xdotool(MoveTo(box, 20, 15) + " mousedown 1");
  Xdotool(MoveTo(page, 30, 40));
  Xdotool("key Escape");
  EXPECT_FALSE(box->Dragging());
  EXPECT_EQ(CursorShown(), Qt::ArrowCursor);
  Xdotool("mouseup 1");
  EXPECT_EQ(log,
            (std::vector<std::string>{"start", "book enter box", "book leave box", "end none"}));
}

} // namespace
