// Forms, the application object and the screen: TCustomForm/TForm (active control, focus
// changes with enter and exit along the parent chain, tab-order navigation, close queries),
// TApplication (message processing, hints, exception handling), TScreen, and MessageDlg.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/controls/Controls.h"

namespace carrelon {

enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    AnsiString ClassName() const override { return "TCustomForm"; }

    TWinControl* GetActiveControl() const { return FActiveControl; }
    // Raises EInvalidOperation when Control is not on this form or cannot take the focus.
    void SetActiveControl(TWinControl* Control);
    // Makes Control the active control and, when the form is active, gives it the focus.
    void FocusControl(TWinControl* Control);
    // Called when a window of this form takes the focus: updates ActiveControl first, then
    // sends CM_EXIT up from the old focused control and CM_ENTER down to Control. False when an
    // exit or enter handler moved the focus elsewhere.
    bool SetFocusedControl(TWinControl* Control);
    // Forgets Control (and its children) as the active or focused control.
    void DefocusControl(TWinControl* Control, bool Removing);
    // Sends CM_CANCELMODE (LParam = Sender) to the active control.
    void SendCancelMode(TControl* Sender);

    // OnCloseQuery decides; the default allows.
    virtual bool CloseQuery();
    // Asks CloseQuery, then OnClose; hides (or frees, with caFree) the form.
    void Close();
    void Show();
    void Hide();
    bool GetActive() const { return FActive; }
    void WndProc(TMessage& Message) override;
    void SetFocus() override;
    bool CanFocus() const override;
    // The caption is the window's title, also once the window exists.
    void SetText(const AnsiString& Value) override;

    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

protected:
    friend class TScreen;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TWindowWidget* CreateWindowHandle(TWindowWidget* ParentWidget) override;
    void CMDialogKey(TMessage& Message) override;
    void CMVisibleChanged(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void Activate();
    void Deactivate();
    // Gives the window focus to the active control, or the form itself.
    void SetWindowFocus();

private:
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    bool FActive = false;
    bool FClosing = false;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
    AnsiString ClassName() const override { return "TForm"; }
};

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;
    AnsiString ClassName() const override { return "TApplication"; }

    // Handles everything pending: posted messages, due timers, deferred paints.
    void ProcessMessages();
    // Reports an exception: OnException when assigned, else a message box with its text.
    void HandleException(TObject* Sender, const std::exception& E);
    // The application's own window (not a form); messages to it are accepted and dropped.
    HWND GetHandle();

    int GetHintPause() const { return FHintPause; }
    void SetHintPause(int Value) { FHintPause = Value; }
    int GetHintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(int Value) { FHintShortPause = Value; }
    int GetHintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int Value) { FHintHidePause = Value; }
    TColor GetHintColor() const { return FHintColor; }
    void SetHintColor(TColor Value) { FHintColor = Value; }
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    // Hides the hint window and starts the hint pause over again.
    void CancelHint();
    // Shows the hint for the control under CursorPos (screen coordinates) now.
    void ActivateHint(TPoint CursorPos);
    // Called for every mouse move over a control: tracks the control under the pointer, starts
    // the hint pause or hides a hint whose control or cursor rectangle was left.
    void HintMouseMessage(TControl* Control, TMessage& Message);
    // The hint currently shown (HintStr empty when none), for inspection.
    bool HintShowing() const { return FHintShowing; }
    const THintInfo& CurrentHint() const { return FHintInfo; }

    TForm* GetMainForm() const { return FMainForm; }
    void SetMainForm(TForm* Value) { FMainForm = Value; }
    const AnsiString& GetTitle() const { return FTitle; }
    void SetTitle(const AnsiString& Value) { FTitle = Value; }
    bool GetTerminated() const { return FTerminated; }
    void Terminate() { FTerminated = true; }

    TExceptionEvent OnException;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void HintTimerExpired();
    void ShowHintFor(TControl* Control, TPoint CursorPos);
    void HideHint();

    struct TPrivate;
    std::unique_ptr<TPrivate> D;
    int FHintPause = 500;
    int FHintShortPause = 50;
    int FHintHidePause = 2500;
    TColor FHintColor;
    bool FShowHint = true;
    bool FHintShowing = false;
    THintInfo FHintInfo;
    TControl* FHintControl = nullptr;
    TForm* FMainForm = nullptr;
    AnsiString FTitle;
    bool FTerminated = false;
};

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;
    AnsiString ClassName() const override { return "TScreen"; }

    TWinControl* GetActiveControl() const { return FActiveControl; }
    TCustomForm* GetActiveCustomForm() const { return FActiveCustomForm; }
    TForm* GetActiveForm() const { return dynamic_cast<TForm*>(FActiveCustomForm); }
    int GetFormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* GetForms(int Index) const;
    // Overrides every control's cursor while not crDefault.
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    // The cursor handle of a cursor identifier, for SetCursor.
    std::intptr_t GetCursors(TCursor Index) const { return Index; }
    int GetPixelsPerInch() const { return 96; }
    int GetWidth() const;
    int GetHeight() const;
    // Installed font family names, sorted.
    std::vector<AnsiString> GetFonts() const;

private:
    friend class TCustomForm;
    friend class TWinControl;
    void AddForm(TCustomForm* Form);
    void RemoveForm(TCustomForm* Form);
    void ControlDestroyed(TWinControl* Control);

    std::vector<TCustomForm*> FForms;
    TWinControl* FActiveControl = nullptr;
    TCustomForm* FActiveCustomForm = nullptr;
    TCursor FCursor = crDefault;
};

TApplication* Application();
TScreen* Screen();

// ---- Message boxes ----------------------------------------------------------------------------

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

// Shows a modal message box and returns the button pressed. Every message box of the system
// goes through here; a handler (installed by tests, or by a host without a display) answers
// instead of a dialog.
TModalResult MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        int HelpCtx);
void ShowMessage(const AnsiString& Msg);

using TMessageDlgHandler =
    std::function<TModalResult(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons)>;
// Installs Handler (an empty one restores the default) and returns the one it replaced.
TMessageDlgHandler SetMessageDlgHandler(TMessageDlgHandler Handler);

}  // namespace carrelon
