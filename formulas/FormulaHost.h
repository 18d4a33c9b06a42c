// What formula evaluation needs from a grid: cells by absolute column and row, their formulas,
// values and error flags, and the surroundings of the argument-less functions. TCarrelon
// implements it; tests use a small grid of their own.
#pragma once

#include <cstdint>

#include "formulas/Functions.h"
#include "platform/rtl/Types.h"

namespace carrelon {

using TFormulaCellId = const void*;

// A cell value as formulas read it.
struct TFormulaCellValue {
    enum TKind : std::uint8_t {
        cvEmpty,
        cvBoolean,
        cvNumber,
        cvDate,
        cvCurrency,
        cvText,
        cvUnconvertible
    };
    TKind Kind = cvEmpty;
    Extended Number = 0;  // Boolean: 1 or 0
    AnsiString Text;      // Text: the cell's display text
};

struct TFormulaSlot {
    TFormulaCellId Cell = nullptr;  // the cell object in the slot (one object per merged range)
    AnsiString Formula;             // empty when the cell has no formula
    bool IsHome = true;             // the slot is the cell's top-left one
    TFormulaCellValue Value;        // filled for a home slot without formula
};

class TFormulaHost : public TFormulaEnvironment {
public:
    // 1 while spreadsheet headings are on (names start at slot 1, 1), else 0.
    virtual int GetHeadingOffset() = 0;
    virtual int GetAbsoluteColCount() = 0;
    virtual int GetRowCount() = 0;
    // AbsCol and Row are within the counts.
    virtual void ReadSlot(int AbsCol, int Row, TFormulaSlot& Slot) = 0;
    virtual bool GetCellError(TFormulaCellId Cell) = 0;
    virtual void SetCellError(TFormulaCellId Cell, bool Error) = 0;
    // The generator seed of a referenced formula cell, so that its random numbers are the ones
    // it shows itself; false when no per-cell seeding applies (outside a recalculation).
    virtual bool GetCellSeed(TFormulaCellId Cell, std::uint32_t& Seed) = 0;
    virtual std::uint32_t GetRandSeed() = 0;
    virtual void SetRandSeed(std::uint32_t Seed) = 0;
};

}  // namespace carrelon
