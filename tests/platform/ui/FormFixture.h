#pragma once
// A shown borderless form on the offscreen platform, for tests of the
// standard controls, and what they need to drive and look at it.
#include "platform/ui/Forms.h"
#include "platform/ui/Synthetic.h"
#include "platform/ui/Timers.h"
#include "platform/ui/WindowImpl.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline void Pump(int rounds = 5) {
  for (int i = 0; i < rounds; ++i)
    Application->ProcessMessages();
}

// Serves the message loop for Ms milliseconds.
inline void PumpFor(int Ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < until)
    Application->ProcessMessages();
}

// Serves the message loop until Done or Ms milliseconds passed.
inline bool PumpUntil(const std::function<bool()>& Done, int Ms = 30000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (!Done() && std::chrono::steady_clock::now() < until)
    Application->ProcessMessages();
  return Done();
}

// The colour a windowed control shows at (x, y) of its window.
inline COLORREF PixelAt(TWinControl* w, int x, int y) {
  w->Repaint();
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, w->Impl()->Surface());
  const COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

// Types the text into the window with the focus, one key a character.
inline void Type(const std::string& text) {
  for (char ch : text) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const bool named = (upper >= 'A' && upper <= 'Z') || (ch >= '0' && ch <= '9');
    SimulateKey(named ? static_cast<uint16_t>(upper) : 0, {}, ch);
  }
}

// Runs the steps one after the other, the way a user acts on a modal window
// that the code under test keeps open. Each step has a one-shot timer of its
// own, so a step that opens a nested loop of its own (a box that an OK
// brings up) does not hold back the steps after it.
class TScript {
public:
  explicit TScript(std::vector<std::function<void()>> Steps, unsigned Spacing = 120) {
    for (size_t i = 0; i < Steps.size(); ++i) {
      auto timer = std::make_unique<TTimer>(nullptr);
      TTimer* t = timer.get();
      timer->SetInterval(Spacing * static_cast<unsigned>(i + 1));
      timer->SetOnTimer([this, t, step = Steps[i]](TObject*) {
        t->SetEnabled(false);
        ++Done;
        step();
      });
      timers.push_back(std::move(timer));
    }
  }
  // How many steps have run.
  int Done = 0;

private:
  std::vector<std::unique_ptr<TTimer>> timers;
};

class FormTest : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(80, 80, 300, 220);
    form->Show();
    Pump();
  }
  void TearDown() override {
    delete form;
    Pump();
  }

  template <class T> T* Make(int x, int y, int w, int h, TWinControl* parent = nullptr) {
    T* c = new T(form);
    c->SetParent(parent != nullptr ? parent : form);
    c->SetBounds(x, y, w, h);
    return c;
  }

  static TPoint At(TControl* c, int x, int y) { return c->ClientToScreen(Point(x, y)); }
  static void ClickAt(TControl* c, int x, int y, TMouseButton b = mbLeft) {
    SimulateMouseDown(At(c, x, y), b);
    SimulateMouseUp(At(c, x, y), b);
  }

  TForm* form = nullptr;
};
