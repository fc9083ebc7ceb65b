#pragma once
// Small bitmaps described by a picture of characters, one per pixel, and read
// back the same way, for tests of the drawing utilities.
#include "platform/gfx/Graphics.h"

#include <map>
#include <string>
#include <vector>

using TPalette = std::map<char, TColor>;

// Rows of equal length; every character must be in Colors.
inline void Paint(TBitmap& Bitmap, const std::vector<std::string>& Rows, const TPalette& Colors) {
  Bitmap.SetSize(static_cast<int>(Rows[0].size()), static_cast<int>(Rows.size()));
  for (size_t y = 0; y < Rows.size(); ++y)
    for (size_t x = 0; x < Rows[y].size(); ++x)
      Bitmap.Canvas()->SetPixels(static_cast<int>(x), static_cast<int>(y), Colors.at(Rows[y][x]));
}

// The picture of a bitmap's pixels; colours not in Colors show as '?'.
inline std::vector<std::string> Picture(TBitmap& Bitmap, const TPalette& Colors) {
  std::vector<std::string> rows;
  for (int y = 0; y < Bitmap.Height(); ++y) {
    std::string row;
    for (int x = 0; x < Bitmap.Width(); ++x) {
      const TColor c = Bitmap.Canvas()->Pixels(x, y);
      char found = '?';
      for (const auto& [key, color] : Colors)
        if (ColorToRGB(color) == c)
          found = key;
      row += found;
    }
    rows.push_back(row);
  }
  return rows;
}
