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

// Day-count times. Dates run from 1 January 1 to 31 December 9999; a value
// outside raises EConvertError, the error of a value that cannot be converted
// (also raised when one object cannot take the value of another).
using Word = unsigned short;

class EConvertError : public Exception {
public:
  using Exception::Exception;
};

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = 24 * 60;
constexpr int SecsPerDay = 24 * 60 * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;

// Local date and time.
TDateTime Now();
TDateTime Date();
TDateTime EncodeDate(Word year, Word month, Word day);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
void DecodeDate(TDateTime dateTime, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime dateTime, Word& hour, Word& min, Word& sec, Word& msec);
bool IsLeapYear(Word year);
// The default forms: short date "dd/mm/yyyy", long time "hh:nn:ss". The date
// and time form leaves the time out when it is exactly midnight.
AnsiString DateToStr(TDateTime dateTime);
AnsiString TimeToStr(TDateTime dateTime);
AnsiString DateTimeToStr(TDateTime dateTime);
