#pragma once
// Basic types of the class library as this system uses them: 8-bit strings in
// the Windows-1252 code page, and times as day counts.
#include <cstdint>
#include <exception>
#include <string>
#include <utility>

// The class library's reference-counted 8-bit string. std::string shares its
// value semantics; positions in our code are 0-based like the engine's texts.
using AnsiString = std::string;

// Whole days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// The class library's base exception: what escapes to the application loop is
// shown with its Message. Further classes derive from it where they are used.
class Exception : public std::exception {
public:
  explicit Exception(AnsiString message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  AnsiString Message;
};
