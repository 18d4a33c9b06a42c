// The INI store on texts the size of large saved grids (100,000 and 1,000,000 cell lines): building
// a store line by line and emitting its text, against a bare loop that only formats the same
// lines into one buffer; parsing a text with its one sort; look-ups by name; the position reads
// a load makes; a file written and read back.
#include <benchmark/benchmark.h>

#include <charconv>
#include <memory>
#include <string>

#include "exchange/CarrelonIniFile.h"
#include "platform/rtl/TempFiles.h"

using namespace carrelon;

namespace {

// Digits of V into Buffer; a view of them.
std::string_view Digits(char (&Buffer)[16], int V) {
    const auto r = std::to_chars(Buffer, Buffer + sizeof Buffer, V);
    return {Buffer, static_cast<std::size_t>(r.ptr - Buffer)};
}

// Cell N of a ten-column grid: its column, its row, and a value text of a typical length.
struct TCellLine {
    int Col;
    int Row;
    std::string_view Value;
};
TCellLine CellLine(int N) {
    static const std::string_view values[] = {"100Widget", "0051234.5", "100North region", "00542",
                                              "100a somewhat longer note text"};
    return {N % 10, N / 10, values[N % 5]};
}

// A store shaped like a saved grid: a "Grid" section of keys, then cell sections where every
// tenth cell has a formula and every twentieth a colour.
void FillStore(TCarrelonIniFile& Ini, int Lines) {
    for (int k = 0; k < 60; ++k)
        Ini.WriteInteger("Grid", "Key" + std::to_string(k), k);
    TCarrelonIniSection& value = Ini.ProvideSection("Value");
    TCarrelonIniSection& formula = Ini.ProvideSection("Formula");
    TCarrelonIniSection& color = Ini.ProvideSection("Cell.Color");
    char col[16], row[16];
    for (int n = 0; n < Lines; ++n) {
        const TCellLine c = CellLine(n);
        const std::string_view cs = Digits(col, c.Col), rs = Digits(row, c.Row);
        if (n % 10 == 3)
            Ini.AppendLine(formula, {cs, " ", rs, "=", "SUM(A1:B7)"});
        else if (n % 20 == 7)
            Ini.AppendLine(color, {cs, " ", rs, "=", "-2147483643"});
        else
            Ini.AppendLine(value, {cs, " ", rs, "=", c.Value});
    }
}

const std::string& StoreText(int Lines) {
    static std::string texts[2];
    std::string& text = texts[Lines > 100000 ? 1 : 0];
    if (text.empty()) {
        TCarrelonIniFile ini("", ifsEmpty);
        ini.SetSorted(true);
        FillStore(ini, Lines);
        text = ini.GetText();
    }
    return text;
}

}  // namespace

static void BM_IniStoreBuildAndEmit(benchmark::State& State) {
    const int lines = static_cast<int>(State.range(0));
    std::size_t bytes = 0;
    for (auto _ : State) {
        TCarrelonIniFile ini("", ifsEmpty);
        ini.SetSorted(true);
        FillStore(ini, lines);
        const AnsiString text = ini.GetText();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    State.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_IniStoreBuildAndEmit)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The peer: the same "column row=value" lines formatted straight into one buffer.
static void BM_IniBareLineFormatting(benchmark::State& State) {
    const int lines = static_cast<int>(State.range(0));
    for (auto _ : State) {
        std::string text;
        char col[16], row[16];
        for (int n = 0; n < lines; ++n) {
            const TCellLine c = CellLine(n);
            text += Digits(col, c.Col);
            text += ' ';
            text += Digits(row, c.Row);
            text += '=';
            text += n % 10 == 3 ? "SUM(A1:B7)" : n % 20 == 7 ? "-2147483643" : c.Value;
            text += "\r\n";
        }
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_IniBareLineFormatting)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

static void BM_IniStoreParseAndSort(benchmark::State& State) {
    const std::string& text = StoreText(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        TCarrelonIniFile ini("", ifsEmpty);
        ini.SetText(text);  // the copy is part of the cost, as a load owns its text
        ini.SetSorted(true);
        benchmark::DoNotOptimize(ini.GetSectionCount());
    }
    State.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_IniStoreParseAndSort)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Every line of the big section found by its name: the index is built, then used.
static void BM_IniStoreIndexLookups(benchmark::State& State) {
    const std::string& text = StoreText(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        State.PauseTiming();
        auto ini = std::make_unique<TCarrelonIniFile>("", ifsEmpty);
        ini->SetText(text);
        const TCarrelonIniSection& section = *ini->FindSection("Value");
        State.ResumeTiming();
        int found = 0;
        for (int i = 0; i < section.GetCount(); ++i)
            found += section.IndexOfName(section.GetLineName(i)) == i;
        benchmark::DoNotOptimize(found);
        State.PauseTiming();
        ini.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_IniStoreIndexLookups)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// What a load does with each cell line: column, row and value read by position.
static void BM_IniStorePositionReads(benchmark::State& State) {
    TCarrelonIniFile ini("", ifsEmpty);
    ini.SetText(StoreText(static_cast<int>(State.range(0))));
    const TCarrelonIniSection& value = *ini.FindSection("Value");
    for (auto _ : State) {
        Int64 sum = 0;
        for (int i = 0; i < value.GetCount(); ++i) {
            std::string_view rest = value.GetLine(i);
            int col = 0, row = 0;
            if (ReadPositionNumber(rest, ' ', col) && ReadPositionNumber(rest, '=', row))
                sum += col + row + static_cast<Int64>(rest.size());
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_IniStorePositionReads)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

static void BM_IniStoreFileWriteAndLoad(benchmark::State& State) {
    TCarrelonIniFile ini("", ifsEmpty);
    ini.SetText(StoreText(static_cast<int>(State.range(0))));
    const AnsiString name = CreateTempFileName("cib");
    for (auto _ : State) {
        TCarrelonIniFile out(name, ifsEmpty);
        out.SetText(ini.GetText());
        out.UpdateFile();
        TCarrelonIniFile in(name);
        benchmark::DoNotOptimize(in.GetSectionCount());
    }
    DeleteFile(name);
}
BENCHMARK(BM_IniStoreFileWriteAndLoad)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A hostile text of a million one-line sections: parsing and the one sort stay n log n.
static void BM_IniStoreManySections(benchmark::State& State) {
    std::string text;
    for (int i = 0; i < State.range(0); ++i)
        text += "[S" + std::to_string((i * 7919) % 1000003) + "]\r\nk=v\r\n";
    for (auto _ : State) {
        TCarrelonIniFile ini("", ifsEmpty);
        ini.SetText(text);
        ini.SetSorted(true);
        benchmark::DoNotOptimize(ini.ReadString("S5", "k", ""));
    }
}
BENCHMARK(BM_IniStoreManySections)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
