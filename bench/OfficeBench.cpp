// The spreadsheet server's writer and reader against bare libraries: writing N cells of mixed
// types and formats through the server's members and SaveAs, against a bare libxlsxwriter loop
// writing the same values and formats; opening that workbook and reading every cell's members
// the import reads, against one bare pugixml pass over the sheet's XML.
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <pugixml.hpp>
#include <vector>

#include "platform/automation/ExcelAutomation.h"

namespace {

using namespace carrelon;
using namespace carrelon::excel;

constexpr int Cols = 20;

std::string TempXlsx(const char* Name) {
    return (std::filesystem::temp_directory_path() / Name).string();
}

// Column k: every third a text, a number, a date; each column its own font and fill.
void ServerWrite(int Cells, const std::string& Path) {
    const int rows = Cells / Cols;
    auto app = OleCast<Application>(CreateOleObject("Excel.Application"));
    app->SetSheetsInNewWorkbook(1);
    auto book = app->GetWorkbooks()->Add();
    auto s = app->GetActiveSheet();
    for (int k = 1; k <= Cols; ++k) {
        auto col = s->GetRange(s->Cells(1, k), s->Cells(rows, k));
        col->SetHorizontalAlignment(k % 2 ? xlLeft : xlRight);
        col->GetInterior()->SetColor(0x102030 * k % 0xFFFFFF);
        col->GetFont()->SetName(k % 2 ? "Arial" : "Calibri");
        col->GetFont()->SetBold(k % 3 == 0);
    }
    for (int k = 1; k <= Cols; ++k)
        for (int r = 1; r <= rows; ++r) {
            auto x = s->Cells(r, k);
            switch (k % 3) {
                case 0:
                    x->SetValue(Variant("text " + std::to_string(r)));
                    break;
                case 1:
                    x->SetValue(Variant(r * 1.5));
                    break;
                default:
                    x->SetValue(Variant(TDateTime(45000.0 + r)));
                    break;
            }
        }
    book->SaveAs(Path);
    app->Quit();
}

void BareWrite(int Cells, const std::string& Path) {
    const int rows = Cells / Cols;
    lxw_workbook* wb = workbook_new(Path.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    std::vector<lxw_format*> formats;
    for (int k = 1; k <= Cols; ++k) {
        lxw_format* f = workbook_add_format(wb);
        format_set_align(f, k % 2 ? LXW_ALIGN_LEFT : LXW_ALIGN_RIGHT);
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, static_cast<lxw_color_t>(0x102030 * k % 0xFFFFFF));
        format_set_font_name(f, k % 2 ? "Arial" : "Calibri");
        if (k % 3 == 0) format_set_bold(f);
        if (k % 3 == 2) format_set_num_format(f, "m/d/yyyy");
        formats.push_back(f);
    }
    for (int k = 1; k <= Cols; ++k)
        for (int r = 1; r <= rows; ++r) {
            lxw_format* f = formats[static_cast<size_t>(k - 1)];
            switch (k % 3) {
                case 0:
                    worksheet_write_string(ws, static_cast<lxw_row_t>(r - 1),
                                           static_cast<lxw_col_t>(k - 1),
                                           ("text " + std::to_string(r)).c_str(), f);
                    break;
                case 1:
                    worksheet_write_number(ws, static_cast<lxw_row_t>(r - 1),
                                           static_cast<lxw_col_t>(k - 1), r * 1.5, f);
                    break;
                default:
                    worksheet_write_number(ws, static_cast<lxw_row_t>(r - 1),
                                           static_cast<lxw_col_t>(k - 1), 45000.0 + r, f);
                    break;
            }
        }
    workbook_close(wb);
}

void BM_ExcelServerWrite(benchmark::State& State) {
    const std::string path = TempXlsx("carrelon-bench-server.xlsx");
    for (auto _ : State)
        ServerWrite(static_cast<int>(State.range(0)), path);
    std::filesystem::remove(path);
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_ExcelServerWrite)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_BareXlsxWriter(benchmark::State& State) {
    const std::string path = TempXlsx("carrelon-bench-bare.xlsx");
    for (auto _ : State)
        BareWrite(static_cast<int>(State.range(0)), path);
    std::filesystem::remove(path);
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_BareXlsxWriter)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Opens the workbook and reads, per cell, the members the import reads.
void BM_ExcelServerRead(benchmark::State& State) {
    const int cells = static_cast<int>(State.range(0));
    const std::string path = TempXlsx("carrelon-bench-read.xlsx");
    ServerWrite(cells, path);
    const int rows = cells / Cols;
    for (auto _ : State) {
        auto app = OleCast<Application>(CreateOleObject("Excel.Application"));
        app->GetWorkbooks()->Open(path);
        auto s = app->GetActiveSheet();
        benchmark::DoNotOptimize(s->GetUsedRange()->GetAddress(false, false));
        long long sum = 0;
        for (int k = 1; k <= Cols; ++k)
            for (int r = 1; r <= rows; ++r) {
                auto x = s->Cells(r, k);
                sum += x->GetMergeCells().AsBoolean();
                sum += static_cast<long long>(x->GetFormula().AsString().size());
                sum += x->GetValue().Type();
                sum += static_cast<long long>(x->GetText().AsString().size());
                sum += x->GetComment() != nullptr;
                sum += x->GetInterior()->GetColor().AsInteger();
                auto f = x->GetFont();
                sum += f->GetColor().AsInteger() + f->GetBold().AsBoolean() +
                       f->GetItalic().AsBoolean();
                sum += static_cast<long long>(f->GetName().AsString().size()) +
                       f->GetSize().AsInteger();
                sum += f->GetUnderline().AsInteger() + f->GetStrikethrough().AsBoolean();
                sum +=
                    x->GetHorizontalAlignment().AsInteger() + x->GetVerticalAlignment().AsInteger();
            }
        benchmark::DoNotOptimize(sum);
        app->Quit();
    }
    std::filesystem::remove(path);
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_ExcelServerRead)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The sheet's XML already unpacked; one parse and one walk over its cells.
void BM_BarePugixmlPass(benchmark::State& State) {
    const int cells = static_cast<int>(State.range(0));
    const std::string path = TempXlsx("carrelon-bench-pugi.xlsx");
    ServerWrite(cells, path);
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
    zip_stat_t st;
    zip_stat(z, "xl/worksheets/sheet1.xml", 0, &st);
    std::vector<char> xml(st.size);
    zip_file_t* f = zip_fopen(z, "xl/worksheets/sheet1.xml", 0);
    zip_fread(f, xml.data(), st.size);
    zip_fclose(f);
    zip_close(z);
    for (auto _ : State) {
        pugi::xml_document doc;
        doc.load_buffer(xml.data(), xml.size());
        long long n = 0;
        for (pugi::xml_node row : doc.child("worksheet").child("sheetData").children("row"))
            for (pugi::xml_node c : row.children("c"))
                n += static_cast<long long>(std::strlen(c.child_value("v")));
        benchmark::DoNotOptimize(n);
    }
    std::filesystem::remove(path);
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_BarePugixmlPass)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace

// The workbook BM_ExcelServerWrite writes, for the grid's import benchmark.
namespace carrelon {
void WriteBenchWorkbook(int Cells, const std::string& Path) {
    ServerWrite(Cells, Path);
}
}  // namespace carrelon
