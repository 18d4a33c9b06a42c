// The grid's reactions to a change of its colour or font, and the grid-wide colour and text
// border properties that take back the overrides columns and cells carry.
#include <algorithm>

#include "grid/CarrelonPrivate.h"
#include "grid/PaintSupport.h"
#include "platform/controls/Messages.h"

namespace carrelon {

namespace {

// Changes a font without its change notification firing.
template <typename Fn>
void QuietlyChange(TFont* Font, Fn&& Change) {
    TNotifyEvent saved = std::move(Font->OnChange);
    Font->OnChange = nullptr;
    Change(*Font);
    Font->OnChange = std::move(saved);
}

// The four attributes a font change is judged by, in the order they are tested.
enum FontAttribute { faSize, faStyle, faName, faCharset };

void CopyAttribute(TFont& To, const TFont& From, int A) {
    switch (A) {
        case faSize:
            To.SetSize(From.GetSize());
            break;
        case faStyle:
            To.SetStyle(From.GetStyle());
            break;
        case faName:
            To.SetName(From.GetName());
            break;
        default:
            To.SetCharset(From.GetCharset());
            break;
    }
}

// The rows of a column's twin: 0 the scrollable rows, 1 the fixed rows.
void TwinRows(int Twin, int FixedRows, int RowCount, int& First, int& Last) {
    First = Twin == 0 ? FixedRows : 0;
    Last = Twin == 0 ? RowCount : FixedRows;
}

}  // namespace

int TCarrelonPrivate::CalcDefaultRowHeight() {
    TCanvas* C = q->GetCanvas();
    C->GetFont()->Assign(q->GetFont());
    return C->TextHeight("A") + 2 * FBorderForText + q->GetGridLineWidth();
}

// Keeps the lines visible when the background takes their colour.
void TCarrelonPrivate::ApplyLineColourRule() {
    const TColor rgb = ColorToRGB(q->GetColor());
    if (rgb != ColorToRGB(FGridLineColor)) return;
    FGridLineColor = rgb == ColorToRGB(clSilver) ? clGray : clSilver;
}

void TCarrelon::CMColorChanged(TMessage& Message) {
    const TComponentState state = GetComponentState();
    if (state.Contains(csDesigning)) {
        if (!state.Contains(csLoading)) d->ApplyLineColourRule();
    } else if (!state.Contains(csLoading) && !d->FIniLoading) {
        d->ApplyLineColourRule();
        // The new colour shows everywhere outside the fixed area.
        const int count = GetAbsoluteColCount();
        for (int a = d->FAbsoluteFixedCols; a < count; ++a)
            d->FAbsoluteCols[a]->SetColor(clDefault);
    }
    TCustomGrid::CMColorChanged(Message);
}

// Pushes a change of the grid font into the own fonts of the visible columns and their cells.
// Attribute < 0 passes the colour, else that attribute of Font. A column font set explicitly
// takes it; one only read is dropped; in a twin without a column font each cell font in use
// takes it.
void TCarrelonPrivate::PushFontAttribute(const TFont& Font, int Attribute) {
    const auto apply = [&](TFont& F) {
        if (Attribute < 0)
            F.SetColor(Font.GetColor());
        else
            CopyAttribute(F, Font, Attribute);
    };
    const int rows = q->GetRowCount();
    for (TCarrelonCol* Col : FCols) {
        for (int twin = 0; twin < 2; ++twin) {
            auto& attr = Col->FAttr[twin];
            if (attr.Font) {
                if (attr.FontSet) {
                    QuietlyChange(attr.Font.get(), apply);
                } else {
                    attr.Font.reset();
                    attr.FontShadow.reset();
                }
                continue;
            }
            int first = 0, last = 0;
            TwinRows(twin, FOwnFixedRows, rows, first, last);
            for (int r = first; r < last; ++r) {
                TCarrelonCell* Cell = Col->GetCells(r);
                if (Cell->Row == r && Cell->FontUsed()) QuietlyChange(Cell->ReadFFont(), apply);
            }
        }
    }
}

void TCarrelonPrivate::PushFontColour(TColor) {
    PushFontAttribute(*q->GetFont(), -1);
}

// Frees every own font of the visible columns and their cells, so all follow the grid again.
void TCarrelonPrivate::DropOwnFonts() {
    const int rows = q->GetRowCount();
    for (TCarrelonCol* Col : FCols) {
        for (auto& attr : Col->FAttr) {
            attr.Font.reset();
            attr.FontShadow.reset();
            attr.FontSet = false;
        }
        for (int r = 0; r < rows; ++r) {
            TCarrelonCell* Cell = Col->GetCells(r);
            if (Cell->Row != r || !Cell->ReadFFont()) continue;
            Cell->WriteFFont(nullptr);
            Cell->WriteFFontUsed(false);
        }
    }
}

void TCarrelon::CMFontChanged(TMessage& Message) {
    if (d->FIniLoading) {
        TCustomGrid::CMFontChanged(Message);
        return;
    }
    const TComponentState state = GetComponentState();
    const bool designing = state.Contains(csDesigning);
    const bool loading = state.Contains(csLoading);
    const bool runTime = !designing && !loading;
    const TFont* Font = GetFont();

    if (Font->GetColor() != d->FFontShadow->GetColor()) {
        if (runTime) {
            d->PushFontColour(Font->GetColor());
            // A size changed together with the colour still needs the new row height.
            const int h = d->CalcDefaultRowHeight();
            if (h != GetDefaultRowHeight()) {
                const bool locked = d->TryDisableControls();
                TCustomGrid::SetDefaultRowHeight(h);
                if (locked)
                    EnableControls();
                else
                    Invalidate();
            }
        }
        d->FFontShadow->Assign(Font);
        TCustomGrid::CMFontChanged(Message);
        return;
    }

    const bool locked = runTime && d->TryDisableControls();
    if (!loading) {
        const int h = d->CalcDefaultRowHeight();
        if (h != GetDefaultRowHeight()) TCustomGrid::SetDefaultRowHeight(h);
    }
    if (runTime) {
        const TFont& Old = *d->FFontShadow;
        const bool differs[4] = {
            Font->GetSize() != Old.GetSize(), Font->GetStyle() != Old.GetStyle(),
            Font->GetName() != Old.GetName(), Font->GetCharset() != Old.GetCharset()};
        const int count = static_cast<int>(std::count(differs, differs + 4, true));
        // Nothing among name, size, style and charset changed: every own font stays.
        if (count == 1)
            d->PushFontAttribute(*Font,
                                 static_cast<int>(std::find(differs, differs + 4, true) - differs));
        else if (count > 1)
            d->DropOwnFonts();
    }
    d->FFontShadow->Assign(Font);
    if (locked)
        EnableControls();
    else if (runTime)
        Invalidate();
    if (designing) TCustomGrid::CMFontChanged(Message);
}

// Keeps the fixed lines visible against the fixed cells.
void TCarrelonPrivate::ApplyFixedLineContrast(TColor Value) {
    const TColor rgb = ColorToRGB(Value);
    if (rgb != ColorToRGB(FFixedGridLineColor)) return;
    FFixedGridLineColor = rgb == 0 ? clGray : clBlack;
}

void TCarrelon::SetFixedColor(TColor Value) {
    const TComponentState state = GetComponentState();
    const bool loading = state.Contains(csLoading);
    if (state.Contains(csDesigning)) {
        if (Value == GetFixedColor()) return;
        d->ApplyFixedLineContrast(Value);
        TCustomGrid::SetFixedColor(Value);
        if (!loading) d->FSortIndicatorColor = Value;
        return;
    }
    const bool same = Value == GetFixedColor();
    if (!loading) {
        d->ApplyFixedLineContrast(Value);
        d->FSortIndicatorColor = Value;
    }
    TCustomGrid::SetFixedColor(Value);
    if (loading || !d->FModel) return;
    // Every fixed area shows the new colour: the fixed columns whole, the fixed rows of the
    // other columns.
    const int rows = GetRowCount();
    const int count = GetAbsoluteColCount();
    for (int a = 0; a < count; ++a) {
        TCarrelonCol* Col = d->FAbsoluteCols[a];
        const bool fixedCol = a < d->FAbsoluteFixedCols;
        if (fixedCol) Col->FAttr[0].Color = clDefault;
        Col->FAttr[1].Color = clDefault;
        const int last = fixedCol ? rows : std::min(d->FOwnFixedRows, rows);
        for (int r = 0; r < last; ++r) {
            TCarrelonCell* Cell = Col->GetCells(r);
            if (Cell->Row == r) Cell->WriteFColor(clDefault);
        }
    }
    if (same) Invalidate();
}

// Takes back every cell's own selected colour (Selected) or selected font colour.
void TCarrelonPrivate::ResetCellColours(bool Selected) {
    const int rows = q->GetRowCount();
    for (TCarrelonCol* Col : FAbsoluteCols) {
        for (int r = 0; r < rows; ++r) {
            TCarrelonCell* Cell = Col->GetCells(r);
            if (Cell->Row != r || Cell->Col != Col) continue;  // a merged cell once
            if (Selected)
                Cell->WriteFSelectedColor(clDefault);
            else
                Cell->WriteFSelectedFontColor(clDefault);
        }
    }
}

void TCarrelon::SetSelectionColor(TColor Value) {
    d->FSelectionColor = Value;
    const TComponentState state = GetComponentState();
    if (state.Contains(csLoading)) return;
    if (state.Contains(csDesigning)) {
        const int row = GetRow();
        if (d->FCarrelonOptions.Contains(cloRowSelect)) {
            const int last = std::min(GetLeftCol() + GetVisibleColCount(), GetColCount() - 1);
            for (int c = GetLeftCol(); c <= last; ++c)
                InvalidateCell(c, row);
        } else {
            InvalidateCell(GetCol(), row);
        }
        return;
    }
    if (!d->FModel) return;
    d->ResetCellColours(true);
    d->FSelectedCells->Invalidate();
}

void TCarrelon::SetSelectionFontColor(TColor Value) {
    d->FSelectionFontColor = Value;
    const TComponentState state = GetComponentState();
    if (state.Contains(csLoading) || state.Contains(csDesigning) || !d->FModel) return;
    d->ResetCellColours(false);
    d->FSelectedCells->Invalidate();
}

void TCarrelon::SetBorderForText(int Value) {
    Value = std::clamp(Value, 0, 255);  // a one-byte property
    if (Value == d->FBorderForText) return;
    d->FBorderForText = Value;
    const TComponentState state = GetComponentState();
    if (state.Contains(csLoading)) return;
    if (state.Contains(csDesigning)) {
        TCustomGrid::SetDefaultRowHeight(d->CalcDefaultRowHeight());
        return;
    }
    const bool locked = d->TryDisableControls();
    SetDefaultRowHeight(d->CalcDefaultRowHeight());
    if (locked)
        EnableControls();
    else
        Invalidate();
}

}  // namespace carrelon

namespace carrelon {

void TCarrelon::SetGridLineColor(TColor Value) {
    if (Value == d->FGridLineColor) return;
    d->FGridLineColor = Value;
    Invalidate();
}

void TCarrelon::SetFixedGridLineColor(TColor Value) {
    if (Value == d->FFixedGridLineColor) return;
    d->FFixedGridLineColor = Value;
    Invalidate();
}

}  // namespace carrelon
