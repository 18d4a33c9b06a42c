// The grid's spreadsheet export and import, beside their bare peers in OfficeBench.cpp (run them
// together: --benchmark_filter='Grid(Export|Import)|Bare'):
// - ExportToExcelFile of a grid of N cells (20 columns of texts, numbers and dates, each column
//   with its own alignment, fill, font and boldness, as BM_BareXlsxWriter writes them), against
//   BM_BareXlsxWriter;
// - ImportFromExcelFile of the workbook BM_ExcelServerWrite writes, against BM_BarePugixmlPass
//   over that sheet's XML.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "grid/Carrelon.h"
#include "platform/automation/ExcelAutomation.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

// From OfficeBench.cpp: the workbook the server writes for N cells.
void WriteBenchWorkbook(int Cells, const std::string& Path);

namespace {

constexpr int kCols = 20;

struct TBenchGrid {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TCarrelon* Grid = new TCarrelon(Form.get());
    TBenchGrid() {
        Grid->SetParent(Form.get());
        Grid->SetFixedRows(0);
        Grid->SetFixedCols(0);
    }
};

// Grids stay to the end of the process: grids cannot be torn down after the application.
TBenchGrid& ExportGrid(int Cells) {
    static std::unique_ptr<TBenchGrid> grids[3];
    std::unique_ptr<TBenchGrid>& g = grids[Cells >= 1'000'000 ? 2 : Cells >= 100'000 ? 1 : 0];
    if (!g) {
        g = std::make_unique<TBenchGrid>();
        TCarrelon* G = g->Grid;
        const int rows = Cells / kCols;
        G->DisableControls();
        G->SetColCount(kCols);
        G->SetRowCount(rows);
        for (int k = 0; k < kCols; ++k) {
            TCarrelonCol* col = G->GetCols(k);
            col->SetTextAlignment((k + 1) % 2 ? taLeftJustify : taRightJustify);
            col->SetColor(static_cast<TColor>(0x102030 * (k + 1) % 0xFFFFFF));
            col->GetFont()->SetName((k + 1) % 2 ? "Arial" : "Calibri");
            if ((k + 1) % 3 == 0) col->GetFont()->SetStyle({fsBold});
            for (int r = 0; r < rows; ++r) {
                TCarrelonCell* cell = G->GetCells(k, r);
                switch ((k + 1) % 3) {
                    case 0:
                        cell->SetValue(Variant("text " + std::to_string(r + 1)));
                        break;
                    case 1:
                        cell->SetValue(Variant((r + 1) * 1.5));
                        break;
                    default:
                        cell->SetValue(Variant(TDateTime(45001.0 + r)));
                        break;
                }
            }
        }
        G->EnableControls();
    }
    return *g;
}

void BM_GridExportToExcel(benchmark::State& State) {
    const int cells = static_cast<int>(State.range(0));
    TCarrelon* G = ExportGrid(cells).Grid;
    const std::string path =
        (std::filesystem::temp_directory_path() / "carrelon-bench-grid-export.xlsx").string();
    for (auto _ : State)
        if (!G->ExportToExcelFile(path)) State.SkipWithError("export failed");
    std::filesystem::remove(path);
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_GridExportToExcel)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_GridImportFromExcel(benchmark::State& State) {
    const int cells = static_cast<int>(State.range(0));
    const std::string path =
        (std::filesystem::temp_directory_path() / "carrelon-bench-grid-import.xlsx").string();
    WriteBenchWorkbook(cells, path);
    static std::unique_ptr<TBenchGrid> grids[2];
    std::unique_ptr<TBenchGrid>& g = grids[cells >= 100'000 ? 1 : 0];
    if (!g) g = std::make_unique<TBenchGrid>();
    for (auto _ : State)
        if (!g->Grid->ImportFromExcelFile(path, Null)) State.SkipWithError("import failed");
    std::filesystem::remove(path);
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_GridImportFromExcel)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace carrelon
