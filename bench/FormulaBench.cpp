// Formula recalculation costs: a long chain in the worst order for row-major passes, one cell
// change in a tall grid with few formulas, sheets built one formula at a time, and one commit
// among many formulas that do not read it.
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

// A chain built one formula at a time with spreadsheet mode on, each formula reading the cell
// entered before it: from the bottom up, each reading the row below (way 0), or from the top
// down, each reading the row above (way 1); then the number at the far end, which changes
// every cell. Way 2 enters the chain reading the row below from the top down: each formula
// entered changes every one above it, so the work grows with the square of the rows.
void BM_EnterChainedFormulas(benchmark::State& State) {
    const int n = static_cast<int>(State.range(0));
    const int way = static_cast<int>(State.range(1));
    for (auto _ : State) {
        State.PauseTiming();
        auto b = std::make_unique<BenchGrid>(1, n + 1);
        b->Grid->SetSpreadsheetEnabled(true);
        State.ResumeTiming();
        for (int i = 0; i < n; ++i) {
            if (way == 1)
                b->Grid->GetCells(0, i + 1)->SetFormula(RefPlusOne(i + 1));
            else if (way == 0)
                b->Grid->GetCells(0, n - 1 - i)->SetFormula(RefPlusOne(n + 1 - i));
            else
                b->Grid->GetCells(0, i)->SetFormula(RefPlusOne(i + 2));
        }
        b->Grid->GetCells(0, way == 1 ? 0 : n)->SetText("1");
        State.PauseTiming();
        if (b->Grid->GetCells(0, way == 1 ? n : 0)->GetText() != std::to_string(n + 1))
            State.SkipWithError("wrong chain value");
        b.reset();
        State.ResumeTiming();
    }
    State.SetComplexityN(n);
}
BENCHMARK(BM_EnterChainedFormulas)
    ->ArgNames({"cells", "way"})
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({1000000, 0})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Args({1000000, 1})
    ->Args({500, 2})
    ->Args({1000, 2})
    ->Unit(benchmark::kMillisecond);

// One commit that changes ten dependent cells, on 1,000,000 rows holding 1,000 or 100,000
// formulas that do not read it: the cost follows the cells that change.
void BM_CommitAmongUnrelatedFormulas(benchmark::State& State) {
    const int formulas = static_cast<int>(State.range(0));
    constexpr int rows = 1000000;
    BenchGrid b(4, rows);
    const int step = rows / formulas;
    for (int i = 0; i < formulas; ++i) {
        AnsiString f = "D";
        f += std::to_string(i * step + 1);
        f += "*2";
        b.Grid->GetCells(1, i * step)->SetFormula(f);
    }
    for (int i = 0; i < 10; ++i) {
        AnsiString f = "A1+";
        f += std::to_string(i);
        b.Grid->GetCells(2, i * 7)->SetFormula(f);
    }
    b.Grid->SetSpreadsheetEnabled(true);
    int v = 0;
    for (auto _ : State)
        b.Grid->GetCells(0, 0)->SetText(std::to_string(++v));
}
BENCHMARK(BM_CommitAmongUnrelatedFormulas)
    ->ArgName("formulas")
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace carrelon
