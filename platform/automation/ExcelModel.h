// The spreadsheet server's workbook model: sheets of cells keyed by position, each cell a value,
// an optional formula or rich text, and an index into the workbook's table of interned styles.
// Kept light so that a workbook of millions of cells costs tens of bytes per cell.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

namespace carrelon::xl {

inline constexpr int MaxRows = 1048576;
inline constexpr int MaxCols = 16384;
inline constexpr std::uint32_t AutoColor = 0xFF000000u;  // font colour "automatic"
inline constexpr std::uint32_t NoFill = 0xFF000000u;

struct FontRec {
    AnsiString Name = "Calibri";
    double Size = 11;
    std::uint32_t Color = AutoColor;  // $00BBGGRR or AutoColor
    bool Bold = false;
    bool Italic = false;
    std::int8_t Underline = 0;  // 0 none, 1 single, 2 double
    bool Strike = false;
    friend bool operator==(const FontRec&, const FontRec&) = default;
};

// Border weights as the server takes them (xlHairline, xlThin, xlMedium, xlThick); 0 = none.
struct EdgeRec {
    int Weight = 0;
    std::uint32_t Color = 0;
    friend bool operator==(const EdgeRec&, const EdgeRec&) = default;
};

enum TEdge { edLeft, edTop, edRight, edBottom };

struct StyleRec {
    FontRec Font;
    std::uint32_t Fill = NoFill;
    int HAlign = 1;      // xlGeneral
    int VAlign = -4107;  // xlBottom
    bool Wrap = false;
    bool QuotePrefix = false;
    EdgeRec Edges[4];
    AnsiString NumFmt = "General";
    friend bool operator==(const StyleRec&, const StyleRec&) = default;
};

// Interned styles; id 0 is the default style.
class StyleTable {
public:
    StyleTable();
    std::uint32_t Intern(const StyleRec& Style);
    const StyleRec& Get(std::uint32_t Id) const { return FStyles[Id]; }
    std::size_t Count() const { return FStyles.size(); }
    // 0 for a plain number format, 1 for a date or time, 2 for a currency (cached per style).
    int FormatKind(std::uint32_t Id) const;

private:
    mutable std::vector<std::int8_t> FKinds;  // -1 = not yet known
    std::vector<StyleRec> FStyles;
    std::unordered_multimap<std::size_t, std::uint32_t> FIndex;
};

// One run of rich text; a run without its own font takes the cell's.
struct RichRun {
    AnsiString Text;
    bool HasFont = false;
    FontRec Font;
};

struct CellRec {
    Variant Value;  // cached result for a formula
    std::uint32_t Style = 0;
    std::uint32_t Formula = 0;  // 1-based index into Sheet::Formulas, 0 = none
    std::uint32_t Rich = 0;     // 1-based index into Sheet::RichTexts, 0 = none
    int Row = 0;
    int Col = 0;
};

struct MergeRect {
    int Row1, Col1, Row2, Col2;
};

struct Sheet {
    AnsiString Name;
    std::vector<CellRec> Cells;
    std::unordered_map<std::uint64_t, std::uint32_t> Index;  // (row, col) -> Cells
    std::vector<AnsiString> Formulas;                        // without the "="
    std::vector<std::vector<RichRun>> RichTexts;
    std::map<std::uint64_t, AnsiString> Comments;
    std::vector<MergeRect> Merges;
    std::unordered_map<int, std::vector<std::uint32_t>> MergesByRow;  // row -> Merges
    std::map<int, double> ColumnWidths;                               // character units
    double DefaultColumnWidth = 8.43;
    bool Frozen = false;
    int SplitRow = 0;
    int SplitColumn = 0;
    // Whole rows or columns formatted, or named as the sheet's dimension, in a read file: the
    // used range then spans the sheet.
    bool WholeRowsUsed = false;
    bool WholeColumnsUsed = false;

    static std::uint64_t Key(int Row, int Col) {
        return (static_cast<std::uint64_t>(Row) << 16) | static_cast<std::uint32_t>(Col);
    }
    const CellRec* Find(int Row, int Col) const;
    CellRec& At(int Row, int Col);  // creates the cell
    const MergeRect* MergeAt(int Row, int Col) const;
    void AddMerge(const MergeRect& Rect);
    void RemoveMergesOverlapping(const MergeRect& Rect);
    double ColumnWidth(int Col) const;
    // Used range: false when the sheet holds nothing.
    bool UsedRange(int& Row1, int& Col1, int& Row2, int& Col2) const;
};

struct Book {
    std::vector<std::unique_ptr<Sheet>> Sheets;
    int ActiveSheet = 0;
    bool Date1904 = false;
    StyleTable Styles;
    AnsiString FileName;
};

// Character-unit column width to pixels and points at 96 pixels per inch (the standard font's
// digit is 7 pixels wide with 5 pixels of padding).
int ColumnWidthToPixels(double Width);
double PixelsToColumnWidth(int Pixels);

// The legacy indexed colours, $00BBGGRR: 0..7 the basic eight, 8..63 the 56-colour palette,
// 64 and 65 the system foreground and background. Black for other indexes.
std::uint32_t IndexedColor(int Index);

// Column letters (1 = "A") and back; 0 when not letters or beyond the sheet.
AnsiString ColumnName(int Col);
int ColumnFromName(const AnsiString& Letters);
// "A1" / "$A$1" -> row and column; false when not a cell name within the sheet.
bool ParseCellRef(const AnsiString& Text, int& Row, int& Col);

// Shifts the relative references of a formula by the given offsets (for shared formulas).
AnsiString ShiftFormula(const AnsiString& Formula, int RowOffset, int ColOffset);

// Writes the workbook as .xlsx (libxlsxwriter). Raises Exception on failure.
void WriteXlsx(const Book& Workbook, const AnsiString& FileName);
// Reads an .xlsx file within the limits; raises Exception with a clear message on bad input.
std::unique_ptr<Book> ReadXlsx(const AnsiString& FileName);
std::unique_ptr<Book> ReadXlsxBytes(const std::vector<char>& Data);

}  // namespace carrelon::xl
