#pragma once
// The one icon set of the three windows: simple glyphs on a 14 x 14 grid,
// strokes two pixels wide on whole pixels wherever they run straight.
#include "tools/skingen/Skinpaint.h"

#include <string>

enum class TIcon {
  Play,
  Pause,
  Close,
  Reduce,
  FullMode,
  Settings,
  Help,
  About,
  Enlarge,
  Smaller,
  NormalMode,
  Ok,
  Add,
  Remove,
  Edit,
  Scan,
  Stop,
  Trash,
  Next
};

constexpr int kIconSize = 14;

// The icon's shape with its grid's top left corner at (X, Y).
TInside IconShape(TIcon Icon, double X, double Y);
std::string IconName(TIcon Icon);
