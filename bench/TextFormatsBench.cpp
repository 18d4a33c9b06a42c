// The grid's text loads and save on the shared 1,000,000 x 10 sample (about 90 MB), written to a
// file: LoadFromCSV, LoadFromTabDelimited and LoadFromStrings against the bare loop that only
// finds the field boundaries of the same file (read from disk too), with and without the row
// fitting that leaving the update lock does; and the round trip of a converter (load the CSV,
// save the grid's lines, write them to a file). Each reports its own peak memory: how far the
// resident memory rose above what the process held when the benchmark began.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "bench/DelimitedSample.h"
#include "grid/Carrelon.h"
#include "platform/rtl/FileContent.h"
#include "platform/rtl/Lists.h"

using namespace carrelon;
using namespace carrelon::bench;

namespace {

// The sample written once per process to a file that goes when the process ends.
class TSampleFile {
public:
    TSampleFile(const std::string& Text, const char* Suffix) {
        FName = "/tmp/carrelon-bench-" + std::to_string(::getpid()) + Suffix;
        ReplaceFileContent(FName, Text);
        FBytes = Text.size();
    }
    ~TSampleFile() { std::remove(FName.c_str()); }
    const std::string& Name() const { return FName; }
    std::size_t Bytes() const { return FBytes; }

private:
    std::string FName;
    std::size_t FBytes = 0;
};

const TSampleFile& CSVFile() {
    static const TSampleFile file(CSVText(), ".csv");
    return file;
}

const TSampleFile& TabFile() {
    static const TSampleFile file(TabText(), ".txt");
    return file;
}

// A line of /proc/self/status ("VmRSS:", "VmHWM:") in megabytes; -1 when it cannot be read.
double StatusMB(const std::string& Key) {
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line))
        if (Line.compare(0, Key.size(), Key) == 0) return std::stod(Line.substr(Key.size())) / 1024;
    return -1;
}

// The peak resident memory of one benchmark above what the process held when it began. Memory
// freed before it is handed back to the system first, and the kernel's high-water mark is reset,
// so neither the samples nor earlier benchmarks count. Where the mark cannot be reset, the peak
// is the process's so far, and the benchmark must run alone (--benchmark_filter) for its own.
class TPeakMemory {
public:
    TPeakMemory() {
        ::malloc_trim(0);
        std::ofstream ClearRefs("/proc/self/clear_refs");
        ClearRefs << "5";
        ClearRefs.close();
        FReset = ClearRefs.good();
        FStartMB = StatusMB("VmRSS:");
    }
    void Report(benchmark::State& State) const {
        if (FReset && FStartMB >= 0) {
            State.counters["peakMB"] = StatusMB("VmHWM:") - FStartMB;
            return;
        }
        rusage Usage{};
        getrusage(RUSAGE_SELF, &Usage);
        State.counters["processPeakMB"] = static_cast<double>(Usage.ru_maxrss) / 1024.0;
    }

private:
    bool FReset = false;
    double FStartMB = -1;
};

// A grid as an application makes one; Fitting says whether rows fit their content when the
// load leaves the update lock (the default options) or not.
std::unique_ptr<TCarrelon> MakeGrid(bool Fitting) {
    auto G = std::make_unique<TCarrelon>(nullptr);
    if (!Fitting)
        G->SetOptions(G->GetOptions() - cloAutoIncreaseRowHeights - cloAutoDecreaseRowHeights);
    return G;
}

void Report(benchmark::State& State, const TSampleFile& File, const TCarrelon* G,
            const TPeakMemory& Peak) {
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) *
                            static_cast<std::int64_t>(File.Bytes()));
    State.counters["rows"] = G != nullptr ? G->GetRowCount() : 0;
    Peak.Report(State);
}

template <char Separator>
void BareLoopOnFile(benchmark::State& State, const TSampleFile& File) {
    const TPeakMemory Peak;
    for (auto _ : State) {
        const AnsiString Text = ReadFileContent(File.Name(), Int64{1} << 30);
        benchmark::DoNotOptimize(BareFieldBoundaries<Separator>(Text));
    }
    Report(State, File, nullptr, Peak);
}

// Each iteration loads into a fresh grid; freeing the grid is not timed.
template <typename Load>
void LoadInto(benchmark::State& State, const TSampleFile& File, Load&& Run) {
    const TPeakMemory Peak;
    std::unique_ptr<TCarrelon> G;
    for (auto _ : State) {
        State.PauseTiming();
        G.reset();
        G = MakeGrid(State.range(0) != 0);
        State.ResumeTiming();
        if (!Run(*G)) State.SkipWithError("the load failed");
    }
    Report(State, File, G.get(), Peak);
}

}  // namespace

static void BM_CSVFileBareBoundaryLoop(benchmark::State& State) {
    BareLoopOnFile<','>(State, CSVFile());
}
BENCHMARK(BM_CSVFileBareBoundaryLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

// Argument of the loads: 1 with row fitting at the end of the load, 0 without.
static void BM_LoadFromCSV(benchmark::State& State) {
    LoadInto(State, CSVFile(), [](TCarrelon& G) { return G.LoadFromCSV(CSVFile().Name()); });
}
BENCHMARK(BM_LoadFromCSV)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

static void BM_TabFileBareBoundaryLoop(benchmark::State& State) {
    BareLoopOnFile<'\t'>(State, TabFile());
}
BENCHMARK(BM_TabFileBareBoundaryLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

static void BM_LoadFromTabDelimited(benchmark::State& State) {
    LoadInto(State, TabFile(),
             [](TCarrelon& G) { return G.LoadFromTabDelimited(TabFile().Name()); });
}
BENCHMARK(BM_LoadFromTabDelimited)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

// The lines of the tab-delimited file, as an application hands them over; the list is made
// before the benchmark's peak memory is measured.
static void BM_LoadFromStrings(benchmark::State& State) {
    TStringList Lines;
    Lines.SetText(TabText());
    LoadInto(State, TabFile(), [&Lines](TCarrelon& G) { return G.LoadFromStrings(&Lines); });
}
BENCHMARK(BM_LoadFromStrings)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

// A converter's whole job: the CSV file in, its cells out as TAB-separated lines in a file. Its
// peak memory is what the job holds: the file's bytes, the grid and the saved lines.
static void BM_CSVToTabSeparatedFile(benchmark::State& State) {
    const std::string Out = CSVFile().Name() + ".out";
    LoadInto(State, CSVFile(), [&Out](TCarrelon& G) {
        TStringList Lines;
        if (!G.LoadFromCSV(CSVFile().Name()) || !G.SaveToStrings(&Lines)) return false;
        Lines.SaveToFile(Out);
        return true;
    });
    std::remove(Out.c_str());
}
BENCHMARK(BM_CSVToTabSeparatedFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
