// A small set over an enumeration, the bit of each member being its ordinal. Stored files keep
// option sets as the integer of these bits, so ToInt/FromInt are part of the format.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace carrelon {

template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> Members) {
        for (E m : Members)
            Include(m);
    }

    constexpr bool Contains(E m) const { return (Bits & Bit(m)) != 0; }
    constexpr TSet& Include(E m) {
        Bits |= Bit(m);
        return *this;
    }
    constexpr TSet& Exclude(E m) {
        Bits &= ~Bit(m);
        return *this;
    }
    constexpr bool Empty() const { return Bits == 0; }

    constexpr std::uint64_t ToInt() const { return Bits; }
    static constexpr TSet FromInt(std::uint64_t Value) {
        TSet s;
        s.Bits = Value;
        return s;
    }

    friend constexpr TSet operator+(TSet a, TSet b) { return FromInt(a.Bits | b.Bits); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromInt(a.Bits & ~b.Bits); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromInt(a.Bits & b.Bits); }
    friend constexpr TSet operator+(TSet a, E m) { return a.Include(m); }
    friend constexpr TSet operator-(TSet a, E m) { return a.Exclude(m); }
    constexpr TSet& operator+=(TSet o) { return *this = *this + o; }
    constexpr TSet& operator-=(TSet o) { return *this = *this - o; }
    constexpr TSet& operator*=(TSet o) { return *this = *this * o; }
    constexpr TSet& operator+=(E m) { return Include(m); }
    constexpr TSet& operator-=(E m) { return Exclude(m); }
    friend constexpr bool operator==(TSet a, TSet b) = default;

private:
    static constexpr std::uint64_t Bit(E m) { return std::uint64_t{1} << static_cast<unsigned>(m); }
    std::uint64_t Bits = 0;
};

}  // namespace carrelon
