// The optional per-cell record. A cell has one only while some entry differs from its default;
// every entry's all-zero value is its default, so an empty record compares equal to a fresh one.
//
// The attributes a cell may set itself or leave to its column keep the stored forms that saved
// files carry: a tri-state byte, an ordinal + 1, a length + 1, a colour with 0 for "inherit".
// Each has a small type of its own, so that code says what it means and the bytes stay as
// they are.
#pragma once

#include <cstdint>
#include <memory>

#include "grid/CarrelonBorders.h"
#include "grid/CarrelonTypes.h"
#include "platform/graphics/Colors.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TFont;
class TPicture;
class TCarrelonCol;

// A Boolean the cell may leave to its column. Stored: 0 inherits, 1 is False, 2 is True.
class TCellTriState {
public:
    constexpr TCellTriState() = default;
    static constexpr TCellTriState Of(bool Value) { return TCellTriState(Value ? 2 : 1); }
    static constexpr TCellTriState FromStored(Byte Stored) { return TCellTriState(Stored); }
    constexpr Byte Stored() const { return FStored; }
    constexpr bool IsSet() const { return FStored != 0; }
    constexpr bool Value() const { return FStored == 2; }
    constexpr bool operator==(const TCellTriState&) const = default;

private:
    constexpr explicit TCellTriState(Byte Stored) : FStored(Stored) {}
    Byte FStored = 0;
};

// An enumeration value (an alignment or a layout) the cell may leave to its column. Stored as
// its ordinal + 1; 0 inherits.
template <typename E>
class TCellOwnEnum {
public:
    constexpr TCellOwnEnum() = default;
    static constexpr TCellOwnEnum Of(E Value) {
        return TCellOwnEnum(static_cast<Byte>(static_cast<int>(Value) + 1));
    }
    static constexpr TCellOwnEnum FromStored(Byte Stored) { return TCellOwnEnum(Stored); }
    constexpr Byte Stored() const { return FStored; }
    constexpr bool IsSet() const { return FStored != 0; }
    constexpr E Value() const { return static_cast<E>(FStored - 1); }
    constexpr bool operator==(const TCellOwnEnum&) const = default;

private:
    constexpr explicit TCellOwnEnum(Byte Stored) : FStored(Stored) {}
    Byte FStored = 0;
};

// The longest text the cell accepts, 0..65534, or left to its column. Stored as the length + 1
// in 16 bits; 0 inherits.
class TCellOwnLength {
public:
    static constexpr int Max = 65534;
    constexpr TCellOwnLength() = default;
    static constexpr TCellOwnLength Of(int Value) {
        return TCellOwnLength(static_cast<Word>(Value + 1));
    }
    static constexpr TCellOwnLength FromStored(Word Stored) { return TCellOwnLength(Stored); }
    constexpr Word Stored() const { return FStored; }
    constexpr bool IsSet() const { return FStored != 0; }
    constexpr int Value() const { return FStored - 1; }
    constexpr bool operator==(const TCellOwnLength&) const = default;

private:
    constexpr explicit TCellOwnLength(Word Stored) : FStored(Stored) {}
    Word FStored = 0;
};

// A colour the cell may leave to its column or the grid. Stored: 0 inherits; clBlack, whose
// value is 0, is kept as clDefault's value. Value() reads clDefault when nothing is set.
class TCellOwnColor {
public:
    constexpr TCellOwnColor() = default;
    static constexpr TCellOwnColor Of(TColor Value) {
        return TCellOwnColor(Value == clDefault ? 0 : Value == clBlack ? clDefault : Value);
    }
    static constexpr TCellOwnColor FromStored(TColor Stored) { return TCellOwnColor(Stored); }
    constexpr TColor Stored() const { return FStored; }
    constexpr bool IsSet() const { return FStored != 0; }
    constexpr TColor Value() const {
        return FStored == 0 ? clDefault : FStored == clDefault ? clBlack : FStored;
    }
    constexpr bool operator==(const TCellOwnColor&) const = default;

private:
    constexpr explicit TCellOwnColor(TColor Stored) : FStored(Stored) {}
    TColor FStored = 0;
};

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
    TCellOwnColor FColor;
    TCellOwnColor FSelectedColor;
    TCellOwnColor FSelectedFontColor;
    TCellOwnLength FMaxLength;
    TCellTriState FReadOnly;
    TCellTriState FWordWrap;
    TCellTriState FCheckBox;
    TCellTriState FCheckBoxChecked;
    TCellTriState FButton;
    TCellOwnEnum<TAlignment> FCheckBoxAlignment;
    TCellOwnEnum<TAlignment> FTextAlignment;
    TCellOwnEnum<TAlignment> FGraphicAlignment;
    TCellOwnEnum<TTextLayout> FTextLayout;
    TCellOwnEnum<TTextLayout> FGraphicLayout;
    bool FFontUsed = false;
    bool FButtonPushed = false;
    bool FError = false;

    TCarrelonCellProperties();
    ~TCarrelonCellProperties();
    // True when every entry holds its default.
    bool IsDefault() const;
};

// An attribute the cell may set itself or leave to its column: where the cell keeps its own
// value, and the column's getters for its scrollable rows and for its fixed rows.
template <typename Own, typename T>
struct TCellInheritedAttribute {
    Own TCarrelonCellProperties::*Field;
    T (TCarrelonCol::*Scrollable)() const;
    T (TCarrelonCol::*Fixed)() const;
};

}  // namespace carrelon
