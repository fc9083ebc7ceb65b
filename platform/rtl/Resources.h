#pragma once
// String resources: tables of id and Windows-1252 text compiled into the
// executable, looked up by id as the program's own module resources.
#include "platform/rtl/Sysutils.h"

#include <cstddef>

using HINSTANCE = void*;

struct TStringResource {
  unsigned Id;
  const char* Text;
};

// Makes a table's entries loadable; an id registered again takes the newer
// text. Returns true so that a unit can register its table while it is
// initialised: static const bool registered = RegisterStringTable(...). The
// unit must be linked into the executable (a unit of an archive that nothing
// references is left out by the linker), so the language unit is best
// referenced by the code that loads its strings.
bool RegisterStringTable(const TStringResource* table, std::size_t count);

// Copies the text of id into buffer, at most bufferMax - 1 characters and a
// terminating zero, and answers the number of characters copied; a missing id
// answers 0 with an empty buffer. The instance is the program's own module
// and may be null.
int LoadString(HINSTANCE instance, unsigned id, char* buffer, int bufferMax);

// The whole text of id; empty when the id is missing.
AnsiString LoadStr(unsigned id);
