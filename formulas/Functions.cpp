#include "formulas/Functions.h"

#include <cmath>
#include <unordered_map>

#include "formulas/FormulaMath.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace carrelon {

namespace {

namespace fm = formula_math;
using Ext = Extended;

Ext CheckedUnary(Ext (*f)(Ext), Ext x) {
    return fm::Checked(f(x), std::isfinite(x), std::isnan(x));
}

// ---- one argument ----
Ext FnAbs(Ext x) {
    return std::fabs(x);
}
Ext FnAtan(Ext x) {
    return std::atan(x);
}
Ext FnCos(Ext x) {
    return CheckedUnary([](Ext v) { return std::cos(v); }, x);
}
Ext FnExp(Ext x) {
    return CheckedUnary([](Ext v) { return std::exp(v); }, x);
}
Ext FnInt(Ext x) {
    Ext i = std::trunc(x);
    return x >= i ? i : i - 1;
}
Ext FnLn(Ext x) {
    return fm::Ln(x);
}
Ext FnSin(Ext x) {
    return CheckedUnary([](Ext v) { return std::sin(v); }, x);
}
Ext FnSqrt(Ext x) {
    if (x < 0) fm::RaiseInvalidOp();
    return std::sqrt(x);
}
Ext FnTrunc(Ext x) {
    // Beyond 2^63 the value has no fraction left: it is its own truncation.
    if (fm::IsBeyondWhole(x)) return x;
    return static_cast<Ext>(fm::Trunc64(x));
}
Ext FnArcCos(Ext x) {
    return CheckedUnary([](Ext v) { return std::acos(v); }, x);
}
Ext FnArcCosh(Ext x) {
    return CheckedUnary([](Ext v) { return std::acosh(v); }, x);
}
Ext FnArcSin(Ext x) {
    return CheckedUnary([](Ext v) { return std::asin(v); }, x);
}
Ext FnArcSinh(Ext x) {
    return CheckedUnary([](Ext v) { return std::asinh(v); }, x);
}
Ext FnArcTanh(Ext x) {
    if (std::fabs(x) == 1) fm::RaiseZeroDivide();
    return CheckedUnary([](Ext v) { return std::atanh(v); }, x);
}
Ext FnCosh(Ext x) {
    return CheckedUnary([](Ext v) { return std::cosh(v); }, x);
}
Ext FnCotan(Ext x) {
    return fm::Divide(1, CheckedUnary([](Ext v) { return std::tan(v); }, x));
}
Ext FnSinh(Ext x) {
    return CheckedUnary([](Ext v) { return std::sinh(v); }, x);
}
Ext FnTan(Ext x) {
    return CheckedUnary([](Ext v) { return std::tan(v); }, x);
}
Ext FnTanh(Ext x) {
    return std::tanh(x);
}

template <int Part>
Ext FnDatePart(Ext x) {
    Word y = 0, m = 0, d = 0;
    DecodeDate(TDateTime(static_cast<double>(x)), y, m, d);
    return Part == 0 ? d : Part == 1 ? m : y;
}
template <int Part>
Ext FnTimePart(Ext x) {
    Word h = 0, n = 0, s = 0, ms = 0;
    DecodeTime(TDateTime(static_cast<double>(x)), h, n, s, ms);
    return Part == 0 ? h : Part == 1 ? n : s;
}

// ---- two arguments ----
// 10 to the power of n rounded to a whole number.
Ext ScaleOf(Ext n) {
    return fm::IntPower(10, fm::Round64(n));
}
Ext FnRound(Ext x, Ext n) {
    Ext p = ScaleOf(n);
    Ext scaled = fm::Multiply(p, std::fabs(x));
    if (fm::IsBeyondWhole(scaled)) return x;
    Ext r = static_cast<Ext>(fm::Round64(scaled));
    if (scaled - r == 0.5L) r += 1;  // halves move away from zero
    Ext result = fm::Divide(r, p);
    return x < 0 ? -result : result;
}
Ext FnRoundUp(Ext x, Ext n) {
    Ext p = ScaleOf(n);
    Ext scaled = fm::Multiply(p, std::fabs(x));
    if (fm::IsBeyondWhole(scaled)) return x;
    Ext result = fm::Divide(std::ceil(scaled), p);
    return x < 0 ? -result : result;
}
Ext FnRoundDown(Ext x, Ext n) {
    Ext p = ScaleOf(n);
    return fm::Divide(std::trunc(fm::Multiply(x, p)), p);
}
Ext FnCeiling(Ext x, Ext s) {
    Ext q = fm::Divide(x, s);
    if (fm::IsBeyondWhole(q) || q == static_cast<Ext>(fm::Trunc64(q))) return x;
    return fm::Multiply(s, std::ceil(q));
}
Ext FnFloor(Ext x, Ext s) {
    Ext q = fm::Divide(x, s);
    if (fm::IsBeyondWhole(q) || q == static_cast<Ext>(fm::Trunc64(q))) return x;
    return fm::Multiply(s, std::floor(q));
}
Ext FnLog(Ext x, Ext b) {
    return fm::Divide(fm::Ln(x), fm::Ln(b));
}

// ---- three arguments ----
Ext FnIf(Ext c, Ext a, Ext b) {
    return c != 0 ? a : b;
}
[[noreturn]] void RaiseNum() {
    throw Exception("#NUM!");
}
Word Low16(Ext x) {
    return static_cast<Word>(static_cast<unsigned long long>(fm::Round64(x)) & 0xFFFF);
}
Ext FnDate(Ext y, Ext m, Ext d) {
    Word Y = Low16(y), M = Low16(m), D = Low16(d);
    if (M == 0 && D == 0 && Y != 0) {
        if (Y == 1900) RaiseNum();
        Y = Y > 1900 ? Y - 1 : Y + 1899;
        M = 11;
        D = 30;
    } else if (M != 0 && D != 0 && Y == 0) {
        Y = 1900;
    } else if (Y == 0 || M == 0 || D == 0) {
        RaiseNum();
    }
    return static_cast<double>(EncodeDate(Y, M, D));
}
Ext FnTime(Ext h, Ext m, Ext s) {
    return static_cast<double>(EncodeTime(Low16(h), Low16(m), Low16(s), 0));
}

// ---- no arguments ----
Ext FnPi(TFormulaEnvironment&) {
    return 3.1415926535897932385L;
}
Ext FnToday(TFormulaEnvironment& Env) {
    return Env.GetToday();
}
Ext FnNow(TFormulaEnvironment& Env) {
    return Env.GetNow();
}
Ext FnRand(TFormulaEnvironment& Env) {
    return Env.GetRandom();
}

// ---- value lists (read last first) ----
double ListMin(const double* v, std::size_t n) {
    double r = v[n - 1];
    for (std::size_t i = n; i-- > 0;)
        if (v[i] < r) r = v[i];
    return r;
}
double ListMax(const double* v, std::size_t n) {
    double r = v[n - 1];
    for (std::size_t i = n; i-- > 0;)
        if (v[i] > r) r = v[i];
    return r;
}
Ext ListTotal(const double* v, std::size_t n) {
    Ext total = 0;
    for (std::size_t i = n; i-- > 0;)
        total += v[i];
    return total;
}
double ListSum(const double* v, std::size_t n) {
    return static_cast<double>(ListTotal(v, n));
}
double ListAverage(const double* v, std::size_t n) {
    return static_cast<double>(ListTotal(v, n) / static_cast<Ext>(n));
}
double ListCount(const double*, std::size_t n) {
    return static_cast<double>(n);
}
double ListAnd(const double* v, std::size_t n) {
    for (std::size_t i = n; i-- > 0;)
        if (v[i] == 0) return 0;
    return 1;
}
double ListOr(const double* v, std::size_t n) {
    for (std::size_t i = n; i-- > 0;)
        if (v[i] != 0) return 1;
    return 0;
}

std::vector<TFunction> BuildTable() {
    std::vector<TFunction> t;
    auto f0 = [&](const char* n, TFunction::TRoutine0 r, TCarrelonExpressionType ty) {
        TFunction f;
        f.Name = n, f.ResultType = ty, f.Kind = 0, f.Routine0 = r;
        t.push_back(f);
    };
    auto f1 = [&](const char* n, TFunction::TRoutine1 r, TCarrelonExpressionType ty) {
        TFunction f;
        f.Name = n, f.ResultType = ty, f.Kind = 1, f.Routine1 = r;
        t.push_back(f);
    };
    auto f2 = [&](const char* n, TFunction::TRoutine2 r, TCarrelonExpressionType ty) {
        TFunction f;
        f.Name = n, f.ResultType = ty, f.Kind = 2, f.Routine2 = r;
        t.push_back(f);
    };
    auto f3 = [&](const char* n, TFunction::TRoutine3 r, TCarrelonExpressionType ty) {
        TFunction f;
        f.Name = n, f.ResultType = ty, f.Kind = 3, f.Routine3 = r;
        t.push_back(f);
    };
    auto fl = [&](const char* n, TFunction::TListRoutine r, TCarrelonExpressionType ty, int kind,
                  bool emptyIsNA = false) {
        TFunction f;
        f.Name = n, f.ResultType = ty, f.Kind = kind, f.ListRoutine = r;
        f.EmptyListIsNA = emptyIsNA;
        t.push_back(f);
    };
    fl("min", ListMin, etDontCare, fkStatList);
    fl("max", ListMax, etDontCare, fkStatList);
    fl("sum", ListSum, etDontCare, fkList);
    fl("average", ListAverage, etDontCare, fkList);
    f1("abs", FnAbs, etDontCare);
    f1("atan", FnAtan, etDontCare);
    f1("cos", FnCos, etDontCare);
    f1("exp", FnExp, etDontCare);
    f1("int", FnInt, etDontCare);
    f1("ln", FnLn, etDontCare);
    f0("pi", FnPi, etDontCare);
    f1("sin", FnSin, etDontCare);
    f1("sqrt", FnSqrt, etDontCare);
    f1("trunc", FnTrunc, etDontCare);
    f1("acos", FnArcCos, etDontCare);
    f1("acosh", FnArcCosh, etDontCare);
    f1("asin", FnArcSin, etDontCare);
    f1("asinh", FnArcSinh, etDontCare);
    f1("atanh", FnArcTanh, etDontCare);
    f1("cosh", FnCosh, etDontCare);
    f1("cotan", FnCotan, etDontCare);
    f1("sinh", FnSinh, etDontCare);
    f1("tan", FnTan, etDontCare);
    f1("tanh", FnTanh, etDontCare);
    fl("count", ListCount, etNumeric, fkStatList);
    f3("if", FnIf, etDontCare);
    f0("today", FnToday, etDate);
    f0("now", FnNow, etDateTime);
    f2("round", FnRound, etDontCare);
    f2("ceiling", FnCeiling, etDontCare);
    f2("floor", FnFloor, etDontCare);
    f2("log", FnLog, etDontCare);
    f3("date", FnDate, etDate);
    f3("time", FnTime, etTime);
    // Date and time parts are plain numbers, not dates.
    f1("day", FnDatePart<0>, etNumeric);
    f1("month", FnDatePart<1>, etNumeric);
    f1("year", FnDatePart<2>, etNumeric);
    f1("hour", FnTimePart<0>, etNumeric);
    f1("minute", FnTimePart<1>, etNumeric);
    f1("second", FnTimePart<2>, etNumeric);
    f0("rand", FnRand, etDontCare);
    fl("and", ListAnd, etNumeric, fkList, true);
    fl("or", ListOr, etNumeric, fkList, true);
    f2("roundup", FnRoundUp, etDontCare);
    f2("rounddown", FnRoundDown, etDontCare);
    return t;
}

}  // namespace

const std::vector<TFunction>& FormulaFunctions() {
    static const std::vector<TFunction> table = BuildTable();
    return table;
}

int FindFormulaFunction(const AnsiString& Name) {
    static const std::unordered_map<AnsiString, int> index = [] {
        std::unordered_map<AnsiString, int> m;
        const auto& t = FormulaFunctions();
        for (int i = static_cast<int>(t.size()) - 1; i >= 0; --i)
            m[t[i].Name] = i;
        return m;
    }();
    auto it = index.find(Name);
    return it == index.end() ? -1 : it->second;
}

int RandFunctionIndex() {
    static const int index = FindFormulaFunction("rand");
    return index;
}

}  // namespace carrelon
