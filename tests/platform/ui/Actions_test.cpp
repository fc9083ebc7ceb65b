// A control linked to an action follows it; on linking, what the control
// set itself is kept where the class library keeps it.
#include "platform/ui/Actnlist.h"
#include "tests/platform/ui/FormFixture.h"

#include <string>

namespace {

class ActionLinkTest : public FormTest {};

TEST_F(ActionLinkTest, LinkingKeepsTheControlsOwnSettingsThenEveryChangeIsFollowed) {
  TAction action(nullptr);
  action.SetCaption("Fetch");
  action.SetHint("Fetch every source now");
  struct TCase {
    const char* Name;
    AnsiString Caption, Hint;
    bool Enabled, Visible;
    AnsiString WantCaption, WantHint;
    bool WantEnabled, WantVisible;
  };
  const TCase cases[] = {
      {"nothing of its own", "", "", true, true, "Fetch", "Fetch every source now", true, true},
      {"its own caption and hint", "Go", "Mine", true, true, "Go", "Mine", true, true},
      {"disabled and hidden", "", "", false, false, "Fetch", "Fetch every source now", false,
       false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* control = Make<TCustomControl>(10, 10, 60, 20);
    control->SetCaption(c.Caption);
    control->SetHint(c.Hint);
    control->SetEnabled(c.Enabled);
    control->SetVisible(c.Visible);
    control->SetAction(&action);
    EXPECT_EQ(control->Caption(), c.WantCaption);
    EXPECT_EQ(control->Hint(), c.WantHint);
    EXPECT_EQ(control->Enabled(), c.WantEnabled);
    EXPECT_EQ(control->Visible(), c.WantVisible);
    // From here on the action decides.
    action.SetCaption("Fetch all");
    action.SetVisible(false);
    action.SetVisible(true);
    EXPECT_EQ(control->Caption(), "Fetch all");
    EXPECT_TRUE(control->Visible());
    action.SetCaption("Fetch");
    delete control;
  }
}

// A click runs OnClick when the control has one, else the action.
TEST_F(ActionLinkTest, AClickRunsOnClickOrElseTheAction) {
  TAction action(nullptr);
  int executed = 0, clicked = 0;
  action.OnExecute = [&](TObject*) { ++executed; };
  auto* control = Make<TCustomControl>(10, 10, 60, 20);
  control->SetAction(&action);
  ClickAt(control, 5, 5);
  EXPECT_EQ(executed, 1);
  control->OnClick = [&](TObject*) { ++clicked; };
  ClickAt(control, 5, 5);
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(clicked, 1);
  control->SetAction(nullptr);
}

} // namespace
