// Routines of the application-supplied edit controls that stand on their own: reading a date or
// time out of free text, and the least heights of a combo box and of a spin edit.
#pragma once

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TWinControl;

// A date out of free text: the locale's reading, else the text with month names turned into
// their numbers and everything but digits into date separators; today when nothing reads.
TDateTime TextToDate(const AnsiString& S);
// The locale's reading of a time; midnight (0) for empty or unreadable text.
TDateTime TextToTime(const AnsiString& S);
// The least height of a combo box, and of a spin edit, with the control's font.
int ComboEditHeight(const TWinControl* Control);
int SpinEditHeight(const TWinControl* Control);

}  // namespace carrelon
