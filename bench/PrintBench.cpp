// Printing: PrintPage(1) of a grid of 100,000 and 1,000,000 columns (the layout of every page, one
// page drawn), and whole grids of 10,000 and 100,000 rows x 10 columns printed to PDF at 600 dpi
// beside a QTableView rendering the same cells into a QPdfWriter page by page.
#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QDir>
#include <QHeaderView>
#include <QPainter>
#include <QPdfWriter>
#include <QScrollBar>
#include <QTableView>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"
#include "platform/devices/Printer.h"

using namespace carrelon;

namespace {

constexpr int kCols = 10;
constexpr int kColWidth = 75;
constexpr double kScale = 600.0 / 96.0;

// Every text the same length whatever the grid's size, so that larger grids cost more only by
// having more cells.
std::string CellText(int Col, int Row) {
    char Text[32];
    std::snprintf(Text, sizeof Text, "Item %06d.%d", Row, Col);
    return Text;
}

// Resident memory of the process in kB.
long ResidentKb() {
    std::ifstream Statm("/proc/self/statm");
    long Size = 0, Resident = 0;
    Statm >> Size >> Resident;
    return Resident * 4;
}

QString OutputPath(const char* Name) {
    return QDir::temp().filePath(QString("carrelon-bench-%1.pdf").arg(Name));
}

// A form with a grid of Cols x Rows text cells, rows not fitted to their text.
struct PrintFrame {
    std::unique_ptr<TForm> Form;
    TCarrelon* Grid = nullptr;

    PrintFrame(int Cols, int Rows, int ColWidth) {
        Form = std::make_unique<TForm>(nullptr);
        Grid = new TCarrelon(Form.get());
        Grid->SetParent(Form.get());
        TCarrelonOptions o = Grid->GetOptions();
        o.Exclude(cloAutoIncreaseRowHeights);
        o.Exclude(cloAutoDecreaseRowHeights);
        Grid->SetOptions(o);
        Grid->DisableControls();
        Grid->SetColCount(Cols);
        Grid->SetRowCount(Rows);
        Grid->SetDefaultColWidth(ColWidth);
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < Cols; ++c)
                Grid->GetCells(c, r)->SetText(CellText(c, r));
        Grid->EnableControls();
    }
};

// Made on first use and kept to the end of the process: destroyed after the application
// object, the grids and their editors would still ask Qt for fonts and widgets it no longer has.
PrintFrame& WideGrid(int Cols) {
    if (Cols == 100'000) {
        static PrintFrame& Hundred = *new PrintFrame(100'000, 2, 64);
        return Hundred;
    }
    static PrintFrame& Million = *new PrintFrame(1'000'000, 2, 64);
    return Million;
}

PrintFrame& TallGrid(int Rows) {
    if (Rows == 10'000) {
        static PrintFrame& Ten = *new PrintFrame(kCols, 10'000, kColWidth);
        return Ten;
    }
    static PrintFrame& Hundred = *new PrintFrame(kCols, 100'000, kColWidth);
    return Hundred;
}

// PrintPage(1) lays out every page-column of the range and draws the first.
void BM_PrintPageOfWideGrid(benchmark::State& State) {
    PrintFrame& F = WideGrid(static_cast<int>(State.range(0)));
    TPrinterStandIn S;
    Printer()->SetStandIn(S);
    int Pages = 0;
    F.Grid->OnPrintPageBegin = [&](TCarrelon*, int) { ++Pages; };
    for (auto _ : State) {
        Pages = 0;
        benchmark::DoNotOptimize(F.Grid->PrintPage(1));
    }
    State.counters["pages"] = Pages;
    State.counters["cells_drawn"] =
        static_cast<double>(Printer()->GetStandInPages().at(0)->OfKind(TCanvasOp::TextRect).size());
    F.Grid->OnPrintPageBegin = nullptr;
    Printer()->ClearStandIn();
}
BENCHMARK(BM_PrintPageOfWideGrid)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The preview of one page of the same layout.
void BM_PreviewPageOfWideGrid(benchmark::State& State) {
    PrintFrame& F = WideGrid(static_cast<int>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(F.Grid->PrintPreview(nullptr, 1));
}
BENCHMARK(BM_PreviewPageOfWideGrid)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The whole grid to PDF at 600 dpi; memory is read as the first and the last page start.
void BM_PrintGridToPdf(benchmark::State& State) {
    PrintFrame& F = TallGrid(static_cast<int>(State.range(0)));
    Printer()->SetOutputFileName(OutputPath("grid").toStdString());
    Printer()->SetResolution(600);
    long First = 0, Last = 0;
    F.Grid->OnPrintPageBegin = [&](TCarrelon*, int APage) {
        Last = ResidentKb();
        if (APage == 1) First = Last;
    };
    int Pages = 0;
    for (auto _ : State)
        Pages = F.Grid->Print();
    State.counters["pages"] = Pages;
    State.counters["us_per_page"] =
        benchmark::Counter(static_cast<double>(Pages) * State.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    State.counters["rss_growth_kB"] = static_cast<double>(Last - First);
    F.Grid->OnPrintPageBegin = nullptr;
}
BENCHMARK(BM_PrintGridToPdf)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The peer: the same cells in a QTableView, rendered page by page into a QPdfWriter at 600 dpi,
// the same number of rows on each page as the grid prints.
class ItemModel : public QAbstractTableModel {
public:
    explicit ItemModel(int Rows) : FRows(Rows) {}
    int rowCount(const QModelIndex& = {}) const override { return FRows; }
    int columnCount(const QModelIndex& = {}) const override { return kCols; }
    QVariant data(const QModelIndex& I, int Role) const override {
        if (Role != Qt::DisplayRole) return {};
        return QString::fromStdString(CellText(I.column(), I.row()));
    }

private:
    int FRows;
};

void BM_QTableViewToPdf(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    ItemModel Model(Rows);
    QTableView View;
    View.setModel(&Model);
    View.horizontalHeader()->hide();
    View.verticalHeader()->hide();
    View.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View.verticalHeader()->setDefaultSectionSize(18);
    for (int c = 0; c < kCols; ++c)
        View.setColumnWidth(c, kColWidth);
    // The rows the grid puts on an A4 page at 600 dpi.
    const int PerPage = static_cast<int>(7016 / kScale / 18) - 1;
    View.resize(kCols * kColWidth + 2, PerPage * 18 + 2);
    View.show();
    int Pages = 0;
    for (auto _ : State) {
        QPdfWriter Writer(OutputPath("view"));
        Writer.setResolution(600);
        Writer.setPageSize(QPageSize(QPageSize::A4));
        Writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter P(&Writer);
        Pages = 0;
        for (int Top = 0; Top < Rows; Top += PerPage) {
            if (Top > 0) Writer.newPage();
            View.verticalScrollBar()->setValue(Top);
            P.save();
            P.scale(kScale, kScale);
            View.render(&P, QPoint(), QRegion(), QWidget::DrawChildren);
            P.restore();
            ++Pages;
        }
        P.end();
    }
    State.counters["pages"] = Pages;
    State.counters["us_per_page"] =
        benchmark::Counter(static_cast<double>(Pages) * State.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_QTableViewToPdf)->Arg(10'000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
