#pragma once
// Our text is Windows-1252; the toolkit's is Unicode. Every string that
// crosses to the screen or comes from the keyboard goes through these two,
// in the drawing layer as in the windows.
#include <QString>

#include <string>
#include <string_view>

QString AnsiToQString(std::string_view Text);
std::string QStringToAnsi(const QString& Text);
