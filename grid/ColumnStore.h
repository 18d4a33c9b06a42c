// TCarrelonColumnStore: the owner of the grid's columns and cells. It keeps the three column
// lists (visible, absolute and hidden) and is the only place where cells and columns are made
// and freed; every change of the lists goes through its operations.
//
// Rules every operation keeps: each column is in the absolute list and in exactly one of the
// visible and hidden lists, in absolute order; every column has the same number of slots; a
// merged cell stands in exactly the slots of its rectangle and is freed once. Growth is all or
// nothing: after a failed allocation nothing has changed. An operation added for structural
// edits makes cells with NewCell, frees them with FreeCell and calls MarkMoved after it changes
// a list.
#pragma once

#include <cstdint>
#include <vector>

namespace carrelon {

class TCarrelon;
class TCarrelonCell;
class TCarrelonCol;

class TCarrelonColumnStore {
public:
    explicit TCarrelonColumnStore(TCarrelon* AGrid);
    ~TCarrelonColumnStore();
    TCarrelonColumnStore(const TCarrelonColumnStore&) = delete;
    TCarrelonColumnStore& operator=(const TCarrelonColumnStore&) = delete;

    // ==== The lists (read-only; the operations below change them) =============================
    // Visible columns, index = base-grid column.
    const std::vector<TCarrelonCol*>& Cols() const { return FCols; }
    // Every column in absolute order, hidden ones included.
    const std::vector<TCarrelonCol*>& AbsoluteCols() const { return FAbsoluteCols; }
    // Hidden columns in absolute order.
    const std::vector<TCarrelonCol*>& HiddenCols() const { return FHiddenCols; }
    // Slots per column.
    int RowCount() const { return FRows; }
    // Refreshes every column's cached visible, absolute and hidden position after a list change.
    void Reindex() const {
        if (FDirty) RebuildIndexes();
    }
    void MarkMoved() {
        FDirty = true;
        ++FChanges;
    }
    // Counts the changes of lists and slots, so that what was measured of rows can be known
    // stale.
    std::uint64_t Changes() const { return FChanges; }

    // ==== Cells ================================================================================
    TCarrelonCell* NewCell(TCarrelonCol* Col, int Row);
    void FreeCell(TCarrelonCell* Cell);

    // ==== Shape ================================================================================
    // Adds AddCols visible columns after the last visible one (before the hidden columns that
    // follow it) and brings every column to Rows slots, with new single cells. False when an
    // allocation failed; nothing has changed then.
    bool Grow(int AddCols, int Rows);
    // Frees the visible columns from First on, last first; hidden columns stay. A merged cell
    // that reaches into a kept column is handed on to it.
    void ShrinkCols(int First);
    // Removes the rows from First on, last first.
    void ShrinkRows(int First);
    // Removes one row from every column (the worker behind deleting a row): a cell of that row
    // alone is freed, a merged one loses the row, and the cells below move up.
    void DeleteRow(int ARow);
    // Frees every cell once, then every column.
    void Clear();

    // ==== Column placement =====================================================================
    // Moves visible column ACol to the hidden list; it keeps its absolute place, cells and width.
    void Hide(int ACol);
    // Makes a hidden column visible again after the nearest visible column left of it; returns
    // its new visible index.
    int Show(int HiddenIndex);
    // Moves visible column From to visible position To, in the absolute list to the place of the
    // column now at To.
    void Move(int From, int To);

    // ==== Merging ==============================================================================
    // Makes the cell at (absolute column A0, row R0) stand in every slot of the rectangle up to
    // (A1, R1) and frees the other cells there, each once. Every cell of the rectangle must lie
    // wholly inside it; the merge operations check that before.
    TCarrelonCell* CoverRectangle(int A0, int R0, int A1, int R1);

private:
    void RebuildIndexes() const;
    // A new column with Rows new cells; on failure nothing is left behind.
    TCarrelonCol* MakeColumn(int Rows);
    // Hands the merged cells of a column that is going on to its neighbours and frees the cells
    // only it holds; then frees the column.
    void FreeColumn(TCarrelonCol* Col);
    // Cuts every column back to Rows slots, freeing the cells added since.
    void TruncateRows(std::size_t Columns, int Rows);

    TCarrelon* FGrid;  // the owner
    std::uint64_t FChanges = 0;
    std::vector<TCarrelonCol*> FCols;
    std::vector<TCarrelonCol*> FAbsoluteCols;
    std::vector<TCarrelonCol*> FHiddenCols;
    int FRows = 0;
    mutable bool FDirty = true;
};

}  // namespace carrelon
