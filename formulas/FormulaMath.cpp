#include "formulas/FormulaMath.h"

#include <cmath>

#include "platform/rtl/Exceptions.h"

namespace carrelon::formula_math {

namespace {
constexpr Ext TwoTo63 = 9223372036854775808.0L;
}

void RaiseInvalidOp() {
    throw EInvalidOp(SInvalidOp);
}
void RaiseZeroDivide() {
    throw EZeroDivide(SZeroDivide);
}
void RaiseOverflow() {
    throw EOverflow(SOverflow);
}

Ext Checked(Ext Result, bool InputsFinite, bool InputsNaN) {
    if (std::isnan(Result) && !InputsNaN) RaiseInvalidOp();
    if (std::isinf(Result) && InputsFinite) RaiseOverflow();
    return Result;
}

static bool Finite2(Ext a, Ext b) {
    return std::isfinite(a) && std::isfinite(b);
}
static bool NaN2(Ext a, Ext b) {
    return std::isnan(a) || std::isnan(b);
}

Ext Add(Ext a, Ext b) {
    return Checked(a + b, Finite2(a, b), NaN2(a, b));
}
Ext Subtract(Ext a, Ext b) {
    return Checked(a - b, Finite2(a, b), NaN2(a, b));
}
Ext Multiply(Ext a, Ext b) {
    return Checked(a * b, Finite2(a, b), NaN2(a, b));
}
Ext Divide(Ext a, Ext b) {
    if (b == 0 && !std::isnan(a)) {
        if (a == 0) RaiseInvalidOp();
        RaiseZeroDivide();
    }
    return Checked(a / b, Finite2(a, b), NaN2(a, b));
}

Ext IntPower(Ext Base, long long Exponent) {
    unsigned long long n =
        Exponent < 0 ? 0ULL - static_cast<unsigned long long>(Exponent) : Exponent;
    Ext result = 1, factor = Base;
    while (n != 0) {
        if (n & 1) result = Multiply(result, factor);
        n >>= 1;
        if (n != 0) factor = Multiply(factor, factor);
    }
    return Exponent < 0 ? Divide(1, result) : result;
}

Ext Power(Ext Base, Ext Exponent) {
    if (Exponent == 0) return 1;
    if (Base == 0 && Exponent > 0) return 0;
    if (Exponent == std::trunc(Exponent) && std::fabs(Exponent) <= 2147483647.0L)
        return IntPower(Base, static_cast<long long>(Exponent));
    return Checked(std::exp(Exponent * Ln(Base)), true, NaN2(Base, Exponent));
}

bool IsBeyondWhole(Ext x) {
    return std::fabs(x) >= TwoTo63;
}

long long Round64(Ext x) {
    if (std::isnan(x) || IsBeyondWhole(x)) RaiseInvalidOp();
    return std::llrint(x);  // the default rounding mode sends halves to the even neighbour
}

long long Trunc64(Ext x) {
    if (std::isnan(x) || IsBeyondWhole(x)) RaiseInvalidOp();
    return static_cast<long long>(std::trunc(x));
}

Ext Ln(Ext x) {
    if (std::isnan(x)) return x;
    if (x == 0) RaiseZeroDivide();
    if (x < 0) RaiseInvalidOp();
    return std::log(x);
}

}  // namespace carrelon::formula_math
