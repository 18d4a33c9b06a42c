// Shared pieces of the office exchange.
#include "exchange/OfficeExchange.h"

#include "platform/controls/Forms.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/WinGdi.h"

namespace carrelon {

void ShowOfficeStartFailure(const AnsiString& Application, const AnsiString& Message) {
    MessageDlg("Could not start Microsoft " + Application + "\r\n\r\n" + Message, mtError,
               TMsgDlgButtons{mbOK}, 0);
}

int GridPixelsPerInch(TCarrelon* Grid) {
    return GetDeviceCaps(Grid->GetCanvas()->GetHandle(), LOGPIXELSX);
}

}  // namespace carrelon
