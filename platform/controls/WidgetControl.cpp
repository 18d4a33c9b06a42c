#include "platform/controls/WidgetControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QWheelEvent>
#include <QWidget>

#include "platform/controls/WidgetControlQt.h"
#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

TWidgetControl::TWidgetControl(TComponent* AOwner) : TWinControl(AOwner) {
    FColor = clWindow;
    FParentColor = false;
    FTabStop = true;
}

TWidgetControl::~TWidgetControl() {
    Destroying();
    DestroyHandle();
}

TRect TWidgetControl::GetClientRect() const {
    const int B = GetBorderWidthNC();
    return {0, 0, std::max(0, FWidth - 2 * B), std::max(0, FHeight - 2 * B)};
}

bool TWidgetControl::HasInnerWidget() const {
    return FHandle != nullptr && FHandle->Inner() != nullptr;
}

TWindowWidget* TWidgetControl::CreateWindowHandle(TWindowWidget* ParentWidget) {
    TWindowWidget* W = TWinControl::CreateWindowHandle(ParentWidget);
    CreateInnerWidget(*W);
    return W;
}

void TWidgetControl::CreateWnd() {
    TWinControl::CreateWnd();
    ApplyToWidget();
}

void TWidgetControl::DestroyWnd() {
    if (HasInnerWidget()) SaveFromWidget();
    TWinControl::DestroyWnd();
}

void TWidgetControl::ApplyFontAndColor() {
    QWidget* W = InnerWidget<QWidget>();
    if (W == nullptr) return;
    W->setFont(ToQFont(*GetFont()));
    QPalette P = W->palette();
    P.setColor(QPalette::Base, ToQColor(ColorToRGB(FColor)));
    P.setColor(QPalette::Window, ToQColor(ColorToRGB(FColor)));
    P.setColor(QPalette::Text, ToQColor(ColorToRGB(GetFont()->GetColor())));
    P.setColor(QPalette::WindowText, ToQColor(ColorToRGB(GetFont()->GetColor())));
    W->setPalette(P);
}

void TWidgetControl::CMFontChanged(TMessage& Message) {
    TWinControl::CMFontChanged(Message);
    ApplyFontAndColor();
}

void TWidgetControl::CMColorChanged(TMessage& Message) {
    TWinControl::CMColorChanged(Message);
    ApplyFontAndColor();
}

void TWidgetControl::CMEnabledChanged(TMessage& Message) {
    TWinControl::CMEnabledChanged(Message);
    if (QWidget* W = InnerWidget<QWidget>()) W->setEnabled(FEnabled);
}

namespace {
bool TypesCharacter(const QKeyEvent* E) {
    if (E->modifiers().testFlag(Qt::ControlModifier) && !E->modifiers().testFlag(Qt::AltModifier))
        return false;
    const QString T = E->text();
    return !T.isEmpty() && T.at(0).unicode() >= 0x20 && T.at(0).unicode() != 0x7F;
}

bool IsMouseMessage(Cardinal Msg) {
    return Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST && Msg != WM_MOUSEWHEEL;
}
}  // namespace

void TWidgetControl::InsertCharacter(char32_t Ch) {
    QWidget* W = InnerWidget<QWidget>();
    if (W == nullptr || FHandle == nullptr) return;
    int Key = 0;
    QString Text = QString::fromUcs4(&Ch, 1);
    switch (Ch) {
        case 8:
            Key = Qt::Key_Backspace;
            break;
        case 9:
            Key = Qt::Key_Tab;
            break;
        case 13:
            Key = Qt::Key_Return;
            break;
        case 27:
            Key = Qt::Key_Escape;
            break;
        default:
            if (Ch < 0x20 || Ch == 0x7F) return;
            if (Ch < 0x80)
                Key = static_cast<int>(QChar(static_cast<char16_t>(Ch)).toUpper().unicode());
            break;
    }
    QKeyEvent E(QEvent::KeyPress, Key, Qt::NoModifier, Text);
    FHandle->ForwardToInner(&E);
}

void TWidgetControl::DefaultHandler(TMessage& Message) {
    if (FHandle == nullptr || !HasInnerWidget()) {
        TWinControl::DefaultHandler(Message);
        return;
    }
    QEvent* Current = FHandle->CurrentEvent();
    auto* Key = dynamic_cast<QKeyEvent*>(Current);
    switch (Message.Msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            // Keys that type a character act through WM_CHAR; the others act now.
            if (Key != nullptr && Key->type() == QEvent::KeyPress && TypesCharacter(Key)) return;
            const Word VK = static_cast<Word>(Message.WParam);
            const bool Same = Key != nullptr && Key->type() == QEvent::KeyPress &&
                              VirtualKeyFromQt(Key->key(), Key->modifiers()) == VK;
            if (Same) {
                // Backspace, Return, Tab and Escape act with their character, unless Ctrl is held.
                const int K = Key->key();
                const bool ByChar =
                    !Key->modifiers().testFlag(Qt::ControlModifier) &&
                    (K == Qt::Key_Backspace || K == Qt::Key_Return || K == Qt::Key_Enter ||
                     K == Qt::Key_Tab || K == Qt::Key_Backtab || K == Qt::Key_Escape);
                if (!ByChar) FHandle->ForwardToInner(Key);
                return;
            }
            const int QtKey = QtKeyFromVirtualKey(VK);
            if (QtKey == 0 || VK == VK_BACK || VK == VK_RETURN || VK == VK_TAB || VK == VK_ESCAPE)
                return;
            Qt::KeyboardModifiers Mods;
            if (GetKeyState(VK_SHIFT) < 0) Mods |= Qt::ShiftModifier;
            if (GetKeyState(VK_CONTROL) < 0) Mods |= Qt::ControlModifier;
            QKeyEvent E(QEvent::KeyPress, QtKey, Mods);
            FHandle->ForwardToInner(&E);
            return;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (Key != nullptr && Key->type() == QEvent::KeyRelease) FHandle->ForwardToInner(Key);
            return;
        case WM_CHAR:
            // Control characters of Ctrl combinations acted with their key.
            if (Key != nullptr && Key->modifiers().testFlag(Qt::ControlModifier) &&
                !Key->modifiers().testFlag(Qt::AltModifier))
                return;
            InsertCharacter(static_cast<char32_t>(Message.WParam));
            return;
        default:
            break;
    }
    if (IsMouseMessage(Message.Msg) && Current != nullptr && dynamic_cast<QMouseEvent*>(Current)) {
        FHandle->ForwardToInner(Current);
        return;
    }
    TWinControl::DefaultHandler(Message);
}

void TWidgetControl::WMMouseWheel(TMessage& Message) {
    const TShiftState Shift = KeysToShiftState(LoWordSigned(Message.WParam) & 0xFFFF);
    if (DoMouseWheel(Shift, HiWordSigned(Message.WParam), PointFromLParam(Message.LParam))) {
        Message.Result = 1;
        return;
    }
    if (FHandle != nullptr && dynamic_cast<QWheelEvent*>(FHandle->CurrentEvent()) != nullptr)
        FHandle->ForwardToInner(FHandle->CurrentEvent());
}

}  // namespace carrelon
