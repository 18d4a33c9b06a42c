// Value types of the grid base class: cell coordinates, cell rectangles, draw states, options,
// states and scroll directions.
#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/Types.h"

namespace carrelon {

// A slot of the grid: column X, row Y.
struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A rectangle of slots, both corners included.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool Contains(int ACol, int ARow) const {
        return ACol >= Left && ACol <= Right && ARow >= Top && ARow <= Bottom;
    }
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

// Bits are the ordinals; stored option words rely on them.
enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

enum TScrollDirection { sdLeft, sdRight, sdUp, sdDown };
using TScrollDirections = TSet<TScrollDirection>;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

enum TBorderStyle { bsNone, bsSingle };

// Raised for operations the grid cannot carry out (an index outside the grid, a fixed count
// that would leave no scrollable slot).
CARRELON_EXCEPTION(EInvalidGridOperation, Exception);

}  // namespace carrelon
