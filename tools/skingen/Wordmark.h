#pragma once
// The program's name as it stands on the main window's title bar: drawn
// letters, not a font, so that no installed font changes the picture.
#include "tools/skingen/Skinpaint.h"

// The name's shape with its baseline at Baseline and its left edge at X;
// capitals stand 10 pixels high.
TInside Wordmark(double X, double Baseline);
