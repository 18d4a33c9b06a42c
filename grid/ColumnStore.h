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

    // ==== Structural edits (grid/ColumnStoreEdits.cpp) =========================================
    // Each is all or nothing: it makes what it needs first and returns false when an allocation
    // failed, with nothing changed.
    // Inserts a slot at ARow in every column. Where a cell starts at ARow (or at the end) the
    // slot gets a new single cell, nil without CreateCells, and the cells below move down; inside
    // a vertical merge the merge grows by the row and holds the slot.
    bool InsertRow(int ARow, bool CreateCells);
    // Moves row From to row To: the single-row cells of From move (a horizontal merge whose
    // target slot joins a vertical merge is cut there), vertical merges lose the row and leave
    // empty cells at To. Moved lists the cells that moved.
    bool MoveRow(int From, int To, std::vector<TCarrelonCell*>& Moved);
    // Makes a column with new cells and puts it before visible column ACol (in absolute order,
    // before that column); a horizontal merge spanning the place grows by the column. Nil when
    // an allocation failed.
    TCarrelonCol* InsertColumn(int ACol);
    // Frees visible column ACol, handing its merged cells on to the neighbouring columns.
    void DeleteColumn(int ACol);
    // Moves visible column From to visible position To with its cells. A cell merged over the
    // place it leaves loses the column; where it lands inside a horizontal merge its slot joins
    // that merge, and the cell it carried there is cut to the rows it keeps (freed when none).
    bool MoveColumn(int From, int To);
    // Makes Kept stand in every slot of the rectangle from (absolute column A0, row R0) to
    // (A1, R1), moving its top-left there, and frees the other cells there, each once. Every
    // cell of the rectangle must lie wholly inside it.
    void CoverRectangle(TCarrelonCell* Kept, int A0, int R0, int A1, int R1);
    // Gives every slot of a merged cell but its top-left one a new empty cell.
    bool Split(TCarrelonCell* Cell);
    // Frees Cell and gives every slot it covered a new empty cell; false, with nothing changed,
    // when the cells could not be made.
    bool Vacate(TCarrelonCell* Cell);
    // Reorders the rows of every column: new row i holds what old row Order[i] held, and every
    // cell is renumbered. Vertical merges must map onto consecutive rows.
    void PermuteRows(const std::vector<int>& Order);
    // A vertical merge to be cut after its row LastKept.
    struct TCut {
        TCarrelonCell* Cell;
        int LastKept;
    };
    // Cuts every listed merge: each of its rows after LastKept gets a new empty cell of the
    // same columns. The cells are made before any merge is cut; false, with nothing changed,
    // when they could not be.
    bool CutBelow(const std::vector<TCut>& Cuts);

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
    // True when a cell that starts in an earlier column stands in Col: a merge reaches over
    // the boundary left of it.
    static bool MergeReachesInto(const TCarrelonCol* Col);

private:
    // The plan of MoveColumn, made before anything changes (grid/ColumnStoreEdits.cpp).
    struct TColumnMove;
    void RebuildIndexes() const;
    // A new column with Rows new cells; on failure nothing is left behind.
    TCarrelonCol* MakeColumn(int Rows);
    // Hands the merged cells of a column that is going on to its neighbours and frees the cells
    // only it holds; then frees the column.
    void FreeColumn(TCarrelonCol* Col);
    // Cuts every column back to Rows slots, freeing the cells added since.
    void TruncateRows(std::size_t Columns, int Rows);
    // Cells made ahead of an edit, so that nothing fails once the edit has begun; each is given
    // its column and row when used, and the unused ones are freed.
    std::vector<TCarrelonCell*> MakeSpareCells(std::size_t Count);
    TCarrelonCell* UseSpare(std::vector<TCarrelonCell*>& Spare, TCarrelonCol* Col, int Row);
    void FreeSpare(std::vector<TCarrelonCell*>& Spare);
    // Room for one more slot in every column; false when it could not be had.
    bool ReserveRow();
    // The work of Split (Keep) and Vacate.
    bool RefillSlots(TCarrelonCell* Cell, bool Keep);
    // InsertRow's work once everything is made: new slots take spare cells, or nil without.
    void InsertRowSlots(int ARow, std::vector<TCarrelonCell*>* Spare);

    TCarrelon* FGrid;  // the owner
    std::uint64_t FChanges = 0;
    std::vector<TCarrelonCol*> FCols;
    std::vector<TCarrelonCol*> FAbsoluteCols;
    std::vector<TCarrelonCol*> FHiddenCols;
    int FRows = 0;
    mutable bool FDirty = true;
};

}  // namespace carrelon
