#pragma once
// The heap that the program's operator new hands out, watched: the tests of
// bounded memory read the most bytes in use at once while they ran.
#include <cstddef>

// From its construction on, the highest count of bytes in use above what
// was in use then.
class TAllocationPeak {
public:
  TAllocationPeak();
  size_t Bytes() const;

private:
  size_t base;
};
