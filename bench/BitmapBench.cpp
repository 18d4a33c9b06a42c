// The whole grid rendered into one bitmap: SaveToBitmap of 1,000 and 10,000 rows x 10 text
// cells (the time should grow with the cells, nothing rescanned per cell), beside a QTableView
// over a QStandardItemModel with the same content and sizes rendering itself, resized to show
// everything, into an image of the same size.
#include <benchmark/benchmark.h>

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <map>
#include <memory>
#include <string>

#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Pictures.h"

using namespace carrelon;

namespace {

constexpr int kCols = 10;
constexpr int kColWidth = 64;
constexpr int kRowHeight = 18;

std::string CellText(int Col, int Row) {
    return "Item " + std::to_string(Row) + "." + std::to_string(Col);
}

// A grid of Rows x 10 text cells on a form of ordinary size, kept to the end of the process
// (grids must not outlive the application object).
TCarrelon& GridOf(int Rows) {
    static std::map<int, TCarrelon*> grids;
    TCarrelon*& G = grids[Rows];
    if (G != nullptr) return *G;
    auto* Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 800, 600);
    G = new TCarrelon(Form);
    G->SetParent(Form);
    G->SetBounds(0, 0, 760, 560);
    G->SetOptions(G->GetOptions() - cloAutoIncreaseRowHeights - cloAutoDecreaseRowHeights);
    G->SetColCount(kCols);
    G->SetRowCount(Rows);
    G->DisableControls();
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < kCols; ++c)
            G->GetCells(c, r)->SetText(CellText(c, r));
    G->EnableControls();
    Form->Show();
    return *G;
}

void BM_SaveToBitmap(benchmark::State& State) {
    TCarrelon& G = GridOf(static_cast<int>(State.range(0)));
    TBitmap Bitmap;
    for (auto _ : State)
        if (!G.SaveToBitmap(&Bitmap)) State.SkipWithError("refused");
    State.counters["cells"] = static_cast<double>(State.range(0)) * kCols;
    State.counters["height"] = Bitmap.GetHeight();
}
BENCHMARK(BM_SaveToBitmap)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Qt's table view with the same cells, sizes and lines, shown whole.
void BM_QTableViewWholeImage(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    QStandardItemModel Model(Rows, kCols);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < kCols; ++c)
            Model.setItem(r, c, new QStandardItem(QString::fromStdString(CellText(c, r))));
    QTableView View;
    View.setModel(&Model);
    View.horizontalHeader()->hide();
    View.verticalHeader()->hide();
    View.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    View.verticalHeader()->setDefaultSectionSize(kRowHeight);
    View.horizontalHeader()->setDefaultSectionSize(kColWidth);
    View.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int W = kCols * kColWidth + 2, H = Rows * kRowHeight + 2;
    View.resize(W, H);
    View.show();
    QImage Target(W, H, QImage::Format_RGB32);
    for (auto _ : State) {
        QPainter P(&Target);
        View.render(&P);
    }
    State.counters["cells"] = static_cast<double>(Rows) * kCols;
    State.counters["height"] = H;
}
BENCHMARK(BM_QTableViewWholeImage)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
