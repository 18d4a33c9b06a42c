#include "platform/controls/WindowWidgetQt.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>
#include <unordered_set>

#include "platform/controls/Forms.h"
#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

namespace {

// Events of our own: a posted message, and the deferred hand-over of invalid regions to Qt.
const QEvent::Type PostedMessageEvent = static_cast<QEvent::Type>(QEvent::User + 301);
const QEvent::Type FlushPaintEvent = static_cast<QEvent::Type>(QEvent::User + 302);

// A posted message keeps the keyboard and mouse state of the moment it was posted: a key the
// control posts on from a key it is handling reads the same Shift and Ctrl when it arrives.
class TPostedMessage : public QEvent {
public:
    TPostedMessage(const TMessage& M, const TInputState& Input)
        : QEvent(PostedMessageEvent), Message(M), Input(Input) {}
    TMessage Message;
    TInputState Input;
};

std::unordered_set<const TWindowWidget*>& LiveWindows() {
    static std::unordered_set<const TWindowWidget*> Set;
    return Set;
}

QPointer<TWindowWidget> GFocus;
bool GSyncingQtFocus = false;
QPointer<TWindowWidget> GLocked;
QPointer<TWindowWidget> GCursorWindow;

// Keeps the input state of one Qt event while its messages are handled.
class TInputScope {
public:
    TInputScope(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons)
        : FSaved(CurrentInputState()) {
        CurrentInputState() = {true, Modifiers, Buttons};
    }
    ~TInputScope() { CurrentInputState() = FSaved; }

private:
    TInputState FSaved;
};

// The characters a key event types, as the message loop would translate them.
std::u32string CharactersOf(const QKeyEvent* E) {
    std::u32string Result;
    const bool Ctrl = E->modifiers().testFlag(Qt::ControlModifier);
    const QString Text = E->text();
    if (!Text.isEmpty()) {
        for (char32_t C : Text.toUcs4())
            Result.push_back(C);
        return Result;
    }
    switch (E->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Result.push_back(Ctrl ? 10 : 13);
            break;
        case Qt::Key_Tab:
            Result.push_back(9);
            break;
        case Qt::Key_Backtab:
            Result.push_back(9);
            break;
        case Qt::Key_Backspace:
            Result.push_back(8);
            break;
        case Qt::Key_Escape:
            Result.push_back(27);
            break;
        default:
            if (E->key() >= Qt::Key_A && E->key() <= Qt::Key_Z) {
                if (Ctrl) Result.push_back(static_cast<char32_t>(E->key() - Qt::Key_A + 1));
            }
            break;
    }
    return Result;
}

}  // namespace

void GuardedCall(TObject* Sender, const std::function<void()>& Fn) {
    try {
        Fn();
    } catch (const std::exception& E) {
        Application()->HandleException(Sender, E);
    } catch (...) {
        Application()->HandleException(Sender, Exception("Unknown exception"));
    }
}

TInputState& CurrentInputState() {
    static TInputState State;
    return State;
}

bool IsLiveWindow(HWND Handle) {
    return Handle != nullptr && LiveWindows().count(Handle) != 0;
}

HWND FocusedWindow() {
    return GFocus.data();
}

void ForgetFocusWindow() {
    GFocus = nullptr;
}

void PostWindowMessage(HWND Handle, const TMessage& Message) {
    QCoreApplication::postEvent(Handle, new TPostedMessage(Message, CurrentInputState()));
}

// A posted key takes the road of typed input: the control's CN_ notification first, which
// hands keys it does not claim to the form as dialog keys (a posted Tab moves the focus).
void TWindowWidget::DispatchPostedKey(const TMessage& M, const TInputState& Input) {
    const TInputState Saved = CurrentInputState();
    if (Input.Valid) CurrentInputState() = Input;
    struct TRestore {
        TInputState S;
        ~TRestore() { CurrentInputState() = S; }
    } Restore{Saved};
    QPointer<TWindowWidget> Self(this);
    if (M.Msg == WM_KEYDOWN || M.Msg == WM_SYSKEYDOWN) {
        if (Send(CN_BASE + M.Msg, M.WParam, M.LParam) != 0 || !Self) return;
    }
    Send(M.Msg, M.WParam, M.LParam);
}

QWidget* CursorWindow() {
    if (GCursorWindow) return GCursorWindow.data();
    return QApplication::widgetAt(QCursor::pos());
}

bool LockWindowUpdate(HWND Handle) {
    if (Handle == nullptr) {
        TWindowWidget* Old = GLocked.data();
        GLocked = nullptr;
        // What was held back is painted from the event loop, as far as it is still invalid
        // then: a window validated right after the unlock paints nothing of it.
        if (Old != nullptr) {
            // Window widgets carry no meta-object of their own: the children are told apart
            // from inner Qt widgets by their C++ type.
            for (QWidget* Child : Old->findChildren<QWidget*>())
                if (auto* W = dynamic_cast<TWindowWidget*>(Child)) W->FlushPendingLater();
            Old->FlushPendingLater();
        }
        return true;
    }
    if (!IsLiveWindow(Handle)) return false;
    if (GLocked && GLocked.data() != Handle) return false;
    GLocked = Handle;
    return true;
}

bool IsPaintLocked(const QWidget* Widget) {
    if (GLocked.isNull()) return false;
    for (const QWidget* W = Widget; W != nullptr; W = W->parentWidget())
        if (W == GLocked.data()) return true;
    return false;
}

HWND SetFocusWindow(HWND Handle) {
    if (Handle != nullptr && !IsLiveWindow(Handle)) return GFocus.data();
    TWindowWidget* Old = GFocus.data();
    if (Old == Handle) return Old;
    GFocus = Handle;
    if (Old != nullptr) Old->Send(WM_KILLFOCUS, reinterpret_cast<std::intptr_t>(Handle), 0);
    // The killed window may have moved the focus elsewhere already.
    if (Handle != nullptr && GFocus.data() == Handle) {
        {
            GSyncingQtFocus = true;
            Handle->FocusTarget()->setFocus(Qt::OtherFocusReason);
            GSyncingQtFocus = false;
        }
        Handle->Send(WM_SETFOCUS, reinterpret_cast<std::intptr_t>(Old), 0);
    }
    return Old;
}

// ---- Key translation ------------------------------------------------------------------------

Word VirtualKeyFromQt(int QtKey, Qt::KeyboardModifiers Modifiers) {
    if (QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z) return static_cast<Word>(QtKey);
    if (QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9) {
        if (Modifiers.testFlag(Qt::KeypadModifier))
            return static_cast<Word>(VK_NUMPAD0 + (QtKey - Qt::Key_0));
        return static_cast<Word>(QtKey);
    }
    if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F24)
        return static_cast<Word>(VK_F1 + (QtKey - Qt::Key_F1));
    switch (QtKey) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VK_TAB;
        case Qt::Key_Clear:
            return VK_CLEAR;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Shift:
            return VK_SHIFT;
        case Qt::Key_Control:
            return VK_CONTROL;
        case Qt::Key_Alt:
            return VK_MENU;
        case Qt::Key_Pause:
            return VK_PAUSE;
        case Qt::Key_CapsLock:
            return VK_CAPITAL;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_PageUp:
            return VK_PRIOR;
        case Qt::Key_PageDown:
            return VK_NEXT;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Select:
            return VK_SELECT;
        case Qt::Key_Print:
            return VK_PRINT;
        case Qt::Key_Execute:
            return VK_EXECUTE;
        case Qt::Key_Insert:
            return VK_INSERT;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_Help:
            return VK_HELP;
        case Qt::Key_Meta:
            return VK_LWIN;
        case Qt::Key_Menu:
            return VK_APPS;
        case Qt::Key_Asterisk:
            return VK_MULTIPLY;
        case Qt::Key_NumLock:
            return VK_NUMLOCK;
        case Qt::Key_ScrollLock:
            return VK_SCROLL;
        case Qt::Key_Semicolon:
            return 0xBA;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return Modifiers.testFlag(Qt::KeypadModifier) ? VK_ADD : 0xBB;
        case Qt::Key_Comma:
            return 0xBC;
        case Qt::Key_Minus:
            return Modifiers.testFlag(Qt::KeypadModifier) ? VK_SUBTRACT : 0xBD;
        case Qt::Key_Period:
            return Modifiers.testFlag(Qt::KeypadModifier) ? VK_DECIMAL : 0xBE;
        case Qt::Key_Slash:
            return Modifiers.testFlag(Qt::KeypadModifier) ? VK_DIVIDE : 0xBF;
        case Qt::Key_QuoteLeft:
            return 0xC0;
        case Qt::Key_BracketLeft:
            return 0xDB;
        case Qt::Key_Backslash:
            return 0xDC;
        case Qt::Key_BracketRight:
            return 0xDD;
        case Qt::Key_Apostrophe:
            return 0xDE;
        default:
            return 0;
    }
}

int QtKeyFromVirtualKey(Word Key) {
    if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) return Key;
    if (Key >= VK_F1 && Key <= VK_F1 + 23) return Qt::Key_F1 + (Key - VK_F1);
    if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return Qt::Key_0 + (Key - VK_NUMPAD0);
    switch (Key) {
        case VK_BACK:
            return Qt::Key_Backspace;
        case VK_TAB:
            return Qt::Key_Tab;
        case VK_RETURN:
            return Qt::Key_Return;
        case VK_ESCAPE:
            return Qt::Key_Escape;
        case VK_SPACE:
            return Qt::Key_Space;
        case VK_PRIOR:
            return Qt::Key_PageUp;
        case VK_NEXT:
            return Qt::Key_PageDown;
        case VK_END:
            return Qt::Key_End;
        case VK_HOME:
            return Qt::Key_Home;
        case VK_LEFT:
            return Qt::Key_Left;
        case VK_UP:
            return Qt::Key_Up;
        case VK_RIGHT:
            return Qt::Key_Right;
        case VK_DOWN:
            return Qt::Key_Down;
        case VK_INSERT:
            return Qt::Key_Insert;
        case VK_DELETE:
            return Qt::Key_Delete;
        case VK_SHIFT:
            return Qt::Key_Shift;
        case VK_CONTROL:
            return Qt::Key_Control;
        case VK_MENU:
            return Qt::Key_Alt;
        default:
            return 0;
    }
}

// ---- The widget -----------------------------------------------------------------------------

TWindowWidget::TWindowWidget(TWinControl* Control, QWidget* Parent)
    : QWidget(Parent), FControl(Control) {
    LiveWindows().insert(this);
    // Focus moves only through the framework (SetFocus, the form's tab order), never by Qt's
    // click or Tab handling.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TWindowWidget::~TWindowWidget() {
    LiveWindows().erase(this);
    FControl = nullptr;
    if (FInner) FInner->removeEventFilter(this);
    if (FInnerViewport) FInnerViewport->removeEventFilter(this);
}

void TWindowWidget::DetachControl() {
    FControl = nullptr;
    // From here on the handle names no window, even before Qt deletes the widget.
    LiveWindows().erase(this);
    FTimers.clear();
}

void TWindowWidget::SetInner(QWidget* Inner) {
    if (FInner) FInner->removeEventFilter(this);
    if (FInnerViewport) FInnerViewport->removeEventFilter(this);
    FInner = Inner;
    FInnerViewport = nullptr;
    if (Inner != nullptr) {
        Inner->setParent(this);
        Inner->installEventFilter(this);
        // A scrolling widget takes the mouse on its viewport: that input passes the control's
        // dispatch first too.
        if (auto* Area = qobject_cast<QAbstractScrollArea*>(Inner)) {
            FInnerViewport = Area->viewport();
            FInnerViewport->installEventFilter(this);
            FInnerViewport->setMouseTracking(true);
        }
        Inner->setMouseTracking(true);
        Inner->setFocusPolicy(Qt::ClickFocus);
        Inner->show();
        LayoutChrome();
    }
}

std::intptr_t TWindowWidget::Send(Cardinal Msg, std::intptr_t WParam, std::intptr_t LParam) {
    if (FControl == nullptr) return 0;
    return FControl->Perform(Msg, WParam, LParam);
}

QRect TWindowWidget::ClientRectInWidget() const {
    if (FControl == nullptr) return rect();
    const TPoint O = FControl->GetClientOrigin();
    const TRect C = FControl->GetClientRect();
    return QRect(O.X, O.Y, C.Width(), C.Height());
}

void TWindowWidget::LayoutChrome() {
    const QRect C = ClientRectInWidget();
    const std::int32_t Style = FControl != nullptr ? FControl->GetWindowStyle() : 0;
    if (FInner) {
        // A scrolling inner widget shows its own bars as the window style asks.
        if (auto* Area = qobject_cast<QAbstractScrollArea*>(FInner.data())) {
            Area->setVerticalScrollBarPolicy((Style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                                  : Qt::ScrollBarAlwaysOff);
            Area->setHorizontalScrollBarPolicy((Style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                                    : Qt::ScrollBarAlwaysOff);
        }
        FInner->setGeometry(C);
        return;
    }
    const bool Show[2] = {(Style & WS_HSCROLL) != 0, (Style & WS_VSCROLL) != 0};
    for (int i = 0; i < 2; ++i) {
        if (Show[i] && !FScrollBars[i]) {
            FScrollBars[i] =
                std::make_unique<QScrollBar>(i == 0 ? Qt::Horizontal : Qt::Vertical, this);
            FScrollBars[i]->setFocusPolicy(Qt::NoFocus);
            const int Bar = i == 0 ? SB_HORZ : SB_VERT;
            QObject::connect(FScrollBars[i].get(), &QAbstractSlider::actionTriggered,
                             [this, Bar](int Action) {
                                 GuardedCall(FControl, [&] { HandleScrollAction(Bar, Action); });
                             });
            ApplyScrollInfo(Bar);
        }
        if (FScrollBars[i]) FScrollBars[i]->setVisible(Show[i]);
    }
    if (Show[0])
        FScrollBars[0]->setGeometry(C.left(), C.bottom() + 1, C.width(),
                                    GetSystemMetrics(SM_CYHSCROLL));
    if (Show[1])
        FScrollBars[1]->setGeometry(C.right() + 1, C.top(), GetSystemMetrics(SM_CXVSCROLL),
                                    C.height());
    if (FInner) FInner->setGeometry(C);
}

void TWindowWidget::ApplyScrollInfo(int Bar) {
    const int i = Bar == SB_VERT ? 1 : 0;
    if (!FScrollBars[i]) return;
    const TScrollInfo& S = FScroll[i];
    QScrollBar* B = FScrollBars[i].get();
    const QSignalBlocker Block(B);
    const int Page = static_cast<int>(S.nPage);
    // Win32 ranges include the page; Qt's maximum is the last position of the page's top.
    const int Max = Page > 0 ? std::max(S.nMin, S.nMax - Page + 1) : S.nMax;
    B->setRange(S.nMin, Max);
    B->setPageStep(Page > 0 ? Page : 1);
    B->setValue(S.nPos);
}

void TWindowWidget::HandleScrollAction(int Bar, int Action) {
    int Code = -1;
    const int Index = Bar == SB_VERT ? 1 : 0;
    switch (Action) {
        case QAbstractSlider::SliderSingleStepAdd:
            Code = SB_LINEDOWN;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            Code = SB_LINEUP;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            Code = SB_PAGEDOWN;
            break;
        case QAbstractSlider::SliderPageStepSub:
            Code = SB_PAGEUP;
            break;
        case QAbstractSlider::SliderToMinimum:
            Code = SB_TOP;
            break;
        case QAbstractSlider::SliderToMaximum:
            Code = SB_BOTTOM;
            break;
        case QAbstractSlider::SliderMove:
            Code = SB_THUMBTRACK;
            break;
        default:
            break;
    }
    if (Code < 0) return;
    QPointer<TWindowWidget> Self(this);
    QScrollBar* B = FScrollBars[Index].get();
    // The control moves the bar itself (SetScrollPos); Qt's own move is undone.
    const int Requested = B->sliderPosition();
    FScroll[Index].nTrackPos = Requested;
    const std::intptr_t W = MakeLParam(Code, Code == SB_THUMBTRACK ? Requested : 0);
    Send(Bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, W, 0);
    if (Self && Code == SB_THUMBTRACK && !B->isSliderDown())
        Send(Bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MakeLParam(SB_THUMBPOSITION, Requested), 0);
    if (Self) {
        B->setSliderPosition(FScroll[Index].nPos);
        ApplyScrollInfo(Bar);
    }
}

// ---- Invalidation ---------------------------------------------------------------------------

void TWindowWidget::InvalidateClient(const QRegion& Region) {
    if (!FRedraw) return;
    const QRect C = ClientRectInWidget();
    FPending += Region.translated(C.topLeft()).intersected(C);
    FlushPendingLater();
}

void TWindowWidget::FlushPendingLater() {
    if (FPending.isEmpty() || FFlushPosted) return;
    FFlushPosted = true;
    QCoreApplication::postEvent(this, new QEvent(FlushPaintEvent));
}

void TWindowWidget::ValidateClient(const QRegion& Region) {
    FPending -= Region.translated(ClientRectInWidget().topLeft());
}

void TWindowWidget::UpdateNow() {
    if (FPending.isEmpty() || !FRedraw || IsPaintLocked(this) || !isVisible()) return;
    repaint(FPending);
}

void TWindowWidget::SetRedraw(bool Value) {
    FRedraw = Value;
    if (!Value) FPending = QRegion();
}

// ---- Timers ---------------------------------------------------------------------------------

bool TWindowWidget::StartTimer(std::uintptr_t Id, Cardinal Elapse) {
    std::unique_ptr<TPlatformTimer>& Timer = FTimers[Id];
    if (!Timer)
        Timer = std::make_unique<TPlatformTimer>([this, Id] {
            GuardedCall(FControl, [&] { Send(WM_TIMER, static_cast<std::intptr_t>(Id), 0); });
        });
    if (Timer->Start(Elapse, true)) return true;
    FTimers.erase(Id);
    return false;
}

bool TWindowWidget::StopTimer(std::uintptr_t Id) {
    auto It = FTimers.find(Id);
    if (It == FTimers.end()) return false;
    FTimers.erase(It);
    return true;
}

// ---- Events ---------------------------------------------------------------------------------

bool TWindowWidget::ForwardToInner(QEvent* Event) {
    if (!FInner) return false;
    const bool Saved = FForwarding;
    FForwarding = true;
    // Input that arrived at the viewport goes back there, in the viewport's coordinates.
    QWidget* Target = FInputSource == FInnerViewport.data() && FInnerViewport
                          ? FInnerViewport.data()
                          : FInner.data();
    const bool Result = QCoreApplication::sendEvent(Target, Event);
    FForwarding = Saved;
    return Result;
}

bool TWindowWidget::event(QEvent* Event) {
    bool Result = true;
    GuardedCall(FControl, [&] { Result = EventUnguarded(Event); });
    return Result;
}

bool TWindowWidget::EventUnguarded(QEvent* Event) {
    if (Event->type() == PostedMessageEvent) {
        const auto* Posted = static_cast<TPostedMessage*>(Event);
        const TMessage M = Posted->Message;
        if (M.Msg >= WM_KEYFIRST && M.Msg <= WM_KEYLAST) {
            DispatchPostedKey(M, Posted->Input);
            return true;
        }
        Send(M.Msg, M.WParam, M.LParam);
        return true;
    }
    if (Event->type() == FlushPaintEvent) {
        FFlushPosted = false;
        if (!FPending.isEmpty() && FRedraw && !IsPaintLocked(this)) update(FPending);
        return true;
    }
    // Input the inner widget ignored comes back up to its parent, this widget; it was handled.
    if (FForwarding && Event->spontaneous() == false &&
        (Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease ||
         Event->type() == QEvent::Wheel || Event->type() == QEvent::MouseButtonPress ||
         Event->type() == QEvent::MouseButtonRelease || Event->type() == QEvent::MouseMove ||
         Event->type() == QEvent::MouseButtonDblClick)) {
        Event->accept();
        return true;
    }
    if (HandleInput(this, Event)) return true;
    return QWidget::event(Event);
}

bool TWindowWidget::eventFilter(QObject* Watched, QEvent* Event) {
    if ((Watched == FInner.data() || (FInnerViewport && Watched == FInnerViewport.data())) &&
        !FForwarding) {
        bool Result = true;
        GuardedCall(FControl, [&] { Result = HandleInput(static_cast<QWidget*>(Watched), Event); });
        return Result;
    }
    return QWidget::eventFilter(Watched, Event);
}

bool TWindowWidget::HandleInput(QWidget* Source, QEvent* Event) {
    if (FControl == nullptr) return false;
    const bool FromInner = Source != this;
    struct TRestore {
        QPointer<TWindowWidget> Self;
        QEvent* SavedEvent;
        QWidget* SavedSource;
        ~TRestore() {
            if (!Self) return;
            Self->FCurrentEvent = SavedEvent;
            Self->FInputSource = SavedSource;
        }
    } Restore{this, FCurrentEvent, FInputSource};
    FCurrentEvent = Event;
    FInputSource = Source;

    switch (Event->type()) {
        case QEvent::KeyPress:
            HandleKeyPress(static_cast<QKeyEvent*>(Event));
            return true;
        case QEvent::KeyRelease:
            HandleKeyRelease(static_cast<QKeyEvent*>(Event));
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* M = static_cast<QMouseEvent*>(Event);
            QPoint P = M->position().toPoint();
            if (FromInner) P = Source->mapTo(this, P);
            HandleMouse(M, P);
            return true;
        }
        case QEvent::Wheel: {
            auto* W = static_cast<QWheelEvent*>(Event);
            TInputScope Scope(W->modifiers(), W->buttons());
            std::intptr_t Keys = 0;
            if (W->modifiers().testFlag(Qt::ShiftModifier)) Keys |= MK_SHIFT;
            if (W->modifiers().testFlag(Qt::ControlModifier)) Keys |= MK_CONTROL;
            if (W->buttons().testFlag(Qt::LeftButton)) Keys |= MK_LBUTTON;
            if (W->buttons().testFlag(Qt::RightButton)) Keys |= MK_RBUTTON;
            if (W->buttons().testFlag(Qt::MiddleButton)) Keys |= MK_MBUTTON;
            const int Delta = W->angleDelta().y() != 0 ? W->angleDelta().y() : W->angleDelta().x();
            const QPoint G = W->globalPosition().toPoint();
            Send(WM_MOUSEWHEEL, MakeLParam(static_cast<int>(Keys), Delta),
                 MakeLParam(G.x(), G.y()));
            return true;
        }
        case QEvent::Enter:
            if (!FromInner) Send(CM_MOUSEENTER, 0, 0);
            return FromInner ? false : true;
        case QEvent::Leave:
            if (!FromInner) Send(CM_MOUSELEAVE, 0, 0);
            return FromInner ? false : true;
        case QEvent::FocusIn:
            if (FromInner && !GSyncingQtFocus && GFocus.data() != this) SetFocusWindow(this);
            return false;
        case QEvent::ContextMenu:
            return true;  // right clicks go through WM_RBUTTONUP
        case QEvent::InputMethod:
            // A composition is in progress while the input method shows uncommitted text.
            FImeComposing = !static_cast<QInputMethodEvent*>(Event)->preeditString().isEmpty();
            return false;
        case QEvent::ShortcutOverride: {
            // Keys reach the control before any application shortcut.
            Event->accept();
            return true;
        }
        default:
            return false;
    }
}

void TWindowWidget::HandleKeyPress(QKeyEvent* Event) {
    TInputScope Scope(Event->modifiers(), QGuiApplication::mouseButtons());
    QPointer<TWindowWidget> Self(this);
    const bool Alt = Event->modifiers().testFlag(Qt::AltModifier);
    const Word VK = VirtualKeyFromQt(Event->key(), Event->modifiers());
    const std::intptr_t KeyData = 1 | (Alt ? AltMask : 0) | (Event->isAutoRepeat() ? (1 << 30) : 0);
    if (VK != 0) {
        // The control's own chance first (dialog keys go to the form from here); a taken key
        // types no character.
        if (Send(Alt ? CN_SYSKEYDOWN : CN_KEYDOWN, VK, KeyData) != 0 || !Self) return;
        Send(Alt ? WM_SYSKEYDOWN : WM_KEYDOWN, VK, KeyData);
        if (!Self) return;
    }
    for (char32_t C : CharactersOf(Event)) {
        if (!Self || FControl == nullptr) return;
        if (Send(CN_CHAR, static_cast<std::intptr_t>(C), KeyData) != 0) continue;
        if (!Self) return;
        Send(Alt ? WM_SYSCHAR : WM_CHAR, static_cast<std::intptr_t>(C), KeyData);
    }
}

void TWindowWidget::HandleKeyRelease(QKeyEvent* Event) {
    TInputScope Scope(Event->modifiers(), QGuiApplication::mouseButtons());
    const bool Alt = Event->modifiers().testFlag(Qt::AltModifier);
    const Word VK = VirtualKeyFromQt(Event->key(), Event->modifiers());
    if (VK == 0) return;
    const std::intptr_t KeyData = 1 | (Alt ? AltMask : 0) | (1 << 30) | (std::intptr_t{1} << 31);
    Send(Alt ? WM_SYSKEYUP : WM_KEYUP, VK, KeyData);
}

void TWindowWidget::HandleMouse(QMouseEvent* Event, QPoint WidgetPos) {
    Qt::MouseButtons Buttons = Event->buttons();
    TInputScope Scope(Event->modifiers(), Buttons);
    std::intptr_t Keys = 0;
    if (Buttons.testFlag(Qt::LeftButton)) Keys |= MK_LBUTTON;
    if (Buttons.testFlag(Qt::RightButton)) Keys |= MK_RBUTTON;
    if (Buttons.testFlag(Qt::MiddleButton)) Keys |= MK_MBUTTON;
    if (Event->modifiers().testFlag(Qt::ShiftModifier)) Keys |= MK_SHIFT;
    if (Event->modifiers().testFlag(Qt::ControlModifier)) Keys |= MK_CONTROL;
    const QRect Client = ClientRectInWidget();
    const QPoint P = WidgetPos - Client.topLeft();
    const std::intptr_t L = MakeLParam(P.x(), P.y());
    QPointer<TWindowWidget> Self(this);
    Cardinal Msg = WM_MOUSEMOVE;
    const Qt::MouseButton B = Event->button();
    switch (Event->type()) {
        case QEvent::MouseButtonPress:
            Msg = B == Qt::RightButton    ? WM_RBUTTONDOWN
                  : B == Qt::MiddleButton ? WM_MBUTTONDOWN
                                          : WM_LBUTTONDOWN;
            break;
        case QEvent::MouseButtonDblClick:
            Msg = B == Qt::RightButton    ? WM_RBUTTONDBLCLK
                  : B == Qt::MiddleButton ? WM_MBUTTONDBLCLK
                                          : WM_LBUTTONDBLCLK;
            break;
        case QEvent::MouseButtonRelease:
            Msg = B == Qt::RightButton    ? WM_RBUTTONUP
                  : B == Qt::MiddleButton ? WM_MBUTTONUP
                                          : WM_LBUTTONUP;
            break;
        default:
            break;
    }
    if (Event->type() == QEvent::MouseMove || Event->type() == QEvent::MouseButtonPress) {
        // The window under the pointer chooses the cursor first, as the system asks it.
        QPointer<TWindowWidget> SavedCursorWindow = GCursorWindow;
        GCursorWindow = this;
        const int HitTest = Client.contains(WidgetPos) ? HTCLIENT : HTBORDER;
        Send(WM_SETCURSOR, reinterpret_cast<std::intptr_t>(this),
             MakeLParam(HitTest, static_cast<int>(Msg)));
        GCursorWindow = SavedCursorWindow;
        if (!Self) return;
    }
    Send(Msg, Keys, L);
}

// ---- Geometry and painting ------------------------------------------------------------------

void TWindowWidget::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    LayoutChrome();
    if (FControl != nullptr)
        GuardedCall(FControl, [this] { FControl->HandleResizedExternally(width(), height()); });
}

void TWindowWidget::moveEvent(QMoveEvent* Event) {
    QWidget::moveEvent(Event);
    if (FControl != nullptr && isWindow()) FControl->HandleMovedExternally(x(), y());
}

void TWindowWidget::focusInEvent(QFocusEvent* Event) {
    QWidget::focusInEvent(Event);
    if (!GSyncingQtFocus && GFocus.data() != this)
        GuardedCall(FControl, [this] { SetFocusWindow(this); });
}

void TWindowWidget::focusOutEvent(QFocusEvent* Event) {
    // The framework's focus changes only when another of its windows takes it.
    QWidget::focusOutEvent(Event);
}

void TWindowWidget::closeEvent(QCloseEvent* Event) {
    // The system's request to close a form's window asks the form, which may refuse it.
    auto* Form = dynamic_cast<TCustomForm*>(FControl);
    if (Form == nullptr) {
        QWidget::closeEvent(Event);
        return;
    }
    Event->ignore();
    GuardedCall(Form, [Form] { Form->Close(); });
}

void TWindowWidget::PaintFrame(TWinControl& Control, QPainter& Painter) {
    const int B = Control.GetBorderWidthNC() - Control.FBorderWidth;
    const QRect R(0, 0, Control.FWidth, Control.FHeight);
    if (Control.FBorderWidth > 0) {
        // The inner border shows the control's colour.
        const QRegion Ring =
            QRegion(R.adjusted(B, B, -B, -B)) -
            QRegion(R.adjusted(B + Control.FBorderWidth, B + Control.FBorderWidth,
                               -B - Control.FBorderWidth, -B - Control.FBorderWidth));
        for (const QRect& Part : Ring)
            Painter.fillRect(Part, ToQColor(ColorToRGB(Control.FColor)));
    }
    if (B == 2) {
        // A sunken edge: shadow and dark shadow above and left, highlight and light below.
        Painter.setPen(ToQColor(ColorToRGB(clBtnShadow)));
        Painter.drawLine(0, 0, R.width() - 2, 0);
        Painter.drawLine(0, 0, 0, R.height() - 2);
        Painter.setPen(ToQColor(ColorToRGB(clBtnHighlight)));
        Painter.drawLine(0, R.height() - 1, R.width() - 1, R.height() - 1);
        Painter.drawLine(R.width() - 1, 0, R.width() - 1, R.height() - 1);
        Painter.setPen(ToQColor(ColorToRGB(cl3DDkShadow)));
        Painter.drawLine(1, 1, R.width() - 3, 1);
        Painter.drawLine(1, 1, 1, R.height() - 3);
        Painter.setPen(ToQColor(ColorToRGB(cl3DLight)));
        Painter.drawLine(1, R.height() - 2, R.width() - 2, R.height() - 2);
        Painter.drawLine(R.width() - 2, 1, R.width() - 2, R.height() - 2);
    } else if (B == 1) {
        Painter.setPen(ToQColor(ColorToRGB(clWindowFrame)));
        Painter.setBrush(Qt::NoBrush);
        Painter.drawRect(0, 0, R.width() - 1, R.height() - 1);
    }
    if ((Control.FWindowStyle & WS_HSCROLL) && (Control.FWindowStyle & WS_VSCROLL)) {
        const TPoint O = Control.GetClientOrigin();
        const TRect C = Control.GetClientRect();
        Painter.fillRect(O.X + C.Right, O.Y + C.Bottom, GetSystemMetrics(SM_CXVSCROLL),
                         GetSystemMetrics(SM_CYHSCROLL), ToQColor(ColorToRGB(clBtnFace)));
    }
}

void TWindowWidget::PaintClientArea(TWinControl& Control, QPainter& Painter) {
    const TRect C = Control.GetClientRect();
    TCanvas DC;
    TCanvasTarget Target;
    Target.Painter = &Painter;
    Target.Bounds = QRect(0, 0, C.Width(), C.Height());
    AttachCanvas(DC, Target);
    Control.Perform(WM_ERASEBKGND, reinterpret_cast<std::intptr_t>(&DC), 0);
    Control.Perform(WM_PAINT, reinterpret_cast<std::intptr_t>(&DC), 0);
    DetachCanvas(DC);
}

void TWindowWidget::paintEvent(QPaintEvent* Event) {
    if (FControl == nullptr) return;
    const QRect C = ClientRectInWidget();
    const QRegion Region = Event->region();
    if (!FRedraw) return;
    if (IsPaintLocked(this)) {
        FPending += Region.intersected(C);
        return;
    }
    FPending -= Region;
    QPainter Painter(this);
    GuardedCall(FControl, [&] {
        PaintFrame(*FControl, Painter);
        Painter.save();
        Painter.translate(C.topLeft());
        Painter.setClipRegion(Region.intersected(C).translated(-C.topLeft()));
        PaintClientArea(*FControl, Painter);
        Painter.restore();
    });
}

}  // namespace carrelon
