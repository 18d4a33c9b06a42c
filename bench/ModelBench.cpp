// Cost of the cell model: a million rows by ten columns, made and then filled with short texts
// and numbers, against a QStandardItemModel holding the same content.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QStandardItemModel>
#include <cstdio>
#include <memory>

#include "grid/Carrelon.h"

namespace {

using namespace carrelon;

constexpr int kRows = 1000000;
constexpr int kCols = 10;
constexpr double kCells = double(kRows) * kCols;

std::size_t HeapInUse() {
    return mallinfo2().uordblks + mallinfo2().hblkhd;
}

AnsiString ShortText(int r, int c) {
    char Buffer[32];
    const int N = std::snprintf(Buffer, sizeof Buffer, "r%dc%d", r, c);
    return AnsiString(Buffer, static_cast<std::size_t>(N));
}

void BM_CarrelonEmptySlots(benchmark::State& State) {
    for (auto _ : State) {
        const std::size_t Before = HeapInUse();
        auto Grid = std::make_unique<TCarrelon>(nullptr);
        Grid->SetColCount(kCols);
        Grid->SetRowCount(kRows);
        State.counters["bytes_per_slot"] = double(HeapInUse() - Before) / kCells;
        State.PauseTiming();
        Grid.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_CarrelonEmptySlots)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CarrelonFill(benchmark::State& State) {
    for (auto _ : State) {
        const std::size_t Before = HeapInUse();
        auto Grid = std::make_unique<TCarrelon>(nullptr);
        Grid->SetColCount(kCols);
        Grid->SetRowCount(kRows);
        for (int c = 0; c < kCols; ++c) {
            TCarrelonCol* Col = Grid->GetCols(c);
            for (int r = 0; r < kRows; ++r) {
                TCarrelonCell* Cell = Col->GetCells(r);
                if (c % 2 == 0)
                    Cell->SetText(ShortText(r, c));
                else
                    Cell->SetValue(Variant(r * 0.5 + c));
            }
        }
        State.counters["bytes_per_cell"] = double(HeapInUse() - Before) / kCells;
        State.PauseTiming();
        Grid.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_CarrelonFill)->Iterations(1)->Unit(benchmark::kMillisecond);

// The same content set inside the update lock; timed: leaving the lock, which fits every row.
void BM_CarrelonFitRowsAfterFillInLock(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        auto Grid = std::make_unique<TCarrelon>(nullptr);
        Grid->SetColCount(kCols);
        Grid->SetRowCount(kRows);
        Grid->DisableControls();
        for (int c = 0; c < kCols; ++c) {
            TCarrelonCol* Col = Grid->GetCols(c);
            for (int r = 0; r < kRows; ++r)
                Col->GetCells(r)->SetText(ShortText(r, c));
        }
        State.ResumeTiming();
        Grid->EnableControls();
        State.PauseTiming();
        Grid.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_CarrelonFitRowsAfterFillInLock)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_QtStandardItemModelFill(benchmark::State& State) {
    for (auto _ : State) {
        const std::size_t Before = HeapInUse();
        auto Model = std::make_unique<QStandardItemModel>(kRows, kCols);
        for (int c = 0; c < kCols; ++c)
            for (int r = 0; r < kRows; ++r) {
                auto* Item = new QStandardItem;
                if (c % 2 == 0)
                    Item->setText(QString::fromStdString(ShortText(r, c)));
                else
                    Item->setData(r * 0.5 + c, Qt::DisplayRole);
                Model->setItem(r, c, Item);
            }
        State.counters["bytes_per_cell"] = double(HeapInUse() - Before) / kCells;
        State.PauseTiming();
        Model.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_QtStandardItemModelFill)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
