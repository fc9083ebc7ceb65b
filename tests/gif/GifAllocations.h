#pragma once
// The heap that the program's operator new hands out, watched: the tests of
// bounded memory read the most bytes in use at once while they ran, and a
// test can make large requests fail as an exhausted heap would.
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

// While it exists, a request for more than Above bytes fails as a heap
// that has run out would.
class TAllocationRefusal {
public:
  explicit TAllocationRefusal(size_t Above);
  ~TAllocationRefusal();
  TAllocationRefusal(const TAllocationRefusal&) = delete;
  TAllocationRefusal& operator=(const TAllocationRefusal&) = delete;

private:
  size_t before;
};
