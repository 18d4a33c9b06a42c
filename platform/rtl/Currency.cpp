#include "platform/rtl/Currency.h"

#include <cmath>

#include "platform/rtl/Exceptions.h"

namespace carrelon {

namespace {

__extension__ typedef __int128 Int128;

// Rounds an exact 128-bit quotient N / D to the nearest integer, halves to even.
Int128 DivRoundEven(Int128 N, Int128 D) {
    Int128 q = N / D;
    Int128 r = N % D;
    if (r != 0) {
        const Int128 twice = 2 * (r < 0 ? -r : r);
        const Int128 ad = D < 0 ? -D : D;
        const bool negative = (N < 0) != (D < 0);
        if (twice > ad || (twice == ad && (q % 2 != 0))) q += negative ? -1 : 1;
    }
    return q;
}

Currency Checked(Int128 V) {
    if (V > INT64_MAX || V < INT64_MIN) throw EOverflow(SOverflow);
    return Currency::FromRaw(static_cast<Int64>(V));
}

}  // namespace

bool Currency::TryFromExtended(Extended Value, Currency& Result) {
    if (std::isnan(Value)) return false;
    // nearbyint rounds halves to even in the default rounding mode.
    const Extended scaled = std::nearbyint(Value * Scale);
    if (!(scaled >= -9223372036854775808.0L && scaled < 9223372036854775808.0L)) return false;
    Result = FromRaw(static_cast<Int64>(scaled));
    return true;
}

Currency::Currency(Extended Value) {
    if (std::isnan(Value)) throw EInvalidOp(SInvalidOp);
    if (!TryFromExtended(Value, *this)) throw EOverflow(SOverflow);
}

Currency Currency::operator-() const {
    return Checked(-static_cast<Int128>(FRaw));
}

Currency operator+(Currency A, Currency B) {
    return Checked(static_cast<Int128>(A.FRaw) + B.FRaw);
}

Currency operator-(Currency A, Currency B) {
    return Checked(static_cast<Int128>(A.FRaw) - B.FRaw);
}

Currency operator*(Currency A, Currency B) {
    return Checked(DivRoundEven(static_cast<Int128>(A.FRaw) * B.FRaw, Currency::Scale));
}

Currency operator*(Currency A, Int64 B) {
    return Checked(static_cast<Int128>(A.FRaw) * B);
}

Currency operator/(Currency A, Currency B) {
    if (B.FRaw == 0) throw EZeroDivide(SZeroDivide);
    return Checked(DivRoundEven(static_cast<Int128>(A.FRaw) * Currency::Scale, B.FRaw));
}

}  // namespace carrelon
