// The option sets of the grid control. Each member's bit in the stored value is its ordinal;
// saved files and form streams keep the sets as those integers.
#pragma once

#include <cstdint>

#include "platform/rtl/Set.h"

namespace carrelon {

enum TCarrelonOption : std::uint8_t {
    cloFixedVertLine,
    cloFixedHorzLine,
    cloVertLine,
    cloHorzLine,
    cloRangeSelect,
    cloDrawFocusSelected,
    cloRowSizing,
    cloColSizing,
    cloRowMoving,
    cloColMoving,
    cloEditing,
    cloTabs,
    cloRowSelect,
    cloAlwaysShowEditor,
    cloThumbTracking,
    cloAutoIncreaseRowHeights,
    cloAutoDecreaseRowHeights,
    cloDrawFocusRectangle,
    cloMultiLineCells,
    cloMultiSelect,
    cloSelectFixedCols,
    cloSelectFixedRows,
    cloEnterThrough,
    cloClearCellOnDel,
    cloTabThrough,
    cloCut,
    cloCopy,
    cloPaste,
    cloAddColsOnPaste,
    cloAddRowsOnPaste,
    cloStretchImages,
    cloFreeCellObjects
};
using TCarrelonOptions = TSet<TCarrelonOption>;

enum TCarrelonEditorOption : std::uint8_t {
    eoAutoIncreaseRowHeight,
    eoAutoDecreaseRowHeight,
    eoShowOnChar,
    eoClearOnChar,
    eoCursorAtEnd,
    eoSelectAll,
    eoAllowPaste
};
using TCarrelonEditorOptions = TSet<TCarrelonEditorOption>;

enum TCarrelonEditControlOption : std::uint8_t {
    ecoAutoIncreaseRowHeight,
    ecoAutoIncreaseColumnWidth,
    ecoUseEditColor,
    ecoUseEditFontColor,
    ecoUseCellFont,
    ecoMakeFlat
};
using TCarrelonEditControlOptions = TSet<TCarrelonEditControlOption>;

enum TCarrelonTabOption : std::uint8_t { toSkipMergedRows, toTabOutOfGrid };
using TCarrelonTabOptions = TSet<TCarrelonTabOption>;

enum TCarrelonLoadedEvent : std::uint8_t { leOnSelectCell, leOnClick };
using TCarrelonLoadedEvents = TSet<TCarrelonLoadedEvent>;

enum TCarrelonPrintOption : std::uint8_t {
    poRepeatFixedCols,
    poRepeatFixedRows,
    poPrintSpreadsheetHeaders,
    poUseVertLine,
    poUseHorzLine,
    poUseFixedVertLine,
    poUseFixedHorzLine,
    poUseCellColors,
    poUseFontColors,
    poUseFixedColor,
    poUseGridColor,
    poUseGridLineColor,
    poUseFixedGridLineColor,
    poFitPageWidth,
    poFitPageHeight
};
using TCarrelonPrintOptions = TSet<TCarrelonPrintOption>;

enum TCarrelonSpreadsheetOption : std::uint8_t {
    soExcelStyleHeadings,
    soExcelStyleHeadingHighlight,
    soExcelStyleNavigation
};
using TCarrelonSpreadsheetOptions = TSet<TCarrelonSpreadsheetOption>;

// The defaults the constructor copies, one entry per set that is not empty by default.
struct TCarrelonDefaultOptions {
    std::uint32_t Options;
    std::uint8_t EditorOptions;
    std::uint8_t EditControlOptions;
    std::uint16_t PrintOptions;
    std::uint8_t SpreadsheetOptions;
};
inline constexpr TCarrelonDefaultOptions CarrelonDefaultOptions{0x0E8F8CDF, 0x47, 0x1F, 0x1FF8,
                                                                0x03};

// Storage widths of the sets: values read from files are masked to these.
inline constexpr std::uint64_t CarrelonOptionsMask = 0xFFFFFFFFu;
inline constexpr std::uint64_t CarrelonEditorOptionsMask = 0x7Fu;
inline constexpr std::uint64_t CarrelonEditControlOptionsMask = 0x3Fu;
inline constexpr std::uint64_t CarrelonTabOptionsMask = 0x03u;
inline constexpr std::uint64_t CarrelonLoadedEventsMask = 0x03u;
inline constexpr std::uint64_t CarrelonPrintOptionsMask = 0x7FFFu;
inline constexpr std::uint64_t CarrelonSpreadsheetOptionsMask = 0x07u;

}  // namespace carrelon
