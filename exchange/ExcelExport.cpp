// Export to the spreadsheet application: the data area becomes the sheet of a new workbook with
// grid lines, column widths, alignments, fonts and colours, each cell's own formatting and outer
// border, values with their types, formulas in the workbook's syntax, hints as comments and merged
// ranges; the workbook is left open for the user or saved, and the application quit.
#include <algorithm>
#include <cmath>

#include "exchange/OfficeExchange.h"
#include "exchange/WorkbookFormulas.h"
#include "grid/CarrelonBorders.h"
#include "grid/ScopeExit.h"
#include "platform/automation/ExcelAutomation.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

namespace {

using namespace carrelon::excel;

int VerticalAlignmentOf(TTextLayout L) {
    switch (L) {
        case tlCenter:
            return xlCenter;
        case tlBottom:
            return xlBottom;
        default:
            return xlTop;
    }
}

int HorizontalAlignmentOf(TAlignment A) {
    switch (A) {
        case taRightJustify:
            return xlRight;
        case taCenter:
            return xlCenter;
        default:
            return xlLeft;
    }
}

Variant Rgb(TColor Color) {
    return Variant(static_cast<int>(ColorToRGB(Color)));
}

// The workbook's line breaks are single LFs.
AnsiString WorkbookLineBreaks(const AnsiString& Text) {
    return StringReplace(Text, "\r\n", "\n", TReplaceFlags{rfReplaceAll});
}

// The application object for an export left open: a running instance when there is one, else a
// new one (Created is then set).
IDispatchPtr GetExcelApplication(bool& Created) {
    const TCLSID classId = ProgIDToClassID("Excel.Application");
    IUnknownPtr unknown;
    const HRESULT found = GetActiveObject(classId, nullptr, unknown);
    if (found == MK_E_UNAVAILABLE) {
        unknown = CreateComObject(classId);
        Created = true;
    } else {
        OleCheck(found);
    }
    IUnknownPtr dispatch;
    OleCheck(unknown->QueryInterface(IID_IDispatch, dispatch));
    return OleCast<IDispatch>(dispatch);
}

}  // namespace

// One export into one new workbook.
class TCarrelonExcelExport {
public:
    TCarrelonExcelExport(TCarrelon* Grid, int Mode, const AnsiString& FileName)
        : G(Grid), d(TCarrelonPrivate::Of(Grid)), FMode(Mode), FFileName(FileName) {
        H = d.FSpreadsheetHeaders ? 1 : 0;
        N = G->GetRowCount() - H;
        M = G->GetColCount() - H;
    }
    bool Run();

private:
    void Export();
    void Borders();
    void ColumnPass();
    void CellPass();
    void ExportCellToExcel(int Row, int Col, bool Format, bool Value);
    void FormatCell(const RangePtr& X);
    void WriteValue(const RangePtr& X);
    void LineWeight(const BorderPtr& B, int Width);
    // Selects the sheet's rectangle and returns the selection.
    RangePtr Select(long long R1, long long C1, long long R2, long long C2);
    // Ends a stopped or failed export: the new workbook goes, the application is left as found.
    void Discard();

    TCarrelon* G;
    TCarrelonPrivate& d;
    int FMode;
    AnsiString FFileName;
    int H;
    long long N, M;
    ApplicationPtr FApplication;
    WorkbookPtr FWorkbook;
    WorksheetPtr FSheet;
    bool FCreated = false;
    bool FWasVisible = false;
    std::unique_ptr<TOfficeProgress> FProgress;
    // The grid cell and column being visited.
    TCarrelonCell* FCell = nullptr;
    TCarrelonCol* FCol = nullptr;
};

bool TCarrelonExcelExport::Run() {
    FProgress = std::make_unique<TOfficeProgress>(G, G->OnExportProgress, M * N + M);
    TComSession com;
    try {
        IDispatchPtr app;
        if (FMode == 0) {
            app = GetExcelApplication(FCreated);
        } else {
            app = CreateOleObject("Excel.Application");
            FCreated = true;
        }
        FApplication = OleCast<Application>(app);
        FWasVisible = FApplication->GetVisible();
        if (FWasVisible) FApplication->SetVisible(false);
    } catch (const Exception& E) {
        ShowOfficeStartFailure("Excel", E.Message);
        return false;
    }
    try {
        Export();
    } catch (...) {
        Quietly([this] { Discard(); });
        return false;
    }
    return !FProgress->Stopped();
}

void TCarrelonExcelExport::Export() {
    {
        // The user's setting comes back as soon as the workbook exists.
        const int sheets = FApplication->GetSheetsInNewWorkbook();
        FApplication->SetSheetsInNewWorkbook(1);
        TScopeExit Restore([&] { Quietly([&] { FApplication->SetSheetsInNewWorkbook(sheets); }); });
        FWorkbook = FApplication->GetWorkbooks()->Add();
    }
    FSheet = FApplication->GetActiveSheet();
    // An area without rows or columns (only the headings) leaves the sheet empty.
    if (N > 0 && M > 0) {
        Borders();
        ColumnPass();
        if (!FProgress->Stopped()) CellPass();
    }
    if (FProgress->Stopped()) {
        Discard();
        return;
    }
    FSheet->Cells(1, 1)->Select();
    if (FMode == 1) {
        FApplication->SetDisplayAlerts(false);
        FWorkbook->SaveAs(FFileName);
        FApplication->SetDisplayAlerts(true);
        FSheet.reset();
        FWorkbook.reset();
        FApplication->Quit();
    } else {
        FSheet.reset();
        FWorkbook.reset();
        FApplication->SetVisible(true);
        FApplication->GetActiveWindow()->Activate();
    }
}

void TCarrelonExcelExport::Discard() {
    FSheet.reset();
    if (FCreated) {
        // Only an instance this export started is quit; another client's stays.
        FWorkbook.reset();
        FApplication->SetDisplayAlerts(false);
        FApplication->Quit();
        return;
    }
    if (FWorkbook) FWorkbook->Close(false);
    FWorkbook.reset();
    if (FWasVisible) {
        FApplication->SetVisible(true);
        FApplication->GetActiveWindow()->Activate();
    }
}

RangePtr TCarrelonExcelExport::Select(long long R1, long long C1, long long R2, long long C2) {
    RangePtr first = FSheet->Cells(ClampProgress(R1), ClampProgress(C1));
    RangePtr last = FSheet->Cells(ClampProgress(R2), ClampProgress(C2));
    FSheet->GetRange(first, last)->Select();
    return FApplication->GetSelection();
}

void TCarrelonExcelExport::Borders() {
    const int fixedRows = G->GetFixedRows(), fixedCols = G->GetFixedCols();
    RangePtr area = Select(1, 1, N, M);
    for (int edge : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight})
        area->Borders(edge)->SetLineStyle(xlContinuous);
    if (M > 1) area->Borders(xlInsideVertical)->SetLineStyle(xlContinuous);
    if (N > 1) area->Borders(xlInsideHorizontal)->SetLineStyle(xlContinuous);
    area->SetWrapText(true);

    if (fixedCols > H || fixedRows > H) {
        const Variant fixed = Rgb(d.FFixedGridLineColor);
        area->Borders(xlEdgeTop)->SetColor(fixed);
        area->Borders(xlEdgeLeft)->SetColor(fixed);
        if (fixedCols > H) area->Borders(xlEdgeBottom)->SetColor(fixed);
        if (M > 1) area->Borders(xlInsideVertical)->SetColor(fixed);
        if (N > 1) area->Borders(xlInsideHorizontal)->SetColor(fixed);
    }

    // The scrolling area; none when every row is fixed.
    if (fixedRows < G->GetRowCount()) {
        const Variant line = Rgb(d.FGridLineColor);
        RangePtr scrolling = Select(fixedRows + 1 - H, fixedCols + 1 - H, N, M);
        scrolling->Borders(xlEdgeBottom)->SetColor(line);
        if (G->GetRowCount() - fixedRows > 1)
            scrolling->Borders(xlInsideHorizontal)->SetColor(line);
        if (fixedRows == H) scrolling->Borders(xlEdgeTop)->SetColor(line);
    }
}

void TCarrelonExcelExport::LineWeight(const BorderPtr& B, int Width) {
    if (Width == 0)
        B->SetLineStyle(xlNone);
    else if (Width == 2)
        B->SetWeight(xlMedium);
    else if (Width >= 3)
        B->SetWeight(xlThick);
}

void TCarrelonExcelExport::ColumnPass() {
    const int fixedRows = G->GetFixedRows();
    const int pixelsPerInch = std::max(GridPixelsPerInch(G), 1);
    for (long long k = 1; k <= M; ++k) {
        TCarrelonCol* col = d.FCols[static_cast<std::size_t>(k - 1 + H)];
        RangePtr column = FSheet->Columns(static_cast<int>(k));
        const double units = column->GetColumnWidth().AsDouble();
        const double points = column->GetWidth();
        // The column's ratio of character units to points, applied to the grid width in
        // points; the workbook takes at most 255 units.
        if (points > 0)
            column->SetColumnWidth(
                std::min(255.0, units / points * col->GetWidth() * 72.0 / pixelsPerInch));

        RangePtr whole = Select(1, k, N, k);
        whole->SetVerticalAlignment(VerticalAlignmentOf(col->GetTextLayout()));
        whole->SetHorizontalAlignment(HorizontalAlignmentOf(col->GetTextAlignment()));
        whole->GetInterior()->SetColor(Rgb(col->GetColor()));
        const TFont* font = col->CalcFont();
        FontPtr f = whole->GetFont();
        f->SetName(Variant(font->GetName()));
        f->SetSize(Variant(font->GetSize()));
        f->SetColor(Rgb(font->GetColor()));
        const TFontStyles style = font->GetStyle();
        if (style.Contains(fsBold)) f->SetBold(Variant(true));
        if (style.Contains(fsItalic)) f->SetItalic(Variant(true));
        if (style.Contains(fsUnderline)) f->SetUnderline(Variant(true));
        if (style.Contains(fsStrikeOut)) f->SetStrikeThrough(Variant(true));

        if (fixedRows < G->GetRowCount()) {
            BorderPtr right = Select(fixedRows + 1 - H, k, N, k)->Borders(xlEdgeRight);
            right->SetColor(Rgb(col->GetGridLineColor()));
            LineWeight(right, col->GetGridLineWidth());
        }
        if (H < fixedRows) {
            BorderPtr right = Select(1, k, fixedRows - H, k)->Borders(xlEdgeRight);
            right->SetColor(Rgb(d.FFixedGridLineColor));
            LineWeight(right, col->GetGridLineWidth());
        }
        if (FProgress->Report(k)) return;
    }
}

void TCarrelonExcelExport::CellPass() {
    const int rows = G->GetRowCount();
    for (int j = G->GetColCount() - 1; j >= H; --j) {
        FCol = d.FCols[static_cast<std::size_t>(j)];
        for (int r = H; r < rows;) {
            TCarrelonCell* cell = G->GetCells(j, r);
            FCell = cell;
            const int endRow = cell->GetEndRow();
            if (endRow != r || cell->GetStartCol() != j) {
                // A merged range is met first at its rightmost column.
                if (cell->GetEndCol() == j) {
                    const int startCol = cell->GetStartCol();
                    ExportCellToExcel(r + 1 - H, startCol + 1 - H, true, false);
                    RangePtr first = FSheet->Cells(r + 1 - H, j + 1 - H);
                    RangePtr last = FSheet->Cells(endRow + 1 - H, startCol + 1 - H);
                    FSheet->GetRange(first, last)->Merge();
                    ExportCellToExcel(r + 1 - H, startCol + 1 - H, false, true);
                }
            } else {
                ExportCellToExcel(r + 1 - H, j + 1 - H, true, true);
            }
            if (FProgress->Report(M + static_cast<long long>(G->GetColCount() - 1 - j) * N +
                                  (r - H) + 1))
                return;
            r = std::max(endRow, r) + 1;
        }
    }
}

void TCarrelonExcelExport::ExportCellToExcel(int Row, int Col, bool Format, bool Value) {
    RangePtr X = FSheet->Cells(Row, Col);
    if (Format) FormatCell(X);
    if (Value) WriteValue(X);
}

void TCarrelonExcelExport::FormatCell(const RangePtr& X) {
    TCarrelonCell* cell = FCell;
    if (cell->GetTextLayout() != FCol->GetTextLayout())
        X->SetVerticalAlignment(VerticalAlignmentOf(cell->GetTextLayout()));
    if (cell->GetTextAlignment() != FCol->GetTextAlignment())
        X->SetHorizontalAlignment(HorizontalAlignmentOf(cell->GetTextAlignment()));
    if (cell->FontUsed()) {
        const TFont* own = cell->ReadFFont();
        const TFont* base = FCol->CalcFont();
        FontPtr f;
        const auto font = [&] {
            if (!f) f = X->GetFont();
            return f;
        };
        if (own->GetName() != base->GetName()) font()->SetName(Variant(own->GetName()));
        if (own->GetSize() != base->GetSize()) font()->SetSize(Variant(own->GetSize()));
        if (own->GetColor() != base->GetColor()) font()->SetColor(Rgb(own->GetColor()));
        const TFontStyles a = own->GetStyle(), b = base->GetStyle();
        if (a.Contains(fsBold) != b.Contains(fsBold)) font()->SetBold(Variant(a.Contains(fsBold)));
        if (a.Contains(fsItalic) != b.Contains(fsItalic))
            font()->SetItalic(Variant(a.Contains(fsItalic)));
        if (a.Contains(fsUnderline) != b.Contains(fsUnderline))
            font()->SetUnderline(Variant(a.Contains(fsUnderline)));
        if (a.Contains(fsStrikeOut) != b.Contains(fsStrikeOut))
            font()->SetStrikeThrough(Variant(a.Contains(fsStrikeOut)));
    }
    if (cell->GetColor() != FCol->GetColor()) X->GetInterior()->SetColor(Rgb(cell->GetColor()));
    const TCarrelonCellOuterBorder* border = cell->ReadFOuterBorder();
    if (border != nullptr && border->GetWidth() > 0) {
        // A system colour is given as the colour it stands for.
        const int width = border->GetWidth();
        X->BorderAround(EmptyParam,
                        width == 1   ? EmptyParam
                        : width == 2 ? Variant(xlMedium)
                                     : Variant(xlThick),
                        EmptyParam, Rgb(border->GetColor()));
    }
}

void TCarrelonExcelExport::WriteValue(const RangePtr& X) {
    TCarrelonCell* cell = FCell;
    const AnsiString formula = cell->ReadFFormula();
    if (!formula.empty()) {
        AnsiString text;
        const TFormulaSeparators separators{DecimalSeparator, ListSeparator};
        const auto mapColumn = [this](std::int64_t GridColumn, std::int64_t& SheetColumn) {
            // A1 column n names absolute column n - 1 + H; beyond the grid the columns follow
            // the last one.
            const long long absolute = GridColumn - 1 + H;
            const long long count = static_cast<long long>(d.FAbsoluteCols.size());
            if (absolute >= count) {
                SheetColumn = GridColumn - static_cast<long long>(d.FHiddenCols.size());
                return true;
            }
            const int visible = d.FAbsoluteCols[static_cast<std::size_t>(absolute)]->GetCol();
            if (visible < 0) return false;
            SheetColumn = visible + 1 - H;
            return true;
        };
        const TFormulaExport result = GridFormulaToWorkbook(formula, separators, mapColumn, text);
        if (result == TFormulaExport::Untranslatable) {
            // The workbook would compute another value: the grid's value goes instead.
            X->SetValue(cell->GetValue());
        } else {
            if (result == TFormulaExport::Unparsable) {
                // The grid shows an error for it; the workbook gets it as written, in its own
                // separators.
                text = formula;
                if (DecimalSeparator != '.')
                    text = StringReplace(text, AnsiString(1, DecimalSeparator), ".",
                                         TReplaceFlags{rfReplaceAll});
                if (ListSeparator != ',')
                    text = StringReplace(text, AnsiString(1, ListSeparator), ",",
                                         TReplaceFlags{rfReplaceAll});
                text = WorkbookLineBreaks(text);
            }
            AnsiString f = "=";
            f += text;
            X->SetFormula(Variant(f));
        }
    } else {
        const Variant value = cell->GetValue();
        if (value.Type() == varString) {
            AnsiString text = WorkbookLineBreaks(value.AsString());
            // A leading "=" or "'" would be read as a formula or eaten as the text prefix.
            if (!text.empty() && (text[0] == '=' || text[0] == '\'')) {
                AnsiString quoted = "'";
                quoted += text;
                text = std::move(quoted);
            }
            X->SetValue(Variant(text));
        } else {
            X->SetValue(value);
        }
    }
    const AnsiString hint = cell->ReadFHint();
    if (!hint.empty()) X->AddComment(WorkbookLineBreaks(hint));
}

// ---- TCarrelon ----------------------------------------------------------------------------

bool TCarrelon::ExportToExcel() {
    return WithEditorClosed(*d, [this] { return DoExportToExcel(0, {}); });
}

bool TCarrelon::ExportToExcelFile(const AnsiString& FileName) {
    return WithEditorClosed(*d, [&] { return DoExportToExcel(1, FileName); });
}

bool TCarrelon::DoExportToExcel(int Mode, const AnsiString& FileName) {
    return TCarrelonExcelExport(this, Mode, FileName).Run();
}

}  // namespace carrelon
