// Import from a workbook file: one worksheet replaces the grid's content. The sheet is read
// whole through the spreadsheet application into a staging table first (used range, panes,
// widths, each slot's content, comment, colour, font and alignments); only then is the grid
// reset and filled, so a workbook that cannot be read leaves the grid as it was. Filling follows
// the sheet column by column, with merges, progress and Stop; uniform column attributes are
// lifted into the columns at the end.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "exchange/OfficeExchange.h"
#include "exchange/WorkbookFormulas.h"
#include "grid/ScopeExit.h"
#include "platform/automation/ExcelAutomation.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/MathFunctions.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/TempFiles.h"

namespace carrelon {

namespace {

using namespace carrelon::excel;

// The most slots the staging table takes, whatever the cell budget allows.
constexpr long long MaxStagedSlots = 16'000'000;
// The sheet's size.
constexpr int SheetRows = 1048576;
constexpr int SheetCols = 16384;
// Rows of one column asked for their fill at once.
constexpr int FillBand = 65536;
// An alignment the sheet answered Null for (mixed cells).
constexpr int MixedAlignment = 0x7FFF;

// A corner of an A1 address: letters and digits, either may be missing ("C", "7").
bool ParseCorner(const AnsiString& Text, int& Col, int& Row) {
    Col = Row = 0;
    std::size_t i = 0;
    while (i < Text.size() && Text[i] == '$')
        ++i;
    long long col = 0, row = 0;
    for (; i < Text.size() && IsFormulaLetter(Text[i]); ++i) {
        col = col * 26 + ((Text[i] & 0x1F));
        if (col > SheetCols) return false;
    }
    if (i < Text.size() && Text[i] == '$') ++i;
    for (; i < Text.size() && IsFormulaDigit(Text[i]); ++i) {
        row = row * 10 + (Text[i] - '0');
        if (row > SheetRows) return false;
    }
    if (i != Text.size() || (col == 0 && row == 0)) return false;
    Col = static_cast<int>(col);
    Row = static_cast<int>(row);
    return true;
}

bool ParseAddress(const AnsiString& Address, int& Col1, int& Row1, int& Col2, int& Row2) {
    const std::size_t colon = Address.find(':');
    if (colon == AnsiString::npos) {
        if (!ParseCorner(Address, Col1, Row1)) return false;
        Col2 = Col1;
        Row2 = Row1;
    } else if (!ParseCorner(Address.substr(0, colon), Col1, Row1) ||
               !ParseCorner(Address.substr(colon + 1), Col2, Row2)) {
        return false;
    }
    // Both corners name the same kind of thing.
    return (Col1 == 0) == (Col2 == 0) && (Row1 == 0) == (Row2 == 0) && Col1 <= Col2 && Row1 <= Row2;
}

[[noreturn]] void BadWorkbook(const AnsiString& Why) {
    throw EOleException("The workbook cannot be imported: " + Why, E_FAIL, "Carrelon");
}

// A date the grid can show: one within the calendar. Another would have no text.
bool ShowableDate(double Value) {
    return Value >= MinDateTime && Value < MaxDateTime + 1;
}

// Null (mixed cells) is "not given".
bool Given(const Variant& V) {
    return !V.IsNull() && !V.IsEmpty();
}

}  // namespace

// What the import read of one slot of the used range.
struct TImportSlot {
    enum : std::uint8_t {
        HasColor = 1,
        HasVAlign = 2,
        Covered = 4,   // inside a merged area, not its top-left slot: skipped
        MergeHome = 8  // the top-left slot of a merged area
    };
    Variant Value;              // the value stored (Empty: nothing)
    std::uint32_t Formula = 0;  // 1-based into Formulas
    std::uint32_t Comment = 0;  // 1-based into Comments
    std::uint32_t Font = 0;     // into Fonts
    int Color = 0;
    std::int16_t HAlign = MixedAlignment;
    std::int16_t VAlign = 0;
    std::uint8_t Flags = 0;
};

// The font attributes a slot gave; the others stay as the grid's font has them.
struct TImportFont {
    bool HasColor = false, HasName = false, HasSize = false;
    TColor Color = 0;
    AnsiString Name;
    int Size = 0;
    TFontStyles Given, Style;  // flags the sheet answered for, and those it set
    auto Key() const {
        return std::make_tuple(HasColor, HasName, HasSize, Color, std::cref(Name), Size,
                               Given.ToInt(), Style.ToInt());
    }
    bool operator<(const TImportFont& O) const { return Key() < O.Key(); }
};

// The whole sheet as the import will apply it.
struct TImportStage {
    int Col1 = 1, Row1 = 1, Col2 = 1, Row2 = 1;
    bool Frozen = false;
    int SplitColumn = 0, SplitRow = 0;
    std::vector<int> WidthPoints;    // sheet columns 1..Col2, points as Integer
    std::vector<TImportSlot> Slots;  // column by column
    std::vector<AnsiString> Formulas, Comments;
    std::vector<TImportFont> Fonts;
    std::unordered_map<std::size_t, TRect> Merges;  // by slot: the area in sheet coordinates
    bool AnyFormula = false;

    long long Height() const { return Row2 - Row1 + 1; }
    std::size_t Index(int X, int Y) const {
        return static_cast<std::size_t>((X - Col1) * Height() + (Y - Row1));
    }
};

// One import of one sheet into one grid.
class TCarrelonExcelImport {
public:
    TCarrelonExcelImport(TCarrelon* Grid, AnsiString FileName, const Variant& Sheet)
        : G(Grid), d(TCarrelonPrivate::Of(Grid)), FFileName(std::move(FileName)), FSheetId(Sheet) {
        H = d.FSpreadsheetHeaders ? 1 : 0;
    }
    bool Run();

private:
    // Phase 1: the sheet into the stage, through the application.
    void Read(const ApplicationPtr& App);
    void ReadUsedRange(const WorksheetPtr& Sheet);
    void CheckSize(int C1, int R1, int C2, int R2) const;
    static bool ColumnFilled(const WorksheetPtr& Sheet, int Col, int Row1, int Row2);
    void ReadSlot(const WorksheetPtr& Sheet, int X, int Y, TImportSlot& Slot);
    void ReadContent(const RangePtr& X, TImportSlot& Slot);
    std::uint32_t ReadFont(const RangePtr& X);
    // Phase 2: the grid reset and filled.
    bool Apply();
    void Reset();
    void ApplyWidth(int SheetColumn);
    void ApplySlot(int X, int Y, const TImportSlot& Slot);
    void ApplyFont(TCarrelonCell* Cell, const TImportFont& F);

    TCarrelon* G;
    TCarrelonPrivate& d;
    AnsiString FFileName;
    Variant FSheetId;
    int H;
    TImportStage S;
    std::map<TImportFont, std::uint32_t> FFontIndex;
    int FPixelsPerInch = 96;
    bool FRecalc = false;
};

// ---- phase 1 --------------------------------------------------------------------------------

void TCarrelonExcelImport::Read(const ApplicationPtr& App) {
    App->SetDisplayAlerts(false);
    App->GetWorkbooks()->Open(FFileName);
    WorksheetPtr sheet;
    if (FSheetId.IsNull())
        sheet = App->GetActiveSheet();
    else if (FSheetId.IsString())
        sheet = App->GetSheets(Variant(FSheetId.AsString()));
    else
        sheet = App->GetSheets(Variant(FSheetId.AsInteger()));
    // The panes are the active sheet's: the chosen one becomes active first.
    sheet->Activate();
    ReadUsedRange(sheet);

    WindowPtr window = App->GetActiveWindow();
    S.Frozen = window->GetFreezePanes();
    if (S.Frozen) {
        S.SplitColumn = std::clamp(window->GetSplitColumn(), 0, SheetCols);
        S.SplitRow = std::clamp(window->GetSplitRow(), 0, SheetRows);
    }

    S.WidthPoints.resize(static_cast<std::size_t>(S.Col2));
    for (int k = 1; k <= S.Col2; ++k) {
        const double points = sheet->Columns(k)->GetWidth();
        S.WidthPoints[static_cast<std::size_t>(k - 1)] =
            std::isfinite(points) ? static_cast<int>(std::clamp<Int64>(
                                        Round(points), 0, std::numeric_limits<int>::max() / 200))
                                  : 0;
    }

    S.Slots.resize(static_cast<std::size_t>((S.Col2 - S.Col1 + 1) * S.Height()));
    for (int x = S.Col1; x <= S.Col2; ++x)
        for (int y = S.Row1; y <= S.Row2; ++y)
            ReadSlot(sheet, x, y, S.Slots[S.Index(x, y)]);
}

void TCarrelonExcelImport::ReadUsedRange(const WorksheetPtr& Sheet) {
    RangePtr used = Sheet->GetUsedRange();
    const AnsiString address = used->GetAddress(false, false);
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    if (!ParseAddress(address, c1, r1, c2, r2)) BadWorkbook("used range \"" + address + "\"");
    // A range of whole rows or columns (formatting reaching every row or column of the sheet)
    // is cut to what the sheet holds; the sheet finds its last cells, so the cost follows the
    // cells it holds, never the slots of the range.
    const bool wholeCols = r1 == 0 || (r1 == 1 && r2 == SheetRows);
    const bool wholeRows = c1 == 0 || (c1 == 1 && c2 == SheetCols);
    const auto last = [&](int Order, int& Col, int& Row) {
        RangePtr found = used->Find(Variant("*"), nullptr, Variant(xlFormulas), Variant(xlPart),
                                    Variant(Order), Variant(xlPrevious));
        if (!found) return false;
        const AnsiString cell = found->GetAddress(false, false);
        int fc2 = 0, fr2 = 0;
        if (!ParseAddress(cell, Col, Row, fc2, fr2) || Col == 0 || Row == 0)
            BadWorkbook("found cell \"" + cell + "\"");
        return true;
    };
    if (wholeCols) {
        // Rows 1 to the last row holding something.
        int col = 0, row = 0;
        r1 = 1;
        r2 = last(xlByRows, col, row) ? row : 1;
    }
    if (wholeRows) {
        // Columns up to the last one holding something, then on while a column has a filled
        // cell in the rows; the size is checked as the columns are added.
        const int bound = c2 == 0 ? SheetCols : c2;
        int col = 0, row = 0;
        c1 = 1;
        c2 = last(xlByColumns, col, row) ? col : 0;
        CheckSize(c1, r1, std::max(c2, 1), r2);
        for (int k = c2 + 1; k <= bound && ColumnFilled(Sheet, k, r1, r2); ++k) {
            c2 = k;
            CheckSize(c1, r1, c2, r2);
        }
        c2 = std::max(c2, 1);
    }
    CheckSize(c1, r1, c2, r2);
    S.Col1 = c1;
    S.Row1 = r1;
    S.Col2 = c2;
    S.Row2 = r2;
}

void TCarrelonExcelImport::CheckSize(int C1, int R1, int C2, int R2) const {
    // The grid's counts and the staging table must hold the sheet.
    const long long slots = static_cast<long long>(H + C2) * (H + R2);
    if (H + C2 > TCarrelon::MaxCount || H + R2 > TCarrelon::MaxCount || slots > d.FCellBudget ||
        static_cast<long long>(C2 - C1 + 1) * (R2 - R1 + 1) > MaxStagedSlots)
        throw EOutOfMemory(SOutOfMemory);
}

// Whether any cell of the column within the rows is filled (its colour is not white, or the
// cells differ), asked in bands the server takes.
bool TCarrelonExcelImport::ColumnFilled(const WorksheetPtr& Sheet, int Col, int Row1, int Row2) {
    for (int top = Row1; top <= Row2; top += FillBand) {
        const int bottom = std::min(Row2, top + FillBand - 1);
        const Variant colour = Sheet->GetRange(Sheet->Cells(top, Col), Sheet->Cells(bottom, Col))
                                   ->GetInterior()
                                   ->GetColor();
        if (!Given(colour) || colour.AsInteger() != 0xFFFFFF) return true;
    }
    return false;
}

void TCarrelonExcelImport::ReadSlot(const WorksheetPtr& Sheet, int X, int Y, TImportSlot& Slot) {
    RangePtr x = Sheet->Cells(Y, X);
    const Variant h = x->GetHorizontalAlignment();
    Slot.HAlign = static_cast<std::int16_t>(Given(h) ? std::clamp(h.AsInteger(), -32767, 32766)
                                                     : MixedAlignment);
    const Variant merged = x->GetMergeCells();
    if (Given(merged) && merged.AsBoolean()) {
        int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
        const AnsiString area = x->GetMergeArea()->GetAddress(false, false);
        if (!ParseAddress(area, c1, r1, c2, r2) || c1 == 0 || r1 == 0 || X < c1 || X > c2 ||
            Y < r1 || Y > r2)
            BadWorkbook("merged area \"" + area + "\"");
        if (X != c1 || Y != r1) {
            Slot.Flags |= TImportSlot::Covered;
            return;
        }
        // An area reaching past a used range cut to the sheet's content merges what lies in it.
        c2 = std::min(c2, S.Col2);
        r2 = std::min(r2, S.Row2);
        if (c2 > c1 || r2 > r1) {
            Slot.Flags |= TImportSlot::MergeHome;
            S.Merges[S.Index(X, Y)] = TRect{c1, r1, c2, r2};
        }
    }
    ReadContent(x, Slot);
    if (CommentPtr comment = x->GetComment()) {
        S.Comments.push_back(AdjustLineBreaks(comment->GetText()));
        Slot.Comment = static_cast<std::uint32_t>(S.Comments.size());
    }
    const Variant colour = x->GetInterior()->GetColor();
    if (Given(colour)) {
        Slot.Color = colour.AsInteger();
        Slot.Flags |= TImportSlot::HasColor;
    }
    Slot.Font = ReadFont(x);
    const Variant v = x->GetVerticalAlignment();
    if (Given(v)) {
        Slot.VAlign = static_cast<std::int16_t>(std::clamp(v.AsInteger(), -32767, 32766));
        Slot.Flags |= TImportSlot::HasVAlign;
    }
}

void TCarrelonExcelImport::ReadContent(const RangePtr& X, TImportSlot& Slot) {
    const AnsiString fm = X->GetFormula().AsString();
    if (fm.empty()) return;
    const Variant v = X->GetValue();
    const Variant tv = X->GetText();
    const AnsiString t = Given(tv) ? tv.AsString() : AnsiString();
    if (fm[0] == '=' && !v.IsString()) {
        // Separators become the user's: lists first, then decimals.
        AnsiString grid = fm.substr(1);
        if (ListSeparator != ',')
            grid =
                StringReplace(grid, ",", AnsiString(1, ListSeparator), TReplaceFlags{rfReplaceAll});
        if (DecimalSeparator != '.')
            grid = StringReplace(grid, ".", AnsiString(1, DecimalSeparator),
                                 TReplaceFlags{rfReplaceAll});
        // Only a formula the grid reads as the workbook does is taken; another keeps its value.
        if (WorkbookFormulaReadsSame(fm.substr(1), grid,
                                     TFormulaSeparators{DecimalSeparator, ListSeparator})) {
            S.Formulas.push_back(std::move(grid));
            Slot.Formula = static_cast<std::uint32_t>(S.Formulas.size());
            S.AnyFormula = true;
            return;
        }
    }
    const auto text = [&] { return Variant(AdjustLineBreaks(t)); };
    if (fm == t) {
        if (v.IsString())
            Slot.Value = Variant(AdjustLineBreaks(v.AsString()));
        else if (v.Type() == varError || v.IsArray())
            Slot.Value = text();  // an error shows as its text
        else if (v.Type() == varDate && !ShowableDate(v.AsDouble()))
            Slot.Value = text();  // a date beyond the calendar shows as what the sheet shows
        else
            Slot.Value = v;
        return;
    }
    if (DecimalSeparator != '.' && v.Type() == varDouble && FloatToStr(v.AsExtended()) == t) {
        Slot.Value = v;
    } else if (v.Type() == varDate && ShowableDate(v.AsDouble())) {
        Slot.Value = v;
    } else if (v.Type() == varDouble && ShowableDate(v.AsDouble()) &&
               (FormatDateTime("t", TDateTime(v.AsDouble())) == t ||
                TimeToStr(TDateTime(v.AsDouble())) == t)) {
        Slot.Value = Variant(TDateTime(v.AsDouble()));
    } else if (v.Type() == varCurrency) {
        Slot.Value = v;
    } else {
        Slot.Value = text();
    }
}

std::uint32_t TCarrelonExcelImport::ReadFont(const RangePtr& X) {
    FontPtr font = X->GetFont();
    TImportFont f;
    const Variant colour = font->GetColor();
    if (Given(colour)) {
        f.HasColor = true;
        f.Color = colour.AsInteger();
    }
    const Variant name = font->GetName();
    if (Given(name)) {
        f.HasName = true;
        f.Name = name.AsString();
    }
    const Variant size = font->GetSize();
    if (Given(size)) {
        f.HasSize = true;
        f.Size = std::clamp(size.AsInteger(), 1, 1638);
    }
    const auto flag = [&](TFontStyle Style, const Variant& V, bool Set) {
        if (!Given(V)) return;
        f.Given.Include(Style);
        if (Set) f.Style.Include(Style);
    };
    const Variant bold = font->GetBold(), italic = font->GetItalic();
    flag(fsBold, bold, Given(bold) && bold.AsBoolean());
    flag(fsItalic, italic, Given(italic) && italic.AsBoolean());
    const Variant underline = font->GetUnderline();
    flag(fsUnderline, underline, Given(underline) && underline.AsInteger() != xlUnderlineStyleNone);
    const Variant strike = font->GetStrikethrough();
    flag(fsStrikeOut, strike, Given(strike) && strike.AsBoolean());
    const auto [it, added] = FFontIndex.emplace(f, static_cast<std::uint32_t>(S.Fonts.size()));
    if (added) S.Fonts.push_back(f);
    return it->second;
}

// ---- phase 2 --------------------------------------------------------------------------------

void TCarrelonExcelImport::Reset() {
    // Nothing of the grid's columns survives: every hidden column is shown so that the counts
    // can drop it, then the last column is replaced by a new one.
    while (G->GetHiddenColCount() >= 1)
        if (G->ShowHiddenColumn(0) < 0) break;
    d.FSelectedCells->List().Clear();
    G->SetColCount(1);
    G->SetRowCount(1);
    d.FStore.Clear();
    d.FColumnCounter = 0;
    if (!d.FStore.Grow(1, 1)) throw EOutOfMemory(SOutOfMemory);
    d.MeasuresChanged();
    G->SetColCount(H + S.Col2);
    G->SetRowCount(H + S.Row2);
    if (G->GetColCount() != H + S.Col2 || G->GetRowCount() != H + S.Row2)
        throw EOutOfMemory(SOutOfMemory);
    const int fixedCols = S.Frozen ? H + S.SplitColumn : H;
    const int fixedRows = S.Frozen ? H + S.SplitRow : H;
    // A frozen pane at or beyond the last column would be refused: it stops before it.
    G->SetFixedCols(std::min(fixedCols, G->GetColCount() - 1));
    G->SetFixedRows(fixedRows);
    // The reset to one column switched the headings off; they come back over the new counts.
    if (H == 1 && !d.FSpreadsheetHeaders && G->GetFixedCols() >= 1 && G->GetFixedRows() >= 1) {
        d.FSpreadsheetHeaders = true;
        d.InvalidateSpreadsheetHeadings();
    }
}

void TCarrelonExcelImport::ApplyWidth(int SheetColumn) {
    const long long points = S.WidthPoints[static_cast<std::size_t>(SheetColumn - 1)];
    const long long width =
        Round(static_cast<Extended>(FPixelsPerInch) * points / 72) + 2LL * d.FBorderForText;
    G->GetCols(SheetColumn - 1 + H)->SetWidth(static_cast<int>(std::clamp(width, 0LL, 65535LL)));
}

void TCarrelonExcelImport::ApplyFont(TCarrelonCell* Cell, const TImportFont& F) {
    const TFont* now = Cell->CalcFont();
    const TFontStyles style = (now->GetStyle() - F.Given) + F.Style;
    if ((!F.HasColor || now->GetColor() == F.Color) && (!F.HasName || now->GetName() == F.Name) &&
        (!F.HasSize || now->GetSize() == F.Size) && style == now->GetStyle())
        return;
    std::shared_ptr<TFont> own = Cell->GetFont();
    if (F.HasColor) own->SetColor(F.Color);
    if (F.HasName) own->SetName(F.Name);
    if (F.HasSize) own->SetSize(F.Size);
    own->SetStyle(style);
}

void TCarrelonExcelImport::ApplySlot(int X, int Y, const TImportSlot& Slot) {
    const int gx = X - 1 + H, gy = Y - 1 + H;
    TCarrelonCell* cell = G->GetCells(gx, gy);
    if (Slot.Flags & TImportSlot::MergeHome) {
        const TRect& a = S.Merges.at(S.Index(X, Y));
        G->MergeRect(TRect{a.Left - 1 + H, a.Top - 1 + H, a.Right - 1 + H, a.Bottom - 1 + H}, true,
                     "", "");
        cell = G->GetCells(gx, gy);
    }
    if (Slot.Formula != 0) {
        cell->StoreValue(Variant());
        cell->WriteFFormula(S.Formulas[Slot.Formula - 1]);
        FRecalc = true;
    } else if (!Slot.Value.IsEmpty()) {
        cell->StoreValue(Slot.Value);
    }
    if (Slot.Comment != 0) {
        G->SetShowHint(true);
        cell->WriteFHint(S.Comments[Slot.Comment - 1]);
    }
    if (Slot.Flags & TImportSlot::HasColor) cell->SetColor(Slot.Color);
    ApplyFont(cell, S.Fonts[Slot.Font]);

    switch (Slot.HAlign) {
        case MixedAlignment:
        case xlLeft:
        case xlJustify:
        case xlFill:
            cell->SetTextAlignment(taLeftJustify);
            break;
        case xlGeneral:
            cell->SetTextAlignment(cell->GetValue().IsString() ? taLeftJustify : taRightJustify);
            break;
        case xlRight:
            cell->SetTextAlignment(taRightJustify);
            break;
        case xlCenter:
            cell->SetTextAlignment(taCenter);
            break;
        case xlCenterAcrossSelection: {
            int last = X;
            while (last + 1 <= S.Col2 &&
                   S.Slots[S.Index(last + 1, Y)].HAlign == xlCenterAcrossSelection)
                ++last;
            if (last > X) {
                G->MergeHoriz(gx, last - 1 + H, gy, "");
                cell = G->GetCells(gx, gy);
            }
            cell->SetTextAlignment(taCenter);
            break;
        }
        default:
            break;
    }
    if (Slot.Flags & TImportSlot::HasVAlign) {
        switch (Slot.VAlign) {
            case xlTop:
            case xlJustify:
                cell->SetTextLayout(tlTop);
                break;
            case xlCenter:
                cell->SetTextLayout(tlCenter);
                break;
            case xlBottom:
                cell->SetTextLayout(tlBottom);
                break;
            default:
                break;
        }
    }
}

bool TCarrelonExcelImport::Apply() {
    FPixelsPerInch = std::max(GridPixelsPerInch(G), 1);
    FRecalc = d.FSpreadsheetEnabled;
    const bool locked = d.TryDisableControls();
    bool complete = false;
    // Spreadsheet mode ends as it was, or on when a formula came in; switching it on
    // recalculates. Both restores run however the filling ends, and may raise themselves
    // (they reach the application's handlers), so they are not left to destructors.
    RunThenRestore(
        [&] {
            G->SetSpreadsheetEnabled(false);
            Reset();
            for (int k = 1; k < S.Col1; ++k)
                ApplyWidth(k);
            TOfficeProgress progress(G, G->OnImportProgress,
                                     static_cast<long long>(S.Col2 - S.Col1 + 1) * S.Height());
            long long position = 0;
            for (int x = S.Col1; x <= S.Col2 && !progress.Stopped(); ++x) {
                ApplyWidth(x);
                for (int y = S.Row1; y <= S.Row2; ++y) {
                    ++position;
                    const TCarrelonCell* cell = G->GetCells(x - 1 + H, y - 1 + H);
                    // A slot a merge of this import already covers from the left.
                    if (cell->GetEndColObject() != cell->GetCol()) continue;
                    const TImportSlot& slot = S.Slots[S.Index(x, y)];
                    if (slot.Flags & TImportSlot::Covered) continue;
                    ApplySlot(x, y, slot);
                    if (progress.Report(position)) break;
                }
            }
            if (progress.Stopped()) return;
            complete = true;
            if (FRecalc) G->SetSpreadsheetEnabled(true);
            G->CondenseColumnAttributes();
            // The reset emptied the selection's list: the current cell and the list start again
            // together on the first selectable cell of the new content.
            d.Initialize();
        },
        [&] {
            if (!complete) G->SetSpreadsheetEnabled(FRecalc);
        },
        [&] {
            if (locked) G->EnableControls();
        });
    return complete;
}

bool TCarrelonExcelImport::Run() {
    {
        TComSession com;
        if (com.Result() != S_OK && com.Result() != S_FALSE) return false;
        ApplicationPtr app;
        try {
            app = OleCast<Application>(CreateOleObject("Excel.Application"));
        } catch (const Exception& E) {
            ShowOfficeStartFailure("Excel", E.Message);
            return false;
        }
        // The application is quit however reading ends; an error reaches the caller after it.
        TScopeExit Quit([&] {
            Quietly([&] {
                app->SetDisplayAlerts(false);
                app->Quit();
            });
        });
        Read(app);
    }
    return Apply();
}

// ---- TCarrelon ----------------------------------------------------------------------------

bool TCarrelon::ImportFromExcelFile(const AnsiString& FileName, const Variant& Sheet) {
    // One absolute name, both for the test of existence and for opening.
    if (FileName.empty()) return false;
    std::error_code error;
    const AnsiString path = std::filesystem::absolute(FileName, error).lexically_normal().string();
    if (error || !FileExists(path)) return false;
    if (!d->FModel) return false;
    return WithEditorClosed(*d, [&] { return TCarrelonExcelImport(this, path, Sheet).Run(); });
}

void TCarrelon::CondenseColumnAttributes() {
    if (!d->FModel) return;
    const int H = d->FSpreadsheetHeaders ? 1 : 0;
    const int rows = GetRowCount();
    if (rows <= H) return;
    TFont reference;
    for (int j = H; j < GetColCount(); ++j) {
        TCarrelonCol* col = d->FCols[static_cast<std::size_t>(j)];
        const TCarrelonCell* first = col->GetCells(H);
        reference.Assign(first->CalcFont());
        const TAlignment alignment = first->GetTextAlignment();
        const TTextLayout layout = first->GetTextLayout();
        const TColor colour = first->GetColor();
        bool sameFont = true, sameName = true, sameSize = true, sameColour = true;
        bool sameAlignment = true, sameLayout = true, sameBackground = true;
        for (int r = H + 1; r < rows; ++r) {
            const TCarrelonCell* cell = col->GetCells(r);
            const TFont* f = cell->CalcFont();
            sameName = sameName && f->GetName() == reference.GetName();
            sameSize = sameSize && f->GetSize() == reference.GetSize();
            sameColour = sameColour && f->GetColor() == reference.GetColor();
            sameFont = sameFont && sameName && sameSize && sameColour &&
                       f->GetStyle() == reference.GetStyle() &&
                       f->GetPitch() == reference.GetPitch() &&
                       f->GetCharset() == reference.GetCharset();
            sameAlignment = sameAlignment && cell->GetTextAlignment() == alignment;
            sameLayout = sameLayout && cell->GetTextLayout() == layout;
            sameBackground = sameBackground && cell->GetColor() == colour;
            if (!sameName && !sameSize && !sameColour && !sameAlignment && !sameLayout &&
                !sameBackground)
                break;
        }
        if (sameFont) {
            col->SetFont(&reference);
        } else {
            if (sameName) col->GetFont()->SetName(reference.GetName());
            if (sameSize) col->GetFont()->SetSize(reference.GetSize());
            if (sameColour) col->GetFont()->SetColor(reference.GetColor());
        }
        if (sameAlignment) {
            col->SetTextAlignment(alignment);
            col->SetFixedTextAlignment(alignment);
        }
        if (sameLayout) {
            col->SetTextLayout(layout);
            col->SetFixedTextLayout(layout);
        }
        if (sameBackground) {
            col->SetColor(colour);
            col->SetFixedColor(colour);
        }
    }
}

}  // namespace carrelon
