#include "platform/rtl/Messages.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Timers.h"
#include "platform/ui/WindowImpl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <string>
#include <vector>

namespace {

// Answers the box that is up when the timer ticks, keeping its title and text.
struct TBoxReader {
  TTimer Timer{nullptr};
  QString Title, Text;
  TBoxReader() {
    Timer.SetInterval(20);
    Timer.SetOnTimer([this](TObject*) {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr)
        return;
      Title = box->windowTitle();
      Text = box->text();
      box->accept();
    });
  }
};

TEST(Application, AnUnhandledExceptionIsShownInTheStandardBox) {
  Application->Initialize();
  TBoxReader reader;
  Application->Title = "Caf\xE9";
  try {
    throw Exception("Invalid <value> \x80 5 \xD0\x9D\xD0\xBE");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  Application->Title.clear();
  EXPECT_EQ(reader.Title, QString::fromUtf8("Café"));
  EXPECT_EQ(reader.Text, QString::fromUtf8("Invalid <value> € 5 Но.")) << "plain text, not markup";
}

TEST(Application, OkBoxAnswersOk) {
  Application->Initialize();
  TBoxReader reader;
  EXPECT_EQ(Application->MessageBox("Saved", "Note"), IDOK);
  EXPECT_EQ(reader.Text, "Saved");
  EXPECT_EQ(reader.Title, "Note");
}

TEST(Application, OnIdleRunsWhenNothingWaits) {
  Application->Initialize();
  int idle = 0;
  Application->OnIdle = [&](TObject*, bool& done) {
    ++idle;
    done = false; // ask to be called again instead of sleeping
  };
  for (int i = 0; i < 50 && idle < 2; ++i)
    Application->HandleMessage();
  Application->OnIdle = nullptr;
  EXPECT_GE(idle, 2);
}

TEST(Screen, MonitorsCoverTheScreen) {
  Application->Initialize();
  ASSERT_GE(Screen->MonitorCount(), 1);
  const TMonitor first = Screen->Monitors(0);
  EXPECT_GT(first.Width(), 0);
  EXPECT_GT(first.Height(), 0);
  EXPECT_EQ(Screen->MonitorFromPoint(Point(first.Left(), first.Top())).MonitorNum, 0);
  EXPECT_EQ(Screen->MonitorFromPoint(Point(-100000, -100000)).MonitorNum, -1);
  EXPECT_THROW(Screen->Monitors(Screen->MonitorCount()), EInvalidOperation);
  EXPECT_THROW(Screen->Monitors(-1), EInvalidOperation);
}

} // namespace

namespace {

TEST(Forms, ResizeHideStayOnTopAndMinimise) {
  Application->Initialize();
  TForm form(nullptr);
  form.SetBounds(500, 300, 120, 80);
  std::vector<std::string> log;
  form.OnResize = [&](TObject*) { log.push_back("resize"); };
  form.OnShow = [&](TObject*) { log.push_back("show"); };
  form.OnHide = [&](TObject*) { log.push_back("hide"); };
  form.Show();
  form.SetBounds(510, 300, 120, 80); // moved only
  form.SetBounds(510, 300, 140, 80);
  form.SetFormStyle(fsStayOnTop);
  auto* widget = static_cast<QWidget*>(form.Impl()->Native());
  EXPECT_TRUE(widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(form.Visible()) << "the window made anew keeps showing";
  EXPECT_FALSE(widget->isHidden());
  Application->Minimize();
  EXPECT_EQ(form.WindowState(), wsMinimized);
  Application->Restore();
  EXPECT_EQ(form.WindowState(), wsNormal);
  form.Hide();
  EXPECT_EQ(log, (std::vector<std::string>{"show", "resize", "hide"}));
}

} // namespace

namespace {

// A modal form's OnCloseQuery and OnClose may keep it up; the loop goes on
// until a close is let through.
TEST(Forms, AModalCloseMayBeRefusedByQueryOrOnClose) {
  Application->Initialize();
  TForm dialog(nullptr);
  dialog.SetBounds(500, 300, 100, 60);
  TTimer closer(nullptr);
  closer.SetInterval(10);
  closer.SetOnTimer([&](TObject*) { dialog.ModalResult = mrOk; });
  std::vector<std::string> log;
  dialog.OnCloseQuery = [&](TObject*, bool& can) {
    log.push_back("query");
    can = log.size() > 1;
  };
  dialog.OnClose = [&](TObject*, TCloseAction& action) {
    log.push_back("close");
    action = log.size() > 3 ? caHide : caNone;
  };
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(log, (std::vector<std::string>{"query", "query", "close", "query", "close"}));
  EXPECT_FALSE(dialog.Visible());
}

} // namespace
