// Editing in place with spreadsheet mode on and 1,000 formula cells: one keypress in the open
// editor (a character typed and taken back, so the text stays the same length), and one whole
// edit (open, new text, commit with recalculation), at row 999,990 of a 1,000,000 x 10 grid and
// in a 100 x 12 grid (room for the formulas). Neither may depend on the number of rows.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <memory>
#include <string>

#include "grid/CarrelonInplaceEditor.h"
#include "grid/CarrelonPrivate.h"
#include "platform/controls/Forms.h"
#include "platform/controls/WindowWidgetQt.h"

using namespace carrelon;

namespace {

constexpr int kFormulas = 1000;

struct EditFrame {
    std::unique_ptr<TForm> Form;
    TCarrelon* Grid = nullptr;
    int Row = 0;

    EditFrame(int Cols, int Rows, int EditRow) : Row(EditRow) {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 840, 640);
        Grid = new TCarrelon(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetBounds(0, 0, 800, 600);
        Grid->SetColCount(Cols);
        Grid->SetRowCount(Rows);
        // Formula cells from the third column on, row by row, each reading the first column of
        // its row; the edited cell is in the second column. Evaluated once, when spreadsheet
        // mode comes on.
        for (int i = 0; i < kFormulas; ++i) {
            const int r = i / (Cols - 2);
            Grid->GetCells(2 + i % (Cols - 2), r)
                ->SetFormula(std::string(1, 'A').append(std::to_string(r + 1)).append("+1"));
        }
        Grid->SetSpreadsheetEnabled(true);
        Form->Show();
        Grid->SetFocus();
        Grid->FocusCell(1, EditRow);
        Application()->ProcessMessages();
    }

    TCarrelonInplaceEditor* Editor() const { return TCarrelonPrivate::Of(Grid).FInplaceEditor; }

    void Press(int QtKey, const QString& Text) {
        QWidget* W = Editor()->GetHandle();
        QKeyEvent Down(QEvent::KeyPress, QtKey, Qt::NoModifier, Text);
        QCoreApplication::sendEvent(W, &Down);
        QKeyEvent Up(QEvent::KeyRelease, QtKey, Qt::NoModifier, Text);
        QCoreApplication::sendEvent(W, &Up);
    }
};

// Made once and kept to the end of the process: destroyed after the application object, the
// grids would ask Qt for fonts it no longer has.
EditFrame& MillionRows() {
    static EditFrame& frame = *new EditFrame(10, 1'000'000, 999'990);
    return frame;
}

EditFrame& HundredRows() {
    static EditFrame& frame = *new EditFrame(12, 100, 50);
    return frame;
}

void BM_EditorKeypress(benchmark::State& State, EditFrame& (*Frame)()) {
    EditFrame& f = Frame();
    f.Grid->SetEditorMode(true);
    f.Editor()->SetText("12345");
    f.Editor()->SetSelStart(5);
    for (auto _ : State) {
        f.Press(Qt::Key_X, "x");
        f.Press(Qt::Key_Backspace, "\b");
    }
    State.SetItemsProcessed(2 * State.iterations());
    f.Grid->SetEditorMode(false);
}

void BM_EditorCommit(benchmark::State& State, EditFrame& (*Frame)()) {
    EditFrame& f = Frame();
    long long n = 0;
    for (auto _ : State) {
        f.Grid->SetEditorMode(true);
        f.Editor()->SetText(std::to_string(++n));
        f.Grid->SetEditorMode(false);
    }
    if (f.Grid->GetCells(1, f.Row)->GetText() != std::to_string(n))
        State.SkipWithError("the edit was not committed");
}

BENCHMARK_CAPTURE(BM_EditorKeypress, 1M_rows_at_999990, &MillionRows)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditorKeypress, 100_rows, &HundredRows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditorCommit, 1M_rows_at_999990, &MillionRows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditorCommit, 100_rows, &HundredRows)->Unit(benchmark::kMicrosecond);

}  // namespace
