// One full paint of a 1920 x 1080 client area: Carrelon at the top, the middle and the end of a
// 1,000,000-row grid, of a 100-row grid and of one with rows far taller than the view, and a
// QTableView over a QStandardItemModel with the same content, all drawn into an image of the
// same size.
#include <benchmark/benchmark.h>

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <memory>
#include <string>

#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Pictures.h"

using namespace carrelon;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kCols = 10;

std::string CellText(int Col, int Row) {
    return "Item " + std::to_string(Row) + "." + std::to_string(Col);
}

// A form holding a grid of Rows x 10 text cells, sized to the benchmark's client area.
struct CarrelonFrame {
    std::unique_ptr<TForm> Form;
    TCarrelon* Grid = nullptr;
    TBitmap Target;

    explicit CarrelonFrame(int Rows) {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, kWidth + 40, kHeight + 80);
        Grid = new TCarrelon(Form.get());
        Grid->SetParent(Form.get());
        // Row fitting would measure every cell of the grid once; the frame is what is timed.
        TCarrelonOptions o = Grid->GetOptions();
        o.Exclude(cloAutoIncreaseRowHeights);
        o.Exclude(cloAutoDecreaseRowHeights);
        Grid->SetOptions(o);
        Grid->SetColCount(kCols);
        Grid->SetRowCount(Rows);
        Grid->SetBounds(0, 0, kWidth, kHeight);
        for (int c = 0; c < kCols; ++c)
            Grid->GetCols(c)->SetWidth(190);
        Grid->DisableControls();
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < kCols; ++c)
                Grid->GetCells(c, r)->SetText(CellText(c, r));
        Grid->EnableControls();
        Form->Show();
        Target.SetSize(kWidth, kHeight);
    }

    void ShowRow(int Row) { Grid->SetTopRow(Row); }
    void PaintOnce() { Grid->PaintTo(Target.GetCanvas(), 0, 0); }
};

// Made once and kept to the end of the process: destroyed after the application object, the
// grids and their editors would still ask Qt for fonts and widgets it no longer has.
CarrelonFrame& MillionRows() {
    static CarrelonFrame& frame = *new CarrelonFrame(1'000'000);
    return frame;
}

CarrelonFrame& HundredRows() {
    static CarrelonFrame& frame = *new CarrelonFrame(100);
    return frame;
}

// The hundred rows with three of them 16,777,216 pixels high and the current cell in the first:
// only the part of a tall row on screen may cost anything.
CarrelonFrame& TallRows() {
    static CarrelonFrame& frame = []() -> CarrelonFrame& {
        auto* f = new CarrelonFrame(100);
        for (int r = 2; r <= 4; ++r)
            f->Grid->SetRowHeights(r, 1 << 24);
        f->Grid->SetCol(1);
        f->Grid->SetRow(2);
        return *f;
    }();
    return frame;
}

void BM_CarrelonFrame(benchmark::State& State, CarrelonFrame& (*Frame)(), int TopRow) {
    CarrelonFrame& f = Frame();
    f.ShowRow(TopRow);
    f.PaintOnce();
    for (auto _ : State)
        f.PaintOnce();
}

BENCHMARK_CAPTURE(BM_CarrelonFrame, 1M_rows_at_top, &MillionRows, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CarrelonFrame, 1M_rows_at_500000, &MillionRows, 500'000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CarrelonFrame, 1M_rows_at_999990, &MillionRows, 999'990)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CarrelonFrame, 100_rows_at_top, &HundredRows, 1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CarrelonFrame, 100_rows_16M_px_high_at_top, &TallRows, 1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CarrelonFrame, 100_rows_16M_px_high_at_3, &TallRows, 3)
    ->Unit(benchmark::kMicrosecond);

// The same frame from Qt's own table view.
struct QtFrame {
    QStandardItemModel Model;
    QTableView View;
    QImage Target{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};

    explicit QtFrame(int Rows) : Model(Rows, kCols) {
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < kCols; ++c)
                Model.setItem(r, c, new QStandardItem(QString::fromStdString(CellText(c, r))));
        View.setModel(&Model);
        View.resize(kWidth, kHeight);
        View.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        View.verticalHeader()->setDefaultSectionSize(18);
        View.horizontalHeader()->setDefaultSectionSize(190);
        View.show();
    }

    void PaintOnce() {
        QPainter p(&Target);
        View.render(&p);
    }
};

void BM_QTableViewFrame(benchmark::State& State, int Rows, int TopRow) {
    QtFrame f(Rows);
    f.View.scrollTo(f.Model.index(TopRow, 0), QAbstractItemView::PositionAtTop);
    f.PaintOnce();
    for (auto _ : State)
        f.PaintOnce();
}

BENCHMARK_CAPTURE(BM_QTableViewFrame, 100_rows_at_top, 100, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_QTableViewFrame, 100k_rows_at_50000, 100'000, 50'000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
