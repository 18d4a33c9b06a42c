#include "platform/controls/ComCtrls.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QSlider>
#include <QSpinBox>
#include <climits>
#include <cmath>

#include "platform/controls/WidgetControlQt.h"
#include "platform/rtl/Conversions.h"

namespace carrelon {

namespace {

const QDate Epoch(1899, 12, 30);

QDate ToQDate(TDateTime V) {
    if (!std::isfinite(V.Val)) return Epoch;
    return Epoch.addDays(static_cast<qint64>(std::floor(V.Val)));
}

QTime ToQTime(TDateTime V) {
    if (!std::isfinite(V.Val)) return QTime(0, 0);
    const double Frac = std::fabs(V.Val - std::floor(V.Val));
    const int Ms = std::clamp(static_cast<int>(std::lround(Frac * 86400000.0)), 0, 86399999);
    return QTime::fromMSecsSinceStartOfDay(Ms);
}

TDateTime FromQt(const QDate& D, const QTime& T) {
    return TDateTime(static_cast<double>(Epoch.daysTo(D)) + T.msecsSinceStartOfDay() / 86400000.0);
}

}  // namespace

// ---- TDateTimePicker ------------------------------------------------------------------------

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWidgetControl(AOwner), FValue(Now()) {
    FWidth = 186;
    FHeight = 21;
}

TDateTimePicker::~TDateTimePicker() {
    Destroying();
    DestroyHandle();
}

void TDateTimePicker::CreateInnerWidget(TWindowWidget& Window) {
    auto* E = new QDateTimeEdit();
    E->setCalendarPopup(true);
    QObject::connect(E, &QDateTimeEdit::dateTimeChanged, [this](const QDateTime& V) {
        GuardedCall(this, [&] {
            if (!FSyncing) ValueChanged(FromQt(V.date(), V.time()));
        });
    });
    Window.SetInner(E);
}

void TDateTimePicker::ApplyToWidget() {
    auto* E = InnerWidget<QDateTimeEdit>();
    if (E == nullptr) return;
    FSyncing = true;
    E->setDisplayFormat(FKind == dtkTime ? "HH:mm:ss" : "yyyy-MM-dd");
    E->setDateTime(QDateTime(ToQDate(FValue), ToQTime(FValue)));
    FSyncing = false;
    ApplyFontAndColor();
}

void TDateTimePicker::ValueChanged(TDateTime Value) {
    FValue = Value;
    Changed();
    if (OnChange) OnChange(this);
}

void TDateTimePicker::SetKind(TDateTimeKind Value) {
    FKind = Value;
    ApplyToWidget();
}

TDateTime TDateTimePicker::GetDate() const {
    return TDateTime(std::floor(FValue.Val));
}

void TDateTimePicker::SetDate(TDateTime Value) {
    SetDateTime(TDateTime(std::floor(Value.Val) + (FValue.Val - std::floor(FValue.Val))));
}

TDateTime TDateTimePicker::GetTime() const {
    return TDateTime(FValue.Val - std::floor(FValue.Val));
}

void TDateTimePicker::SetTime(TDateTime Value) {
    SetDateTime(TDateTime(std::floor(FValue.Val) + (Value.Val - std::floor(Value.Val))));
}

void TDateTimePicker::SetDateTime(TDateTime Value) {
    if (!std::isfinite(Value.Val)) return;
    FValue = Value;
    ApplyToWidget();
}

AnsiString TDateTimePicker::GetText() const {
    return FKind == dtkTime ? TimeToStr(GetTime()) : DateToStr(GetDate());
}

void TDateTimePicker::SetText(const AnsiString& Value) {
    TDateTime V;
    if (FKind == dtkTime) {
        if (TryStrToTime(Value, V)) SetTime(V);
    } else if (TryStrToDate(Value, V)) {
        SetDate(V);
    }
}

// ---- TMonthCalendar -------------------------------------------------------------------------

TMonthCalendar::TMonthCalendar(TComponent* AOwner)
    : TWidgetControl(AOwner), FDate(std::floor(Date().Val)) {
    FWidth = 191;
    FHeight = 154;
}

TMonthCalendar::~TMonthCalendar() {
    Destroying();
    DestroyHandle();
}

void TMonthCalendar::CreateInnerWidget(TWindowWidget& Window) {
    auto* C = new QCalendarWidget();
    QObject::connect(C, &QCalendarWidget::selectionChanged, [this, C] {
        if (FSyncing) return;
        FDate = FromQt(C->selectedDate(), QTime(0, 0));
        Changed();
    });
    Window.SetInner(C);
}

void TMonthCalendar::ApplyToWidget() {
    auto* C = InnerWidget<QCalendarWidget>();
    if (C == nullptr) return;
    FSyncing = true;
    C->setSelectedDate(ToQDate(FDate));
    FSyncing = false;
    ApplyFontAndColor();
}

void TMonthCalendar::SetDate(TDateTime Value) {
    if (!std::isfinite(Value.Val)) return;
    FDate = TDateTime(std::floor(Value.Val));
    ApplyToWidget();
}

void TMonthCalendar::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS;
}

// ---- TTrackBar ------------------------------------------------------------------------------

TTrackBar::TTrackBar(TComponent* AOwner) : TWidgetControl(AOwner) {
    FWidth = 150;
    FHeight = 45;
}

TTrackBar::~TTrackBar() {
    Destroying();
    DestroyHandle();
}

void TTrackBar::CreateInnerWidget(TWindowWidget& Window) {
    auto* S = new QSlider(Qt::Horizontal);
    QObject::connect(S, &QSlider::valueChanged, [this](int V) {
        GuardedCall(this, [&] {
            if (FSyncing) return;
            FPosition = V;
            Changed();
            if (OnChange) OnChange(this);
        });
    });
    Window.SetInner(S);
}

void TTrackBar::ApplyToWidget() {
    auto* S = InnerWidget<QSlider>();
    if (S == nullptr) return;
    FSyncing = true;
    S->setRange(FMin, FMax);
    S->setValue(FPosition);
    FSyncing = false;
}

void TTrackBar::SetMin(int Value) {
    FMin = Value;
    if (FMax < FMin) FMax = FMin;
    FPosition = std::clamp(FPosition, FMin, FMax);
    ApplyToWidget();
}

void TTrackBar::SetMax(int Value) {
    FMax = Value;
    if (FMin > FMax) FMin = FMax;
    FPosition = std::clamp(FPosition, FMin, FMax);
    ApplyToWidget();
}

void TTrackBar::SetPosition(int Value) {
    Value = std::clamp(Value, FMin, FMax);
    if (Value == FPosition) return;
    FPosition = Value;
    ApplyToWidget();
    Changed();
    if (OnChange) OnChange(this);
}

void TTrackBar::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS;
}

// ---- TCSpinEdit -----------------------------------------------------------------------------

TCSpinEdit::TCSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
    FWidth = 121;
    FHeight = 22;
}

TCSpinEdit::~TCSpinEdit() {
    Destroying();
    DestroyHandle();
}

int TCSpinEdit::Clamp(int Value) const {
    if (FMinValue == 0 && FMaxValue == 0) return Value;
    return std::clamp(Value, FMinValue, std::max(FMinValue, FMaxValue));
}

void TCSpinEdit::CreateInnerWidget(TWindowWidget& Window) {
    auto* S = new QSpinBox();
    QObject::connect(S, &QSpinBox::valueChanged, [this](int V) {
        GuardedCall(this, [&] {
            if (FSyncing) return;
            FValue = V;
            Change();
        });
    });
    Window.SetInner(S);
}

void TCSpinEdit::ApplyToWidget() {
    auto* S = InnerWidget<QSpinBox>();
    if (S == nullptr) return;
    FSyncing = true;
    if (FMinValue == 0 && FMaxValue == 0)
        S->setRange(INT_MIN, INT_MAX);
    else
        S->setRange(FMinValue, std::max(FMinValue, FMaxValue));
    S->setSingleStep(FIncrement);
    S->setValue(FValue);
    FSyncing = false;
    ApplyFontAndColor();
}

void TCSpinEdit::SetValue(int Value) {
    Value = Clamp(Value);
    if (Value == FValue) return;
    FValue = Value;
    ApplyToWidget();
    Change();
}

void TCSpinEdit::SetMinValue(int Value) {
    FMinValue = Value;
    FValue = Clamp(FValue);
    ApplyToWidget();
}

void TCSpinEdit::SetMaxValue(int Value) {
    FMaxValue = Value;
    FValue = Clamp(FValue);
    ApplyToWidget();
}

AnsiString TCSpinEdit::GetText() const {
    return IntToStr(FValue);
}

void TCSpinEdit::SetText(const AnsiString& Value) {
    int V = 0;
    if (TryStrToInt(Value, V)) SetValue(V);
}

void TCSpinEdit::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

}  // namespace carrelon
