// The drawing objects as layouts store them: fonts by their properties,
// bitmaps and pictures as binary data.
#include "platform/gfx/Graphics.h"
#include "platform/ui/Typinfo.h"

namespace {

[[maybe_unused]] const bool fontIdents =
    RegisterEnum<TFontStyle>({{"fsBold", fsBold},
                              {"fsItalic", fsItalic},
                              {"fsUnderline", fsUnderline},
                              {"fsStrikeOut", fsStrikeOut}}) &&
    RegisterEnum<TFontPitch>(
        {{"fpDefault", fpDefault}, {"fpVariable", fpVariable}, {"fpFixed", fpFixed}});

const std::pair<const char*, int> charsetIdents[] = {
    {"ANSI_CHARSET", ANSI_CHARSET},
    {"DEFAULT_CHARSET", DEFAULT_CHARSET},
    {"SYMBOL_CHARSET", SYMBOL_CHARSET},
    {"OEM_CHARSET", OEM_CHARSET},
};

TPropInfo CharsetProperty() {
  TPropInfo info;
  info.Name = "Charset";
  info.Kind = pkInteger;
  info.Set = [](TObject& o, const TLayoutValue& v, TLoadContext&) {
    auto& font = static_cast<TFont&>(o);
    if (v.Kind == TLayoutValue::vkInteger) {
      font.SetCharset(typinfo_detail::FromLayout<TFontCharset>(v));
      return;
    }
    if (v.Kind == TLayoutValue::vkIdent)
      for (auto& [name, value] : charsetIdents)
        if (AnsiSameText(name, v.Text)) {
          font.SetCharset(static_cast<TFontCharset>(value));
          return;
        }
    throw EPropertyError(v.Describe() + " is not a character set");
  };
  info.Get = [](const TObject& o) -> std::optional<TLayoutValue> {
    const int value = static_cast<const TFont&>(o).Charset();
    for (auto& [name, v] : charsetIdents)
      if (v == value)
        return TLayoutValue::Ident(name);
    return TLayoutValue::Int(value);
  };
  return info;
}

} // namespace

WT_PUBLISH(TFont, TPersistent) {
  p.Custom(CharsetProperty());
  p.Color("Color", &TFont::Color, &TFont::SetColor);
  p.Property("Height", &TFont::Height, &TFont::SetHeight);
  p.Property("Name", &TFont::Name, &TFont::SetName);
  p.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  p.Property("Style", &TFont::Style, &TFont::SetStyle);
}

WT_PUBLISH(TBitmap, TPersistent) {
  p.Binary(
      "Data", [](TBitmap& b, TStream& s) { b.ReadData(&s); },
      [](const TBitmap& b, TStream& s) { const_cast<TBitmap&>(b).WriteData(&s); });
}

WT_PUBLISH(TPicture, TPersistent) {
  p.Binary(
      "Data", [](TPicture& pic, TStream& s) { pic.ReadData(&s); },
      [](const TPicture& pic, TStream& s) { const_cast<TPicture&>(pic).WriteData(&s); });
}
