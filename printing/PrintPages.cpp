// The paginator's pages: margins, header and footer, the page events, and the outer borders
// drawn when a page's cells are done.
#include "platform/devices/Printer.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/WinGdi.h"
#include "platform/rtl/Lists.h"
#include "printing/PrintRun.h"

namespace carrelon {

namespace {

constexpr unsigned PageTextFlags = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
constexpr unsigned MeasureFlags = PageTextFlags | DT_CALCRECT | DT_NOCLIP;

// Alignment flags of the header and footer; an alignment outside the table (settings nobody
// validated) prints left-aligned.
unsigned PageAlignmentFlag(TAlignment A) {
    switch (A) {
        case taRightJustify:
            return DT_RIGHT;
        case taCenter:
            return DT_CENTER;
        default:
            return DT_LEFT;
    }
}

AnsiString JoinLines(const TStrings* Lines) {
    AnsiString Text;
    for (int i = 0; i < Lines->GetCount(); ++i) {
        if (i > 0) Text += "\r\n";
        Text += Lines->Get(i);
    }
    return Text;
}

}  // namespace

void TCarrelonPrintRun::SelectPageFont(const TFont* Font) {
    C->SetFont(Font);
    if (!Has(poUseFontColors)) C->GetFont()->SetColor(clBlack);
    // The preview canvas measures fonts at the screen's resolution but records printer pixels.
    if (!OnPrinter()) C->GetFont()->SetSize(RoundHalfUp(C->GetFont()->GetSize() * BaseScaleY));
}

int TCarrelonPrintRun::MeasurePageText(const AnsiString& Text) {
    const TFont* F = C->GetFont();
    const int Right = PageWidth - RightPx;
    if (Measured.Valid && Measured.Text == Text && Measured.Font == F->GetHandle() &&
        Measured.Size == F->GetHeight() && Measured.Left == LeftPx && Measured.Right == Right)
        return Measured.Height;
    TRect R{LeftPx, 0, Right, 0};
    const int Height = DrawTextA(C->GetHandle(), Text, R, MeasureFlags);
    Measured = {Text, F->GetHandle(), F->GetHeight(), LeftPx, Right, Height, true};
    return Height;
}

void TCarrelonPrintRun::CalcPageMetrics() {
    const TCarrelonPrintMargins* M = d.FPrintMargins.get();
    const long double PW = PageWidth;
    const long double PH = PageHeight;
    LeftPx = RoundHalfUp(PW * M->GetLeft());
    RightPx = RoundHalfUp(PW * M->GetRight());
    BottomPx = RoundHalfUp(PH * M->GetBottom());
    if ((AMode == PrintContinueJob || AMode == PrintCloseJob) && BandCounter == 0)
        TopPx = RoundHalfUp(PH * AFraction + static_cast<long double>(ATop) * BaseScaleY);
    else
        TopPx = RoundHalfUp(PH * M->GetTop());
    const TCarrelonPrintHeaderFooter* Footer = d.FPrintFooter.get();
    if (Footer->GetLines()->GetCount() == 0) {
        FooterTextPx = FooterPx = 0;
        return;
    }
    SelectPageFont(Footer->GetFont());
    FooterTextPx = MeasurePageText(JoinLines(Footer->GetLines()));
    FooterPx = RoundHalfUp(static_cast<long double>(FooterTextPx) +
                           RoundHalfUp(PH * Footer->GetDistance()));
}

void TCarrelonPrintRun::PrintPageHeader() {
    const TCarrelonPrintHeaderFooter* Header = d.FPrintHeader.get();
    if (Header->GetLines()->GetCount() == 0) {
        HeaderPx = 0;
        return;
    }
    const AnsiString Text = JoinLines(Header->GetLines());
    const int Distance = RoundHalfUp(static_cast<long double>(PageHeight) * Header->GetDistance());
    SelectPageFont(Header->GetFont());
    int Height;
    if (PageOutput()) {
        C->GetBrush()->SetColor(clWhite);
        const TRect Clip = C->GetClipRect();
        TRect R{LeftPx, TopPx, Clip.Right - RightPx, Clip.Bottom - BottomPx};
        Height = DrawTextA(C->GetHandle(), Text, R,
                           PageTextFlags | PageAlignmentFlag(Header->GetAlignment()));
    } else {
        // Measured only, so that the pages break as they do when all are printed.
        Height = MeasurePageText(Text);
    }
    HeaderPx = RoundHalfUp(static_cast<long double>(Height) + Distance);
}

void TCarrelonPrintRun::PrintPageFooter() {
    const TCarrelonPrintHeaderFooter* Footer = d.FPrintFooter.get();
    if (!PageOutput() || Footer->GetLines()->GetCount() == 0) return;
    SelectPageFont(Footer->GetFont());
    C->GetBrush()->SetColor(clWhite);
    const TRect Clip = C->GetClipRect();
    // The footer ends at the bottom margin.
    TRect R{LeftPx, Clip.Bottom - BottomPx - FooterTextPx, Clip.Right - RightPx,
            Clip.Bottom - BottomPx};
    DrawTextA(C->GetHandle(), JoinLines(Footer->GetLines()), R,
              PageTextFlags | PageAlignmentFlag(Footer->GetAlignment()));
}

void TCarrelonPrintRun::StartPrintPage() {
    d.FPrintOuterBorders.clear();
    if (q->OnPrintPageBegin)
        q->OnPrintPageBegin(q, OnPrinter() ? Prn->GetPageNumber() : PageCounter + 1);
    CalcPageMetrics();
    // A continued page and the page-columns beside it carry no header.
    if ((AMode == PrintContinueJob || AMode == PrintCloseJob) && BandCounter == 0)
        HeaderPx = 0;
    else
        PrintPageHeader();
}

void TCarrelonPrintRun::StartContinuedPrintPage() {
    d.FPrintOuterBorders.clear();
    if (q->OnPrintPageContinued) q->OnPrintPageContinued(q, Prn->GetPageNumber());
    HeaderPx = 0;
    CalcPageMetrics();
}

void TCarrelonPrintRun::DrawOuterBorders() {
    for (const auto& B : d.FPrintOuterBorders)
        FillFrameBand(B.CellRect, B.BorderRect, B.Color);
}

void TCarrelonPrintRun::FinishPrintPage() {
    DrawOuterBorders();
    PrintPageFooter();
}

void TCarrelonPrintRun::FinishLastPrintPage() {
    DrawOuterBorders();
    // An open job's last page gets its footer from whoever finishes it.
    if (AMode == PrintWholeJob || AMode == PrintCloseJob) PrintPageFooter();
}

}  // namespace carrelon
