// One run of the paginator: the state of a DoPrint call and the routines that lay the grid out
// on pages and draw them. Internal to the component: only printing/ includes it.
//
// Two pixel spaces meet here. Column widths, row heights and line widths are the grid's screen
// pixels; page geometry and cell rectangles are printer pixels (a preview records in printer
// pixels too). ScaleX and ScaleY turn the first into the second.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "grid/CarrelonPrivate.h"

namespace carrelon {

class TPrinter;
class TCarrelonCell;

// X rounded to the nearest integer with exact halves going up (2.5 gives 3, -2.5 gives -2),
// computed in extended precision; NaN gives 0 and values beyond the int range are clamped.
int RoundHalfUp(long double X);

// The modes of DoPrint.
constexpr int PrintWholeJob = 0;     // BeginDoc ... EndDoc
constexpr int PrintOpenJob = 1;      // BeginDoc, the last page left open
constexpr int PrintContinueJob = 2;  // on the open page, left open
constexpr int PrintCloseJob = 3;     // on the open page, then EndDoc

class TCarrelonPrintRun {
public:
    struct TArgs {
        TCanvas* Canvas = nullptr;
        int APage = -1;
        int AMode = PrintWholeJob;
        int ATop = 0;
        double AFraction = 0;
        int FromCol = 0;
        int FromRow = 0;
        int ToCol = 0;
        int ToRow = 0;
    };

    TCarrelonPrintRun(TCarrelonPrivate& Grid, const TArgs& Args);
    TCarrelonPrintRun(const TCarrelonPrintRun&) = delete;
    TCarrelonPrintRun& operator=(const TCarrelonPrintRun&) = delete;

    // Prints; the result DoPrint returns. Printer errors propagate after a job this run opened
    // has been aborted.
    int Run();

private:
    // ---- layout (printing/PrintLayout.cpp) ----
    void LayoutColumns(bool FitWidth);
    // Lays out the band starting after LastRowDone (fitting the height in the first band).
    void LayoutBand(bool FirstBand);
    void EmitBand();
    void PrintColumn(int ACol);
    void NewSheet();
    bool PageOutput() const { return APage == -1 || APage == PageCounter + 1; }
    int Result() const;

    // ---- pages (printing/PrintPages.cpp) ----
    void CalcPageMetrics();
    void PrintPageHeader();
    void PrintPageFooter();
    void StartPrintPage();
    void StartContinuedPrintPage();
    void FinishPrintPage();
    void FinishLastPrintPage();
    void DrawOuterBorders();
    // Selects Font for the header or footer: black unless font colours are printed, scaled to
    // printer pixels on a preview.
    void SelectPageFont(const TFont* Font);
    // The height DrawTextA gives Text over the printable width, remembered while the text,
    // font and width stay the same (pages laid out but not printed measure every page).
    int MeasurePageText(const AnsiString& Text);

    // ---- cells (printing/PrintCells.cpp) ----
    void PrintCell(int ACol, int ARow);
    void PrintCellLines(const TCarrelonCell* Cell, int ACol, int ARow, const TRect& R);
    void FillFrameBand(const TRect& Inner, const TRect& Outer, TColor Color);
    void PrintCellText(const TCarrelonCell* Cell, int ACol, int ARow, const TRect& CellRect);
    void PrintCellGraphics(const TCarrelonCell* Cell, const TRect& CellRect);

    // ---- geometry of the laid-out range ----
    bool Fixed(int ACol, int ARow) const { return ARow < FixedRows || ACol < FixedCols; }
    bool OnPrinter() const { return OnPrinterCanvas; }
    bool Has(TCarrelonPrintOption O) const { return Options.Contains(O); }
    bool VertLinesOn() const { return Has(poUseVertLine) || Has(poUseFixedVertLine); }
    bool HorzLinesOn() const { return Has(poUseHorzLine) || Has(poUseFixedHorzLine); }
    bool RepeatingRow(int ARow) const { return RowResume != -1 && ARow < FixedRows; }
    bool RepeatingCol(int ACol) const { return ColResume != -1 && ACol < FixedCols; }
    bool ColStartsPage(int ACol) const { return ColStart[ACol - FromCol] != 0; }
    bool RowStartsBand(int ARow) const {
        return ARow == BandFirst || (RowResume != -1 && ARow == FromRow);
    }
    std::int64_t ColOffsetOf(int ACol) const { return ColOffset[ACol - FromCol]; }
    int ColWidthOf(int ACol) const { return ColWidth[ACol - FromCol]; }
    std::int64_t RowOffsetOf(int ARow) const;
    std::int64_t RowBottomOf(int ARow) const;

    TCarrelonPrivate& d;
    TCarrelon* const q;
    TPrinter* const Prn;

    // The call.
    TCanvas* const C;
    const bool OnPrinterCanvas;
    const int APage;
    const int AMode;
    const int ATop;
    const double AFraction;
    const int FromCol;
    const int FromRow;
    int ToCol;  // lowered when the first page event shrinks the grid
    int ToRow;  // lowered when a page event shrinks the grid

    // The grid as the print started.
    TCarrelonPrintOptions Options;
    int FixedCols = 0;
    int FixedRows = 0;
    int GridLineWidth = 0;
    int BorderForText = 0;
    int PageWidth = 0;
    int PageHeight = 0;

    // Scales from screen to printer pixels.
    double BaseScaleX = 1;
    double BaseScaleY = 1;
    double ScaleX = 1;
    double ScaleY = 1;

    // Page metrics in printer pixels.
    int LeftPx = 0;
    int RightPx = 0;
    int TopPx = 0;
    int BottomPx = 0;
    int HeaderPx = 0;
    int FooterTextPx = 0;
    int FooterPx = 0;

    // Columns of the range, at index col - FromCol: widths, left edges from the page-column's
    // left edge, page-column starts, and the last column of each column's page-column.
    std::vector<int> ColWidth;
    std::vector<int> ColLineWidth;
    std::vector<std::int64_t> ColOffset;
    std::vector<char> ColStart;
    std::vector<int> ColPageEnd;
    // Fixed columns repeated on every page-column after the first: their width, and the
    // column at which the current page-column resumes after them (-1: none).
    bool RepeatCols = false;
    std::int64_t RepeatWidth = 0;
    int ColResume = -1;

    // The current band: its first own row and last row, the top edges of its rows from the
    // band's top (one more entry: the band's bottom).
    int BandFirst = 0;
    int BandLast = -1;
    std::vector<std::int64_t> BandOffset;
    // Fixed rows repeated above every band after the first: their height, their top edges (one
    // more entry: their bottom), and the first own row of the current band (-1: none).
    bool RepeatRows = false;
    std::int64_t RepeatHeight = 0;
    std::vector<std::int64_t> FixedOffset;
    int RowResume = -1;

    int PageCounter = 0;  // pages started before the current one
    int BandCounter = 0;  // bands started after the first
    int LastRowDone = 0;
    std::int64_t BandHeight = 0;
    bool OpenedJob = false;

    // The last measured header or footer text.
    struct TMeasured {
        AnsiString Text;
        std::intptr_t Font = 0;
        int Size = 0;
        int Left = 0;
        int Right = 0;
        int Height = 0;
        bool Valid = false;
    };
    TMeasured Measured;
};

}  // namespace carrelon
