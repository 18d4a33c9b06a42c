// Phase 1 of the INI load: the whole text read into the staging model and checked, before the
// grid is touched.
#include <cmath>

#include "exchange/CarrelonIniFile.h"
#include "exchange/IniLoad.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Conversions.h"

namespace carrelon {

namespace {

const AnsiString kGrid = "Grid";

// Limits of what a text may ask for.
constexpr int kMaxFontSize = 1638;
constexpr int kMaxFontName = 255;
constexpr int kMaxSize = 65535;  // widths, heights and lengths are 16-bit
// Rows fitted to tall content may pass 16 bits; far taller ones would only slow painting.
constexpr int kMaxRowHeight = 1 << 20;

// The version a text was written by: the four characters after the first of "About", read
// with "." as the decimal point; 0 when missing or unreadable.
double TextVersion(const AnsiString& About) {
    if (About.size() < 2) return 0;
    double v = 0;
    int code = 0;
    Val(About.substr(1, 4), v, code);
    return code == 0 ? v : 0;
}

bool ValidFontName(std::string_view Name) {
    return Name.size() <= kMaxFontName && !IniHasControls(Name);
}

// The text's line, shortened for a message.
AnsiString Shown(std::string_view Line) {
    constexpr std::size_t kShown = 80;
    if (Line.size() <= kShown) return AnsiString(Line);
    return AnsiString(Line.substr(0, kShown)) + "...";
}

}  // namespace

void TIniFontStage::ApplyTo(TFont& Font) const {
    if (HasName) Font.SetName(Name);
    if (HasPitch) Font.SetPitch(static_cast<TFontPitch>(Pitch));
    if (HasCharset) Font.SetCharset(static_cast<TFontCharset>(Charset));
    if (HasSize) Font.SetSize(Size);
    if (HasStyle) Font.SetStyle(TFontStyles::FromInt(static_cast<std::uint64_t>(Style)));
    if (HasColor) Font.SetColor(Color);
}

void TCarrelonIniDecoder::Decode() {
    DecodeGrid();
    DecodePrint();
    DecodeColumns();
    DecodeRowHeights();
    if (S.Grid.Older) DecodeOlderCells();
    DecodeCells();
}

// ---- the "Grid" section -------------------------------------------------------------------

int TCarrelonIniDecoder::GridInt(const char* Key, int Default, int Min, int Max) const {
    const int v = FIni.ReadInteger(kGrid, Key, Default);
    return v < Min || v > Max ? Default : v;
}

bool TCarrelonIniDecoder::GridBool(const char* Key, bool Default) const {
    return FIni.ReadBool(kGrid, Key, Default);
}

std::uint64_t TCarrelonIniDecoder::GridSet(const char* Key, std::uint64_t Default,
                                           std::uint64_t Mask) const {
    const int v = FIni.ReadInteger(kGrid, Key, static_cast<int>(Default));
    return static_cast<std::uint32_t>(v) & Mask;
}

void TCarrelonIniDecoder::DecodeGrid() {
    TIniGridStage& g = S.Grid;
    const bool hasAbout = FIni.ValueExists(kGrid, "About");
    g.Older = TextVersion(FIni.ReadString(kGrid, "About", "")) < 2.3;
    g.Visible = GridBool("Visible", true);
    g.Width = GridInt("Width", G->GetWidth(), 0, kMaxSize);
    g.Height = GridInt("Height", G->GetHeight(), 0, kMaxSize);
    g.Constraints.MaxHeight = GridInt("Constraints.MaxHeight", 0, 0, kMaxSize);
    g.Constraints.MaxWidth = GridInt("Constraints.MaxWidth", 0, 0, kMaxSize);
    g.Constraints.MinHeight = GridInt("Constraints.MinHeight", 0, 0, kMaxSize);
    g.Constraints.MinWidth = GridInt("Constraints.MinWidth", 0, 0, kMaxSize);
    g.Enabled = GridBool("Enabled", true);
    g.TabStop = GridBool("TabStop", true);
    // An empty or blank tag would lose every line break of a later save: the default instead.
    g.ExportTag = IniEffectiveTag(FIni.ReadString(kGrid, "ExportTag", ""));
    g.Hint = IniUntagBreaks(FIni.ReadString(kGrid, "Hint", ""), g.ExportTag);
    g.ShowHint = GridBool("ShowHint", false);
    if (!TryStrToInt64(FIni.ReadString(kGrid, "Tag", "0"), g.Tag)) g.Tag = 0;
    g.Cursor = GridInt("Cursor", crDefault, -32768, 32767);
    g.DragMode = static_cast<TDragMode>(GridInt("DragMode", dmManual, dmManual, dmAutomatic));
    g.DragCursor = GridInt("DragCursor", crDrag, -32768, 32767);
    g.DragKind = static_cast<TDragKind>(GridInt("DragKind", dkDrag, dkDrag, dkDock));
    g.BorderStyle = static_cast<TBorderStyle>(GridInt("BorderStyle", bsSingle, bsNone, bsSingle));
    g.Ctl3D = GridBool("Ctl3D", true);
    g.ScrollBars = static_cast<TScrollStyle>(GridInt("ScrollBars", ssBoth, ssNone, ssBoth));
    g.PopupMenu = FIni.ReadString(kGrid, "PopupMenu", "");
    g.DefaultColWidth = GridInt("DefaultColWidth", 64, 0, kMaxSize);
    g.DefaultRowHeight = GridInt("DefaultRowHeight", 18, 0, kMaxRowHeight);
    g.GridLineWidth = GridInt("GridLineWidth", 1, 0, 255);
    g.Color = GridInt("Color", static_cast<int>(clWindow), INT32_MIN, INT32_MAX);
    g.FixedColor = GridInt("FixedColor", static_cast<int>(clBtnFace), INT32_MIN, INT32_MAX);

    g.Options = TCarrelonOptions::FromInt(
        GridSet("Options", CarrelonDefaultOptions.Options, CarrelonOptionsMask));
    if (!hasAbout) g.Options.Include(cloAutoIncreaseRowHeights).Include(cloAutoDecreaseRowHeights);
    g.EditorOptions = TCarrelonEditorOptions::FromInt(
        GridSet("EditorOptions", CarrelonDefaultOptions.EditorOptions, CarrelonEditorOptionsMask));
    if (g.Older) {
        if (g.Options.Contains(cloAutoIncreaseRowHeights))
            g.EditorOptions.Include(eoAutoIncreaseRowHeight);
        if (g.Options.Contains(cloAutoDecreaseRowHeights))
            g.EditorOptions.Include(eoAutoDecreaseRowHeight);
    }
    g.EditControlOptions = TCarrelonEditControlOptions::FromInt(
        GridSet("EditControlOptions", CarrelonDefaultOptions.EditControlOptions,
                CarrelonEditControlOptionsMask));
    g.TabOptions = TCarrelonTabOptions::FromInt(GridSet("TabOptions", 0, CarrelonTabOptionsMask));
    g.PrintOptions = TCarrelonPrintOptions::FromInt(
        GridSet("PrintOptions", CarrelonDefaultOptions.PrintOptions, CarrelonPrintOptionsMask));
    g.SpreadsheetOptions = TCarrelonSpreadsheetOptions::FromInt(
        GridSet("SpreadsheetOptions", CarrelonDefaultOptions.SpreadsheetOptions,
                CarrelonSpreadsheetOptionsMask));
    g.LoadedEvents =
        TCarrelonLoadedEvents::FromInt(GridSet("LoadedEvents", 0, CarrelonLoadedEventsMask));
    g.WordWrap = GridBool("WordWrap", true);
    g.HideSelection = GridBool("HideSelection", false);
    g.BorderForText = GridInt("BorderForText", 2, 0, 255);
    auto Colour = [&](const char* Key, TColor Default) {
        return static_cast<TColor>(GridInt(Key, Default, INT32_MIN, INT32_MAX));
    };
    g.EditColor = Colour("EditColor", clWindow);
    g.EditFontColor = Colour("EditFontColor", clWindowText);
    g.SelectionColor = Colour("SelectionColor", clHighlight);
    g.SelectionFontColor = Colour("SelectionFontColor", clHighlightText);
    g.GridLineColor = Colour("GridLineColor", clSilver);
    g.FixedGridLineColor = Colour("FixedGridLineColor", clBlack);
    g.SortDescending = GridBool("SortDescending", false);
    g.SortIndicator = GridBool("SortIndicator", false);
    g.SortOnDblClick = GridBool("SortOnDblClick", false);
    g.SortOnClick = GridBool("SortOnClick", false);
    g.InplaceScrollBar = GridBool("InplaceScrollBar", false);
    g.SpreadsheetEnabled = GridBool("SpreadsheetEnabled", false);
    g.SpreadsheetHeaders = GridBool("SpreadsheetHeaders", false);
    g.SortColumn = GridInt("SortColumn", g.SpreadsheetHeaders ? 1 : 0, 0, TCarrelon::MaxCount);
    g.SortIndicatorColor = Colour("SortIndicatorColor", g.FixedColor);

    g.Font = std::make_unique<TFont>();
    g.Font->Assign(G->GetFont());
    DecodeFont(kGrid, *G->GetFont(), *g.Font);

    // Margins follow the print settings' rule: each at least 0 and below 1 with its opposite;
    // one that breaks it is 0.
    const char* margins[4] = {"PrintMargins.Left", "PrintMargins.Top", "PrintMargins.Right",
                              "PrintMargins.Bottom"};
    for (int i = 0; i < 4; ++i) {
        const double v = FIni.ReadFloat(kGrid, margins[i], 0);
        const double opposite = i < 2 ? 0 : g.Margins[i - 2];
        g.Margins[i] = std::isfinite(v) && v >= 0 && v + opposite < 1 ? v : 0;
    }

    const long long cols =
        GridInt(g.Older ? "ColCount" : "AbsoluteColCount", 5, INT32_MIN, INT32_MAX);
    const long long rows = GridInt("RowCount", 5, INT32_MIN, INT32_MAX);
    g.ColCount = static_cast<int>(std::clamp<long long>(cols, 1, TCarrelon::MaxCount));
    g.RowCount = static_cast<int>(std::clamp<long long>(rows, 1, TCarrelon::MaxCount));
    g.FixedCols = GridInt(g.Older ? "FixedCols" : "AbsoluteFixedCols", 1, 0, g.ColCount - 1);
    g.FixedRows = GridInt("FixedRows", 1, 0, g.RowCount);
    if (static_cast<long long>(g.ColCount) * g.RowCount > G->GetCellBudget()) {
        FSection = kGrid;
        FLine = {};
        Fail(IntToStr(g.ColCount) + " columns of " + IntToStr(g.RowCount) +
             " rows exceed the grid's cell budget");
    }
}

void TCarrelonIniDecoder::DecodeFont(const AnsiString& Section, const TFont& Defaults,
                                     TFont& Font) {
    auto Int = [&](const char* Key, int Default, int Min, int Max) {
        const int v = FIni.ReadInteger(Section, Key, Default);
        return v < Min || v > Max ? Default : v;
    };
    const AnsiString name = FIni.ReadString(Section, "Font.Name", Defaults.GetName());
    Font.SetName(ValidFontName(name) ? name : Defaults.GetName());
    Font.SetPitch(static_cast<TFontPitch>(Int("Font.Pitch", Defaults.GetPitch(), 0, 2)));
    Font.SetCharset(static_cast<TFontCharset>(Int("Font.Charset", Defaults.GetCharset(), 0, 255)));
    Font.SetSize(Int("Font.Size", Defaults.GetSize(), -kMaxFontSize, kMaxFontSize));
    Font.SetStyle(TFontStyles::FromInt(
        static_cast<std::uint32_t>(Int("Font.Style", static_cast<int>(Defaults.GetStyle().ToInt()),
                                       INT32_MIN, INT32_MAX)) &
        15u));
    Font.SetColor(Int("Font.Color", Defaults.GetColor(), INT32_MIN, INT32_MAX));
}

void TCarrelonIniDecoder::DecodePrint() {
    const char* names[2] = {"PrintHeader", "PrintFooter"};
    const AnsiString tag = S.Grid.ExportTag;
    for (int i = 0; i < 2; ++i) {
        TIniPrintStage& p = S.Grid.Print[i];
        const AnsiString section = names[i];
        const double distance = FIni.ReadFloat(section, "Distance", 0);
        p.Distance = std::isfinite(distance) && distance >= 0 && distance < 1 ? distance : 0;
        p.Font = std::make_unique<TFont>();
        p.Font->Assign(S.Grid.Font.get());
        DecodeFont(section, *S.Grid.Font, *p.Font);
        const int alignment = FIni.ReadInteger(section, "Alignment", 0);
        p.Alignment =
            alignment >= 0 && alignment <= 2 ? static_cast<TAlignment>(alignment) : taLeftJustify;
        // Line n is "n=text", in order.
        int n = 0;
        ForEachLine(section + ".Lines", [&](std::string_view Line) {
            std::string_view rest = Line;
            int index = -1;
            if (!ReadPositionNumber(rest, '=', index) || index != n)
                Fail("print line " + IntToStr(n) + " was expected");
            p.Lines.push_back(IniUntagBreaks(rest, tag));
            ++n;
        });
    }
}

// ---- bulk sections --------------------------------------------------------------------------

template <typename F>
void TCarrelonIniDecoder::ForEachLine(const AnsiString& Section, F&& Fn) {
    const TCarrelonIniSection* section = FIni.FindSection(Section);
    if (section == nullptr) return;
    FSection = Section;
    for (int i = 0; i < section->GetCount(); ++i) {
        FLine = section->GetLine(i);
        Fn(FLine);
    }
    FLine = {};
}

template <typename F>
void TCarrelonIniDecoder::ForEachCellLine(TIniCellKey Key, F&& Fn) {
    ForEachLine(IniCellSection(Key), [&](std::string_view Line) {
        std::string_view rest = Line;
        int col = 0, row = 0;
        CellPlace(rest, col, row);
        Fn(col, row, rest);
    });
}

void TCarrelonIniDecoder::Fail(const AnsiString& Reason) const {
    throw EIniLoadError(FSection, Shown(FLine), Reason);
}

void TCarrelonIniDecoder::CheckColumn(int Col) const {
    if (Col < 0 || Col >= S.Grid.ColCount)
        Fail("column " + IntToStr(Col) + " is outside the " + IntToStr(S.Grid.ColCount) +
             " columns");
}

void TCarrelonIniDecoder::CheckRow(int Row) const {
    if (Row < 0 || Row >= S.Grid.RowCount)
        Fail("row " + IntToStr(Row) + " is outside the " + IntToStr(S.Grid.RowCount) + " rows");
}

void TCarrelonIniDecoder::CellPlace(std::string_view& Rest, int& Col, int& Row) const {
    if (!ReadPositionNumber(Rest, ' ', Col) || !ReadPositionNumber(Rest, '=', Row))
        Fail("the line is not \"column row=value\"");
    CheckColumn(Col);
    CheckRow(Row);
}

int TCarrelonIniDecoder::ColumnPlace(std::string_view& Rest) const {
    int col = 0;
    if (!ReadPositionNumber(Rest, '=', col)) Fail("the line is not \"column=value\"");
    CheckColumn(col);
    return col;
}

int TCarrelonIniDecoder::PresencePlace(std::string_view Line) const {
    const std::size_t eq = Line.find('=');
    int col = 0;
    if (eq == std::string_view::npos || !ReadLastPositionNumber(Line.substr(0, eq), col))
        Fail("the line is not \"column=\"");
    CheckColumn(col);
    return col;
}

int TCarrelonIniDecoder::Number(std::string_view Text, int Min, int Max, const char* What) const {
    int v = 0;
    if (!ReadLastPositionNumber(Text, v)) Fail(AnsiString(What) + " is not a number");
    if (v < Min || v > Max)
        Fail(AnsiString(What) + " " + IntToStr(v) + " is outside " + IntToStr(Min) + ".." +
             IntToStr(Max));
    return v;
}

void TCarrelonIniDecoder::DecodeColumns() {
    // Presence sections, then value sections with their ranges.
    for (TIniColumnKey key : {ickVisible, ickMovable, ickResizable, ickTabStop})
        ForEachLine(IniColumnSection(key), [&](std::string_view Line) {
            S.ColumnPresent[key].push_back(PresencePlace(Line));
        });
    struct TRange {
        TIniColumnKey Key;
        int Min, Max;
    };
    for (const TRange& r : {TRange{ickGridLineColor, INT32_MIN, INT32_MAX},
                            TRange{ickGridLineWidth, 0, 255}, TRange{ickWidth, 0, kMaxSize},
                            TRange{ickMaxWidth, 0, kMaxSize}, TRange{ickMinWidth, 0, kMaxSize}})
        ForEachLine(IniColumnSection(r.Key), [&](std::string_view Line) {
            std::string_view rest = Line;
            const int col = ColumnPlace(rest);
            S.ColumnValues[r.Key].push_back({col, Number(rest, r.Min, r.Max, "the value")});
        });
    for (int fixed = 0; fixed < 2; ++fixed) {
        for (TIniTwinKey key :
             {itkWordWrap, itkReadOnly, itkCheckBox, itkCheckBoxChecked, itkButton})
            ForEachLine(IniTwinSection(key, fixed), [&](std::string_view Line) {
                S.TwinPresent[fixed][key].push_back(PresencePlace(Line));
            });
        struct TTwinRange {
            TIniTwinKey Key;
            int Min, Max;
        };
        for (const TTwinRange& r :
             {TTwinRange{itkColor, INT32_MIN, INT32_MAX}, TTwinRange{itkMaxLength, 0, kMaxSize},
              TTwinRange{itkTextAlignment, 0, 2}, TTwinRange{itkTextLayout, 0, 2},
              TTwinRange{itkGraphicAlignment, 0, 2}, TTwinRange{itkGraphicLayout, 0, 2},
              TTwinRange{itkCheckBoxAlignment, 0, 2}})
            ForEachLine(IniTwinSection(r.Key, fixed), [&](std::string_view Line) {
                std::string_view rest = Line;
                const int col = ColumnPlace(rest);
                S.TwinValues[fixed][r.Key].push_back(
                    {col, Number(rest, r.Min, r.Max, "the value")});
            });
        // Fonts: the attributes present per column.
        std::map<int, TIniFontStage>& fonts = S.ColumnFonts[fixed];
        ForEachLine(IniTwinSection(itkFontName, fixed), [&](std::string_view Line) {
            std::string_view rest = Line;
            TIniFontStage& f = fonts[ColumnPlace(rest)];
            if (!ValidFontName(rest)) Fail("the font name is too long or holds control characters");
            f.HasName = true;
            f.Name = AnsiString(rest);
        });
        struct TFontKey {
            TIniTwinKey Key;
            int Min, Max;
            bool TIniFontStage::*Has;
            int TIniFontStage::*Value;
        };
        for (const TFontKey& k :
             {TFontKey{itkFontPitch, 0, 2, &TIniFontStage::HasPitch, &TIniFontStage::Pitch},
              TFontKey{itkFontCharset, 0, 255, &TIniFontStage::HasCharset, &TIniFontStage::Charset},
              TFontKey{itkFontSize, -kMaxFontSize, kMaxFontSize, &TIniFontStage::HasSize,
                       &TIniFontStage::Size},
              TFontKey{itkFontStyle, INT32_MIN, INT32_MAX, &TIniFontStage::HasStyle,
                       &TIniFontStage::Style},
              TFontKey{itkFontColor, INT32_MIN, INT32_MAX, &TIniFontStage::HasColor,
                       &TIniFontStage::Color}})
            ForEachLine(IniTwinSection(k.Key, fixed), [&](std::string_view Line) {
                std::string_view rest = Line;
                TIniFontStage& f = fonts[ColumnPlace(rest)];
                f.*k.Has = true;
                f.*k.Value = Number(rest, k.Min, k.Max, "the value");
                if (k.Key == itkFontStyle) f.Style &= 15;
            });
    }
}

void TCarrelonIniDecoder::DecodeRowHeights() {
    ForEachLine("RowHeights", [&](std::string_view Line) {
        std::string_view rest = Line;
        int row = 0;
        if (!ReadPositionNumber(rest, '=', row)) Fail("the line is not \"row=height\"");
        CheckRow(row);
        S.RowHeights.push_back({row, Number(rest, 0, kMaxRowHeight, "the height")});
    });
}

void TCarrelonIniDecoder::DecodeCells() {
    const bool older = S.Grid.Older;
    const AnsiString& tag = S.Grid.ExportTag;
    std::vector<bool> covered;  // the slots of the merges read so far, column by column
    ForEachCellLine(iccUnions, [&](int col, int row, std::string_view rest) {
        int endCol = 0, endRow = 0;
        if (!ReadPositionNumber(rest, ' ', endCol) || !ReadLastPositionNumber(rest, endRow))
            Fail("the merge's end is not \"column row\"");
        CheckColumn(endCol);
        CheckRow(endRow);
        if (endCol < col || endRow < row) Fail("the merge ends before it starts");
        // A merge of one slot, or across the edge of the fixed part, is refused by the grid.
        const TIniGridStage& g = S.Grid;
        if ((endCol == col && endRow == row) || (col < g.FixedCols && endCol >= g.FixedCols) ||
            (row < g.FixedRows && endRow >= g.FixedRows))
            return;
        // Saved merges never overlap. Overlapping ones would each grow over the others, at
        // the cost of their whole area every time.
        if (covered.empty())
            covered.resize(static_cast<std::size_t>(g.ColCount) *
                           static_cast<std::size_t>(g.RowCount));
        for (int c = col; c <= endCol; ++c) {
            const std::size_t first = static_cast<std::size_t>(c) * g.RowCount;
            for (int r = row; r <= endRow; ++r) {
                if (covered[first + r]) Fail("the merge overlaps another");
                covered[first + r] = true;
            }
        }
        S.Unions.push_back({col, row, endCol, endRow});
    });
    if (!older) {
        ForEachCellLine(iccFormula, [&](int col, int row, std::string_view rest) {
            S.Texts[iccFormula].push_back({col, row, AnsiString(rest)});
        });
        ForEachCellLine(iccValue, [&](int col, int row, std::string_view rest) {
            try {
                S.Values.push_back({col, row, IniReadValue(rest, tag)});
            } catch (const EConvertError& E) {
                Fail(E.Message);
            }
        });
    }
    ForEachCellLine(iccGraphic, [&](int col, int row, std::string_view rest) {
        try {
            // A class letter of no graphic class: the line is left out.
            if (std::unique_ptr<TGraphic> graphic = IniReadGraphic(rest))
                S.Graphics.push_back({col, row, std::move(graphic)});
        } catch (const Exception& E) {
            Fail(E.Message);
        }
    });
    ForEachCellLine(iccHint, [&](int col, int row, std::string_view rest) {
        S.Texts[iccHint].push_back({col, row, IniUntagBreaks(rest, tag)});
    });
    ForEachCellLine(iccFontName, [&](int col, int row, std::string_view rest) {
        if (!ValidFontName(rest)) Fail("the font name is too long or holds control characters");
        S.Texts[iccFontName].push_back({col, row, AnsiString(rest)});
    });
    // Numbers: stored forms (older texts keep ordinals and plain Booleans, one less).
    struct TRange {
        TIniCellKey Key;
        int Min, Max;
        bool Older;  // read from older texts too
    };
    const int shift = older ? 1 : 0;
    for (const TRange& r :
         {TRange{iccColor, INT32_MIN, INT32_MAX, true},
          TRange{iccSelectedColor, INT32_MIN, INT32_MAX, true},
          TRange{iccSelectedFontColor, INT32_MIN, INT32_MAX, true},
          TRange{iccFontCharset, 0, 255, true}, TRange{iccFontColor, INT32_MIN, INT32_MAX, true},
          TRange{iccFontPitch, 0, 2, true}, TRange{iccFontSize, -kMaxFontSize, kMaxFontSize, true},
          TRange{iccFontStyle, INT32_MIN, INT32_MAX, true},
          TRange{iccTextAlignment, 0, 3 - shift, true}, TRange{iccTextLayout, 0, 3 - shift, true},
          TRange{iccGraphicAlignment, 0, 3 - shift, true},
          TRange{iccGraphicLayout, 0, 3 - shift, true},
          TRange{iccMaxLength, 0, kMaxSize - shift, true}, TRange{iccReadOnly, 0, 2 - shift, true},
          TRange{iccWordWrap, 0, 2 - shift, true}, TRange{iccCheckBox, 0, 2, false},
          TRange{iccCheckBoxChecked, 0, 2, false}, TRange{iccCheckBoxAlignment, 0, 3, false},
          TRange{iccButton, 0, 2, true}}) {
        if (older && !r.Older) continue;
        ForEachCellLine(r.Key, [&](int col, int row, std::string_view rest) {
            int v = Number(rest, r.Min, r.Max, "the value");
            if (r.Key == iccFontStyle) v &= 15;
            S.Numbers[r.Key].push_back({col, row, v});
        });
    }
    int which = 0;
    for (TIniCellKey key : {iccInnerBorders, iccOuterBorders}) {
        std::vector<TIniCellPair>& borders = S.Borders[which++];
        ForEachCellLine(key, [&](int col, int row, std::string_view rest) {
            int colour = 0;
            if (!ReadPositionNumber(rest, ' ', colour)) Fail("the border is not \"colour width\"");
            borders.push_back({col, row, colour, Number(rest, 0, 255, "the width")});
        });
    }
    if (older)
        ForEachLine("CheckBox", [&](std::string_view Line) {
            std::string_view rest = Line;
            int col = 0, row = 0;
            CellPlace(rest, col, row);
            if (rest.size() != 2 || rest[1] < '0' || rest[1] > '2')
                Fail("the check box is not a state and an alignment digit");
            S.OlderCheckBoxes.push_back({col, row, rest[0] == '1' ? 1 : 0, rest[1] - '0'});
        });
}

// Older texts keep each cell's text in a section of its own, named "column row".
void TCarrelonIniDecoder::DecodeOlderCells() {
    for (int i = 0; i < FIni.GetSectionCount(); ++i) {
        const TCarrelonIniSection& section = FIni.GetSection(i);
        std::string_view name = section.GetName();
        int col = 0, row = 0;
        if (!ReadPositionNumber(name, ' ', col) || !ReadLastPositionNumber(name, row)) continue;
        // Only the names the saver made (no sign, no leading zeros), the first of each.
        if (IntToStr(col) + " " + IntToStr(row) != section.GetName()) continue;
        if (col < 0 || col >= S.Grid.ColCount || row < 0 || row >= S.Grid.RowCount) continue;
        if (FIni.FindSection(section.GetName()) != &section) continue;
        AnsiString text;
        for (int k = 0; k < section.GetCount(); ++k) {
            const std::string_view line = section.GetLine(k);
            const std::size_t eq = line.find('=');
            text.append(eq == std::string_view::npos ? line : line.substr(eq + 1));
            text += "\r\n";
        }
        text.resize(text.size() >= 2 ? text.size() - 2 : 0);
        const bool formula = !text.empty() && text[0] == '=';
        S.OlderCells.push_back({col, row, formula, formula ? text.substr(1) : text});
    }
}

}  // namespace carrelon
