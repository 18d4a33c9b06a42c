// Common controls an application may hand the grid as cell editors: a date/time picker, a month
// calendar, a track bar and a spin edit (class name "TCSpinEdit"), thin classes over Qt widgets.
#pragma once

#include "platform/controls/StdCtrls.h"
#include "platform/controls/WidgetControl.h"
#include "platform/rtl/DateTime.h"

namespace carrelon {

enum TDateTimeKind { dtkDate, dtkTime };

class TDateTimePicker : public TWidgetControl {
public:
    explicit TDateTimePicker(TComponent* AOwner);
    ~TDateTimePicker() override;
    AnsiString ClassName() const override { return "TDateTimePicker"; }

    TDateTimeKind GetKind() const { return FKind; }
    void SetKind(TDateTimeKind Value);
    // The date part (whole days) and the time part (fraction) of one value.
    TDateTime GetDate() const;
    void SetDate(TDateTime Value);
    TDateTime GetTime() const;
    void SetTime(TDateTime Value);
    TDateTime GetDateTime() const { return FValue; }
    void SetDateTime(TDateTime Value);
    // The value as the locale writes it (DateToStr or TimeToStr by Kind). Setting text that the
    // locale reads as a date (or time) sets the value; other text is ignored.
    AnsiString GetText() const override;
    void SetText(const AnsiString& Value) override;

    TNotifyEvent OnChange;

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
    void ApplyToWidget() override;

private:
    void ValueChanged(TDateTime Value);
    TDateTimeKind FKind = dtkDate;
    TDateTime FValue;
    bool FSyncing = false;
};

class TMonthCalendar : public TWidgetControl {
public:
    explicit TMonthCalendar(TComponent* AOwner);
    ~TMonthCalendar() override;
    AnsiString ClassName() const override { return "TMonthCalendar"; }
    TDateTime GetDate() const { return FDate; }
    void SetDate(TDateTime Value);

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
    void ApplyToWidget() override;
    void WMGetDlgCode(TMessage& Message) override;

private:
    TDateTime FDate;
    bool FSyncing = false;
};

class TTrackBar : public TWidgetControl {
public:
    explicit TTrackBar(TComponent* AOwner);
    ~TTrackBar() override;
    AnsiString ClassName() const override { return "TTrackBar"; }
    int GetMin() const { return FMin; }
    void SetMin(int Value);
    int GetMax() const { return FMax; }
    void SetMax(int Value);
    int GetPosition() const { return FPosition; }
    // Kept within Min..Max.
    void SetPosition(int Value);

    TNotifyEvent OnChange;

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
    void ApplyToWidget() override;
    void WMGetDlgCode(TMessage& Message) override;

private:
    int FMin = 0;
    int FMax = 10;
    int FPosition = 0;
    bool FSyncing = false;
};

// A spin edit: an edit whose text is a number, Value within MinValue..MaxValue (both 0: no
// limits), stepped by the arrows; Text is the value's text.
class TCSpinEdit : public TCustomEdit {
public:
    explicit TCSpinEdit(TComponent* AOwner);
    ~TCSpinEdit() override;
    AnsiString ClassName() const override { return "TCSpinEdit"; }
    int GetValue() const { return FValue; }
    void SetValue(int Value);
    int GetMinValue() const { return FMinValue; }
    void SetMinValue(int Value);
    int GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value);
    int GetIncrement() const { return FIncrement; }
    void SetIncrement(int Value) { FIncrement = std::max(1, Value); }
    AnsiString GetText() const override;
    // Text that is not a number leaves the value as it is.
    void SetText(const AnsiString& Value) override;

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
    void ApplyToWidget() override;
    void WMGetDlgCode(TMessage& Message) override;

private:
    int Clamp(int Value) const;
    int FValue = 0;
    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
    bool FSyncing = false;
};

}  // namespace carrelon
