// One key stroke is one OnKeyDown and one OnKeyPress, on the focused control
// (and on the form before it when the form previews keys), whether the
// control draws itself or a toolkit editor does its editing.
#include "tests/platform/ui/FormFixture.h"

#include "platform/ui/Grids.h"
#include "platform/ui/Stdctrls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace {

struct TStroke {
  const char* Name;
  uint16_t Key;
  char Char;
};

const TStroke Strokes[] = {
    {"Return", VK_RETURN, '\r'}, {"Escape", VK_ESCAPE, '\x1b'}, {"letter", 'A', 'a'}};

class KeyRouting : public FormTest {
protected:
  // Logs every key-down and key-press the control and the form see.
  void Watch(TWinControl* c) {
    c->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
      log.push_back("down " + std::to_string(key));
    };
    c->OnKeyPress = [this](TObject*, char& key) { log.push_back("press " + std::to_string(key)); };
    form->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
      log.push_back("form down " + std::to_string(key));
    };
    form->OnKeyPress = [this](TObject*, char& key) {
      log.push_back("form press " + std::to_string(key));
    };
  }

  // The log of one stroke of each key on the focused control.
  void ExpectOncePerStroke(TWinControl* c, bool preview) {
    form->KeyPreview = preview;
    Watch(c);
    form->FocusControl(c);
    Pump();
    ASSERT_TRUE(c->Focused());
    for (const TStroke& s : Strokes) {
      log.clear();
      SimulateKey(s.Key, {}, s.Char);
      Pump();
      std::vector<std::string> expected;
      if (preview)
        expected.push_back("form down " + std::to_string(s.Key));
      expected.push_back("down " + std::to_string(s.Key));
      if (preview)
        expected.push_back("form press " + std::to_string(s.Char));
      expected.push_back("press " + std::to_string(s.Char));
      EXPECT_EQ(log, expected) << s.Name;
    }
  }

  std::vector<std::string> log;
};

// An edit has a toolkit editor that leaves Return and Escape to its parent;
// a grid draws itself.
TEST_F(KeyRouting, EachKeyOnceOnAnEditOrAGridWithOrWithoutKeyPreview) {
  const std::vector<std::pair<const char*, std::function<TWinControl*()>>> controls = {
      {"edit", [this] { return Make<TEdit>(10, 10, 150, 22); }},
      {"grid", [this] { return Make<TStringGrid>(10, 10, 200, 120); }}};
  for (const auto& [name, make] : controls)
    for (bool preview : {false, true}) {
      SCOPED_TRACE(std::string(name) + (preview ? " with key preview" : ""));
      TWinControl* c = make();
      ExpectOncePerStroke(c, preview);
      delete c;
    }
}

// A key-press handler that swallows the key leaves the editor's text alone;
// one that changes it types the new character, once.
TEST_F(KeyRouting, AnEditTypesWhatItsKeyPressLeaves) {
  auto* edit = Make<TEdit>(10, 10, 150, 22);
  int presses = 0;
  edit->OnKeyPress = [&](TObject*, char& key) {
    ++presses;
    if (key == 'x')
      key = 0;
    else if (key == 'a')
      key = 'b';
  };
  form->FocusControl(edit);
  Pump();
  Type("axa");
  EXPECT_EQ(edit->Text(), "bb");
  EXPECT_EQ(presses, 3);
}

// Keys of other scripts and accented keys are told by their place, as the
// platform names keys, so they have a key down like any letter: the filter
// box's prompt goes at the first Cyrillic or French letter typed.
TEST_F(KeyRouting, KeysOfOtherScriptsHaveAKeyDownByTheirPlace) {
  struct TForeignKey {
    const char* Name;
    int QtKey;
    quint32 ScanCode;
    const char* Text;
    uint16_t Expected;
  };
  const TForeignKey keys[] = {
      {"Cyrillic ef on the A key", 0x0424, 38, "\u0444", 'A'},
      {"Cyrillic ya on the Z key", 0x042F, 52, "\u044f", 'Z'},
      {"e acute on the 2 key", Qt::Key_Eacute, 11, "\u00e9", '2'},
      {"sharp s at a place of its own", 0x00DF, 20, "\u00df", VK_OEM_8},
  };
  TEdit* edit = Make<TEdit>(10, 10, 150, 22);
  Watch(edit);
  form->FocusControl(edit);
  Pump();
  ASSERT_TRUE(edit->Focused());
  for (const TForeignKey& k : keys) {
    log.clear();
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent press(QEvent::KeyPress, k.QtKey, Qt::NoModifier, k.ScanCode, 0, 0,
                    QString::fromUtf8(k.Text));
    QApplication::sendEvent(target, &press);
    Pump();
    ASSERT_FALSE(log.empty()) << k.Name;
    EXPECT_EQ(log.front(), "down " + std::to_string(k.Expected)) << k.Name;
  }
}

// Typed characters reach OnKeyPress as the system's Windows-1252 bytes, on a
// control that draws itself as through an editor; one the code page lacks
// is more than one byte and so no key press, yet the editor keeps it as its
// UTF-8 bytes. A press handler's non-ASCII replacement is what the editor
// types.
TEST_F(KeyRouting, TypedCharactersCrossAsWindows1252Bytes) {
  struct TTyped {
    const char* Text; // as the keyboard gives it
    int Pressed;      // the byte OnKeyPress sees; -1 for no press
  };
  const TTyped typed[] = {{"\u20ac", 0x80}, {"\u00e9", 0xE9}, {"\u03a9", -1}};
  auto send = [](const char* text) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(text));
    QApplication::sendEvent(target, &press);
    Pump();
  };
  const std::vector<std::pair<const char*, std::function<TWinControl*()>>> controls = {
      {"edit", [this] { return Make<TEdit>(10, 10, 150, 22); }},
      {"grid", [this] { return Make<TStringGrid>(10, 10, 200, 120); }}};
  for (const auto& [name, make] : controls) {
    SCOPED_TRACE(name);
    TWinControl* c = make();
    std::vector<int> pressed;
    c->OnKeyPress = [&](TObject*, char& key) {
      pressed.push_back(static_cast<unsigned char>(key));
    };
    form->FocusControl(c);
    Pump();
    for (const TTyped& t : typed) {
      pressed.clear();
      send(t.Text);
      EXPECT_EQ(pressed, t.Pressed < 0 ? std::vector<int>{} : std::vector<int>{t.Pressed})
          << t.Text;
    }
    if (auto* edit = dynamic_cast<TEdit*>(c)) {
      EXPECT_EQ(edit->Text(), "\x80\xE9\xCE\xA9");
      edit->SetText("");
      edit->OnKeyPress = [](TObject*, char& key) {
        if (key == 'a')
          key = '\x80';
        else if (key == 'b')
          key = '\xE9';
      };
      Type("ab");
      EXPECT_EQ(edit->Text(), "\x80\xE9");
    }
    delete c;
  }
}

} // namespace
