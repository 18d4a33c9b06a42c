// The whole grid rendered into a bitmap: every visible column and row, fixed ones included,
// from the first scrollable column and row, with the grid's left and top border. The grid is
// painted as a view larger than its window, so nothing on screen moves or repaints and the
// application hears of no scrolling.
#include <cstdint>

#include "grid/CarrelonPrivate.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

bool TCarrelon::SaveToBitmap(TBitmap* Bitmap) {
    if (Bitmap == nullptr || d->CheckEditorMode()) return false;
    // Lines are part of each slot's size, so the sizes alone make the picture.
    const std::int64_t W = ColAxis().Offset(GetColCount());
    const std::int64_t H = RowAxis().Offset(GetRowCount());
    const std::int64_t B = GetBorderWidthNC();
    // Refused before anything is allocated when the bitmap cannot be that large.
    if (W + B > MaxMadeBitmapSide || H + B > MaxMadeBitmapSide ||
        (W + B) * (H + B) > MaxBitmapPixels)
        return false;
    try {
        Bitmap->SetSize(static_cast<int>(W + B), static_cast<int>(H + B));
    } catch (const EOutOfResources&) {
        return false;
    }

    // Nothing is drawn as selected or focused: the two options are taken out of the field
    // (no setter runs) and an empty selection stands in for the grid's own.
    const TCarrelonOptions Options = d->FCarrelonOptions;
    std::unique_ptr<TCarrelonSelection> Selection = std::move(d->FSelectedCells);
    if (d->FModel) d->FSelectedCells.reset(new TCarrelonSelection(this));
    d->FCarrelonOptions.Exclude(cloDrawFocusSelected).Exclude(cloDrawFocusRectangle);
    const bool Rendering = d->FRenderingBitmap;
    d->FRenderingBitmap = true;
    const auto Restore = [&] {
        d->FRenderingBitmap = Rendering;
        d->FCarrelonOptions = Options;
        d->FSelectedCells = std::move(Selection);
    };
    try {
        PaintViewTo(Bitmap->GetCanvas(), 0, 0, static_cast<int>(W), static_cast<int>(H));
    } catch (...) {
        Restore();
        throw;
    }
    Restore();
    d->CheckAlwaysShowEditor();
    return true;
}

}  // namespace carrelon
