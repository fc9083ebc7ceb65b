#include "tools/newsprobe/Json.h"

#include <cstdio>

#include "platform/rtl/Codepage.h"

std::string JsonString(std::string_view cp1252Text) {
  std::string out = "\"";
  for (char c : Cp1252ToUtf8(cp1252Text)) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void TJsonLine::Key(std::string_view key) {
  if (body_.size() > 1)
    body_ += ',';
  body_ += JsonString(key);
  body_ += ':';
}

TJsonLine& TJsonLine::Add(std::string_view key, std::string_view cp1252Text) {
  Key(key);
  body_ += JsonString(cp1252Text);
  return *this;
}

TJsonLine& TJsonLine::Add(std::string_view key, const char* cp1252Text) {
  return Add(key, std::string_view(cp1252Text ? cp1252Text : ""));
}

TJsonLine& TJsonLine::Add(std::string_view key, int64_t value) {
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

TJsonLine& TJsonLine::Add(std::string_view key, double value) {
  Key(key);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", value);
  body_ += buf;
  return *this;
}

TJsonLine& TJsonLine::Add(std::string_view key, bool value) {
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

TJsonLine& TJsonLine::AddRaw(std::string_view key, std::string_view json) {
  Key(key);
  body_ += json;
  return *this;
}

void TJsonLine::Print() const {
  std::string line = Text() + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}
