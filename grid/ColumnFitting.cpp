// Fitting column widths to the widest content of the column.
#include <algorithm>
#include <utility>
#include <vector>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

int TCarrelonPrivate::MeasureTextWidth(const TCarrelonCell* Cell, const AnsiString& Text) {
    TCanvas* C = q->GetCanvas();
    C->SetFont(Cell->CalcFont());
    TRect R{0, 0, 0, 0};
    DrawTextA(C->GetHandle(), Text, R, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP);
    return R.Right - R.Left;
}

void TCarrelonPrivate::DoAutoSizeColumn(int ACol, bool ByUser) {
    if (ACol < 0 || ACol >= q->GetColCount()) return;
    const int Border = q->GetBorderForText();
    int W = 0;
    for (int r = 0; r < q->GetRowCount(); ++r) {
        const TCarrelonCell* Cell = q->GetCells(ACol, r);
        // Lower slots of a vertical merge offer what its top slot offered.
        if (Cell->Row < r) continue;
        const int Start = Cell->GetStartCol();
        const int End = Cell->GetEndCol();
        const AnsiString Text = Cell->GetText();
        if (!Text.empty()) {
            int w = MeasureTextWidth(Cell, Text);
            if (w > W) {
                if (Start == End) {
                    W = w;
                } else {
                    for (int k = Start; k <= End; ++k)
                        if (k != ACol) w -= q->GetColWidths(k);
                    W = std::max(W, w);
                }
            }
        }
        if (Start == End) {
            if (const TGraphic* G = Cell->GetGraphic()) W = std::max(W, G->GetWidth() - 2 * Border);
            if (Cell->GetCheckBox() && FCheckedImage)
                W = std::max(W, FCheckedImage->GetWidth() - 2 * Border);
        }
    }
    if (W <= 0) return;

    TCarrelonCol* Column = q->GetCols(ACol);
    int NewWidth = W + 2 * Border;
    if (q->GetOptions().Contains(cloVertLine) || q->GetOptions().Contains(cloFixedVertLine))
        NewWidth += Column->GetGridLineWidth();
    if (ByUser)
        ResizeColumnByUser(ACol, NewWidth, 0);
    else
        Column->SetWidth(NewWidth);
}

// A width the user gave a column (a drag of its boundary, a double click on it) within the
// column's limits: the column and the base grid take it and OnColumnResized tells the old and
// the new width. Widths below Least are ignored.
bool TCarrelonPrivate::ResizeColumnByUser(int ACol, int NewWidth, int Least) {
    TCarrelonCol* Column = q->GetCols(ACol);
    if (Column->GetMaxWidth() != 0) NewWidth = std::min(NewWidth, Column->GetMaxWidth());
    NewWidth = std::clamp(std::max(NewWidth, Column->GetMinWidth()), 0, 65535);
    if (NewWidth < Least || NewWidth == q->GetColWidths(ACol)) return false;
    const int OldSize = Column->GetWidth();
    Column->WriteFWidth(NewWidth);
    AssignInheritedColWidths(ACol, NewWidth);
    if (q->OnColumnResized) q->OnColumnResized(q, ACol, OldSize, NewWidth);
    return true;
}

bool TCarrelon::AutoSizeColumn(int ACol) {
    if (ACol < 0 || ACol >= GetColCount() || d->CheckEditorMode()) return false;
    TScopeExit ShowEditor([this] { d->CheckAlwaysShowEditor(); });
    const int Old = GetCols(ACol)->GetWidth();
    d->DoAutoSizeColumn(ACol, false);
    return GetCols(ACol)->GetWidth() != Old;
}

bool TCarrelonPrivate::AutoSizeColumnList(const std::vector<int>& Indexes) {
    TScopeExit ShowEditor([this] { CheckAlwaysShowEditor(); });
    // Width events wait until the grid has repainted, one per changed column.
    std::vector<std::pair<TCarrelonCol*, int>> Changed;
    {
        auto Saved = std::move(q->OnColumnWidthChanged);
        q->OnColumnWidthChanged = nullptr;
        TScopeExit Reattach([&] { q->OnColumnWidthChanged = std::move(Saved); });
        {
            ++FUpdateCount;
            TScopeExit Lower([this] { --FUpdateCount; });
            for (int c : Indexes) {
                if (c < 0 || c >= q->GetColCount()) continue;
                TCarrelonCol* Column = q->GetCols(c);
                const int Old = Column->GetWidth();
                DoAutoSizeColumn(c, false);
                if (Column->GetWidth() != Old) Changed.emplace_back(Column, Old);
            }
        }
        if (!Changed.empty()) q->Invalidate();
    }
    for (const auto& [Column, Old] : Changed)
        if (q->OnColumnWidthChanged)
            q->OnColumnWidthChanged(q, Column->GetCol(), Old, Column->GetWidth());
    return !Changed.empty();
}

bool TCarrelon::AutoSizeColumns() {
    if (d->CheckEditorMode()) return false;
    std::vector<int> All(static_cast<std::size_t>(GetColCount()));
    for (int c = 0; c < GetColCount(); ++c)
        All[static_cast<std::size_t>(c)] = c;
    return d->AutoSizeColumnList(All);
}

bool TCarrelon::AutoSizeColumnsEx(const std::vector<int>& Cols) {
    if (Cols.empty() || d->CheckEditorMode()) return false;
    return d->AutoSizeColumnList(Cols);
}

}  // namespace carrelon
