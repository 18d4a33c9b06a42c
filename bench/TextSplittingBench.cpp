// Splitting a 1,000,000-line text of 10 fields (about 90 MB, some fields quoted with separators,
// doubled quotes and line breaks inside) into lines and fields, against a bare loop that only
// finds the field boundaries of the same text in one pass. The loads that use these helpers must
// stay within five times that loop, so the helpers themselves should be close to it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/DelimitedSample.h"
#include "exchange/TextSplitting.h"

using namespace carrelon;
using namespace carrelon::bench;

static void BM_CSVBareBoundaryLoop(benchmark::State& State) {
    const std::string& text = CSVText();
    for (auto _ : State)
        benchmark::DoNotOptimize(BareFieldBoundaries<','>(text));
    SetBytes(State, text);
}
BENCHMARK(BM_CSVBareBoundaryLoop)->Unit(benchmark::kMillisecond);

static void BM_CSVSplitLinesAndFields(benchmark::State& State) {
    const std::string& text = CSVText();
    std::vector<TTextField> fields;
    for (auto _ : State) {
        std::size_t count = 0;
        for (std::string_view line : SplitCSVLines(text)) {
            SplitCSVFields(line, ',', fields);
            count += fields.size();
        }
        benchmark::DoNotOptimize(count);
    }
    SetBytes(State, text);
}
BENCHMARK(BM_CSVSplitLinesAndFields)->Unit(benchmark::kMillisecond);

// With every field's text made, as a load hands each one to its cell.
static void BM_CSVSplitWithFieldTexts(benchmark::State& State) {
    const std::string& text = CSVText();
    std::vector<TTextField> fields;
    for (auto _ : State) {
        std::size_t bytes = 0;
        for (std::string_view line : SplitCSVLines(text)) {
            SplitCSVFields(line, ',', fields);
            for (const TTextField& f : fields)
                bytes += CSVFieldText(f).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    SetBytes(State, text);
}
BENCHMARK(BM_CSVSplitWithFieldTexts)->Unit(benchmark::kMillisecond);

static void BM_TabBareBoundaryLoop(benchmark::State& State) {
    const std::string& text = TabText();
    for (auto _ : State)
        benchmark::DoNotOptimize(BareFieldBoundaries<'\t'>(text));
    SetBytes(State, text);
}
BENCHMARK(BM_TabBareBoundaryLoop)->Unit(benchmark::kMillisecond);

static void BM_TabSplitLinesAndFields(benchmark::State& State) {
    const std::string& text = TabText();
    std::vector<TTextField> fields;
    for (auto _ : State) {
        std::size_t count = 0;
        for (std::string_view line : SplitTabDelimitedLines(text)) {
            SplitTabDelimitedFields(line, fields);
            count += fields.size();
        }
        benchmark::DoNotOptimize(count);
    }
    SetBytes(State, text);
}
BENCHMARK(BM_TabSplitLinesAndFields)->Unit(benchmark::kMillisecond);

static void BM_TabSplitWithFieldTexts(benchmark::State& State) {
    const std::string& text = TabText();
    std::vector<TTextField> fields;
    for (auto _ : State) {
        std::size_t bytes = 0;
        for (std::string_view line : SplitTabDelimitedLines(text)) {
            SplitTabDelimitedFields(line, fields);
            for (const TTextField& f : fields)
                bytes += TabDelimitedFieldText(f).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    SetBytes(State, text);
}
BENCHMARK(BM_TabSplitWithFieldTexts)->Unit(benchmark::kMillisecond);
