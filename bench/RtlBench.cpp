// Runtime-library costs that scale with the grid: one Variant per cell, number and date text
// for every painted cell, string lists for text loads.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Variant.h"

using namespace carrelon;

static void BM_VariantCopyMillionCells(benchmark::State& State) {
    std::vector<Variant> cells(1000000);
    for (std::size_t i = 0; i < cells.size(); ++i)
        cells[i] =
            i % 2 ? Variant(static_cast<double>(i)) : Variant("text " + std::to_string(i % 100));
    for (auto _ : State) {
        std::vector<Variant> copy = cells;
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_VariantCopyMillionCells)->Unit(benchmark::kMillisecond);

static void BM_FloatToStr(benchmark::State& State) {
    double v = 1.0 / 3;
    for (auto _ : State) {
        benchmark::DoNotOptimize(FloatToStr(v));
        v += 1.25;
    }
}
BENCHMARK(BM_FloatToStr);

// Values with a short decimal form, as grids mostly hold.
static void BM_FloatToStrShort(benchmark::State& State) {
    int i = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(FloatToStr(i * 0.5 + 3));
        ++i;
    }
}
BENCHMARK(BM_FloatToStrShort);

static void BM_FormatFloat(benchmark::State& State) {
    double v = 1234.5678;
    for (auto _ : State) {
        benchmark::DoNotOptimize(FormatFloat("#,##0.00", v));
        v += 1.25;
    }
}
BENCHMARK(BM_FormatFloat);

static void BM_TextToFloat(benchmark::State& State) {
    Extended v = 0;
    for (auto _ : State)
        benchmark::DoNotOptimize(TextToFloat("12345.678e-2", v));
}
BENCHMARK(BM_TextToFloat);

static void BM_DateTimeToStr(benchmark::State& State) {
    TDateTime t = 45000.5;
    for (auto _ : State) {
        benchmark::DoNotOptimize(DateTimeToStr(t));
        t += 1.001;
    }
}
BENCHMARK(BM_DateTimeToStr);

static void BM_StringListSetText(benchmark::State& State) {
    AnsiString text;
    for (int i = 0; i < 100000; ++i)
        text += "line number " + std::to_string(i) + "\tsecond field\r\n";
    for (auto _ : State) {
        TStringList l;
        l.SetText(text);
        benchmark::DoNotOptimize(l.GetCount());
    }
}
BENCHMARK(BM_StringListSetText)->Unit(benchmark::kMillisecond);
