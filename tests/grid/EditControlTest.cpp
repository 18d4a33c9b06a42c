// Application-supplied edit controls on a shown form, driven by real key and focus events: the
// text into and out of each class of control, the opening with its options, growth and
// scrolling, the routing of keys, characters and wheel turns, validation, the focus leaving for
// another control, the least heights, following the cell, and the lifetimes of the control and
// the grid.
#include <functional>
#include <string>
#include <vector>

#include "grid/EditControlRoutines.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Locale.h"
#include "tests/support/SettingScopes.h"
#include "tests/support/ShownGridFixture.h"

namespace carrelon {
inline void PrintTo(const TRect& R, std::ostream* Out) {
    *Out << "(" << R.Left << "," << R.Top << "," << R.Right << "," << R.Bottom << ")";
}
}  // namespace carrelon

namespace carrelon::test {
namespace {

const TDateTime Today = EncodeDate(2021, 6, 5);

class EditControlTest : public ShownGridTest {
public:
    void SetUp() override {
        ShownGridTest::SetUp();
        Grid->SetBounds(10, 20, 380, 260);
        Grid->OnGetEditControl = [this](TCarrelon*, int, int, TWinControl*& C) { C = Offered; };
        ProcessPendingEvents();
    }

    // A control of class T on the grid's form, hidden, handed to every opening.
    template <class T>
    T* Offer(int Width = 100, int Height = 18) {
        T* C = Form.Add<T>(0, 0, Width, Height);
        C->SetVisible(false);
        Offered = C;
        return C;
    }
    void Open(int C, int R) {
        Place(C, R);
        Grid->SetEditorMode(true);
        ProcessPendingEvents();
    }
    bool Open() const { return Grid->GetEditorMode(); }
    TWinControl* Hooked() const { return Internals().FEditControl; }
    // The grid's border inside its window: the offset of its client area.
    int Border() const { return Grid->GetBorderWidthNC(); }
    // A slot's rectangle in the coordinates of the grid's parent.
    TRect OnParent(const TRect& R) const {
        const int X = Grid->GetLeft() + Border();
        const int Y = Grid->GetTop() + Border();
        return {R.Left + X, R.Top + Y, R.Right + X, R.Bottom + Y};
    }
    void PressIn(TWinControl* C, Word Key, TShiftState Shift = {}) {
        PressKey(C, Key, Shift);
        ProcessPendingEvents();
    }

    TFixedNow Now{Today + 0.5};
    TWinControl* Offered = nullptr;
};

TSizeConstraints AtLeast(int Width, int Height) {
    TSizeConstraints K;
    K.MinWidth = Width;
    K.MinHeight = Height;
    return K;
}

// ---- text in and out ----------------------------------------------------------------------

struct TTextCase {
    const char* Name;
    std::function<TWinControl*(EditControlTest&)> Make;
    AnsiString In;   // the cell's text
    AnsiString Out;  // the control's text out right after the opening filled it
};

template <class T>
T* WithItems(T* C) {
    for (const char* S : {"One", "Two", "Three"})
        C->GetItems()->Add(S);
    return C;
}

std::vector<TTextCase> TextCases() {
    auto Edit = [](EditControlTest& T) { return T.Offer<TEdit>(); };
    auto Memo = [](EditControlTest& T) { return T.Offer<TMemo>(100, 40); };
    auto Mask = [](EditControlTest& T) {
        auto* M = T.Offer<TMaskEdit>();
        M->SetEditMask("00/00/0000;1;_");
        return M;
    };
    auto Combo = [](EditControlTest& T) { return WithItems(T.Offer<TComboBox>()); };
    auto ListCombo = [](EditControlTest& T) {
        auto* C = WithItems(T.Offer<TComboBox>());
        C->SetStyle(csDropDownList);
        return C;
    };
    auto ComboEx = [](EditControlTest& T) { return WithItems(T.Offer<TComboBoxEx>()); };
    auto List = [](EditControlTest& T) { return WithItems(T.Offer<TListBox>(100, 60)); };
    auto Radio = [](EditControlTest& T) { return WithItems(T.Offer<TRadioGroup>(120, 90)); };
    auto Picker = [](EditControlTest& T) { return T.Offer<TDateTimePicker>(); };
    auto TimePicker = [](EditControlTest& T) {
        auto* P = T.Offer<TDateTimePicker>();
        P->SetKind(dtkTime);
        return P;
    };
    auto Calendar = [](EditControlTest& T) { return T.Offer<TMonthCalendar>(200, 160); };
    auto Track = [](EditControlTest& T) {
        auto* B = T.Offer<TTrackBar>(150, 30);
        B->SetMin(2);
        B->SetMax(8);
        return B;
    };
    auto Spin = [](EditControlTest& T) { return T.Offer<TCSpinEdit>(); };
    auto Panel = [](EditControlTest& T) {
        auto* P = T.Offer<TPanel>(100, 30);
        P->SetText("Cap");
        return P;
    };
    auto Group = [](EditControlTest& T) {
        auto* G = T.Offer<TGroupBox>(100, 60);
        G->SetText("Box");
        return G;
    };
    auto Button = [](EditControlTest& T) {
        auto* B = T.Offer<TButton>();
        B->SetText("Go");
        return B;
    };
    const AnsiString TodayText = DateToStr(Today);
    return {
        {"edit", Edit, "abc", "abc"},
        {"multi-line edit", Memo, "a\r\nb", "a\r\nb"},
        {"mask edit", Mask, "12/03/2024", "12/03/2024"},
        {"combo, item", Combo, "Two", "Two"},
        {"combo, free text", Combo, "Zed", "Zed"},
        {"drop-down list, item", ListCombo, "Three", "Three"},
        {"drop-down list, missing", ListCombo, "Zed", ""},
        {"extended combo, item", ComboEx, "Two", "Two"},
        {"extended combo, missing", ComboEx, "Zed", ""},
        {"list box, item", List, "One", "One"},
        {"list box, missing", List, "Zed", ""},
        {"radio group, item", Radio, "Two", "Two"},
        {"radio group, missing", Radio, "Blue", ""},
        {"picker, date", Picker, "14/3/2024", "14/3/2024"},
        {"picker, month name", Picker, "14 March 2024", "14/3/2024"},
        {"picker, short month name", Picker, "Mar 14, 2024", TodayText},
        {"picker, empty", Picker, "", TodayText},
        {"picker, unreadable", Picker, "no date", TodayText},
        {"time picker", TimePicker, "10:30", TimeToStr(EncodeTime(10, 30, 0, 0))},
        {"time picker, unreadable", TimePicker, "soon", TimeToStr(TDateTime(0.0))},
        {"calendar", Calendar, "1/2/2020", "1/2/2020"},
        {"calendar, unreadable", Calendar, "someday", TodayText},
        {"track bar", Track, "5", "5"},
        {"track bar, not a number", Track, "x", "2"},
        {"spin edit", Spin, "7", "7"},
        {"panel keeps its caption", Panel, "abc", "Cap"},
        {"group box keeps its caption", Group, "abc", "Box"},
        {"button keeps its caption", Button, "abc", "Go"},
    };
}

TEST_F(EditControlTest, TextGoesInByClassAndAnUnchangedCloseRewritesNothing) {
    TLocaleScope Locale;
    ShortDateFormat = "d/M/yyyy";
    DateSeparator = '/';
    int Changes = 0;
    Grid->OnCellChanged = [&](TCarrelon*, int, int, const AnsiString&, AnsiString&, bool&) {
        ++Changes;
    };
    for (const TTextCase& T : TextCases()) {
        TWinControl* C = T.Make(*this);
        Cell(2, 2)->SetText(T.In);
        Open(2, 2);
        ASSERT_TRUE(Open()) << T.Name;
        EXPECT_EQ(Internals().EditControlText(), T.Out) << T.Name;
        // Closing without a change keeps the cell's text, whatever the control could hold.
        Grid->SetEditorMode(false);
        EXPECT_FALSE(Open()) << T.Name;
        EXPECT_EQ(Cell(2, 2)->GetText(), T.In) << T.Name;
        EXPECT_EQ(Changes, 0) << T.Name;
        EXPECT_FALSE(C->GetVisible()) << T.Name;
        delete C;
    }
}

TEST_F(EditControlTest, ChosenItemsAndDatesComeOut) {
    TLocaleScope Locale;
    ShortDateFormat = "d/M/yyyy";
    auto* List = WithItems(Offer<TListBox>(100, 60));
    Open(2, 2);
    List->SetItemIndex(2);
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(2, 2)->GetText(), "Three");

    auto* Calendar = Offer<TMonthCalendar>(200, 160);
    Open(3, 2);
    Calendar->SetDate(EncodeDate(2022, 12, 31));
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(3, 2)->GetText(), "31/12/2022");

    auto* Track = Offer<TTrackBar>(150, 30);
    Track->SetMax(20);
    Open(4, 2);
    Track->SetPosition(12);
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(4, 2)->GetText(), "12");

    auto* Radio = WithItems(Offer<TRadioGroup>(120, 90));
    Cell(5, 2)->SetText("Nothing");
    Open(5, 2);
    Radio->SetItemIndex(0);
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(5, 2)->GetText(), "One");
}

TEST_F(EditControlTest, MovingThroughListColumnsWithTheEditorAlwaysShownRewritesNothing) {
    SetOption(cloTabs, true);
    struct TCase {
        const char* Name;
        std::function<TWinControl*()> Make;
    };
    const TCase Cases[] = {
        {"drop-down list",
         [this] {
             auto* C = WithItems(Offer<TComboBox>());
             C->SetStyle(csDropDownList);
             return C;
         }},
        {"list box", [this] { return WithItems(Offer<TListBox>(100, 60)); }},
    };
    const char* Texts[] = {"Zed", "", "Two", "two"};  // columns 2-5 of row 3
    for (const TCase& T : Cases) {
        TWinControl* C = T.Make();
        int Opened = 0, Changes = 0;
        Grid->OnGetEditControl = [&](TCarrelon*, int ACol, int, TWinControl*& Out) {
            Out = ACol >= 2 && ACol <= 5 ? C : nullptr;
            if (Out != nullptr) ++Opened;
        };
        Grid->OnCellChanged = [&](TCarrelon*, int, int, const AnsiString&, AnsiString&, bool&) {
            ++Changes;
        };
        for (int k = 0; k < 4; ++k)
            Cell(2 + k, 3)->SetText(Texts[k]);
        Place(1, 3);
        SetOption(cloAlwaysShowEditor, true);
        ASSERT_TRUE(Open()) << T.Name;
        // Tab from the in-place editor, through the control in columns 2-5, to column 6.
        for (int k = 1; k <= 5; ++k) {
            PressIn(k == 1 ? static_cast<TWinControl*>(Editor()) : C, VK_TAB);
            ASSERT_EQ(Current(), (TGridCoord{k + 1, 3})) << T.Name;
            ASSERT_TRUE(Open()) << T.Name << ", column " << k + 1;
        }
        EXPECT_EQ(Opened, 4) << T.Name;
        EXPECT_EQ(Changes, 0) << T.Name;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(Cell(2 + k, 3)->GetText(), Texts[k]) << T.Name << ", column " << 2 + k;
        SetOption(cloAlwaysShowEditor, false);
        Grid->OnCellChanged = nullptr;
        delete C;
    }
}

TEST_F(EditControlTest, HandlersChooseWhatGoesInAndWhatComesOut) {
    auto* Panel = Offer<TPanel>(100, 30);
    Panel->SetText("Cap");
    Cell(2, 2)->SetText("cell");
    std::vector<std::string> Seen;
    bool SetIt = true;
    Grid->OnGetEditControlText = [&](TCarrelon*, int C, int R, TWinControl* AControl,
                                     AnsiString& Value, bool& DoSetText) {
        Seen.push_back("text " + std::to_string(C) + "," + std::to_string(R) + " " + Value +
                       (DoSetText ? " set" : " keep") + (AControl == Panel ? " panel" : ""));
        Value = "<" + Value + ">";
        DoSetText = SetIt;
    };
    Grid->OnGetEditControlResult = [&](TCarrelon*, int, int, TWinControl*, AnsiString& Value) {
        Seen.push_back("result " + Value);
        Value += "!";
    };
    Open(2, 2);
    EXPECT_EQ(Panel->GetText(), "<cell>");
    Panel->SetText("typed");
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(2, 2)->GetText(), "typed!");
    EXPECT_EQ(Seen, (std::vector<std::string>{"text 2,2 cell keep panel", "result typed"}));

    // Left to its class, a panel keeps its caption.
    SetIt = false;
    Grid->OnGetEditControlResult = nullptr;
    Panel->SetText("Cap");
    Open(2, 3);
    EXPECT_EQ(Panel->GetText(), "Cap");
}

TEST_F(EditControlTest, CellChangedHandlerRewritesTheControlOrKeepsItOpen) {
    auto* Edit = Offer<TEdit>();
    bool Allow = false;
    Grid->OnCellChanged = [&](TCarrelon*, int, int, const AnsiString& Old, AnsiString& New,
                              bool& AllowExit) {
        EXPECT_EQ(Old, "");
        New = "[" + New + "]";
        AllowExit = Allow;
    };
    Open(2, 2);
    TypeText(Edit, "ab");
    EXPECT_TRUE(Internals().CheckEditorMode()) << "refused: still open";
    EXPECT_TRUE(Open());
    EXPECT_EQ(Edit->GetText(), "[ab]");
    EXPECT_EQ(Hooked(), Edit);
    // The hook is back: a key the edit does not use goes to the grid again.
    Allow = true;
    PressIn(Edit, VK_DOWN);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Cell(2, 2)->GetText(), "[[ab]]");
    EXPECT_EQ(Current(), (TGridCoord{2, 3}));
}

TEST_F(EditControlTest, ControlChangesReachOnSetEditText) {
    auto* Edit = Offer<TEdit>();
    std::vector<std::string> Texts;
    Grid->OnSetEditText = [&](TObject*, int, int, const AnsiString& V) { Texts.push_back(V); };
    Open(2, 2);
    Texts.clear();
    TypeText(Edit, "hi");
    EXPECT_EQ(Texts, (std::vector<std::string>{"h", "hi"}));
}

// ---- opening ------------------------------------------------------------------------------

TEST_F(EditControlTest, OpeningLaysTheControlOverTheCellWithTheOptions) {
    struct TCase {
        TCarrelonEditControlOptions Options;
    };
    Grid->SetEditColor(clYellow);
    Grid->SetEditFontColor(clRed);
    Cell(2, 2)->GetFont()->SetSize(14);
    for (const TCarrelonEditControlOptions Options :
         {TCarrelonEditControlOptions{}, TCarrelonEditControlOptions{ecoUseEditColor},
          TCarrelonEditControlOptions{ecoMakeFlat}, TCarrelonEditControlOptions{ecoUseCellFont},
          TCarrelonEditControlOptions{ecoUseEditFontColor},
          TCarrelonEditControlOptions{ecoUseCellFont, ecoUseEditFontColor}}) {
        Grid->SetEditControlOptions(Options);
        auto* Edit = Offer<TEdit>();
        Edit->SetTabStop(true);
        Edit->SetAlign(alTop);
        Edit->SetColor(clAqua);
        Edit->GetFont()->SetColor(clGreen);
        const int Size = Edit->GetFont()->GetSize();
        Open(2, 2);
        const std::string Name = "options " + std::to_string(Options.ToInt());
        ASSERT_TRUE(Open()) << Name;
        EXPECT_EQ(Edit->GetParent(), Grid->GetParent()) << Name;
        EXPECT_FALSE(Edit->GetTabStop()) << Name;
        EXPECT_EQ(Edit->GetAlign(), alNone) << Name;
        EXPECT_EQ(Edit->GetColor(), Options.Contains(ecoUseEditColor) ? clYellow : clAqua) << Name;
        EXPECT_EQ(Edit->GetCtl3D(), !Options.Contains(ecoMakeFlat)) << Name;
        EXPECT_EQ(Edit->GetFont()->GetSize(), Options.Contains(ecoUseCellFont) ? 14 : Size) << Name;
        const TColor FontColor = Options.Contains(ecoUseEditFontColor) ? clRed
                                 : Options.Contains(ecoUseCellFont)
                                     ? Cell(2, 2)->GetFont()->GetColor()
                                     : clGreen;
        EXPECT_EQ(Edit->GetFont()->GetColor(), FontColor) << Name;
        // Over the cell (its grid lines left out), in the parent's coordinates.
        EXPECT_EQ(Edit->GetBoundsRect(), OnParent(Grid->CellRect(2, 2))) << Name;
        // Shown and focused, yet unseen by the parent's alignment and tab order.
        EXPECT_TRUE(IsWindowVisible(Edit->GetHandle())) << Name;
        EXPECT_FALSE(Edit->GetVisible()) << Name;
        EXPECT_TRUE(Edit->Focused()) << Name;
        EXPECT_TRUE(Grid->Focused()) << Name;
        Grid->SetEditorMode(false);
        EXPECT_FALSE(IsWindowVisible(Edit->GetHandle())) << Name;
        EXPECT_TRUE(Grid->TWinControl::Focused()) << Name << ": the focus comes back";
        delete Edit;
    }
}

TEST_F(EditControlTest, EditFontColourReachesTheOpenControlWhateverItsOptions) {
    Grid->SetEditControlOptions({});
    auto* Edit = Offer<TEdit>();
    Open(2, 2);
    Grid->SetEditFontColor(clBlue);
    EXPECT_EQ(Edit->GetFont()->GetColor(), clBlue);
}

TEST_F(EditControlTest, ATallControlGrowsTheRowAndScrollsOnce) {
    // Row 12 fits as a plain row; row 30 lies far below the view.
    for (const int Row : {12, 30}) {
        for (const bool Grow : {true, false}) {
            const std::string Name = "row " + std::to_string(Row) + (Grow ? ", grown" : "");
            Grid->SetEditControlOptions(Grow ? TCarrelonEditControlOptions{ecoAutoIncreaseRowHeight}
                                             : TCarrelonEditControlOptions{});
            auto* Edit = Offer<TEdit>();
            Edit->SetConstraints(AtLeast(0, 60));
            Place(2, Row);
            Grid->SetTopRow(1);
            int Scrolls = 0;
            Grid->OnTopLeftChanged = [&](TObject*) { ++Scrolls; };
            Grid->SetEditorMode(true);
            ASSERT_TRUE(Open()) << Name;
            EXPECT_EQ(Grid->GetRowHeights(Row), Grow ? 60 + Grid->GetGridLineWidth() : 18) << Name;
            EXPECT_EQ(Scrolls, 1) << Name;
            const int Bottom = Edit->GetTop() + Edit->GetHeight() - Grid->GetTop() - Border();
            EXPECT_LE(Bottom, Grid->GetClientHeight()) << Name;
            EXPECT_GT(Bottom + Grid->GetRowHeights(Grid->GetTopRow()), Grid->GetClientHeight())
                << "scrolled one row too far, " << Name;
            EXPECT_EQ(Edit->GetTop(), OnParent(Grid->CellRect(2, Row)).Top) << Name;
            // The growth goes back with the edit when nothing changed.
            Grid->OnTopLeftChanged = nullptr;
            Grid->SetEditorMode(false);
            EXPECT_EQ(Grid->GetRowHeights(Row), 18) << Name;
            delete Edit;
        }
    }
}

TEST_F(EditControlTest, AWideControlWidensTheColumnAndScrollsSideways) {
    Grid->SetColCount(30);
    Grid->SetEditControlOptions({ecoAutoIncreaseColumnWidth});
    auto* Edit = Offer<TEdit>();
    Edit->SetConstraints(AtLeast(200, 0));
    Open(5, 2);
    ASSERT_TRUE(Open());
    EXPECT_EQ(Grid->GetColWidths(5), 200 + Grid->GetGridLineWidth());
    EXPECT_GT(Grid->GetLeftCol(), 1);
    EXPECT_LE(Edit->GetLeft() + Edit->GetWidth() - Grid->GetLeft() - Border(),
              Grid->GetClientWidth());
}

TEST_F(EditControlTest, AControlTallerThanTheViewStopsAtItsOwnRow) {
    // The last rows: the view cannot lift the cell further than its own row.
    auto* Edit = Offer<TEdit>();
    Edit->SetConstraints(AtLeast(0, 600));
    Grid->SetEditControlOptions({});
    Open(2, 39);
    ASSERT_TRUE(Open());
    EXPECT_LE(Grid->GetTopRow(), 39);
    Grid->SetEditorMode(false);
    Grid->SetTopRow(1);
    Open(2, 30);
    EXPECT_EQ(Grid->GetTopRow(), 30);
}

TEST_F(EditControlTest, AControlThatCannotTakeTheFocusOpensNothing) {
    auto* Edit = Offer<TEdit>();
    Edit->SetEnabled(false);
    Open(2, 2);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Hooked(), nullptr);
    EXPECT_FALSE(Edit->GetVisible());
    EXPECT_FALSE(Editor()->GetVisible() && IsWindowVisible(Editor()->GetHandle()))
        << "the in-place editor does not stand in";
    // The control is usable again once it can take the focus.
    Edit->SetEnabled(true);
    Grid->SetEditorMode(true);
    EXPECT_TRUE(Open());
}

TEST_F(EditControlTest, TheGridItsEditorOrAControlHoldingItAreNoEditControl) {
    auto* Panel = Offer<TPanel>(390, 290);
    for (TWinControl* C : {static_cast<TWinControl*>(Grid), static_cast<TWinControl*>(Editor()),
                           static_cast<TWinControl*>(Form.Get())}) {
        Offered = C;
        Open(2, 2);
        EXPECT_EQ(Hooked(), nullptr);
        EXPECT_TRUE(Open()) << "the in-place editor opens instead";
        Grid->SetEditorMode(false);
    }
    (void)Panel;
}

// ---- keys ---------------------------------------------------------------------------------

TEST_F(EditControlTest, KeysAtTheEdgesOfAnEditMoveTheGrid) {
    SetOption(cloTabs, true);
    auto* Edit = Offer<TEdit>();
    struct TCase {
        const char* Name;
        Word Key;
        int SelStart;  // -1: all selected
        TGridCoord After;
    };
    const TCase Cases[] = {
        {"Down", VK_DOWN, 1, {3, 4}},
        {"Up", VK_UP, 1, {3, 2}},
        {"Right at the end", VK_RIGHT, 3, {4, 3}},
        {"Right, all selected", VK_RIGHT, -1, {4, 3}},
        {"Right inside", VK_RIGHT, 1, {3, 3}},
        {"Left at the start", VK_LEFT, 0, {2, 3}},
        {"Left, all selected", VK_LEFT, -1, {2, 3}},
        {"Left inside", VK_LEFT, 2, {3, 3}},
        {"Tab", VK_TAB, 1, {4, 3}},
    };
    for (const TCase& T : Cases) {
        Cell(3, 3)->SetText("abc");
        Open(3, 3);
        ASSERT_TRUE(Open()) << T.Name;
        if (T.SelStart < 0) {
            Edit->SelectAll();
        } else {
            Edit->SetSelStart(T.SelStart);
            Edit->SetSelLength(0);
        }
        PressIn(Edit, T.Key);
        EXPECT_EQ(Current(), T.After) << T.Name;
        EXPECT_EQ(Open(), T.After == (TGridCoord{3, 3})) << T.Name;
        Grid->SetEditorMode(false);
    }
    // With Shift the edit keeps the key (it extends its selection).
    Open(3, 3);
    Edit->SetSelStart(3);
    PressIn(Edit, VK_RIGHT, {ssShift});
    EXPECT_TRUE(Open());
}

TEST_F(EditControlTest, AMultiLineEditKeepsUpDownAndEnter) {
    auto* Memo = Offer<TMemo>(100, 40);
    Cell(3, 3)->SetText("one\r\ntwo");
    Open(3, 3);
    Memo->SetSelStart(6);
    PressIn(Memo, VK_UP);
    PressIn(Memo, VK_RETURN);
    EXPECT_TRUE(Open());
    EXPECT_EQ(Current(), (TGridCoord{3, 3}));
    EXPECT_NE(Memo->GetText(), "one\r\ntwo");
    // Escape is never the control's.
    PressIn(Memo, VK_ESCAPE);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Cell(3, 3)->GetText(), "one\r\ntwo");
}

TEST_F(EditControlTest, EnterAndEscapeGoToTheGridUnlessTheControlClaimsThem) {
    SetOption(cloEnterThrough, true);
    auto* Edit = Offer<TEdit>();
    Open(3, 3);
    TypeText(Edit, "x");
    PressIn(Edit, VK_RETURN);
    EXPECT_EQ(Current(), (TGridCoord{4, 3})) << "Enter goes through as Tab";
    EXPECT_EQ(Cell(3, 3)->GetText(), "x");

    Open(3, 3);
    TypeText(Edit, "y");
    PressIn(Edit, VK_ESCAPE);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Cell(3, 3)->GetText(), "x") << "Escape cancels";

    // Claimed by the control, Escape still reaches the grid as the control's own key.
    int Claims = 0;
    const TWndMethod Own = Edit->GetWindowProc();
    Edit->SetWindowProc([Own, &Claims](TMessage& M) {
        if (M.Msg == CM_WANTSPECIALKEY && M.WParam == VK_ESCAPE) {
            ++Claims;
            M.Result = 1;
            return;
        }
        Own(M);
    });
    Open(3, 3);
    TypeText(Edit, "z");
    PressIn(Edit, VK_ESCAPE);
    EXPECT_EQ(Claims, 1);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Cell(3, 3)->GetText(), "x");
    Edit->SetWindowProc(nullptr);
}

TEST_F(EditControlTest, ComboStylesDecideWhetherLeftAndRightLeave) {
    auto* Combo = WithItems(Offer<TComboBox>());
    Cell(3, 3)->SetText("Two");
    for (const TComboBoxStyle Style : {csDropDown, csDropDownList}) {
        Combo->SetStyle(Style);
        Open(3, 3);
        ASSERT_TRUE(Open());
        PressIn(Combo, VK_RIGHT);
        const bool Leaves = Style == csDropDownList;
        EXPECT_EQ(Current(), (Leaves ? TGridCoord{4, 3} : TGridCoord{3, 3})) << Style;
        Grid->SetEditorMode(false);
    }
    EXPECT_EQ(Cell(3, 3)->GetText(), "Two");
}

TEST_F(EditControlTest, ArrowsStayInACalendarOrAnExtendedComboWhateverTheyAnswer) {
    // Each control's own procedure claims no key; the grid claims the arrows for the two
    // classes that use them, and only for those.
    struct TCase {
        const char* Name;
        std::function<TWinControl*()> Make;
        bool Keeps;
    };
    const TCase Cases[] = {
        {"calendar", [this] { return Offer<TMonthCalendar>(200, 160); }, true},
        {"extended combo", [this] { return WithItems(Offer<TComboBoxEx>()); }, true},
        {"track bar",
         [this] {
             auto* B = Offer<TTrackBar>(150, 30);
             B->SetMax(10);
             return B;
         },
         false},
    };
    for (const TCase& T : Cases) {
        TWinControl* C = T.Make();
        const TWndMethod Own = C->GetWindowProc();
        C->SetWindowProc([Own](TMessage& M) {
            Own(M);
            if (M.Msg == WM_GETDLGCODE) M.Result = 0;
        });
        for (const Word Key : {VK_DOWN, VK_RIGHT}) {
            Open(3, 3);
            ASSERT_TRUE(Open()) << T.Name;
            PressIn(C, Key);
            const TGridCoord Moved = Key == VK_DOWN ? TGridCoord{3, 4} : TGridCoord{4, 3};
            EXPECT_EQ(Current(), (T.Keeps ? TGridCoord{3, 3} : Moved)) << T.Name << ", key " << Key;
            EXPECT_EQ(Open(), T.Keeps) << T.Name << ", key " << Key;
            Grid->SetEditorMode(false);
        }
        C->SetWindowProc(nullptr);
        delete C;
    }
}

TEST_F(EditControlTest, ATabCharacterNeverReachesTheControl) {
    // Characters that arrive without their key, as an application posts them.
    auto* Memo = Offer<TMemo>(100, 40);
    auto Post = [&](char32_t Ch) {
        PostMessageA(Memo->GetHandle(), WM_CHAR, static_cast<std::intptr_t>(Ch), 0);
        ProcessPendingEvents();
    };
    Cell(3, 3)->SetText("ab");
    Open(3, 3);
    Memo->SetSelStart(2);
    Post(U'\t');
    Post(U'c');
    EXPECT_EQ(Memo->GetText(), "abc") << "the Tab is dropped, other characters go in";
    EXPECT_TRUE(Open());
    EXPECT_EQ(Current(), (TGridCoord{3, 3}));
    Grid->SetEditorMode(false);
    EXPECT_EQ(Cell(3, 3)->GetText(), "abc");
    // Unhooked, the control takes the Tab as it would.
    Memo->SetVisible(true);
    Memo->SetFocus();
    Post(U'\t');
    EXPECT_NE(Memo->GetText().find('\t'), std::string::npos);
}

TEST_F(EditControlTest, TheControlHandsWheelTurnsToTheGrid) {
    auto* Edit = Offer<TEdit>();
    std::vector<std::string> Heard;
    Grid->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& Handled) {
        Heard.push_back("grid");
        Handled = true;
    };
    Edit->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) {
        Heard.push_back("control");
    };
    Open(2, 5);
    Edit->Perform(CM_MOUSEWHEEL, MakeLParam(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(Heard, std::vector<std::string>{"grid"});
    Grid->SetEditorMode(false);
    Heard.clear();
    Edit->Perform(CM_MOUSEWHEEL, MakeLParam(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(Heard, std::vector<std::string>{"control"}) << "unhooked, the control has it";
}

// A panel of three radio buttons, each a tab stop, handed out as one control.
struct TRadioPanel {
    TPanel* Panel;
    std::vector<TRadioButton*> Buttons;
};

TRadioPanel MakeRadioPanel(EditControlTest& T, bool TabStops) {
    TRadioPanel R{T.Offer<TPanel>(120, 70), {}};
    for (int i = 0; i < 3; ++i) {
        auto* B = T.Form.Add<TRadioButton>(4, 4 + 20 * i, 100, 18, R.Panel);
        B->SetText("Choice " + std::to_string(i));
        B->SetTabStop(TabStops);
        R.Buttons.push_back(B);
    }
    return R;
}

TEST_F(EditControlTest, TabWalksThePanelsButtonsThenLeavesToTheGrid) {
    SetOption(cloTabs, true);
    const TRadioPanel P = MakeRadioPanel(*this, true);
    Open(3, 3);
    ASSERT_TRUE(Open());
    // The panel is unseen by the framework: its buttons take the window focus as a click gives
    // it.
    WindowsSetFocus(P.Buttons[0]->GetHandle());
    ASSERT_TRUE(P.Buttons[0]->Focused());
    PressIn(P.Buttons[0], VK_TAB);
    EXPECT_TRUE(P.Buttons[1]->Focused());
    PressIn(P.Buttons[1], VK_TAB);
    EXPECT_TRUE(P.Buttons[2]->Focused());
    EXPECT_TRUE(Open());
    EXPECT_FALSE(P.Panel->GetVisible()) << "unseen by the form between searches";
    PressIn(P.Buttons[2], VK_TAB);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Current(), (TGridCoord{4, 3}));

    // Arrows step between the buttons; Escape always reaches the grid.
    Open(3, 3);
    WindowsSetFocus(P.Buttons[0]->GetHandle());
    PressIn(P.Buttons[0], VK_DOWN);
    EXPECT_TRUE(P.Buttons[1]->Focused());
    EXPECT_TRUE(Open());
    PressIn(P.Buttons[1], VK_ESCAPE);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Current(), (TGridCoord{3, 3}));
}

TEST_F(EditControlTest, TabWithNoNextControlGoesToTheGrid) {
    SetOption(cloTabs, true);
    const TRadioPanel P = MakeRadioPanel(*this, false);
    Grid->SetTabStop(false);
    Open(3, 3);
    WindowsSetFocus(P.Buttons[1]->GetHandle());
    ASSERT_TRUE(P.Buttons[1]->Focused());
    PressIn(P.Buttons[1], VK_TAB);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Current(), (TGridCoord{4, 3}));
}

// ---- validation ---------------------------------------------------------------------------

TEST_F(EditControlTest, AFailedValidationKeepsTheEditOpenAndRaisesNothing) {
    auto* Mask = Offer<TMaskEdit>();
    Mask->SetEditMask("00/00/0000;1;_");
    int Exceptions = 0;
    TExceptionHandlerScope Handler([&](TObject*, const std::exception&) { ++Exceptions; });
    int ExitHandler = 0;
    Mask->OnExit = [&](TObject*) { ++ExitHandler; };
    std::vector<std::string> Errors;
    Grid->OnEditControlValidateError = [&](TCarrelon*, int C, int R, const AnsiString& Message) {
        Errors.push_back(std::to_string(C) + "," + std::to_string(R) + " " + Message);
    };
    Open(3, 3);
    TypeText(Mask, "12");
    PressIn(Mask, VK_DOWN);
    EXPECT_TRUE(Open());
    EXPECT_EQ(Current(), (TGridCoord{3, 3}));
    EXPECT_TRUE(Internals().CheckEditorMode());
    ASSERT_EQ(Errors.size(), 2u);
    EXPECT_EQ(Errors[0].substr(0, 4), "3,3 ");
    EXPECT_EQ(ExitHandler, 0) << "the application's OnExit is not validation";
    EXPECT_EQ(Exceptions, 0);
    EXPECT_EQ(Cell(3, 3)->GetText(), "");

    // Completed, it closes and commits.
    Mask->SetText("01/02/2003");
    PressIn(Mask, VK_DOWN);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Cell(3, 3)->GetText(), "01/02/2003");
    EXPECT_EQ(Current(), (TGridCoord{3, 4}));
    EXPECT_TRUE(static_cast<bool>(Mask->OnExit)) << "OnExit is attached again";
}

TEST_F(EditControlTest, AnOpenEditRefusesTheFormsCloseOnce) {
    auto* Mask = Offer<TMaskEdit>();
    Mask->SetEditMask("00;1;_");
    int Closes = 0;
    Form->OnCloseQuery = [&](TObject*, bool&) { ++Closes; };
    Open(3, 3);
    TypeText(Mask, "1");
    Form->Close();
    ProcessPendingEvents();
    EXPECT_TRUE(Open());
    EXPECT_TRUE(Form->GetVisible());
    EXPECT_EQ(Closes, 0);
    Grid->SetEditorMode(false);
}

// ---- the focus leaving for another control of the form ---------------------------------------

TEST_F(EditControlTest, FocusLeavingForAnotherControlClosesTheEditFromTheControlsOwnExit) {
    auto* Edit = Offer<TEdit>();
    auto* Other = Form.Add<TEdit>(0, 0, 80, 18);
    int ControlExits = 0, GridExits = 0;
    Edit->OnExit = [&](TObject*) { ++ControlExits; };
    Grid->OnExit = [&](TObject*) { ++GridExits; };
    Open(2, 2);
    ASSERT_TRUE(Open());
    TypeText(Edit, "left");
    // The control's exit passes through the hook, and the grid closes the edit from inside it.
    Other->SetFocus();
    ProcessPendingEvents();
    EXPECT_FALSE(Open());
    EXPECT_EQ(Cell(2, 2)->GetText(), "left");
    EXPECT_EQ(Hooked(), nullptr);
    EXPECT_FALSE(IsWindowVisible(Edit->GetHandle()));
    EXPECT_TRUE(Other->Focused()) << "the focus stays where it went";
    EXPECT_EQ(ControlExits, 1) << "the application hears the real exit, not the validation";
    EXPECT_EQ(GridExits, 1);
    // Unhooked: what the control does no longer reaches the grid.
    std::vector<std::string> Texts;
    Grid->OnSetEditText = [&](TObject*, int, int, const AnsiString& V) { Texts.push_back(V); };
    Edit->SetVisible(true);
    Edit->SetFocus();
    TypeText(Edit, "z");
    ProcessPendingEvents();
    EXPECT_EQ(Texts, std::vector<std::string>{});
    EXPECT_EQ(Cell(2, 2)->GetText(), "left");
}

TEST_F(EditControlTest, FocusLeavingWithAFailedValidationKeepsTheEditOpen) {
    auto* Mask = Offer<TMaskEdit>();
    Mask->SetEditMask("00/00/0000;1;_");
    auto* Other = Form.Add<TEdit>(0, 0, 80, 18);
    int Exceptions = 0;
    TExceptionHandlerScope Handler([&](TObject*, const std::exception&) { ++Exceptions; });
    std::vector<std::string> Errors;
    Grid->OnEditControlValidateError = [&](TCarrelon*, int C, int R, const AnsiString& Message) {
        Errors.push_back(std::to_string(C) + "," + std::to_string(R) + " " + Message);
    };
    Open(3, 3);
    TypeText(Mask, "12");
    Other->SetFocus();
    ProcessPendingEvents();
    EXPECT_TRUE(Open());
    EXPECT_EQ(Hooked(), Mask) << "the hook stays";
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].substr(0, 4), "3,3 ");
    EXPECT_EQ(Exceptions, 0);
    EXPECT_EQ(Cell(3, 3)->GetText(), "");

    // Completed, the next exit closes and commits.
    WindowsSetFocus(Mask->GetHandle());
    ProcessPendingEvents();
    Mask->SetText("01/02/2003");
    Other->SetFocus();
    ProcessPendingEvents();
    EXPECT_FALSE(Open());
    EXPECT_EQ(Cell(3, 3)->GetText(), "01/02/2003");
    EXPECT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Hooked(), nullptr);
}

// ---- least heights, following the cell ------------------------------------------------------

TEST_F(EditControlTest, ComboAndSpinEditKeepTheirLeastHeightWhereThereIsRoom) {
    struct TCase {
        const char* Name;
        std::function<TWinControl*()> Make;
    };
    const TCase Cases[] = {
        {"combo", [this] { return WithItems(Offer<TComboBox>()); }},
        {"spin edit", [this] { return Offer<TCSpinEdit>(); }},
    };
    for (const TCase& T : Cases) {
        TWinControl* C = T.Make();
        const int Least = std::string(T.Name) == "combo" ? ComboEditHeight(C) : SpinEditHeight(C);
        EXPECT_GT(Least, 12) << T.Name;
        Grid->SetRowHeights(3, 12);
        Open(2, 3);
        ASSERT_TRUE(Open()) << T.Name;
        Grid->SetBounds(Grid->GetLeft(), Grid->GetTop(), Grid->GetWidth(), Grid->GetHeight());
        EXPECT_EQ(C->GetHeight(), Least) << T.Name;
        EXPECT_EQ(C->GetTop(), OnParent(Grid->CellRect(2, 3)).Top) << T.Name;
        Grid->SetEditorMode(false);

        // The client area ends two pixels below the row: no room, collapsed.
        const int Height = Grid->GetHeight();
        Open(2, 3);
        Grid->SetBounds(Grid->GetLeft(), Grid->GetTop(), Grid->GetWidth(),
                        Height - (Grid->GetClientHeight() - Grid->CellRect(2, 3).Bottom) + 2);
        ASSERT_EQ(Grid->GetClientHeight(), Grid->CellRect(2, 3).Bottom + 2) << T.Name;
        EXPECT_EQ(C->GetBoundsRect(), TRect{}) << T.Name;
        Grid->SetEditorMode(false);
        Grid->SetBounds(Grid->GetLeft(), Grid->GetTop(), Grid->GetWidth(), Height);
        Grid->SetRowHeights(3, 18);
        delete C;
    }
    // Plain controls follow the cell as it is.
    auto* Edit = Offer<TEdit>();
    Open(2, 3);
    Grid->SetColWidths(2, 90);
    Grid->SetBounds(Grid->GetLeft() + 5, Grid->GetTop(), Grid->GetWidth(), Grid->GetHeight());
    EXPECT_EQ(Edit->GetBoundsRect(), OnParent(Grid->CellRect(2, 3)));
}

TEST_F(EditControlTest, TheControlFollowsItsCellWhenTheGridScrolls) {
    auto* Edit = Offer<TEdit>();
    Open(2, 5);
    Grid->SetTopRow(3);
    EXPECT_EQ(Edit->GetBoundsRect(), OnParent(Grid->CellRect(2, 5)));
    EXPECT_TRUE(IsWindowVisible(Edit->GetHandle()));
    Grid->SetTopRow(8);
    EXPECT_FALSE(IsWindowVisible(Edit->GetHandle())) << "scrolled out";
    EXPECT_TRUE(Open());
    Grid->SetTopRow(1);
    EXPECT_TRUE(IsWindowVisible(Edit->GetHandle()));
    EXPECT_EQ(Edit->GetBoundsRect(), OnParent(Grid->CellRect(2, 5)));
}

TEST_F(EditControlTest, RowMeasuresTheTextOfAnOpenEditAndTheHeightOfOtherControls) {
    auto* Memo = Offer<TMemo>(100, 40);
    Open(2, 3);
    const int OneLine = TCarrelonTestAccess::CalcHeight(Cell(2, 3), -1);
    Memo->SetText("a\r\nb\r\nc");
    EXPECT_GT(TCarrelonTestAccess::CalcHeight(Cell(2, 3), -1), OneLine);
    Grid->SetEditorMode(false);
    auto* Spin = Offer<TCSpinEdit>(100, 30);
    Spin->SetConstraints(AtLeast(0, 30));
    Open(2, 5);
    EXPECT_EQ(Spin->GetHeight(), 30);
    EXPECT_EQ(TCarrelonTestAccess::CalcHeight(Cell(2, 5), -1), 30 + Grid->GetGridLineWidth());
}

TEST_F(EditControlTest, APressOnAnotherCellFitsTheRowOnlyWhenTheButtonComesUp) {
    SetOption(cloAutoIncreaseRowHeights, true);
    auto* Memo = Offer<TMemo>(100, 40);
    Open(2, 2);
    Memo->SetText("one\r\ntwo\r\nthree");
    const TPoint P = Middle(3, 6);
    MouseDown(Grid, mbLeft, P.X, P.Y);
    ProcessPendingEvents();
    EXPECT_FALSE(Open());
    EXPECT_EQ(Cell(2, 2)->GetText(), "one\r\ntwo\r\nthree");
    EXPECT_EQ(Grid->GetRowHeights(2), 18) << "not while the button is down";
    MouseUp(Grid, mbLeft, P.X, P.Y);
    ProcessPendingEvents();
    EXPECT_GT(Grid->GetRowHeights(2), 40);
}

TEST_F(EditControlTest, HidingTheGridDropsAnEditThatCannotClose) {
    auto* Edit = Offer<TEdit>();
    std::vector<std::string> Events;
    Grid->OnCellChanged = [&](TCarrelon*, int, int, const AnsiString&, AnsiString&,
                              bool& AllowExit) {
        Events.push_back("changed");
        AllowExit = false;
    };
    Grid->OnCellExit = [&](TCarrelon*, int, int) { Events.push_back("exit"); };
    Open(2, 2);
    TypeText(Edit, "new");
    Grid->SetVisible(false);
    EXPECT_FALSE(Open());
    EXPECT_FALSE(IsWindowVisible(Edit->GetHandle()));
    EXPECT_EQ(Cell(2, 2)->GetText(), "");
    EXPECT_EQ(Events, (std::vector<std::string>{"changed", "exit"}));
}

// ---- lifetimes ----------------------------------------------------------------------------

TEST_F(EditControlTest, AControlFreedWhileEditingCancelsTheEdit) {
    auto* Edit = Offer<TEdit>();
    int Exits = 0, Changes = 0;
    Grid->OnCellExit = [&](TCarrelon*, int, int) { ++Exits; };
    Grid->OnCellChanged = [&](TCarrelon*, int, int, const AnsiString&, AnsiString&, bool&) {
        ++Changes;
    };
    Open(2, 2);
    TypeText(Edit, "lost");
    delete Edit;
    Offered = nullptr;
    EXPECT_FALSE(Open());
    EXPECT_EQ(Hooked(), nullptr);
    EXPECT_EQ(Exits, 1);
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(Cell(2, 2)->GetText(), "");
    Press(VK_DOWN);
    EXPECT_EQ(Current(), (TGridCoord{2, 3}));
}

TEST_F(EditControlTest, AGridFreedWhileHookedGivesTheControlBack) {
    auto* Edit = Offer<TEdit>();
    int AppHook = 0;
    const TWndMethod Own = Edit->GetWindowProc();
    Edit->SetWindowProc([&AppHook, Own](TMessage& M) {
        if (M.Msg == WM_CHAR) ++AppHook;
        Own(M);
    });
    Open(2, 2);
    delete Grid;
    Grid = nullptr;
    EXPECT_FALSE(Edit->GetVisible());
    EXPECT_FALSE(IsWindowVisible(Edit->GetHandle())) << "hidden, its mark telling the truth";
    Edit->SetVisible(true);
    Edit->SetFocus();
    TypeText(Edit, "ok");
    ProcessPendingEvents();
    EXPECT_EQ(AppHook, 2) << "the application's own procedure is back";
    EXPECT_EQ(Edit->GetText(), "ok");
}

TEST_F(EditControlTest, AControlHandedOutAgainAfterItsFreeIsNotReused) {
    auto* Edit = Offer<TEdit>();
    Open(2, 2);
    Grid->SetEditorMode(false);
    delete Edit;
    Offered = nullptr;
    Open(2, 3);
    EXPECT_TRUE(Open());
    EXPECT_EQ(Hooked(), nullptr) << "the in-place editor";
}

// ---- dates and times out of free text -------------------------------------------------------

TEST(EditControlRoutines, TextToDateReadsWhatItCan) {
    TFixedNow Now(Today + 0.25);
    TLocaleScope Locale;
    ShortDateFormat = "d.M.yyyy";
    DateSeparator = '.';
    LongMonthNames[2] = "März";
    ShortMonthNames[2] = "Mär";
    struct TCase {
        const char* In;
        TDateTime Out;
    };
    const TCase Cases[] = {
        {"", Today},
        {"14.3.2024", EncodeDate(2024, 3, 14)},
        {"14 März 2024", EncodeDate(2024, 3, 14)},
        {"14 Mär 2024", EncodeDate(2024, 3, 14)},
        {"  14 -- 3 // 2024  ", EncodeDate(2024, 3, 14)},
        {"14 märz 2024", Today},  // month names are matched as written
        {"no date at all", Today},
        {"31.2.2024", Today},
        {"....", Today},
    };
    for (const TCase& T : Cases)
        EXPECT_EQ(TextToDate(T.In).Val, T.Out.Val) << "'" << T.In << "'";
}

TEST(EditControlRoutines, TextToTimeIsMidnightWhenUnreadable) {
    EXPECT_EQ(TextToTime("").Val, 0.0);
    EXPECT_EQ(TextToTime("later").Val, 0.0);
    EXPECT_DOUBLE_EQ(TextToTime("6:00").Val, 0.25);
}

}  // namespace
}  // namespace carrelon::test
