#include "platform/gfx/ScreenText.h"

#include "platform/rtl/Codepage.h"

QString AnsiToQString(std::string_view Text) {
  return QString::fromStdString(Cp1252ToUtf8(Text));
}

std::string QStringToAnsi(const QString& Text) {
  return Utf8ToCp1252(Text.toStdString());
}
