// Platform-internal: the Qt menu a TPopupMenu shows, for platform code and tests.
#pragma once

#include <QMenu>

#include "platform/controls/Menus.h"

namespace carrelon {

struct TPopupMenuQt {
    static QMenu* Widget(const TPopupMenu& Menu);
};

// The menu built by the last Popup (nullptr before the first).
inline QMenu* PopupMenuWidget(const TPopupMenu& Menu) {
    return TPopupMenuQt::Widget(Menu);
}

}  // namespace carrelon
