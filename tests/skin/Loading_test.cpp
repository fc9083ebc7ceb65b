// Controls read from a stored layout tell none of their change handlers
// about the values the layout gives them, even when the layout names the
// handler before the value; once loaded, the same handlers hear every change.
#include "platform/ui/Forms.h"
#include "platform/ui/Layout.h"
#include "skin/Anictrls.h"
#include "skin/Bmpctrls.h"
#include "skin/Bmslider.h"
#include "skin/Epctrls.h"
#include "tests/platform/ui/FormFixture.h"

#include <string>
#include <vector>

namespace {

class TLoadingForm : public TForm {
public:
  explicit TLoadingForm(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<AnsiString> Told;
  void Heard(TObject* Sender) { Told.push_back(static_cast<TComponent*>(Sender)->Name()); }
};

} // namespace

WT_DECLARE_META(TLoadingForm)
WT_PUBLISH(TLoadingForm, TForm) {
  p.Method("Heard", &TLoadingForm::Heard);
}

namespace {

// Every handler comes before the value it would hear of.
const char* const kLayout = R"(object frmLoading: TLoadingForm
  Width = 300
  Height = 200
  object sldSpeed: TepBMPSlider
    Width = 150
    Height = 19
    OnChange = Heard
    Increment = 5
    MinValue = 10
    Value = 40
    MaxValue = 200
  end
  object swBmp: TepBMPSwitch
    OnOn = Heard
    OnOff = Heard
    State = sOff
  end
  object swRocker: TepSwitch
    OnOn = Heard
    OnOff = Heard
    State = sOn
  end
  object runTicker: TepRunStr
    OnStart = Heard
    Caption = 'News'
    Active = True
  end
  object runPanel: TepRunPanel
    OnStart = Heard
    Active = True
  end
end
)";

class LoadingTest : public FormTest {};

TEST_F(LoadingTest, ALayoutBeingReadTellsNoHandler) {
  TLoadingForm loaded(nullptr);
  ReadComponentLayout(&loaded, kLayout, "loading");
  Pump();
  EXPECT_EQ(loaded.Told, std::vector<AnsiString>{});

  auto* slider = dynamic_cast<TepBMPSlider*>(loaded.FindComponent("sldSpeed"));
  auto* bmpSwitch = dynamic_cast<TepBMPSwitch*>(loaded.FindComponent("swBmp"));
  auto* rocker = dynamic_cast<TepSwitch*>(loaded.FindComponent("swRocker"));
  auto* ticker = dynamic_cast<TepRunStr*>(loaded.FindComponent("runTicker"));
  auto* panel = dynamic_cast<TepRunPanel*>(loaded.FindComponent("runPanel"));
  ASSERT_TRUE(slider && bmpSwitch && rocker && ticker && panel);
  // The values themselves arrive.
  EXPECT_EQ(slider->Value(), 40);
  EXPECT_EQ(bmpSwitch->State(), sOff);
  EXPECT_EQ(rocker->State(), Epctrls::sOn);
  EXPECT_TRUE(ticker->Active());
  EXPECT_TRUE(panel->Active());

  // After loading the same handlers hear every change.
  slider->SetValue(60);
  bmpSwitch->SetState(sOn);
  rocker->SetState(Epctrls::sOff);
  ticker->SetActive(false);
  ticker->SetActive(true);
  EXPECT_EQ(loaded.Told, (std::vector<AnsiString>{"sldSpeed", "swBmp", "swRocker", "runTicker"}));
}

} // namespace
