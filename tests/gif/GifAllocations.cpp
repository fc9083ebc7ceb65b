#include "tests/gif/GifAllocations.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<size_t> inUse{0};
std::atomic<size_t> peak{0};
std::atomic<size_t> refusedAbove{SIZE_MAX};

void* Allocate(size_t Size) {
  if (Size > refusedAbove)
    throw std::bad_alloc();
  void* p = std::malloc(Size == 0 ? 1 : Size);
  if (p == nullptr)
    throw std::bad_alloc();
  const size_t now = inUse += malloc_usable_size(p);
  for (size_t seen = peak; now > seen && !peak.compare_exchange_weak(seen, now);)
    ;
  return p;
}

void Release(void* p) {
  if (p == nullptr)
    return;
  inUse -= malloc_usable_size(p);
  std::free(p);
}

} // namespace

void* operator new(size_t Size) {
  return Allocate(Size);
}
void* operator new[](size_t Size) {
  return Allocate(Size);
}
void* operator new(size_t Size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(Size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t Size, const std::nothrow_t& Tag) noexcept {
  return operator new(Size, Tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, size_t) noexcept {
  Release(p);
}

TAllocationPeak::TAllocationPeak() : base(inUse) {
  peak = base;
}

size_t TAllocationPeak::Bytes() const {
  return peak > base ? peak - base : 0;
}

TAllocationRefusal::TAllocationRefusal(size_t Above) : before(refusedAbove.exchange(Above)) {}

TAllocationRefusal::~TAllocationRefusal() {
  refusedAbove = before;
}
