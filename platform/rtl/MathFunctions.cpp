#include "platform/rtl/MathFunctions.h"

#include <cmath>

#include "platform/rtl/Exceptions.h"

namespace carrelon {

namespace {

[[noreturn]] void InvalidOp() {
    throw EInvalidOp(SInvalidOp);
}
[[noreturn]] void ZeroDivide() {
    throw EZeroDivide(SZeroDivide);
}
[[noreturn]] void Overflow() {
    throw EOverflow(SOverflow);
}

bool Finite(Extended X) {
    return std::isfinite(X);
}

// The result of a function of finite arguments.
Extended Checked(Extended R) {
    if (std::isnan(R)) InvalidOp();
    if (std::isinf(R)) Overflow();
    return R;
}

void RequireNumber(Extended X) {
    if (std::isnan(X)) InvalidOp();
}

}  // namespace

Extended CheckResult(Extended R) {
    return Checked(R);
}

Extended CheckedAdd(Extended A, Extended B) {
    RequireNumber(A);
    RequireNumber(B);
    return Checked(A + B);
}

Extended CheckedSub(Extended A, Extended B) {
    RequireNumber(A);
    RequireNumber(B);
    return Checked(A - B);
}

Extended CheckedMul(Extended A, Extended B) {
    RequireNumber(A);
    RequireNumber(B);
    return Checked(A * B);
}

Extended CheckedDiv(Extended A, Extended B) {
    RequireNumber(A);
    RequireNumber(B);
    if (B == 0) {
        if (A == 0) InvalidOp();
        ZeroDivide();
    }
    return Checked(A / B);
}

Extended IntPower(Extended Base, int Exponent) {
    RequireNumber(Base);
    long long n = Exponent;
    const bool negative = n < 0;
    if (negative) n = -n;
    Extended result = 1;
    Extended b = Base;
    while (n > 0) {
        if (n & 1) result *= b;
        n >>= 1;
        if (n > 0) b *= b;
    }
    if (negative) {
        // A zero base divides by zero; a power that merely underflowed is an overflow of
        // the reciprocal.
        if (result == 0) Base == 0 ? ZeroDivide() : Overflow();
        result = 1 / result;
    }
    if (std::isinf(result)) {
        // Squaring may overflow on the way to an underflowing reciprocal.
        if (negative) return 0;
        Overflow();
    }
    return Checked(result);
}

Extended Power(Extended Base, Extended Exponent) {
    RequireNumber(Base);
    RequireNumber(Exponent);
    if (Exponent == 0) return 1;
    if (Base == 0 && Exponent > 0) return 0;
    if (Exponent == std::trunc(Exponent) && std::fabs(Exponent) <= 2147483647.0L)
        return IntPower(Base, static_cast<int>(Exponent));
    return Exp(Exponent * Ln(Base));
}

Extended Exp(Extended X) {
    RequireNumber(X);
    return Checked(std::exp(X));
}

Extended Ln(Extended X) {
    RequireNumber(X);
    if (X == 0) ZeroDivide();
    if (X < 0) InvalidOp();
    return Checked(std::log(X));
}

Extended LogN(Extended Base, Extended X) {
    return CheckedDiv(Ln(X), Ln(Base));
}

Extended Log10(Extended X) {
    return Ln(X) / std::log(10.0L);
}

Extended Log2(Extended X) {
    return Ln(X) / std::log(2.0L);
}

Extended Sqrt(Extended X) {
    RequireNumber(X);
    if (X < 0) InvalidOp();
    return std::sqrt(X);
}

Extended Sqr(Extended X) {
    return CheckedMul(X, X);
}

Extended Abs(Extended X) {
    return std::fabs(X);
}

Extended Sin(Extended X) {
    RequireNumber(X);
    if (!Finite(X)) InvalidOp();
    return std::sin(X);
}

Extended Cos(Extended X) {
    RequireNumber(X);
    if (!Finite(X)) InvalidOp();
    return std::cos(X);
}

Extended Tan(Extended X) {
    RequireNumber(X);
    if (!Finite(X)) InvalidOp();
    return Checked(std::tan(X));
}

Extended Cotan(Extended X) {
    return CheckedDiv(1, Tan(X));
}

Extended ArcSin(Extended X) {
    RequireNumber(X);
    if (X < -1 || X > 1) InvalidOp();
    return std::asin(X);
}

Extended ArcCos(Extended X) {
    RequireNumber(X);
    if (X < -1 || X > 1) InvalidOp();
    return std::acos(X);
}

Extended ArcTan(Extended X) {
    RequireNumber(X);
    return std::atan(X);
}

Extended ArcTan2(Extended Y, Extended X) {
    RequireNumber(X);
    RequireNumber(Y);
    return std::atan2(Y, X);
}

Extended Sinh(Extended X) {
    RequireNumber(X);
    return Checked(std::sinh(X));
}

Extended Cosh(Extended X) {
    RequireNumber(X);
    return Checked(std::cosh(X));
}

Extended Tanh(Extended X) {
    RequireNumber(X);
    return std::tanh(X);
}

Extended ArcSinh(Extended X) {
    RequireNumber(X);
    return Checked(std::asinh(X));
}

Extended ArcCosh(Extended X) {
    RequireNumber(X);
    if (X < 1) InvalidOp();
    return Checked(std::acosh(X));
}

Extended ArcTanh(Extended X) {
    RequireNumber(X);
    if (X == 1 || X == -1) ZeroDivide();
    if (X < -1 || X > 1) InvalidOp();
    return std::atanh(X);
}

int Ceil(Extended X) {
    RequireNumber(X);
    const Extended c = std::ceil(X);
    if (!(c >= -2147483648.0L && c <= 2147483647.0L)) InvalidOp();
    return static_cast<int>(c);
}

int Floor(Extended X) {
    RequireNumber(X);
    const Extended f = std::floor(X);
    if (!(f >= -2147483648.0L && f <= 2147483647.0L)) InvalidOp();
    return static_cast<int>(f);
}

Int64 Trunc(Extended X) {
    RequireNumber(X);
    const Extended t = std::trunc(X);
    if (!(t >= -9223372036854775808.0L && t < 9223372036854775808.0L)) InvalidOp();
    return static_cast<Int64>(t);
}

Int64 Round(Extended X) {
    RequireNumber(X);
    const Extended r = std::nearbyint(X);  // halves to even in the default rounding mode
    if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L)) InvalidOp();
    return static_cast<Int64>(r);
}

Extended Int(Extended X) {
    return std::trunc(X);
}

Extended Frac(Extended X) {
    if (std::isinf(X)) InvalidOp();
    return X - std::trunc(X);
}

double MinValue(const std::vector<double>& Data) {
    if (Data.empty()) InvalidOp();
    double m = Data[0];
    for (double d : Data)
        if (d < m) m = d;
    return m;
}

double MaxValue(const std::vector<double>& Data) {
    if (Data.empty()) InvalidOp();
    double m = Data[0];
    for (double d : Data)
        if (d > m) m = d;
    return m;
}

Extended Sum(const std::vector<double>& Data) {
    Extended s = 0;
    for (double d : Data)
        s += d;
    return Checked(s);
}

Extended Mean(const std::vector<double>& Data) {
    if (Data.empty()) InvalidOp();
    return Sum(Data) / static_cast<Extended>(Data.size());
}

}  // namespace carrelon
