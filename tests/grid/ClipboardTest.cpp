// Copying cells to the clipboard, cutting them and clearing the selection: the record each cell
// becomes, the text other programs read, the cells a cut leaves and the events it fires.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <memory>
#include <string>
#include <vector>

#include "grid/Carrelon.h"
#include "grid/CarrelonInplaceEditor.h"
#include "platform/controls/Streaming.h"
#include "platform/controls/WinUser.h"
#include "platform/devices/Clipboard.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/GridFixture.h"
#include "tests/support/SettingScopes.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

std::unique_ptr<TBitmap> SmallBitmap(int W = 4, int H = 3) {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    return B;
}

// The clipboard's component, as the paste reads it.
std::unique_ptr<TComponent> ClipboardComponent() {
    return std::unique_ptr<TComponent>(Clipboard()->GetComponent(nullptr, nullptr));
}

class ClipboardTest : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        Grid->SetColCount(6);
        Grid->SetRowCount(8);
        Clipboard()->Clear();
    }
    void TearDown() override {
        ExpectModelSound();
        GridFixture::TearDown();
    }
    TCarrelonCell* C(int Col, int Row) const { return Grid->GetCells(Col, Row); }
    void Select(std::initializer_list<std::pair<int, int>> Slots) {
        TSelectedCellList& L = Access::List(Grid->GetSelectedCells());
        L.Clear();
        for (auto [k, r] : Slots)
            L.Add(C(k, r));
    }
};

// ---- the clipboard record ------------------------------------------------------------------

TEST_F(ClipboardTest, RecordCarriesEffectiveAttributesBordersAndOwnSelectedColours) {
    Grid->GetCols(2)->SetTextAlignment(taCenter);  // inherited, so the record carries it
    Grid->GetCols(2)->SetColor(clAqua);
    TCarrelonCell* X = C(2, 3);
    X->SetText("text");
    X->SetHint("a hint");
    X->SetTextLayout(tlBottom);
    X->SetGraphicAlignment(taRightJustify);
    X->SetGraphicLayout(tlCenter);
    X->SetMaxLength(12);
    X->SetReadOnly(true);
    X->SetWordWrap(false);
    X->SetCheckBox(true);
    X->SetCheckBoxChecked(true);
    X->SetCheckBoxAlignment(taCenter);
    X->GetInnerBorder()->SetWidth(3);
    X->GetInnerBorder()->SetColor(clRed);
    X->SetSelectedColor(clYellow);
    X->GetFont()->SetName("Liberation Serif");
    X->GetFont()->SetColor(clNavy);
    TObject Attached;
    X->SetObject(&Attached);
    ASSERT_TRUE(X->CopyToClipboard());
    X->SetObject(nullptr);

    auto Read = ClipboardComponent();
    auto* S = dynamic_cast<TCarrelonClipboardCell*>(Read.get());
    ASSERT_NE(S, nullptr);
    EXPECT_EQ(S->GetCol(), 2);
    EXPECT_EQ(S->GetRow(), 3);
    EXPECT_EQ(S->GetValue().AsString(), "text");
    EXPECT_EQ(S->GetHint(), "a hint");
    EXPECT_EQ(S->GetColor(), clAqua);
    EXPECT_EQ(S->GetTextAlignment(), taCenter);
    EXPECT_EQ(S->GetTextLayout(), tlBottom);
    EXPECT_EQ(S->GetGraphicAlignment(), taRightJustify);
    EXPECT_EQ(S->GetGraphicLayout(), tlCenter);
    EXPECT_EQ(S->GetMaxLength(), 12);
    EXPECT_TRUE(S->GetReadOnly());
    EXPECT_FALSE(S->GetWordWrap());
    EXPECT_TRUE(S->GetCheckBox());
    EXPECT_TRUE(S->GetCheckBoxChecked());
    EXPECT_EQ(S->GetCheckBoxAlignment(), taCenter);
    EXPECT_EQ(S->GetInnerBorderWidth(), 3);
    EXPECT_EQ(S->GetInnerBorderColor(), clRed);
    EXPECT_EQ(S->GetOuterBorderWidth(), 0);  // the cell has none
    EXPECT_EQ(S->GetSelectedColor(), clYellow);
    EXPECT_EQ(S->GetSelectedFontColor(), clDefault);  // not the grid's
    EXPECT_FALSE(S->GetButton());
    EXPECT_EQ(S->GetFont()->GetName(), "Liberation Serif");
    EXPECT_EQ(S->GetFont()->GetColor(), clNavy);
    EXPECT_EQ(S->GetCellObject(), nullptr);  // attached objects never travel
    EXPECT_EQ(S->GetGraphic(), nullptr);
}

TEST(ClipboardClassesTest, AreRegisteredBeforeAnyCopyOrPaste) {
    // Nothing else registers them: a program can read the clipboard's cells from the start.
    EXPECT_NE(GetClass("TCarrelonClipboardCell"), nullptr);
    EXPECT_NE(GetClass("TCarrelonClipboardCells"), nullptr);
}

TEST_F(ClipboardTest, RecordCarriesTheWholeFontTheOuterBorderAButtonAndOwnColours) {
    TCarrelonCell* X = C(1, 2);
    X->SetText("b");
    X->SetButton(true);
    X->GetOuterBorder()->SetWidth(4);
    X->GetOuterBorder()->SetColor(clGreen);
    X->SetSelectedColor(clMaroon);
    X->SetSelectedFontColor(clLime);
    TFont F;
    F.SetName("Liberation Mono");
    F.SetHeight(-17);
    F.SetStyle(TFontStyles{fsBold, fsItalic, fsUnderline});
    F.SetCharset(SYMBOL_CHARSET);
    F.SetPitch(fpFixed);
    F.SetColor(clPurple);
    X->SetFont(&F);
    ASSERT_TRUE(X->CopyToClipboard());

    auto Read = ClipboardComponent();
    auto* S = dynamic_cast<TCarrelonClipboardCell*>(Read.get());
    ASSERT_NE(S, nullptr);
    EXPECT_TRUE(S->GetButton());
    EXPECT_EQ(S->GetOuterBorderWidth(), 4);
    EXPECT_EQ(S->GetOuterBorderColor(), clGreen);
    EXPECT_EQ(S->GetInnerBorderWidth(), 0);
    EXPECT_EQ(S->GetSelectedColor(), clMaroon);
    EXPECT_EQ(S->GetSelectedFontColor(), clLime);
    const TFont* R = S->GetFont();
    EXPECT_EQ(R->GetName(), "Liberation Mono");
    EXPECT_EQ(R->GetHeight(), -17);
    EXPECT_EQ(R->GetStyle(), (TFontStyles{fsBold, fsItalic, fsUnderline}));
    EXPECT_EQ(R->GetCharset(), SYMBOL_CHARSET);
    EXPECT_EQ(R->GetPitch(), fpFixed);
    EXPECT_EQ(R->GetColor(), clPurple);
}

TEST_F(ClipboardTest, ValuesKeepTheirVariantTypeThroughTheStream) {
    const std::vector<Variant> Values{
        Variant(),
        Variant("text"),
        Variant(42),
        Variant(static_cast<long long>(7)),
        Variant(static_cast<long long>(1) << 40),
        Variant(2.5),
        Variant(static_cast<float>(1.5f)),
        Variant(static_cast<short>(-3)),
        Variant(static_cast<unsigned char>(200)),
        Variant(static_cast<unsigned short>(60000)),
        Variant(static_cast<unsigned int>(4000000000u)),
        Variant(static_cast<signed char>(-5)),
        Variant(true),
        Variant(Currency::FromRaw(123456)),
        Variant(TDateTime(45000.5)),
        Variant::MakeOleStr("wide text"),
    };
    for (const Variant& V : Values) {
        SCOPED_TRACE(std::to_string(V.Type()));
        TCarrelonCell* X = C(1, 1);
        Access::StoreValue(X, V);
        ASSERT_TRUE(X->CopyToClipboard());
        auto Read = ClipboardComponent();
        auto* S = dynamic_cast<TCarrelonClipboardCell*>(Read.get());
        ASSERT_NE(S, nullptr);
        EXPECT_EQ(S->GetValue().Type(), V.Type());
        EXPECT_TRUE(S->GetValue().IsEmpty() ? V.IsEmpty() : S->GetValue() == V);
    }
}

TEST_F(ClipboardTest, SeveralCellsBecomeOneListWithItsMinimaAndNoGraphic) {
    C(1, 1)->SetText("a");
    C(3, 2)->SetText("b");
    C(3, 2)->SetGraphic(SmallBitmap().get());
    Select({{3, 2}, {1, 1}});
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
    auto Read = ClipboardComponent();
    auto* L = dynamic_cast<TCarrelonClipboardCells*>(Read.get());
    ASSERT_NE(L, nullptr);
    EXPECT_EQ(L->GetMinCol(), 1);
    EXPECT_EQ(L->GetMinRow(), 1);
    ASSERT_EQ(L->GetCellCount(), 2);
    EXPECT_EQ(L->GetCell(0)->GetCol(), 3);  // in the list's order
    EXPECT_NE(L->GetCell(0)->GetGraphic(), nullptr);
    EXPECT_EQ(L->GetCell(1)->GetValue().AsString(), "a");
}

TEST_F(ClipboardTest, OneCellOffersItsGraphicUnlessItIsAnIcon) {
    C(1, 1)->SetGraphic(SmallBitmap().get());
    ASSERT_TRUE(C(1, 1)->CopyToClipboard());
    EXPECT_TRUE(Clipboard()->HasFormat(CF_COMPONENT));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));

    // An icon made the way a program writes one.
    QImage Image(8, 8, QImage::Format_ARGB32);
    Image.fill(Qt::red);
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&Buffer, "ICO").write(Image));
    TIcon Icon;
    Icon.LoadFromData(std::vector<Byte>(Bytes.begin(), Bytes.end()));
    C(2, 2)->SetGraphic(&Icon);
    ASSERT_TRUE(C(2, 2)->CopyToClipboard());
    EXPECT_TRUE(Clipboard()->HasFormat(CF_COMPONENT));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
}

// ---- the text ------------------------------------------------------------------------------

TEST_F(ClipboardTest, TextQuotesMultiLineFieldsAndLaysOutTheBoundingBlock) {
    struct Case {
        const char* Name;
        std::vector<std::pair<std::pair<int, int>, const char*>> Cells;
        const char* Text;
    };
    const std::vector<Case> Cases{
        {"one cell of two lines", {{{1, 1}, "one\r\ntwo"}}, "\"one\ntwo\""},
        {"doubled quotes", {{{1, 1}, "say \"hi\"\r\nnow"}}, "\"say \"\"hi\"\"\nnow\""},
        {"a quote without a break stays raw", {{{1, 1}, "5\" pipe"}}, "5\" pipe"},
        {"unlisted slots are empty, no break after the last row",
         {{{1, 1}, "a"}, {{3, 2}, "b"}},
         "a\t\t\r\n\t\tb"},
        {"list order does not matter", {{{3, 2}, "b"}, {{1, 1}, "a"}}, "a\t\t\r\n\t\tb"},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        Access::List(Grid->GetSelectedCells()).Clear();
        for (auto& [Slot, Text] : K.Cells) {
            C(Slot.first, Slot.second)->SetText(Text);
            Access::List(Grid->GetSelectedCells()).Add(C(Slot.first, Slot.second));
        }
        ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
        EXPECT_EQ(Clipboard()->GetAsText(), K.Text);
    }
}

TEST_F(ClipboardTest, MergedCellGivesItsTextOnceAtItsTopLeftSlot) {
    MakeMergedCell(Grid, 1, 1, 2, 2)->SetText("m");
    C(3, 1)->SetText("x");
    ASSERT_TRUE(Grid->SetSelection(1, 1, 3, 2));
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    EXPECT_EQ(Clipboard()->GetAsText(), "m\t\tx\r\n\t\t");
    auto Read = ClipboardComponent();
    EXPECT_EQ(dynamic_cast<TCarrelonClipboardCells*>(Read.get())->GetCellCount(), 3);
}

TEST_F(ClipboardTest, WholeGridCopyLeavesOutTheHeadingsButKeepsOtherFixedCells) {
    Grid->SetColCount(3);
    Grid->SetRowCount(3);
    Grid->SetFixedRows(2);
    Grid->SetSpreadsheetHeaders(true);
    for (int k = 0; k < 3; ++k)
        for (int r = 0; r < 3; ++r)
            C(k, r)->SetText(std::to_string(k) + std::to_string(r));
    ASSERT_TRUE(Grid->CopyToClipboard());
    EXPECT_EQ(Clipboard()->GetAsText(), "11\t21\r\n12\t22");
}

TEST_F(ClipboardTest, CopyRefusedWithoutCellsOrWithTheEditorKeptOpen) {
    Access::List(Grid->GetSelectedCells()).Clear();
    EXPECT_FALSE(Grid->GetSelectedCells()->CopyToClipboard());
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
}

// ---- cut -----------------------------------------------------------------------------------

class TFreedProbe : public TObject {
public:
    explicit TFreedProbe(bool& Freed) : FFreed(Freed) {}
    ~TFreedProbe() override { FFreed = true; }

private:
    bool& FFreed;
};

TEST_F(ClipboardTest, CellCutSplitsEmptiesAndDropsFormattingWithOneEvent) {
    TCarrelonCell* X = MakeMergedCell(Grid, 2, 2, 3, 3);
    X->SetText("gone");
    X->SetColor(clRed);
    X->GetOuterBorder()->SetWidth(2);
    Grid->SetOptions(Grid->GetOptions() + TCarrelonOptions{cloFreeCellObjects});
    bool Freed = false;
    X->SetObject(new TFreedProbe(Freed));
    std::vector<std::pair<int, int>> Cuts;
    Grid->OnCellCut = [&](TCarrelon*, int K, int R) { Cuts.emplace_back(K, R); };
    ASSERT_TRUE(X->CutToClipboard());
    EXPECT_EQ(Clipboard()->GetAsText(), "gone");
    EXPECT_EQ(Cuts, (std::vector<std::pair<int, int>>{{2, 2}}));
    EXPECT_FALSE(X->IsMerged());
    EXPECT_TRUE(X->IsEmpty());
    EXPECT_FALSE(Access::HasProperties(X));
    EXPECT_EQ(X->GetColor(), Grid->GetCols(2)->GetColor());
    EXPECT_TRUE(Freed);
    EXPECT_NE(C(3, 3), X);
}

TEST_F(ClipboardTest, CellCutStopsWhenTheMergeCannotBeSplit) {
    TCarrelonCell* X = MakeMergedCell(Grid, 2, 2, 3, 3);
    X->SetText("kept");
    bool Cut = false;
    Grid->OnCellCut = [&](TCarrelon*, int, int) { Cut = true; };
    {
        TCellAllocationFailure Failure(0);
        EXPECT_FALSE(X->CutToClipboard());
    }
    EXPECT_FALSE(Cut);
    EXPECT_EQ(X->GetText(), "kept");
    EXPECT_EQ(C(3, 3), X);  // every slot still holds the merged cell
    EXPECT_EQ(X->GetEndCol(), 3);
    EXPECT_EQ(X->GetEndRow(), 3);
}

TEST_F(ClipboardTest, SelectionCutGivesEveryCoveredSlotItsOwnCellAndOneEventPerVisibleSlot) {
    TCarrelonCell* M = MakeMergedCell(Grid, 1, 1, 3, 2);
    M->SetText("m");
    C(4, 1)->SetText("x");
    ASSERT_TRUE(Grid->HideColumn(2));  // the merge now shows columns 1 and 2 (was 3)
    ASSERT_TRUE(Grid->SetSelection(1, 1, 3, 1));
    std::vector<std::pair<int, int>> Cuts;
    Grid->OnCellCut = [&](TCarrelon*, int K, int R) { Cuts.emplace_back(K, R); };
    const long long Before = Access::LiveCells();
    ASSERT_TRUE(Grid->GetSelectedCells()->CutToClipboard());
    EXPECT_EQ(Cuts, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}}));
    // Six slots (the hidden column's included) for the merge, one for the single cell.
    EXPECT_EQ(Access::LiveCells(), Before - 2 + 7);
    EXPECT_NE(Grid->GetAbsoluteCells(2, 1), Grid->GetAbsoluteCells(1, 1));
    EXPECT_TRUE(C(3, 1)->IsEmpty());
    EXPECT_EQ(Listed(Grid), (std::vector<std::pair<int, int>>{{Grid->GetCol(), Grid->GetRow()}}));
    const TGridCoord Anchor = Access::Internals(Grid).ReadFAnchor();
    EXPECT_EQ(Anchor.X, Grid->GetCol());
    EXPECT_EQ(Anchor.Y, Grid->GetRow());
    EXPECT_EQ(Clipboard()->GetAsText(), "m\t\tx");
}

TEST_F(ClipboardTest, SelectionCutEndsWhenTheCutHandlerSelectsMoreCells) {
    // The application merges the current row on every cut, so that the merged cell is listed
    // again each time; the cut takes only what was listed when it began.
    ASSERT_TRUE(Grid->FocusCell(2, 2));
    C(2, 2)->SetText("a");
    int Calls = 0;
    Grid->OnCellCut = [&](TCarrelon* G, int, int) {
        if (++Calls > 100) return;  // a cut that loops ends here instead of running forever
        G->MergeHoriz(G->GetCol(), G->GetColCount() - 1, G->GetRow(), ",");
    };
    ASSERT_TRUE(Grid->GetSelectedCells()->CutToClipboard());
    EXPECT_EQ(Calls, 1) << "one cell was listed when the cut began";
    EXPECT_EQ(Clipboard()->GetAsText(), "a");
    EXPECT_EQ(C(2, 2)->GetEndCol(), Grid->GetColCount() - 1) << "the handler's merge stays";
}

TEST_F(ClipboardTest, SelectionCutStopsItsEventsAtTheColumnsAHandlerLeaves) {
    ASSERT_TRUE(Grid->MergeHoriz(2, 5, 2, ","));
    Select({{2, 2}});
    std::vector<std::pair<int, int>> Outside;
    int Calls = 0;
    Grid->OnCellCut = [&](TCarrelon* G, int K, int R) {
        ++Calls;
        if (K >= G->GetColCount() || R >= G->GetRowCount()) Outside.emplace_back(K, R);
        G->SetColCount(3);  // the cut cell's columns 3 to 5 go
    };
    ASSERT_TRUE(Grid->GetSelectedCells()->CutToClipboard());
    EXPECT_EQ(Calls, 1) << "only column 2 of the cut cell is left after the first event";
    EXPECT_TRUE(Outside.empty()) << Outside.size() << " events for slots outside the grid";
    EXPECT_EQ(Grid->GetColCount(), 3);
}

TEST_F(ClipboardTest, SelectionCutOfACellWithNoVisibleColumnReplacesItSilently) {
    // Absolute columns 2 and 3 hidden: the merge over them has no visible column.
    TCarrelonCell* Hidden = MakeMergedCell(Grid, 2, 2, 3, 3);
    Hidden->SetText("hidden");
    C(1, 1)->SetText("shown");
    ASSERT_TRUE(Grid->HideColumn(2));
    ASSERT_TRUE(Grid->HideColumn(2));
    ASSERT_EQ(Hidden->GetStartCol(), -1);
    Select({{1, 1}});
    Access::List(Grid->GetSelectedCells()).Add(Hidden);
    std::vector<std::pair<int, int>> Cuts;
    Grid->OnCellCut = [&](TCarrelon*, int K, int R) { Cuts.emplace_back(K, R); };
    ASSERT_TRUE(Grid->GetSelectedCells()->CutToClipboard());
    EXPECT_EQ(Cuts, (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_EQ(Clipboard()->GetAsText(), "shown");
    // Each of its four slots holds an empty cell of its own.
    for (int a = 2; a <= 3; ++a)
        for (int r = 2; r <= 3; ++r) {
            SCOPED_TRACE(std::to_string(a) + "," + std::to_string(r));
            TCarrelonCell* Slot = Grid->GetAbsoluteCells(a, r);
            EXPECT_TRUE(Slot->IsEmpty());
            EXPECT_FALSE(Slot->IsMerged());
        }
    EXPECT_NE(Grid->GetAbsoluteCells(2, 2), Grid->GetAbsoluteCells(3, 3));
}

TEST_F(ClipboardTest, SelectionCutStoppedForWantOfMemoryReportsFailure) {
    C(1, 1)->SetText("a");
    C(2, 1)->SetText("b");
    C(3, 1)->SetText("c");
    ASSERT_TRUE(Grid->FocusCell(4, 4));
    Select({{1, 1}, {2, 1}, {3, 1}});
    const TGridCoord AnchorBefore = Access::Internals(Grid).ReadFAnchor();
    {
        // One new cell for the first cut cell, none for the second.
        TCellAllocationFailure Failure(1);
        EXPECT_FALSE(Grid->GetSelectedCells()->CutToClipboard());
    }
    EXPECT_EQ(Messages, (std::vector<AnsiString>{"Out of memory"}));
    EXPECT_TRUE(C(1, 1)->IsEmpty());
    EXPECT_EQ(C(2, 1)->GetText(), "b");
    EXPECT_EQ(C(3, 1)->GetText(), "c");
    // What was not cut stays selected, and the anchor where it was.
    EXPECT_EQ(Listed(Grid), (std::vector<std::pair<int, int>>{{2, 1}, {3, 1}}));
    const TGridCoord AnchorAfter = Access::Internals(Grid).ReadFAnchor();
    EXPECT_EQ(AnchorAfter.X, AnchorBefore.X);
    EXPECT_EQ(AnchorAfter.Y, AnchorBefore.Y);
    EXPECT_EQ(Clipboard()->GetAsText(), "a\tb\tc");
}

TEST_F(ClipboardTest, SelectionCutRecalculatesOnce) {
    Grid->SetSpreadsheetEnabled(true);
    C(1, 1)->SetValue(Variant(4.0));
    C(2, 4)->SetFormula("B2*2");
    EXPECT_EQ(C(2, 4)->GetText(), "8");
    int Recalculated = 0;
    Grid->OnRecalculated = [&](TObject*) { ++Recalculated; };
    Select({{1, 1}});
    ASSERT_TRUE(Grid->GetSelectedCells()->CutToClipboard());
    EXPECT_EQ(C(2, 4)->GetText(), "0");
    EXPECT_EQ(Recalculated, 1);
}

TEST_F(ClipboardTest, SelectionCutWithoutACurrentCellLeavesTheListEmpty) {
    Grid->SetFixedRows(Grid->GetRowCount());
    ASSERT_EQ(Grid->GetRow(), -1);
    Select({{1, 1}});
    Access::Internals(Grid).WriteFAnchor({2, 3});
    ASSERT_TRUE(Grid->GetSelectedCells()->CutToClipboard());
    EXPECT_EQ(Grid->GetSelectedCells()->GetCount(), 0);
    const TGridCoord Anchor = Access::Internals(Grid).ReadFAnchor();
    EXPECT_EQ(Anchor.X, 2);
    EXPECT_EQ(Anchor.Y, 3);
}

// ---- clear ---------------------------------------------------------------------------------

TEST_F(ClipboardTest, ClearSelectionSkipsProtectedEmptyAndRefusedCells) {
    C(1, 1)->SetText("plain");
    C(2, 1)->SetText("read-only");
    C(2, 1)->SetReadOnly(true);
    C(3, 1)->SetText("check");
    C(3, 1)->SetCheckBox(true);
    C(4, 1)->SetText("button");
    C(4, 1)->SetButton(true);
    C(5, 1)->SetText("refused");
    C(1, 2)->SetGraphic(SmallBitmap().get());
    Select({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {1, 2}, {2, 2}});
    std::vector<std::pair<int, int>> Asked, Cleared;
    Grid->OnClearCell = [&](TCarrelon*, int K, int R, bool& CanClear) {
        Asked.emplace_back(K, R);
        CanClear = K != 5;
    };
    Grid->OnCellCleared = [&](TCarrelon*, int K, int R) { Cleared.emplace_back(K, R); };
    Grid->ClearSelection();
    EXPECT_EQ(Asked, (std::vector<std::pair<int, int>>{{1, 1}, {5, 1}, {1, 2}}));
    EXPECT_EQ(Cleared, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}}));
    EXPECT_TRUE(C(1, 1)->IsEmpty());
    EXPECT_TRUE(C(1, 2)->IsEmpty());
    EXPECT_EQ(C(2, 1)->GetText(), "read-only");
    EXPECT_EQ(C(3, 1)->GetText(), "check");
    EXPECT_EQ(C(4, 1)->GetText(), "button");
    EXPECT_EQ(C(5, 1)->GetText(), "refused");
}

// The editor open on a selected cell, with the application refusing to leave it.
class ClipboardEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
        Grid->SetFocus();
        ProcessPendingEvents();
        Grid->GetCells(1, 1)->SetText("old");
        OpenRefusingEditor(Grid, "new");
    }
    TTestForm Form;
    TTestGrid* Grid = nullptr;
};

TEST_F(ClipboardEditorTest, EveryClipboardOperationIsRefusedWhileTheEditorStaysOpen) {
    Clipboard()->SetAsText("pasted");
    EXPECT_FALSE(Grid->CopyToClipboard());
    EXPECT_FALSE(Grid->GetSelectedCells()->CopyToClipboard());
    EXPECT_FALSE(Grid->GetSelectedCells()->CutToClipboard());
    EXPECT_FALSE(Grid->GetCells(1, 1)->CutToClipboard());
    EXPECT_FALSE(Grid->PasteFromClipboard());
    Grid->ClearSelection();
    EXPECT_EQ(Grid->GetCells(1, 1)->GetText(), "old");
    EXPECT_EQ(Clipboard()->GetAsText(), "pasted");
    EXPECT_TRUE(Grid->GetEditorMode());
}

TEST(ClipboardAlwaysShowEditorTest, CellCutReopensTheEditorOnlyOverTheEmptiedCell) {
    TTestForm Form;
    auto* Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
    Grid->SetFocus();
    ProcessPendingEvents();
    TCarrelonCell* X = MakeMergedCell(Grid, 1, 1, 2, 1);
    X->SetText("gone");
    ASSERT_TRUE(Grid->FocusCell(1, 1) || Grid->GetCol() == 1);
    Grid->SetOptions(Grid->GetOptions() + TCarrelonOptions{cloAlwaysShowEditor});
    Grid->SetEditorMode(false);
    ASSERT_FALSE(Grid->GetEditorMode());
    ASSERT_TRUE(X->CutToClipboard());
    EXPECT_EQ(Clipboard()->GetAsText(), "gone");
    EXPECT_TRUE(X->IsEmpty());
    // The editor opens again at the end, on the emptied cell.
    ASSERT_TRUE(Grid->GetEditorMode());
    EXPECT_EQ(Access::Internals(Grid).FInplaceEditor->GetText(), "");
    TypeText(Access::Internals(Grid).FInplaceEditor, "new");
    Grid->SetEditorMode(false);
    EXPECT_EQ(Grid->GetCells(1, 1)->GetText(), "new");
}

TEST(ClipboardKeysTest, CtrlCCtrlVShiftDelAndDelReachTheClipboardOperations) {
    TTestForm Form;
    auto* Grid = Form.Add<TTestGrid>(0, 0, 380, 280);
    Grid->SetFocus();
    ProcessPendingEvents();
    Grid->GetCells(1, 1)->SetText("moved");
    PressKey(Grid, 'C', TShiftState{ssCtrl});
    EXPECT_EQ(Clipboard()->GetAsText(), "moved");
    ASSERT_TRUE(Grid->FocusCell(2, 2));
    PressKey(Grid, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(Grid->GetCells(2, 2)->GetText(), "moved");
    PressKey(Grid, VK_DELETE);
    EXPECT_TRUE(Grid->GetCells(2, 2)->IsEmpty());
    ASSERT_TRUE(Grid->FocusCell(1, 1));
    PressKey(Grid, VK_DELETE, TShiftState{ssShift});
    EXPECT_TRUE(Grid->GetCells(1, 1)->IsEmpty());
    ASSERT_TRUE(Grid->FocusCell(3, 3));
    PressKey(Grid, VK_INSERT, TShiftState{ssShift});
    EXPECT_EQ(Grid->GetCells(3, 3)->GetText(), "moved");
}

}  // namespace
}  // namespace carrelon::test
