// Currency: a fixed-point amount held as a 64-bit count of ten-thousandths (four decimals),
// range +-922337203685477.5807. Conversions from floating point round halves to even;
// arithmetic that leaves the range raises EOverflow.
#pragma once

#include <compare>
#include <cstdint>

#include "platform/rtl/Types.h"

namespace carrelon {

class Currency {
public:
    static constexpr Int64 Scale = 10000;

    constexpr Currency() = default;
    // Whole units.
    constexpr Currency(int Units) : FRaw(static_cast<Int64>(Units) * Scale) {}
    // Rounded to four decimals, halves to even. EOverflow outside the range, EInvalidOp for NaN.
    explicit Currency(Extended Value);
    explicit Currency(double Value) : Currency(static_cast<Extended>(Value)) {}

    static constexpr Currency FromRaw(Int64 Raw) {
        Currency c;
        c.FRaw = Raw;
        return c;
    }
    static Currency FromExtended(Extended Value) { return Currency(Value); }
    // As FromExtended without raising: False when Value is NaN or out of range.
    static bool TryFromExtended(Extended Value, Currency& Result);

    constexpr Int64 Raw() const { return FRaw; }
    double ToDouble() const { return static_cast<double>(ToExtended()); }
    Extended ToExtended() const { return static_cast<Extended>(FRaw) / Scale; }

    Currency operator-() const;
    friend Currency operator+(Currency A, Currency B);
    friend Currency operator-(Currency A, Currency B);
    // The product rounded to four decimals, halves to even.
    friend Currency operator*(Currency A, Currency B);
    friend Currency operator*(Currency A, Int64 B);
    // The quotient rounded to four decimals, halves to even; EZeroDivide for a zero divisor.
    friend Currency operator/(Currency A, Currency B);
    Currency& operator+=(Currency B) { return *this = *this + B; }
    Currency& operator-=(Currency B) { return *this = *this - B; }

    friend constexpr bool operator==(Currency A, Currency B) = default;
    friend constexpr auto operator<=>(Currency A, Currency B) = default;

private:
    Int64 FRaw = 0;
};

inline constexpr Currency MaxCurrency = Currency::FromRaw(INT64_MAX);
inline constexpr Currency MinCurrency = Currency::FromRaw(INT64_MIN);

}  // namespace carrelon
