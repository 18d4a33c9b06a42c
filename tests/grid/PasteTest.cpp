// Pasting into the grid: copied cells placed relative to the current cell, one copied cell into
// every selected cell, the four shapes of text, pictures, growth by the options, refusals by
// handlers and read-only targets, and hostile component streams that must change nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/Carrelon.h"
#include "platform/controls/Streaming.h"
#include "platform/controls/WinUser.h"
#include "platform/devices/Clipboard.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Streams.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/ControlsTestSupport.h"
#include "tests/support/GridFixture.h"

namespace carrelon::test {
namespace {

using Access = TCarrelonTestAccess;

class PasteTest : public GridFixture {
public:
    using GridFixture::Grid;
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
    void SetOption(TCarrelonOption O) { Grid->SetOptions(Grid->GetOptions() + O); }
    void Select(std::initializer_list<std::pair<int, int>> Slots) {
        TSelectedCellList& L = Access::List(Grid->GetSelectedCells());
        L.Clear();
        for (auto [k, r] : Slots)
            L.Add(C(k, r));
    }
    // The texts of the slots in rows First..Last, columns 1..ColCount-1, rows joined by "|".
    AnsiString Texts(int First, int Last) const {
        AnsiString S;
        for (int r = First; r <= Last; ++r) {
            if (r > First) S += "|";
            for (int k = 1; k < Grid->GetColCount(); ++k) {
                if (k > 1) S += ",";
                S += C(k, r)->GetText();
            }
        }
        return S;
    }
    // Puts a list of clipboard cells on the clipboard as a copy would.
    void OfferCells(const std::function<void(TCarrelonClipboardCells&)>& Fill) {
        TCarrelonClipboardCells L(nullptr);
        Fill(L);
        Clipboard()->SetComponent(&L);
    }
};

// ---- copied cells ---------------------------------------------------------------------------

TEST_F(PasteTest, CopiedBlockKeepsItsOffsetsFromTheCurrentCell) {
    C(1, 1)->SetText("a");
    C(2, 1)->SetText("b");
    C(1, 2)->SetText("c");
    C(2, 2)->SetColor(clRed);
    ASSERT_TRUE(Grid->SetSelection(1, 1, 2, 2));
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    ASSERT_TRUE(Grid->FocusCell(3, 4));
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(C(3, 4)->GetText(), "a");
    EXPECT_EQ(C(4, 4)->GetText(), "b");
    EXPECT_EQ(C(3, 5)->GetText(), "c");
    EXPECT_EQ(C(4, 5)->GetColor(), clRed);
}

TEST_F(PasteTest, CellsPastRightAndBottomAreLeftOutOrGrowTheGridByTheOptions) {
    C(1, 1)->SetText("a");
    C(3, 1)->SetText("b");
    C(1, 3)->SetText("c");
    Select({{1, 1}, {3, 1}, {1, 3}});
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    ASSERT_TRUE(Grid->FocusCell(4, 6));
    EXPECT_TRUE(Grid->PasteFromClipboard());  // skipped targets still count as success
    EXPECT_EQ(Grid->GetColCount(), 6);
    EXPECT_EQ(Grid->GetRowCount(), 8);
    EXPECT_EQ(C(4, 6)->GetText(), "a");

    SetOption(cloAddColsOnPaste);
    SetOption(cloAddRowsOnPaste);
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(Grid->GetColCount(), 7);
    EXPECT_EQ(Grid->GetRowCount(), 9);
    EXPECT_EQ(C(6, 6)->GetText(), "b");
    EXPECT_EQ(C(4, 8)->GetText(), "c");
}

TEST_F(PasteTest, OneCopiedCellGoesIntoEverySelectedCellWithItsFormulaShiftedForEach) {
    Grid->SetSpreadsheetEnabled(true);
    C(1, 1)->SetValue(Variant(2.0));
    C(1, 2)->SetValue(Variant(3.0));
    C(2, 1)->SetFormula("B2*10+$B$2");
    ASSERT_EQ(C(2, 1)->GetText(), "22");
    ASSERT_TRUE(C(2, 1)->CopyToClipboard());
    Select({{2, 2}, {3, 1}, {4, 5}});
    std::vector<std::pair<int, int>> Asked;
    Grid->OnPaste = [&](TCarrelon*, int K, int R, TCarrelonClipboardCell* S, bool& CanPaste) {
        Asked.emplace_back(K, R);
        EXPECT_EQ(S->GetFormula(), "B2*10+$B$2");
        CanPaste = K != 4;
    };
    EXPECT_FALSE(Grid->PasteFromClipboard());  // one refusal makes the result False
    EXPECT_EQ(Asked, (std::vector<std::pair<int, int>>{{2, 2}, {3, 1}, {4, 5}}));
    EXPECT_EQ(C(2, 2)->GetFormula(), "B3*10+$B$2");
    EXPECT_EQ(C(2, 2)->GetText(), "32");
    EXPECT_EQ(C(3, 1)->GetFormula(), "C2*10+$B$2");
    EXPECT_TRUE(C(4, 5)->IsEmpty());
}

TEST_F(PasteTest, MultiCellFormulasShiftByTheOffsetAndAreEvaluatedOnceAtTheEnd) {
    Grid->SetSpreadsheetEnabled(true);
    C(1, 1)->SetValue(Variant(5.0));
    C(2, 1)->SetFormula("B2+1");
    ASSERT_TRUE(Grid->SetSelection(1, 1, 2, 1));
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    ASSERT_TRUE(Grid->FocusCell(1, 3));
    int Evaluations = 0;
    Grid->OnRecalculateCell = [&](TCarrelon*, int, int, bool&, Variant&) { ++Evaluations; };
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(C(2, 3)->GetFormula(), "B4+1");
    EXPECT_EQ(C(2, 3)->GetText(), "6");
    EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
    // One recalculation of the grid's two formula cells: one pass that changes, one that does not.
    EXPECT_LE(Evaluations, 4);
}

TEST_F(PasteTest, CopiedCellsOverwriteReadOnlyCellsButTextSkipsThem) {
    C(1, 1)->SetText("new");
    ASSERT_TRUE(C(1, 1)->CopyToClipboard());
    C(2, 2)->SetText("locked");
    C(2, 2)->SetReadOnly(true);
    Select({{2, 2}});
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(C(2, 2)->GetText(), "new");

    C(3, 3)->SetText("locked");
    C(3, 3)->SetReadOnly(true);
    Clipboard()->SetAsText("x\ty");
    ASSERT_TRUE(Grid->FocusCell(2, 3));
    EXPECT_FALSE(Grid->PasteFromClipboard());
    EXPECT_EQ(C(2, 3)->GetText(), "x");
    EXPECT_EQ(C(3, 3)->GetText(), "locked");

    Select({{3, 3}});
    Clipboard()->SetAsText("plain");
    EXPECT_FALSE(Grid->PasteFromClipboard());
    EXPECT_EQ(C(3, 3)->GetText(), "locked");
}

TEST_F(PasteTest, ReplacedAttachedObjectIsFreedWhenTheGridOwnsThem) {
    struct TProbe : TObject {
        explicit TProbe(bool& F) : Freed(F) {}
        ~TProbe() override { Freed = true; }
        bool& Freed;
    };
    bool Freed = false;
    SetOption(cloFreeCellObjects);
    C(2, 2)->SetObject(new TProbe(Freed));
    ASSERT_TRUE(C(1, 1)->CopyToClipboard());
    Select({{2, 2}});
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_TRUE(Freed);
    EXPECT_EQ(C(2, 2)->GetObject(), nullptr);
}

TEST_F(PasteTest, FormattedMergedAndFormulaCellsGoToAnotherGrid) {
    Grid->SetSpreadsheetEnabled(true);
    C(1, 1)->SetValue(Variant(4.0));
    C(2, 1)->SetFormula("B2*2");
    TFont Bold;
    Bold.SetStyle(TFontStyles{fsBold});
    Bold.SetColor(clBlue);
    C(1, 2)->SetText("merged");
    C(1, 2)->SetFont(&Bold);
    C(1, 2)->SetTextAlignment(taCenter);
    ASSERT_TRUE(Grid->MergeHoriz(1, 2, 2, " "));
    ASSERT_TRUE(Grid->SetSelection(1, 1, 2, 2));
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    EXPECT_EQ(Clipboard()->GetAsText(), "4\t8\r\nmerged\t");

    auto* Other = new TCarrelon(Form.get());
    Other->SetParent(Form.get());
    Other->SetColCount(6);
    Other->SetRowCount(6);
    Other->SetSpreadsheetEnabled(true);
    ASSERT_TRUE(Other->FocusCell(3, 3));
    EXPECT_TRUE(Other->PasteFromClipboard());
    // The formula reads the cell at the same offset in the grid it lands in.
    EXPECT_EQ(Other->GetCells(4, 3)->GetFormula(), "D4*2");
    EXPECT_EQ(Other->GetCells(4, 3)->GetText(), "8");
    TCarrelonCell* M = Other->GetCells(3, 4);
    EXPECT_EQ(M->GetText(), "merged");
    EXPECT_EQ(M->GetTextAlignment(), taCenter);
    EXPECT_EQ(M->CalcFont()->GetColor(), clBlue);
    EXPECT_TRUE(M->CalcFont()->GetStyle().Contains(fsBold));
    // A merge is a layout of the source grid: the cell lands alone.
    EXPECT_EQ(M->GetEndCol(), 3);
    std::string Why;
    EXPECT_TRUE(Access::CheckModelInvariants(Other, &Why)) << Why;
}

// ---- text ---------------------------------------------------------------------------------

TEST_F(PasteTest, TextShapesFillABlockARowAColumnOrEverySelectedCell) {
    struct Case {
        const char* Name;
        const char* Text;
        const char* Rows12;  // rows 1 and 2 afterwards, current cell (1,1)
    };
    const std::vector<Case> Cases{
        {"block", "a\tb\r\nc\td", "a,b,,,|c,d,,,"},
        {"block with a trailing break", "a\tb\r\nc\td\r\n", "a,b,,,|c,d,,,"},
        {"block with a short line", "a\tb\tc\r\nd", "a,b,c,,|d,,,,"},
        {"row", "a\tb\tc", "a,b,c,,|,,,,"},
        {"row with a trailing break", "a\tb\r\n", "a,b,,,|,,,,"},
        {"column", "a\r\nb", "a,,,,|b,,,,"},
        {"column with a trailing break", "a\r\nb\r\n", "a,,,,|b,,,,"},
        {"plain goes into every selected cell", "p\r\n", "p,,p,,|,,,,"},
        {"quoted field with a doubled quote", "\"say \"\"hi\"\"\nnow\"\tx",
         "say \"hi\"\nnow,x,,,|,,,,"},
        {"empty fields", "\t\tz", ",,z,,|,,,,"},
        {"empty quoted field stays as it is", "\"\"\tz", "\"\",z,,,|,,,,"},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        for (int r = 1; r <= 3; ++r)
            for (int k = 1; k < 6; ++k)
                C(k, r)->SetText("");
        ASSERT_TRUE(Grid->FocusCell(1, 1) || Grid->GetCol() == 1);
        Select({{1, 1}, {3, 1}});
        Clipboard()->SetAsText(K.Text);
        EXPECT_TRUE(Grid->PasteFromClipboard());
        EXPECT_EQ(Texts(1, 2), K.Rows12);
        EXPECT_TRUE(C(1, 3)->IsEmpty());  // a trailing break adds no row
    }
}

TEST_F(PasteTest, TextRunningPastTheGridIsCutOrGrowsItByTheOptions) {
    ASSERT_TRUE(Grid->FocusCell(4, 6));
    Clipboard()->SetAsText("a\tb\tc\r\nd\te\tf\r\ng\th\ti");
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(C(5, 6)->GetText(), "b");
    EXPECT_EQ(C(4, 7)->GetText(), "d");
    EXPECT_EQ(Grid->GetColCount(), 6);
    EXPECT_EQ(Grid->GetRowCount(), 8);

    SetOption(cloAddColsOnPaste);
    SetOption(cloAddRowsOnPaste);
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(Grid->GetColCount(), 7);
    EXPECT_EQ(Grid->GetRowCount(), 9);
    EXPECT_EQ(C(6, 8)->GetText(), "i");
}

TEST_F(PasteTest, PlainTextHandlerMayChangeOrRefuseAndFlagsComeBackWhenItThrows) {
    Clipboard()->SetAsText("a\tb");
    Grid->OnPastePlainText = [](TCarrelon*, int K, int, AnsiString& Text, bool& CanPaste) {
        Text.insert(0, 1, '<');
        Text += '>';
        CanPaste = K != 2;
    };
    EXPECT_FALSE(Grid->PasteFromClipboard());
    EXPECT_EQ(C(1, 1)->GetText(), "<a>");
    EXPECT_TRUE(C(2, 1)->IsEmpty());

    Grid->SetSpreadsheetEnabled(true);
    Grid->OnPastePlainText = [](TCarrelon*, int, int, AnsiString&, bool&) {
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(Grid->PasteFromClipboard(), std::runtime_error);
    EXPECT_FALSE(Access::Internals(Grid).FPasting);

    C(1, 1)->SetText("x");
    ASSERT_TRUE(Grid->SetSelection(1, 1, 2, 1));
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    Grid->OnPaste = [](TCarrelon*, int, int, TCarrelonClipboardCell*, bool&) {
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(Grid->PasteFromClipboard(), std::runtime_error);
    EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
}

TEST_F(PasteTest, CopiedCellsPasteEndedByAHandlerRestoresRedrawAndTheLock) {
    Form->Show();
    ProcessPendingEvents();
    ASSERT_TRUE(IsWindowVisible(Grid->GetHandle()));
    Grid->SetSpreadsheetEnabled(true);
    C(1, 1)->SetText("x");
    ASSERT_TRUE(Grid->SetSelection(1, 1, 2, 1));
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    ASSERT_TRUE(Grid->FocusCell(2, 3));
    bool DrawingOffMeanwhile = false;
    Grid->OnPaste = [&](TCarrelon*, int, int, TCarrelonClipboardCell*, bool&) {
        DrawingOffMeanwhile = !IsWindowVisible(Grid->GetHandle());
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(Grid->PasteFromClipboard(), std::runtime_error);
    EXPECT_TRUE(DrawingOffMeanwhile);
    EXPECT_TRUE(IsWindowVisible(Grid->GetHandle()));
    EXPECT_EQ(Access::Internals(Grid).FUpdateCount, 0);
    EXPECT_TRUE(Grid->GetSpreadsheetEnabled());
    // Unlocked, a taller text fits its row again.
    const int Before = Grid->GetRowHeights(5);
    C(1, 5)->SetText("one\r\ntwo\r\nthree");
    EXPECT_GT(Grid->GetRowHeights(5), Before);
}

TEST_F(PasteTest, HandlersThatShrinkTheGridMidPasteLeaveOutOrRegrowTheTargetsPastIt) {
    const char* const Letters[] = {"a", "b", "c", "d", "e", "f"};
    for (int i = 0; i < 6; ++i)
        C(1 + i % 3, 1 + i / 3)->SetText(Letters[i]);
    ASSERT_TRUE(Grid->SetSelection(1, 1, 3, 2));
    ASSERT_TRUE(Grid->GetSelectedCells()->CopyToClipboard());
    // The block goes to columns 3..5, rows 4..5; the first target's handler cuts the grid to
    // columns 0..3 and rows 0..4.
    int Calls = 0;
    Grid->OnPaste = [&](TCarrelon*, int, int, TCarrelonClipboardCell*, bool&) {
        if (Calls++ == 0) {
            Grid->SetColCount(4);
            Grid->SetRowCount(5);
        }
    };
    ASSERT_TRUE(Grid->FocusCell(3, 4));
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(Grid->GetColCount(), 4);
    EXPECT_EQ(Grid->GetRowCount(), 5);
    EXPECT_EQ(C(3, 4)->GetText(), "a");
    ExpectModelSound();

    // With the growth options the targets past the new edges grow the grid back.
    Grid->SetColCount(6);
    Grid->SetRowCount(8);
    SetOption(cloAddColsOnPaste);
    SetOption(cloAddRowsOnPaste);
    Calls = 0;
    ASSERT_EQ(Grid->GetCol(), 3);
    ASSERT_EQ(Grid->GetRow(), 4);
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(Grid->GetColCount(), 6);
    EXPECT_EQ(Grid->GetRowCount(), 6);
    EXPECT_EQ(Texts(4, 5), ",,a,b,c|,,d,e,f");
    ExpectModelSound();

    // A handler deleting the row of the cell it is asked about: the paste goes on into the
    // slots the grid has then, and every cell it writes is one the grid still holds.
    Grid->OnPaste = [&](TCarrelon*, int, int R, TCarrelonClipboardCell*, bool&) {
        if (R < Grid->GetRowCount() - 1) Grid->DeleteRow(R);
    };
    ASSERT_TRUE(Grid->FocusCell(1, 1));
    Grid->PasteFromClipboard();
    ExpectModelSound();
}

TEST_F(PasteTest, BlockTextGrowsColumnsOnlyForTheLinesItPlaces) {
    struct Case {
        const char* Name;
        const char* Text;
        int Cols;  // the column count afterwards, pasted at (1, 6) of 6 x 8
    };
    const std::vector<Case> Cases{
        {"a wide line below the last row adds nothing", "a\tb\r\nc\td\r\n1\t2\t3\t4\t5\t6\t7\t8",
         6},
        {"a wide line in the last row grows the grid", "a\tb\r\n1\t2\t3\t4\t5\t6\t7\r\nc", 8},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        Grid->SetOptions(Grid->GetOptions() - cloAddColsOnPaste - cloAddRowsOnPaste);
        Grid->SetColCount(6);
        Grid->SetRowCount(8);
        SetOption(cloAddColsOnPaste);
        ASSERT_TRUE(Grid->FocusCell(1, 6) || Grid->GetCol() == 1);
        Clipboard()->SetAsText(K.Text);
        EXPECT_TRUE(Grid->PasteFromClipboard());
        EXPECT_EQ(Grid->GetColCount(), K.Cols);
        EXPECT_EQ(Grid->GetRowCount(), 8);
        EXPECT_EQ(C(2, 6)->GetText(), "b");
    }
}

TEST_F(PasteTest, NoCurrentCellRefusesShapedText) {
    Grid->SetFixedRows(Grid->GetRowCount());
    ASSERT_EQ(Grid->GetRow(), -1);
    Clipboard()->SetAsText("a\tb\r\nc\td");
    EXPECT_FALSE(Grid->PasteFromClipboard());
}

// ---- pictures -----------------------------------------------------------------------------

TEST_F(PasteTest, PictureGoesIntoTheCurrentCellAfterItsHandler) {
    TBitmap B;
    B.SetSize(5, 4);
    Clipboard()->Assign(&B);
    ASSERT_FALSE(Clipboard()->HasFormat(CF_TEXT));
    C(1, 1)->SetText("replaced");
    int Asked = 0;
    Grid->OnPasteGraphics = [&](TCarrelon*, int K, int R, TGraphic* G, bool&) {
        ++Asked;
        EXPECT_EQ(K, 1);
        EXPECT_EQ(R, 1);
        EXPECT_EQ(G->GetWidth(), 5);
    };
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(Asked, 1);
    ASSERT_NE(C(1, 1)->GetGraphic(), nullptr);
    EXPECT_EQ(C(1, 1)->GetGraphic()->GetHeight(), 4);
    EXPECT_TRUE(C(1, 1)->GetValue().IsEmpty());

    Grid->OnPasteGraphics = [](TCarrelon*, int, int, TGraphic*, bool& CanPaste) {
        CanPaste = false;
    };
    EXPECT_FALSE(C(2, 2)->PasteFromClipboard());
    EXPECT_EQ(C(2, 2)->GetGraphic(), nullptr);
}

// ---- hostile streams ----------------------------------------------------------------------

// The grid's texts, formulas, colours and counts, to tell whether a paste changed anything.
AnsiString Snapshot(TCarrelon* Grid) {
    AnsiString S = std::to_string(Grid->GetColCount()) + "x" + std::to_string(Grid->GetRowCount());
    for (int k = 0; k < Grid->GetColCount(); ++k)
        for (int r = 0; r < Grid->GetRowCount(); ++r) {
            TCarrelonCell* X = Grid->GetCells(k, r);
            S += '|';
            S += X->GetText();
            S += '/';
            S += X->GetFormula();
            S += '/';
            S += std::to_string(X->GetColor());
        }
    return S;
}

TEST_F(PasteTest, HostileComponentStreamsChangeNothing) {
    struct Case {
        const char* Name;
        std::function<void(PasteTest&)> Offer;
    };
    const std::vector<Case> Cases{
        {"truncated bytes",
         [](PasteTest& T) {
             T.C(1, 1)->SetText("x");
             T.Grid->SetSelection(1, 1, 2, 2);
             T.Grid->GetSelectedCells()->CopyToClipboard();
             std::vector<Byte> B = Clipboard()->GetAsBytes(CF_COMPONENT);
             B.resize(B.size() / 2);
             Clipboard()->SetAsBytes(CF_COMPONENT, B);
         }},
        {"garbage",
         [](PasteTest&) {
             Clipboard()->SetAsBytes(CF_COMPONENT, {1, 2, 3, 4, 5});
         }},
        {"foreign class",
         [](PasteTest&) {
             TComponent Other(nullptr);
             Clipboard()->SetComponent(&Other);
         }},
        {"negative coordinates",
         [](PasteTest& T) {
             T.OfferCells([](TCarrelonClipboardCells& L) {
                 L.AddCell()->SetValue(Variant("first"));
                 L.AddCell()->SetCol(-3);
             });
         }},
        {"coordinates past the largest count",
         [](PasteTest& T) {
             T.OfferCells([](TCarrelonClipboardCells& L) {
                 L.AddCell()->SetValue(Variant("first"));
                 L.AddCell()->SetRow(INT_MAX);
             });
         }},
        {"picture claiming more pixels than may be decoded",
         [](PasteTest& T) {
             TBitmap Small;
             Small.SetSize(4, 4);
             T.OfferCells([&](TCarrelonClipboardCells& L) {
                 L.AddCell()->SetValue(Variant("first"));
                 L.AddCell()->SetGraphic(&Small);
             });
             // The bitmap's header in the stream says 30000 x 30000 pixels.
             std::vector<Byte> B = Clipboard()->GetAsBytes(CF_COMPONENT);
             const Byte Signature[] = {'B', 'M'};
             auto At = std::search(B.begin(), B.end(), std::begin(Signature), std::end(Signature));
             ASSERT_NE(At, B.end());
             for (std::size_t Field : {std::size_t{18}, std::size_t{22}}) {
                 const std::size_t i = static_cast<std::size_t>(At - B.begin()) + Field;
                 ASSERT_LT(i + 3, B.size());
                 B[i] = 0x30;
                 B[i + 1] = 0x75;
                 B[i + 2] = B[i + 3] = 0;
             }
             Clipboard()->SetAsBytes(CF_COMPONENT, B);
         }},
        {"huge child count against the budget",
         [](PasteTest& T) {
             T.OfferCells([](TCarrelonClipboardCells& L) {
                 for (int i = 0; i < 60; ++i)
                     L.AddCell()->SetRow(i);
             });
             T.Grid->SetCellBudget(50);
         }},
        {"growth past the largest count",
         [](PasteTest& T) {
             T.SetOption(cloAddColsOnPaste);
             T.OfferCells([](TCarrelonClipboardCells& L) {
                 L.AddCell()->SetCol(0);
                 L.AddCell()->SetCol(TCarrelon::MaxCount - 1);
             });
         }},
        {"growth past the cell budget",
         [](PasteTest& T) {
             T.SetOption(cloAddRowsOnPaste);
             T.Grid->SetCellBudget(1000);
             T.OfferCells([](TCarrelonClipboardCells& L) {
                 L.AddCell()->SetValue(Variant("first"));
                 L.AddCell()->SetRow(100000);
             });
         }},
        {"bad colour",
         [](PasteTest& T) {
             T.OfferCells([](TCarrelonClipboardCells& L) {
                 L.AddCell()->SetValue(Variant("first"));
                 L.AddCell()->SetColor(0x7F000000);
             });
         }},
        {"a value no cell can show",
         [](PasteTest& T) {
             T.OfferCells([](TCarrelonClipboardCells& L) {
                 L.AddCell()->SetValue(Variant("first"));
                 L.AddCell()->SetValue(Variant(TDateTime(1e12)));
             });
         }},
        {"an error value",
         [](PasteTest& T) {
             T.OfferCells(
                 [](TCarrelonClipboardCells& L) { L.AddCell()->SetValue(Variant::MakeError(5)); });
         }},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        Grid->SetCellBudget(TCarrelon::DefaultCellBudget);
        Clipboard()->Clear();
        K.Offer(*this);
        ASSERT_TRUE(Grid->FocusCell(2, 2) || Grid->GetCol() == 2);
        const AnsiString Before = Snapshot(Grid);
        EXPECT_FALSE(Grid->PasteFromClipboard());
        EXPECT_FALSE(C(2, 2)->PasteFromClipboard());
        EXPECT_EQ(Snapshot(Grid), Before);
        ExpectModelSound();
    }
}

TEST_F(PasteTest, AStreamNamingAnotherRegisteredClassBuildsNothing) {
    Register();
    // The grid's own class, as the application registered it, made through a counting factory.
    static int Made = 0;
    static TComponentClassInfo Counted{"TCarrelon", [](TComponent* Owner) -> TComponent* {
                                           ++Made;
                                           return new TCarrelon(Owner);
                                       }};
    {
        TCarrelon Source(nullptr);
        Clipboard()->SetComponent(&Source);
    }
    RegisterClass(&Counted);
    Made = 0;
    ASSERT_TRUE(Grid->FocusCell(2, 2));
    const AnsiString Before = Snapshot(Grid);
    const int Owned = Grid->GetComponentCount();
    EXPECT_FALSE(Grid->PasteFromClipboard());
    EXPECT_FALSE(C(2, 2)->PasteFromClipboard());
    EXPECT_EQ(Made, 0) << "a grid was built from the clipboard's stream";
    EXPECT_EQ(Snapshot(Grid), Before);
    EXPECT_EQ(Grid->GetComponentCount(), Owned);
    Register();
}

TEST_F(PasteTest, StatedMinimaAreRecomputedFromTheCells) {
    OfferCells([](TCarrelonClipboardCells& L) {
        L.SetMinCol(100);  // a child lies left of it: the offsets come from the children
        L.SetMinRow(-5);
        TCarrelonClipboardCell* A = L.AddCell();
        A->SetCol(3);
        A->SetRow(3);
        A->SetValue(Variant("a"));
        TCarrelonClipboardCell* B = L.AddCell();
        B->SetCol(4);
        B->SetRow(4);
        B->SetValue(Variant("b"));
    });
    ASSERT_TRUE(Grid->FocusCell(2, 2));
    EXPECT_TRUE(Grid->PasteFromClipboard());
    EXPECT_EQ(C(2, 2)->GetText(), "a");
    EXPECT_EQ(C(3, 3)->GetText(), "b");
}

}  // namespace
}  // namespace carrelon::test
