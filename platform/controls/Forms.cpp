#include "platform/controls/Forms.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMessageBox>
#include <QToolTip>
#include <algorithm>
#include <iostream>

#include "platform/controls/WinUser.h"
#include "platform/controls/WindowWidgetQt.h"
#include "platform/graphics/Colors.h"

namespace carrelon {

// ---- TCustomForm ----------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
    FVisible = false;
    FColor = clBtnFace;
    FParentColor = false;
    FParentFont = false;
    FWidth = 320;
    FHeight = 240;
    Screen()->AddForm(this);
}

TCustomForm::~TCustomForm() {
    Destroying();
    FActiveControl = nullptr;
    FFocusedControl = nullptr;
    if (FActive) Deactivate();
    Screen()->RemoveForm(this);
}

TWindowWidget* TCustomForm::CreateWindowHandle(TWindowWidget* ParentWidget) {
    auto* W = new TWindowWidget(this, ParentWidget);
    W->setWindowTitle(QString::fromStdString(GetText()));
    return W;
}

void TCustomForm::SetText(const AnsiString& Value) {
    TWinControl::SetText(Value);
    if (HandleAllocated()) FHandle->setWindowTitle(QString::fromStdString(Value));
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove) {
        if (AComponent == FActiveControl) FActiveControl = nullptr;
        if (AComponent == FFocusedControl) FFocusedControl = nullptr;
    }
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (FActiveControl == Control) {
        // Already active but the window focus is elsewhere (the form itself): give it back.
        if (Control != nullptr && FActive && Control->HandleAllocated() &&
            GetFocus() != Control->GetHandle())
            SetWindowFocus();
        return;
    }
    const bool Loading = GetComponentState().Contains(csLoading);
    if (Control != nullptr &&
        !(Control != this && GetParentForm(Control) == this && (Loading || Control->CanFocus())))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    FActiveControl = Control;
    if (!Loading && FActive) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
    const bool WasActive = FActive;
    SetActiveControl(Control);
    if (!WasActive) SetFocus();
}

void TCustomForm::SetFocus() {
    if (!FActive) {
        if (!(FVisible && FEnabled))
            throw EInvalidOperation("Cannot focus a disabled or invisible window");
        Activate();
        return;
    }
    TWinControl::SetFocus();
}

bool TCustomForm::CanFocus() const {
    return FVisible && FEnabled;
}

void TCustomForm::SetWindowFocus() {
    HWND H = FActiveControl != nullptr ? FActiveControl->GetHandle() : GetHandle();
    if (H == nullptr) return;
    WindowsSetFocus(H);
}

namespace {
int GFocusCount = 0;

// Sends a focus message; false when its handler changed the focus (a new focus change began).
bool SendFocusMessage(TWinControl* Control, Cardinal Msg) {
    const int Count = GFocusCount;
    Control->Perform(Msg, 0, 0);
    return GFocusCount == Count;
}
}  // namespace

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
    ++GFocusCount;
    // The active control changes before the old control hears that it lost the focus.
    FActiveControl = Control != this ? Control : nullptr;
    Screen()->FActiveControl = Control;
    Screen()->FActiveCustomForm = this;
    if (Control->GetControlState().Contains(csFocusing)) return false;
    Control->FControlState.Include(csFocusing);
    struct TClearFocusing {
        TWinControl* C;
        ~TClearFocusing() { C->FControlState.Exclude(csFocusing); }
    } Clear{Control};
    if (FFocusedControl == nullptr) FFocusedControl = this;
    if (FFocusedControl != Control) {
        while (FFocusedControl != nullptr && !FFocusedControl->ContainsControl(Control)) {
            if (!SendFocusMessage(FFocusedControl, CM_EXIT)) return false;
            FFocusedControl = FFocusedControl->GetParent();
        }
        while (FFocusedControl != Control) {
            TWinControl* Temp = Control;
            while (Temp->GetParent() != FFocusedControl)
                Temp = Temp->GetParent();
            FFocusedControl = Temp;
            if (!SendFocusMessage(Temp, CM_ENTER)) return false;
        }
        Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<std::intptr_t>(Control));
    }
    return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
    if (Control == nullptr) return;
    if (Removing) {
        // A control going away hears nothing more: the window focus is dropped silently.
        HWND F = GetFocus();
        if (F != nullptr && Control->ContainsControl(FindControl(F))) ForgetFocusWindow();
        if (Control->ContainsControl(FFocusedControl)) FFocusedControl = Control->GetParent();
    }
    if (Control->ContainsControl(FActiveControl)) {
        FActiveControl = nullptr;
        if (FActive && !GetComponentState().Contains(csDestroying) && HandleAllocated())
            SetWindowFocus();
    }
    if (Screen()->FActiveControl != nullptr && Control->ContainsControl(Screen()->FActiveControl))
        Screen()->FActiveControl = nullptr;
}

void TCustomForm::SendCancelMode(TControl* Sender) {
    if (FActive && FActiveControl != nullptr)
        FActiveControl->Perform(CM_CANCELMODE, 0, reinterpret_cast<std::intptr_t>(Sender));
}

bool TCustomForm::CloseQuery() {
    bool CanClose = true;
    // A copy runs: the handler may put another one in its place.
    if (const TCloseQueryEvent Handler = OnCloseQuery) Handler(this, CanClose);
    return CanClose;
}

void TCustomForm::Close() {
    if (FClosing) return;
    FClosing = true;
    struct TReset {
        bool& F;
        ~TReset() { F = false; }
    } Reset{FClosing};
    // Controls in a mode (an open editor) hear of the close first and may refuse it.
    SendCancelMode(this);
    if (!CloseQuery()) return;
    TCloseAction Action = caHide;
    if (OnClose) OnClose(this, Action);
    if (Action == caNone) return;
    if (Action == caHide || Action == caMinimize) {
        Hide();
    } else if (Action == caFree) {
        Hide();
        PostMessageA(GetHandle(), CM_RELEASE, 0, 0);
    }
}

void TCustomForm::Show() {
    if (!FVisible) {
        if (OnShow) OnShow(this);
        SetVisible(true);
    }
    Activate();
}

void TCustomForm::Hide() {
    if (!FVisible) return;
    Deactivate();
    SetVisible(false);
    if (OnHide) OnHide(this);
}

void TCustomForm::CMVisibleChanged(TMessage& Message) {
    if (FVisible) HandleNeeded();
    TWinControl::CMVisibleChanged(Message);
}

void TCustomForm::Activate() {
    if (FActive) {
        SetWindowFocus();
        return;
    }
    TCustomForm* Previous = Screen()->FActiveCustomForm;
    if (Previous != nullptr && Previous != this) Previous->Deactivate();
    FActive = true;
    Screen()->FActiveCustomForm = this;
    if (HandleAllocated()) {
        FHandle->activateWindow();
        QApplication::setActiveWindow(FHandle);
    }
    if (OnActivate) OnActivate(this);
    if (FActive) SetWindowFocus();
}

void TCustomForm::Deactivate() {
    if (!FActive) return;
    FActive = false;
    if (Screen()->FActiveCustomForm == this) Screen()->FActiveCustomForm = nullptr;
    if (OnDeactivate && !GetComponentState().Contains(csDestroying)) OnDeactivate(this);
}

void TCustomForm::WMSetFocus(TMessage& Message) {
    TWinControl::WMSetFocus(Message);
}

void TCustomForm::CMDialogKey(TMessage& Message) {
    const Word Key = static_cast<Word>(Message.WParam);
    switch (Key) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                Message.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (FActiveControl != nullptr && FActiveControl->GetParent() != nullptr) {
                FActiveControl->GetParent()->SelectNext(FActiveControl,
                                                        Key == VK_RIGHT || Key == VK_DOWN, false);
                Message.Result = 1;
                return;
            }
            break;
        default:
            break;
    }
    TWinControl::CMDialogKey(Message);
}

void TCustomForm::WndProc(TMessage& Message) {
    if (Message.Msg == CM_RELEASE) {
        delete this;
        return;
    }
    TWinControl::WndProc(Message);
}

// ---- TApplication ---------------------------------------------------------------------------

namespace {
// Hint pauses are plain ints; one below zero means no pause.
Cardinal PauseOf(int Milliseconds) {
    return static_cast<Cardinal>(std::max(Milliseconds, 0));
}
}  // namespace

struct TApplication::TPrivate {
    explicit TPrivate(TApplication* App)
        : PauseTimer([App] { GuardedCall(App, [App] { App->HintTimerExpired(); }); }),
          HideTimer([App] { GuardedCall(App, [App] { App->HideHint(); }); }) {}
    TPlatformTimer PauseTimer;
    TPlatformTimer HideTimer;
    TWindowWidget* Handle = nullptr;
};

TApplication::TApplication(TComponent* AOwner)
    : TComponent(AOwner), D(std::make_unique<TPrivate>(this)), FHintColor(clInfoBk) {}

TApplication::~TApplication() = default;

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FHintControl) {
        HideHint();
        D->PauseTimer.Stop();
        FHintControl = nullptr;
        FHintInfo = THintInfo();
    }
}

void TApplication::ProcessMessages() {
    // Posted messages may post more (a deferred paint posts its update); a few passes settle.
    for (int Pass = 0; Pass < 3; ++Pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void TApplication::HandleException(TObject* Sender, const std::exception& E) {
    if (dynamic_cast<const EAbort*>(&E) != nullptr) return;
    if (OnException) {
        OnException(Sender, E);
        return;
    }
    MessageDlg(E.what(), mtError, {mbOK}, 0);
}

HWND TApplication::GetHandle() {
    return nullptr;
}

void TApplication::SetShowHint(bool Value) {
    if (FShowHint == Value) return;
    FShowHint = Value;
    if (!Value) CancelHint();
}

void TApplication::HideHint() {
    if (FHintShowing) {
        FHintShowing = false;
        if (QCoreApplication::instance() != nullptr) QToolTip::hideText();
    }
    D->HideTimer.Stop();
}

void TApplication::CancelHint() {
    HideHint();
    D->PauseTimer.Stop();
    if (FHintControl != nullptr) FHintControl->RemoveFreeNotification(this);
    FHintControl = nullptr;
    FHintInfo = THintInfo();
}

namespace {
// The control's hint, else the nearest parent's.
AnsiString HintOf(const TControl* C) {
    for (; C != nullptr; C = C->GetParent())
        if (!C->GetHint().empty()) return C->GetHint();
    return "";
}

bool ShowsHint(const TControl* C) {
    return C != nullptr && C->GetShowHint();
}
}  // namespace

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
    if (!FShowHint || QCoreApplication::instance() == nullptr) return;
    const TPoint P = PointFromLParam(Message.LParam);
    TControl* Target = ShowsHint(Control) ? Control : nullptr;
    if (Target != FHintControl) {
        const bool WasShowing = FHintShowing;
        HideHint();
        if (FHintControl != nullptr) FHintControl->RemoveFreeNotification(this);
        FHintControl = Target;
        if (Target != nullptr) Target->FreeNotification(this);
        if (Target != nullptr)
            D->PauseTimer.Start(PauseOf(WasShowing ? FHintShortPause : FHintPause), false);
        else
            D->PauseTimer.Stop();
        FHintInfo.CursorPos = P;
        return;
    }
    FHintInfo.CursorPos = P;
    if (FHintShowing && !FHintInfo.CursorRect.Contains(P)) {
        // Leaving the hint's rectangle starts over, as a new control would.
        HideHint();
        D->PauseTimer.Start(PauseOf(FHintShortPause), false);
    } else if (!FHintShowing && Target != nullptr && !D->PauseTimer.Active()) {
        D->PauseTimer.Start(PauseOf(FHintPause), false);
    }
}

void TApplication::HintTimerExpired() {
    if (FHintControl == nullptr) return;
    ShowHintFor(FHintControl, FHintInfo.CursorPos);
}

void TApplication::ActivateHint(TPoint CursorPos) {
    QWidget* W = QApplication::widgetAt(QPoint(CursorPos.X, CursorPos.Y));
    TWinControl* Control = nullptr;
    for (; W != nullptr && Control == nullptr; W = W->parentWidget())
        if (auto* TW = dynamic_cast<TWindowWidget*>(W)) Control = TW->Control();
    TControl* Target = FHintControl;
    if (Control != nullptr) {
        const TPoint Local = Control->ScreenToClient(CursorPos);
        TControl* Child = Control->ControlAtPos(Local);
        Target = Child != nullptr && dynamic_cast<TWinControl*>(Child) == nullptr ? Child : Control;
    }
    if (Target == nullptr) return;
    if (Target != FHintControl) {
        if (FHintControl != nullptr) FHintControl->RemoveFreeNotification(this);
        FHintControl = Target;
        Target->FreeNotification(this);
    }
    ShowHintFor(Target, Target->ScreenToClient(CursorPos));
}

void TApplication::ShowHintFor(TControl* Control, TPoint CursorPos) {
    if (!ShowsHint(Control)) return;
    THintInfo Info;
    Info.HintControl = Control;
    Info.CursorPos = CursorPos;
    const TPoint Screen = Control->ClientToScreen(CursorPos);
    Info.HintPos = {Screen.X, Screen.Y + 16};
    Info.HintMaxWidth = carrelon::Screen()->GetWidth();
    Info.HintColor = FHintColor;
    Info.CursorRect = Control->GetClientRect();
    Info.ReshowTimeout = 0;
    Info.HideTimeout = FHintHidePause;
    Info.HintStr = HintOf(Control);
    const bool CanShow =
        Control->Perform(CM_HINTSHOW, 0, reinterpret_cast<std::intptr_t>(&Info)) == 0;
    FHintInfo = Info;
    if (!CanShow || Info.HintStr.empty()) {
        HideHint();
        return;
    }
    FHintShowing = true;
    QWidget* W = nullptr;
    if (auto* WC = dynamic_cast<TWinControl*>(Control); WC != nullptr && WC->HandleAllocated())
        W = WC->GetHandle();
    QToolTip::showText(QPoint(Info.HintPos.X, Info.HintPos.Y), QString::fromStdString(Info.HintStr),
                       W);
    if (Info.HideTimeout > 0) D->HideTimer.Start(PauseOf(Info.HideTimeout), false);
}

// ---- TScreen --------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() = default;

TCustomForm* TScreen::GetForms(int Index) const {
    if (Index < 0 || Index >= GetFormCount())
        throw EComponentError("List index out of bounds (" + std::to_string(Index) + ")");
    return FForms[static_cast<size_t>(Index)];
}

void TScreen::AddForm(TCustomForm* Form) {
    FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
    if (FActiveCustomForm == Form) FActiveCustomForm = nullptr;
    if (FActiveControl != nullptr && Form->ContainsControl(FActiveControl))
        FActiveControl = nullptr;
}

void TScreen::ControlDestroyed(TWinControl* Control) {
    if (FActiveControl == Control) FActiveControl = nullptr;
}

void TScreen::SetCursor(TCursor Value) {
    if (FCursor == Value) return;
    const bool HadOverride = FCursor != crDefault;
    FCursor = Value;
    if (QCoreApplication::instance() == nullptr) return;
    if (HadOverride) QApplication::restoreOverrideCursor();
    if (Value != crDefault) {
        carrelon::SetCursor(Value);
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        QWidget* W = CursorWindow();
        QApplication::changeOverrideCursor(W != nullptr ? W->cursor() : QCursor(Qt::ArrowCursor));
    }
}

int TScreen::GetWidth() const {
    return GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::GetHeight() const {
    return GetSystemMetrics(SM_CYSCREEN);
}

std::vector<AnsiString> TScreen::GetFonts() const {
    std::vector<AnsiString> Result;
    if (QCoreApplication::instance() == nullptr) return Result;
    for (const QString& F : QFontDatabase::families())
        Result.push_back(F.toStdString());
    std::sort(Result.begin(), Result.end());
    return Result;
}

TApplication* Application() {
    static TApplication Instance(nullptr);
    return &Instance;
}

TScreen* Screen() {
    static TScreen Instance(nullptr);
    return &Instance;
}

// ---- Message boxes --------------------------------------------------------------------------

namespace {
TMessageDlgHandler& DlgHandler() {
    static TMessageDlgHandler Handler;
    return Handler;
}

TModalResult DefaultButtonResult(TMsgDlgButtons Buttons) {
    if (Buttons.Contains(mbOK)) return mrOk;
    if (Buttons.Contains(mbYes)) return mrYes;
    if (Buttons.Contains(mbRetry)) return mrRetry;
    if (Buttons.Contains(mbCancel)) return mrCancel;
    if (Buttons.Contains(mbNo)) return mrNo;
    if (Buttons.Contains(mbAbort)) return mrAbort;
    if (Buttons.Contains(mbIgnore)) return mrIgnore;
    return mrOk;
}

TModalResult ShowDialog(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
    const QString Platform = QGuiApplication::platformName();
    if (QCoreApplication::instance() == nullptr || Platform == "offscreen" ||
        Platform == "minimal") {
        // No one can answer: report and take the default button.
        std::cerr << Msg << std::endl;
        return DefaultButtonResult(Buttons);
    }
    QMessageBox Box;
    Box.setText(QString::fromStdString(Msg));
    switch (DlgType) {
        case mtWarning:
            Box.setIcon(QMessageBox::Warning);
            break;
        case mtError:
            Box.setIcon(QMessageBox::Critical);
            break;
        case mtInformation:
            Box.setIcon(QMessageBox::Information);
            break;
        case mtConfirmation:
            Box.setIcon(QMessageBox::Question);
            break;
        default:
            break;
    }
    struct TMap {
        TMsgDlgBtn Btn;
        QMessageBox::StandardButton Qt;
        TModalResult Result;
    };
    static const TMap Map[] = {
        {mbYes, QMessageBox::Yes, mrYes},
        {mbNo, QMessageBox::No, mrNo},
        {mbOK, QMessageBox::Ok, mrOk},
        {mbCancel, QMessageBox::Cancel, mrCancel},
        {mbAbort, QMessageBox::Abort, mrAbort},
        {mbRetry, QMessageBox::Retry, mrRetry},
        {mbIgnore, QMessageBox::Ignore, mrIgnore},
        {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
        {mbNoToAll, QMessageBox::NoToAll, mrNoToAll},
        {mbHelp, QMessageBox::Help, mrNone},
    };
    QMessageBox::StandardButtons Std;
    for (const TMap& M : Map)
        if (Buttons.Contains(M.Btn)) Std |= M.Qt;
    if (Std == QMessageBox::NoButton) Std = QMessageBox::Ok;
    Box.setStandardButtons(Std);
    const int Pressed = Box.exec();
    for (const TMap& M : Map)
        if (Pressed == M.Qt) return M.Result;
    return mrCancel;
}
}  // namespace

TModalResult MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
    if (DlgHandler()) return DlgHandler()(Msg, DlgType, Buttons);
    return ShowDialog(Msg, DlgType, Buttons);
}

void ShowMessage(const AnsiString& Msg) {
    MessageDlg(Msg, mtCustom, {mbOK}, 0);
}

TMessageDlgHandler SetMessageDlgHandler(TMessageDlgHandler Handler) {
    TMessageDlgHandler Old = std::move(DlgHandler());
    DlgHandler() = std::move(Handler);
    return Old;
}

}  // namespace carrelon
