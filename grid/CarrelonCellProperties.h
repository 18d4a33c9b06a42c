// The optional per-cell record. A cell has one only while some entry differs from its default;
// every entry's all-zero value is its default, so an empty record compares equal to a fresh one.
#pragma once

#include <cstdint>
#include <memory>

#include "grid/CarrelonBorders.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TFont;
class TPicture;
class TCarrelonCol;

// Stored forms of the Boolean attributes: 0 inherits from the column.
enum : Byte { triInherit = 0, triFalse = 1, triTrue = 2 };

struct TCarrelonCellProperties {
    AnsiString FFormula;  // without "=", upper-cased, trimmed
    AnsiString FHint;
    // Shared so that a font handed out by the cell stays valid after the cell drops it.
    std::shared_ptr<TFont> FFont;
    std::unique_ptr<TPicture> FPicture;
    std::unique_ptr<TCarrelonCellInnerBorder> FInnerBorder;
    std::unique_ptr<TCarrelonCellOuterBorder> FOuterBorder;
    TObject* FObject = nullptr;       // the application's; freed only under cloFreeCellObjects
    TCarrelonCol* FEndCol = nullptr;  // nil: the start column itself
    std::int32_t FEndRow = 0;         // last row + 1; 0: the cell's own row
    TColor FColor = 0;                // 0 inherits; clBlack is kept as clDefault's value
    TColor FSelectedColor = 0;
    TColor FSelectedFontColor = 0;
    Word FMaxLength = 0;  // maximum length + 1
    Byte FReadOnly = 0;   // tri-states
    Byte FWordWrap = 0;
    Byte FCheckBox = 0;
    Byte FCheckBoxChecked = 0;
    Byte FButton = 0;
    Byte FCheckBoxAlignment = 0;  // ordinal + 1
    Byte FTextAlignment = 0;
    Byte FGraphicAlignment = 0;
    Byte FTextLayout = 0;
    Byte FGraphicLayout = 0;
    bool FFontUsed = false;
    bool FButtonPushed = false;
    bool FError = false;

    TCarrelonCellProperties();
    ~TCarrelonCellProperties();
    // True when every entry holds its default.
    bool IsDefault() const;
};

}  // namespace carrelon
