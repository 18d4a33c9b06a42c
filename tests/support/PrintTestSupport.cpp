#include "tests/support/PrintTestSupport.h"

#include <string>

namespace carrelon::test {

TStandInPrinterScope::~TStandInPrinterScope() {
    TPrinter* P = Printer();
    if (P->GetPrinting()) P->Abort();
    P->ClearStandIn();
}

TPrinterStandIn StandInPage(int Dpi, int Width, int Height) {
    TPrinterStandIn S;
    S.PixelsPerInchX = S.PixelsPerInchY = Dpi;
    S.PageWidth = Width;
    S.PageHeight = Height;
    return S;
}

void PrintFixture::SetUp() {
    GridFixture::SetUp();
    UseStandIn(StandInPage(96, 800, 1000));
    Grid->SetFixedCols(0);
    Grid->SetFixedRows(0);
}

void PrintFixture::TearDown() {
    StandIn.reset();
    GridFixture::TearDown();
}

void PrintFixture::UseStandIn(const TPrinterStandIn& S) {
    StandIn.reset();
    StandIn = std::make_unique<TStandInPrinterScope>(S);
}

void PrintFixture::Shape(int Cols, int Rows, int Width, int Height) {
    Grid->SetColCount(Cols);
    Grid->SetRowCount(Rows);
    Grid->SetFixedCols(0);
    Grid->SetFixedRows(0);
    for (int c = 0; c < Cols; ++c)
        Grid->SetColWidths(c, Width);
    Grid->SetDefaultRowHeight(Height);
}

void PrintFixture::NameCells() {
    for (int c = 0; c < Grid->GetColCount(); ++c)
        for (int r = 0; r < Grid->GetRowCount(); ++r)
            Grid->GetCells(c, r)->SetText(std::to_string(c) + "," + std::to_string(r));
}

int PrintFixture::PageCount() const {
    return static_cast<int>(Printer()->GetStandInPages().size());
}

const TCanvasRecorder& PrintFixture::Page(int Index) const {
    return *Printer()->GetStandInPages().at(static_cast<std::size_t>(Index));
}

std::vector<TCanvasRecord> PrintFixture::TextsOn(int P, const AnsiString& Text) const {
    std::vector<TCanvasRecord> Out;
    for (const TCanvasRecord& R : Page(P).Records)
        if (R.Op == TCanvasOp::DrawText && R.Text == Text) Out.push_back(R);
    return Out;
}

std::vector<AnsiString> PrintFixture::AllTexts(int P) const {
    std::vector<AnsiString> Out;
    for (const TCanvasRecord& R : Page(P).Records)
        if (R.Op == TCanvasOp::DrawText) Out.push_back(R.Text);
    return Out;
}

TRect PrintFixture::CellRectOn(int P, const AnsiString& Name) const {
    const std::vector<TCanvasRecord>& Records = Page(P).Records;
    TRect Found{};
    for (std::size_t i = 0; i + 1 < Records.size(); ++i) {
        const TCanvasRecord& R = Records[i];
        if (R.Op != TCanvasOp::TextRect) continue;
        for (std::size_t j = i + 1; j < Records.size(); ++j) {
            if (Records[j].Op == TCanvasOp::TextRect) break;
            if (Records[j].Op == TCanvasOp::DrawText && Records[j].Text == Name) {
                Found = R.Rect;
                break;
            }
        }
    }
    return Found;
}

}  // namespace carrelon::test
