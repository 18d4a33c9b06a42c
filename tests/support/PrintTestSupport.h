// Print test support: a grid on a form printing on the shared printer made a stand-in of chosen
// resolution and page size, and readers of what each stand-in page recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/devices/Printer.h"
#include "platform/rtl/Lists.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {

// The shared printer is a stand-in for the scope, the PDF printer again afterwards.
class TStandInPrinterScope {
public:
    explicit TStandInPrinterScope(const TPrinterStandIn& StandIn) {
        Printer()->SetStandIn(StandIn);
    }
    ~TStandInPrinterScope();
    TStandInPrinterScope(const TStandInPrinterScope&) = delete;
    TStandInPrinterScope& operator=(const TStandInPrinterScope&) = delete;
};

// A stand-in page of Width x Height printer pixels at Dpi in both directions.
TPrinterStandIn StandInPage(int Dpi, int Width, int Height);

// A grid with no fixed parts, every column and row of the same size, the default print options
// (lines, no colours but black), printing on a stand-in of 96 pixels per inch unless the test
// chooses another.
class PrintFixture : public GridFixture {
protected:
    void SetUp() override;
    void TearDown() override;
    // Re-makes the stand-in (the previous job's pages are dropped).
    void UseStandIn(const TPrinterStandIn& StandIn);
    // Sizes the grid: Cols x Rows, each column Width and each row Height screen pixels, no
    // fixed rows or columns.
    void Shape(int Cols, int Rows, int Width, int Height);
    // Every cell's text is "c,r" (its column and row).
    void NameCells();

    // The stand-in's pages of the last job.
    int PageCount() const;
    const TCanvasRecorder& Page(int Index) const;
    // The DrawText records of a page with Text, in drawing order.
    std::vector<TCanvasRecord> TextsOn(int Page, const AnsiString& Text) const;
    // Every text a page drew, in drawing order.
    std::vector<AnsiString> AllTexts(int Page) const;
    // The cell rectangle of the TextRect that painted the background under the cell named
    // "c,r" on a page (the last one drawn there); empty when the cell is not on the page.
    TRect CellRectOn(int Page, const AnsiString& Name) const;

    std::unique_ptr<TStandInPrinterScope> StandIn;
};

}  // namespace carrelon::test
