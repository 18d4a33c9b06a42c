// The built-in function table of formulas: name, result type, argument kind and routine, in the
// order in which the evaluator registers them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"

namespace carrelon {

enum TCarrelonExpressionType : std::uint8_t {
    etDontCare,
    etNumeric,
    etDate,
    etTime,
    etDateTime,
    etCurrency
};

// What the argument-less routines read from their surroundings: the clock, taken once per
// recalculation, and the random generator.
class TFormulaEnvironment {
public:
    virtual ~TFormulaEnvironment() = default;
    virtual Extended GetNow() = 0;
    virtual Extended GetToday() = 0;
    virtual Extended GetRandom() = 0;
};

// Argument kinds: 0 to 3 arguments, or a value list (single values and ranges).
inline constexpr int fkList = -1;
inline constexpr int fkStatList = -2;

struct TFunction {
    using TRoutine0 = Extended (*)(TFormulaEnvironment&);
    using TRoutine1 = Extended (*)(Extended);
    using TRoutine2 = Extended (*)(Extended, Extended);
    using TRoutine3 = Extended (*)(Extended, Extended, Extended);
    // Values in the order they were collected; routines read them last first.
    using TListRoutine = double (*)(const double* Values, std::size_t Count);

    AnsiString Name;  // lower case
    TCarrelonExpressionType ResultType = etDontCare;
    int Kind = 0;
    TRoutine0 Routine0 = nullptr;
    TRoutine1 Routine1 = nullptr;
    TRoutine2 Routine2 = nullptr;
    TRoutine3 Routine3 = nullptr;
    TListRoutine ListRoutine = nullptr;
    // What a list function gives when no value remains: NA for "and" and "or", else 0.
    bool EmptyListIsNA = false;
};

// The table, built once; index = registration order.
const std::vector<TFunction>& FormulaFunctions();
// Index of the function with exactly this (lower-case) name, or -1.
int FindFormulaFunction(const AnsiString& Name);
// Index of "rand": its cells are seeded per slot.
int RandFunctionIndex();

}  // namespace carrelon
