// Grid test support: a form with a TCarrelon on it (message boxes recorded instead of shown), a
// grid that opens its protected state, and merged cells built directly on the model.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"

namespace carrelon::test {

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Fails the test with the reason when the model's invariants do not hold.
    void ExpectModelSound() const;

    std::unique_ptr<TForm> Form;
    TCarrelon* Grid = nullptr;  // owned by Form
    std::vector<AnsiString> Messages;

private:
    TMessageDlgHandler FSavedHandler;
};

// A grid whose protected selection and sizing state the tests can reach.
class TTestGrid : public TCarrelon {
public:
    using TCarrelon::BeginColumnDrag;
    using TCarrelon::BeginRowDrag;
    using TCarrelon::CalcSizingState;
    using TCarrelon::EndColumnDrag;
    using TCarrelon::EndRowDrag;
    using TCarrelon::FGridState;
    using TCarrelon::FSizingIndex;
    using TCarrelon::FSizingPos;
    using TCarrelon::SelectCell;
    using TCarrelon::TCarrelon;
    using TCarrelon::TimedScroll;
};

// Focuses Grid on its shown form, makes (1, 1) current and opens there an editor that refuses to
// close (OpenRefusingEditor, typing "x"), until the test clears the handler.
void OpenEditorThatStaysOpen(TCarrelon* Grid);

// Makes the cell at (absolute column A0, row R0) cover the rectangle up to (A1, R1), as a merge
// does. For building merged layouts in tests without the merge operations.
TCarrelonCell* MakeMergedCell(TCarrelon* Grid, int A0, int R0, int A1, int R1);

// Opens the in-place editor on the current cell of a grid on a shown, focused form, types Typed
// into it and makes the application refuse to leave the cell (OnCellChanged), so that every
// operation behind the editor gate is refused.
void OpenRefusingEditor(TCarrelon* Grid, const AnsiString& Typed);

// The listed cells as (StartCol, Row) pairs, in list order.
std::vector<std::pair<int, int>> Listed(const TCarrelon* Grid);

}  // namespace carrelon::test
