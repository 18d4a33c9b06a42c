#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/controls/Controls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Streaming.h"
#include "platform/controls/WinUser.h"
#include "platform/controls/WindowWidgetQt.h"
#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

TWinControl* FindControl(HWND Handle) {
    if (!IsLiveWindow(Handle)) return nullptr;
    return Handle->Control();
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
    Destroying();
    if (TCustomForm* Form = GetParentForm(this)) Form->DefocusControl(this, true);
    Screen()->ControlDestroyed(this);
    if (FParent != nullptr) FParent->RemoveControl(this);
    DestroyHandle();
    // Child controls go with their parent window.
    while (!FControls.empty()) {
        TControl* C = FControls.back();
        RemoveControl(C);
        delete C;
    }
}

// ---- Messages -------------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_SETFOCUS:
            if (TCustomForm* Form = GetParentForm(this))
                if (!Form->SetFocusedControl(this)) return;
            break;
        case WM_KILLFOCUS:
            if (FControlState.Contains(csFocusing)) return;
            break;
        default:
            break;
    }
    TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
    if (DispatchKeyMessage(Message) || DispatchWindowMessage(Message) ||
        DispatchControlMessage(Message))
        return;
    TControl::Dispatch(Message);
}

// Keys and characters: the framework's first look at them (CN_) and the window's own messages.
bool TWinControl::DispatchKeyMessage(TMessage& Message) {
    switch (Message.Msg) {
        case WM_KEYDOWN:
            WMKeyDown(Message);
            return true;
        case WM_SYSKEYDOWN:
            WMSysKeyDown(Message);
            return true;
        case WM_KEYUP:
            WMKeyUp(Message);
            return true;
        case WM_SYSKEYUP:
            WMSysKeyUp(Message);
            return true;
        case WM_CHAR:
            WMChar(Message);
            return true;
        case CN_KEYDOWN:
        case CN_SYSKEYDOWN:
            CNKeyDown(Message);
            return true;
        case CN_KEYUP:
            CNKeyUp(Message);
            return true;
        case CN_CHAR:
            CNChar(Message);
            return true;
        case WM_GETDLGCODE:
            WMGetDlgCode(Message);
            return true;
        default:
            return false;
    }
}

// Focus, painting, sizing, timers, scrolling, cursor and redraw.
bool TWinControl::DispatchWindowMessage(TMessage& Message) {
    switch (Message.Msg) {
        case WM_SETFOCUS:
            WMSetFocus(Message);
            return true;
        case WM_KILLFOCUS:
            WMKillFocus(Message);
            return true;
        case WM_PAINT:
            WMPaint(Message);
            return true;
        case WM_ERASEBKGND:
            WMEraseBkgnd(Message);
            return true;
        case WM_NCCALCSIZE:
            WMNCCalcSize(Message);
            return true;
        case WM_SETCURSOR:
            WMSetCursor(Message);
            return true;
        case WM_SIZE:
            WMSize(Message);
            return true;
        case WM_TIMER:
            WMTimer(Message);
            return true;
        case WM_COMMAND:
            WMCommand(Message);
            return true;
        case WM_HSCROLL:
            WMHScroll(Message);
            return true;
        case WM_VSCROLL:
            WMVScroll(Message);
            return true;
        case WM_SETREDRAW:
            WMSetRedraw(Message);
            return true;
        case WM_CAPTURECHANGED:
            WMCaptureChanged(Message);
            return true;
        default:
            return false;
    }
}

// Clipboard requests and the framework's control notifications.
bool TWinControl::DispatchControlMessage(TMessage& Message) {
    switch (Message.Msg) {
        case WM_CUT:
            WMCut(Message);
            return true;
        case WM_COPY:
            WMCopy(Message);
            return true;
        case WM_PASTE:
            WMPaste(Message);
            return true;
        case CM_ENTER:
            CMEnter(Message);
            return true;
        case CM_EXIT:
            CMExit(Message);
            return true;
        case CM_CHILDKEY:
            CMChildKey(Message);
            return true;
        case CM_DIALOGKEY:
            CMDialogKey(Message);
            return true;
        case CM_WANTSPECIALKEY:
            CMWantSpecialKey(Message);
            return true;
        case CM_FOCUSCHANGED:
            CMFocusChanged(Message);
            return true;
        case CM_RECREATEWND:
            CMRecreateWnd(Message);
            return true;
        default:
            return false;
    }
}

void TWinControl::DefaultHandler(TMessage& Message) {
    TControl::DefaultHandler(Message);
}

void TWinControl::Broadcast(TMessage& Message) {
    // A copy: a handler may add or remove children.
    const std::vector<TControl*> Children = FControls;
    for (TControl* C : Children) {
        if (std::find(FControls.begin(), FControls.end(), C) == FControls.end()) continue;
        C->CallWindowProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(Cardinal Msg) {
    TMessage M{Msg, 0, 0, 0};
    Broadcast(M);
}

// ---- Keyboard -------------------------------------------------------------------------------

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char32_t& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

bool TWinControl::DoKeyDown(TMessage& Message) {
    if (FControlStyle.Contains(csNoStdEvents)) return false;
    Word Key = static_cast<Word>(Message.WParam);
    KeyDown(Key, KeyDataToShiftState(Message.LParam));
    Message.WParam = Key;
    return Key == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    if (FControlStyle.Contains(csNoStdEvents)) return false;
    Word Key = static_cast<Word>(Message.WParam);
    KeyUp(Key, KeyDataToShiftState(Message.LParam));
    Message.WParam = Key;
    return Key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    if (FControlStyle.Contains(csNoStdEvents)) return false;
    char32_t Key = static_cast<char32_t>(Message.WParam);
    KeyPress(Key);
    Message.WParam = static_cast<std::intptr_t>(Key);
    return Key == 0;
}

void TWinControl::WMKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::CNKeyDown(TMessage& Message) {
    Message.Result = 1;
    if (!GetComponentState().Contains(csDesigning)) {
        const std::intptr_t Key = Message.WParam;
        if (Perform(CM_CHILDKEY, Key, reinterpret_cast<std::intptr_t>(this)) != 0) return;
        std::intptr_t Mask = 0;
        switch (Key) {
            case VK_TAB:
                Mask = DLGC_WANTTAB;
                break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
                Mask = DLGC_WANTARROWS;
                break;
            case VK_RETURN:
            case VK_EXECUTE:
            case VK_ESCAPE:
            case VK_CANCEL:
                Mask = DLGC_WANTALLKEYS;
                break;
            default:
                break;
        }
        // A key the control does not claim is a dialog key of its form (Tab moves the focus).
        if (Mask != 0 && Perform(CM_WANTSPECIALKEY, Key, 0) == 0 &&
            (Perform(WM_GETDLGCODE, 0, 0) & Mask) == 0) {
            TCustomForm* Form = GetParentForm(this);
            if (Form != nullptr && Form->Perform(CM_DIALOGKEY, Key, Message.LParam) != 0) return;
        }
    }
    Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message) {
    Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 0;
}

void TWinControl::CMChildKey(TMessage& Message) {
    // A key reaches every parent before the control handles it; LParam names the control.
    if (FParent != nullptr)
        Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMDialogKey(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::CMWantSpecialKey(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMGetDlgCode(TMessage& Message) {
    DefaultHandler(Message);
}

// ---- Focus ----------------------------------------------------------------------------------

bool TWinControl::CanFocus() const {
    const TCustomForm* Form = GetParentForm(this);
    if (Form == nullptr) return false;
    for (const TControl* C = this; C != Form && C != nullptr; C = C->GetParent())
        if (!C->GetVisible() || !C->GetEnabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* Form = GetParentForm(this)) {
        Form->FocusControl(this);
        return;
    }
    if (FParent != nullptr || !FVisible)
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    WindowsSetFocus(GetHandle());
}

bool TWinControl::Focused() const {
    return FHandle != nullptr && GetFocus() == FHandle;
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::WMSetFocus(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::CMEnter(TMessage&) {
    DoEnter();
}

void TWinControl::CMExit(TMessage&) {
    DoExit();
}

void TWinControl::CMFocusChanged(TMessage& Message) {
    Broadcast(Message);
}

// ---- Children and tab order -----------------------------------------------------------------

TControl* TWinControl::GetControls(int Index) const {
    if (Index < 0 || Index >= GetControlCount())
        throw EComponentError("List index out of bounds (" + std::to_string(Index) + ")");
    return FControls[static_cast<size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
    if (AControl == nullptr || AControl->FParent == this) return;
    if (AControl->FParent != nullptr) AControl->FParent->RemoveControl(AControl);
    FControls.push_back(AControl);
    AControl->FParent = this;
    auto* W = dynamic_cast<TWinControl*>(AControl);
    if (W != nullptr) FTabList.push_back(W);
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    if (W != nullptr) {
        if (W->FParentCtl3D) W->FCtl3D = FCtl3D;
        if (HandleAllocated() && W->FVisible) W->HandleNeeded();
    } else {
        AControl->Invalidate();
    }
}

void TWinControl::RemoveControl(TControl* AControl) {
    auto It = std::find(FControls.begin(), FControls.end(), AControl);
    if (It == FControls.end()) return;
    auto* W = dynamic_cast<TWinControl*>(AControl);
    if (W != nullptr) {
        if (TCustomForm* Form = GetParentForm(this)) Form->DefocusControl(W, true);
        W->DestroyHandle();
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), W), FTabList.end());
    } else {
        AControl->Invalidate();
    }
    FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
    AControl->FParent = nullptr;
}

bool TWinControl::ContainsControl(const TControl* Control) const {
    for (const TControl* C = Control; C != nullptr; C = C->GetParent())
        if (C == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos) const {
    for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
        TControl* C = *It;
        if (C->GetVisible() && C->GetBoundsRect().Contains(Pos)) return C;
    }
    return nullptr;
}

int TWinControl::GetTabOrder() const {
    if (FParent == nullptr) return -1;
    const auto& L = FParent->FTabList;
    auto It = std::find(L.begin(), L.end(), this);
    return It == L.end() ? -1 : static_cast<int>(It - L.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (FParent == nullptr) return;
    auto& L = FParent->FTabList;
    auto It = std::find(L.begin(), L.end(), this);
    if (It == L.end()) return;
    L.erase(It);
    const int N = static_cast<int>(L.size());
    if (Value < 0 || Value > N) Value = N;
    L.insert(L.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* C : FTabList) {
        List.push_back(C);
        C->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward,
                                          bool CheckTabStop, bool CheckParent) const {
    std::vector<TWinControl*> List;
    GetTabOrderList(List);
    if (List.empty()) return nullptr;
    const int Count = static_cast<int>(List.size());
    auto Found = std::find(List.begin(), List.end(), CurControl);
    int StartIndex =
        Found == List.end() ? (GoForward ? Count - 1 : 0) : static_cast<int>(Found - List.begin());
    int I = StartIndex;
    do {
        if (GoForward) {
            if (++I == Count) I = 0;
        } else {
            if (I == 0) I = Count;
            --I;
        }
        TWinControl* C = List[static_cast<size_t>(I)];
        if (C->CanFocus() && (!CheckTabStop || C->GetTabStop()) &&
            (!CheckParent || C->GetParent() == this))
            return C;
    } while (I != StartIndex);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    TWinControl* Next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
    if (Next != nullptr) Next->SetFocus();
}

// ---- Window handle --------------------------------------------------------------------------

HWND TWinControl::GetHandle() {
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded() {
    if (FHandle != nullptr) return;
    TWindowWidget* ParentWidget = nullptr;
    if (FParent != nullptr) {
        FParent->HandleNeeded();
        ParentWidget = FParent->FHandle;
    }
    FControlState.Include(csCreating);
    FHandle = CreateWindowHandle(ParentWidget);
    UpdateWidgetGeometry();
    FHandle->setEnabled(FEnabled);
    CreateWnd();
    FrameChanged();
    FControlState.Exclude(csCreating);
    for (TWinControl* C : FTabList)
        if (C->FVisible) C->HandleNeeded();
    UpdateWidgetVisibility();
}

TWindowWidget* TWinControl::CreateWindowHandle(TWindowWidget* ParentWidget) {
    return new TWindowWidget(this, ParentWidget);
}

void TWinControl::CreateWnd() {}
void TWinControl::DestroyWnd() {}

void TWinControl::DestroyChildHandles() {
    for (TWinControl* C : FTabList)
        C->DestroyHandle();
}

void TWinControl::DestroyHandle() {
    if (FHandle == nullptr) return;
    DestroyChildHandles();
    FControlState.Include(csDestroyingHandle);
    DestroyWnd();
    TWindowWidget* W = FHandle;
    FHandle = nullptr;
    W->DetachControl();
    if (GetFocus() == W) SetFocusWindow(nullptr);
    if (GetCapture() == W) ReleaseCapture();
    // The widget may be inside one of its own event handlers (a click that frees its control).
    W->hide();
    W->deleteLater();
    W->setParent(nullptr);
    FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
    if (!HandleAllocated()) return;
    DestroyHandle();
    HandleNeeded();
}

void TWinControl::CMRecreateWnd(TMessage&) {
    RecreateWnd();
}

bool TWinControl::GetShowing() const {
    if (FHandle == nullptr) return false;
    for (const TControl* C = this; C != nullptr; C = C->GetParent())
        if (!C->GetVisible()) return false;
    return true;
}

void TWinControl::UpdateWidgetGeometry() {
    if (FHandle == nullptr) return;
    if (FParent == nullptr) {
        FHandle->setGeometry(FLeft, FTop, std::max(1, FWidth), std::max(1, FHeight));
    } else {
        const TPoint O = FParent->GetClientOrigin();
        FHandle->setGeometry(O.X + FLeft, O.Y + FTop, FWidth, FHeight);
    }
}

void TWinControl::UpdateWidgetVisibility() {
    if (FHandle == nullptr) return;
    FHandle->setVisible(FVisible);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    ConstrainSize(AWidth, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    const bool Sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    UpdateAnchorRules();
    if (FHandle != nullptr) {
        UpdateWidgetGeometry();
        if (Sized) {
            FrameChanged();
            const TRect C = GetClientRect();
            Perform(WM_SIZE, 0, MakeLParam(C.Width(), C.Height()));
        }
    }
    if (Sized) AnchorControls();
}

void TWinControl::HandleResizedExternally(int AWidth, int AHeight) {
    if (FParent != nullptr || (AWidth == FWidth && AHeight == FHeight)) return;
    FWidth = AWidth;
    FHeight = AHeight;
    const TRect C = GetClientRect();
    Perform(WM_SIZE, 0, MakeLParam(C.Width(), C.Height()));
    AnchorControls();
}

void TWinControl::HandleMovedExternally(int ALeft, int ATop) {
    if (FParent != nullptr) return;
    FLeft = ALeft;
    FTop = ATop;
}

int TWinControl::GetBorderWidthNC() const {
    int Frame = 0;
    if (FWindowExStyle & WS_EX_CLIENTEDGE)
        Frame = 2;
    else if (FWindowStyle & WS_BORDER)
        Frame = 1;
    return Frame + FBorderWidth;
}

void TWinControl::SetBorderWidth(int Value) {
    Value = std::clamp(Value, 0, 1 << 12);
    if (FBorderWidth == Value) return;
    FBorderWidth = Value;
    FrameChanged();
    Invalidate();
}

TRect TWinControl::GetClientRect() const {
    const int B = GetBorderWidthNC();
    int W = FWidth - 2 * B;
    int H = FHeight - 2 * B;
    if (FWindowStyle & WS_VSCROLL) W -= GetSystemMetrics(SM_CXVSCROLL);
    if (FWindowStyle & WS_HSCROLL) H -= GetSystemMetrics(SM_CYHSCROLL);
    return {0, 0, std::max(0, W), std::max(0, H)};
}

TPoint TWinControl::GetClientOrigin() const {
    const int B = GetBorderWidthNC();
    return {B, B};
}

void TWinControl::SetWindowStyle(std::int32_t Value) {
    if (FWindowStyle == Value) return;
    FWindowStyle = Value;
    if (FHandle != nullptr) {
        FHandle->LayoutChrome();
        FHandle->update();
    }
}

void TWinControl::SetWindowExStyle(std::int32_t Value) {
    if (FWindowExStyle == Value) return;
    FWindowExStyle = Value;
    if (FHandle != nullptr) {
        FHandle->LayoutChrome();
        FHandle->update();
    }
}

void TWinControl::FrameChanged() {
    if (FHandle == nullptr) return;
    TRect Proposed = {FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    Perform(WM_NCCALCSIZE, 0, reinterpret_cast<std::intptr_t>(&Proposed));
    if (FHandle != nullptr) FHandle->LayoutChrome();
}

void TWinControl::WMNCCalcSize(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::DefineProperties(TFiler& Filer) {
    TControl::DefineProperties(Filer);
    Filer.DefineBoolean(
        "TabStop", [this] { return FTabStop; }, [this](bool V) { SetTabStop(V); });
    Filer.DefineInteger(
        "TabOrder", [this] { return Int64{GetTabOrder()}; },
        [this](Int64 V) { SetTabOrder(static_cast<int>(V)); }, -1, 1 << 20, FParent != nullptr);
    Filer.DefineBoolean(
        "Ctl3D", [this] { return FCtl3D; }, [this](bool V) { SetCtl3D(V); }, !FParentCtl3D);
    Filer.DefineBoolean(
        "ParentCtl3D", [this] { return FParentCtl3D; }, [this](bool V) { SetParentCtl3D(V); },
        !FParentCtl3D);
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    for (TControl* C : FControls)
        if (C->GetOwner() == Root) Proc(C);
}

void TWinControl::SetCtl3D(bool Value) {
    FParentCtl3D = false;
    if (FCtl3D == Value) return;
    FCtl3D = Value;
    Perform(CM_CTL3DCHANGED, 0, 0);
    for (TWinControl* C : FTabList)
        if (C->FParentCtl3D) {
            C->SetCtl3D(Value);
            C->FParentCtl3D = true;
        }
}

void TWinControl::BringToFront() {
    if (FParent != nullptr) {
        auto& L = FParent->FControls;
        L.erase(std::find(L.begin(), L.end(), this));
        L.push_back(this);
    }
    if (FHandle != nullptr) FHandle->raise();
}

void TWinControl::SendToBack() {
    if (FParent != nullptr) {
        auto& L = FParent->FControls;
        L.erase(std::find(L.begin(), L.end(), this));
        L.insert(L.begin(), this);
    }
    if (FHandle != nullptr) FHandle->lower();
}

// ---- Painting -------------------------------------------------------------------------------

void TWinControl::Invalidate() {
    if (FHandle != nullptr) InvalidateRect(FHandle, nullptr, true);
}

void TWinControl::Update() {
    if (FHandle != nullptr) UpdateWindow(FHandle);
}

namespace {

// Saves the painter's state and restores it however the scope ends, so that a paint handler
// that raises leaves no translation or clip behind on the canvas.
class TSavedPainterState {
public:
    explicit TSavedPainterState(QPainter& P) : FPainter(P) { FPainter.save(); }
    ~TSavedPainterState() { FPainter.restore(); }
    TSavedPainterState(const TSavedPainterState&) = delete;
    TSavedPainterState& operator=(const TSavedPainterState&) = delete;

private:
    QPainter& FPainter;
};

}  // namespace

void TWinControl::PaintTo(TCanvas* DC, int X, int Y) {
    if (DC == nullptr) return;
    QPainter* P = CanvasPainter(*DC);
    if (P == nullptr) return;
    TSavedPainterState Saved(*P);
    P->translate(X, Y);
    TWindowWidget::PaintFrame(*this, *P);
    const TPoint O = GetClientOrigin();
    const TRect C = GetClientRect();
    P->translate(O.X, O.Y);
    P->setClipRect(QRect(0, 0, C.Width(), C.Height()), Qt::IntersectClip);
    TWindowWidget::PaintClientArea(*this, *P);
    for (TWinControl* Child : FTabList)
        if (Child->FVisible) {
            TSavedPainterState ChildSaved(*P);
            Child->PaintTo(DC, Child->FLeft, Child->FTop);
        }
}

void TWinControl::PaintToAsSized(TCanvas* DC, int X, int Y, int ClientWidth, int ClientHeight) {
    const int SavedWidth = FWidth;
    const int SavedHeight = FHeight;
    const std::int32_t SavedStyle = FWindowStyle;
    const auto Restore = [&] {
        FWidth = SavedWidth;
        FHeight = SavedHeight;
        FWindowStyle = SavedStyle;
    };
    // Only the fields change: the widget never hears of the size, so nothing moves on screen.
    const std::int64_t Border = 2 * std::int64_t{GetBorderWidthNC()};
    FWindowStyle &= ~(WS_HSCROLL | WS_VSCROLL);
    FWidth = static_cast<int>(std::min<std::int64_t>(std::max(ClientWidth, 0) + Border, INT_MAX));
    FHeight = static_cast<int>(std::min<std::int64_t>(std::max(ClientHeight, 0) + Border, INT_MAX));
    try {
        PaintTo(DC, X, Y);
    } catch (...) {
        Restore();
        throw;
    }
    Restore();
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    auto* DC = reinterpret_cast<TCanvas*>(Message.WParam);
    if (DC != nullptr) {
        DC->GetBrush()->SetColor(FColor);
        DC->GetBrush()->SetStyle(bsSolid);
        DC->FillRect(GetClientRect());
    }
    Message.Result = 1;
}

void TWinControl::WMPaint(TMessage& Message) {
    auto* DC = reinterpret_cast<TCanvas*>(Message.WParam);
    if (DC == nullptr) {
        // A WM_PAINT sent without a device context paints the window now.
        if (FHandle != nullptr && FHandle->isVisible()) FHandle->repaint();
        return;
    }
    PaintWindow(DC);
    // Windowless children paint on their parent, in z-order.
    for (TControl* C : FControls) {
        auto* G = dynamic_cast<TGraphicControl*>(C);
        if (G == nullptr || !G->GetVisible()) continue;
        QPainter* P = CanvasPainter(*DC);
        if (P == nullptr) continue;
        P->save();
        P->translate(G->GetLeft(), G->GetTop());
        P->setClipRect(QRect(0, 0, G->GetWidth(), G->GetHeight()), Qt::IntersectClip);
        TCanvasTarget Target;
        Target.Painter = P;
        Target.Bounds = QRect(0, 0, G->GetWidth(), G->GetHeight());
        AttachCanvas(*G->GetCanvas(), Target);
        G->Paint();
        DetachCanvas(*G->GetCanvas());
        P->restore();
    }
}

void TWinControl::PaintWindow(TCanvas*) {}

void TCustomControl::PaintWindow(TCanvas* DC) {
    QPainter* P = CanvasPainter(*DC);
    if (P == nullptr) return;
    const TRect C = GetClientRect();
    TCanvasTarget Target;
    Target.Painter = P;
    Target.Bounds = QRect(0, 0, C.Width(), C.Height());
    AttachCanvas(*FCanvas, Target);
    try {
        Paint();
    } catch (...) {
        DetachCanvas(*FCanvas);
        throw;
    }
    DetachCanvas(*FCanvas);
}

// ---- Other messages -------------------------------------------------------------------------

void TWinControl::WMSetCursor(TMessage& Message) {
    const int HitTest = LoWordSigned(Message.LParam);
    if (HitTest == HTCLIENT) {
        TCursor C = Screen()->GetCursor();
        if (C == crDefault) C = FCursor;
        if (C == crDefault) {
            // The parent decides (ultimately the arrow).
            if (FParent != nullptr) {
                Message.Result = FParent->Perform(WM_SETCURSOR, Message.WParam, Message.LParam);
                return;
            }
            C = crArrow;
        }
        carrelon::SetCursor(Screen()->GetCursors(C));
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMSize(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMTimer(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMCommand(TMessage& Message) {
    // Notifications from a child window are reflected back to the child.
    if (TWinControl* Child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
        Message.Result = Child->Perform(CN_COMMAND, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMHScroll(TMessage& Message) {
    if (TWinControl* Child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
        Message.Result = Child->Perform(CN_HSCROLL, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMVScroll(TMessage& Message) {
    if (TWinControl* Child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
        Message.Result = Child->Perform(CN_VSCROLL, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMSetRedraw(TMessage& Message) {
    if (FHandle != nullptr) FHandle->SetRedraw(Message.WParam != 0);
    DefaultHandler(Message);
}

void TWinControl::WMCaptureChanged(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMCut(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMCopy(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMPaste(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::CMFontChanged(TMessage& Message) {
    TControl::CMFontChanged(Message);
    NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMColorChanged(TMessage& Message) {
    TControl::CMColorChanged(Message);
    NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
    if (!FVisible) {
        if (TCustomForm* Form = GetParentForm(this))
            if (Form != this && ContainsControl(Form->GetActiveControl()))
                Form->DefocusControl(this, false);
    }
    if (FVisible && FHandle == nullptr && FParent != nullptr && FParent->HandleAllocated())
        HandleNeeded();
    UpdateWidgetVisibility();
    TControl::CMVisibleChanged(Message);
}

void TWinControl::CMEnabledChanged(TMessage& Message) {
    if (FHandle != nullptr) FHandle->setEnabled(FEnabled);
    TControl::CMEnabledChanged(Message);
}

}  // namespace carrelon
