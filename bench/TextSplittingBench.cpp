// Splitting a 1,000,000-line text of 10 fields (about 90 MB, some fields quoted with separators,
// doubled quotes and line breaks inside) into lines and fields, against a bare loop that only
// finds the field boundaries of the same text in one pass. The loads that use these helpers must
// stay within five times that loop, so the helpers themselves should be close to it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/TextSplitting.h"

using namespace carrelon;

namespace {

constexpr int kLines = 1000000;

// A deterministic text of kLines lines of ten fields joined by Separator.
std::string MakeText(char Separator) {
    static const char* const words[] = {"Widget A-7", "North-west",  "Gadget B", "South-East",
                                        "Totals",     "spare parts", "n/a",      "Q3 2024"};
    std::string text;
    text.reserve(std::size_t{92} * kLines);
    std::uint32_t seed = 17;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int line = 0; line < kLines; ++line) {
        for (int field = 0; field < 10; ++field) {
            if (field > 0) text += Separator;
            const std::uint32_t r = next();
            switch (field) {
                case 0:
                    text += std::to_string(line + 1);
                    break;
                case 3:  // now and then a quoted text holding what needs quoting
                    if (r % 16 == 0)
                        text += "\"says \"\"hi\"\", then\nmore\"";
                    else if (r % 8 == 1)
                        text += std::string("\"a") + Separator + "b\"";
                    else
                        text += words[r % 8];
                    break;
                case 5:
                case 6:
                    text += std::to_string(r % 1000000) + ".25";
                    break;
                default:
                    text += words[r % 8];
            }
        }
        text += "\r\n";
    }
    return text;
}

const std::string& CSVText() {
    static const std::string text = MakeText(',');
    return text;
}

const std::string& TabText() {
    static const std::string text = MakeText('\t');
    return text;
}

// The bare loop: one pass that only counts fields and lines, switching quoting at each quote.
template <char Separator>
std::size_t BareFieldBoundaries(const std::string& Text) {
    std::size_t fields = 0;
    bool quoted = false;
    for (const char c : Text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == Separator || c == '\n'))
            ++fields;
    }
    return fields;
}

void SetBytes(benchmark::State& State, const std::string& Text) {
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) *
                            static_cast<std::int64_t>(Text.size()));
    State.counters["MB"] = static_cast<double>(Text.size()) / 1e6;
}

}  // namespace

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
