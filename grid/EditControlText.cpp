// The text of an application-supplied edit control: how the cell's text goes into it and comes
// back out, by the control's class, and the date and time readings the date controls need.
#include <algorithm>

#include "grid/CarrelonPrivate.h"
#include "grid/EditControlRoutines.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/WinGdi.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

// ---- dates and times ----------------------------------------------------------------------

TDateTime TextToDate(const AnsiString& S) {
    if (S.empty()) return Date();
    TDateTime Result;
    if (TryStrToDate(S, Result)) return Result;
    AnsiString T = S;
    for (int m = 0; m < 12; ++m)
        if (!LongMonthNames[m].empty())
            T = StringReplace(T, LongMonthNames[m], IntToStr(m + 1), {rfReplaceAll});
    for (int m = 0; m < 12; ++m)
        if (!ShortMonthNames[m].empty())
            T = StringReplace(T, ShortMonthNames[m], IntToStr(m + 1), {rfReplaceAll});
    const char Sep = DateSeparator;
    for (char& C : T)
        if ((C < '0' || C > '9') && C != Sep) C = Sep;
    // Leading, trailing and repeated separators go, scanning from the end.
    for (std::size_t i = T.size(); i-- > 0;)
        if (T[i] == Sep && (i == 0 || i == T.size() - 1 || T[i - 1] == Sep)) T.erase(i, 1);
    if (TryStrToDate(T, Result)) return Result;
    return Date();
}

TDateTime TextToTime(const AnsiString& S) {
    TDateTime Result;
    if (S.empty() || !TryStrToTime(S, Result)) return TDateTime(0.0);
    return Result;
}

// ---- least heights ------------------------------------------------------------------------

namespace {
// tmHeight of the screen's default font and of the control's font.
struct TFontHeights {
    int System = 0;
    int Control = 0;
};

TFontHeights MeasureFontHeights(const TWinControl* Control) {
    TFontHeights H;
    HDC DC = GetDC(nullptr);
    TEXTMETRIC M;
    GetTextMetrics(DC, &M);
    H.System = M.tmHeight;
    DC->SetFont(Control->GetFont());
    GetTextMetrics(DC, &M);
    H.Control = M.tmHeight;
    ReleaseDC(nullptr, DC);
    return H;
}
}  // namespace

int ComboEditHeight(const TWinControl* Control) {
    return MeasureFontHeights(Control).Control + 2 * GetSystemMetrics(SM_CYEDGE) + 4;
}

int SpinEditHeight(const TWinControl* Control) {
    const TFontHeights H = MeasureFontHeights(Control);
    return H.Control + std::min(H.System, H.Control) / 4 + 4 * GetSystemMetrics(SM_CYBORDER) + 2;
}

// ---- text in and out ----------------------------------------------------------------------

namespace {
AnsiString ItemOrEmpty(const TStrings* Items, int Index) {
    return Index >= 0 && Index < Items->GetCount() ? Items->GetStrings(Index) : AnsiString();
}
}  // namespace

void TCarrelonPrivate::SetEditControlText(AnsiString& Value) {
    TWinControl* C = FEditControl;
    if (C == nullptr) return;
    // Buttons, group boxes and panels keep their captions unless the application asks; a radio
    // group, though a group box, takes its item from the text.
    const bool Caption = dynamic_cast<TButtonControl*>(C) != nullptr ||
                         dynamic_cast<TCustomPanel*>(C) != nullptr ||
                         (dynamic_cast<TCustomGroupBox*>(C) != nullptr &&
                          dynamic_cast<TCustomRadioGroup*>(C) == nullptr);
    bool DoSetText = !Caption;
    if (q->OnGetEditControlText)
        q->OnGetEditControlText(q, q->GetCol(), q->GetRow(), C, Value, DoSetText);
    // The handler may have freed or replaced the control.
    if (!DoSetText || FEditControl != C) return;

    if (dynamic_cast<TCustomMaskEdit*>(C) != nullptr) {
        C->SetText(Value);
    } else if (auto* G = dynamic_cast<TCustomRadioGroup*>(C)) {
        G->SetItemIndex(G->GetItems()->IndexOf(Value));
    } else if (dynamic_cast<TCustomEdit*>(C) != nullptr) {
        C->SetText("");
        C->SetText(Value);
    } else if (auto* B = dynamic_cast<TCustomComboBox*>(C)) {
        B->SetText(Value);
        if (B->GetText() != Value) B->SetItemIndex(B->GetItems()->IndexOf(Value));
    } else if (auto* P = dynamic_cast<TDateTimePicker*>(C)) {
        P->SetText(Value);
        if (P->GetText() != Value) {
            if (P->GetKind() == dtkTime)
                P->SetTime(TextToTime(Value));
            else
                P->SetDate(TextToDate(Value));
        }
    } else if (auto* X = dynamic_cast<TCustomComboBoxEx*>(C)) {
        X->SetText(Value);
        X->SetItemIndex(X->GetItems()->IndexOf(Value));
    } else if (auto* L = dynamic_cast<TCustomListBox*>(C)) {
        L->SetText(Value);
        if (L->GetText() == Value) L->SetItemIndex(L->GetItems()->IndexOf(Value));
    } else if (auto* M = dynamic_cast<TMonthCalendar*>(C)) {
        M->SetText(Value);
        if (M->GetText() == Value) M->SetDate(TextToDate(Value));
    } else if (auto* T = dynamic_cast<TTrackBar*>(C)) {
        T->SetText(Value);
        if (T->GetText() == Value) T->SetPosition(StrToIntDef(Value, T->GetMin()));
    } else {
        C->SetText(Value);
    }
}

AnsiString TCarrelonPrivate::EditControlText() const {
    const TWinControl* C = FEditControl;
    if (C == nullptr) return {};
    if (auto* G = dynamic_cast<const TCustomRadioGroup*>(C))
        return ItemOrEmpty(G->GetItems(), G->GetItemIndex());
    if (dynamic_cast<const TCustomEdit*>(C) != nullptr ||
        dynamic_cast<const TCustomComboBox*>(C) != nullptr ||
        dynamic_cast<const TDateTimePicker*>(C) != nullptr)
        return C->GetText();
    if (auto* X = dynamic_cast<const TCustomComboBoxEx*>(C))
        return ItemOrEmpty(X->GetItems(), X->GetItemIndex());
    if (auto* L = dynamic_cast<const TCustomListBox*>(C))
        return ItemOrEmpty(L->GetItems(), L->GetItemIndex());
    if (auto* M = dynamic_cast<const TMonthCalendar*>(C)) return DateToStr(M->GetDate());
    if (auto* T = dynamic_cast<const TTrackBar*>(C)) return IntToStr(T->GetPosition());
    return C->GetText();
}

}  // namespace carrelon
