// TCarrelon: sorting the rows by one column, and the sort properties. The key column's cells
// are sorted as whole cells (a merged one moves as one piece); the order found is then applied
// once to every column, so the other columns, the row heights and the current cell follow.
#include <algorithm>

#include "grid/CarrelonPrivate.h"
#include "grid/MergeSort.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Messages.h"
#include "platform/controls/WinUser.h"

namespace carrelon {

namespace {

int Sign(int R) {
    return (R > 0) - (R < 0);
}

}  // namespace

// One sort of the rows by the key column, in the steps it takes.
struct TCarrelonPrivate::TSortRun {
    // One cell of the key column with the rows it held before the sort.
    struct TKey {
        TCarrelonCell* Cell;
        int Row;
        int EndRow;
        AnsiString Text;  // read once, while no handler compares the cells
    };

    TSortRun(TCarrelonPrivate& AP, TCarrelonCol* AKeyColumn)
        : P(AP),
          KeyColumn(AKeyColumn),
          Rows(AP.q->GetRowCount()),
          Fixed(AP.q->GetFixedRows()),
          RowOrder(Rows),
          KeyRow(Rows) {}

    // The key column's cells in their order; the fixed rows' cells stay on top as they are.
    void CollectKeys();
    // Orders the key cells below the fixed rows: by OnCompareCells when assigned, else by the
    // column's comparison of their texts; equal keys keep their order.
    void OrderKeys();
    // The new place of every old row: the rows of each key cell in their new order.
    void PlaceRows();
    // Vertical merges of other columns whose rows now go apart keep their first rows only;
    // false, with every merge kept, when a cell could not be made.
    bool CutMergesApart();
    // Rows keep the heights of the content that moves into them.
    void MoveRowHeights();

    TCarrelonPrivate& P;
    TCarrelonCol* const KeyColumn;
    const int Rows;
    const int Fixed;
    std::vector<TKey> Keys;
    std::size_t FirstSorted = 0;  // the first key below the fixed rows
    std::vector<int> Order;       // indexes into Keys of the sorted keys, in their new order
    std::vector<int> RowOrder;    // new row i holds old row RowOrder[i]
    std::vector<int> KeyRow;      // the new first row of the key cell of each old row
};

void TCarrelonPrivate::TSortRun::CollectKeys() {
    const std::vector<TCarrelonCell*>& Slots = KeyColumn->CellList();
    for (int r = 0; r < Rows;) {
        TCarrelonCell* X = Slots[r];
        Keys.push_back({X, X->Row, X->ReadFEndRow(), AnsiString()});
        r = X->ReadFEndRow() + 1;
    }
    FirstSorted =
        std::find_if(Keys.begin(), Keys.end(), [&](const TKey& K) { return K.Row >= Fixed; }) -
        Keys.begin();
}

void TCarrelonPrivate::TSortRun::OrderKeys() {
    TCarrelon* q = P.q;
    const bool ByEvent = static_cast<bool>(q->OnCompareCells);
    const TCarrelonCompareProc Proc = KeyColumn->GetCompareProc();
    if (!ByEvent)
        for (std::size_t i = FirstSorted; i < Keys.size(); ++i)
            Keys[i].Text = Keys[i].Cell->GetText();
    const bool Descending = P.FSortDescending;
    Order.resize(Keys.size() - FirstSorted);
    for (std::size_t i = 0; i < Order.size(); ++i)
        Order[i] = static_cast<int>(FirstSorted + i);
    StableMergeSort(Order, [&](int I1, int I2) {
        const TKey& K1 = Keys[I1];
        const TKey& K2 = Keys[I2];
        int R = 0;
        if (ByEvent)
            q->OnCompareCells(q, K1.Cell, K2.Cell, R);
        else
            R = Proc(K1.Text, K2.Text);
        // Equal keys keep the order they had, descending too.
        if (R == 0) return K1.Row - K2.Row;
        return Descending ? -Sign(R) : Sign(R);
    });
}

void TCarrelonPrivate::TSortRun::PlaceRows() {
    int Next = 0;
    auto Place = [&](const TKey& K) {
        for (int r = K.Row; r <= K.EndRow; ++r) {
            RowOrder[Next + r - K.Row] = r;
            KeyRow[r] = Next;
        }
        Next += K.EndRow - K.Row + 1;
    };
    for (std::size_t i = 0; i < FirstSorted; ++i)
        Place(Keys[i]);
    for (int i : Order)
        Place(Keys[i]);
}

bool TCarrelonPrivate::TSortRun::CutMergesApart() {
    // Every cut is found first and made in one step, so that a cell that cannot be made
    // leaves every merge as it was.
    std::vector<TCarrelonColumnStore::TCut> Cuts;
    const int KeyAbs = KeyColumn->GetAbsoluteNumber();
    for (TCarrelonCol* C : P.FAbsoluteCols) {
        if (C == KeyColumn) continue;
        const std::vector<TCarrelonCell*>& V = C->CellList();
        for (int j = Fixed; j < Rows; ++j) {
            TCarrelonCell* X = V[j];
            const int End = X->ReadFEndRow();
            if (X->Row != j || End == j || X->Col != C) continue;
            if (X->Col->GetAbsoluteNumber() <= KeyAbs &&
                X->GetEndColObject()->GetAbsoluteNumber() >= KeyAbs)
                continue;  // it holds the key column and moves as one piece
            int k = j;
            while (k < End && KeyRow[k + 1] == KeyRow[j])
                ++k;
            if (k < End) Cuts.push_back({X, k});
        }
    }
    return Cuts.empty() || P.FStore.CutBelow(Cuts);
}

void TCarrelonPrivate::TSortRun::MoveRowHeights() {
    const std::vector<int>* Heights = P.ReadFRowHeights();
    if (Heights == nullptr) return;
    const std::vector<int> Old = *Heights;
    const bool Muted = P.FMuteRowHeightsChanged;
    P.FMuteRowHeightsChanged = true;
    TScopeExit Restore([&] { P.FMuteRowHeightsChanged = Muted; });
    for (int i = 0; i < Rows; ++i)
        if (Old[RowOrder[i]] != Old[i]) P.q->TCustomGrid::SetRowHeights(i, Old[RowOrder[i]]);
}

bool TCarrelon::Sort() {
    if (!d->FModel || d->FSorting) return false;
    if (d->FSortColumn < d->HeadingOffset() || d->FSortColumn >= GetColCount()) return false;
    if (d->CheckEditorMode()) return false;
    d->FSorting = true;
    TScopeExit EndSorting([this] { d->FSorting = false; });
    if (OnStartSort) OnStartSort(this);
    // Every sort that started ends with its event and the editor shown again where it stays.
    auto End = [this](bool Result) {
        if (OnEndSort) OnEndSort(this);
        d->CheckAlwaysShowEditor();
        return Result;
    };
    // The handler may have changed the grid.
    if (d->FSortColumn >= GetColCount()) return End(false);

    TCarrelonCell* Current =
        GetRow() >= 0 && GetCol() >= 0 ? GetCells(GetCol(), GetRow()) : nullptr;
    TCarrelonPrivate::TSortRun Run(*d, d->FCols[d->FSortColumn]);
    Run.CollectKeys();
    Run.OrderKeys();
    Run.PlaceRows();
    if (!Run.CutMergesApart()) {
        d->ShowOutOfMemory();
        return End(false);
    }
    d->FStore.PermuteRows(Run.RowOrder);
    d->MeasuresChanged();  // rows hold other cells now
    Run.MoveRowHeights();

    // Redraw goes off while the current cell moves, and back on only if it went off here.
    const bool Redraw = GetVisible() && HandleAllocated() && IsWindowVisible(GetHandle());
    if (Redraw) Perform(WM_SETREDRAW, 0, 0);
    if (Current != nullptr) {
        const int C = Current->GetStartCol();
        const int R = Current->Row;
        TSelectCellEvent Saved = std::move(OnSelectCell);
        OnSelectCell = nullptr;
        TScopeExit RestoreEvent([&] { OnSelectCell = std::move(Saved); });
        if (C >= 0) MoveColRow(C, R, true, d->TargetOutsideFixed(C, R));
    }
    d->CheckSelection();
    if (Redraw) Perform(WM_SETREDRAW, 1, 0);
    Invalidate();
    return End(true);
}

// ---- properties ---------------------------------------------------------------------------

namespace {

// Repaints the sort indicator's cell of a column: the last fixed row.
void RepaintIndicator(TCarrelon* Grid, TCarrelonPrivate& P, int ACol) {
    const int Row = Grid->GetFixedRows() - 1;
    if (Row < 0 || ACol < 0 || ACol >= Grid->GetColCount()) return;
    if (P.FModel)
        Grid->GetCells(ACol, Row)->Invalidate();
    else
        Grid->InvalidateCell(ACol, Row);
}

}  // namespace

void TCarrelon::SetSortColumn(int Value) {
    if (Value == d->FSortColumn) return;
    if (d->Loading()) {
        d->FSortColumn = Value;
        return;
    }
    // Column 0 holds the row headings while they are on.
    if (Value < d->HeadingOffset() || Value >= GetColCount()) return;
    const int Old = d->FSortColumn;
    d->FSortColumn = Value;
    if (d->FSortIndicator) {
        RepaintIndicator(this, *d, Old);
        RepaintIndicator(this, *d, Value);
    }
}

void TCarrelon::SetSortDescending(bool Value) {
    if (Value == d->FSortDescending) return;
    d->FSortDescending = Value;
    if (!d->Loading() && d->FSortIndicator) RepaintIndicator(this, *d, d->FSortColumn);
}

void TCarrelon::SetSortIndicator(bool Value) {
    if (Value == d->FSortIndicator) return;
    d->FSortIndicator = Value;
    if (!d->Loading()) RepaintIndicator(this, *d, d->FSortColumn);
}

void TCarrelon::SetSortIndicatorColor(TColor Value) {
    if (Value == d->FSortIndicatorColor) return;
    d->FSortIndicatorColor = Value;
    if (!d->Loading()) RepaintIndicator(this, *d, d->FSortColumn);
}

void TCarrelon::SetSortOnClick(bool Value) {
    d->FSortOnClick = Value;
    if (Value) d->FSortOnDblClick = true;
}

void TCarrelon::SetSortOnDblClick(bool Value) {
    if (Value || !d->FSortOnClick) d->FSortOnDblClick = Value;
}

}  // namespace carrelon
