// The INI save: the grid's whole state written into an INI store in sorted mode, then to a file
// (replaced whole, through a temporary beside it) or appended to a string list.
#include <charconv>

#include "exchange/CarrelonIniFile.h"
#include "exchange/IniFormat.h"
#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Menus.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Conversions.h"

namespace carrelon {

// Writes one grid into a store: the "Grid" and print sections key by key, then the bulk
// sections (row heights, columns, cells) line by line, appended without name look-ups since
// every line name occurs once.
class TCarrelonIniWriter {
public:
    TCarrelonIniWriter(TCarrelon* Grid, TCarrelonIniFile& Ini)
        : G(Grid), d(TCarrelonPrivate::Of(Grid)), FIni(Ini), FTag(IniEffectiveTag(d.FExportTag)) {}
    void Write();

private:
    void WriteGrid();
    void WriteFont(const AnsiString& Section, const TFont& Font);
    void WritePrintSettings();
    void WriteRowHeights();
    void WriteColumn(TCarrelonCol* Col);
    void WriteTwin(TCarrelonCol* Col, bool Fixed);
    void WriteCell(TCarrelonCell* Cell);

    // The bulk sections, made when their first line comes.
    TCarrelonIniSection& Bulk(TCarrelonIniSection*& Slot, const AnsiString& Name) {
        if (Slot == nullptr) Slot = &FIni.ProvideSection(Name);
        return *Slot;
    }
    void Line(TCarrelonIniSection& Section, std::string_view Value) {
        FIni.AppendLine(Section, {FName, "=", Value});
    }
    void ColumnLine(TIniColumnKey Key, std::string_view Value) {
        Line(Bulk(FColumnSections[Key], IniColumnSection(Key)), Value);
    }
    void TwinLine(TIniTwinKey Key, bool Fixed, std::string_view Value) {
        Line(Bulk(FTwinSections[Fixed][Key], IniTwinSection(Key, Fixed)), Value);
    }
    void CellLine(TIniCellKey Key, std::string_view Value) {
        Line(Bulk(FCellSections[Key], IniCellSection(Key)), Value);
    }
    // The line name: "a" for a column line, "a r" for a cell line.
    void NameColumn(int A) { FName = Number(FNameBuffer, A); }
    void NameCell(int A, int R) {
        char* end = std::to_chars(FNameBuffer, FNameBuffer + 12, A).ptr;
        *end++ = ' ';
        end = std::to_chars(end, end + 12, R).ptr;
        FName = std::string_view(FNameBuffer, static_cast<std::size_t>(end - FNameBuffer));
    }
    static std::string_view Number(char* Buffer, long long V) {
        char* end = std::to_chars(Buffer, Buffer + 24, V).ptr;
        return std::string_view(Buffer, static_cast<std::size_t>(end - Buffer));
    }
    std::string_view Num(long long V) { return Number(FValueBuffer, V); }

    TCarrelon* G;
    TCarrelonPrivate& d;
    TCarrelonIniFile& FIni;
    const AnsiString FTag;
    TCarrelonIniSection* FColumnSections[ickCount] = {};
    TCarrelonIniSection* FTwinSections[2][itkCount] = {};
    TCarrelonIniSection* FCellSections[iccCount] = {};
    std::string_view FName;
    char FNameBuffer[32];
    char FValueBuffer[32];
};

void TCarrelonIniWriter::Write() {
    WriteGrid();
    WritePrintSettings();
    WriteRowHeights();
    for (TCarrelonCol* Col : d.FAbsoluteCols)
        WriteColumn(Col);
}

void TCarrelonIniWriter::WriteGrid() {
    const AnsiString S = "Grid";
    auto Int = [&](const char* Key, long long V) { FIni.WriteString(S, Key, IntToStr(Int64{V})); };
    auto Bool = [&](const char* Key, bool V) { FIni.WriteBool(S, Key, V); };
    FIni.WriteString(S, "About", G->GetAbout());
    Int("Width", G->GetWidth());
    Int("Height", G->GetHeight());
    Int("ScrollBars", G->GetScrollBars());
    Int("BorderStyle", G->GetBorderStyle());
    FIni.WriteString(S, "Hint", IniTagBreaks(G->GetHint(), FTag));
    Bool("ShowHint", G->GetShowHint());
    Int("Tag", G->GetTag());
    Int("DragMode", G->GetDragMode());
    Int("DragCursor", G->GetDragCursor());
    Int("Cursor", G->GetCursor());
    Bool("Enabled", G->GetEnabled());
    Bool("Visible", G->GetVisible());
    Bool("TabStop", G->GetTabStop());
    Int("DragKind", G->GetDragKind());
    const TSizeConstraints& C = G->GetConstraints();
    Int("Constraints.MaxHeight", C.MaxHeight);
    Int("Constraints.MaxWidth", C.MaxWidth);
    Int("Constraints.MinHeight", C.MinHeight);
    Int("Constraints.MinWidth", C.MinWidth);
    if (TPopupMenu* Menu = G->GetPopupMenu())
        FIni.WriteString(S, "PopupMenu", IniWithoutControls(Menu->GetName()));
    Int("DefaultColWidth", G->GetDefaultColWidth());
    Int("DefaultRowHeight", G->GetDefaultRowHeight());
    Int("GridLineWidth", G->GetGridLineWidth());
    Int("BorderForText", d.FBorderForText);
    Int("AbsoluteColCount", G->GetAbsoluteColCount());
    Int("RowCount", G->GetRowCount());
    Int("AbsoluteFixedCols", d.FAbsoluteFixedCols);
    Int("FixedRows", d.FOwnFixedRows);
    Bool("WordWrap", d.FWordWrap);
    Bool("Ctl3D", G->GetCtl3D());
    Int("Color", G->GetColor());
    Int("FixedColor", G->GetFixedColor());
    Int("GridLineColor", d.FGridLineColor);
    Int("FixedGridLineColor", d.FFixedGridLineColor);
    // A 32-bit set: the member of bit 31 makes the number negative.
    Int("Options", static_cast<std::int32_t>(d.FCarrelonOptions.ToInt()));
    Int("TabOptions", static_cast<long long>(d.FTabOptions.ToInt()));
    Int("EditorOptions", static_cast<long long>(d.FEditorOptions.ToInt()));
    Int("EditControlOptions", static_cast<long long>(d.FEditControlOptions.ToInt()));
    Int("EditColor", d.FEditColor);
    Int("SelectionColor", d.FSelectionColor);
    Int("EditFontColor", d.FEditFontColor);
    Int("SelectionFontColor", d.FSelectionFontColor);
    WriteFont(S, *G->GetFont());
    const TCarrelonPrintMargins& M = *d.FPrintMargins;
    FIni.WriteFloat(S, "PrintMargins.Left", M.GetLeft());
    FIni.WriteFloat(S, "PrintMargins.Top", M.GetTop());
    FIni.WriteFloat(S, "PrintMargins.Right", M.GetRight());
    FIni.WriteFloat(S, "PrintMargins.Bottom", M.GetBottom());
    Int("PrintOptions", static_cast<long long>(d.FPrintOptions.ToInt()));
    FIni.WriteString(S, "ExportTag", IniWithoutControls(d.FExportTag));
    Int("SortColumn", d.FSortColumn);
    Bool("SortDescending", d.FSortDescending);
    Bool("SortIndicator", d.FSortIndicator);
    Bool("SortOnDblClick", d.FSortOnDblClick);
    Bool("SortOnClick", d.FSortOnClick);
    Bool("InplaceScrollBar", d.FInplaceScrollBar);
    Bool("SpreadsheetEnabled", d.FSpreadsheetEnabled);
    Bool("SpreadsheetHeaders", d.FSpreadsheetHeaders);
    Bool("HideSelection", d.FHideSelection);
    Int("LoadedEvents", static_cast<long long>(d.FLoadedEvents.ToInt()));
    Int("SpreadsheetOptions", static_cast<long long>(d.FSpreadsheetOptions.ToInt()));
    Int("SortIndicatorColor", d.FSortIndicatorColor);
}

void TCarrelonIniWriter::WriteFont(const AnsiString& Section, const TFont& Font) {
    FIni.WriteInteger(Section, "Font.Charset", Font.GetCharset());
    FIni.WriteInteger(Section, "Font.Color", Font.GetColor());
    FIni.WriteString(Section, "Font.Name", IniWithoutControls(Font.GetName()));
    FIni.WriteInteger(Section, "Font.Pitch", Font.GetPitch());
    FIni.WriteInteger(Section, "Font.Size", Font.GetSize());
    FIni.WriteInteger(Section, "Font.Style", static_cast<int>(Font.GetStyle().ToInt()));
}

void TCarrelonIniWriter::WritePrintSettings() {
    const TCarrelonPrintHeaderFooter* Parts[2] = {d.FPrintHeader.get(), d.FPrintFooter.get()};
    const char* Names[2] = {"PrintHeader", "PrintFooter"};
    for (int i = 0; i < 2; ++i) {
        const TStrings& Lines = *Parts[i]->GetLines();
        TCarrelonIniSection* Section = nullptr;
        for (int n = 0; n < Lines.GetCount(); ++n) {
            NameColumn(n);
            Line(Bulk(Section, AnsiString(Names[i]) + ".Lines"), IniTagBreaks(Lines.Get(n), FTag));
        }
    }
    for (int i = 0; i < 2; ++i) {
        WriteFont(Names[i], *Parts[i]->GetFont());
        FIni.WriteInteger(Names[i], "Alignment", Parts[i]->GetAlignment());
    }
    for (int i = 0; i < 2; ++i)
        FIni.WriteFloat(Names[i], "Distance", Parts[i]->GetDistance());
}

void TCarrelonIniWriter::WriteRowHeights() {
    if (d.ReadFRowHeights() == nullptr) return;
    const int Default = G->GetDefaultRowHeight();
    TCarrelonIniSection* Section = nullptr;
    for (int r = 0; r < G->GetRowCount(); ++r) {
        const int H = G->GetRowHeights(r);
        if (H == Default) continue;
        NameColumn(r);
        Line(Bulk(Section, "RowHeights"), Num(H));
    }
}

void TCarrelonIniWriter::WriteColumn(TCarrelonCol* Col) {
    const int A = Col->GetAbsoluteNumber();
    NameColumn(A);
    if (!Col->GetVisible()) ColumnLine(ickVisible, {});
    if (!Col->GetMovable()) ColumnLine(ickMovable, {});
    if (!Col->GetResizable()) ColumnLine(ickResizable, {});
    if (!Col->GetTabStop()) ColumnLine(ickTabStop, {});
    if (Col->ReadFGridLineColor() != clDefault)
        ColumnLine(ickGridLineColor, Num(Col->ReadFGridLineColor()));
    if (Col->ReadFGridLineWidth() != 255)
        ColumnLine(ickGridLineWidth, Num(Col->ReadFGridLineWidth()));
    if (Col->GetWidth() != G->GetDefaultColWidth()) ColumnLine(ickWidth, Num(Col->GetWidth()));
    if (Col->GetMaxWidth() != 0) ColumnLine(ickMaxWidth, Num(Col->GetMaxWidth()));
    if (Col->GetMinWidth() != 0) ColumnLine(ickMinWidth, Num(Col->GetMinWidth()));
    WriteTwin(Col, false);
    WriteTwin(Col, true);
    const std::vector<TCarrelonCell*>& Cells = Col->CellList();
    for (int r = 0; r < static_cast<int>(Cells.size()); ++r) {
        TCarrelonCell* Cell = Cells[r];
        // A merged cell is written once, at its top-left slot.
        if (Cell->Row != r || Cell->Col != Col) continue;
        NameCell(A, r);
        WriteCell(Cell);
    }
}

void TCarrelonIniWriter::WriteTwin(TCarrelonCol* Col, bool Fixed) {
    const TCarrelonCol::Attributes& T = Col->FAttr[Fixed];
    if (T.FontSet && T.Font) {
        // Only the attributes that differ from the grid font.
        const TFont& F = *T.Font;
        const TFont& GF = *G->GetFont();
        if (F.GetName() != GF.GetName())
            TwinLine(itkFontName, Fixed, IniWithoutControls(F.GetName()));
        if (F.GetSize() != GF.GetSize()) TwinLine(itkFontSize, Fixed, Num(F.GetSize()));
        if (F.GetCharset() != GF.GetCharset()) TwinLine(itkFontCharset, Fixed, Num(F.GetCharset()));
        if (F.GetPitch() != GF.GetPitch()) TwinLine(itkFontPitch, Fixed, Num(F.GetPitch()));
        if (F.GetStyle() != GF.GetStyle())
            TwinLine(itkFontStyle, Fixed, Num(static_cast<long long>(F.GetStyle().ToInt())));
        if (F.GetColor() != GF.GetColor()) TwinLine(itkFontColor, Fixed, Num(F.GetColor()));
    }
    if (T.Color != clDefault) TwinLine(itkColor, Fixed, Num(T.Color));
    if (T.MaxLength != 0) TwinLine(itkMaxLength, Fixed, Num(T.MaxLength));
    if (T.WordWrap != d.FWordWrap) TwinLine(itkWordWrap, Fixed, {});
    if (T.TextAlignment != taLeftJustify) TwinLine(itkTextAlignment, Fixed, Num(T.TextAlignment));
    if (T.TextLayout != tlTop) TwinLine(itkTextLayout, Fixed, Num(T.TextLayout));
    if (T.GraphicAlignment != taLeftJustify)
        TwinLine(itkGraphicAlignment, Fixed, Num(T.GraphicAlignment));
    if (T.GraphicLayout != tlTop) TwinLine(itkGraphicLayout, Fixed, Num(T.GraphicLayout));
    if (T.ReadOnly) TwinLine(itkReadOnly, Fixed, {});
    if (T.CheckBox) TwinLine(itkCheckBox, Fixed, {});
    if (T.CheckBoxAlignment != taCenter)
        TwinLine(itkCheckBoxAlignment, Fixed, Num(T.CheckBoxAlignment));
    if (T.CheckBoxChecked) TwinLine(itkCheckBoxChecked, Fixed, {});
    if (T.Button) TwinLine(itkButton, Fixed, {});
}

void TCarrelonIniWriter::WriteCell(TCarrelonCell* Cell) {
    if (Cell->IsMerged()) {
        char* end = std::to_chars(FValueBuffer, FValueBuffer + 12,
                                  Cell->GetEndColObject()->GetAbsoluteNumber())
                        .ptr;
        *end++ = ' ';
        end = std::to_chars(end, end + 12, Cell->ReadFEndRow()).ptr;
        CellLine(iccUnions,
                 std::string_view(FValueBuffer, static_cast<std::size_t>(end - FValueBuffer)));
    }
    const AnsiString Formula = Cell->ReadFFormula();
    if (!Formula.empty()) {
        CellLine(iccFormula, IniFormulaText(Formula));
    } else if (!Cell->ValueIsUnassigned()) {
        AnsiString Text;
        if (IniValueText(Cell->GetValue(), FTag, Text)) CellLine(iccValue, Text);
    }
    if (!Cell->HasProperties()) return;
    const AnsiString Hint = Cell->ReadFHint();
    if (!Hint.empty()) CellLine(iccHint, IniTagBreaks(Hint, FTag));
    // Colours in their stored form: black is kept as clDefault's value, 0 (inherit) never.
    auto Colour = [&](TIniCellKey Key, TColor V) {
        const TColor Stored = TCellOwnColor::Of(V).Stored();
        if (Stored != 0) CellLine(Key, Num(Stored));
    };
    Colour(iccColor, Cell->ReadFColor());
    Colour(iccSelectedColor, Cell->ReadFSelectedColor());
    Colour(iccSelectedFontColor, Cell->ReadFSelectedFontColor());
    if (const TFont* F = Cell->ReadFFont(); F != nullptr && Cell->ReadFFontUsed()) {
        CellLine(iccFontCharset, Num(F->GetCharset()));
        CellLine(iccFontColor, Num(F->GetColor()));
        CellLine(iccFontName, IniWithoutControls(F->GetName()));
        CellLine(iccFontPitch, Num(F->GetPitch()));
        CellLine(iccFontSize, Num(F->GetSize()));
        CellLine(iccFontStyle, Num(static_cast<long long>(F->GetStyle().ToInt())));
    }
    auto Stored = [&](TIniCellKey Key, int V) {
        if (V != 0) CellLine(Key, Num(V));
    };
    Stored(iccTextAlignment, Cell->ReadFTextAlignment().Stored());
    Stored(iccTextLayout, Cell->ReadFTextLayout().Stored());
    Stored(iccGraphicAlignment, Cell->ReadFGraphicAlignment().Stored());
    Stored(iccGraphicLayout, Cell->ReadFGraphicLayout().Stored());
    Stored(iccMaxLength, Cell->ReadFMaxLength().Stored());
    Stored(iccReadOnly, Cell->ReadFReadOnly().Stored());
    Stored(iccWordWrap, Cell->ReadFWordWrap().Stored());
    Stored(iccCheckBox, Cell->ReadFCheckBox().Stored());
    Stored(iccCheckBoxChecked, Cell->ReadFCheckBoxChecked().Stored());
    Stored(iccCheckBoxAlignment, Cell->ReadFCheckBoxAlignment().Stored());
    Stored(iccButton, Cell->ReadFButton().Stored());
    if (const TGraphic* Graphic = Cell->GetGraphic()) {
        const AnsiString Text = IniGraphicText(*Graphic);
        if (!Text.empty()) CellLine(iccGraphic, Text);
    }
    auto Border = [&](TIniCellKey Key, const TCarrelonCellInnerBorder* B) {
        if (B == nullptr || B->GetWidth() == 0) return;
        CellLine(Key, IntToStr(B->GetColor()) + " " + IntToStr(B->GetWidth()));
    };
    Border(iccInnerBorders, Cell->ReadFInnerBorder());
    Border(iccOuterBorders, Cell->ReadFOuterBorder());
}

// ---- the operations -----------------------------------------------------------------------

bool TCarrelon::SaveToIniFile(const AnsiString& FileName) {
    return DoSaveToIniFile(FileName, nullptr);
}

bool TCarrelon::SaveToIniStrings(TStrings* Strings) {
    if (Strings == nullptr) return false;
    return DoSaveToIniFile("", Strings);
}

bool TCarrelon::DoSaveToIniFile(const AnsiString& FileName, TStrings* Strings) {
    if (d->CheckEditorMode()) return false;
    TScopeExit Reopen([this] { d->CheckAlwaysShowEditor(); });
    // The text is built whole before anything is written; an older file is never read.
    TCarrelonIniFile Ini(FileName, ifsEmpty);
    Ini.SetSorted(true);
    TCarrelonIniWriter(this, Ini).Write();
    if (Strings != nullptr)
        Ini.GetStrings(*Strings);
    else
        Ini.UpdateFile();
    return true;
}

}  // namespace carrelon
