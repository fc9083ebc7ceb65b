#pragma once
// Text is Windows-1252 inside the system; the screen, the terminal and JSON
// speak UTF-8. These two conversions are the only crossing point.
#include <string>
#include <string_view>

std::string Cp1252ToUtf8(std::string_view text);
// Characters without a Windows-1252 byte become '?'; malformed UTF-8 bytes are
// taken as Windows-1252 bytes of their own, so no input is lost.
std::string Utf8ToCp1252(std::string_view text);
