// Find and replace over the cells, and the hints the grid shows for them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "grid/Carrelon.h"
#include "grid/CarrelonInplaceEditor.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Messages.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/GridFixture.h"
#include "tests/support/SettingScopes.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class FindTest : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        Grid->SetColCount(5);
        Grid->SetRowCount(6);
    }
    void TearDown() override {
        ExpectModelSound();
        GridFixture::TearDown();
    }
    TCarrelonCell* C(int Col, int Row) const { return Grid->GetCells(Col, Row); }
    std::pair<int, int> Current() const { return {Grid->GetCol(), Grid->GetRow()}; }
    void MoveTo(int K, int R) {
        ASSERT_TRUE(Grid->FocusCell(K, R) || Current() == std::pair(K, R));
    }
};

const TFindOptions Down{frDown};

TEST_F(FindTest, WalksRowByRowInBothDirectionsWithoutWrapping) {
    C(3, 1)->SetText("apple");
    C(1, 3)->SetText("pineapple");
    C(4, 4)->SetText("apple pie");
    MoveTo(1, 1);
    EXPECT_TRUE(Grid->Find("apple", Down));
    EXPECT_EQ(Current(), std::pair(3, 1));
    EXPECT_TRUE(Grid->Find("apple", Down));
    EXPECT_EQ(Current(), std::pair(1, 3));
    EXPECT_TRUE(Grid->Find("apple", Down));
    EXPECT_EQ(Current(), std::pair(4, 4));
    EXPECT_FALSE(Grid->Find("apple", Down));  // no wrap-around
    EXPECT_EQ(Current(), std::pair(4, 4));
    EXPECT_TRUE(Grid->Find("apple", {}));
    EXPECT_EQ(Current(), std::pair(1, 3));

    MoveTo(4, 5);
    EXPECT_FALSE(Grid->Find("nothing", Down));  // the last cell: nothing after it
    EXPECT_EQ(Current(), std::pair(4, 5));
    EXPECT_FALSE(Grid->Find("", Down));
}

TEST_F(FindTest, CaseAndWholeWordOptions) {
    struct Case {
        const char* Cell;
        const char* Find;
        TFindOptions Options;
        bool Found;
    };
    const std::vector<Case> Cases{
        {"grand total", "TOTAL", Down, true},
        {"grand total", "TOTAL", TFindOptions{frDown, frMatchCase}, false},
        {"Straße ÄPFEL", "äpfel", Down, true},
        {"ΣΟΦΙΑ", "σοφ", Down, true},
        {"totals", "total", TFindOptions{frDown, frWholeWord}, false},
        {"a total, totals", "total", TFindOptions{frDown, frWholeWord}, true},
        {"Total", "total", TFindOptions{frDown, frWholeWord, frMatchCase}, false},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(std::string(K.Cell) + " / " + K.Find);
        MoveTo(1, 1);
        C(2, 2)->SetText(K.Cell);
        EXPECT_EQ(Grid->Find(K.Find, K.Options), K.Found);
        EXPECT_EQ(Current(), K.Found ? std::pair(2, 2) : std::pair(1, 1));
    }
}

TEST_F(FindTest, MergedCellIsExaminedOnceAtItsTopLeftSlot) {
    MakeMergedCell(Grid, 1, 2, 3, 2)->SetText("merged");
    MoveTo(2, 1);
    EXPECT_TRUE(Grid->Find("merged", Down));
    EXPECT_EQ(Current(), std::pair(1, 2));
    EXPECT_FALSE(Grid->Find("merged", Down));  // its other slots are not matches again
}

TEST_F(FindTest, ReplaceStartsAtTheCurrentCellAndReplacesEveryOccurrenceInIt) {
    C(1, 1)->SetText("cat and Cat and category");
    C(3, 2)->SetText("cat");
    MoveTo(1, 1);
    EXPECT_TRUE(Grid->FindAndReplace("cat", "dog", TFindOptions{frDown, frReplace}));
    EXPECT_EQ(C(1, 1)->GetText(), "dog and dog and dogegory");
    EXPECT_EQ(C(3, 2)->GetText(), "cat");
    EXPECT_EQ(Current(), std::pair(1, 1));
}

TEST_F(FindTest, AWholeWordMatchReplacesEveryOccurrenceInTheCellTheLongerWordsToo) {
    struct Case {
        const char* Name;
        TFindOptions Options;
    };
    const std::vector<Case> Cases{
        {"replace", TFindOptions{frDown, frReplace, frWholeWord}},
        {"replace all", TFindOptions{frDown, frReplaceAll, frWholeWord}},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        C(2, 2)->SetText("a total, totals");
        C(3, 3)->SetText("totals only");  // no whole word: left alone
        MoveTo(2, 2);
        EXPECT_TRUE(Grid->FindAndReplace("total", "sum", K.Options));
        EXPECT_EQ(C(2, 2)->GetText(), "a sum, sums");
        EXPECT_EQ(C(3, 3)->GetText(), "totals only");
        EXPECT_EQ(Current(), std::pair(2, 2));
    }
}

TEST_F(FindTest, ReplaceAllRunsToTheEndAndEndsOnTheLastMatch) {
    C(1, 1)->SetText("a word");
    C(2, 2)->SetText("word");
    C(3, 3)->SetText("Words");  // a candidate the whole-word test refuses
    Grid->SetSpreadsheetEnabled(true);
    C(4, 1)->SetFormula("1+1");
    MoveTo(1, 1);
    EXPECT_TRUE(
        Grid->FindAndReplace("word", "term", TFindOptions{frDown, frReplaceAll, frWholeWord}));
    EXPECT_EQ(C(1, 1)->GetText(), "a term");
    EXPECT_EQ(C(2, 2)->GetText(), "term");
    EXPECT_EQ(C(3, 3)->GetText(), "Words");
    EXPECT_EQ(Current(), std::pair(2, 2));
    // A formula cell's text is its value; replacing it leaves a plain value.
    MoveTo(1, 1);
    EXPECT_TRUE(Grid->FindAndReplace("2", "two", TFindOptions{frDown, frReplaceAll}));
    EXPECT_EQ(C(4, 1)->GetText(), "two");
    EXPECT_EQ(C(4, 1)->GetFormula(), "");
}

TEST_F(FindTest, FixedCellsAreSearchedButAMatchThereIsPassedOverUnlessReplacingAll) {
    C(0, 3)->SetText("key");  // in the fixed column
    C(2, 4)->SetText("key");
    MoveTo(1, 1);
    EXPECT_TRUE(Grid->Find("key", Down));
    EXPECT_EQ(Current(), std::pair(2, 4));
    EXPECT_FALSE(Grid->Find("key", Down));
    MoveTo(1, 1);
    EXPECT_TRUE(Grid->FindAndReplace("key", "lock", TFindOptions{frDown, frReplaceAll}));
    EXPECT_EQ(C(0, 3)->GetText(), "lock");
    EXPECT_EQ(C(2, 4)->GetText(), "lock");
}

TEST_F(FindTest, AHandlerThatRefusesTheMoveAndShrinksTheGridEndsTheSearch) {
    struct Case {
        const char* Name;
        std::pair<int, int> Refused;  // the first match, whose move the handler refuses
        std::pair<int, int> Later;    // a match still inside the shrunk grid
        std::function<void(TCarrelon*)> Shrink;
    };
    const std::vector<Case> Cases{
        {"rows deleted", {2, 2}, {3, 3}, [](TCarrelon* G) { G->SetRowCount(4); }},
        {"columns deleted", {3, 1}, {1, 2}, [](TCarrelon* G) { G->SetColCount(3); }},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        Grid->OnSelectCell = nullptr;
        Grid->SetColCount(5);
        Grid->SetRowCount(6);
        MoveTo(1, 1);
        C(K.Refused.first, K.Refused.second)->SetText("key");
        C(K.Later.first, K.Later.second)->SetText("key");
        bool Refused = false;
        Grid->OnSelectCell = [&](TObject*, int Col, int Row, bool& CanSelect) {
            if (Refused || std::pair(Col, Row) != K.Refused) return;
            Refused = true;
            CanSelect = false;
            K.Shrink(Grid);
        };
        // The walk would go on over the slots it counted before the grid shrank.
        EXPECT_FALSE(Grid->Find("key", Down));
        EXPECT_TRUE(Refused);
        EXPECT_EQ(Current(), std::pair(1, 1));
        C(K.Later.first, K.Later.second)->SetText("");
    }
}

TEST_F(FindTest, NoCurrentCellFindsNothing) {
    C(2, 2)->SetText("x");
    Grid->SetFixedRows(Grid->GetRowCount());
    ASSERT_EQ(Grid->GetRow(), -1);
    EXPECT_FALSE(Grid->Find("x", Down));
    EXPECT_FALSE(Grid->FindAndReplace("x", "y", TFindOptions{frDown, frReplaceAll}));
    EXPECT_EQ(C(2, 2)->GetText(), "x");
}

TEST(FindEditorTest, ARefusedEditorStopsTheSearch) {
    TTestForm Form;
    auto* Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
    Grid->SetFocus();
    ProcessPendingEvents();
    Grid->GetCells(3, 3)->SetText("target");
    OpenRefusingEditor(Grid, "typed");
    EXPECT_FALSE(Grid->Find("target", Down));
    EXPECT_EQ(Grid->GetCol(), 1);
    EXPECT_EQ(Grid->GetRow(), 1);
    // Allowed to leave, the search commits the edit first.
    Grid->OnCellChanged = nullptr;
    EXPECT_TRUE(Grid->Find("target", Down));
    EXPECT_EQ(Grid->GetCells(1, 1)->GetText(), "typed");
    EXPECT_EQ(Grid->GetCol(), 3);
}

// ---- hints --------------------------------------------------------------------------------

class HintTest : public FindTest {
protected:
    // Asks the grid for the hint of the cell under the pointer, as the application does.
    bool Show(TCarrelonCell* Under, THintInfo& Info) {
        Access::Internals(Grid).FHintCell = Under;
        Info.HintStr = Grid->GetHint();
        return Grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<std::intptr_t>(&Info)) == 0;
    }
};

TEST_F(HintTest, OwnHintGridsHintSuppressedAndFreedCell) {
    Grid->SetHint("grid hint");
    C(2, 2)->SetHint("own hint");
    THintInfo Info;
    EXPECT_TRUE(Show(C(2, 2), Info));
    EXPECT_EQ(Info.HintStr, "own hint");
    EXPECT_TRUE(Show(C(3, 3), Info));
    EXPECT_EQ(Info.HintStr, "grid hint");

    std::vector<std::pair<int, int>> Asked;
    Grid->OnShowHint = [&](TCarrelon*, int K, int R, AnsiString& Hint, bool& CanShow,
                           THintInfo& HintInfo) {
        Asked.emplace_back(K, R);
        Hint += "!";
        HintInfo.HintColor = clYellow;
        CanShow = K != 3;
    };
    EXPECT_TRUE(Show(MakeMergedCell(Grid, 1, 4, 2, 4), Info));
    EXPECT_EQ(Info.HintStr, "grid hint!");
    EXPECT_EQ(Info.HintColor, clYellow);
    EXPECT_FALSE(Show(C(3, 3), Info));
    EXPECT_EQ(Asked, (std::vector<std::pair<int, int>>{{1, 4}, {3, 3}}));

    // The cell under the pointer goes: the grid forgets it and shows its own hint.
    Asked.clear();
    Access::Internals(Grid).FHintCell = C(3, 5);
    ASSERT_TRUE(Grid->DeleteRow(5));
    EXPECT_EQ(Access::Internals(Grid).FHintCell, nullptr);
    Info.HintStr = Grid->GetHint();
    EXPECT_EQ(Grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<std::intptr_t>(&Info)), 0);
    EXPECT_EQ(Info.HintStr, "grid hint");
    EXPECT_TRUE(Asked.empty());
}

TEST(HintPointerTest, ThePointerOverACellShowsItsOwnHintAndElsewhereTheGrids) {
    THintPauseScope Pauses(10, 5);
    TTestForm Form;
    auto* Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
    Grid->SetShowHint(true);
    Grid->SetHint("grid hint");
    Grid->GetCells(2, 2)->SetHint("own hint");
    ProcessPendingEvents();
    // Moving onto a cell forgets the last hint; the pause runs from the next move.
    auto Hover = [&](int K, int R) {
        const TRect Box = Grid->CellRect(K, R);
        MouseMove(Grid, Box.Left + 3, Box.Top + 3);
        MouseMove(Grid, Box.Left + 4, Box.Top + 3);
        TestClock().Advance(10);
        return Application()->HintShowing() ? Application()->CurrentHint().HintStr : "(none)";
    };
    EXPECT_EQ(Hover(2, 2), "own hint");
    EXPECT_EQ(Hover(3, 1), "grid hint");
    EXPECT_EQ(Hover(2, 2), "own hint");
    Grid->OnShowHint = [](TCarrelon*, int, int, AnsiString&, bool& CanShow, THintInfo&) {
        CanShow = false;
    };
    EXPECT_EQ(Hover(3, 3), "(none)");
    Application()->CancelHint();
}

}  // namespace
}  // namespace carrelon::test
