// Dragging and docking driven by real Qt mouse and key events: automatic and manual starts, the
// threshold, the targets told on the way, the drop, the cursor, the ways a drag is cancelled,
// docking onto a dock site; then anchors following the parent's size and the context popup.
#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <string>
#include <vector>

#include "platform/controls/Menus.h"
#include "platform/controls/WinUser.h"
#include "tests/support/ControlsTestProbe.h"
#include "tests/support/ControlsTestSupport.h"

using namespace carrelon;
using namespace carrelon::test;

namespace {

// A windowless control, painted by its parent.
class TSpot : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
};

// The Qt cursor the drag shows, or none.
Qt::CursorShape ShownCursor() {
    const QCursor* C = QGuiApplication::overrideCursor();
    return C != nullptr ? C->shape() : Qt::BitmapCursor;
}

std::string At(TPoint P) {
    return std::to_string(P.X) + "," + std::to_string(P.Y);
}

std::string NameOf(TObject* O) {
    auto* C = dynamic_cast<TComponent*>(O);
    return C == nullptr ? "nil" : C->GetName();
}

// A source A, a target B below it and a free area to the right, all on one form; the drag
// events of both are logged.
struct DragTest : ::testing::Test {
    TTestForm Form;
    std::vector<std::string> Log;
    TProbe* A = nullptr;
    TProbe* B = nullptr;
    bool BAccepts = true;

    void SetUp() override {
        A = Form.Add<TProbe>(10, 10, 100, 50);
        A->SetName("A");
        B = Form.Add<TProbe>(10, 100, 100, 50);
        B->SetName("B");
        A->SetFocus();
        ProcessPendingEvents();
        A->OnStartDrag = [this](TObject* S, TObject*&) { Log.push_back(NameOf(S) + " start"); };
        A->OnEndDrag = [this](TObject* S, TObject* Target, int X, int Y) {
            Log.push_back(NameOf(S) + " end " + NameOf(Target) + " " + At({X, Y}));
        };
        B->OnDragOver = [this](TObject* S, TObject* Source, int X, int Y, TDragState State,
                               bool& Accept) {
            static const char* const States[] = {"enter", "leave", "move"};
            Log.push_back(NameOf(S) + " " + States[State] + " " + NameOf(Source) + " " +
                          At({X, Y}));
            Accept = BAccepts;
        };
        B->OnDragDrop = [this](TObject* S, TObject* Source, int X, int Y) {
            Log.push_back(NameOf(S) + " drop " + NameOf(Source) + " " + At({X, Y}));
        };
    }
    void TearDown() override { EXPECT_FALSE(A->Dragging()) << "a drag outlived its test"; }

    // A point of To's client area in From's client coordinates: where the pointer is for the
    // window that holds the mouse.
    static TPoint Seen(TControl* From, TControl* To, TPoint P) {
        return From->ScreenToClient(To->ClientToScreen(P));
    }
    void MoveOver(TControl* Over, TPoint P) {
        const TPoint S = Seen(A, Over, P);
        MouseMove(A, S.X, S.Y, {ssLeft});
    }
    void ReleaseOver(TControl* Over, TPoint P) {
        const TPoint S = Seen(A, Over, P);
        MouseUp(A, mbLeft, S.X, S.Y);
    }
};

using Lines = std::vector<std::string>;

}  // namespace

TEST_F(DragTest, AutomaticDragCarriesTheControlToATargetThatAcceptsIt) {
    std::vector<std::string> ProbeLog;
    A->Log = &ProbeLog;
    A->SetDragMode(dmAutomatic);
    MouseDown(A, mbLeft, 5, 5);
    EXPECT_TRUE(A->Dragging());
    MoveOver(B, {20, 20});
    MoveOver(B, {30, 25});
    ReleaseOver(B, {30, 25});
    EXPECT_FALSE(A->Dragging());
    EXPECT_EQ(Log, (Lines{"A start", "B enter A 20,20", "B move A 30,25", "B drop A 30,25",
                          "A end B 30,25"}));
    // The press and release were the drag's; A hears only that the drag let the mouse go.
    EXPECT_EQ(ProbeLog, Lines{"A CaptureChanged"});
}

TEST_F(DragTest, DragCursorShowsWhereTheTargetAcceptsAndNoDropElsewhere) {
    A->SetDragMode(dmAutomatic);
    A->SetDragCursor(crHandPoint);
    MouseDown(A, mbLeft, 5, 5);
    EXPECT_EQ(ShownCursor(), Qt::ForbiddenCursor) << "A takes no drop";
    MoveOver(B, {20, 20});
    EXPECT_EQ(ShownCursor(), Qt::PointingHandCursor);
    BAccepts = false;
    MoveOver(B, {21, 20});
    EXPECT_EQ(ShownCursor(), Qt::ForbiddenCursor);
    BAccepts = true;
    MoveOver(Form.Get(), {300, 200});
    EXPECT_EQ(ShownCursor(), Qt::ForbiddenCursor);
    MouseUp(A, mbLeft, 290, 190);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the end puts the cursor back";
}

TEST_F(DragTest, ReleaseWhereNothingAcceptsEndsWithoutATarget) {
    A->SetDragMode(dmAutomatic);
    MouseDown(A, mbLeft, 5, 5);
    MoveOver(B, {20, 20});
    MoveOver(Form.Get(), {300, 200});
    ReleaseOver(Form.Get(), {300, 200});
    EXPECT_EQ(Log, (Lines{"A start", "B enter A 20,20", "B leave A 290,100", "A end nil 0,0"}));
    Log.clear();
    // A target that refuses at the release takes no drop either.
    BAccepts = false;
    MouseDown(A, mbLeft, 5, 5);
    MoveOver(B, {20, 20});
    ReleaseOver(B, {20, 20});
    EXPECT_EQ(Log, (Lines{"A start", "B enter A 20,20", "A end nil 0,0"}));
}

TEST_F(DragTest, EscapeAnotherButtonAndALostCaptureCancel) {
    A->SetDragMode(dmAutomatic);
    const std::vector<std::pair<const char*, std::function<void()>>> Cancels = {
        {"Escape", [this] { PressKey(A, VK_ESCAPE); }},
        {"right button", [this] { MouseDown(A, mbRight, 20, 110); }},
        {"capture taken", [this] { B->SetMouseCapture(true); }},
        {"EndDrag(false)", [this] { A->EndDrag(false); }},
    };
    for (const auto& [Name, Cancel] : Cancels) {
        Log.clear();
        MouseDown(A, mbLeft, 5, 5);
        MoveOver(B, {20, 20});
        Cancel();
        EXPECT_FALSE(A->Dragging()) << Name;
        EXPECT_EQ(Log, (Lines{"A start", "B enter A 20,20", "A end nil 0,0"})) << Name;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << Name;
        ReleaseOver(B, {20, 20});
        EXPECT_EQ(Log.size(), 3u) << Name << ": the release after the end drops nothing";
        B->SetMouseCapture(false);
    }
    // EndDrag(true) drops where the pointer was last.
    Log.clear();
    MouseDown(A, mbLeft, 5, 5);
    MoveOver(B, {20, 20});
    A->EndDrag(true);
    EXPECT_EQ(Log, (Lines{"A start", "B enter A 20,20", "B drop A 20,20", "A end B 20,20"}));
}

TEST_F(DragTest, ManualDragWaitsForTheThresholdAndReleasesThePressWithoutAClick) {
    std::vector<std::string> ProbeLog;
    A->Log = &ProbeLog;
    A->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
        A->BeginDrag(false, 5);
    };
    int Clicks = 0;
    A->OnClick = [&](TObject*) { ++Clicks; };
    MouseDown(A, mbLeft, 5, 5);
    EXPECT_EQ(ProbeLog, (Lines{"A MouseDown 0 L 5,5", "A CaptureChanged", "A MouseUp 0  5,5"}));
    EXPECT_TRUE(A->Dragging());
    EXPECT_EQ(GetCapture(), A->GetHandle()) << "the drag holds the mouse";
    MouseMove(A, 9, 8, {ssLeft});
    EXPECT_EQ(Log, Lines{"A start"}) << "4 pixels are below the threshold";
    MouseMove(A, 10, 5, {ssLeft});
    EXPECT_EQ(Log, (Lines{"A start"})) << "A itself takes no drop and says nothing";
    MoveOver(B, {1, 1});
    ReleaseOver(B, {1, 1});
    EXPECT_EQ(Log.back(), "A end B 1,1");
    EXPECT_EQ(Clicks, 0);
    EXPECT_EQ(ProbeLog.size(), 4u) << "and the capture once more at the end";
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(DragTest, DragBegunWhileTheButtonIsDownReleasesItFirst) {
    std::vector<std::string> ProbeLog;
    A->Log = &ProbeLog;
    A->OnMouseMove = [this](TObject*, TShiftState Shift, int, int) {
        if (Shift.Contains(ssLeft) && !A->Dragging()) A->BeginDrag(true);
    };
    MouseDown(A, mbLeft, 5, 5);
    MouseMove(A, 12, 5, {ssLeft});
    EXPECT_TRUE(A->Dragging());
    EXPECT_EQ(ProbeLog, (Lines{"A MouseDown 0 L 5,5", "A CaptureChanged", "A MouseUp 0  12,5"}));
    MoveOver(B, {2, 3});
    ReleaseOver(B, {2, 3});
    EXPECT_EQ(Log, (Lines{"A start", "B enter A 2,3", "B drop A 2,3", "A end B 2,3"}));
}

TEST_F(DragTest, DragBegunFromCodeFollowsThePointerOverAnyWindow) {
    // No button is down: the moves reach the window under the pointer, not the source's.
    MouseMove(A, 5, 5);
    A->BeginDrag(true);
    MouseMove(B, 7, 8);
    MouseDown(B, mbLeft, 7, 8);
    MouseUp(B, mbLeft, 7, 8);
    EXPECT_EQ(Log, (Lines{"A start", "B enter A 7,8", "B drop A 7,8", "A end B 7,8"}));
}

TEST_F(DragTest, StartHandlerChoosesWhatTheDragCarries) {
    TComponent Parcel(nullptr);
    Parcel.SetName("Parcel");
    A->OnStartDrag = [&](TObject*, TObject*& DragObject) { DragObject = &Parcel; };
    A->SetDragMode(dmAutomatic);
    MouseDown(A, mbLeft, 5, 5);
    MoveOver(B, {4, 4});
    ReleaseOver(B, {4, 4});
    EXPECT_EQ(Log, (Lines{"B enter Parcel 4,4", "B drop Parcel 4,4", "A end B 4,4"}));
    // A start handler that ends the drag leaves none under way.
    Log.clear();
    A->OnStartDrag = [this](TObject*, TObject*&) { A->EndDrag(false); };
    MouseDown(A, mbLeft, 5, 5);
    EXPECT_FALSE(A->Dragging());
    EXPECT_EQ(Log, (Lines{"A end nil 0,0"}));
    MouseUp(A, mbLeft, 5, 5);
}

TEST_F(DragTest, WindowlessAndDisabledControlsUnderThePointer) {
    auto* Spot = Form.Add<TSpot>(200, 10, 40, 40);
    Spot->SetName("Spot");
    Spot->OnDragOver = [this](TObject* S, TObject*, int X, int Y, TDragState, bool& Accept) {
        Log.push_back(NameOf(S) + " over " + At({X, Y}));
        Accept = true;
    };
    Form->SetName("Form");
    Form->OnDragOver = [this](TObject* S, TObject*, int X, int Y, TDragState, bool& Accept) {
        Log.push_back(NameOf(S) + " over " + At({X, Y}));
        Accept = false;
    };
    A->SetDragMode(dmAutomatic);
    MouseDown(A, mbLeft, 5, 5);
    MoveOver(Spot, {3, 4});
    EXPECT_EQ(Log.back(), "Spot over 3,4");
    B->SetEnabled(false);
    MoveOver(B, {20, 20});
    EXPECT_EQ(Log.back(), "Form over 30,120") << "a disabled control leaves it to its parent";
    ReleaseOver(B, {20, 20});
    EXPECT_EQ(Log.back(), "A end nil 0,0");
}

TEST_F(DragTest, ControlsFreedDuringTheDragAreForgotten) {
    A->SetDragMode(dmAutomatic);
    MouseDown(A, mbLeft, 5, 5);
    MoveOver(B, {20, 20});
    delete B;
    ReleaseOver(Form.Get(), {30, 120});
    EXPECT_EQ(Log.back(), "A end nil 0,0");
    // A source freed while dragging takes its drag with it.
    auto* C = Form.Add<TProbe>(200, 10, 50, 50);
    C->SetDragMode(dmAutomatic);
    MouseDown(C, mbLeft, 5, 5);
    EXPECT_TRUE(C->Dragging());
    delete C;
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    MouseMove(A, 3, 3);
    EXPECT_FALSE(A->Dragging());
}

TEST_F(DragTest, AFormCannotBeDragged) {
    EXPECT_THROW(Form->BeginDrag(true), EInvalidOperation);
}

// ---- docking ---------------------------------------------------------------------------------

TEST_F(DragTest, DockDragPutsTheControlOnTheDockSiteUnderThePointer) {
    auto* Site = Form.Add<TProbe>(200, 10, 150, 150);
    Site->SetName("Site");
    Site->SetDockSite(true);
    A->SetDragKind(dkDock);
    A->SetDragMode(dmAutomatic);
    A->OnStartDock = [this](TObject* S, TObject*&) { Log.push_back(NameOf(S) + " start dock"); };
    A->OnEndDock = [this](TObject* S, TObject* Target, int X, int Y) {
        Log.push_back(NameOf(S) + " end dock " + NameOf(Target) + " " + At({X, Y}));
    };
    // Dropped where no site is, nothing moves.
    MouseDown(A, mbLeft, 5, 6);
    MoveOver(B, {20, 20});
    ReleaseOver(B, {20, 20});
    EXPECT_EQ(A->GetParent(), Form.Get());
    EXPECT_EQ(Log, (Lines{"A start dock", "A end dock nil 0,0"})) << "B heard of no dock drag";
    Log.clear();
    MouseDown(A, mbLeft, 5, 6);
    MoveOver(Site, {30, 40});
    EXPECT_EQ(ShownCursor(), Qt::DragCopyCursor);
    ReleaseOver(Site, {30, 40});
    EXPECT_EQ(Log, (Lines{"A start dock", "A end dock Site 30,40"}));
    ASSERT_EQ(A->GetParent(), Site);
    EXPECT_EQ(A->GetBoundsRect(), (TRect{25, 34, 125, 84})) << "the grabbed point is at the drop";
    ProcessPendingEvents();
    EXPECT_TRUE(A->HandleAllocated());
    EXPECT_TRUE(A->GetShowing());
    // Within its site it moves; it never docks into itself.
    A->SetDockSite(true);
    Log.clear();
    MouseDown(A, mbLeft, 5, 6);
    MouseMove(A, 40, 30, {ssLeft});
    MouseUp(A, mbLeft, 40, 30);
    EXPECT_EQ(A->GetParent(), Site);
    EXPECT_EQ(Log.back(), "A end dock Site 65,64");
    EXPECT_EQ(A->GetBoundsRect(), (TRect{60, 58, 160, 108}));
}

// ---- anchors ---------------------------------------------------------------------------------

TEST(Anchors, ChildrenFollowTheParentsSizeWithinTheirConstraints) {
    TTestForm Form;
    auto* Parent = Form.Add<TProbe>(0, 0, 200, 100);
    auto* Fixed = Form.Add<TProbe>(10, 10, 20, 20, Parent);
    auto* Right = Form.Add<TProbe>(150, 10, 40, 20, Parent);
    Right->SetAnchors({akTop, akRight});
    auto* Stretched = Form.Add<TProbe>(10, 40, 180, 20, Parent);
    Stretched->SetAnchors({akLeft, akTop, akRight, akBottom});
    auto* Centred = Form.Add<TProbe>(90, 70, 20, 10, Parent);
    Centred->SetAnchors({});
    TSizeConstraints Limit;
    Limit.MaxWidth = 250;
    Stretched->SetConstraints(Limit);

    Parent->SetBounds(0, 0, 300, 160);
    EXPECT_EQ(Fixed->GetBoundsRect(), (TRect{10, 10, 30, 30}));
    EXPECT_EQ(Right->GetBoundsRect(), (TRect{250, 10, 290, 30}));
    EXPECT_EQ(Stretched->GetBoundsRect(), (TRect{10, 40, 260, 120})) << "no wider than 250";
    EXPECT_EQ(Centred->GetBoundsRect(), (TRect{140, 115, 160, 125}));
    Parent->SetBounds(0, 0, 250, 100);
    EXPECT_EQ(Stretched->GetBoundsRect(), (TRect{10, 40, 240, 60}))
        << "the limit cost nothing at the next size";
    EXPECT_EQ(Right->GetLeft(), 200);
    // Moving the control from code is its new place to keep.
    Right->SetLeft(100);
    Parent->SetBounds(0, 0, 300, 100);
    EXPECT_EQ(Right->GetLeft(), 150);
}

TEST(Anchors, AResizedFormMovesItsAnchoredChildren) {
    TTestForm Form;
    auto* Corner = Form.Add<TProbe>(300, 200, 40, 30);
    Corner->SetAnchors({akRight, akBottom});
    const TRect Before = Form->GetClientRect();
    Form->SetBounds(10, 10, 500, 350);
    const TRect After = Form->GetClientRect();
    EXPECT_EQ(Corner->GetLeft(), 300 + After.Width() - Before.Width());
    EXPECT_EQ(Corner->GetTop(), 200 + After.Height() - Before.Height());
}

// ---- context popup --------------------------------------------------------------------------

TEST(ContextPopup, FiresBeforeThePopupMenuAndCanStopIt) {
    TTestForm Form;
    auto* P = Form.Add<TProbe>(10, 10, 80, 40);
    std::vector<std::string> Log;
    bool Handle = false;
    P->OnContextPopup = [&](TObject*, TPoint MousePos, bool& Handled) {
        Log.push_back(At(MousePos));
        Handled = Handle;
    };
    MouseDown(P, mbRight, 3, 4);
    MouseUp(P, mbRight, 3, 4);
    EXPECT_EQ(Log, Lines{"3,4"}) << "fires without a popup menu too";
    auto* Menu = new TPopupMenu(Form.Get());
    auto* Item = new TMenuItem(Form.Get());
    Item->SetCaption("One");
    Menu->GetItems()->Add(Item);
    P->SetPopupMenu(Menu);
    Handle = true;
    MouseDown(P, mbRight, 5, 6);
    MouseUp(P, mbRight, 5, 6);
    EXPECT_FALSE(Menu->IsShowing()) << "the handler showed its own";
    Handle = false;
    MouseDown(P, mbRight, 5, 6);
    MouseUp(P, mbRight, 5, 6);
    EXPECT_TRUE(Menu->IsShowing());
    Menu->CloseMenu();
    // From the keyboard the position is (-1, -1); outside the client area nothing is asked.
    P->Perform(WM_CONTEXTMENU, 0, MakeLParam(-1, -1));
    EXPECT_TRUE(Menu->IsShowing());
    Menu->CloseMenu();
    const TPoint Outside = P->ClientToScreen({100, 5});
    P->Perform(WM_CONTEXTMENU, 0, MakeLParam(Outside.X, Outside.Y));
    EXPECT_FALSE(Menu->IsShowing());
    EXPECT_EQ(Log, (Lines{"3,4", "5,6", "5,6", "-1,-1"}));
}
