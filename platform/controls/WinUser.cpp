#include "platform/controls/WinUser.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "platform/controls/WindowWidgetQt.h"

namespace carrelon {

namespace {

QPointer<TWindowWidget> GCapture;
HCURSOR GCurrentCursor = crArrow;

TWinControl* ControlOf(HWND Handle) {
    return IsLiveWindow(Handle) ? Handle->Control() : nullptr;
}

}  // namespace

Qt::CursorShape CursorShapeOf(TCursor C) {
    switch (C) {
        case crNone:
            return Qt::BlankCursor;
        case crCross:
            return Qt::CrossCursor;
        case crIBeam:
            return Qt::IBeamCursor;
        case crSizeNESW:
            return Qt::SizeBDiagCursor;
        case crSizeNS:
            return Qt::SizeVerCursor;
        case crSizeNWSE:
            return Qt::SizeFDiagCursor;
        case crSizeWE:
            return Qt::SizeHorCursor;
        case crUpArrow:
            return Qt::UpArrowCursor;
        case crHourGlass:
        case crSQLWait:
            return Qt::WaitCursor;
        case crDrag:
        case crMultiDrag:
            return Qt::DragCopyCursor;
        case crNoDrop:
        case crNo:
            return Qt::ForbiddenCursor;
        case crHSplit:
            return Qt::SplitHCursor;
        case crVSplit:
            return Qt::SplitVCursor;
        case crAppStart:
            return Qt::BusyCursor;
        case crHelp:
            return Qt::WhatsThisCursor;
        case crHandPoint:
            return Qt::PointingHandCursor;
        case crSizeAll:
            return Qt::SizeAllCursor;
        default:
            return Qt::ArrowCursor;
    }
}

std::intptr_t SendMessageA(HWND Handle, Cardinal Msg, std::intptr_t WParam, std::intptr_t LParam) {
    if (!IsLiveWindow(Handle)) return 0;
    return Handle->Send(Msg, WParam, LParam);
}

bool PostMessageA(HWND Handle, Cardinal Msg, std::intptr_t WParam, std::intptr_t LParam) {
    if (!IsLiveWindow(Handle)) return false;
    PostWindowMessage(Handle, TMessage{Msg, WParam, LParam, 0});
    return true;
}

std::uintptr_t SetTimer(HWND Handle, std::uintptr_t IDEvent, Cardinal Elapse, void*) {
    if (!IsLiveWindow(Handle)) return 0;
    return Handle->StartTimer(IDEvent, Elapse) ? IDEvent : 0;
}

bool KillTimer(HWND Handle, std::uintptr_t IDEvent) {
    if (!IsLiveWindow(Handle)) return false;
    return Handle->StopTimer(IDEvent);
}

std::int16_t GetKeyState(int VirtKey) {
    const TInputState& S = CurrentInputState();
    const Qt::KeyboardModifiers Mods =
        S.Valid ? S.Modifiers : QGuiApplication::queryKeyboardModifiers();
    const Qt::MouseButtons Buttons = S.Valid ? S.Buttons : QGuiApplication::mouseButtons();
    bool Down = false;
    switch (VirtKey) {
        case VK_SHIFT:
            Down = Mods.testFlag(Qt::ShiftModifier);
            break;
        case VK_CONTROL:
            Down = Mods.testFlag(Qt::ControlModifier);
            break;
        case VK_MENU:
            Down = Mods.testFlag(Qt::AltModifier);
            break;
        case VK_LBUTTON:
            Down = Buttons.testFlag(Qt::LeftButton);
            break;
        case VK_RBUTTON:
            Down = Buttons.testFlag(Qt::RightButton);
            break;
        case VK_MBUTTON:
            Down = Buttons.testFlag(Qt::MiddleButton);
            break;
        default:
            break;
    }
    return Down ? static_cast<std::int16_t>(-128) : 0;
}

HWND GetFocus() {
    return FocusedWindow();
}

HWND WindowsSetFocus(HWND Handle) {
    return SetFocusWindow(Handle);
}

HWND GetCapture() {
    return GCapture.data();
}

HWND SetCapture(HWND Handle) {
    TWindowWidget* Old = GCapture.data();
    if (Old == Handle) return Old;
    GCapture = IsLiveWindow(Handle) ? Handle : nullptr;
    if (Old != nullptr)
        Old->Send(WM_CAPTURECHANGED, 0, reinterpret_cast<std::intptr_t>(GCapture.data()));
    return Old;
}

bool ReleaseCapture() {
    TWindowWidget* Old = GCapture.data();
    GCapture = nullptr;
    if (Old != nullptr) Old->Send(WM_CAPTURECHANGED, 0, 0);
    return true;
}

bool InvalidateRect(HWND Handle, const TRect* Rect, bool) {
    if (!IsLiveWindow(Handle)) return false;
    if (Rect == nullptr) {
        Handle->InvalidateClient(QRegion(
            Handle->ClientRectInWidget().translated(-Handle->ClientRectInWidget().topLeft())));
    } else {
        if (Rect->IsEmpty()) return true;
        Handle->InvalidateClient(QRegion(Rect->Left, Rect->Top, Rect->Width(), Rect->Height()));
    }
    return true;
}

bool ValidateRect(HWND Handle, const TRect* Rect) {
    if (!IsLiveWindow(Handle)) return false;
    if (Rect == nullptr)
        Handle->ValidateClient(QRegion(0, 0, Handle->width(), Handle->height()));
    else
        Handle->ValidateClient(QRegion(Rect->Left, Rect->Top, Rect->Width(), Rect->Height()));
    return true;
}

bool UpdateWindow(HWND Handle) {
    if (!IsLiveWindow(Handle)) return false;
    Handle->UpdateNow();
    return true;
}

bool IsWindow(HWND Handle) {
    return IsLiveWindow(Handle);
}

bool IsWindowVisible(HWND Handle) {
    if (!IsLiveWindow(Handle)) return false;
    for (QWidget* W = Handle; W != nullptr; W = W->parentWidget()) {
        if (W->isHidden()) return false;
        auto* TW = dynamic_cast<TWindowWidget*>(W);
        if (TW != nullptr && !TW->RedrawEnabled()) return false;
    }
    return true;
}

bool IsWindowEnabled(HWND Handle) {
    return IsLiveWindow(Handle) && Handle->isEnabled();
}

bool SetWindowPos(HWND Handle, HWND, int X, int Y, int CX, int CY, Cardinal Flags) {
    TWinControl* C = ControlOf(Handle);
    if (C == nullptr) return false;
    if (Flags & SWP_HIDEWINDOW) {
        Handle->hide();
    }
    int L = C->GetLeft(), T = C->GetTop(), W = C->GetWidth(), H = C->GetHeight();
    if (!(Flags & SWP_NOMOVE)) {
        L = X;
        T = Y;
    }
    if (!(Flags & SWP_NOSIZE)) {
        W = CX;
        H = CY;
    }
    // The window moves; the control's bounds follow, as the window manager would report.
    C->SetBounds(L, T, W, H);
    if (Flags & SWP_FRAMECHANGED) {
        TRect Proposed = C->GetBoundsRect();
        C->Perform(WM_NCCALCSIZE, 0, reinterpret_cast<std::intptr_t>(&Proposed));
        if (IsLiveWindow(Handle)) Handle->LayoutChrome();
    }
    if ((Flags & SWP_SHOWWINDOW) && IsLiveWindow(Handle)) Handle->show();
    if (!(Flags & SWP_NOREDRAW) && IsLiveWindow(Handle)) InvalidateRect(Handle, nullptr, true);
    return true;
}

bool GetWindowRect(HWND Handle, TRect& Rect) {
    if (!IsLiveWindow(Handle)) return false;
    const QPoint G = Handle->mapToGlobal(QPoint(0, 0));
    Rect = {G.x(), G.y(), G.x() + Handle->width(), G.y() + Handle->height()};
    return true;
}

bool GetClientRect(HWND Handle, TRect& Rect) {
    TWinControl* C = ControlOf(Handle);
    if (C == nullptr) return false;
    Rect = C->GetClientRect();
    return true;
}

bool ClientToScreen(HWND Handle, TPoint& Point) {
    if (!IsLiveWindow(Handle)) return false;
    const QPoint G =
        Handle->mapToGlobal(Handle->ClientRectInWidget().topLeft() + QPoint(Point.X, Point.Y));
    Point = {G.x(), G.y()};
    return true;
}

bool ScreenToClient(HWND Handle, TPoint& Point) {
    if (!IsLiveWindow(Handle)) return false;
    const QPoint L =
        Handle->mapFromGlobal(QPoint(Point.X, Point.Y)) - Handle->ClientRectInWidget().topLeft();
    Point = {L.x(), L.y()};
    return true;
}

int MapWindowPoints(HWND From, HWND To, TPoint* Points, int Count) {
    if (Points == nullptr || Count <= 0) return 0;
    if ((From != nullptr && !IsLiveWindow(From)) || (To != nullptr && !IsLiveWindow(To))) return 0;
    int DX = 0, DY = 0;
    for (int i = 0; i < Count; ++i) {
        TPoint P = Points[i];
        if (From != nullptr) ClientToScreen(From, P);
        if (To != nullptr) ScreenToClient(To, P);
        if (i == 0) {
            DX = P.X - Points[i].X;
            DY = P.Y - Points[i].Y;
        }
        Points[i] = P;
    }
    return MakeLParam(DX, DY);
}

HWND GetParent(HWND Handle) {
    if (!IsLiveWindow(Handle)) return nullptr;
    return dynamic_cast<TWindowWidget*>(Handle->parentWidget());
}

std::int32_t GetWindowLongA(HWND Handle, int Index) {
    TWinControl* C = ControlOf(Handle);
    if (C == nullptr) return 0;
    if (Index == GWL_STYLE) {
        std::int32_t S = C->GetWindowStyle() | WS_CHILD;
        if (C->GetParent() == nullptr) S &= ~WS_CHILD;
        if (!Handle->isHidden()) S |= WS_VISIBLE;
        if (!Handle->RedrawEnabled()) S &= ~WS_VISIBLE;
        if (!Handle->isEnabled()) S |= WS_DISABLED;
        return S;
    }
    if (Index == GWL_EXSTYLE) return C->GetWindowExStyle();
    return 0;
}

std::int32_t SetWindowLongA(HWND Handle, int Index, std::int32_t NewLong) {
    TWinControl* C = ControlOf(Handle);
    if (C == nullptr) return 0;
    const std::int32_t Old = GetWindowLongA(Handle, Index);
    if (Index == GWL_STYLE) {
        // Visibility, enabling and the child bit are the control's own business.
        C->SetWindowStyle(NewLong & ~(WS_VISIBLE | WS_DISABLED | WS_CHILD));
    } else if (Index == GWL_EXSTYLE) {
        C->SetWindowExStyle(NewLong);
    }
    return Old;
}

bool ImeComposing(HWND Handle) {
    return IsLiveWindow(Handle) && Handle->ImeComposing();
}

void SetImeComposing(HWND Handle, bool Value) {
    if (IsLiveWindow(Handle)) Handle->SetImeComposing(Value);
}

bool ShowScrollBar(HWND Handle, int Bar, bool Show) {
    TWinControl* C = ControlOf(Handle);
    if (C == nullptr) return false;
    std::int32_t Bits = 0;
    if (Bar == SB_HORZ || Bar == SB_BOTH) Bits |= WS_HSCROLL;
    if (Bar == SB_VERT || Bar == SB_BOTH) Bits |= WS_VSCROLL;
    const std::int32_t Old = C->GetWindowStyle();
    const std::int32_t New = Show ? (Old | Bits) : (Old & ~Bits);
    if (New == Old) return true;
    C->SetWindowStyle(New);
    // The frame changed: the window recalculates its non-client area, as the system does.
    TRect Proposed = C->GetBoundsRect();
    C->Perform(WM_NCCALCSIZE, 0, reinterpret_cast<std::intptr_t>(&Proposed));
    // The client area changed size.
    const TRect R = C->GetClientRect();
    C->Perform(WM_SIZE, 0, MakeLParam(R.Width(), R.Height()));
    return true;
}

int SetScrollInfo(HWND Handle, int Bar, const TScrollInfo& Info, bool) {
    if (!IsLiveWindow(Handle) || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    TScrollInfo& S = Handle->ScrollInfo(Bar);
    if (Info.fMask & SIF_RANGE) {
        S.nMin = Info.nMin;
        S.nMax = std::max(Info.nMin, Info.nMax);
    }
    if (Info.fMask & SIF_PAGE) S.nPage = Info.nPage;
    if (Info.fMask & SIF_POS) S.nPos = Info.nPos;
    // The position stays within the range less the page.
    const int MaxPos =
        S.nPage > 0 ? std::max(S.nMin, S.nMax - static_cast<int>(S.nPage) + 1) : S.nMax;
    S.nPos = std::clamp(S.nPos, S.nMin, MaxPos);
    Handle->ApplyScrollInfo(Bar);
    return S.nPos;
}

bool GetScrollInfo(HWND Handle, int Bar, TScrollInfo& Info) {
    if (!IsLiveWindow(Handle) || (Bar != SB_HORZ && Bar != SB_VERT)) return false;
    const TScrollInfo& S = Handle->ScrollInfo(Bar);
    if (Info.fMask & SIF_RANGE) {
        Info.nMin = S.nMin;
        Info.nMax = S.nMax;
    }
    if (Info.fMask & SIF_PAGE) Info.nPage = S.nPage;
    if (Info.fMask & SIF_POS) Info.nPos = S.nPos;
    if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = S.nTrackPos;
    return true;
}

int SetScrollPos(HWND Handle, int Bar, int Pos, bool Redraw) {
    if (!IsLiveWindow(Handle) || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    const int Old = Handle->ScrollInfo(Bar).nPos;
    TScrollInfo I;
    I.fMask = SIF_POS;
    I.nPos = Pos;
    SetScrollInfo(Handle, Bar, I, Redraw);
    return Old;
}

int GetScrollPos(HWND Handle, int Bar) {
    if (!IsLiveWindow(Handle) || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    return Handle->ScrollInfo(Bar).nPos;
}

bool SetScrollRange(HWND Handle, int Bar, int MinPos, int MaxPos, bool Redraw) {
    TScrollInfo I;
    I.fMask = SIF_RANGE;
    I.nMin = MinPos;
    I.nMax = MaxPos;
    return SetScrollInfo(Handle, Bar, I, Redraw) >= 0 && IsLiveWindow(Handle);
}

int GetSystemMetrics(int Index) {
    switch (Index) {
        case SM_CXSCREEN:
        case SM_CYSCREEN: {
            const QScreen* S = QGuiApplication::primaryScreen();
            if (S == nullptr) return Index == SM_CXSCREEN ? 1024 : 768;
            return Index == SM_CXSCREEN ? S->geometry().width() : S->geometry().height();
        }
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVSCROLL:
        case SM_CXHSCROLL:
        case SM_CYVTHUMB:
        case SM_CXHTHUMB:
            return 17;
        case SM_CYCAPTION:
            return 19;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return 3;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
            return 4;
        default:
            return 0;
    }
}

HCURSOR SetCursor(HCURSOR Cursor) {
    const HCURSOR Old = GCurrentCursor;
    GCurrentCursor = Cursor;
    QWidget* Target = CursorWindow();
    if (Target != nullptr) Target->setCursor(QCursor(CursorShapeOf(static_cast<TCursor>(Cursor))));
    return Old;
}

HWND WindowFromPoint(TPoint Point) {
    // Inner Qt widgets and scroll bars belong to the window around them; a disabled window
    // leaves the point to its parent.
    for (QWidget* W = QApplication::widgetAt(QPoint(Point.X, Point.Y)); W != nullptr;
         W = W->parentWidget()) {
        auto* TW = dynamic_cast<TWindowWidget*>(W);
        if (TW != nullptr && IsLiveWindow(TW) && TW->isEnabled()) return TW;
    }
    return nullptr;
}

bool GetCursorPos(TPoint& Point) {
    const QPoint P = QCursor::pos();
    Point = {P.x(), P.y()};
    return true;
}

}  // namespace carrelon
