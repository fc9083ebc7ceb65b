#pragma once
// A one-line JSON object writer. Engine texts are Windows-1252 and are
// converted to UTF-8 on the way out.
#include <cstdint>
#include <string>
#include <string_view>

class TJsonLine {
public:
  TJsonLine& Add(std::string_view key, std::string_view cp1252Text);
  TJsonLine& Add(std::string_view key, const char* cp1252Text);
  TJsonLine& Add(std::string_view key, int64_t value);
  TJsonLine& Add(std::string_view key, int value) { return Add(key, static_cast<int64_t>(value)); }
  TJsonLine& Add(std::string_view key, unsigned value) {
    return Add(key, static_cast<int64_t>(value));
  }
  TJsonLine& Add(std::string_view key, double value);
  TJsonLine& Add(std::string_view key, bool value);
  // A value that is already JSON (an array or object).
  TJsonLine& AddRaw(std::string_view key, std::string_view json);
  std::string Text() const { return body_ + "}"; }
  // Writes the object and a line break to standard output.
  void Print() const;

private:
  void Key(std::string_view key);
  std::string body_ = "{";
};

std::string JsonString(std::string_view cp1252Text);
