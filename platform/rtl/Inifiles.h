#pragma once
// Settings files of sections and key=value lines. Sections and keys compare
// without regard to case; every write reaches the file at once, rewriting it
// whole through a temporary file so that a failed write leaves the old one.
// A file that is there but cannot be read reads as empty, and is never
// written over: a write would rebuild it from nothing.
#include "platform/rtl/Stringlist.h"

#include <vector>

class EIniFileException : public Exception {
public:
  using Exception::Exception;
};

class TIniFile : public TObject {
public:
  explicit TIniFile(AnsiString fileName) : fileName(std::move(fileName)) {}

  const AnsiString& FileName() const { return fileName; }

  // Blanks around the value and one pair of enclosing quotes are dropped.
  AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                        const AnsiString& defaultValue) const;
  // Decimal, "$" or "0x" hexadecimal; anything else gives the default.
  int ReadInteger(const AnsiString& section, const AnsiString& ident, int defaultValue) const;
  bool ReadBool(const AnsiString& section, const AnsiString& ident, bool defaultValue) const;
  // True when a file is there but cannot be read whole (no permission, a
  // folder, a failing read); a missing file is not unreadable.
  bool Unreadable() const;

  // Raise EIniFileException when the file cannot be read or rewritten.
  void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value);
  void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
  void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);

  bool SectionExists(const AnsiString& section) const;
  bool ValueExists(const AnsiString& section, const AnsiString& ident) const;
  // The keys of a section, in file order.
  void ReadSection(const AnsiString& section, TStrings& strings) const;
  void ReadSections(TStrings& strings) const;
  void EraseSection(const AnsiString& section);
  void DeleteKey(const AnsiString& section, const AnsiString& ident);
  // Writes reach the file at once; kept for callers that flush.
  void UpdateFile() {}

private:
  using Lines = std::vector<AnsiString>;
  Lines Load() const;
  // The lines a change starts from; raises when the file cannot be read.
  Lines LoadForChange() const;
  void Store(const Lines& lines) const;

  AnsiString fileName;
};
