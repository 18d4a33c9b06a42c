// Fitting row heights to cell contents: a row is fitted together with every row that a
// vertical merge chains to it, and cells spanning several rows get their shortfall on their
// end row, smallest shortfall first.
#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

// Scratch space of one fit, reused across the ranges of a whole-grid fit.
struct TCarrelonPrivate::TRowFitScratch {
    std::vector<int> Need;
    struct Span {
        TCarrelonCell* Cell;
        long long Need;  // 64-bit: a merge over many rows may pass the int range
        long long Sum;
    };
    std::vector<Span> Spans;
    std::vector<std::vector<int>> SpansByRow;  // spans covering each row of the range
};

// The rows First..Last that must be fitted with ARow: every vertical merge touching the range
// widens it, until it is closed.
std::pair<int, int> TCarrelonPrivate::RowFitRange(int ARow) const {
    int First = ARow, Last = ARow;
    int Lo = ARow, Hi = ARow;  // rows scanned so far
    const int Cols = q->GetColCount();
    const auto Scan = [&](int r) {
        for (int c = 0; c < Cols; ++c) {
            const TCarrelonCell* Cell = q->GetCells(c, r);
            First = std::min(First, Cell->Row);
            Last = std::max(Last, Cell->GetEndRow());
        }
    };
    Scan(ARow);
    while (First < Lo || Last > Hi) {
        if (First < Lo)
            Scan(--Lo);
        else
            Scan(++Hi);
    }
    return {First, Last};
}

bool TCarrelonPrivate::FitRowRange(int First, int Last, bool Increase, bool Decrease,
                                   int EditorHeight, TRowFitScratch& S) {
    const int Cols = q->GetColCount();
    const int N = Last - First + 1;
    S.Need.assign(static_cast<std::size_t>(N), 0);
    S.Spans.clear();

    // Needs of the cells within one row, each cell measured once. For a row on its own, how
    // many cells are that tall and which one is remembered, so that a later edit of one cell
    // measures only that cell.
    bool Remember = First == Last && EditorHeight == -1 && !FEditorShowing;
    KnownRowNeed(-1);  // column needs follow the grid's settings
    TTallest Tallest;
    for (int r = First; r <= Last; ++r) {
        Tallest = {};
        for (int c = 0; c < Cols; ++c) {
            TCarrelonCell* Cell = q->GetCells(c, r);
            if (Cell->Row != r || Cell->GetEndRow() != r || Cell->GetStartCol() != c) continue;
            Tallest.Add(NeedWithinRow(Cell, EditorHeight, Remember), c);
        }
        S.Need[static_cast<std::size_t>(r - First)] = Tallest.Need;
    }
    if (Remember) RememberRowNeed(First, Tallest);

    // Cells spanning several rows, columns left to right and cells top to bottom.
    for (int c = 0; c < Cols; ++c) {
        for (int r = First; r <= Last;) {
            TCarrelonCell* Cell = q->GetCells(c, r);
            const int End = Cell->GetEndRow();
            if (End > Cell->Row && Cell->GetStartCol() == c) {
                long long Need;
                if (Cell->GetButton()) {
                    // A button keeps the height its rows have now.
                    Need = 0;
                    for (int k = Cell->Row; k <= End; ++k)
                        Need += q->GetRowHeights(k);
                } else {
                    Need = Cell->CalcHeight(EditorHeight);
                }
                long long Sum = 0;
                for (int k = std::max(Cell->Row, First); k <= End; ++k)
                    Sum += S.Need[static_cast<std::size_t>(k - First)];
                S.Spans.push_back({Cell, Need, Sum});
            }
            r = End + 1;
        }
    }

    if (!S.Spans.empty()) {
        // Give the smallest shortfall to its end row, then re-measure the others against the
        // grown row, until none falls short. Shortfalls only shrink as rows grow.
        if (S.SpansByRow.size() < static_cast<std::size_t>(N)) S.SpansByRow.resize(N);
        for (int i = 0; i < N; ++i)
            S.SpansByRow[static_cast<std::size_t>(i)].clear();
        std::set<std::pair<long long, int>> Short;  // (shortfall, order of discovery)
        for (int i = 0; i < static_cast<int>(S.Spans.size()); ++i) {
            const auto& Sp = S.Spans[static_cast<std::size_t>(i)];
            for (int k = std::max(Sp.Cell->Row, First); k <= Sp.Cell->GetEndRow(); ++k)
                S.SpansByRow[static_cast<std::size_t>(k - First)].push_back(i);
            if (Sp.Sum < Sp.Need) Short.insert({Sp.Need - Sp.Sum, i});
        }
        while (!Short.empty()) {
            const auto [Gap, Index] = *Short.begin();
            const int EndRow = S.Spans[static_cast<std::size_t>(Index)].Cell->GetEndRow();
            // The end row's need stays within the cell's own need, an int.
            S.Need[static_cast<std::size_t>(EndRow - First)] += static_cast<int>(Gap);
            for (int j : S.SpansByRow[static_cast<std::size_t>(EndRow - First)]) {
                auto& Sp = S.Spans[static_cast<std::size_t>(j)];
                if (Sp.Sum < Sp.Need) Short.erase({Sp.Need - Sp.Sum, j});
                Sp.Sum += Gap;
                if (Sp.Sum < Sp.Need) Short.insert({Sp.Need - Sp.Sum, j});
            }
        }
    }

    bool Changed = false;
    for (int r = First; r <= Last; ++r)
        if (ApplyRowNeed(r, S.Need[static_cast<std::size_t>(r - First)], Increase, Decrease))
            Changed = true;
    return Changed;
}

bool TCarrelonPrivate::ApplyRowNeed(int ARow, int NewHeight, bool Increase, bool Decrease) {
    const int Current = q->GetRowHeights(ARow);
    if (!((Increase && Current < NewHeight) || (Decrease && Current > NewHeight))) return false;
    bool CanResize = true;
    if (q->OnResizeRow) q->OnResizeRow(q, ARow, NewHeight, CanResize);
    if (!CanResize || NewHeight == q->GetRowHeights(ARow)) return false;
    FRowShrinking = NewHeight < q->GetRowHeights(ARow);
    q->SetRowHeights(ARow, NewHeight);
    return true;
}

TCarrelonPrivate::TRowNeed* TCarrelonPrivate::KnownRowNeed(int ARow) {
    // The grid's own setters leave their mark here: anything they changed makes every row
    // measure again.
    const TMeasureInputs Now{q->GetDefaultRowHeight(),
                             q->GetGridLineWidth(),
                             FBorderForText,
                             FOwnFixedRows,
                             FAbsoluteFixedCols,
                             FCarrelonOptions.ToInt(),
                             q->GetFont()->GetHandle(),
                             FStore.Changes(),
                             FWordWrap};
    if (!(Now == FMeasureInputs)) {
        FMeasureInputs = Now;
        MeasuresChanged();
    }
    if (ARow < 0 || ARow >= static_cast<int>(FRowNeeds.size())) return nullptr;
    TRowNeed& K = FRowNeeds[static_cast<std::size_t>(ARow)];
    return K.Epoch == FMeasureEpoch && K.Count > 0 ? &K : nullptr;
}

void TCarrelonPrivate::RememberRowNeed(int ARow, const TTallest& Tallest) {
    KnownRowNeed(-1);  // brings the epoch up to date with the grid's settings
    if (ARow >= static_cast<int>(FRowNeeds.size()))
        FRowNeeds.resize(static_cast<std::size_t>(std::max(ARow + 1, q->GetRowCount())));
    FRowNeeds[static_cast<std::size_t>(ARow)] = Tallest.Known(FMeasureEpoch);
}

int TCarrelonPrivate::NeedWithinRow(TCarrelonCell* Cell, int EditorHeight, bool& Remember) {
    if (Cell->GetButton()) {
        // A button's need is the row's height: it moves with the row.
        Remember = false;
        return q->GetRowHeights(Cell->Row);
    }
    const int h = EditorHeight == -1 && !FEditorShowing ? QuickCellNeed(Cell) : -1;
    return h >= 0 ? h : Cell->CalcHeight(EditorHeight);
}

int TCarrelonPrivate::SingleRowNeed(int ARow) {
    if (FEditorShowing) return -1;
    KnownRowNeed(-1);  // column needs follow the grid's settings
    const int Cols = q->GetColCount();
    TTallest Tallest;
    bool Remember = true;
    for (int c = 0; c < Cols; ++c) {
        TCarrelonCell* Cell = q->GetCells(c, ARow);
        int h = QuickCellNeed(Cell);
        if (h < 0) {
            if (Cell->Row != ARow || Cell->GetEndRow() != ARow) return -1;  // a vertical merge
            if (Cell->GetStartCol() != c) continue;
            h = NeedWithinRow(Cell, -1, Remember);
        }
        Tallest.Add(h, c);
    }
    if (Remember) RememberRowNeed(ARow, Tallest);
    return Tallest.Need;
}

void TCarrelonPrivate::RememberNewRows(int First, int Last) {
    First = std::max(First, q->GetFixedRows());
    if (First > Last || FEditorShowing) return;
    KnownRowNeed(-1);  // column needs follow the grid's settings
    TTallest Tallest;
    for (int c = 0; c < q->GetColCount(); ++c) {
        const int h = QuickCellNeed(q->GetCells(c, First));
        if (h < 0) return;  // a button column: the first fit of each row tells
        Tallest.Add(h, c);
    }
    if (static_cast<int>(FRowNeeds.size()) <= Last)
        FRowNeeds.resize(static_cast<std::size_t>(std::max(Last + 1, q->GetRowCount())));
    std::fill(FRowNeeds.begin() + First, FRowNeeds.begin() + Last + 1,
              Tallest.Known(FMeasureEpoch));
}

bool TCarrelonPrivate::DoResizeRow(int ARow, bool Increase, bool Decrease, int EditorHeight) {
    if (ARow < 0 || ARow >= q->GetRowCount()) return false;
    if (EditorHeight == -1) {
        // Most rows hold no cell reaching into other rows: fitted on their own, no scratch.
        const int Need = SingleRowNeed(ARow);
        if (Need >= 0) return ApplyRowNeed(ARow, Need, Increase, Decrease);
    }
    const auto [First, Last] = RowFitRange(ARow);
    TRowFitScratch S;
    return FitRowRange(First, Last, Increase, Decrease, EditorHeight, S);
}

bool TCarrelonPrivate::FitAllRows(bool Increase, bool Decrease) {
    // Ranges are closed under merges, so walking them top to bottom fits every row once.
    TRowFitScratch S;
    bool Changed = false;
    for (int r = 0; r < q->GetRowCount();) {
        const int Need = SingleRowNeed(r);
        if (Need >= 0) {
            if (ApplyRowNeed(r, Need, Increase, Decrease)) Changed = true;
            ++r;
            continue;
        }
        const auto [First, Last] = RowFitRange(r);
        if (FitRowRange(First, Last, Increase, Decrease, -1, S)) Changed = true;
        r = std::max(Last, r) + 1;
    }
    return Changed;
}

void TCarrelon::ColWidthsChanged() {
    if (d) d->MeasuresChanged();
    TCustomGrid::ColWidthsChanged();
}

bool TCarrelonPrivate::ResizeRowForCell(TCarrelonCell* Cell) {
    const bool Inc = FCarrelonOptions.Contains(cloAutoIncreaseRowHeights);
    const bool Dec = FCarrelonOptions.Contains(cloAutoDecreaseRowHeights);
    if (!Inc && !Dec) return false;
    const int r = Cell->Row;
    if (FEditorShowing) return DoResizeRow(r, Inc, Dec, -1);
    TRowNeed* Known = KnownRowNeed(r);  // first: it brings the column needs up to date
    int h = QuickCellNeed(Cell);
    if (h < 0 && (Cell->GetEndRow() != r || Cell->GetButton())) Known = nullptr;
    if (Known == nullptr) return DoResizeRow(r, Inc, Dec, -1);
    // The known count is a lower bound: a cell that stops being among the tallest takes one
    // off; the row is measured again only when the tallest cell may have become lower.
    const int Col = Cell->GetStartCol();
    if (Col >= 0) {  // a cell whose columns are all hidden takes no part
        if (h < 0) h = Cell->CalcHeight(-1);
        TRowNeed& K = *Known;
        if (h > K.Need) {
            K = {h, 1, Col, K.Epoch};
        } else if (h == K.Need) {
            if (K.Count == 1 && K.MaxCol >= 0 && K.MaxCol != Col) K = {h, 2, -1, K.Epoch};
        } else if (K.Count >= 2) {
            K = {K.Need, K.Count - 1, -1, K.Epoch};
        } else if (K.MaxCol < 0 || K.MaxCol == Col) {
            return DoResizeRow(r, Inc, Dec, -1);
        }
    }
    return ApplyRowNeed(r, Known->Need, Inc, Dec);
}

int TCarrelonPrivate::QuickCellNeed(const TCarrelonCell* Cell) {
    if (Cell->HasProperties()) return -1;
    const int Abs = Cell->Col->GetAbsoluteNumber();
    // A fixed column's cells below the fixed rows are alike too: the column's scrollable
    // attributes with the fixed line widths.
    if (Cell->Row < q->GetFixedRows()) return -1;
    if (Abs >= static_cast<int>(FColumnNeeds.size()))
        FColumnNeeds.resize(static_cast<std::size_t>(Abs) + 1);
    TColumnNeed& N = FColumnNeeds[static_cast<std::size_t>(Abs)];
    if (N.Epoch != FMeasureEpoch) {
        // Every cell without own attributes in the column's scrollable rows measures alike.
        N.Epoch = FMeasureEpoch;
        N.Button = Cell->Col->GetButton();
        N.Empty = Cell->NeedOfText({});
        N.Line = Cell->NeedOfText("0");
        unsigned Flags = 0;
        N.Measures = nullptr;
        if (TextBox(Cell, N.Width, Flags)) {
            N.Measures = FontMeasuresOf(q->GetCanvas()->GetHandle(), *Cell->CalcFont(), Flags);
            N.Wrap = (Flags & DT_WORDBREAK) != 0;
        }
    }
    if (N.Button) return -1;  // a button's need is its row's height
    if (N.Measures == nullptr) return Cell->ValueIsUnassigned() ? N.Empty : -1;
    return Cell->QuickNeed(N.Empty, N.Line, *N.Measures, N.Width, N.Wrap);
}

bool TCarrelonPrivate::ResizeRow(int ARow) {
    const bool Inc = q->GetOptions().Contains(cloAutoIncreaseRowHeights);
    const bool Dec = q->GetOptions().Contains(cloAutoDecreaseRowHeights);
    if (!Inc && !Dec) return false;
    return DoResizeRow(ARow, Inc, Dec, -1);
}

bool TCarrelon::AutoSizeRow(int ARow) {
    if (ARow < 0 || ARow >= GetRowCount() || d->CheckEditorMode()) return false;
    TScopeExit ShowEditor([this] { d->CheckAlwaysShowEditor(); });
    return d->DoResizeRow(ARow, true, true, -1);
}

bool TCarrelon::AutoSizeRows() {
    if (d->CheckEditorMode()) return false;
    TScopeExit ShowEditor([this] { d->CheckAlwaysShowEditor(); });
    bool Changed;
    {
        ++d->FUpdateCount;
        TScopeExit Lower([this] { --d->FUpdateCount; });
        Changed = d->FitAllRows(true, true);
    }
    if (Changed) Invalidate();
    return Changed;
}

bool TCarrelon::AutoSizeRowsEx(const std::vector<int>& Rows) {
    if (Rows.empty() || d->CheckEditorMode()) return false;
    TScopeExit ShowEditor([this] { d->CheckAlwaysShowEditor(); });
    bool Changed = false;
    {
        ++d->FUpdateCount;
        TScopeExit Lower([this] { --d->FUpdateCount; });
        for (int r : Rows)
            if (r >= 1 && r < GetRowCount() && d->DoResizeRow(r, true, true, -1)) Changed = true;
    }
    if (Changed) Invalidate();
    return Changed;
}

}  // namespace carrelon
