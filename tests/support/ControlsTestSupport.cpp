#include "tests/support/ControlsTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <optional>

#include "platform/controls/WindowWidgetQt.h"

namespace carrelon::test {

void ProcessPendingEvents() {
    Application()->ProcessMessages();
}

namespace {
std::optional<TManualTimerClock>& TestClockSlot() {
    static std::optional<TManualTimerClock> Clock;
    return Clock;
}
}  // namespace

TManualTimerClock& TestClock() {
    if (!TestClockSlot()) StartTestClock();
    return *TestClockSlot();
}

void StartTestClock() {
    if (!TestClockSlot()) TestClockSlot().emplace();
}

void EndTestClock() {
    TestClockSlot().reset();
}

TTestForm::TTestForm() : FForm(new TForm(nullptr)) {
    FForm->SetBounds(10, 10, 400, 300);
    FForm->Show();
    ProcessPendingEvents();
}

TTestForm::~TTestForm() {
    delete FForm;
    ProcessPendingEvents();
}

namespace {

Qt::KeyboardModifiers ModifiersOf(TShiftState Shift) {
    Qt::KeyboardModifiers M;
    if (Shift.Contains(ssShift)) M |= Qt::ShiftModifier;
    if (Shift.Contains(ssCtrl)) M |= Qt::ControlModifier;
    if (Shift.Contains(ssAlt)) M |= Qt::AltModifier;
    return M;
}

QString TextOf(Word Key, TShiftState Shift) {
    if (Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) {
        if (Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && Key >= 'A' && Key <= 'Z')
            return QString(QChar(Key - 'A' + 1));
        return QString();
    }
    if (Key >= 'A' && Key <= 'Z')
        return QString(QChar(Shift.Contains(ssShift) ? Key : Key - 'A' + 'a'));
    if (Key >= '0' && Key <= '9') return QString(QChar(Key));
    switch (Key) {
        case VK_SPACE:
            return " ";
        case VK_RETURN:
            return "\r";
        case VK_TAB:
            return "\t";
        case VK_BACK:
            return "\b";
        case VK_ESCAPE:
            return QString(QChar(27));
        default:
            return QString();
    }
}

QWidget* Target(TWinControl* Control) {
    HWND H = Control->GetHandle();
    return H;
}

void SendKeyEvent(TWinControl* Control, QEvent::Type Type, Word Key, TShiftState Shift) {
    QWidget* W = Target(Control);
    int QtKey = QtKeyFromVirtualKey(Key);
    if (Key == VK_TAB && Shift.Contains(ssShift)) QtKey = Qt::Key_Backtab;
    QKeyEvent E(Type, QtKey, ModifiersOf(Shift), TextOf(Key, Shift));
    QCoreApplication::sendEvent(W, &E);
}

QPoint WidgetPoint(TWinControl* Control, int X, int Y) {
    const TPoint O = Control->GetClientOrigin();
    return QPoint(O.X + X, O.Y + Y);
}

Qt::MouseButton QtButton(TMouseButton B) {
    return B == mbRight ? Qt::RightButton : B == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

void SendMouse(TWinControl* Control, QEvent::Type Type, Qt::MouseButton Button,
               Qt::MouseButtons Buttons, int X, int Y, TShiftState Shift) {
    QWidget* W = Target(Control);
    const QPointF P = WidgetPoint(Control, X, Y);
    QMouseEvent E(Type, P, W->mapToGlobal(P), Button, Buttons, ModifiersOf(Shift));
    QCoreApplication::sendEvent(W, &E);
}

}  // namespace

void PressKey(TWinControl* Control, Word Key, TShiftState Shift) {
    KeyDownOnly(Control, Key, Shift);
    KeyUpOnly(Control, Key, Shift);
}

void KeyDownOnly(TWinControl* Control, Word Key, TShiftState Shift) {
    SendKeyEvent(Control, QEvent::KeyPress, Key, Shift);
}

void KeyUpOnly(TWinControl* Control, Word Key, TShiftState Shift) {
    SendKeyEvent(Control, QEvent::KeyRelease, Key, Shift);
}

void TypeText(TWinControl* Control, const AnsiString& Text) {
    for (char32_t C : QString::fromStdString(Text).toUcs4()) {
        QWidget* W = Target(Control);
        const QString S = QString::fromUcs4(&C, 1);
        const int QtKey = (C >= 'a' && C <= 'z') ? static_cast<int>(C - 'a' + 'A')
                                                 : (C < 0x80 ? static_cast<int>(C) : 0);
        QKeyEvent Down(QEvent::KeyPress, QtKey, Qt::NoModifier, S);
        QCoreApplication::sendEvent(W, &Down);
        QKeyEvent Up(QEvent::KeyRelease, QtKey, Qt::NoModifier, S);
        QCoreApplication::sendEvent(W, &Up);
    }
}

void MouseDown(TWinControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift) {
    SendMouse(Control, QEvent::MouseButtonPress, QtButton(Button), QtButton(Button), X, Y, Shift);
}

void MouseUp(TWinControl* Control, TMouseButton Button, int X, int Y, TShiftState Shift) {
    SendMouse(Control, QEvent::MouseButtonRelease, QtButton(Button), Qt::NoButton, X, Y, Shift);
}

void MouseMove(TWinControl* Control, int X, int Y, TShiftState Shift) {
    Qt::MouseButtons Buttons;
    if (Shift.Contains(ssLeft)) Buttons |= Qt::LeftButton;
    if (Shift.Contains(ssRight)) Buttons |= Qt::RightButton;
    SendMouse(Control, QEvent::MouseMove, Qt::NoButton, Buttons, X, Y, Shift);
}

void Click(TWinControl* Control, int X, int Y, TShiftState Shift) {
    MouseDown(Control, mbLeft, X, Y, Shift);
    MouseUp(Control, mbLeft, X, Y, Shift);
}

void DoubleClick(TWinControl* Control, int X, int Y, TShiftState Shift) {
    Click(Control, X, Y, Shift);
    SendMouse(Control, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, X, Y, Shift);
    MouseUp(Control, mbLeft, X, Y, Shift);
}

void Wheel(TWinControl* Control, int X, int Y, int Delta, TShiftState Shift) {
    QWidget* W = Target(Control);
    const QPointF P = WidgetPoint(Control, X, Y);
    QWheelEvent E(P, W->mapToGlobal(P), QPoint(), QPoint(0, Delta), Qt::NoButton,
                  ModifiersOf(Shift), Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(W, &E);
}

TMessageDlgRecorder::TMessageDlgRecorder(TModalResult AAnswer) : Answer(AAnswer) {
    FSaved = SetMessageDlgHandler(
        [this](const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
            Calls.push_back({Msg, DlgType, Buttons});
            return Answer;
        });
}

TMessageDlgRecorder::~TMessageDlgRecorder() {
    SetMessageDlgHandler(std::move(FSaved));
}

}  // namespace carrelon::test
