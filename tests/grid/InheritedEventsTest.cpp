// What the grid inherits from the control framework, through real Qt mouse events on a shown
// form: an automatic drag of the grid to another control, drops onto the grid and through its
// open editor, docking the grid onto a dock site, the context popup, and anchors with size
// limits as the form is resized.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinUser.h"
#include "tests/support/ShownGridFixture.h"

namespace carrelon::test {
namespace {

using Lines = std::vector<std::string>;

std::string NameOf(TObject* O) {
    auto* C = dynamic_cast<TComponent*>(O);
    return C == nullptr ? "nil" : C->GetName();
}

std::string At(int X, int Y) {
    return std::to_string(X) + "," + std::to_string(Y);
}

// The grid on the left of the form, a panel to its right.
class InheritedEventsTest : public ShownGridTest {
public:
    void SetUp() override {
        ShownGridTest::SetUp();
        Grid->SetName("Grid");
        Grid->SetBounds(0, 0, 250, 280);
        Panel = Form.Add<TPanel>(260, 10, 120, 120);
        Panel->SetName("Panel");
        ProcessPendingEvents();
    }
    void ClickAt(int C, int R) {
        const TPoint P = Middle(C, R);
        Click(Grid, P.X, P.Y);
        ProcessPendingEvents();
    }
    // A point of To's client area in From's client coordinates.
    static TPoint Seen(TControl* From, TControl* To, TPoint P) {
        return From->ScreenToClient(To->ClientToScreen(P));
    }

    TPanel* Panel = nullptr;
    Lines Log;
};

TEST_F(InheritedEventsTest, AutomaticDragCarriesTheGridInsteadOfSelecting) {
    Place(1, 1);
    Grid->SetDragMode(dmAutomatic);
    Grid->OnStartDrag = [this](TObject* S, TObject*&) { Log.push_back(NameOf(S) + " start"); };
    Grid->OnEndDrag = [this](TObject* S, TObject* Target, int X, int Y) {
        Log.push_back(NameOf(S) + " end " + NameOf(Target) + " " + At(X, Y));
    };
    Panel->OnDragOver = [this](TObject* S, TObject* Source, int, int, TDragState State,
                               bool& Accept) {
        if (State == dsDragEnter) Log.push_back(NameOf(S) + " enter " + NameOf(Source));
        Accept = true;
    };
    Panel->OnDragDrop = [this](TObject* S, TObject* Source, int X, int Y) {
        Log.push_back(NameOf(S) + " drop " + NameOf(Source) + " " + At(X, Y));
    };
    const TPoint P = Middle(3, 3);
    MouseDown(Grid, mbLeft, P.X, P.Y);
    EXPECT_TRUE(Grid->Dragging());
    EXPECT_EQ(Grid->FGridState, gsNormal) << "the press is the drag's, not a selection's";
    const TPoint Over = Seen(Grid, Panel, {10, 20});
    MouseMove(Grid, Over.X, Over.Y, {ssLeft});
    MouseUp(Grid, mbLeft, Over.X, Over.Y);
    ProcessPendingEvents();
    EXPECT_FALSE(Grid->Dragging());
    EXPECT_EQ(Log, (Lines{"Grid start", "Panel enter Grid", "Panel drop Grid 10,20",
                          "Grid end Panel 10,20"}));
    EXPECT_EQ(Current(), (TGridCoord{1, 1}));
    EXPECT_FALSE(Grid->GetEditorMode());
    // In dmManual the same press selects, as ever.
    Grid->SetDragMode(dmManual);
    ClickAt(3, 3);
    EXPECT_EQ(Current(), (TGridCoord{3, 3}));
    EXPECT_EQ(Log.size(), 4u);
}

TEST_F(InheritedEventsTest, DropsOntoTheGridAndItsOpenEditorArriveInGridCoordinates) {
    Panel->SetDragMode(dmAutomatic);
    Lines Seen;
    Grid->OnDragOver = [&](TObject* S, TObject* Source, int X, int Y, TDragState, bool& Accept) {
        Seen.push_back(NameOf(S) + " over " + NameOf(Source) + " " + At(X, Y));
        Accept = true;
    };
    Grid->OnDragDrop = [&](TObject* S, TObject*, int X, int Y) {
        Seen.push_back(NameOf(S) + " drop " + At(X, Y));
    };
    const TPoint Cell = Middle(4, 5);
    MouseDown(Panel, mbLeft, 5, 5);
    const TPoint OverCell = InheritedEventsTest::Seen(Panel, Grid, Cell);
    MouseMove(Panel, OverCell.X, OverCell.Y, {ssLeft});
    MouseUp(Panel, mbLeft, OverCell.X, OverCell.Y);
    EXPECT_EQ(Seen,
              (Lines{"Grid over Panel " + At(Cell.X, Cell.Y), "Grid drop " + At(Cell.X, Cell.Y)}));

    Seen.clear();
    Place(2, 2);
    Grid->SetEditorMode(true);
    ASSERT_TRUE(Grid->GetEditorMode());
    ProcessPendingEvents();
    const TPoint InGrid = Grid->ScreenToClient(Editor()->ClientToScreen({3, 4}));
    MouseDown(Panel, mbLeft, 5, 5);
    const TPoint OverEditor = InheritedEventsTest::Seen(Panel, Editor(), {3, 4});
    MouseMove(Panel, OverEditor.X, OverEditor.Y, {ssLeft});
    MouseUp(Panel, mbLeft, OverEditor.X, OverEditor.Y);
    EXPECT_EQ(Seen, (Lines{"Grid over Panel " + At(InGrid.X, InGrid.Y),
                           "Grid drop " + At(InGrid.X, InGrid.Y)}))
        << "the editor hands the drag to the grid";
    EXPECT_TRUE(Grid->GetEditorMode());
    Grid->SetEditorMode(false);

    // An edit control the application supplied hands it over too.
    Seen.clear();
    auto* Edit = Form.Add<TEdit>(0, 0, 80, 18);
    Edit->SetVisible(false);
    Grid->OnGetEditControl = [Edit](TCarrelon*, int, int, TWinControl*& C) { C = Edit; };
    Place(3, 3);
    Grid->SetEditorMode(true);
    ProcessPendingEvents();
    ASSERT_TRUE(IsWindowVisible(Edit->GetHandle()));
    const TPoint InGridToo = Grid->ScreenToClient(Edit->ClientToScreen({5, 2}));
    MouseDown(Panel, mbLeft, 5, 5);
    const TPoint OverEdit = InheritedEventsTest::Seen(Panel, Edit, {5, 2});
    MouseMove(Panel, OverEdit.X, OverEdit.Y, {ssLeft});
    MouseUp(Panel, mbLeft, OverEdit.X, OverEdit.Y);
    EXPECT_EQ(Seen, (Lines{"Grid over Panel " + At(InGridToo.X, InGridToo.Y),
                           "Grid drop " + At(InGridToo.X, InGridToo.Y)}));
    Grid->SetEditorMode(false);
}

TEST_F(InheritedEventsTest, DockDragPutsTheGridOnADockSite) {
    Grid->SetDragKind(dkDock);
    Grid->SetDragMode(dmAutomatic);
    Panel->SetDockSite(true);
    Grid->OnStartDock = [this](TObject* S, TObject*&) { Log.push_back(NameOf(S) + " start"); };
    Grid->OnEndDock = [this](TObject* S, TObject* Target, int X, int Y) {
        Log.push_back(NameOf(S) + " end " + NameOf(Target) + " " + At(X, Y));
    };
    MouseDown(Grid, mbLeft, 10, 10);
    const TPoint Over = Seen(Grid, Panel, {30, 40});
    MouseMove(Grid, Over.X, Over.Y, {ssLeft});
    MouseUp(Grid, mbLeft, Over.X, Over.Y);
    ProcessPendingEvents();
    EXPECT_EQ(Log, (Lines{"Grid start", "Grid end Panel 30,40"}));
    ASSERT_EQ(Grid->GetParent(), Panel);
    const TPoint Origin = Grid->GetClientOrigin();
    EXPECT_EQ(Grid->GetLeft(), 30 - 10 - Origin.X);
    EXPECT_EQ(Grid->GetTop(), 40 - 10 - Origin.Y);
    // The docked grid goes on working.
    EXPECT_TRUE(Grid->GetShowing());
    Grid->SetDragMode(dmManual);
    ClickAt(2, 1);
    EXPECT_EQ(Current(), (TGridCoord{2, 1}));
}

TEST_F(InheritedEventsTest, ContextPopupComesBeforeTheGridsPopupMenu) {
    auto* Menu = new TPopupMenu(Form.Get());
    auto* Item = new TMenuItem(Form.Get());
    Item->SetCaption("Copy");
    Menu->GetItems()->Add(Item);
    Grid->SetPopupMenu(Menu);
    bool Handle = true;
    Grid->OnContextPopup = [&](TObject* S, TPoint MousePos, bool& Handled) {
        Log.push_back(NameOf(S) + " " + At(MousePos.X, MousePos.Y));
        Handled = Handle;
    };
    const TPoint P = Middle(3, 4);
    MouseDown(Grid, mbRight, P.X, P.Y);
    MouseUp(Grid, mbRight, P.X, P.Y);
    EXPECT_FALSE(Menu->IsShowing());
    Handle = false;
    MouseDown(Grid, mbRight, P.X, P.Y);
    MouseUp(Grid, mbRight, P.X, P.Y);
    EXPECT_TRUE(Menu->IsShowing());
    Menu->CloseMenu();
    EXPECT_EQ(Log, (Lines{"Grid " + At(P.X, P.Y), "Grid " + At(P.X, P.Y)}));
}

TEST_F(InheritedEventsTest, AnchoredGridFollowsTheFormWithinItsConstraints) {
    Grid->SetAnchors({akLeft, akTop, akRight, akBottom});
    TSizeConstraints Limit;
    Limit.MaxHeight = 300;
    Grid->SetConstraints(Limit);
    Panel->SetAnchors({akTop, akRight});
    const TRect Before = Form->GetClientRect();
    Form->SetBounds(10, 10, 500, 400);
    ProcessPendingEvents();
    const TRect After = Form->GetClientRect();
    const int DX = After.Width() - Before.Width();
    const int DY = After.Height() - Before.Height();
    EXPECT_EQ(Grid->GetWidth(), 250 + DX);
    EXPECT_EQ(Grid->GetHeight(), std::min(280 + DY, 300));
    EXPECT_EQ(Panel->GetLeft(), 260 + DX);
    Form->SetBounds(10, 10, 400, 300);
    EXPECT_EQ(Grid->GetBoundsRect(), (TRect{0, 0, 250, 280}));
}

}  // namespace
}  // namespace carrelon::test
