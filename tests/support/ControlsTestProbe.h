// A control that logs what reaches it, shared by the control tests.
#pragma once

#include <string>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Graphics.h"

namespace carrelon::test {

inline std::string ShiftText(TShiftState S) {
    std::string R;
    if (S.Contains(ssShift)) R += "S";
    if (S.Contains(ssCtrl)) R += "C";
    if (S.Contains(ssAlt)) R += "A";
    if (S.Contains(ssLeft)) R += "L";
    if (S.Contains(ssRight)) R += "R";
    if (S.Contains(ssDouble)) R += "D";
    return R;
}

class TProbe : public TCustomControl {
public:
    TProbe(TComponent* AOwner, std::vector<std::string>* ALog = nullptr)
        : TCustomControl(AOwner), Log(ALog) {
        SetTabStop(true);
    }
    AnsiString ClassName() const override { return "TProbe"; }

    std::vector<std::string>* Log;
    std::intptr_t DlgCode = DLGC_WANTCHARS;
    int Paints = 0;
    int FontChanges = 0;
    int ColorChanges = 0;
    std::function<void()> OnExitHook;
    TWinControl* ActiveAtExit = nullptr;

    void Note(const std::string& S) {
        if (Log != nullptr) Log->push_back(GetName() + " " + S);
    }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override {
        Note("KeyDown " + std::to_string(Key) + " " + ShiftText(Shift));
        TCustomControl::KeyDown(Key, Shift);
    }
    void KeyUp(Word& Key, TShiftState Shift) override {
        Note("KeyUp " + std::to_string(Key) + " " + ShiftText(Shift));
        TCustomControl::KeyUp(Key, Shift);
    }
    void KeyPress(char32_t& Key) override {
        Note("KeyPress " + std::to_string(static_cast<unsigned>(Key)));
        TCustomControl::KeyPress(Key);
    }
    void MouseDown(TMouseButton B, TShiftState Shift, int X, int Y) override {
        Note("MouseDown " + std::to_string(B) + " " + ShiftText(Shift) + " " + std::to_string(X) +
             "," + std::to_string(Y));
        TCustomControl::MouseDown(B, Shift, X, Y);
    }
    void MouseUp(TMouseButton B, TShiftState Shift, int X, int Y) override {
        Note("MouseUp " + std::to_string(B) + " " + ShiftText(Shift) + " " + std::to_string(X) +
             "," + std::to_string(Y));
        TCustomControl::MouseUp(B, Shift, X, Y);
    }
    void Click() override {
        Note("Click");
        TCustomControl::Click();
    }
    void DblClick() override {
        Note("DblClick");
        TCustomControl::DblClick();
    }
    bool DoMouseWheelDown(TShiftState Shift, TPoint) override {
        Note("WheelDown " + ShiftText(Shift));
        return true;
    }
    bool DoMouseWheelUp(TShiftState Shift, TPoint) override {
        Note("WheelUp " + ShiftText(Shift));
        return true;
    }
    void DoEnter() override {
        Note("Enter");
        TCustomControl::DoEnter();
    }
    void DoExit() override {
        TCustomForm* F = GetParentForm(this);
        ActiveAtExit = F != nullptr ? F->GetActiveControl() : nullptr;
        Note("Exit");
        if (OnExitHook) OnExitHook();
        TCustomControl::DoExit();
    }
    void WMSetFocus(TMessage& M) override {
        Note("SetFocus");
        TCustomControl::WMSetFocus(M);
    }
    void WMKillFocus(TMessage& M) override {
        Note("KillFocus");
        TCustomControl::WMKillFocus(M);
    }
    void WMGetDlgCode(TMessage& M) override { M.Result = DlgCode; }
    void WMTimer(TMessage& M) override { Note("Timer " + std::to_string(M.WParam)); }
    void WMCaptureChanged(TMessage& M) override {
        Note("CaptureChanged");
        TCustomControl::WMCaptureChanged(M);
    }
    void CMFontChanged(TMessage& M) override {
        ++FontChanges;
        TCustomControl::CMFontChanged(M);
    }
    void CMColorChanged(TMessage& M) override {
        ++ColorChanges;
        TCustomControl::CMColorChanged(M);
    }
    void Paint() override {
        ++Paints;
        GetCanvas()->GetBrush()->SetColor(clRed);
        GetCanvas()->FillRect(GetClientRect());
    }
};

}  // namespace carrelon::test
