// The grid's keyboard and mouse per event: navigation keys (each pair of keys brings the current
// cell back, so every iteration starts from the same place) and hit-testing, at the top and at
// row 999,990 of a 1,000,000 x 10 grid and in a 100-row grid; none may depend on the number of
// rows. Tab across a row of columns without tab stops (one circle, linear in the columns), and
// one tick of the drag selection's auto-scroll (in proportion to the cells entering the range).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>

#include "grid/CarrelonPrivate.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/WindowWidgetQt.h"

using namespace carrelon;

namespace {

// Opens the timed scroll to the benchmark.
class TInputGrid : public TCarrelon {
public:
    using TCarrelon::TCarrelon;
    using TCarrelon::TimedScroll;
};

struct InputFrame {
    std::unique_ptr<TForm> Form;
    TInputGrid* Grid = nullptr;

    InputFrame(int Cols, int Rows) {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 840, 640);
        Grid = new TInputGrid(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetBounds(0, 0, 800, 600);
        Grid->SetColCount(Cols);
        Grid->SetRowCount(Rows);
        Form->Show();
        Grid->SetFocus();
        Application()->ProcessMessages();
    }

    void Key(int QtKey, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QWidget* W = Grid->GetHandle();
        QKeyEvent Down(QEvent::KeyPress, QtKey, Modifiers);
        QCoreApplication::sendEvent(W, &Down);
        QKeyEvent Up(QEvent::KeyRelease, QtKey, Modifiers);
        QCoreApplication::sendEvent(W, &Up);
    }
};

// Made once and kept to the end of the process: destroyed after the application object, the
// grids would ask Qt for fonts it no longer has.
InputFrame& MillionRows() {
    static InputFrame& frame = *new InputFrame(11, 1'000'001);
    return frame;
}

InputFrame& HundredRows() {
    static InputFrame& frame = *new InputFrame(11, 101);
    return frame;
}

struct Place {
    InputFrame& (*Frame)();
    int Row;
};

// Two keys that lead away from a cell and back.
void BM_KeyPair(benchmark::State& State, Place At, int Away, int Back,
                Qt::KeyboardModifiers Modifiers) {
    InputFrame& f = At.Frame();
    f.Grid->FocusCell(2, At.Row);
    Application()->ProcessMessages();
    for (auto _ : State) {
        f.Key(Away, Modifiers);
        f.Key(Back, Back == Qt::Key_Backtab ? Qt::ShiftModifier : Modifiers);
    }
    if (f.Grid->GetRow() != At.Row || f.Grid->GetCol() != 2)
        State.SkipWithError("the keys did not bring the current cell back");
    State.SetItemsProcessed(2 * State.iterations());
}

void BM_Arrows(benchmark::State& S, Place At) {
    BM_KeyPair(S, At, Qt::Key_Down, Qt::Key_Up, Qt::NoModifier);
}
void BM_Tab(benchmark::State& S, Place At) {
    BM_KeyPair(S, At, Qt::Key_Tab, Qt::Key_Backtab, Qt::NoModifier);
}
// Near the end a page down would stop at the last row: there the page up goes first.
void BM_PageKeys(benchmark::State& S, Place At) {
    if (At.Row > 1000)
        BM_KeyPair(S, At, Qt::Key_PageUp, Qt::Key_PageDown, Qt::NoModifier);
    else
        BM_KeyPair(S, At, Qt::Key_PageDown, Qt::Key_PageUp, Qt::NoModifier);
}

// Ctrl+End to the far corner and Ctrl+Home back.
void BM_CtrlEndHome(benchmark::State& State, InputFrame& (*Frame)()) {
    InputFrame& f = Frame();
    f.Grid->FocusCell(1, 1);
    for (auto _ : State) {
        f.Key(Qt::Key_End, Qt::ControlModifier);
        f.Key(Qt::Key_Home, Qt::ControlModifier);
    }
    if (f.Grid->GetRow() != 1) State.SkipWithError("Ctrl+Home did not come back");
    State.SetItemsProcessed(2 * State.iterations());
}

// The slot under the pointer, across the visible cells.
void BM_HitTest(benchmark::State& State, Place At) {
    InputFrame& f = At.Frame();
    f.Grid->FocusCell(2, At.Row);
    int X = 0, Y = 0, C = 0, R = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(f.Grid->MouseToCell(X, Y, C, R));
        X = (X + 37) % 800;
        Y = (Y + 23) % 580;
    }
}

// A click on a cell and back on the first one: press, release, focus move, repaint.
void BM_Click(benchmark::State& State, Place At) {
    InputFrame& f = At.Frame();
    f.Grid->FocusCell(2, At.Row);
    Application()->ProcessMessages();
    QWidget* W = f.Grid->GetHandle();
    const TRect A = f.Grid->CellRect(2, At.Row), B = f.Grid->CellRect(4, At.Row);
    const TPoint O = f.Grid->GetClientOrigin();
    auto ClickAt = [&](const TRect& R) {
        const QPointF P(O.X + R.Left + 5, O.Y + R.Top + 5);
        QMouseEvent Down(QEvent::MouseButtonPress, P, W->mapToGlobal(P), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(W, &Down);
        QMouseEvent Up(QEvent::MouseButtonRelease, P, W->mapToGlobal(P), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(W, &Up);
    };
    for (auto _ : State) {
        ClickAt(B);
        ClickAt(A);
    }
    if (f.Grid->GetCol() != 2 || f.Grid->GetRow() != At.Row)
        State.SkipWithError("the clicks did not come back");
    State.SetItemsProcessed(2 * State.iterations());
}

const Place kTop{&MillionRows, 1};
const Place kEnd{&MillionRows, 999'990};
const Place kSmall{&HundredRows, 50};

#define INPUT_BENCH(Fn)                                                            \
    BENCHMARK_CAPTURE(Fn, 1M_rows_top, kTop)->Unit(benchmark::kMicrosecond);       \
    BENCHMARK_CAPTURE(Fn, 1M_rows_at_999990, kEnd)->Unit(benchmark::kMicrosecond); \
    BENCHMARK_CAPTURE(Fn, 100_rows, kSmall)->Unit(benchmark::kMicrosecond)

INPUT_BENCH(BM_Arrows);
INPUT_BENCH(BM_Tab);
INPUT_BENCH(BM_PageKeys);
INPUT_BENCH(BM_Click);
BENCHMARK_CAPTURE(BM_HitTest, 1M_rows_top, kTop);
BENCHMARK_CAPTURE(BM_HitTest, 1M_rows_at_999990, kEnd);
BENCHMARK_CAPTURE(BM_HitTest, 100_rows, kSmall);
BENCHMARK_CAPTURE(BM_CtrlEndHome, 1M_rows, &MillionRows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CtrlEndHome, 100_rows, &HundredRows)->Unit(benchmark::kMicrosecond);

// Tab in one scrollable row of Columns columns, none a tab stop: the walk goes once round the
// row and stays.
void BM_TabWithoutTabStops(benchmark::State& State) {
    const int Cols = static_cast<int>(State.range(0));
    static InputFrame* Frame = nullptr;
    delete Frame;
    Frame = new InputFrame(Cols + 1, 2);
    TCarrelon* G = Frame->Grid;
    G->SetOptions(G->GetOptions() + cloTabThrough);
    for (int c = 0; c <= Cols; ++c)
        G->SetTabStops(c, false);
    G->FocusCell(Cols / 2, 1);
    for (auto _ : State)
        Frame->Key(Qt::Key_Tab);
    if (G->GetCol() != Cols / 2) State.SkipWithError("the Tab moved");
    State.SetComplexityN(Cols);
}
BENCHMARK(BM_TabWithoutTabStops)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// One auto-scroll tick of a drag selection going down: a row of Columns cells enters the range.
void BM_AutoScrollTick(benchmark::State& State) {
    const int Cols = static_cast<int>(State.range(0));
    static InputFrame* Frame = nullptr;
    delete Frame;
    Frame = new InputFrame(Cols + 1, 200'001);
    TInputGrid* G = Frame->Grid;
    G->SetOptions(G->GetOptions() + cloRangeSelect);
    TCarrelonPrivate& P = TCarrelonPrivate::Of(G);
    for (auto _ : State) {
        State.PauseTiming();
        if (G->GetRow() != 1 || P.ReadFAnchor().Y >= 199'000) {
            G->FocusCell(1, 1);
            P.MoveAnchor(TGridCoord{Cols, 1});
        }
        State.ResumeTiming();
        G->TimedScroll(TScrollDirections{sdDown});
    }
    State.counters["cells_per_tick"] = Cols;
}
BENCHMARK(BM_AutoScrollTick)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace
