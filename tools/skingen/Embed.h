#pragma once
// The embed step: puts the committed pictures and sounds of one window into
// its stored layout, in the binary form the layout reader expects for each
// property, and writes the layout back.
#include <string>
#include <vector>

struct TEmbedReport {
  int Filled = 0;
  // Files left out, each with the reason (no such component in the layout,
  // or a component whose class has no such picture property).
  std::vector<std::string> Skipped;
};

// Fills layout file LayoutPath (<dir>/<Name>.lay) from the files of
// SkinDir/<Name>/. Unreadable layouts or pictures raise an exception and
// leave the layout file as it was.
TEmbedReport EmbedSkin(const std::string& LayoutPath, const std::string& SkinDir);
