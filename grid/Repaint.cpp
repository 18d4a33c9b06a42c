// When the grid may paint: the update lock that bulk operations nest in, the guarded Paint,
// Update and Invalidate, background erasing, and the scroll-bar notification.
#include "grid/Carrelon.h"
#include "platform/controls/Messages.h"
#include "platform/controls/WinUser.h"

namespace carrelon {

int TCarrelon::DisableControls() {
    if (CheckEditorMode()) return FUpdateCount;
    ++FUpdateCount;
    if (FUpdateCount == 1 && !FRedrawOff && GetVisible() && HandleAllocated() &&
        IsWindowVisible(GetHandle())) {
        Perform(WM_SETREDRAW, 0, 0);
        FRedrawOff = true;
    }
    return FUpdateCount;
}

int TCarrelon::EnableControls() {
    if (FUpdateCount <= 0) return 0;
    if (--FUpdateCount > 0) return FUpdateCount;
    FitRowsAfterLock();
    // Redraw comes back on only where the lock switched it off.
    if (FRedrawOff) {
        FRedrawOff = false;
        Perform(WM_SETREDRAW, 1, 0);
    }
    if (GetVisible() && HandleAllocated()) {
        FSkipErase = true;
        Invalidate();
        CheckAlwaysShowEditor();
    }
    return 0;
}

// Fits every row to its content once, at the end of the outermost lock level; the current cell
// is scrolled back into view when heights changed.
void TCarrelon::FitRowsAfterLock() {
    if (!FCarrelonOptions.Contains(cloAutoIncreaseRowHeights) &&
        !FCarrelonOptions.Contains(cloAutoDecreaseRowHeights))
        return;
    FUpdateCount = 1;
    bool changed = false;
    try {
        // Each chain of vertically merged rows is measured once.
        changed = FitAllRows(FCarrelonOptions.Contains(cloAutoIncreaseRowHeights),
                             FCarrelonOptions.Contains(cloAutoDecreaseRowHeights));
        if (changed && GetCol() >= TCustomGrid::GetFixedCols() &&
            GetRow() >= TCustomGrid::GetFixedRows()) {
            // Scrolled back into view without asking the application.
            TSelectCellEvent Saved = std::move(OnSelectCell);
            OnSelectCell = nullptr;
            try {
                MoveColRow(GetCol(), GetRow(), false, true);
            } catch (...) {
                OnSelectCell = std::move(Saved);
                throw;
            }
            OnSelectCell = std::move(Saved);
        }
    } catch (...) {
        FUpdateCount = 0;
        throw;
    }
    FUpdateCount = 0;
}

bool TCarrelon::TryDisableControls() {
    const int before = FUpdateCount;
    return DisableControls() > before;
}

bool TCarrelon::CanRepaint() const {
    return FUpdateCount == 0 && HandleAllocated() && GetVisible();
}

void TCarrelon::Paint() {
    if (FSkipNextPaint) {
        FSkipNextPaint = false;
        return;
    }
    if (FUpdateCount != 0) return;
    FPaintPass = {};
    TCustomGrid::Paint();
}

void TCarrelon::Update() {
    if (FUpdateCount == 0) TCustomGrid::Update();
}

void TCarrelon::Invalidate() {
    if (GetComponentState().Contains(csDesigning)) {
        TCustomGrid::Invalidate();
        return;
    }
    if (GetComponentState().Contains(csLoading) || FIniLoading || FPasting || FUpdateCount != 0 ||
        !HandleAllocated() || !IsWindowVisible(GetHandle()))
        return;
    // A real repaint is due: a pending skip must not swallow it.
    FSkipNextPaint = false;
    TCustomGrid::Invalidate();
}

void TCarrelon::WMEraseBkgnd(TMessage& Message) {
    if (FSkipNextPaint || FSkipErase || FIniLoading) {
        Message.Result = 1;
        FSkipErase = false;
        return;
    }
    TCustomGrid::WMEraseBkgnd(Message);
}

void TCarrelon::WMNCCalcSize(TMessage& Message) {
    if (!GetComponentState().Contains(csDesigning) && !FIniLoading) {
        std::int32_t style = GetWindowLongA(GetHandle(), GWL_STYLE);
        const std::int32_t bars = WS_HSCROLL | WS_VSCROLL;
        if (FLastWindowStyle != 0 && ((style ^ FLastWindowStyle) & bars) != 0 && OnShowScrollBars) {
            bool h = (style & WS_HSCROLL) != 0;
            bool v = (style & WS_VSCROLL) != 0;
            OnShowScrollBars(this, h, v);
            std::int32_t wanted = style & ~bars;
            if (h) wanted |= WS_HSCROLL;
            if (v) wanted |= WS_VSCROLL;
            if (wanted != style) {
                // Recorded first: writing the style recalculates the frame again.
                FLastWindowStyle = wanted;
                SetWindowLongA(GetHandle(), GWL_STYLE, wanted);
                style = wanted;
            }
        }
        FLastWindowStyle = style;
    }
    TCustomGrid::WMNCCalcSize(Message);
}

}  // namespace carrelon
