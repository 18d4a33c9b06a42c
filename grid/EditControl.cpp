// Application-supplied edit controls. Not handled yet: an opening that is offered a control
// uses the in-place editor instead, so no control is ever open.
#include "grid/CarrelonPrivate.h"

namespace carrelon {

bool TCarrelonPrivate::ShowEditControl(const AnsiString&) {
    return false;
}

bool TCarrelonPrivate::CloseEditControl() {
    FEditControl = nullptr;
    FEditorShowing = false;
    return true;
}

void TCarrelonPrivate::SetEditControlFontColor(TColor) {}

}  // namespace carrelon
