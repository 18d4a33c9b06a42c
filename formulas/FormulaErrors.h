// The error codes of formula evaluation and their texts, which become the cell's value.
#pragma once

#include "platform/rtl/Types.h"

namespace carrelon {

enum TFormulaError : int {
    feNone = 0,
    feEmptyExpression = 1,
    feFloatingPoint = 2,
    feUnknownCharacter = 3,
    feOperandExpected = 4,
    feInvalidExpression = 5,
    feUnknownFunction = 6,
    feLeftParenthesis = 7,
    feRightParenthesis = 8,
    feListSeparator = 9,
    feInvalidRange = 10,
    feInvalidCellReference = 11,
    feCyclicReference = 12,
    feReferenceToError = 13,
    feTooComplex = 14  // nesting deeper than the parser follows
};

const AnsiString& FormulaErrorText(int Code);

}  // namespace carrelon
