// Fitting column widths to the widest content of the column.
#include <algorithm>
#include <utility>
#include <vector>

#include "grid/Carrelon.h"
#include "grid/ScopeExit.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

int TCarrelon::MeasureTextWidth(const TCarrelonCell* Cell, const AnsiString& Text) {
    TCanvas* C = GetCanvas();
    C->SetFont(Cell->CalcFont());
    TRect R{0, 0, 0, 0};
    DrawTextA(C->GetHandle(), Text, R, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP);
    return R.Right - R.Left;
}

void TCarrelon::DoAutoSizeColumn(int ACol, bool ByUser) {
    if (ACol < 0 || ACol >= GetColCount()) return;
    const int Border = GetBorderForText();
    int W = 0;
    for (int r = 0; r < GetRowCount(); ++r) {
        const TCarrelonCell* Cell = GetCells(ACol, r);
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
                        if (k != ACol) w -= GetColWidths(k);
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

    TCarrelonCol* Column = GetCols(ACol);
    int NewWidth = W + 2 * Border;
    if (GetOptions().Contains(cloVertLine) || GetOptions().Contains(cloFixedVertLine))
        NewWidth += Column->GetGridLineWidth();
    if (!ByUser) {
        Column->SetWidth(NewWidth);
        return;
    }
    if (Column->GetMaxWidth() != 0) NewWidth = std::min(NewWidth, Column->GetMaxWidth());
    NewWidth = std::max(NewWidth, Column->GetMinWidth());
    if (NewWidth == GetColWidths(ACol)) return;
    const int OldSize = Column->GetWidth();
    Column->WriteFWidth(NewWidth);
    AssignInheritedColWidths(ACol, NewWidth);
    if (OnColumnResized) OnColumnResized(this, ACol, OldSize, NewWidth);
}

bool TCarrelon::AutoSizeColumn(int ACol) {
    if (ACol < 0 || ACol >= GetColCount() || CheckEditorMode()) return false;
    TScopeExit ShowEditor([this] { CheckAlwaysShowEditor(); });
    const int Old = GetCols(ACol)->GetWidth();
    DoAutoSizeColumn(ACol, false);
    return GetCols(ACol)->GetWidth() != Old;
}

bool TCarrelon::AutoSizeColumnList(const std::vector<int>& Indexes) {
    TScopeExit ShowEditor([this] { CheckAlwaysShowEditor(); });
    // Width events wait until the grid has repainted, one per changed column.
    std::vector<std::pair<TCarrelonCol*, int>> Changed;
    {
        auto Saved = std::move(OnColumnWidthChanged);
        OnColumnWidthChanged = nullptr;
        TScopeExit Reattach([&] { OnColumnWidthChanged = std::move(Saved); });
        {
            ++FUpdateCount;
            TScopeExit Lower([this] { --FUpdateCount; });
            for (int c : Indexes) {
                if (c < 0 || c >= GetColCount()) continue;
                TCarrelonCol* Column = GetCols(c);
                const int Old = Column->GetWidth();
                DoAutoSizeColumn(c, false);
                if (Column->GetWidth() != Old) Changed.emplace_back(Column, Old);
            }
        }
        if (!Changed.empty()) Invalidate();
    }
    for (const auto& [Column, Old] : Changed)
        if (OnColumnWidthChanged)
            OnColumnWidthChanged(this, Column->GetCol(), Old, Column->GetWidth());
    return !Changed.empty();
}

bool TCarrelon::AutoSizeColumns() {
    if (CheckEditorMode()) return false;
    std::vector<int> All(static_cast<std::size_t>(GetColCount()));
    for (int c = 0; c < GetColCount(); ++c)
        All[static_cast<std::size_t>(c)] = c;
    return AutoSizeColumnList(All);
}

bool TCarrelon::AutoSizeColumnsEx(const std::vector<int>& Cols) {
    if (Cols.empty() || CheckEditorMode()) return false;
    return AutoSizeColumnList(Cols);
}

}  // namespace carrelon
