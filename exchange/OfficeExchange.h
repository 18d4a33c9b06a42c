// What the Word and Excel exports and the Excel import share: the COM session of one call, the
// message shown when the office application cannot start, progress reporting in 64-bit
// positions, and the screen resolution the sizes are converted with.
#pragma once

#include <climits>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/automation/Ole.h"

namespace carrelon {

// CoInitialize for one call; CoUninitialize when the initialisation succeeded.
class TComSession {
public:
    TComSession() : FResult(CoInitialize(nullptr)) {}
    ~TComSession() {
        if (Succeeded(FResult)) CoUninitialize();
    }
    TComSession(const TComSession&) = delete;
    TComSession& operator=(const TComSession&) = delete;
    HRESULT Result() const { return FResult; }

private:
    HRESULT FResult;
};

// "Could not start Microsoft <Application>", two line breaks and the exception's message.
void ShowOfficeStartFailure(const AnsiString& Application, const AnsiString& Message);

// Positions of a grid with 134 million rows or columns exceed Integer: they are counted in 64
// bits and clamped where the event takes them.
inline int ClampProgress(long long Position) {
    return Position > INT_MAX ? INT_MAX : Position < INT_MIN ? INT_MIN : static_cast<int>(Position);
}

// Fires a progress event when it is assigned; once Stop is True it stays True and nothing more
// is fired.
class TOfficeProgress {
public:
    TOfficeProgress(TCarrelon* Grid, const TCarrelonExportImportProgressEvent& Event,
                    long long EndPosition)
        : FGrid(Grid), FEvent(Event), FEnd(ClampProgress(EndPosition)) {}
    bool Assigned() const { return static_cast<bool>(FEvent); }
    bool Stopped() const { return FStop; }
    // Reports Position; true when the handler asked to stop.
    bool Report(long long Position) {
        if (FStop) return true;
        if (FEvent) FEvent(FGrid, ClampProgress(Position), FEnd, FStop);
        return FStop;
    }

private:
    TCarrelon* FGrid;
    const TCarrelonExportImportProgressEvent& FEvent;
    int FEnd;
    bool FStop = false;
};

// A step of the clean-up after a failure: a further failure there changes nothing of the
// result, so it is swallowed.
template <class F>
void Quietly(F&& Step) {
    try {
        Step();
    } catch (...) {
    }
}

// The exchange operations run only once the cell editor has closed, and reopen it afterwards
// where the options keep it shown; false when the editor stays open.
template <class F>
bool WithEditorClosed(TCarrelonPrivate& P, F&& Work) {
    if (P.CheckEditorMode()) return false;
    TScopeExit Reopen([&P] { P.CheckAlwaysShowEditor(); });
    return Work();
}

// LOGPIXELSX of the grid's canvas.
int GridPixelsPerInch(TCarrelon* Grid);

}  // namespace carrelon
