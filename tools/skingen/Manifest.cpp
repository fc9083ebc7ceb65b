#include "tools/skingen/Manifest.h"

#include "tools/skingen/Palette.h"

#include <cstdio>

namespace {

std::string Hex(TRgb Color) {
  const TColor c = ToColor(Color);
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", c & 255, (c >> 8) & 255, (c >> 16) & 255);
  return text;
}

std::string Value(TRgb Color) {
  return std::to_string(ToColor(Color));
}

} // namespace

std::string ManifestText(const std::vector<TSkinFile>& Files) {
  std::string text =
      "# Pictures and sounds of the three windows\n\n"
      "Made by `tools/skingen` (see README.md here); do not edit these files by hand.\n"
      "Each file fills property <Property> of component <Component> in `resources/<Layout>.lay`.\n"
      "Pictures drawn transparently (bitmap buttons, check boxes, slider parts) have the key\n"
      "colour " +
      Hex(Palette::Key) +
      " at their bottom-left pixel.\n\n"
      "| file | size | class | use |\n|---|---|---|---|\n";
  for (const TSkinFile& file : Files)
    text +=
        "| " + file.Path() + " | " + file.Size() + " | " + file.Class + " | " + file.Use + " |\n";
  text += "\n## Colours for the controls that draw themselves\n\n"
          "| role | colour | layout value |\n|---|---|---|\n";
  const std::pair<const char*, TRgb> roles[] = {
      {"text on the frame (labels, counters, clock, legend of the news bars)", Palette::Text},
      {"active (running status, hover glow, legend of the request bars)", Palette::Accent},
      {"pressed (legend of the change bars)", Palette::Pressed},
      {"frame body", Palette::BodyTop},
      {"raised panel", Palette::Raised},
      {"well under the grid and the graph; the wizard grids' cells", Palette::Well},
      {"page panels of the wizard", Rgb(0x2E353E)},
      {"dimmed text", Palette::DimText}};
  for (const auto& [role, colour] : roles)
    text += std::string("| ") + role + " | " + Hex(colour) + " | " + Value(colour) + " |\n";
  return text;
}
