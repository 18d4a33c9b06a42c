// The clipboard on blocks of 1,000 and 10,000 rows x 10 columns of short texts: copy (the
// component stream with the text), the text alone beside a bare loop joining the same texts,
// cut, clear, and pasting the copied cells and the text beside SetText on the same cells. Ten
// times the cells may cost at most twelve times the time. Also Find over 1,000,000 x 10 cells
// matching nothing.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "grid/CarrelonPrivate.h"
#include "platform/controls/Forms.h"
#include "platform/devices/Clipboard.h"

using namespace carrelon;

namespace {

constexpr int kCols = 10;

// "<Prefix><row>c<col>", the short text of a cell.
AnsiString CellText(const char* Prefix, int Row, int Col) {
    AnsiString T(Prefix);
    T.append(std::to_string(Row)).append(1, 'c').append(std::to_string(Col));
    return T;
}

struct ClipFrame {
    std::unique_ptr<TForm> Form;
    TCarrelon* Grid = nullptr;

    explicit ClipFrame(int Rows) {
        Form = std::make_unique<TForm>(nullptr);
        Grid = new TCarrelon(Form.get());
        Grid->SetFixedRows(0);
        Grid->SetFixedCols(0);
        Grid->SetColCount(kCols);
        Grid->SetRowCount(Rows);
        Fill();
    }
    int Rows() const { return Grid->GetRowCount(); }
    void Fill() {
        for (int r = 0; r < Rows(); ++r)
            for (int k = 0; k < kCols; ++k)
                Grid->GetCells(k, r)->SetText(CellText("r", r, k));
    }
    void SelectAll() { Grid->SetSelection(0, 0, kCols - 1, Rows() - 1); }
};

// Kept to the end of the process: destroyed after the application object, the grids would ask
// Qt for fonts it no longer has.
ClipFrame& Frame(int Rows) {
    static ClipFrame& thousand = *new ClipFrame(1000);
    static ClipFrame& tenThousand = *new ClipFrame(10000);
    return Rows == 1000 ? thousand : tenThousand;
}

void CountCells(benchmark::State& State, long long PerIteration) {
    State.SetItemsProcessed(State.iterations() * PerIteration);
}

void BM_CopyCells(benchmark::State& State) {
    ClipFrame& f = Frame(static_cast<int>(State.range(0)));
    f.SelectAll();
    for (auto _ : State)
        f.Grid->GetSelectedCells()->CopyToClipboard();
    const long long N = static_cast<long long>(f.Rows()) * kCols;
    State.counters["bytes_per_cell"] =
        static_cast<double>(Clipboard()->GetAsBytes(CF_COMPONENT).size()) / static_cast<double>(N);
    CountCells(State, N);
}
BENCHMARK(BM_CopyCells)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The text a copy offers, made by the copy's own routine.
void BM_CopyText(benchmark::State& State) {
    ClipFrame& f = Frame(static_cast<int>(State.range(0)));
    std::vector<TCarrelonCell*> Cells;
    for (int k = 0; k < kCols; ++k)
        for (int r = 0; r < f.Rows(); ++r)
            Cells.push_back(f.Grid->GetCells(k, r));
    TCarrelonPrivate& P = TCarrelonPrivate::Of(f.Grid);
    for (auto _ : State) {
        AnsiString Text = P.ClipboardTextOf(Cells);
        benchmark::DoNotOptimize(Text.data());
    }
    CountCells(State, static_cast<long long>(f.Rows()) * kCols);
}
BENCHMARK(BM_CopyText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The peer: the same texts joined row by row in a bare loop.
void BM_JoinTextsBare(benchmark::State& State) {
    ClipFrame& f = Frame(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        AnsiString Text;
        for (int r = 0; r < f.Rows(); ++r) {
            for (int k = 0; k < kCols; ++k) {
                if (k > 0) Text += '\t';
                Text += f.Grid->GetCells(k, r)->GetText();
            }
            Text += "\r\n";
        }
        benchmark::DoNotOptimize(Text.data());
    }
    CountCells(State, static_cast<long long>(f.Rows()) * kCols);
}
BENCHMARK(BM_JoinTextsBare)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PasteCells(benchmark::State& State) {
    ClipFrame& f = Frame(static_cast<int>(State.range(0)));
    f.SelectAll();
    f.Grid->GetSelectedCells()->CopyToClipboard();
    f.Grid->FocusCell(0, 0);
    for (auto _ : State)
        f.Grid->PasteFromClipboard();
    CountCells(State, static_cast<long long>(f.Rows()) * kCols);
}
BENCHMARK(BM_PasteCells)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

AnsiString BlockText(int Rows) {
    AnsiString Text;
    for (int r = 0; r < Rows; ++r) {
        for (int k = 0; k < kCols; ++k) {
            if (k > 0) Text += '\t';
            Text += CellText("p", r, k);
        }
        Text += "\r\n";
    }
    return Text;
}

void BM_PasteText(benchmark::State& State) {
    ClipFrame& f = Frame(static_cast<int>(State.range(0)));
    Clipboard()->SetAsText(BlockText(f.Rows()));
    f.Grid->FocusCell(0, 0);
    for (auto _ : State)
        f.Grid->PasteFromClipboard();
    CountCells(State, static_cast<long long>(f.Rows()) * kCols);
}
BENCHMARK(BM_PasteText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The peer: SetText on the same cells with texts of the same length, alternating so that every
// call stores.
void BM_SetTextLoop(benchmark::State& State) {
    ClipFrame& f = Frame(static_cast<int>(State.range(0)));
    std::vector<AnsiString> Texts[2];
    for (int v = 0; v < 2; ++v)
        for (int r = 0; r < f.Rows(); ++r)
            for (int k = 0; k < kCols; ++k)
                Texts[v].push_back(CellText(v ? "q" : "p", r, k));
    int v = 0;
    for (auto _ : State) {
        std::size_t i = 0;
        for (int r = 0; r < f.Rows(); ++r)
            for (int k = 0; k < kCols; ++k)
                f.Grid->GetCells(k, r)->SetText(Texts[v][i++]);
        v ^= 1;
    }
    CountCells(State, static_cast<long long>(f.Rows()) * kCols);
}
BENCHMARK(BM_SetTextLoop)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Times Empty on the whole block, filled and selected afresh before each run (untimed).
template <typename F>
void EmptyFreshBlock(benchmark::State& State, F Empty) {
    ClipFrame& f = Frame(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        State.PauseTiming();
        f.Fill();
        f.SelectAll();
        State.ResumeTiming();
        Empty(*f.Grid);
    }
    f.Fill();
    CountCells(State, static_cast<long long>(f.Rows()) * kCols);
}

void BM_CutCells(benchmark::State& State) {
    EmptyFreshBlock(State, [](TCarrelon& G) { G.GetSelectedCells()->CutToClipboard(); });
}
BENCHMARK(BM_CutCells)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ClearSelection(benchmark::State& State) {
    EmptyFreshBlock(State, [](TCarrelon& G) { G.ClearSelection(); });
}
BENCHMARK(BM_ClearSelection)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Find walking 1,000,000 x 10 cells of short texts without a match, from the first cell to the
// end, with and without case.
void BM_FindNothing(benchmark::State& State) {
    static ClipFrame& f = *new ClipFrame(1'000'000);
    TFindOptions Options{frDown};
    if (State.range(0) != 0) Options.Include(frMatchCase);
    for (auto _ : State) {
        f.Grid->FocusCell(0, 0);
        benchmark::DoNotOptimize(f.Grid->Find("absent", Options));
    }
    CountCells(State, 1'000'000LL * kCols);
}
BENCHMARK(BM_FindNothing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
