// The font and colour dialogs: modal, answered from the keyboard, with
// timers and worker synchronisation going on while they are open.
#include "platform/rtl/Classes.h"
#include "platform/ui/Dialogs.h"
#include "tests/platform/ui/FormFixture.h"

#include <atomic>

namespace {

using Dialogs = FormTest;

class TAsker : public TThread {
public:
  std::atomic<bool> Served{false};

protected:
  void Execute() override {
    Synchronize([this] { Served = true; });
  }
};

TEST_F(Dialogs, FontDialogConfirmsWhileTimersAndSynchronisationGoOn) {
  TFontDialog dialog(form);
  dialog.Font()->SetName("DejaVu Sans");
  dialog.Font()->SetSize(10);
  dialog.Font()->SetColor(clMaroon);
  dialog.SetOptions({fdEffects, fdLimitSize});
  dialog.SetMinFontSize(7);
  dialog.SetMaxFontSize(15);
  TAsker asker;
  bool servedWhileOpen = false;
  // The key comes once the dialog's own loop has served the worker's call,
  // however long a loaded machine takes to run the worker; after half a
  // minute it comes all the same, so that the test fails instead of hanging.
  int polls = 0;
  TTimer confirm(nullptr);
  confirm.SetEnabled(false);
  confirm.SetInterval(50);
  confirm.SetOnTimer([&](TObject*) {
    if (!asker.Served && ++polls < 600)
      return;
    confirm.SetEnabled(false);
    servedWhileOpen = asker.Served;
    SimulateKey(VK_RETURN, {}, '\r');
  });
  TScript script({[&] {
    asker.Start();
    confirm.SetEnabled(true);
  }});
  EXPECT_TRUE(dialog.Execute());
  asker.WaitFor();
  EXPECT_TRUE(servedWhileOpen);
  EXPECT_EQ(script.Done, 1);
  EXPECT_EQ(dialog.Font()->Size(), 10);
  EXPECT_EQ(dialog.Font()->Color(), clMaroon);
  EXPECT_FALSE(dialog.Font()->Name().empty());
}

TEST_F(Dialogs, FontDialogRefusesASizeOutsideItsLimits) {
  TFontDialog dialog(form);
  dialog.Font()->SetSize(30);
  dialog.SetOptions({fdLimitSize});
  dialog.SetMinFontSize(7);
  dialog.SetMaxFontSize(15);
  // OK brings the refusal; its box closes; the dialog is still there to cancel.
  TScript script({[] { SimulateKey(VK_RETURN, {}, '\r'); },
                  [] { SimulateKey(VK_RETURN, {}, '\r'); }, [] { SimulateKey(VK_ESCAPE); }});
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(script.Done, 3);
  EXPECT_EQ(dialog.Font()->Size(), 30);
  EXPECT_EQ(FontSizeRangeMessage(7, 15), "Size must be between 7 and 15 points.");
}

TEST_F(Dialogs, ColorDialogKeepsTheColourOnCancelAndReturnsItOnOk) {
  TColorDialog dialog(form);
  dialog.SetColor(clTeal);
  {
    TScript script({[] { SimulateKey(VK_ESCAPE); }});
    EXPECT_FALSE(dialog.Execute());
  }
  EXPECT_EQ(dialog.Color(), clTeal);
  TScript script({[] {}, [] { SimulateKey(VK_RETURN, {}, '\r'); }});
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(ColorToRGB(dialog.Color()), ColorToRGB(clTeal));
  EXPECT_EQ(script.Done, 2);
}

} // namespace
