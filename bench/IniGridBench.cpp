// The grid's INI save and load on grids of 100,000 and 1,000,000 cells (ten columns) holding
// values, formulas (spreadsheet mode on), some cell colours and fonts, and merges:
// - the save into a file, against a bare loop that formats the same "column row=value" lines
//   (values through the same conversions) into one buffer;
// - the load of that file into a fresh grid (decode, apply, recalculation of every formula);
// - the two together, which must stay linear in the cells.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <string>

#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/TempFiles.h"

namespace carrelon {
namespace {

constexpr int kCols = 10;

// Cell (c, r) of the benchmark grid: column 0 holds fixed labels, then texts, numbers, and
// every fifth row a formula in column 9.
Variant CellValue(int C, int R) {
    switch (C % 3) {
        case 0:
            return Variant(AnsiString("Item ").append(std::to_string(R)));
        case 1:
            return Variant(R * 1.25 + C);
        default:
            return Variant(static_cast<double>(R % 1000));
    }
}

struct TBenchGrid {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TCarrelon* Grid = new TCarrelon(Form.get());
    explicit TBenchGrid(int Rows) {
        Grid->SetParent(Form.get());
        Grid->SetCellBudget(std::max(kCols * 2LL * Rows, 1000LL));
        Grid->SetColCount(kCols);
        Grid->SetRowCount(Rows);
    }
};

// The grid that is saved, made once per size and kept to the end of the process.
TBenchGrid& SourceGrid(int Cells) {
    static std::unique_ptr<TBenchGrid> grids[2];
    std::unique_ptr<TBenchGrid>& g = grids[Cells > 100000 ? 1 : 0];
    if (!g) {
        const int rows = Cells / kCols;
        g = std::make_unique<TBenchGrid>(rows);
        TCarrelon* G = g->Grid;
        G->DisableControls();
        for (int r = 1; r < rows; ++r) {
            for (int c = 1; c < kCols - 1; ++c)
                G->GetCells(c, r)->SetValue(CellValue(c, r));
            if (r % 5 == 0)
                G->GetCells(kCols - 1, r)
                    ->SetFormula(AnsiString("B").append(std::to_string(r + 1)).append("*2"));
            else
                G->GetCells(kCols - 1, r)->SetValue(CellValue(kCols - 1, r));
            if (r % 20 == 0) G->GetCells(2, r)->SetColor(clYellow);
            if (r % 50 == 0) G->GetCells(3, r)->GetFont()->SetSize(12);
        }
        for (int r = 100; r + 1 < rows; r += 1000)
            G->MergeRect({4, r, 5, r + 1}, true, "", "");
        G->SetSpreadsheetEnabled(true);
        G->EnableControls();
    }
    return *g;
}

const std::string& BenchFile() {
    static const std::string name = CreateTempFileName("ini");
    return name;
}

void BM_IniSave(benchmark::State& State) {
    TCarrelon* G = SourceGrid(static_cast<int>(State.range(0))).Grid;
    for (auto _ : State)
        G->SaveToIniFile(BenchFile());
    State.counters["cells"] = static_cast<double>(State.range(0));
}

// The same lines a save writes for the cells' values, formatted into one buffer, no store.
void BM_IniBareFormatting(benchmark::State& State) {
    TCarrelon* G = SourceGrid(static_cast<int>(State.range(0))).Grid;
    const int rows = G->GetRowCount();
    for (auto _ : State) {
        std::string text;
        char name[32];
        for (int c = 0; c < kCols; ++c)
            for (int r = 0; r < rows; ++r) {
                const Variant v = G->GetCells(c, r)->GetValue();
                if (v.IsEmpty()) continue;
                char* end = std::to_chars(name, name + 12, c).ptr;
                *end++ = ' ';
                end = std::to_chars(end, end + 12, r).ptr;
                text.append(name, static_cast<std::size_t>(end - name));
                text += "=";
                text += IntToHex(v.Type(), 3);
                text += v.AsString();
                text += "\r\n";
            }
        benchmark::DoNotOptimize(text.data());
    }
}

void BM_IniLoad(benchmark::State& State) {
    const int cells = static_cast<int>(State.range(0));
    SourceGrid(cells).Grid->SaveToIniFile(BenchFile());
    TBenchGrid target(1);
    target.Grid->SetCellBudget(kCols * 2LL * cells);
    for (auto _ : State)
        target.Grid->LoadFromIniFile(BenchFile());
}

void BM_IniSaveAndLoad(benchmark::State& State) {
    const int cells = static_cast<int>(State.range(0));
    TCarrelon* source = SourceGrid(cells).Grid;
    TBenchGrid target(1);
    target.Grid->SetCellBudget(kCols * 2LL * cells);
    for (auto _ : State) {
        source->SaveToIniFile(BenchFile());
        target.Grid->LoadFromIniFile(BenchFile());
    }
}

BENCHMARK(BM_IniBareFormatting)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IniSave)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IniLoad)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IniSaveAndLoad)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace carrelon
