// Platform-internal: the Qt widget inside a TWidgetControl, for the controls' own .cpp files.
#pragma once

#include <QWidget>

#include "platform/controls/WidgetControl.h"
#include "platform/controls/WindowWidgetQt.h"

namespace carrelon {

template <class W>
W* TWidgetControl::InnerWidget() const {
    return FHandle != nullptr ? qobject_cast<W*>(FHandle->Inner()) : nullptr;
}

}  // namespace carrelon
