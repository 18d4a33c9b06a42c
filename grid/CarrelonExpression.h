// TCarrelonExpression: evaluates one formula text for a grid, as recalculation does for a cell.
#pragma once

#include "formulas/FormulaEngine.h"
#include "platform/rtl/Object.h"

namespace carrelon {

class TCarrelon;
class TCarrelonCell;

// The value Evaluate returns for "no value" (a merge-covered slot, a text that is no number).
inline constexpr Extended FormulaNA = 1.1e4932L;

class TCarrelonExpression : public TObject {
public:
    explicit TCarrelonExpression(TCarrelon* Grid) : FGrid(Grid) {}
    AnsiString ClassName() const override { return "TCarrelonExpression"; }

    // Evaluates Text as the formula of Cell (whose error flag it clears, and sets on failure).
    // Raises Exception with the error text on failure; the text stays readable afterwards.
    Extended Evaluate(const AnsiString& Text, TCarrelonCell* Cell,
                      TCarrelonExpressionType& ResultType);
    const AnsiString& GetErrorText() const { return FErrorText; }

private:
    TCarrelon* FGrid;
    AnsiString FErrorText;
};

}  // namespace carrelon
