// The compiled form of a formula: the instructions that the parser emits in evaluation order.
// A parse error becomes a final instruction that raises it, so that errors met earlier while
// computing (a division by zero left of a syntax error) still win as they would when computing
// while parsing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "formulas/Tokenizer.h"
#include "platform/rtl/Types.h"

namespace carrelon {

enum class TFormulaOp : std::uint8_t {
    Number,     // push Number
    Cell,       // push the value of cell (Col, Row) in A1 numbers
    Negate,     // negate the top value
    Binary,     // apply Operator to the two top values
    Call,       // call function Function (kinds 0 to 3) on its arguments
    ListOpen,   // start collecting the values of a list function
    ListValue,  // move the top value into the open list
    ListRange,  // add the cells of range (Col, Row)..(Col2, Row2) but the first to the open list
    ListCall,   // call list function Function on the open list and push its result
    Raise       // fail with error Error
};

struct TFormulaInstruction {
    TFormulaOp Op = TFormulaOp::Number;
    TToken Operator = tokenStart;
    std::uint8_t Error = 0;
    std::int32_t Function = -1;
    long double Number = 0;
    // Cell and range corners as A1 numbers (1-based); saturated for absurd names.
    std::int64_t Col = 0, Row = 0, Col2 = 0, Row2 = 0;
};

struct TFormulaProgram {
    std::vector<TFormulaInstruction> Code;
    bool UsesRand = false;  // the cell must be seeded by its slot before evaluation
    bool Volatile = false;  // calls now, today or rand: a new value at every recalculation
};

// Parses Text with the given separators. Never fails: errors are compiled in.
std::shared_ptr<const TFormulaProgram> CompileFormula(const AnsiString& Text,
                                                      TFormulaSeparators Separators);

// Deepest nesting of parentheses, signs, powers and calls the parser follows; deeper text fails
// with "Expression too complex" instead of exhausting the stack.
inline constexpr int MaxFormulaNesting = 200;

}  // namespace carrelon
