// Mathematics on Extended (long double) with the runtime's error behaviour: an invalid operation
// raises EInvalidOp "Invalid floating point operation", a division by zero EZeroDivide
// "Floating point division by zero", an overflow EOverflow "Floating point overflow"; an
// underflow quietly gives zero or a denormal.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

namespace carrelon {

inline constexpr Extended Pi() {
    return 3.141592653589793238462643383279502884L;
}

// Checked arithmetic for the formula engine.
Extended CheckedAdd(Extended A, Extended B);
Extended CheckedSub(Extended A, Extended B);
Extended CheckedMul(Extended A, Extended B);
Extended CheckedDiv(Extended A, Extended B);
// Raises for a NaN or infinite result of finite operands; returns R otherwise.
Extended CheckResult(Extended R);

Extended Power(Extended Base, Extended Exponent);
Extended IntPower(Extended Base, int Exponent);
Extended Exp(Extended X);
Extended Ln(Extended X);
Extended LogN(Extended Base, Extended X);
Extended Log10(Extended X);
Extended Log2(Extended X);
Extended Sqrt(Extended X);
Extended Sqr(Extended X);
Extended Abs(Extended X);

Extended Sin(Extended X);
Extended Cos(Extended X);
Extended Tan(Extended X);
Extended Cotan(Extended X);
Extended ArcSin(Extended X);
Extended ArcCos(Extended X);
Extended ArcTan(Extended X);
Extended ArcTan2(Extended Y, Extended X);
Extended Sinh(Extended X);
Extended Cosh(Extended X);
Extended Tanh(Extended X);
Extended ArcSinh(Extended X);
Extended ArcCosh(Extended X);
Extended ArcTanh(Extended X);

// Whole parts. Ceil and Floor give a 32-bit Integer, Trunc and Round a 64-bit one; a value
// outside that range (or NaN) raises EInvalidOp. Round takes halves to the even neighbour.
int Ceil(Extended X);
int Floor(Extended X);
Int64 Trunc(Extended X);
Int64 Round(Extended X);
Extended Int(Extended X);   // toward zero, as a floating value
Extended Frac(Extended X);  // X - Int(X)

// Over a list of values; MinValue, MaxValue and Mean of an empty list raise EInvalidOp.
double MinValue(const std::vector<double>& Data);
double MaxValue(const std::vector<double>& Data);
Extended Sum(const std::vector<double>& Data);
Extended Mean(const std::vector<double>& Data);

}  // namespace carrelon
