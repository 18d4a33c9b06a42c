#include "platform/controls/Controls.h"

#include "platform/controls/DragEngine.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Streaming.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

TShiftState KeyDataToShiftState(std::intptr_t KeyData) {
    TShiftState S;
    if (GetKeyState(VK_SHIFT) < 0) S.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) S.Include(ssCtrl);
    if ((KeyData & AltMask) != 0) S.Include(ssAlt);
    return S;
}

TShiftState KeysToShiftState(std::intptr_t Keys) {
    TShiftState S;
    if (Keys & MK_SHIFT) S.Include(ssShift);
    if (Keys & MK_CONTROL) S.Include(ssCtrl);
    if (Keys & MK_LBUTTON) S.Include(ssLeft);
    if (Keys & MK_RBUTTON) S.Include(ssRight);
    if (Keys & MK_MBUTTON) S.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) S.Include(ssAlt);
    return S;
}

TCustomForm* GetParentForm(const TControl* Control) {
    if (Control == nullptr) return nullptr;
    const TControl* Top = Control;
    while (Top->GetParent() != nullptr)
        Top = Top->GetParent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(Top));
}

// ---- TControl -------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FColor(clWindow) {
    FFont = std::make_unique<TFont>();
    FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
    SetWindowProc(nullptr);
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl() {
    Destroying();
    TDragEngine::Forget(this);
    if (GetMouseCapture()) SetMouseCapture(false);
    FFont->OnChange = nullptr;
    // The menu keeps its free notification: it may have been popped up for this control and
    // must hear that it goes (the component's destructor tells it).
    if (FParent != nullptr) FParent->RemoveControl(this);
}

void TControl::SetWindowProc(TWndMethod Value) {
    if (!Value) Value = [this](TMessage& M) { WndProc(M); };
    FWindowProc = std::make_shared<const TWndMethod>(std::move(Value));
}

void TControl::CallWindowProc(TMessage& Message) {
    const std::shared_ptr<const TWndMethod> Running = FWindowProc;
    (*Running)(Message);
}

std::intptr_t TControl::Perform(Cardinal Msg, std::intptr_t WParam, std::intptr_t LParam) {
    TMessage M{Msg, WParam, LParam, 0};
    CallWindowProc(M);
    return M.Result;
}

void TControl::WndProc(TMessage& Message) {
    const bool Designing = GetComponentState().Contains(csDesigning);
    // While a drag lasts, it takes the mouse wherever the pointer is.
    if (!Designing && TDragEngine::Input(*this, Message)) return;
    if (!Designing && Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
        if (Message.Msg == WM_MOUSEMOVE) Application()->HintMouseMessage(this, Message);
        if (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) {
            if (FDragMode == dmAutomatic) {
                BeginDrag(true);
                return;
            }
            FControlState.Include(csLButtonDown);
            TDragEngine::DispatchPress(*this, Message);
            return;
        }
        if (Message.Msg == WM_LBUTTONUP) FControlState.Exclude(csLButtonDown);
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_LBUTTONDOWN:
            WMLButtonDown(Message);
            break;
        case WM_LBUTTONUP:
            WMLButtonUp(Message);
            break;
        case WM_LBUTTONDBLCLK:
            WMLButtonDblClk(Message);
            break;
        case WM_RBUTTONDOWN:
            WMRButtonDown(Message);
            break;
        case WM_RBUTTONUP:
            WMRButtonUp(Message);
            break;
        case WM_RBUTTONDBLCLK:
            WMRButtonDblClk(Message);
            break;
        case WM_MBUTTONDOWN:
            WMMButtonDown(Message);
            break;
        case WM_MBUTTONUP:
            WMMButtonUp(Message);
            break;
        case WM_MBUTTONDBLCLK:
            WMMButtonDblClk(Message);
            break;
        case WM_MOUSEMOVE:
            WMMouseMove(Message);
            break;
        case WM_MOUSEWHEEL:
            WMMouseWheel(Message);
            break;
        case WM_CANCELMODE:
            WMCancelMode(Message);
            break;
        case WM_CONTEXTMENU:
            WMContextMenu(Message);
            break;
        case CM_MOUSEWHEEL:
            CMMouseWheel(Message);
            break;
        case CM_COLORCHANGED:
            CMColorChanged(Message);
            break;
        case CM_FONTCHANGED:
            CMFontChanged(Message);
            break;
        case CM_PARENTCOLORCHANGED:
            CMParentColorChanged(Message);
            break;
        case CM_PARENTFONTCHANGED:
            CMParentFontChanged(Message);
            break;
        case CM_PARENTSHOWHINTCHANGED:
            CMParentShowHintChanged(Message);
            break;
        case CM_HINTSHOW:
            CMHintShow(Message);
            break;
        case CM_VISIBLECHANGED:
            CMVisibleChanged(Message);
            break;
        case CM_ENABLEDCHANGED:
            CMEnabledChanged(Message);
            break;
        case CM_MOUSEENTER:
            CMMouseEnter(Message);
            break;
        case CM_MOUSELEAVE:
            CMMouseLeave(Message);
            break;
        case CM_DESIGNHITTEST:
            CMDesignHitTest(Message);
            break;
        case CM_CHANGED:
            CMChanged(Message);
            break;
        case CM_CANCELMODE:
            CMCancelMode(Message);
            break;
        case CM_DRAG:
            CMDrag(Message);
            break;
        default:
            DefaultHandler(Message);
            break;
    }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent != nullptr && AComponent == FPopupMenu)
        FPopupMenu = nullptr;
}

void TControl::SetParent(TWinControl* AParent) {
    if (FParent == AParent) return;
    if (AParent == this) throw EComponentError("A control cannot have itself as its parent");
    if (FParent != nullptr) FParent->RemoveControl(this);
    if (AParent != nullptr) AParent->InsertControl(this);
    UpdateAnchorRules();
}

void TControl::SetParentComponent(TComponent* Value) {
    if (auto* W = dynamic_cast<TWinControl*>(Value)) SetParent(W);
}

void TControl::ConstrainSize(int& AWidth, int& AHeight) const {
    const TSizeConstraints& C = FConstraints;
    if (C.MaxWidth > 0 && AWidth > C.MaxWidth) AWidth = C.MaxWidth;
    if (C.MinWidth > 0 && AWidth < C.MinWidth) AWidth = C.MinWidth;
    if (C.MaxHeight > 0 && AHeight > C.MaxHeight) AHeight = C.MaxHeight;
    if (C.MinHeight > 0 && AHeight < C.MinHeight) AHeight = C.MinHeight;
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
}

void TControl::SetConstraints(const TSizeConstraints& Value) {
    FConstraints = Value;
    SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    ConstrainSize(AWidth, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    // A windowless control repaints through its parent, old and new place.
    if (FParent != nullptr && FVisible) {
        TRect Old = GetBoundsRect();
        if (FParent->HandleAllocated()) InvalidateRect(FParent->GetHandle(), &Old, true);
    }
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    UpdateAnchorRules();
    if (FParent != nullptr && FVisible && FParent->HandleAllocated()) {
        TRect New = GetBoundsRect();
        InvalidateRect(FParent->GetHandle(), &New, true);
    }
}

TRect TControl::GetClientRect() const {
    return {0, 0, FWidth, FHeight};
}

TPoint TControl::GetClientOrigin() const {
    return {0, 0};
}

void TControl::SetClientWidth(int Value) {
    SetWidth(Value + (FWidth - GetClientWidth()));
}

void TControl::SetClientHeight(int Value) {
    SetHeight(Value + (FHeight - GetClientHeight()));
}

TPoint TControl::ClientToScreen(TPoint P) const {
    TPoint O = GetClientOrigin();
    P.X += O.X;
    P.Y += O.Y;
    const TControl* C = this;
    // Windowless controls sit in their parent's client area.
    while (C != nullptr) {
        const TWinControl* W = dynamic_cast<const TWinControl*>(C);
        if (W != nullptr && const_cast<TWinControl*>(W)->HandleAllocated()) {
            TPoint R = P;
            carrelon::ClientToScreen(const_cast<TWinControl*>(W)->GetHandle(), R);
            TPoint WO = W->GetClientOrigin();
            return {R.X - WO.X, R.Y - WO.Y};
        }
        P.X += C->FLeft;
        P.Y += C->FTop;
        if (C->FParent == nullptr) break;
        TPoint PO = C->FParent->GetClientOrigin();
        P.X += PO.X;
        P.Y += PO.Y;
        C = C->FParent;
    }
    return P;
}

TPoint TControl::ScreenToClient(TPoint P) const {
    TPoint Origin = ClientToScreen({0, 0});
    return {P.X - Origin.X, P.Y - Origin.Y};
}

void TControl::SetVisible(bool Value) {
    if (FVisible == Value) return;
    VisibleChanging();
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
}

void TControl::VisibleChanging() {}

void TControl::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
    if (FColor != Value) {
        FColor = Value;
        FParentColor = false;
        Perform(CM_COLORCHANGED, 0, 0);
    } else {
        FParentColor = false;
    }
}

void TControl::SetParentColor(bool Value) {
    if (FParentColor == Value) return;
    FParentColor = Value;
    // While reading too: the reader gives a control its parent, whose properties are read
    // by then, before its own properties.
    if (FParent != nullptr) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(const TFont* Value) {
    FFont->Assign(Value);
}

void TControl::FontChanged(TObject*) {
    FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    // While reading too, as for the colour.
    if (FParent != nullptr) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
    if (FCursor == Value) return;
    FCursor = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
    if (FShowHint == Value && !FParentShowHint) return;
    FShowHint = Value;
    FParentShowHint = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
    if (FParentShowHint == Value) return;
    FParentShowHint = Value;
    if (FParent != nullptr) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
    if (FPopupMenu == Value) return;
    // One link serves both ways: it stays while the old menu was popped up for this control.
    if (FPopupMenu != nullptr && FPopupMenu->GetPopupComponent() != this)
        FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Value;
    if (Value != nullptr) Value->FreeNotification(this);
}

AnsiString TControl::GetText() const {
    return FText;
}

void TControl::SetText(const AnsiString& Value) {
    if (FText == Value) return;
    FText = Value;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::Invalidate() {
    if (FParent != nullptr && FVisible && FParent->HandleAllocated()) {
        TRect R = GetBoundsRect();
        InvalidateRect(FParent->GetHandle(), &R, true);
    }
}

void TControl::Update() {
    if (FParent != nullptr) FParent->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {}
void TControl::SendToBack() {}

bool TControl::GetMouseCapture() const {
    HWND C = GetCapture();
    if (C == nullptr) return false;
    return FindControl(C) == this;
}

void TControl::SetMouseCapture(bool Value) {
    if (GetMouseCapture() == Value) return;
    if (Value) {
        if (auto* W = dynamic_cast<TWinControl*>(this))
            carrelon::SetCapture(W->GetHandle());
        else if (FParent != nullptr)
            carrelon::SetCapture(FParent->GetHandle());
    } else {
        ReleaseCapture();
    }
}

void TControl::Changed() {
    Perform(CM_CHANGED, 0, reinterpret_cast<std::intptr_t>(this));
}

void TControl::SendCancelMode(TControl* Sender) {
    for (TControl* C = this; C != nullptr; C = C->FParent)
        if (auto* F = dynamic_cast<TCustomForm*>(C)) F->SendCancelMode(Sender);
}

void TControl::DefineProperties(TFiler& Filer) {
    TComponent::DefineProperties(Filer);
    constexpr Int64 Coord = 1 << 24;
    Filer.DefineInteger(
        "Left", [this] { return Int64{FLeft}; }, [this](Int64 V) { SetLeft(static_cast<int>(V)); },
        -Coord, Coord);
    Filer.DefineInteger(
        "Top", [this] { return Int64{FTop}; }, [this](Int64 V) { SetTop(static_cast<int>(V)); },
        -Coord, Coord);
    Filer.DefineInteger(
        "Width", [this] { return Int64{FWidth}; },
        [this](Int64 V) { SetWidth(static_cast<int>(V)); }, 0, Coord);
    Filer.DefineInteger(
        "Height", [this] { return Int64{FHeight}; },
        [this](Int64 V) { SetHeight(static_cast<int>(V)); }, 0, Coord);
    Filer.DefineBoolean(
        "Visible", [this] { return FVisible; }, [this](bool V) { SetVisible(V); }, !FVisible);
    Filer.DefineBoolean(
        "Enabled", [this] { return FEnabled; }, [this](bool V) { SetEnabled(V); }, !FEnabled);
    Filer.DefineInteger(
        "Color", [this] { return Int64{FColor}; },
        [this](Int64 V) { SetColor(static_cast<TColor>(V)); }, INT32_MIN, INT32_MAX, !FParentColor);
    // Always written: panels, edits and forms start without ParentColor (forms without
    // ParentFont), so leaving out a True would read back as False.
    Filer.DefineBoolean(
        "ParentColor", [this] { return FParentColor; }, [this](bool V) { SetParentColor(V); });
    DefineFontProperties(Filer, "Font", FFont.get(), !FParentFont);
    Filer.DefineBoolean(
        "ParentFont", [this] { return FParentFont; }, [this](bool V) { SetParentFont(V); });
    Filer.DefineString(
        "Hint", [this] { return FHint; }, [this](const AnsiString& V) { SetHint(V); },
        !FHint.empty());
    Filer.DefineBoolean(
        "ShowHint", [this] { return FShowHint; }, [this](bool V) { SetShowHint(V); },
        !FParentShowHint);
    Filer.DefineBoolean(
        "ParentShowHint", [this] { return FParentShowHint; },
        [this](bool V) { SetParentShowHint(V); }, !FParentShowHint);
    Filer.DefineInteger(
        "Cursor", [this] { return Int64{FCursor}; },
        [this](Int64 V) { SetCursor(static_cast<TCursor>(V)); }, -32768, 32767,
        FCursor != crDefault);
}

// Mouse.

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool Handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, Handled);
    if (Handled) return true;
    // One step per whole notch: a turn of several notches steps several times, and the parts
    // of a notch that fine-grained wheels send add up until they make one.
    FWheelAccumulator += WheelDelta;
    while (FWheelAccumulator <= -WHEEL_DELTA || FWheelAccumulator >= WHEEL_DELTA) {
        const bool Down = FWheelAccumulator < 0;
        FWheelAccumulator += Down ? WHEEL_DELTA : -WHEEL_DELTA;
        Handled = Down ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos);
    }
    return Handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    bool Handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, Handled);
    return Handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    bool Handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, Handled);
    return Handled;
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
    const TPoint P = PointFromLParam(Message.LParam);
    MouseDown(Button, KeysToShiftState(Message.WParam) + Shift, P.X, P.Y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
    const TPoint P = PointFromLParam(Message.LParam);
    MouseUp(Button, KeysToShiftState(Message.WParam), P.X, P.Y);
}

void TControl::WMLButtonDown(TMessage& Message) {
    SendCancelMode(this);
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    // Only a single press makes a click; the second press of a double click does not.
    if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
    DoMouseDown(Message, mbLeft, {});
    DefaultHandler(Message);
}

void TControl::WMLButtonDblClk(TMessage& Message) {
    SendCancelMode(this);
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents)) DblClick();
    DoMouseDown(Message, mbLeft, {ssDouble});
    DefaultHandler(Message);
}

void TControl::WMLButtonUp(TMessage& Message) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
    if (FControlState.Contains(csClicked)) {
        FControlState.Exclude(csClicked);
        if (GetClientRect().Contains(PointFromLParam(Message.LParam))) Click();
    }
    DoMouseUp(Message, mbLeft);
    DefaultHandler(Message);
}

void TControl::WMRButtonDown(TMessage& Message) {
    SendCancelMode(this);
    DoMouseDown(Message, mbRight, {});
    DefaultHandler(Message);
}

void TControl::WMRButtonDblClk(TMessage& Message) {
    SendCancelMode(this);
    DoMouseDown(Message, mbRight, {ssDouble});
    DefaultHandler(Message);
}

void TControl::WMRButtonUp(TMessage& Message) {
    DoMouseUp(Message, mbRight);
    DefaultHandler(Message);
    // The context menu follows the release, as the system sends it.
    const TPoint P = PointFromLParam(Message.LParam);
    TPoint S = ClientToScreen(P);
    Perform(WM_CONTEXTMENU, 0, MakeLParam(S.X, S.Y));
}

void TControl::WMMButtonDown(TMessage& Message) {
    SendCancelMode(this);
    DoMouseDown(Message, mbMiddle, {});
    DefaultHandler(Message);
}

void TControl::WMMButtonDblClk(TMessage& Message) {
    SendCancelMode(this);
    DoMouseDown(Message, mbMiddle, {ssDouble});
    DefaultHandler(Message);
}

void TControl::WMMButtonUp(TMessage& Message) {
    DoMouseUp(Message, mbMiddle);
    DefaultHandler(Message);
}

void TControl::WMMouseMove(TMessage& Message) {
    const TPoint P = PointFromLParam(Message.LParam);
    MouseMove(KeysToShiftState(Message.WParam), P.X, P.Y);
    DefaultHandler(Message);
}

void TControl::WMMouseWheel(TMessage& Message) {
    // Unhandled wheel turns go to the parent, as the system passes them up.
    const TShiftState Shift = KeysToShiftState(LoWordSigned(Message.WParam) & 0xFFFF);
    const int Delta = HiWordSigned(Message.WParam);
    const TPoint MousePos = PointFromLParam(Message.LParam);
    if (GetComponentState().Contains(csDesigning) || !DoMouseWheel(Shift, Delta, MousePos)) {
        if (FParent != nullptr)
            Message.Result = FParent->Perform(WM_MOUSEWHEEL, Message.WParam, Message.LParam);
        else
            DefaultHandler(Message);
    } else {
        Message.Result = 1;
    }
}

void TControl::CMMouseWheel(TMessage& Message) {
    WMMouseWheel(Message);
}

void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    if (GetComponentState().Contains(csDesigning)) {
        DefaultHandler(Message);
        return;
    }
    // (-1, -1) asks from the keyboard; a pointer outside the client area asks for no menu.
    const TPoint S = PointFromLParam(Message.LParam);
    const bool FromKeyboard = S.X == -1 && S.Y == -1;
    const TPoint MousePos = FromKeyboard ? S : ScreenToClient(S);
    if (!FromKeyboard && !GetClientRect().Contains(MousePos)) {
        DefaultHandler(Message);
        return;
    }
    bool Handled = false;
    DoContextPopup(MousePos, Handled);
    if (Handled) {
        Message.Result = 1;
        return;
    }
    if (FPopupMenu == nullptr || !FPopupMenu->GetAutoPopup()) {
        DefaultHandler(Message);
        return;
    }
    const TPoint At = FromKeyboard ? ClientToScreen({0, 0}) : S;
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(At.X, At.Y);
    Message.Result = 1;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::WMCancelMode(TMessage& Message) {
    if (GetMouseCapture()) {
        SetMouseCapture(false);
        if (FControlState.Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, -1);
    } else {
        FControlState.Exclude(csLButtonDown);
    }
    DefaultHandler(Message);
}

void TControl::CMColorChanged(TMessage&) {
    Invalidate();
}

void TControl::CMFontChanged(TMessage&) {
    Invalidate();
}

void TControl::CMParentColorChanged(TMessage&) {
    if (FParentColor && FParent != nullptr) {
        SetColor(FParent->GetColor());
        FParentColor = true;
    }
}

void TControl::CMParentFontChanged(TMessage&) {
    if (FParentFont && FParent != nullptr) {
        SetFont(FParent->GetFont());
        FParentFont = true;
    }
}

void TControl::CMParentShowHintChanged(TMessage&) {
    if (FParentShowHint && FParent != nullptr) {
        FShowHint = FParent->GetShowHint();
        FParentShowHint = true;
    }
}

void TControl::CMHintShow(TMessage& Message) {
    DefaultHandler(Message);
}

void TControl::CMVisibleChanged(TMessage&) {
    if (FParent != nullptr && FParent->HandleAllocated()) {
        TRect R = GetBoundsRect();
        InvalidateRect(FParent->GetHandle(), &R, true);
    }
}

void TControl::CMEnabledChanged(TMessage&) {
    Invalidate();
}

void TControl::CMMouseEnter(TMessage& Message) {
    if (FParent != nullptr)
        FParent->Perform(CM_MOUSEENTER, 0, reinterpret_cast<std::intptr_t>(this));
    (void)Message;
}

void TControl::CMMouseLeave(TMessage& Message) {
    if (FParent != nullptr)
        FParent->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<std::intptr_t>(this));
    (void)Message;
}

void TControl::CMDesignHitTest(TMessage& Message) {
    DefaultHandler(Message);
}

void TControl::CMChanged(TMessage& Message) {
    DefaultHandler(Message);
}

void TControl::CMCancelMode(TMessage& Message) {
    // Sender (LParam) is the control whose click started the cancel; others end their modes.
    if (reinterpret_cast<TControl*>(Message.LParam) != this) Perform(WM_CANCELMODE, 0, 0);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = static_cast<bool>(OnDragOver);
    if (OnDragOver) OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::CMDrag(TMessage& Message) {
    const auto* Rec = reinterpret_cast<const TDragRec*>(Message.LParam);
    if (Rec == nullptr) return;
    const TPoint P = ScreenToClient(Rec->Pos);
    switch (Rec->DragMessage) {
        case dmDragEnter:
        case dmDragLeave:
        case dmDragMove: {
            bool Accept = false;
            DragOver(Rec->Source, P.X, P.Y, static_cast<TDragState>(Rec->DragMessage), Accept);
            Message.Result = Accept ? 1 : 0;
            break;
        }
        case dmDragDrop:
            DragDrop(Rec->Source, P.X, P.Y);
            break;
        default:
            break;
    }
}

// ---- TCustomControl and TGraphicControl -----------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() {
    Destroying();
    DestroyHandle();
}

void TCustomControl::Paint() {}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Paint() {}

}  // namespace carrelon
