// Drawing costs of a grid's paint: a cell is a fill, a frame and a line of text.
#include <benchmark/benchmark.h>

#include "platform/graphics/DrawText.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"

using namespace carrelon;

static void BM_PaintCellsOnBitmap(benchmark::State& State) {
    TBitmap B;
    B.SetSize(1280, 720);
    TCanvas* C = B.GetCanvas();
    for (auto _ : State) {
        for (int Row = 0; Row < 40; ++Row)
            for (int Col = 0; Col < 20; ++Col) {
                TRect R{Col * 64, Row * 18, Col * 64 + 63, Row * 18 + 17};
                C->GetBrush()->SetColor((Row + Col) % 2 ? clWindow : clBtnFace);
                C->FillRect(R);
                DrawTextA(C, "Cell text 123", R,
                          DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
            }
    }
    State.SetItemsProcessed(State.iterations() * 800);
}
BENCHMARK(BM_PaintCellsOnBitmap)->Unit(benchmark::kMillisecond);

static void BM_MeasureWrappedText(benchmark::State& State) {
    TCanvas C;
    AnsiString Text;
    for (int i = 0; i < State.range(0); ++i)
        Text += "lorem ipsum ";
    for (auto _ : State) {
        TRect R{0, 0, 150, 0};
        benchmark::DoNotOptimize(
            DrawTextA(&C, Text, R, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX));
    }
    State.SetComplexityN(State.range(0));
}
BENCHMARK(BM_MeasureWrappedText)->Range(16, 4096)->Complexity();
