// Formula recalculation costs: a long chain in the worst order for row-major passes, and one
// cell change in a tall grid with few formulas.
#include <benchmark/benchmark.h>

#include <memory>

#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"

namespace carrelon {
namespace {

struct BenchGrid {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TCarrelon* Grid = new TCarrelon(Form.get());

    BenchGrid(int Cols, int Rows) {
        Grid->SetParent(Form.get());
        Grid->SetColCount(Cols);
        Grid->SetRowCount(Rows);
        Grid->SetFixedCols(0);
        Grid->SetFixedRows(0);
    }
};

AnsiString RefPlusOne(int Row) {
    AnsiString s = "A";
    s += std::to_string(Row);
    s += "+1";
    return s;
}

// Each row refers to the next one, so a row-major pass meets every cell before its precedent.
void BM_RecalculateChain(benchmark::State& State) {
    const int n = static_cast<int>(State.range(0));
    BenchGrid b(1, n);
    for (int r = 0; r < n - 1; ++r)
        b.Grid->GetCells(0, r)->SetFormula(RefPlusOne(r + 2));
    b.Grid->GetCells(0, n - 1)->SetText("1");
    b.Grid->SetSpreadsheetEnabled(true);
    int step = 1;
    for (auto _ : State) {
        State.PauseTiming();
        b.Grid->SetSpreadsheetEnabled(false);
        b.Grid->GetCells(0, n - 1)->SetText(std::to_string(++step));
        b.Grid->SetSpreadsheetEnabled(true);  // not timed: switching on recalculates once
        b.Grid->GetCells(0, n - 1)->SetText(std::to_string(++step));
        State.ResumeTiming();
        benchmark::DoNotOptimize(b.Grid->Recalculate(nullptr));
    }
    State.SetComplexityN(n);
}
BENCHMARK(BM_RecalculateChain)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// One cell set in a grid with many rows and 1,000 formulas: the cost follows the formulas.
void BM_SetCellAmongFormulas(benchmark::State& State) {
    const int rows = static_cast<int>(State.range(0));
    BenchGrid b(2, rows);
    const int step = rows / 1000;
    for (int i = 0; i < 1000; ++i) {
        AnsiString f = "A1*2+";
        f += std::to_string(i);
        b.Grid->GetCells(1, i * step)->SetFormula(f);
    }
    b.Grid->SetSpreadsheetEnabled(true);
    int v = 0;
    for (auto _ : State)
        b.Grid->GetCells(0, 0)->SetText(std::to_string(++v));
}
BENCHMARK(BM_SetCellAmongFormulas)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace carrelon
