#pragma once
// The class library's small sets of enumeration values (shift states, control
// styles, component states), held as bits: value v is bit v.
#include <cstdint>
#include <initializer_list>

template <class E> class TSet {
public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values)
      bits |= Bit(v);
  }

  constexpr bool Contains(E v) const { return (bits & Bit(v)) != 0; }
  constexpr bool Empty() const { return bits == 0; }
  constexpr TSet& operator<<(E v) {
    bits |= Bit(v);
    return *this;
  }
  constexpr TSet& operator>>(E v) {
    bits &= ~Bit(v);
    return *this;
  }
  constexpr TSet operator+(TSet other) const { return FromBits(bits | other.bits); }
  constexpr TSet operator-(TSet other) const { return FromBits(bits & ~other.bits); }
  constexpr TSet operator*(TSet other) const { return FromBits(bits & other.bits); }
  constexpr bool operator==(const TSet&) const = default;

  constexpr uint64_t Bits() const { return bits; }
  static constexpr TSet FromBits(uint64_t b) {
    TSet s;
    s.bits = b;
    return s;
  }

private:
  static constexpr uint64_t Bit(E v) { return uint64_t{1} << static_cast<unsigned>(v); }
  uint64_t bits = 0;
};
