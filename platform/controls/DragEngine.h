// Platform-internal: the one drag or dock drag that may be under way, and the steps of the
// control's message road that lead into it.
#pragma once

#include "platform/controls/Controls.h"

namespace carrelon {

struct TDragEngine {
    // Every message a control receives passes here first: mouse messages note where the pointer
    // is, and while a drag lasts its mouse input, Escape and a lost capture are the drag's.
    // True when the message was taken.
    static bool Input(TControl& Receiver, TMessage& Message);
    // Dispatches a left-button press; a drag begun while it is handled releases the button for
    // the control once it is.
    static void DispatchPress(TControl& Control, TMessage& Message);
    static void Begin(TControl& Source, bool Immediate, int Threshold);
    static void Done(bool Drop);
    static bool IsSource(const TControl* Control);
    // Called as a control goes: the drag forgets it.
    static void Forget(TControl* Control);
};

}  // namespace carrelon
