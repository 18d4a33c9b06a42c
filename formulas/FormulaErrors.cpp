#include "formulas/FormulaErrors.h"

#include <array>

namespace carrelon {

const AnsiString& FormulaErrorText(int Code) {
    static const std::array<AnsiString, 15> texts{"",
                                                  "Empty expression",
                                                  "Error in floating point number",
                                                  "Unknown character",
                                                  "Operand expected",
                                                  "Invalid expression",
                                                  "Unknown function identifier",
                                                  "Left parenthesis expected",
                                                  "Right parenthesis expected",
                                                  "List separator expected",
                                                  "Invalid range",
                                                  "Invalid cell reference",
                                                  "Cyclic reference",
                                                  "Reference to error",
                                                  "Expression too complex"};
    return Code > 0 && Code < static_cast<int>(texts.size()) ? texts[Code] : texts[0];
}

}  // namespace carrelon
