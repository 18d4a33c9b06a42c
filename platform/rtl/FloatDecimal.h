// Internal: a number as decimal digits, the common ground of the float and currency formatters.
#pragma once

#include <string>

#include "platform/rtl/Currency.h"
#include "platform/rtl/Types.h"

namespace carrelon::detail {

// Value = 0.Digits x 10^Exponent. Digits has no leading or trailing zeros; empty means zero.
struct TFloatRec {
    enum TKind { fkNumber, fkNan, fkInf };
    TKind Kind = fkNumber;
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;
    bool IsZero() const { return Kind == fkNumber && Digits.empty(); }
};

// Exact (40 significant digits) decimal form of a floating value or of a currency amount.
TFloatRec ExactDigits(Extended Value);
TFloatRec ExactDigits(Currency Value);
// Rounds halves away from zero, keeping at most Precision significant digits and at most
// Decimals digits after the decimal point. A result of zero loses its sign.
TFloatRec RoundRec(TFloatRec Rec, int Precision, int Decimals);

}  // namespace carrelon::detail
