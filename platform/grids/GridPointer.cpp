#include "platform/grids/GridPointer.h"

#include <QMouseEvent>

#include "platform/controls/WindowWidgetQt.h"

namespace carrelon {

TPoint PointerInClient(TWinControl& Control) {
    if (Control.HandleAllocated()) {
        TWindowWidget* W = Control.GetHandle();
        if (const QEvent* E = W->CurrentEvent()) {
            switch (E->type()) {
                case QEvent::MouseMove:
                case QEvent::MouseButtonPress:
                case QEvent::MouseButtonRelease:
                case QEvent::MouseButtonDblClick: {
                    // Events of an inner widget arrive in its coordinates; map through the
                    // screen, which works for both.
                    const auto* M = static_cast<const QMouseEvent*>(E);
                    const QPoint Global = M->globalPosition().toPoint();
                    return Control.ScreenToClient({Global.x(), Global.y()});
                }
                default:
                    break;
            }
        }
    }
    TPoint P;
    GetCursorPos(P);
    return Control.ScreenToClient(P);
}

}  // namespace carrelon
