// Test helpers for controls: a shown form, pending-event processing, real Qt input sent to a
// control's window, and a message-box recorder.
#pragma once

#include <memory>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Timers.h"

namespace carrelon::test {

// Handles everything pending now: posted messages and deferred paints.
void ProcessPendingEvents();

// Every test runs on a manual timer clock of its own, started before the test and ended after
// it by the test main: timers fire only when the test advances it, so no test depends on the
// wall clock or on how fast the machine is.
TManualTimerClock& TestClock();
void StartTestClock();
void EndTestClock();

// For the few tests of Qt's own timer driving: ends the test's manual clock for the scope.
class TQtDrivenTimers {
public:
    TQtDrivenTimers() { EndTestClock(); }
    ~TQtDrivenTimers() { StartTestClock(); }
    TQtDrivenTimers(const TQtDrivenTimers&) = delete;
    TQtDrivenTimers& operator=(const TQtDrivenTimers&) = delete;
};

// A form of 400 x 300 pixels, shown and active; deleted with the fixture. Controls placed with
// Add are owned and parented by the form.
class TTestForm {
public:
    TTestForm();
    ~TTestForm();
    TForm* operator->() const { return FForm; }
    TForm* Get() const { return FForm; }
    // Creates a control of type T owned by the form, placed on Parent (the form when nullptr).
    template <class T>
    T* Add(int Left, int Top, int Width, int Height, TWinControl* Parent = nullptr) {
        T* C = new T(FForm);
        C->SetParent(Parent != nullptr ? Parent : FForm);
        C->SetBounds(Left, Top, Width, Height);
        return C;
    }

private:
    TForm* FForm;
};

// Real keyboard input: a key press (with the character it types) and its release, sent to the
// control's window. Letters type lower case unless Shift is held.
void PressKey(TWinControl* Control, Word Key, TShiftState Shift = {});
void KeyDownOnly(TWinControl* Control, Word Key, TShiftState Shift = {});
void KeyUpOnly(TWinControl* Control, Word Key, TShiftState Shift = {});
// Types UTF-8 text character by character.
void TypeText(TWinControl* Control, const AnsiString& Text);

// Real mouse input at client coordinates of the control's window.
void MouseDown(TWinControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift = {});
void MouseUp(TWinControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift = {});
void MouseMove(TWinControl* Control, int X, int Y, TShiftState Shift = {});
void Click(TWinControl* Control, int X, int Y, TShiftState Shift = {});
// Press, release, double-click press, release: the sequence a double click produces.
void DoubleClick(TWinControl* Control, int X, int Y, TShiftState Shift = {});
// One wheel notch (Delta 120 away from the user, -120 towards).
void Wheel(TWinControl* Control, int X, int Y, int Delta, TShiftState Shift = {});

// Records message boxes instead of showing them, answering each with Answer.
class TMessageDlgRecorder {
public:
    explicit TMessageDlgRecorder(TModalResult Answer = mrOk);
    ~TMessageDlgRecorder();
    struct TCall {
        AnsiString Msg;
        TMsgDlgType DlgType;
        TMsgDlgButtons Buttons;
    };
    std::vector<TCall> Calls;
    TModalResult Answer;

private:
    TMessageDlgHandler FSaved;
};

}  // namespace carrelon::test
