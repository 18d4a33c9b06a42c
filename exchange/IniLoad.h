// The INI load in two phases. The decoder reads the whole text into a staging model, checking
// every number, index, enumeration and size, and raises EIniLoadError naming the section, the
// line and the reason before the grid is touched. The loader then resets the grid and applies
// the staged state; nothing it does depends on the text being sound. Internal to exchange/.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "exchange/IniFormat.h"
#include "grid/CarrelonPrivate.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

class TCarrelonIniFile;
class TCarrelonIniSection;

// ---- the staged state ----------------------------------------------------------------------

// The attributes of a font that a text sets; the others stay as the font they are applied to.
struct TIniFontStage {
    bool HasName = false, HasPitch = false, HasCharset = false, HasSize = false, HasStyle = false,
         HasColor = false;
    AnsiString Name;
    int Pitch = 0, Charset = 0, Size = 0, Style = 0;
    TColor Color = 0;
    bool Any() const {
        return HasName || HasPitch || HasCharset || HasSize || HasStyle || HasColor;
    }
    // Applies the attributes in the load's order: name, pitch, charset, size, style, colour.
    void ApplyTo(TFont& Font) const;
};

struct TIniPrintStage {
    double Distance = 0;
    std::unique_ptr<TFont> Font;
    TAlignment Alignment = taLeftJustify;
    std::vector<AnsiString> Lines;
};

// The "Grid" section with every default resolved.
struct TIniGridStage {
    bool Older = false;
    bool Visible = true, Enabled = true, TabStop = true, ShowHint = false, Ctl3D = true;
    int Width = 0, Height = 0;
    TSizeConstraints Constraints;
    AnsiString Hint;
    Int64 Tag = 0;
    TCursor Cursor = 0, DragCursor = 0;
    TDragMode DragMode = dmManual;
    TDragKind DragKind = dkDrag;
    TBorderStyle BorderStyle = bsSingle;
    TScrollStyle ScrollBars = ssBoth;
    AnsiString PopupMenu;
    int DefaultColWidth = 64, DefaultRowHeight = 18, GridLineWidth = 1, BorderForText = 2;
    TColor Color = 0, FixedColor = 0;
    TCarrelonOptions Options;
    TCarrelonEditorOptions EditorOptions;
    TCarrelonEditControlOptions EditControlOptions;
    TCarrelonTabOptions TabOptions;
    TCarrelonPrintOptions PrintOptions;
    TCarrelonSpreadsheetOptions SpreadsheetOptions;
    TCarrelonLoadedEvents LoadedEvents;
    bool WordWrap = true, HideSelection = false, InplaceScrollBar = false;
    TColor EditColor = 0, EditFontColor = 0, SelectionColor = 0, SelectionFontColor = 0;
    TColor GridLineColor = 0, FixedGridLineColor = 0, SortIndicatorColor = 0;
    AnsiString ExportTag;
    bool SortDescending = false, SortIndicator = false, SortOnDblClick = false, SortOnClick = false;
    int SortColumn = 0;
    bool SpreadsheetEnabled = false, SpreadsheetHeaders = false;
    std::unique_ptr<TFont> Font;
    double Margins[4] = {0, 0, 0, 0};  // left, top, right, bottom
    TIniPrintStage Print[2];           // header, footer
    int ColCount = 5, FixedCols = 1, RowCount = 5, FixedRows = 1;
};

// Lines of the bulk sections, each already read and checked.
struct TIniColumnInt {
    int Col, Value;
};
struct TIniCellInt {
    int Col, Row, Value;
};
struct TIniCellText {
    int Col, Row;
    AnsiString Text;
};
struct TIniCellValue {
    int Col, Row;
    Variant Value;
};
struct TIniCellGraphic {
    int Col, Row;
    std::unique_ptr<TGraphic> Graphic;
};
struct TIniCellPair {
    int Col, Row, First, Second;
};
// A cell of an older text: its one section's text, a formula or a value.
struct TIniOlderCell {
    int Col, Row;
    bool Formula;
    AnsiString Text;
};

struct TIniStage {
    TIniGridStage Grid;
    // Column sections: value lines and presence lines by key, then the twins.
    std::vector<TIniColumnInt> ColumnValues[ickCount];
    std::vector<int> ColumnPresent[ickCount];
    std::vector<TIniColumnInt> TwinValues[2][itkCount];
    std::vector<int> TwinPresent[2][itkCount];
    std::map<int, TIniFontStage> ColumnFonts[2];
    std::vector<TIniColumnInt> RowHeights;
    // Cell sections: "Unions" (end column, end row), the texts, values, pictures, numbers and
    // borders (colour, width).
    std::vector<TIniCellPair> Unions;
    std::vector<TIniCellText> Texts[iccCount];
    std::vector<TIniCellValue> Values;
    std::vector<TIniCellGraphic> Graphics;
    std::vector<TIniCellInt> Numbers[iccCount];
    std::vector<TIniCellPair> Borders[2];  // inner, outer
    std::vector<TIniOlderCell> OlderCells;
    std::vector<TIniCellPair> OlderCheckBoxes;  // checked, alignment
};

// ---- phase 1: decode -------------------------------------------------------------------------

class TCarrelonIniDecoder {
public:
    // Grid gives the values of keys whose default is the grid's present one.
    TCarrelonIniDecoder(const TCarrelon* Grid, const TCarrelonIniFile& Ini, TIniStage& Stage)
        : G(Grid), FIni(Ini), S(Stage) {}
    void Decode();

private:
    void DecodeGrid();
    void DecodeFont(const AnsiString& Section, const TFont& Defaults, TFont& Font);
    void DecodePrint();
    void DecodeColumns();
    void DecodeRowHeights();
    void DecodeCells();
    void DecodeOlderCells();

    // Reads of the "Grid" section: the default for a missing, malformed or out-of-range value.
    int GridInt(const char* Key, int Default, int Min, int Max) const;
    bool GridBool(const char* Key, bool Default) const;
    std::uint64_t GridSet(const char* Key, std::uint64_t Default, std::uint64_t Mask) const;

    // The lines of a section one by one, with the current line kept for error messages.
    template <typename F>
    void ForEachLine(const AnsiString& Section, F&& Fn);
    // The same for a cell section, each line placed: Fn(column, row, the rest of the line).
    template <typename F>
    void ForEachCellLine(TIniCellKey Key, F&& Fn);
    [[noreturn]] void Fail(const AnsiString& Reason) const;
    // Position reads of the current line.
    void CellPlace(std::string_view& Rest, int& Col, int& Row) const;
    int ColumnPlace(std::string_view& Rest) const;
    int PresencePlace(std::string_view Line) const;
    int Number(std::string_view Text, int Min, int Max, const char* What) const;
    void CheckColumn(int Col) const;
    void CheckRow(int Row) const;

    const TCarrelon* G;
    const TCarrelonIniFile& FIni;
    TIniStage& S;
    AnsiString FSection;
    std::string_view FLine;
};

// ---- phase 2: apply -------------------------------------------------------------------------

class TCarrelonIniLoader {
public:
    TCarrelonIniLoader(TCarrelon* Grid, TIniStage& Stage)
        : G(Grid), d(TCarrelonPrivate::Of(Grid)), S(Stage) {}
    // Steps 4 to 11 of the load; the caller holds the lock and does the clean-up.
    void Apply();

private:
    void Reset();
    void ApplyGrid();
    void ApplyPrint();
    void ApplyCounts();
    void ApplyColumns();
    void ApplyRows();
    void ApplyCells();
    void ApplyOlderCells();
    void HideColumns();
    TCarrelonCell* Cell(int Col, int Row) const { return d.FCols[Col]->CellList()[Row]; }

    TCarrelon* G;
    TCarrelonPrivate& d;
    TIniStage& S;
};

}  // namespace carrelon
