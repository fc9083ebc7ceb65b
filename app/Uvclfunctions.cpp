#include "app/Uvclfunctions.h"

#include "platform/ui/Forms.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr uint32_t HighByte = 0xFF000000u;

struct TChannels {
  int32_t Red, Green, Blue;
};

TChannels Split(TColor color) {
  const auto c = static_cast<uint32_t>(color);
  return {static_cast<int32_t>(c & 0xFF), static_cast<int32_t>((c >> 8) & 0xFF),
          static_cast<int32_t>((c >> 16) & 0xFF)};
}

TColor Join(TColor highFrom, TChannels ch) {
  const uint32_t c = (static_cast<uint32_t>(highFrom) & HighByte) | static_cast<uint32_t>(ch.Red) |
                     (static_cast<uint32_t>(ch.Green) << 8) |
                     (static_cast<uint32_t>(ch.Blue) << 16);
  return static_cast<TColor>(c);
}

// One axis of the snap: the near edge (0) when 0 < |pos| < distance, else the
// far edge when the window's far side is closer than distance to it.
bool SnapAxis(int32_t extent, int32_t pos, int32_t size, int32_t distance, int32_t& newPos) {
  if (pos != 0 && std::abs(pos) < distance) {
    newPos = 0;
    return true;
  }
  if (std::abs(extent - (pos + size)) < distance) {
    newPos = extent - size;
    return true;
  }
  return false;
}

} // namespace

bool SnapToScreenEdges(int32_t left, int32_t top, int32_t width, int32_t height, int32_t& newLeft,
                       int32_t& newTop, int32_t dx, int32_t dy) {
  return SnapToScreenEdges(Screen->Width(), Screen->Height(), left, top, width, height, newLeft,
                           newTop, dx, dy);
}

bool SnapToScreenEdges(int32_t screenWidth, int32_t screenHeight, int32_t left, int32_t top,
                       int32_t width, int32_t height, int32_t& newLeft, int32_t& newTop, int32_t dx,
                       int32_t dy) {
  newLeft = left;
  newTop = top;
  const bool horizontal = SnapAxis(screenWidth, left, width, dx, newLeft);
  const bool vertical = SnapAxis(screenHeight, top, height, dy, newTop);
  return horizontal || vertical;
}

void SaveFontToIni(TIniFile* ini, TFont* font, const AnsiString& section) {
  const TFontStyles style = font->Style();
  ini->WriteString(section, "Color", std::to_string(font->Color()));
  ini->WriteString(section, "Name", font->Name());
  ini->WriteString(section, "Pitch", std::to_string(static_cast<int>(font->Pitch())));
  ini->WriteString(section, "Size", std::to_string(font->Size()));
  ini->WriteBool(section, "Style.Bold", style.Contains(fsBold));
  ini->WriteBool(section, "Style.Italic", style.Contains(fsItalic));
  ini->WriteBool(section, "Style.Underline", style.Contains(fsUnderline));
}

void LoadFontFromIni(TIniFile* ini, TFont* font, const AnsiString& section) {
  font->SetColor(ColorFromText(ini->ReadString(section, "Color", "0")));
  font->SetName(ini->ReadString(section, "Name", "Arial"));
  const int pitch = ini->ReadInteger(section, "Pitch", fpDefault);
  font->SetPitch(pitch == fpVariable || pitch == fpFixed ? static_cast<TFontPitch>(pitch)
                                                         : fpDefault);
  font->SetSize(ini->ReadInteger(section, "Size", 8));
  TFontStyles style = font->Style();
  for (const auto& [key, flag] :
       {std::pair{"Style.Bold", fsBold}, std::pair{"Style.Italic", fsItalic},
        std::pair{"Style.Underline", fsUnderline}})
    if (ini->ReadBool(section, key, false))
      style << flag;
  font->SetStyle(style);
}

TColor ColorFromText(const AnsiString& text) {
  // Wider than a colour so that an overlong number cannot overflow; the low
  // 32 bits are the colour.
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<TColor>(static_cast<uint32_t>(value));
}

void MakeColorGradient(TColor base, TColor* table, int32_t n, int32_t direction) {
  const TChannels ch = Split(base);
  if (direction == 0)
    direction = ch.Red > 128 || ch.Green > 128 || ch.Blue > 128 ? 1 : -1;
  const auto step = [&](int32_t channel) {
    return direction > 0 ? -(channel / n) : (255 - channel) / n;
  };
  const TChannels delta{step(ch.Red), step(ch.Green), step(ch.Blue)};
  for (int32_t i = 0; i < n; ++i)
    table[n - 1 - i] =
        Join(base, {ch.Red + i * delta.Red, ch.Green + i * delta.Green, ch.Blue + i * delta.Blue});
}

void ScaleColor(TColor color, TColor& out, float factor) {
  TChannels ch = Split(color);
  if (ch.Red == 0 && ch.Green == 0 && ch.Blue == 0)
    ch = {1, 1, 1};
  const auto scale = [factor](int32_t channel) {
    return static_cast<int32_t>(std::clamp(static_cast<float>(channel) * factor, 0.0f, 255.0f));
  };
  out = Join(color, {scale(ch.Red), scale(ch.Green), scale(ch.Blue)});
}

int32_t ColorBrightness(TColor color) {
  const TChannels ch = Split(color);
  return std::max({ch.Red, ch.Green, ch.Blue});
}

float BrightnessFactor(int32_t brightness) {
  if (brightness < 5)
    return 40.0f;
  if (brightness < 15)
    return 10.0f;
  if (brightness < 64)
    return 3.0f;
  if (brightness < 128)
    return 1.5f;
  if (brightness < 180)
    return 0.0f;
  return 0.6666667f;
}

namespace {

double RelativeLuminance(TColor color) {
  const TChannels ch = Split(ColorToRGB(color));
  const auto linear = [](int32_t channel) {
    const double v = channel / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(ch.Red) + 0.7152 * linear(ch.Green) + 0.0722 * linear(ch.Blue);
}

} // namespace

double ContrastRatio(TColor a, TColor b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TColor LegibleTextColor(TColor text, TColor background) {
  constexpr double Legible = 4.5;
  if (ContrastRatio(text, background) >= Legible)
    return text;
  return ContrastRatio(clBlack, background) >= ContrastRatio(clWhite, background) ? clBlack
                                                                                  : clWhite;
}
