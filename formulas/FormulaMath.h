// Arithmetic of formulas in extended precision with the runtime's floating-point faults: an
// invalid operation, a division by zero or an overflow raises EInvalidOp, EZeroDivide or
// EOverflow with the runtime's message, as an unmasked floating-point unit would.
#pragma once

namespace carrelon::formula_math {

using Ext = long double;

[[noreturn]] void RaiseInvalidOp();
[[noreturn]] void RaiseZeroDivide();
[[noreturn]] void RaiseOverflow();

// Checks a result computed from the operands' finiteness: NaN from non-NaN input is an invalid
// operation, an infinity from finite input an overflow.
Ext Checked(Ext Result, bool InputsFinite, bool InputsNaN);

Ext Add(Ext a, Ext b);
Ext Subtract(Ext a, Ext b);
Ext Multiply(Ext a, Ext b);
Ext Divide(Ext a, Ext b);
Ext Power(Ext Base, Ext Exponent);
Ext IntPower(Ext Base, long long Exponent);

// Nearest whole number, halves to even; raises EInvalidOp beyond the 64-bit range.
long long Round64(Ext x);
// Toward zero as a 64-bit whole number; raises EInvalidOp beyond the 64-bit range.
long long Trunc64(Ext x);
// True when |x| has no room for a fraction in extended precision (2^63 and beyond).
bool IsBeyondWhole(Ext x);

Ext Ln(Ext x);

}  // namespace carrelon::formula_math
