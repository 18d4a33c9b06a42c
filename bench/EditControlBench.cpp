// Editing through an application-supplied combo box: one whole edit (open, another item chosen,
// close with commit), at row 999,990 of a 1,000,000 x 10 grid and in a 100 x 10 grid; an opening
// on a cell far below the view, where a control taller than the row grows it and scrolls the
// view once; and the grid moved while the control is open (the control follows its cell). None
// may depend on the number of rows.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "grid/CarrelonPrivate.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"

using namespace carrelon;

namespace {

struct ControlFrame {
    std::unique_ptr<TForm> Form;
    TCarrelon* Grid = nullptr;
    TComboBox* Combo = nullptr;
    TEdit* Tall = nullptr;
    TWinControl* Offered = nullptr;
    int Row = 0;
    int Scrolls = 0;

    ControlFrame(int Rows, int EditRow) : Row(EditRow) {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 840, 640);
        Grid = new TCarrelon(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetBounds(0, 0, 800, 600);
        Grid->SetColCount(10);
        Grid->SetRowCount(Rows);
        Combo = new TComboBox(Form.get());
        Combo->SetParent(Form.get());
        Combo->SetVisible(false);
        for (const char* S : {"North", "East", "South", "West"})
            Combo->GetItems()->Add(S);
        Combo->SetStyle(csDropDownList);
        Tall = new TEdit(Form.get());
        Tall->SetParent(Form.get());
        Tall->SetVisible(false);
        TSizeConstraints K;
        K.MinHeight = 40;
        Tall->SetConstraints(K);
        Offered = Combo;
        Grid->OnGetEditControl = [this](TCarrelon*, int, int, TWinControl*& C) { C = Offered; };
        Grid->OnTopLeftChanged = [this](TObject*) { ++Scrolls; };
        Form->Show();
        Grid->SetFocus();
        Grid->FocusCell(1, EditRow);
        Application()->ProcessMessages();
    }
};

// Made once and kept to the end of the process: destroyed after the application object, the
// grids would ask Qt for fonts it no longer has.
ControlFrame& MillionRows() {
    static ControlFrame& frame = *new ControlFrame(1'000'000, 999'990);
    return frame;
}

ControlFrame& HundredRows() {
    static ControlFrame& frame = *new ControlFrame(100, 90);
    return frame;
}

void BM_EditControlEdit(benchmark::State& State, ControlFrame& (*Frame)()) {
    ControlFrame& f = Frame();
    f.Offered = f.Combo;
    long long n = 0;
    for (auto _ : State) {
        f.Grid->SetEditorMode(true);
        f.Combo->SetItemIndex(static_cast<int>(++n % 4));
        f.Grid->SetEditorMode(false);
    }
    if (f.Grid->GetCells(1, f.Row)->GetText() != f.Combo->GetItems()->GetStrings(n % 4))
        State.SkipWithError("the edit was not committed");
}

// A cell far below the view: the opening scrolls the view once, straight to where the taller
// control fits. (The row is not grown here: the first row of a grid that leaves the default
// height makes the base grid keep one height per row, which costs in proportion to the rows
// whoever sizes the row.)
void BM_EditControlOpensFarBelow(benchmark::State& State, ControlFrame& (*Frame)()) {
    ControlFrame& f = Frame();
    f.Offered = f.Tall;
    f.Grid->SetEditControlOptions({});
    for (auto _ : State) {
        State.PauseTiming();
        f.Grid->SetTopRow(1);
        Application()->ProcessMessages();
        f.Scrolls = 0;
        State.ResumeTiming();
        f.Grid->SetEditorMode(true);
        State.PauseTiming();
        const bool Once = f.Scrolls == 1 && f.Grid->GetEditorMode();
        f.Grid->SetEditorMode(false);
        State.ResumeTiming();
        if (!Once) {
            State.SkipWithError("the view did not scroll exactly once");
            break;
        }
    }
    f.Grid->SetEditControlOptions(TCarrelonEditControlOptions::FromInt(0x1F));
    f.Offered = f.Combo;
}

// The grid moved by one pixel back and forth while the combo box is open on its cell.
void BM_EditControlFollowsTheGrid(benchmark::State& State, ControlFrame& (*Frame)()) {
    ControlFrame& f = Frame();
    f.Offered = f.Combo;
    f.Grid->SetEditorMode(true);
    int Left = 0;
    for (auto _ : State) {
        Left = 1 - Left;
        f.Grid->SetBounds(Left, 0, 800, 600);
    }
    if (f.Combo->GetLeft() != Left + f.Grid->GetBorderWidthNC() + f.Grid->CellRect(1, f.Row).Left)
        State.SkipWithError("the control did not follow");
    f.Grid->SetEditorMode(false);
    f.Grid->SetBounds(0, 0, 800, 600);
}

BENCHMARK_CAPTURE(BM_EditControlEdit, 1M_rows_at_999990, &MillionRows)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditControlEdit, 100_rows, &HundredRows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditControlOpensFarBelow, 1M_rows_at_999990, &MillionRows)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditControlOpensFarBelow, 100_rows_at_90, &HundredRows)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditControlFollowsTheGrid, 1M_rows_at_999990, &MillionRows)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditControlFollowsTheGrid, 100_rows, &HundredRows)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
