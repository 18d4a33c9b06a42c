// Dragging and docking over the framework's own mouse input. A drag holds the mouse capture, and
// while it lasts every mouse message, whichever window it reaches, is the drag's: a move finds
// the control under the pointer through the window tree and tells it by CM_DRAG (enter, move,
// leave), the left button's release drops, Escape or a press of another button cancels. The
// drag cursor overrides every window's own. Qt's own drag and drop is not used: it runs a
// nested event loop of the system's that bypasses the framework's messages and that offscreen
// tests cannot drive.
#include <QApplication>
#include <QCursor>
#include <cstdlib>

#include "platform/controls/Controls.h"
#include "platform/controls/DragEngine.h"
#include "platform/controls/Forms.h"
#include "platform/controls/WinUser.h"
#include "platform/controls/WindowWidgetQt.h"

namespace carrelon {

namespace {

constexpr int DefaultDragThreshold = 5;

struct TDragSession {
    TControl* Source = nullptr;  // nullptr: no drag
    TObject* Carried = nullptr;  // what the start handler gave the drag to carry
    bool Dock = false;
    bool Started = false;  // the pointer went past the threshold
    int Threshold = DefaultDragThreshold;
    TPoint StartPos;  // screen coordinates
    TPoint Pos;       // the pointer at the last move
    TPoint Grab;      // the pointer in the source's own coordinates at the start
    TControl* Target = nullptr;
    bool Accepted = false;
    HWND Capture = nullptr;
    bool CursorShown = false;
};

TDragSession GDrag;
// Where the last mouse message put the pointer, screen coordinates.
TPoint GPointer;

// The left-button presses being handled, innermost first.
struct TPressFrame {
    TControl* Control;
    bool ReleaseDue;
    TPressFrame* Outer;
};
TPressFrame* GPresses = nullptr;

// The ends of drags being reported, innermost first; their controls are forgotten as they go.
struct TDragEnd {
    TControl* Source;
    TControl* Target;
    TDragEnd* Outer;
};
TDragEnd* GEnds = nullptr;

// Set while the framework hands a control the release of the press a drag began in, so that
// neither the release nor the capture it gives up counts as the drag's.
bool GPassThrough = false;

void ShowDragCursor(TCursor Cursor) {
    const QCursor Shape(CursorShapeOf(Cursor));
    if (GDrag.CursorShown) {
        QApplication::changeOverrideCursor(Shape);
    } else {
        QApplication::setOverrideCursor(Shape);
        GDrag.CursorShown = true;
    }
}

void EndSession(const TDragSession& S) {
    if (S.CursorShown) QApplication::restoreOverrideCursor();
    if (S.Capture != nullptr && GetCapture() == S.Capture) ReleaseCapture();
}

void TakeCapture() {
    TControl* Source = GDrag.Source;
    auto* W = dynamic_cast<TWinControl*>(Source);
    if (W == nullptr) W = Source->GetParent();
    if (W == nullptr || !W->HandleAllocated()) return;
    GDrag.Capture = W->GetHandle();
    SetCapture(GDrag.Capture);
}

// The enabled control under a screen point: a window's, or a windowless child's of it.
TControl* FindDragTarget(TPoint Pos) {
    TWinControl* W = FindControl(WindowFromPoint(Pos));
    if (W == nullptr) return nullptr;
    TControl* Child = W->ControlAtPos(W->ScreenToClient(Pos));
    if (Child != nullptr && dynamic_cast<TWinControl*>(Child) == nullptr && Child->GetEnabled())
        return Child;
    return W;
}

// The dock site under a screen point that may take Source: the nearest one up the parents of
// the control there, never Source nor one inside it.
TWinControl* FindDockSite(TPoint Pos, const TControl& Source) {
    const auto* SourceWindow = dynamic_cast<const TWinControl*>(&Source);
    for (TControl* C = FindDragTarget(Pos); C != nullptr; C = C->GetParent()) {
        auto* Site = dynamic_cast<TWinControl*>(C);
        if (Site == nullptr || !Site->GetDockSite()) continue;
        if (SourceWindow == nullptr || !SourceWindow->ContainsControl(Site)) return Site;
    }
    return nullptr;
}

bool Tell(TControl* Target, TDragMessage Step, TPoint Pos, TObject* Carried) {
    TDragRec Rec;
    Rec.DragMessage = Step;
    Rec.Source = Carried;
    Rec.Pos = Pos;
    return Target->Perform(CM_DRAG, 0, reinterpret_cast<std::intptr_t>(&Rec)) != 0;
}

TObject* CarriedOf(const TDragSession& S) {
    return S.Carried != nullptr ? S.Carried : S.Source;
}

void MoveTo(TPoint Pos) {
    GDrag.Pos = Pos;
    if (!GDrag.Started) {
        if (std::abs(Pos.X - GDrag.StartPos.X) < GDrag.Threshold &&
            std::abs(Pos.Y - GDrag.StartPos.Y) < GDrag.Threshold)
            return;
        GDrag.Started = true;
    }
    TControl* const Source = GDrag.Source;
    TControl* const Under = GDrag.Dock ? FindDockSite(Pos, *Source) : FindDragTarget(Pos);
    // Each handler may end the drag or free a control; what it left is read again after it.
    if (Under != GDrag.Target) {
        if (TControl* Old = GDrag.Target) {
            GDrag.Target = nullptr;
            GDrag.Accepted = false;
            if (!GDrag.Dock) Tell(Old, dmDragLeave, Pos, CarriedOf(GDrag));
            if (GDrag.Source != Source) return;
        }
        GDrag.Target = Under;
        const bool Accept =
            Under != nullptr && (GDrag.Dock || Tell(Under, dmDragEnter, Pos, CarriedOf(GDrag)));
        if (GDrag.Source != Source) return;
        GDrag.Accepted = Accept && GDrag.Target == Under;
    } else if (Under != nullptr && !GDrag.Dock) {
        const bool Accept = Tell(Under, dmDragMove, Pos, CarriedOf(GDrag));
        if (GDrag.Source != Source) return;
        GDrag.Accepted = Accept && GDrag.Target == Under;
    }
    ShowDragCursor(GDrag.Accepted ? Source->GetDragCursor() : crNoDrop);
}

// The docked control comes to the site with the point it was grabbed at under the pointer.
void DockInto(TWinControl& Site, TControl& Control, TPoint At, TPoint Grab) {
    Control.SetParent(&Site);
    Control.SetBounds(At.X - Grab.X, At.Y - Grab.Y, Control.GetWidth(), Control.GetHeight());
}

}  // namespace

bool TDragEngine::Input(TControl& Receiver, TMessage& Message) {
    const Cardinal Msg = Message.Msg;
    // A release sent by the cancel mode carries no point.
    if (Msg >= WM_MOUSEFIRST && Msg < WM_MOUSEWHEEL && Message.LParam != -1)
        GPointer = Receiver.ClientToScreen(PointFromLParam(Message.LParam));
    if (GDrag.Source == nullptr || GPassThrough) return false;
    switch (Msg) {
        case WM_MOUSEMOVE:
            MoveTo(GPointer);
            return true;
        case WM_LBUTTONUP:
            Done(true);
            return true;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            Done(false);
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            return true;
        case WM_SETCURSOR:
            Message.Result = 1;
            return true;
        case CN_KEYDOWN:
        case WM_KEYDOWN:
            if (Message.WParam != VK_ESCAPE) return false;
            Done(false);
            Message.Result = 1;
            return true;
        case WM_CAPTURECHANGED:
            // The window holding the drag's capture lost it: the drag ends there.
            if (GDrag.Capture != nullptr && FindControl(GDrag.Capture) == &Receiver) Done(false);
            return false;
        default:
            return false;
    }
}

void TDragEngine::DispatchPress(TControl& Control, TMessage& Message) {
    TPressFrame Frame{&Control, false, GPresses};
    GPresses = &Frame;
    struct TPop {
        TPressFrame& F;
        ~TPop() { GPresses = F.Outer; }
    } Pop{Frame};
    Control.Dispatch(Message);
    if (!Frame.ReleaseDue || Frame.Control == nullptr) return;
    // The press began a drag: the control ends it as a release at the press point would, and
    // the drag takes the capture back that the release gave up.
    GPassThrough = true;
    struct TRestore {
        ~TRestore() { GPassThrough = false; }
    } Restore;
    Frame.Control->Perform(WM_LBUTTONUP, 0, Message.LParam);
    GPassThrough = false;
    if (GDrag.Source != nullptr && GDrag.Capture != nullptr && IsWindow(GDrag.Capture))
        SetCapture(GDrag.Capture);
}

void TDragEngine::Begin(TControl& Source, bool Immediate, int Threshold) {
    if (dynamic_cast<TCustomForm*>(&Source) != nullptr)
        throw EInvalidOperation("Cannot drag a form");
    if (GDrag.Source != nullptr) return;
    if (Source.FControlState.Contains(csLButtonDown)) {
        // A press of the control's own ends without a click, now or once it is handled.
        Source.FControlState.Exclude(csClicked);
        TPressFrame* Frame = GPresses;
        while (Frame != nullptr && Frame->Control != &Source)
            Frame = Frame->Outer;
        if (Frame != nullptr) {
            Frame->ReleaseDue = true;
        } else {
            const TPoint P = Source.ScreenToClient(GPointer);
            Source.Perform(WM_LBUTTONUP, 0, MakeLParam(P.X, P.Y));
            if (GDrag.Source != nullptr) return;
        }
    }
    TDragSession S;
    S.Source = &Source;
    S.Dock = Source.FDragKind == dkDock;
    S.Threshold = Threshold < 0 ? DefaultDragThreshold : Threshold;
    S.StartPos = S.Pos = GPointer;
    const TPoint InClient = Source.ScreenToClient(GPointer);
    const TPoint Origin = Source.GetClientOrigin();
    S.Grab = {InClient.X + Origin.X, InClient.Y + Origin.Y};
    GDrag = S;
    TObject* Carried = nullptr;
    try {
        if (S.Dock)
            Source.DoStartDock(Carried);
        else
            Source.DoStartDrag(Carried);
    } catch (...) {
        if (GDrag.Source == &Source) GDrag = {};
        throw;
    }
    // The handler may have ended the drag already.
    if (GDrag.Source != &Source) return;
    GDrag.Carried = Carried;
    TakeCapture();
    if (!Immediate) return;
    GDrag.Started = true;
    MoveTo(GDrag.StartPos);
}

void TDragEngine::Done(bool Drop) {
    if (GDrag.Source == nullptr) return;
    const TDragSession S = GDrag;
    GDrag = {};
    EndSession(S);
    TDragEnd End{S.Source, S.Target, GEnds};
    GEnds = &End;
    struct TPop {
        TDragEnd& E;
        ~TPop() { GEnds = E.Outer; }
    } Pop{End};
    const bool Dropped = Drop && S.Started && S.Target != nullptr && S.Accepted;
    TPoint At{0, 0};
    if (Dropped) {
        At = S.Target->ScreenToClient(S.Pos);
        if (S.Dock)
            DockInto(static_cast<TWinControl&>(*S.Target), *S.Source, At, S.Grab);
        else
            Tell(S.Target, dmDragDrop, S.Pos, CarriedOf(S));
    } else if (S.Target != nullptr && !S.Dock) {
        Tell(S.Target, dmDragCancel, S.Pos, CarriedOf(S));
    }
    if (End.Source == nullptr) return;
    TControl* Target = Dropped ? End.Target : nullptr;
    if (Target == nullptr) At = {0, 0};
    if (S.Dock)
        End.Source->DoEndDock(Target, At.X, At.Y);
    else
        End.Source->DoEndDrag(Target, At.X, At.Y);
}

bool TDragEngine::IsSource(const TControl* Control) {
    return Control != nullptr && GDrag.Source == Control;
}

void TDragEngine::Forget(TControl* Control) {
    if (GDrag.Source == Control) {
        // The drag goes with its control, unreported.
        const TDragSession S = GDrag;
        GDrag = {};
        EndSession(S);
    } else if (GDrag.Target == Control) {
        GDrag.Target = nullptr;
        GDrag.Accepted = false;
    }
    for (TDragEnd* E = GEnds; E != nullptr; E = E->Outer) {
        if (E->Source == Control) E->Source = nullptr;
        if (E->Target == Control) E->Target = nullptr;
    }
    for (TPressFrame* F = GPresses; F != nullptr; F = F->Outer)
        if (F->Control == Control) F->Control = nullptr;
}

// ---- TControl's side ------------------------------------------------------------------------

void TControl::BeginDrag(bool Immediate, int Threshold) {
    TDragEngine::Begin(*this, Immediate, Threshold);
}

void TControl::EndDrag(bool Drop) {
    if (Dragging()) TDragEngine::Done(Drop);
}

bool TControl::Dragging() const {
    return TDragEngine::IsSource(this);
}

void TControl::DoStartDrag(TObject*& DragObject) {
    if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TControl::DoStartDock(TObject*& DragObject) {
    if (OnStartDock) OnStartDock(this, DragObject);
}

void TControl::DoEndDock(TObject* Target, int X, int Y) {
    if (OnEndDock) OnEndDock(this, Target, X, Y);
}

}  // namespace carrelon
