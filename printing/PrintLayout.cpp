// The paginator's layout: scales, page-columns with width fitting, row bands with height
// fitting, repeated fixed rows and columns, and the order in which pages are emitted.
#include <algorithm>
#include <cmath>
#include <limits>

#include "grid/ScopeExit.h"
#include "platform/devices/Printer.h"
#include "platform/graphics/WinGdi.h"
#include "printing/PrintRun.h"

namespace carrelon {

namespace {

// X rounded to the nearest whole number, exact halves up. Rounds to nearest (ties to even) in
// the current rounding mode and moves a tie that went down up again: floor(X + 0.5) would switch
// the floating-point unit's rounding mode for every value, which costs more than the layout.
long double NearestHalfUp(long double X) {
    const long double R = std::rint(X);
    return X - R == 0.5L ? R + 1 : R;
}

}  // namespace

int RoundHalfUp(long double X) {
    if (std::isnan(X)) return 0;
    if (X >= static_cast<long double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (X <= static_cast<long double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(std::lrint(NearestHalfUp(X)));
}

namespace {

// Screen pixels times a scale, rounded, in 64 bits: offsets of huge ranges exceed an int before
// they are scaled.
std::int64_t Scaled(std::int64_t Pixels, double Scale) {
    constexpr long double Limit = static_cast<long double>(std::int64_t{1} << 62);
    const long double V = static_cast<long double>(Pixels) * Scale;
    if (!(V < Limit)) return std::int64_t{1} << 62;
    if (!(V > -Limit)) return -(std::int64_t{1} << 62);
    return std::llrint(NearestHalfUp(V));
}

// The next whole scale below Scale.
double NextScaleDown(double Scale) {
    return std::ceil(Scale) - 1;
}

}  // namespace

TCarrelonPrintRun::TCarrelonPrintRun(TCarrelonPrivate& Grid, const TArgs& Args)
    : d(Grid),
      q(Grid.q),
      Prn(Printer()),
      C(Args.Canvas),
      OnPrinterCanvas(Args.Canvas == Printer()->GetCanvas()),
      APage(Args.APage),
      AMode(Args.AMode),
      ATop(Args.ATop),
      AFraction(Args.AFraction),
      FromCol(Args.FromCol),
      FromRow(Args.FromRow),
      ToCol(Args.ToCol),
      ToRow(Args.ToRow) {
    Options = d.FPrintOptions;
    FixedCols = q->GetFixedCols();
    FixedRows = q->GetFixedRows();
    GridLineWidth = q->GetGridLineWidth();
    BorderForText = d.FBorderForText;
    PageWidth = Prn->GetPageWidth();
    PageHeight = Prn->GetPageHeight();
}

int TCarrelonPrintRun::Run() {
    C->GetBrush()->SetStyle(bsSolid);
    C->GetPen()->SetStyle(psSolid);
    // The printer's resolution against the grid's own, also for a preview (it records in
    // printer pixels).
    HDC Screen = q->GetCanvas()->GetHandle();
    HDC Device = Prn->GetHandle();
    const int ScreenX = std::max(GetDeviceCaps(Screen, LOGPIXELSX), 1);
    const int ScreenY = std::max(GetDeviceCaps(Screen, LOGPIXELSY), 1);
    BaseScaleX = static_cast<double>(GetDeviceCaps(Device, LOGPIXELSX)) / ScreenX;
    BaseScaleY = static_cast<double>(GetDeviceCaps(Device, LOGPIXELSY)) / ScreenY;
    if (!(BaseScaleX > 0) || !(BaseScaleY > 0)) BaseScaleX = BaseScaleY = 1;
    ScaleX = BaseScaleX;
    ScaleY = BaseScaleY;

    // A job this run opened is aborted when the run fails, so later prints can start.
    TScopeExit AbortOnFailure([this] {
        if (OpenedJob && Prn->GetPrinting()) {
            try {
                Prn->Abort();
            } catch (const Exception&) {
            }
        }
    });

    if (!OnPrinter()) {
        C->GetBrush()->SetColor(clWhite);
        C->FillRect(C->GetClipRect());
        StartPrintPage();
    } else if (AMode == PrintContinueJob || AMode == PrintCloseJob) {
        StartContinuedPrintPage();
    } else {
        Prn->BeginDoc();
        OpenedJob = true;
        StartPrintPage();
    }
    // The first page event may have shrunk the grid: the range ends at its last row and
    // column. Later events find the columns laid out; their cells past the count are skipped.
    ToRow = std::min(ToRow, q->GetRowCount() - 1);
    ToCol = std::min(ToCol, q->GetColCount() - 1);

    LayoutColumns(Has(poFitPageWidth));

    LastRowDone = FromRow - 1;
    RowResume = -1;
    RepeatRows = Has(poRepeatFixedRows) && FromRow < FixedRows && FixedRows <= ToRow;
    bool First = true;
    for (;;) {
        if (!First) {
            NewSheet();
            ++BandCounter;
            StartPrintPage();
            // A page event may have shrunk the grid: the range ends at its last row.
            ToRow = std::min(ToRow, q->GetRowCount() - 1);
            RowResume = RepeatRows && LastRowDone + 1 >= FixedRows ? LastRowDone + 1 : -1;
        }
        LayoutBand(First);
        EmitBand();
        const bool Last = BandLast >= ToRow;
        if (Last)
            FinishLastPrintPage();
        else
            FinishPrintPage();
        LastRowDone = std::max(BandLast, LastRowDone + 1);
        First = false;
        if (Last) break;
    }

    const int R = Result();
    if (OnPrinter() && (AMode == PrintWholeJob || AMode == PrintCloseJob)) Prn->EndDoc();
    OpenedJob = false;  // done: a job left open stays open for the next grid
    return R;
}

int TCarrelonPrintRun::Result() const {
    if (!OnPrinter()) return PageCounter + 1;
    if (AMode == PrintWholeJob || AMode == PrintCloseJob) return Prn->GetPageNumber();
    // The bottom of the last band in screen pixels from the page's top.
    return RoundHalfUp(static_cast<long double>(ScaleY) / BaseScaleY * BandHeight +
                       static_cast<long double>(TopPx + static_cast<std::int64_t>(HeaderPx)) /
                           BaseScaleY);
}

void TCarrelonPrintRun::NewSheet() {
    // A preview draws every page on its one picture.
    if (APage == -1 && OnPrinter()) Prn->NewPage();
    ++PageCounter;
}

// Page-columns: running sums of the widths, a new page-column where a column's right edge
// would pass the printable width. With FitWidth a column that does not fit lowers the scale by
// one whole step instead, down to 1, and the layout starts again.
void TCarrelonPrintRun::LayoutColumns(bool FitWidth) {
    if (ToCol < FromCol) return;  // the first page event took every column of the range
    const std::size_t N = static_cast<std::size_t>(ToCol - FromCol) + 1;
    if (ColWidth.size() != N) {
        ColWidth.resize(N);
        ColLineWidth.assign(N, 0);
        const bool Lines = VertLinesOn();
        for (std::size_t k = 0; k < N; ++k) {
            const int col = FromCol + static_cast<int>(k);
            ColWidth[k] = q->GetColWidths(col);
            if (Lines) ColLineWidth[k] = q->GetCols(col)->GetGridLineWidth();
        }
        ColOffset.resize(N);
        ColStart.resize(N);
        ColPageEnd.resize(N);
    }
    const bool WantRepeat =
        Has(poRepeatFixedCols) && FixedCols > 0 && FromCol < FixedCols && FixedCols <= ToCol;
    RepeatWidth = 0;
    if (WantRepeat)
        for (int c = FromCol; c < FixedCols; ++c)
            RepeatWidth += ColWidthOf(c);
    const bool Lines = VertLinesOn();

    for (;;) {
        RepeatCols = WantRepeat;
        std::fill(ColStart.begin(), ColStart.end(), 0);
        ColStart[0] = 1;
        ColOffset[0] = 0;
        bool Broken = false;  // a page-column has started after the first
        bool Restart = false;
        std::int64_t Offset = ColWidth[0];
        const std::int64_t Avail = static_cast<std::int64_t>(PageWidth) - LeftPx - RightPx;
        for (int col = FromCol + 1; col <= ToCol; ++col) {
            const std::size_t k = static_cast<std::size_t>(col - FromCol);
            const std::int64_t W = ColWidth[k] + (RepeatCols && Broken ? RepeatWidth : 0);
            const std::int64_t Right = Scaled(Offset + W, ScaleX);
            const std::int64_t Line = Lines ? Scaled(ColLineWidth[k], ScaleX) : 0;
            if (Right > Avail - Line) {
                if (FitWidth && ScaleX > 1) {
                    const double Next = NextScaleDown(ScaleX);
                    ScaleY = Next * BaseScaleY / BaseScaleX;
                    ScaleX = Next;
                    Restart = true;
                    break;
                }
                // The fixed columns repeat only when they all lie in the first page-column.
                if (col < FixedCols) RepeatCols = false;
                ColStart[k] = 1;
                Broken = true;
                Offset = 0;
            }
            ColOffset[k] = Offset;
            Offset += ColWidth[k];
        }
        if (!Restart) break;
    }

    // The last column of every column's page-column, for cells cut at its right edge.
    int End = ToCol;
    for (int col = ToCol; col >= FromCol; --col) {
        const std::size_t k = static_cast<std::size_t>(col - FromCol);
        ColPageEnd[k] = End;
        if (ColStart[k]) End = col - 1;
    }
}

// One band: rows from the band's first own row while their bottom stays within the printable
// height, the repeated fixed rows above them. In the first band a height that does not fit
// lowers the scale by whole steps (down to 1) and the columns are laid out again.
void TCarrelonPrintRun::LayoutBand(bool FirstBand) {
    BandFirst = LastRowDone + 1;
    if (RowResume != -1 && FixedOffset.empty()) {
        FixedOffset.push_back(0);
        for (int r = FromRow; r < FixedRows; ++r)
            FixedOffset.push_back(FixedOffset.back() + q->GetRowHeights(r));
        RepeatHeight = FixedOffset.back();
    }
    const int Rows = q->GetRowCount();
    for (;;) {
        const std::int64_t Avail = static_cast<std::int64_t>(PageHeight) - TopPx - HeaderPx -
                                   BottomPx - FooterPx -
                                   (HorzLinesOn() ? Scaled(GridLineWidth, ScaleY) : 0);
        std::int64_t Sum = RowResume != -1 ? RepeatHeight : 0;
        BandHeight = 0;
        BandLast = BandFirst - 1;
        bool Fits = Scaled(Sum, ScaleY) <= Avail;
        if (Fits) BandHeight = Sum;
        for (int r = BandFirst; Fits && r <= ToRow && r < Rows; ++r) {
            const std::int64_t Bottom = Sum + q->GetRowHeights(r);
            if (Scaled(Bottom, ScaleY) > Avail) break;
            Sum = Bottom;
            BandHeight = Sum;
            BandLast = r;
        }
        if (FirstBand && BandLast < ToRow && Has(poFitPageHeight) && ScaleY > 1) {
            const double Next = NextScaleDown(ScaleY);
            ScaleX = Next * BaseScaleX / BaseScaleY;
            ScaleY = Next;
            LayoutColumns(false);
            continue;
        }
        break;
    }
    // A row taller than the page forms a band of its own and is cut off at the page's edge.
    if (BandLast < BandFirst && BandFirst <= ToRow) BandLast = BandFirst;
    // The fixed rows repeat only when they all lie in the first band.
    if (FirstBand && RepeatRows && BandLast < FixedRows - 1) RepeatRows = false;

    BandOffset.assign(1, 0);
    for (int r = BandFirst; r <= BandLast; ++r)
        BandOffset.push_back(BandOffset.back() + (r < Rows ? q->GetRowHeights(r) : 0));
}

// The band's pages, one per page-column: each column's cells top to bottom, the repeated fixed
// columns first on every page-column after the first.
void TCarrelonPrintRun::EmitBand() {
    ColResume = -1;
    for (int col = FromCol; col <= ToCol;) {
        if (ColStartsPage(col) && col > FromCol && col != ColResume) {
            FinishPrintPage();
            NewSheet();
            StartPrintPage();
            ToRow = std::min(ToRow, q->GetRowCount() - 1);
            if (RepeatCols && col >= FixedCols) {
                ColResume = col;
                col = FromCol;
            }
        }
        if (PageOutput()) PrintColumn(col);
        int Next = col + 1;
        if (ColResume != -1 && Next == FixedCols) Next = ColResume;
        col = Next;
    }
}

void TCarrelonPrintRun::PrintColumn(int ACol) {
    if (RowResume != -1)
        for (int r = FromRow; r < FixedRows; ++r)
            PrintCell(ACol, r);
    for (int r = BandFirst; r <= BandLast; ++r)
        PrintCell(ACol, r);
}

std::int64_t TCarrelonPrintRun::RowOffsetOf(int ARow) const {
    if (RepeatingRow(ARow)) return FixedOffset[static_cast<std::size_t>(ARow - FromRow)];
    return BandOffset[static_cast<std::size_t>(ARow - BandFirst)];
}

std::int64_t TCarrelonPrintRun::RowBottomOf(int ARow) const {
    if (RepeatingRow(ARow)) return FixedOffset[static_cast<std::size_t>(ARow - FromRow) + 1];
    return BandOffset[static_cast<std::size_t>(ARow - BandFirst) + 1];
}

}  // namespace carrelon
