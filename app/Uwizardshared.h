#pragma once
// What the three files of the wizard share: the steps of a colour gradient,
// the message ids of the source checks and the focus rule.
#include "platform/ui/Controls.h"

#include <cstdint>

constexpr int ShadeCount = 5;

// Message texts by language string id.
constexpr int32_t IdEmptyName = 70;
constexpr int32_t IdEmptyUrl = 71;

// The wizard's handlers also run while it is hidden (the main window fills
// it before showing it); focus goes only to a control that can take it.
inline void Focus(TWinControl* control) {
  if (control->CanFocus())
    control->SetFocus();
}
