#pragma once
// Hit tests for round shapes.
#include "platform/rtl/Types.h"

// Inside a rectangle with corners rounded to radius R: the middle band's
// right and bottom edges are outside, the corner circles include their rim.
bool PointinRndRect(int X, int Y, int R, const TRect& Rect);
// Inside or on the ellipse inscribed in Rect.
bool PointinEllipse(int X, int Y, const TRect& Rect);
