// Structural edits, sorting and merging on large grids.
// - Row and column edits in the middle of a grid of 10 columns with formulas, spreadsheet mode
//   on: each pair (insert and delete, move there and back) must cost rows plus formula text,
//   with no rows x formulas term. Arguments: rows, formulas.
// - Sort by a text column against std::stable_sort of the same keys with the same comparison.
// - MergeRect and Split of square areas: cost in proportion to the area.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Strings.h"

namespace carrelon {
namespace {

struct BenchGrid {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TCarrelon* Grid = new TCarrelon(Form.get());

    BenchGrid(int Cols, int Rows) {
        Grid->SetParent(Form.get());
        Grid->SetColCount(Cols);
        Grid->SetRowCount(Rows);
    }
};

// One grid at a time, kept while consecutive benchmarks ask for the same shape.
std::unique_ptr<BenchGrid> Cached;
int CachedRows = -1, CachedFormulas = -1;

TCarrelon* EditGrid(int Rows, int Formulas) {
    if (CachedRows != Rows || CachedFormulas != Formulas) {
        Cached.reset();
        Cached = std::make_unique<BenchGrid>(10, Rows);
        TCarrelon* G = Cached->Grid;
        for (int r = 1; r < Rows; r += 97)
            G->GetCells(1, r)->SetText(std::to_string(r % 100));
        // Formulas spread over the rows, each reading two cells near it.
        for (int i = 0; i < Formulas; ++i) {
            const int r = 1 + static_cast<int>((static_cast<long long>(i) * (Rows - 2)) / Formulas);
            AnsiString F = "B";
            F += std::to_string(r + 1);
            F += "+C";
            F += std::to_string(r);
            G->GetCells(3 + i % 6, r)->SetFormula(F);
        }
        G->SetSpreadsheetEnabled(true);
        CachedRows = Rows;
        CachedFormulas = Formulas;
    }
    return Cached->Grid;
}

void BM_InsertDeleteRow(benchmark::State& State) {
    TCarrelon* G = EditGrid(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
    const int Mid = G->GetRowCount() / 2;
    for (auto _ : State) {
        G->InsertRow(Mid);
        G->DeleteRow(Mid);
    }
}

void BM_MoveRowThereAndBack(benchmark::State& State) {
    TCarrelon* G = EditGrid(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
    const int Mid = G->GetRowCount() / 2;
    for (auto _ : State) {
        G->MoveRow(Mid, Mid + 1000);
        G->MoveRow(Mid + 1000, Mid);
    }
}

void BM_InsertDeleteColumn(benchmark::State& State) {
    TCarrelon* G = EditGrid(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
    for (auto _ : State) {
        G->InsertColumn(5);
        G->DeleteColumn(5);
    }
}

void BM_MoveColumnThereAndBack(benchmark::State& State) {
    TCarrelon* G = EditGrid(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
    for (auto _ : State) {
        G->MoveColumn(2, 7);
        G->MoveColumn(7, 2);
    }
}

void RegisterEdits() {
    for (int Rows : {250'000, 1'000'000})
        for (int Formulas : {0, 1'000, 10'000}) {
            const std::vector<int64_t> Args{Rows, Formulas};
            benchmark::RegisterBenchmark("BM_InsertDeleteRow", BM_InsertDeleteRow)
                ->Args(Args)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark("BM_MoveRowThereAndBack", BM_MoveRowThereAndBack)
                ->Args(Args)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark("BM_InsertDeleteColumn", BM_InsertDeleteColumn)
                ->Args(Args)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark("BM_MoveColumnThereAndBack", BM_MoveColumnThereAndBack)
                ->Args(Args)
                ->Unit(benchmark::kMillisecond);
        }
}

// ---- sort ---------------------------------------------------------------------------------

std::vector<AnsiString> ShuffledKeys(int Rows) {
    std::vector<AnsiString> Keys(Rows);
    std::mt19937 Rng(42);
    for (int r = 0; r < Rows; ++r)
        Keys[r] = "key" + std::to_string(Rng() % 1'000'000);
    return Keys;
}

void BM_SortByTextColumn(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    Cached.reset();
    CachedRows = -1;
    BenchGrid b(10, Rows);
    const std::vector<AnsiString> Keys = ShuffledKeys(Rows);
    for (int r = 1; r < Rows; ++r)
        b.Grid->GetCells(5, r)->SetText(std::to_string(r));
    b.Grid->SetSortColumn(2);
    for (auto _ : State) {
        State.PauseTiming();
        for (int r = 1; r < Rows; ++r)
            b.Grid->GetCells(2, r)->SetText(Keys[r]);
        State.ResumeTiming();
        b.Grid->Sort();
    }
    State.SetComplexityN(Rows);
}

void BM_StableSortSameKeys(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    const std::vector<AnsiString> Keys = ShuffledKeys(Rows);
    for (auto _ : State) {
        State.PauseTiming();
        std::vector<AnsiString> Copy(Keys.begin() + 1, Keys.end());
        State.ResumeTiming();
        std::stable_sort(Copy.begin(), Copy.end(), [](const AnsiString& A, const AnsiString& B) {
            return AnsiCompareStr(A, B) < 0;
        });
        benchmark::DoNotOptimize(Copy.data());
    }
}

BENCHMARK(BM_SortByTextColumn)
    ->Arg(250'000)
    ->Arg(1'000'000)
    ->Arg(4'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_StableSortSameKeys)
    ->Arg(250'000)
    ->Arg(1'000'000)
    ->Arg(4'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// ---- merge --------------------------------------------------------------------------------

void BM_MergeRectAndSplit(benchmark::State& State) {
    const int Side = static_cast<int>(State.range(0));
    BenchGrid b(Side + 2, Side + 2);
    for (int k = 1; k <= Side; ++k)
        for (int r = 1; r <= Side; r += 7)
            b.Grid->GetCells(k, r)->SetText("x");
    for (auto _ : State) {
        b.Grid->MergeRect(TRect{1, 1, Side, Side}, true, ",", ";");
        b.Grid->GetCells(1, 1)->Split();
    }
    State.SetComplexityN(static_cast<int64_t>(Side) * Side);
}
BENCHMARK(BM_MergeRectAndSplit)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

const bool Registered = (RegisterEdits(), true);

}  // namespace
}  // namespace carrelon
