// Platform-internal: the Qt menu a TPopupMenu shows, for platform code and tests.
#pragma once

#include <QMenu>

#include "platform/controls/Menus.h"

namespace carrelon {

// The menu built by the last Popup (nullptr before the first).
QMenu* PopupMenuWidget(const TPopupMenu& Menu);

}  // namespace carrelon
