// The standard find and replace dialogs: modeless windows whose buttons hand the text and the
// options to the application's OnFind and OnReplace handlers.
#pragma once

#include <memory>

#include "platform/controls/Component.h"
#include "platform/controls/Controls.h"
#include "platform/rtl/Set.h"

namespace carrelon {

enum TFindOption {
    frDown,
    frFindNext,
    frHideMatchCase,
    frHideWholeWord,
    frHideUpDown,
    frMatchCase,
    frDisableMatchCase,
    frDisableUpDown,
    frDisableWholeWord,
    frReplace,
    frReplaceAll,
    frWholeWord,
    frShowHelp
};
using TFindOptions = TSet<TFindOption>;

class TFindDialog : public TComponent {
public:
    explicit TFindDialog(TComponent* AOwner);
    ~TFindDialog() override;
    AnsiString ClassName() const override { return "TFindDialog"; }

    const AnsiString& GetFindText() const { return FFindText; }
    void SetFindText(const AnsiString& Value);
    // frDown, frMatchCase and frWholeWord are the user's choices; frHide... and frDisable...
    // hide or disable the matching controls; the buttons add frFindNext, frReplace or
    // frReplaceAll while their handler runs.
    TFindOptions GetOptions() const { return FOptions; }
    void SetOptions(TFindOptions Value);
    // Shows the dialog (or brings it to the front) and returns at once; true when it is shown.
    bool Execute();
    void CloseDialog();
    bool Showing() const;

    // "Find Next".
    TNotifyEvent OnFind;

    struct TWindow;

protected:
    // Reads the controls into FindText and Options, with Button's option added for the call.
    void Clicked(TFindOption Button, const TNotifyEvent& Handler);
    virtual bool WithReplace() const { return false; }
    virtual void ReadControls();
    std::unique_ptr<TWindow> FWindow;
    AnsiString FFindText;
    TFindOptions FOptions{frDown};

private:
    void MakeWindow();
};

class TReplaceDialog : public TFindDialog {
public:
    explicit TReplaceDialog(TComponent* AOwner) : TFindDialog(AOwner) {}
    AnsiString ClassName() const override { return "TReplaceDialog"; }

    const AnsiString& GetReplaceText() const { return FReplaceText; }
    void SetReplaceText(const AnsiString& Value);

    // "Replace" (frReplace) and "Replace All" (frReplaceAll).
    TNotifyEvent OnReplace;

protected:
    bool WithReplace() const override { return true; }
    void ReadControls() override;

private:
    AnsiString FReplaceText;
};

}  // namespace carrelon
