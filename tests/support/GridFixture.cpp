#include "tests/support/GridFixture.h"

#include "grid/CarrelonInplaceEditor.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"

namespace carrelon::test {

void GridFixture::SetUp() {
    FSavedHandler = SetMessageDlgHandler(
        [this](const AnsiString& Msg, TMsgDlgType, TMsgDlgButtons) -> TModalResult {
            Messages.push_back(Msg);
            return mrOk;
        });
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 640, 480);
    Grid = new TCarrelon(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 600, 400);
}

void GridFixture::TearDown() {
    Form.reset();
    SetMessageDlgHandler(std::move(FSavedHandler));
}

void GridFixture::ExpectModelSound() const {
    std::string Why;
    EXPECT_TRUE(TCarrelonTestAccess::CheckModelInvariants(Grid, &Why)) << Why;
}

void OpenEditorThatStaysOpen(TCarrelon* Grid) {
    Grid->SetFocus();
    ProcessPendingEvents();
    ASSERT_TRUE(Grid->FocusCell(1, 1) || (Grid->GetCol() == 1 && Grid->GetRow() == 1));
    OpenRefusingEditor(Grid, "x");
}

TCarrelonCell* MakeMergedCell(TCarrelon* Grid, int A0, int R0, int A1, int R1) {
    return TCarrelonTestAccess::MergeCells(Grid, A0, R0, A1, R1);
}

void OpenRefusingEditor(TCarrelon* Grid, const AnsiString& Typed) {
    Grid->SetEditorMode(true);
    ProcessPendingEvents();
    ASSERT_TRUE(Grid->GetEditorMode());
    TypeText(TCarrelonTestAccess::Internals(Grid).FInplaceEditor, Typed);
    ProcessPendingEvents();
    Grid->OnCellChanged = [](TCarrelon*, int, int, const AnsiString&, AnsiString&,
                             bool& AllowExit) { AllowExit = false; };
}

std::vector<std::pair<int, int>> Listed(const TCarrelon* Grid) {
    std::vector<std::pair<int, int>> Out;
    const TCarrelonSelection* S = Grid->GetSelectedCells();
    for (int i = 0; i < S->GetCount(); ++i)
        Out.emplace_back(S->GetCells(i)->GetStartCol(), S->GetCells(i)->GetRow());
    return Out;
}

}  // namespace carrelon::test
