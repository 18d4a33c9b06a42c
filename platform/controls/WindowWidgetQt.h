// Platform-internal: the Qt widget behind a TWinControl's window handle. It turns Qt's events
// into the framework's messages and keeps the window state the Win32-style functions read and
// write (pending invalid region, redraw switch, timers, window styles, scroll bars).
#pragma once

#include <QPointer>
#include <QRegion>
#include <QScrollBar>
#include <QWidget>
#include <map>
#include <memory>

#include "platform/controls/Controls.h"
#include "platform/controls/Timers.h"
#include "platform/controls/WinUser.h"

class QKeyEvent;
class QMouseEvent;

namespace carrelon {

class TCanvas;

// The modifiers and buttons of the input event being handled (GetKeyState answers from them).
struct TInputState {
    bool Valid = false;
    Qt::KeyboardModifiers Modifiers;
    Qt::MouseButtons Buttons;
};
TInputState& CurrentInputState();

class TWindowWidget : public QWidget {
public:
    TWindowWidget(TWinControl* Control, QWidget* Parent);
    ~TWindowWidget() override;

    TWinControl* Control() const { return FControl; }
    // Called by the control when it lets go of its window, so no more messages reach it.
    void DetachControl();

    // An inner Qt widget that fills the client area and does the control's real work (a line
    // edit, a combo box...). Its input events pass through the control's dispatch first.
    void SetInner(QWidget* Inner);
    QWidget* Inner() const { return FInner; }
    // The widget that holds the keyboard focus for this window.
    QWidget* FocusTarget() { return FInner != nullptr ? FInner.data() : this; }

    // Sends Message through the control's WindowProc (0 when the control is gone).
    std::intptr_t Send(Cardinal Msg, std::intptr_t WParam, std::intptr_t LParam);

    // Client-area geometry in widget coordinates (from the control's border and styles).
    QRect ClientRectInWidget() const;
    void LayoutChrome();  // places scroll bars and the inner widget after a size or style change

    // Deferred invalidation (client coordinates).
    void InvalidateClient(const QRegion& Region);
    void ValidateClient(const QRegion& Region);
    void UpdateNow();
    bool HasPendingPaint() const { return !FPending.isEmpty(); }
    // Hands the pending region to Qt from the event loop (what is still pending then).
    void FlushPendingLater();
    bool RedrawEnabled() const { return FRedraw; }
    void SetRedraw(bool Value);

    // Timers by the control's own identifiers.
    bool StartTimer(std::uintptr_t Id, Cardinal Elapse);
    bool StopTimer(std::uintptr_t Id);

    // Scroll bars (SB_HORZ, SB_VERT).
    TScrollInfo& ScrollInfo(int Bar) { return FScroll[Bar == SB_VERT ? 1 : 0]; }
    void ApplyScrollInfo(int Bar);

    // The Qt event being translated into messages, for default handling that hands it on to
    // the inner widget.
    QEvent* CurrentEvent() const { return FCurrentEvent; }
    // Hands an event to the inner widget without passing the control's dispatch again.
    bool ForwardToInner(QEvent* Event);
    // True while an input method composes text in this window.
    bool ImeComposing() const { return FImeComposing; }
    void SetImeComposing(bool Value) { FImeComposing = Value; }

    // Paints Control's border (the non-client area) with the painter's origin at the window's
    // top-left, and its client area with the origin at the client's top-left.
    static void PaintFrame(TWinControl& Control, QPainter& Painter);
    static void PaintClientArea(TWinControl& Control, QPainter& Painter);

protected:
    bool event(QEvent* Event) override;
    bool EventUnguarded(QEvent* Event);
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    // Input that arrived at Source (this widget, the inner widget or its viewport).
    bool HandleInput(QWidget* Source, QEvent* Event);
    void HandleKeyPress(QKeyEvent* Event);
    void HandleKeyRelease(QKeyEvent* Event);
    // A key message posted to this window, under the input state of its posting.
    void DispatchPostedKey(const TMessage& M, const TInputState& Input);
    void HandleMouse(QMouseEvent* Event, QPoint WidgetPos);
    void HandleScrollAction(int Bar, int Action);
    void PaintClient(QPainter& Painter, const QRegion& Region);

    TWinControl* FControl;
    QPointer<QWidget> FInner;
    QPointer<QWidget> FInnerViewport;
    // The widget the input being handled arrived at (this, the inner widget or its viewport).
    QWidget* FInputSource = nullptr;
    QRegion FPending;
    bool FFlushPosted = false;
    bool FRedraw = true;
    bool FForwarding = false;
    bool FImeComposing = false;
    QEvent* FCurrentEvent = nullptr;
    std::map<std::uintptr_t, std::unique_ptr<TPlatformTimer>> FTimers;  // by the control's id
    TScrollInfo FScroll[2];
    std::unique_ptr<QScrollBar> FScrollBars[2];
};

// Runs Fn for an event from the windowing system: an exception it raises goes to
// Application()->HandleException instead of unwinding into Qt.
void GuardedCall(TObject* Sender, const std::function<void()>& Fn);

// Window registry: true while Handle names a live window.
bool IsLiveWindow(HWND Handle);

// Sets the keyboard focus to Handle (nullptr: nowhere), sending WM_KILLFOCUS and WM_SETFOCUS.
// Returns the window that had the focus.
HWND SetFocusWindow(HWND Handle);
HWND FocusedWindow();
// Drops the focus without telling the window that had it (it is being destroyed).
void ForgetFocusWindow();
// Queues Message for Handle; it arrives through the event loop.
void PostWindowMessage(HWND Handle, const TMessage& Message);
// The widget a cursor set now applies to: the window handling WM_SETCURSOR, else the one under
// the pointer.
QWidget* CursorWindow();
// The window whose paint is held back by LockWindowUpdate, with its descendants.
bool IsPaintLocked(const QWidget* Widget);

// The Qt cursor that shows a framework cursor.
Qt::CursorShape CursorShapeOf(TCursor Cursor);

// Qt key -> virtual key code (0 when there is none).
Word VirtualKeyFromQt(int QtKey, Qt::KeyboardModifiers Modifiers);
int QtKeyFromVirtualKey(Word Key);

}  // namespace carrelon
