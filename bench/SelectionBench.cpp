// Selection and row fitting on a 1,000,000-row grid.
#include <benchmark/benchmark.h>

#include <memory>

#include "grid/CarrelonPrivate.h"

using namespace carrelon;

namespace {

constexpr int kRows = 1000000;
constexpr int kCols = 10;

std::unique_ptr<TCarrelon> MakeGrid() {
    auto G = std::make_unique<TCarrelon>(nullptr);
    G->SetColCount(kCols + 1);
    G->SetRowCount(kRows + 1);
    G->SetOptions(G->GetOptions() + cloRangeSelect);
    return G;
}

// Shift-select from the first cell to the far corner: 1,000,000 x 10 cells enter the list.
void BM_ShiftSelectMillionByTen(benchmark::State& State) {
    auto G = MakeGrid();
    for (auto _ : State) {
        State.PauseTiming();
        G->FocusCell(1, 1);
        State.ResumeTiming();
        TCarrelonPrivate::Of(G.get()).MoveAnchor(TGridCoord{kCols, kRows});
        benchmark::DoNotOptimize(G->GetSelectedCells()->GetCount());
    }
    State.counters["cells"] = G->GetSelectedCells()->GetCount();
}
BENCHMARK(BM_ShiftSelectMillionByTen)->Unit(benchmark::kMillisecond)->Iterations(3);

// The reverse: the whole range shrinks back to one cell, 10,000,000 cells leave the list.
void BM_ShrinkMillionByTen(benchmark::State& State) {
    auto G = MakeGrid();
    for (auto _ : State) {
        State.PauseTiming();
        G->FocusCell(1, 1);
        TCarrelonPrivate::Of(G.get()).MoveAnchor(TGridCoord{kCols, kRows});
        State.ResumeTiming();
        TCarrelonPrivate::Of(G.get()).MoveAnchor(TGridCoord{1, 1});
        benchmark::DoNotOptimize(G->GetSelectedCells()->GetCount());
    }
}
BENCHMARK(BM_ShrinkMillionByTen)->Unit(benchmark::kMillisecond)->Iterations(3);

// Membership of a listed cell while 10,000,000 cells are listed.
void BM_ContainsInLargeSelection(benchmark::State& State) {
    auto G = MakeGrid();
    G->FocusCell(1, 1);
    TCarrelonPrivate::Of(G.get()).MoveAnchor(TGridCoord{kCols, kRows});
    int r = 1;
    for (auto _ : State) {
        benchmark::DoNotOptimize(G->GetCells(5, r)->GetSelected());
        r = r % kRows + 1;
    }
}
BENCHMARK(BM_ContainsInLargeSelection);

// Leaving an update lock with automatic row heights fits every row once.
void BM_FitRowsAtEndOfLock(benchmark::State& State) {
    auto G = MakeGrid();
    G->SetOptions(G->GetOptions() + cloAutoIncreaseRowHeights);
    G->DisableControls();
    for (int r = 1; r <= kRows; ++r)
        G->GetCells(1 + r % kCols, r)->SetText(r % 7 == 0 ? "two\r\nlines" : "text");
    G->EnableControls();
    for (auto _ : State) {
        G->DisableControls();
        G->EnableControls();
    }
}
BENCHMARK(BM_FitRowsAtEndOfLock)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
