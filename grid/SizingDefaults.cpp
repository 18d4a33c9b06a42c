// Default row height and column width, the grid line width and the grid-wide word wrap.
#include <utility>
#include <vector>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

void TCarrelon::SetDefaultRowHeight(int Value) {
    if (d->Loading() || d->Designing()) {
        TCustomGrid::SetDefaultRowHeight(Value);
        return;
    }
    if (Value < 0 || Value == GetDefaultRowHeight()) return;
    const std::vector<int>* Heights = RowHeightsArray();
    if (Heights == nullptr) {
        TCustomGrid::SetDefaultRowHeight(Value);
        Invalidate();
        return;
    }
    // Rows with content keep a larger height; every other row takes the new default. The base
    // setter resets every row, so the rows that keep their height are put back.
    const std::vector<int> Old = *Heights;
    {
        const bool Muted = d->FMuteRowHeightsChanged;
        d->FMuteRowHeightsChanged = true;
        ++d->FUpdateCount;
        TScopeExit Restore([&] {
            --d->FUpdateCount;
            d->FMuteRowHeightsChanged = Muted;
        });
        TCustomGrid::SetDefaultRowHeight(Value);
        for (int r = 0; r < static_cast<int>(Old.size()) && r < GetRowCount(); ++r) {
            const int h = Old[static_cast<std::size_t>(r)];
            if (h > Value && !RowIsEmpty(r)) TCustomGrid::SetRowHeights(r, h);
        }
    }
    RowHeightsChanged();
    Invalidate();
}

void TCarrelon::SetDefaultColWidth(int Value) {
    if (d->Loading() || d->Designing()) {
        TCustomGrid::SetDefaultColWidth(Value);
        return;
    }
    if (Value < 0 || Value > 65535 || d->CheckEditorMode()) return;
    TScopeExit ShowEditor([this] { d->CheckAlwaysShowEditor(); });
    // Width events wait until the grid has repainted; hidden columns keep their widths.
    std::vector<std::pair<int, int>> Changed;
    bool Any = false;
    {
        ++d->FUpdateCount;
        TScopeExit Lower([this] { --d->FUpdateCount; });
        TCustomGrid::SetDefaultColWidth(Value);
        for (int c = 0; c < GetColCount(); ++c) {
            TCarrelonCol* Column = GetCols(c);
            const int Old = Column->GetWidth();
            if (Old == Value) continue;
            Column->WriteFWidth(Value);
            d->AssignInheritedColWidths(c, Value);
            Any = true;
            if (OnColumnWidthChanged) Changed.emplace_back(c, Old);
        }
    }
    if (Any) Invalidate();
    for (const auto& [Index, Old] : Changed)
        if (OnColumnWidthChanged) OnColumnWidthChanged(this, Index, Old, Value);
}

void TCarrelon::SetGridLineWidth(int Value) {
    if (Value < 0 || Value > 255) return;
    if (d->Loading()) {
        // The stored value only: the geometry is computed once the stream is read.
        WriteGridLineWidth(Value);
        return;
    }
    if (Value == GetGridLineWidth()) return;
    TCustomGrid::SetGridLineWidth(Value);
    if (!d->Designing()) {
        for (TCarrelonCol* Column : d->FAbsoluteCols)
            Column->WriteFGridLineWidth(255);  // inherit the grid's width again
    }
    GetCanvas()->SetFont(GetFont());
    const int Height = GetCanvas()->TextHeight("A") + 2 * GetBorderForText() + Value;
    if (d->Designing())
        TCustomGrid::SetDefaultRowHeight(Height);
    else
        SetDefaultRowHeight(Height);
}

void TCarrelon::SetWordWrap(bool Value) {
    d->FWordWrap = Value;
    if (d->Designing()) return;
    d->MeasuresChanged();
    for (TCarrelonCol* Column : d->FAbsoluteCols) {
        Column->FAttr[0].WordWrap = Value;
        Column->FAttr[1].WordWrap = Value;
    }
    // Loading restores the cells' own settings as they were saved.
    if (d->Loading() || d->FIniLoading) return;
    // Every cell inherits again, the heading row's too (the column setters keep those).
    for (TCarrelonCol* Column : d->FAbsoluteCols)
        for (TCarrelonCell* Cell : Column->CellList())
            if (Cell != nullptr) Cell->WriteFWordWrap({});
    // One lock around it all, so the rows are refitted once at the end.
    if (d->TryDisableControls())
        EnableControls();
    else
        Invalidate();
}

}  // namespace carrelon
