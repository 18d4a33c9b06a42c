// A grid on a shown, active form with the keyboard focus, driven by real Qt key, mouse and wheel
// events; option helpers and the grid's current cell and anchor as coordinates.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

#include "grid/CarrelonInplaceEditor.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/GridFixture.h"

namespace carrelon {
inline void PrintTo(const TGridCoord& P, std::ostream* Out) {
    *Out << "(" << P.X << "," << P.Y << ")";
}
}  // namespace carrelon

namespace carrelon::test {

// The option set with Item included or left out.
template <typename S, typename E>
S With(S Set, E Item, bool On) {
    if (On)
        Set.Include(Item);
    else
        Set.Exclude(Item);
    return Set;
}

class ShownGridTest : public ::testing::Test {
public:
    void SetUp() override {
        Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
        Grid->SetColCount(8);
        Grid->SetRowCount(40);
        Grid->SetFocus();
        ProcessPendingEvents();
    }

    TCarrelonPrivate& Internals() const { return TCarrelonTestAccess::Internals(Grid); }
    TCarrelonInplaceEditor* Editor() const { return Internals().FInplaceEditor; }
    TCarrelonCell* Cell(int C, int R) const { return Grid->GetCells(C, R); }
    TGridCoord Current() const { return {Grid->GetCol(), Grid->GetRow()}; }
    TGridCoord Anchor() const { return Internals().ReadFAnchor(); }
    void Press(Word Key, TShiftState Shift = {}) {
        PressKey(Grid, Key, Shift);
        ProcessPendingEvents();
    }
    // Puts the current cell (and the anchor) on a slot, whatever it is.
    void Place(int C, int R) {
        Internals().DoFocusCell(C, R, -1, -1, true);
        ASSERT_EQ(Current(), (TGridCoord{C, R}));
    }
    void SetOption(TCarrelonOption O, bool On) {
        Grid->SetOptions(With(Grid->GetOptions(), O, On));
    }
    void SetTabOption(TCarrelonTabOption O, bool On) {
        Grid->SetTabOptions(With(Grid->GetTabOptions(), O, On));
    }
    // Opens the editor on (2, 2) and types "bad"; the application refuses to leave the cell
    // while *Allow is false (always, without Allow).
    void OpenRefusedEdit(const bool* Allow = nullptr) {
        Grid->OnCellChanged = [Allow](TCarrelon*, int, int, const AnsiString&, AnsiString&,
                                      bool& AllowExit) { AllowExit = Allow != nullptr && *Allow; };
        Place(2, 2);
        Grid->SetEditorMode(true);
        ASSERT_TRUE(Grid->GetEditorMode());
        TypeText(Editor(), "bad");
        ProcessPendingEvents();
    }
    // The client point in the middle of a slot.
    TPoint Middle(int C, int R) const {
        const TRect Rc = Grid->CellRect(C, R);
        return {(Rc.Left + Rc.Right) / 2, (Rc.Top + Rc.Bottom) / 2};
    }

    TTestForm Form;
    TTestGrid* Grid = nullptr;
};

}  // namespace carrelon::test
