// Editing in place with spreadsheet mode on and 1,000 formula cells: one keypress in the open
// editor (a character typed and taken back, so the text stays the same length), and one whole
// edit (open, new text, commit with recalculation), at row 999,990 of a 1,000,000 x 10 grid and
// in a 100 x 12 grid (room for the formulas). Neither may depend on the number of rows. A commit
// into a cell that k of the formulas read costs in proportion to k.
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
        for (int i = 0; i < kFormulas; ++i)
            Formula(i)->SetFormula(OwnFormula(i));
        Grid->SetSpreadsheetEnabled(true);
        Form->Show();
        Grid->SetFocus();
        Grid->FocusCell(1, EditRow);
        Application()->ProcessMessages();
    }

    TCarrelonInplaceEditor* Editor() const { return TCarrelonPrivate::Of(Grid).FInplaceEditor; }

    // The i-th formula cell: from the third column on, row by row.
    TCarrelonCell* Formula(int i) const {
        const int Cols = Grid->GetColCount();
        return Grid->GetCells(2 + i % (Cols - 2), i / (Cols - 2));
    }

    // The i-th formula as made: its row's first column plus one.
    std::string OwnFormula(int i) const {
        const int r = i / (Grid->GetColCount() - 2);
        return std::string(1, 'A').append(std::to_string(r + 1)).append("+1");
    }

    // The first Readers formula cells read the edited cell, the others their row's first column.
    void ReadEditedCell(int Readers) {
        const std::string Edited = std::string(1, 'B').append(std::to_string(Row + 1)).append("+");
        for (int i = 0; i < kFormulas; ++i) {
            const std::string Wanted =
                i < Readers ? std::string(Edited).append(std::to_string(i)) : OwnFormula(i);
            if (Formula(i)->GetFormula() != Wanted) Formula(i)->SetFormula(Wanted);
        }
    }

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

// The edited cell is read by k formula cells (the other formulas read their own row): each
// commit recalculates those k and no more.
void BM_EditorCommitIntoReadCell(benchmark::State& State, EditFrame& (*Frame)()) {
    EditFrame& f = Frame();
    const auto Readers = static_cast<int>(State.range(0));
    f.ReadEditedCell(Readers);
    long long n = 0;
    for (auto _ : State) {
        f.Grid->SetEditorMode(true);
        f.Editor()->SetText(std::to_string(++n));
        f.Grid->SetEditorMode(false);
    }
    State.counters["changed_cells"] = Readers + 1;
    const TCarrelonCell* Last = f.Formula(Readers - 1);
    if (Last->GetText() != std::to_string(n + Readers - 1))
        State.SkipWithError("a formula reading the edited cell was not recalculated");
    f.ReadEditedCell(0);
}

BENCHMARK_CAPTURE(BM_EditorKeypress, 1M_rows_at_999990, &MillionRows)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditorKeypress, 100_rows, &HundredRows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditorCommit, 1M_rows_at_999990, &MillionRows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditorCommit, 100_rows, &HundredRows)->Unit(benchmark::kMicrosecond);

BENCHMARK_CAPTURE(BM_EditorCommitIntoReadCell, 1M_rows_at_999990, &MillionRows)
    ->RangeMultiplier(10)
    ->Range(1, kFormulas)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditorCommitIntoReadCell, 100_rows, &HundredRows)
    ->RangeMultiplier(10)
    ->Range(1, kFormulas)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
