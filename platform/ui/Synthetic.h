#pragma once
// Input as the window system delivers it, for tests and development tools:
// real toolkit events sent to the window under a screen point. A press holds
// the window it went to until the release, as a real pointer grab does.
#include "platform/rtl/Types.h"
#include "platform/ui/Controls.h"

class TCustomForm;

void SimulateMouseMove(TPoint ScreenPos);
void SimulateMouseDown(TPoint ScreenPos, TMouseButton Button, TShiftState Shift = {});
void SimulateMouseUp(TPoint ScreenPos, TMouseButton Button, TShiftState Shift = {});
// Turns the wheel under a screen point: 120 a notch, positive away from the
// user.
void SimulateMouseWheel(TPoint ScreenPos, int Delta);
// Press and release, then the second press as the double click, and release.
void SimulateDoubleClick(TPoint ScreenPos);
// A key press (and release) to the window with the focus or, when a menu or
// a modal box or form is up, to that one. Char is what the key types (0: nothing).
void SimulateKey(uint16_t VirtualKey, TShiftState Shift = {}, char Char = 0);
// The window manager's close button.
void SimulateWindowClose(TCustomForm* Form);
