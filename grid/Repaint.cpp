// When the grid may paint: the update lock that bulk operations nest in, the guarded Paint,
// Update and Invalidate, background erasing, and the scroll-bar notification.
#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Messages.h"
#include "platform/controls/WinUser.h"

namespace carrelon {

int TCarrelon::DisableControls() {
    if (d->CheckEditorMode()) return d->FUpdateCount;
    ++d->FUpdateCount;
    if (d->FUpdateCount == 1 && !d->FRedrawOff && GetVisible() && HandleAllocated() &&
        IsWindowVisible(GetHandle())) {
        Perform(WM_SETREDRAW, 0, 0);
        d->FRedrawOff = true;
    }
    return d->FUpdateCount;
}

int TCarrelon::EnableControls() {
    if (d->FUpdateCount <= 0) return 0;
    if (--d->FUpdateCount > 0) return d->FUpdateCount;
    d->FitRowsAfterLock();
    // Redraw comes back on only where the lock switched it off.
    if (d->FRedrawOff) {
        d->FRedrawOff = false;
        Perform(WM_SETREDRAW, 1, 0);
    }
    if (GetVisible() && HandleAllocated()) {
        // Whatever was marked during the lock is dropped: the whole window repaints once.
        ValidateRect(GetHandle(), nullptr);
        d->FSkipErase = true;
        Invalidate();
        d->CheckAlwaysShowEditor();
    }
    return 0;
}

// Fits every row to its content once, at the end of the outermost lock level; the current cell
// is scrolled back into view when heights changed.
void TCarrelonPrivate::FitRowsAfterLock() {
    if (!FCarrelonOptions.Contains(cloAutoIncreaseRowHeights) &&
        !FCarrelonOptions.Contains(cloAutoDecreaseRowHeights))
        return;
    FUpdateCount = 1;
    bool changed = false;
    try {
        // Each chain of vertically merged rows is measured once.
        changed = FitAllRows(FCarrelonOptions.Contains(cloAutoIncreaseRowHeights),
                             FCarrelonOptions.Contains(cloAutoDecreaseRowHeights));
        if (changed && q->GetCol() >= q->TCustomGrid::GetFixedCols() &&
            q->GetRow() >= q->TCustomGrid::GetFixedRows()) {
            // Scrolled back into view without asking the application.
            WithoutHandler(q->OnSelectCell,
                           [this] { q->MoveColRow(q->GetCol(), q->GetRow(), false, true); });
        }
    } catch (...) {
        FUpdateCount = 0;
        throw;
    }
    FUpdateCount = 0;
}

bool TCarrelonPrivate::TryDisableControls() {
    const int before = FUpdateCount;
    return q->DisableControls() > before;
}

bool TCarrelonPrivate::CanRepaint() const {
    return FUpdateCount == 0 && q->HandleAllocated() && q->GetVisible();
}

void TCarrelon::Paint() {
    // A rendering into a bitmap paints whatever the window's own state says.
    if (d->FRenderingBitmap) {
        d->FPaintPass = {};
        TCustomGrid::Paint();
        return;
    }
    if (d->FSkipNextPaint) {
        d->FSkipNextPaint = false;
        return;
    }
    if (d->FUpdateCount != 0) return;
    d->FPaintPass = {};
    TCustomGrid::Paint();
}

void TCarrelon::Update() {
    if (d->FUpdateCount == 0) TCustomGrid::Update();
}

void TCarrelon::Invalidate() {
    if (GetComponentState().Contains(csDesigning)) {
        TCustomGrid::Invalidate();
        return;
    }
    if (GetComponentState().Contains(csLoading) || d->FIniLoading || d->FPasting ||
        d->FUpdateCount != 0 || !HandleAllocated() || !IsWindowVisible(GetHandle()))
        return;
    // A real repaint is due: a pending skip must not swallow it.
    d->FSkipNextPaint = false;
    TCustomGrid::Invalidate();
}

void TCarrelon::WMEraseBkgnd(TMessage& Message) {
    // The flags belong to the window's next paint, not to a rendering.
    if (d->FRenderingBitmap) {
        TCustomGrid::WMEraseBkgnd(Message);
        return;
    }
    if (d->FSkipNextPaint || d->FSkipErase || d->FIniLoading) {
        Message.Result = 1;
        d->FSkipErase = false;
        return;
    }
    TCustomGrid::WMEraseBkgnd(Message);
}

void TCarrelon::WMNCCalcSize(TMessage& Message) {
    if (!GetComponentState().Contains(csDesigning) && !d->FIniLoading) {
        std::int32_t style = GetWindowLongA(GetHandle(), GWL_STYLE);
        const std::int32_t bars = WS_HSCROLL | WS_VSCROLL;
        if (d->FLastWindowStyle != 0 && ((style ^ d->FLastWindowStyle) & bars) != 0 &&
            OnShowScrollBars) {
            bool h = (style & WS_HSCROLL) != 0;
            bool v = (style & WS_VSCROLL) != 0;
            OnShowScrollBars(this, h, v);
            std::int32_t wanted = style & ~bars;
            if (h) wanted |= WS_HSCROLL;
            if (v) wanted |= WS_VSCROLL;
            if (wanted != style) {
                // Recorded first: writing the style recalculates the frame again.
                d->FLastWindowStyle = wanted;
                SetWindowLongA(GetHandle(), GWL_STYLE, wanted);
                style = wanted;
            }
        }
        d->FLastWindowStyle = style;
    }
    TCustomGrid::WMNCCalcSize(Message);
}

}  // namespace carrelon
