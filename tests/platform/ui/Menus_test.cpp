// Pop-up menus: shown at a point, chosen with the keyboard as a user would,
// and raised by a right click on a control.
#include "platform/ui/Menus.h"
#include "tests/platform/ui/FormFixture.h"

namespace {

class Menus : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    menu = new TPopupMenu(form);
    menu->OnPopup = [this](TObject*) { log.push_back("popup"); };
    first = Item(menu->Items(), "&First");
    hidden = Item(menu->Items(), "Hidden");
    hidden->SetVisible(false);
    Item(menu->Items(), "-");
    sub = Item(menu->Items(), "Sort");
    inner = Item(sub, "Ascending");
  }

  TMenuItem* Item(TMenuItem* parent, const char* caption) {
    auto* item = new TMenuItem(form);
    item->SetCaption(caption);
    item->OnClick = [this, caption](TObject*) { log.push_back(caption); };
    parent->Add(item);
    return item;
  }

  TPopupMenu* menu = nullptr;
  TMenuItem *first = nullptr, *hidden = nullptr, *sub = nullptr, *inner = nullptr;
  std::vector<std::string> log;
};

TEST_F(Menus, ChosenItemClicksOnceTheMenuHasClosed) {
  TScript script({[] { SimulateKey(VK_DOWN); }, [] { SimulateKey(VK_RETURN, {}, '\r'); }});
  menu->Popup(150, 150);
  log.push_back("returned");
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "&First", "returned"}));
}

TEST_F(Menus, HiddenItemsAreLeftOutAndSubmenusOpen) {
  // Down twice passes over the hidden item and the line to the submenu.
  TScript script({[] { SimulateKey(VK_DOWN); }, [] { SimulateKey(VK_DOWN); },
                  [] { SimulateKey(VK_RIGHT); }, [] { SimulateKey(VK_RETURN, {}, '\r'); }});
  menu->Popup(150, 150);
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "Ascending"}));
}

TEST_F(Menus, EscapeChoosesNothingAndDisabledItemsDoNotClick) {
  {
    TScript script({[] { SimulateKey(VK_ESCAPE); }});
    menu->Popup(150, 150);
  }
  first->SetEnabled(false);
  first->Click();
  EXPECT_EQ(log, (std::vector<std::string>{"popup"}));
}

TEST_F(Menus, RightClickOnAControlShowsItsMenu) {
  auto* area = Make<TCustomControl>(20, 20, 80, 60);
  area->SetPopupMenu(menu);
  TScript script({[] { SimulateKey(VK_DOWN); }, [] { SimulateKey(VK_RETURN, {}, '\r'); }});
  ClickAt(area, 10, 10, mbRight);
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "&First"}));
  EXPECT_EQ(menu->PopupComponent, area);
}

TEST_F(Menus, ItemsLeaveTheirMenuWhenFreed) {
  EXPECT_EQ(menu->Items()->Count(), 4);
  EXPECT_EQ(inner->Parent(), sub);
  delete sub; // frees its own items too
  EXPECT_EQ(menu->Items()->Count(), 3);
  EXPECT_EQ(form->FindComponent("x"), nullptr);
  EXPECT_EQ(hidden->MenuIndex(), 1);
  EXPECT_THROW(menu->Items()->Add(first), EInvalidOperation);
}

} // namespace
