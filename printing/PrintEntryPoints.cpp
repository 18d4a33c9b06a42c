// The print entry points of TCarrelon: argument checks, the editor gate, the printer selection,
// the preview metafile and its image, and DoPrint.
#include <cmath>
#include <limits>
#include <memory>

#include "grid/ScopeExit.h"
#include "platform/devices/Printer.h"
#include "platform/graphics/Image.h"
#include "printing/PrintRun.h"

namespace carrelon {

namespace {

// Set while a print runs, on any grid: the printer and its page events are shared, so a print
// started from a page event is refused.
bool PrintRunning = false;

bool RangeValid(const TCarrelon* Grid, int FromCol, int FromRow, int ToCol, int ToRow) {
    const int Cols = Grid->GetColCount();
    const int Rows = Grid->GetRowCount();
    return FromCol >= 0 && ToCol < Cols && FromRow >= 0 && ToRow < Rows && FromCol <= ToCol &&
           FromRow <= ToRow;
}

double ValidFraction(double AFraction) {
    return AFraction >= 0 && AFraction < 1 ? AFraction : 0;
}

// The preview picture's height for Width, keeping the metafile's shape (halves to even); the
// current height when the metafile has no width.
int PreviewHeight(const TMetafile& Meta, int Width, int Current) {
    if (Meta.GetMMWidth() <= 0) return Current;
    const double H = std::nearbyint(static_cast<double>(Meta.GetMMHeight()) / Meta.GetMMWidth() *
                                    static_cast<double>(Width));
    if (!(H >= 0)) return 0;
    return H >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                : static_cast<int>(H);
}

}  // namespace

int TCarrelonPrivate::PrintRangeStart() const {
    return FSpreadsheetHeaders && !FPrintOptions.Contains(poPrintSpreadsheetHeaders) ? 1 : 0;
}

int TCarrelonPrivate::RunPrint(int APage, int AMode, int ATop, double AFraction, int FromCol,
                               int FromRow, int ToCol, int ToRow) {
    if (!RangeValid(q, FromCol, FromRow, ToCol, ToRow) || PrintRunning) return -1;
    TPrinter* P = Printer();
    const bool OnOpenJob = AMode == PrintContinueJob || AMode == PrintCloseJob;
    if (OnOpenJob && !P->GetPrinting()) return -1;
    if (CheckEditorMode()) return -1;
    TScopeExit Reopen([this] { CheckAlwaysShowEditor(); });
    // Selecting the printer again takes up any change made to it since (paper, resolution).
    if (!OnOpenJob) P->SetPrinterIndex(P->GetPrinterIndex());
    return q->DoPrint(P->GetCanvas(), APage, AMode, ATop, FromCol, FromRow, ToCol, ToRow,
                      AFraction);
}

int TCarrelonPrivate::RunPreview(TImage* Image, int APage, int FromCol, int FromRow, int ToCol,
                                 int ToRow) {
    if (!RangeValid(q, FromCol, FromRow, ToCol, ToRow) || PrintRunning) return -1;
    if (CheckEditorMode()) return -1;
    TScopeExit Reopen([this] { CheckAlwaysShowEditor(); });
    TPrinter* P = Printer();
    P->SetPrinterIndex(P->GetPrinterIndex());
    TMetafile Meta;
    int Pages;
    {
        TMetafileCanvas Canvas(&Meta, P->GetHandle());
        Pages = q->DoPrint(&Canvas, APage, PrintWholeJob, 0, FromCol, FromRow, ToCol, ToRow, 0);
    }
    if (Image != nullptr) {
        Image->SetAutoSize(false);
        Image->SetStretch(true);
        Image->SetAlign(alNone);
        Image->SetHeight(PreviewHeight(Meta, Image->GetWidth(), Image->GetHeight()));
        Image->GetPicture()->SetGraphic(&Meta);
    }
    return Pages;
}

int TCarrelon::Print() {
    const int H = d->PrintRangeStart();
    return d->RunPrint(-1, PrintWholeJob, 0, 0, H, H, GetColCount() - 1, GetRowCount() - 1);
}

int TCarrelon::PrintPage(int APage) {
    if (APage < 0) return -1;
    const int H = d->PrintRangeStart();
    return d->RunPrint(APage, PrintWholeJob, 0, 0, H, H, GetColCount() - 1, GetRowCount() - 1);
}

int TCarrelon::PrintRange(int FromCol, int FromRow, int ToCol, int ToRow) {
    return d->RunPrint(-1, PrintWholeJob, 0, 0, FromCol, FromRow, ToCol, ToRow);
}

int TCarrelon::PrintPreview(TImage* Image, int APage) {
    const int H = d->PrintRangeStart();
    return d->RunPreview(Image, APage, H, H, GetColCount() - 1, GetRowCount() - 1);
}

int TCarrelon::PrintPreviewRange(int FromCol, int FromRow, int ToCol, int ToRow, TImage* Image,
                                 int APage) {
    return d->RunPreview(Image, APage, FromCol, FromRow, ToCol, ToRow);
}

int TCarrelon::BeginPrint() {
    const int H = d->PrintRangeStart();
    return d->RunPrint(-1, PrintOpenJob, 0, 0, H, H, GetColCount() - 1, GetRowCount() - 1);
}

int TCarrelon::ContinuePrint(int ATop, double AFraction) {
    const int H = d->PrintRangeStart();
    return d->RunPrint(-1, PrintContinueJob, ATop, ValidFraction(AFraction), H, H,
                       GetColCount() - 1, GetRowCount() - 1);
}

int TCarrelon::EndPrint(int ATop, double AFraction) {
    const int H = d->PrintRangeStart();
    return d->RunPrint(-1, PrintCloseJob, ATop, ValidFraction(AFraction), H, H, GetColCount() - 1,
                       GetRowCount() - 1);
}

int TCarrelon::DoPrint(TCanvas* Canvas, int APage, int AMode, int ATop, int FromCol, int FromRow,
                       int ToCol, int ToRow, double AFraction) {
    if (Canvas == nullptr || PrintRunning || !RangeValid(this, FromCol, FromRow, ToCol, ToRow))
        return -1;
    // Going on on the printer's open page needs an open job: without one nothing would receive
    // the drawing.
    const bool OnOpenJob = AMode == PrintContinueJob || AMode == PrintCloseJob;
    if (OnOpenJob && Canvas == Printer()->GetCanvas() && !Printer()->GetPrinting()) return -1;
    PrintRunning = true;
    TScopeExit Done([this] {
        PrintRunning = false;
        d->FPrintOuterBorders.clear();
    });
    TCarrelonPrintRun::TArgs Args;
    Args.Canvas = Canvas;
    Args.APage = APage;
    Args.AMode = AMode;
    Args.ATop = ATop;
    Args.AFraction = AFraction;
    Args.FromCol = FromCol;
    Args.FromRow = FromRow;
    Args.ToCol = ToCol;
    Args.ToRow = ToRow;
    TCarrelonPrintRun Run(*d, Args);
    return Run.Run();
}

}  // namespace carrelon
