// The grid base class on small and huge grids: a full repaint of the view at the top, middle
// and end, and the position lookups that painting, mouse and scrolling use. A 1,000,000-row
// grid should cost what a 100-row grid costs.
#include <benchmark/benchmark.h>

#include <QWidget>
#include <memory>

#include "platform/controls/WindowWidgetQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/grids/Grids.h"

using namespace carrelon;

namespace {

class TBenchGrid : public TCustomGrid {
public:
    TBenchGrid() : TCustomGrid(nullptr) {}
    int Cells = 0;

protected:
    void DrawCell(int, int, const TRect& ARect, TGridDrawState) override {
        ++Cells;
        GetCanvas()->FillRect(ARect);
    }
};

// Rows; whether the rows have their own heights (a per-row array); where the view is.
std::unique_ptr<TBenchGrid> MakeGrid(int Rows, bool OwnHeights) {
    auto G = std::make_unique<TBenchGrid>();
    G->SetScrollBars(ssNone);
    G->SetColCount(12);
    G->SetRowCount(Rows);
    G->SetBounds(0, 0, 800, 600);
    if (OwnHeights)
        for (int r = 0; r < Rows; r += 3)
            G->SetRowHeights(r, 18 + r % 7);
    G->GetHandle();
    return G;
}

void BM_PaintView(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    const int Where = static_cast<int>(State.range(1));  // 0 top, 1 middle, 2 end
    auto G = MakeGrid(Rows, State.range(2) != 0);
    G->SetTopRow(Where == 0 ? 1 : Rows / 2);
    if (Where == 2) G->Perform(WM_VSCROLL, SB_BOTTOM, 0);  // the last whole view
    QWidget* W = G->GetHandle();
    for (auto _ : State) {
        benchmark::DoNotOptimize(W->grab());
        benchmark::DoNotOptimize(G->Cells);
    }
    State.counters["cells/paint"] =
        benchmark::Counter(static_cast<double>(G->Cells) / State.iterations());
}
BENCHMARK(BM_PaintView)
    ->ArgNames({"rows", "where", "ownHeights"})
    ->ArgsProduct({{100, 1000000}, {0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

void BM_CellRect(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    auto G = MakeGrid(Rows, State.range(1) != 0);
    G->SetTopRow(Rows / 2);
    const int Row = Rows / 2 + 5;
    for (auto _ : State)
        benchmark::DoNotOptimize(G->CellRect(3, Row));
}
BENCHMARK(BM_CellRect)->ArgNames({"rows", "ownHeights"})->ArgsProduct({{100, 1000000}, {0, 1}});

void BM_MouseCoord(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    auto G = MakeGrid(Rows, State.range(1) != 0);
    G->SetTopRow(Rows / 2);
    for (auto _ : State)
        benchmark::DoNotOptimize(G->MouseCoord(300, 400));
}
BENCHMARK(BM_MouseCoord)->ArgNames({"rows", "ownHeights"})->ArgsProduct({{100, 1000000}, {0, 1}});

// Scrolling to the end: the last view's first row comes from the offsets, not from a walk.
void BM_ScrollToEnd(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    auto G = MakeGrid(Rows, State.range(1) != 0);
    for (auto _ : State) {
        G->Perform(WM_VSCROLL, SB_BOTTOM, 0);
        G->Perform(WM_VSCROLL, SB_TOP, 0);
    }
}
BENCHMARK(BM_ScrollToEnd)->ArgNames({"rows", "ownHeights"})->ArgsProduct({{100, 1000000}, {0, 1}});

}  // namespace

namespace {

// Giving every row of a large grid its own height, as a bulk re-measure does.
void BM_SetEveryRowHeight(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    auto G = MakeGrid(Rows, false);
    int Round = 0;
    for (auto _ : State) {
        ++Round;
        for (int r = 0; r < Rows; ++r)
            G->SetRowHeights(r, 18 + (r + Round) % 5);
    }
    State.SetItemsProcessed(State.iterations() * Rows);
}
BENCHMARK(BM_SetEveryRowHeight)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
