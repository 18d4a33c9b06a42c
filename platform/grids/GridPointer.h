// Where the pointer is over a control, in its client coordinates: from the mouse event being
// handled when there is one (the cursor is asked for before the event's own message arrives),
// else from the screen's cursor.
#pragma once

#include "platform/controls/Controls.h"

namespace carrelon {

TPoint PointerInClient(TWinControl& Control);

}  // namespace carrelon
