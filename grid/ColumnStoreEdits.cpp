// TCarrelonColumnStore: the slot work of structural edits, merges, splits and sorting. Every
// operation makes the cells and room it needs before it changes anything, so a failed
// allocation leaves the model as it was.
#include <algorithm>
#include <new>
#include <unordered_set>

#include "grid/Carrelon.h"
#include "grid/ColumnStore.h"

namespace carrelon {

namespace {

bool SingleRow(const TCarrelonCell* X) {
    return X->GetEndRow() == X->GetRow();
}

bool SingleColumn(const TCarrelonCell* X) {
    return X->GetEndColObject() == X->GetCol();
}

}  // namespace

// ---- spare cells --------------------------------------------------------------------------

std::vector<TCarrelonCell*> TCarrelonColumnStore::MakeSpareCells(std::size_t Count) {
    std::vector<TCarrelonCell*> Spare;
    try {
        Spare.reserve(Count);
        for (std::size_t i = 0; i < Count; ++i)
            Spare.push_back(NewCell(FAbsoluteCols.empty() ? nullptr : FAbsoluteCols[0], 0));
    } catch (...) {
        FreeSpare(Spare);
        throw;
    }
    return Spare;
}

TCarrelonCell* TCarrelonColumnStore::UseSpare(std::vector<TCarrelonCell*>& Spare, TCarrelonCol* Col,
                                              int Row) {
    TCarrelonCell* Cell = Spare.back();
    Spare.pop_back();
    Cell->Col = Col;
    Cell->Row = Row;
    return Cell;
}

void TCarrelonColumnStore::FreeSpare(std::vector<TCarrelonCell*>& Spare) {
    for (TCarrelonCell* Cell : Spare)
        FreeCell(Cell);
    Spare.clear();
}

bool TCarrelonColumnStore::ReserveRow() {
    try {
        for (TCarrelonCol* C : FAbsoluteCols)
            C->CellList().reserve(static_cast<std::size_t>(FRows) + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// ---- rows ---------------------------------------------------------------------------------

void TCarrelonColumnStore::InsertRowSlots(int ARow, std::vector<TCarrelonCell*>* Spare) {
    Reindex();
    const bool Append = ARow == FRows;
    for (TCarrelonCol* C : FAbsoluteCols) {
        std::vector<TCarrelonCell*>& V = C->CellList();
        TCarrelonCell* Slot = nullptr;
        TCarrelonCell* Grows = nullptr;  // the vertical merge that takes the new row
        int First = ARow;                // the first row whose cells move down
        if (!Append && V[ARow] != nullptr && V[ARow]->Row < ARow) {
            Slot = V[ARow];
            First = Slot->ReadFEndRow() + 1;
            if (Slot->GetEndColObject() == C) Grows = Slot;
        } else if (Spare != nullptr) {
            Slot = UseSpare(*Spare, C, ARow);
        }
        // Each cell moves once, at its first slot in its end column.
        for (int r = First; r < FRows; ++r) {
            TCarrelonCell* X = V[r];
            if (X == nullptr || (r > First && V[r - 1] == X) || X->GetEndColObject() != C) continue;
            const int End = X->ReadFEndRow();
            ++X->Row;
            if (End + 1 != X->Row) X->WriteFEndRow(End + 1);
        }
        if (Grows != nullptr) Grows->WriteFEndRow(Grows->ReadFEndRow() + 1);
        V.insert(V.begin() + ARow, Slot);
    }
    ++FRows;
}

bool TCarrelonColumnStore::InsertRow(int ARow, bool CreateCells) {
    std::vector<TCarrelonCell*> Spare;
    try {
        if (CreateCells) Spare = MakeSpareCells(FAbsoluteCols.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!ReserveRow()) {
        FreeSpare(Spare);
        return false;
    }
    InsertRowSlots(ARow, CreateCells ? &Spare : nullptr);
    FreeSpare(Spare);
    MarkMoved();
    return true;
}

bool TCarrelonColumnStore::MoveRow(int From, int To, std::vector<TCarrelonCell*>& Moved) {
    const int T = From < To ? To + 1 : To;  // the target row once it is inserted
    const int S = From > To ? From + 1 : From;
    std::vector<TCarrelonCell*> Spare;
    try {
        Spare = MakeSpareCells(FAbsoluteCols.size());
        Moved.reserve(FAbsoluteCols.size());
    } catch (const std::bad_alloc&) {
        FreeSpare(Spare);
        return false;
    }
    if (!ReserveRow()) {
        FreeSpare(Spare);
        return false;
    }
    InsertRowSlots(T, nullptr);
    TCarrelonCell* PrevTook = nullptr;  // the cell the previous column moved into row T
    TCarrelonCol* Prev = nullptr;
    for (TCarrelonCol* C : FAbsoluteCols) {
        std::vector<TCarrelonCell*>& V = C->CellList();
        if (V[T] != nullptr) {
            // The target slot joined a vertical merge: a moved horizontal merge ends before it.
            if (PrevTook != nullptr) PrevTook->WriteFEndCol(Prev);
            PrevTook = nullptr;
        } else {
            TCarrelonCell* X = V[S];
            if (SingleRow(X) && X->GetEndColObject()->FAbsoluteIndex >= C->FAbsoluteIndex) {
                if (X != PrevTook) {
                    TCarrelonCol* End = X->GetEndColObject();
                    X->Col = C;
                    X->WriteFEndCol(End);
                    Moved.push_back(X);
                }
                X->Row = T;
                V[T] = X;
                V[S] = nullptr;
                PrevTook = X;
            } else {
                V[T] = UseSpare(Spare, C, T);
                PrevTook = nullptr;
            }
        }
        Prev = C;
    }
    FreeSpare(Spare);
    DeleteRow(S);
    MarkMoved();
    return true;
}

// ---- columns ------------------------------------------------------------------------------

TCarrelonCol* TCarrelonColumnStore::InsertColumn(int ACol) {
    Reindex();
    const int A = FCols[ACol]->FAbsoluteIndex;
    TCarrelonCol* Col = nullptr;
    try {
        FCols.reserve(FCols.size() + 1);
        FAbsoluteCols.reserve(FAbsoluteCols.size() + 1);
        Col = MakeColumn(FRows);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (A > 0) {
        // A horizontal merge over the place grows by the new column.
        const std::vector<TCarrelonCell*>& Left = FAbsoluteCols[A - 1]->CellList();
        const std::vector<TCarrelonCell*>& Right = FAbsoluteCols[A]->CellList();
        std::vector<TCarrelonCell*>& Slots = Col->CellList();
        for (int r = 0; r < FRows; ++r)
            if (Left[r] == Right[r]) {
                FreeCell(Slots[r]);
                Slots[r] = Left[r];
            }
    }
    FAbsoluteCols.insert(FAbsoluteCols.begin() + A, Col);
    FCols.insert(FCols.begin() + ACol, Col);
    MarkMoved();
    return Col;
}

void TCarrelonColumnStore::DeleteColumn(int ACol) {
    Reindex();
    TCarrelonCol* Col = FCols[ACol];
    const int A = Col->FAbsoluteIndex;
    FreeColumn(Col);
    FCols.erase(FCols.begin() + ACol);
    FAbsoluteCols.erase(FAbsoluteCols.begin() + A);
    MarkMoved();
}

// The plan of a column move: what every slot of the moving column holds afterwards, made before
// anything changes so that every new cell can be made first.
struct TCarrelonColumnStore::TColumnMove {
    TColumnMove(TCarrelonColumnStore& AStore, int From, int To);

    // Walks the moving column's cells; may throw std::bad_alloc, with nothing changed.
    void Plan();
    // Carries the plan out with Spare holding one new cell per run.
    void Apply(std::vector<TCarrelonCell*>& Spare);

    // The merge the column lands inside in row j, if any.
    TCarrelonCell* Target(int j) const;
    // A cell merged over other columns too: the columns it keeps, and where the moving column
    // leaves it, slots that join the merge it lands in or take new cells.
    void PlanMerged(TCarrelonCell* Src, int j, int R1);
    // A cell of this column alone moves with it, less the rows where the column lands inside a
    // merge; it keeps the first stretch of rows left to it.
    void PlanSingle(TCarrelonCell* Src, int j, int R1);
    // Slot k takes a new cell: it starts a run or extends the one before.
    void NewRunSlot(int k, bool Extend);

    struct TSlot {
        int Row;
        TCarrelonCell* Cell;  // nil: new run Run
        int Run;
    };
    struct TSpan {
        TCarrelonCell* Cell;
        int Row, EndRow;
    };
    struct TColumns {
        TCarrelonCell* Cell;
        TCarrelonCol* Start;
        TCarrelonCol* End;
    };

    TCarrelonColumnStore& Store;
    TCarrelonCol* F;  // the moving column
    // Neighbours of the moving column before and after the move.
    TCarrelonCol* LOld;
    TCarrelonCol* ROld;
    TCarrelonCol* LNew;
    TCarrelonCol* RNew;
    std::vector<TSlot> Slots;
    std::vector<std::pair<int, int>> Runs;  // new cells: first and last row
    std::vector<TSpan> Spans;
    std::vector<TColumns> Columns;
    std::vector<TCarrelonCell*> Freed;
};

TCarrelonColumnStore::TColumnMove::TColumnMove(TCarrelonColumnStore& AStore, int From, int To)
    : Store(AStore), F(AStore.FCols[From]) {
    const std::vector<TCarrelonCol*>& Abs = Store.FAbsoluteCols;
    const int AF = F->FAbsoluteIndex;
    const int AD = Store.FCols[To]->FAbsoluteIndex;
    const int N = static_cast<int>(Abs.size());
    LOld = AF > 0 ? Abs[AF - 1] : nullptr;
    ROld = AF + 1 < N ? Abs[AF + 1] : nullptr;
    LNew = AF < AD ? Abs[AD] : (AD > 0 ? Abs[AD - 1] : nullptr);
    RNew = AF < AD ? (AD + 1 < N ? Abs[AD + 1] : nullptr) : Abs[AD];
}

TCarrelonCell* TCarrelonColumnStore::TColumnMove::Target(int j) const {
    if (LNew == nullptr || RNew == nullptr) return nullptr;
    TCarrelonCell* L = LNew->CellList()[j];
    return L == RNew->CellList()[j] ? L : nullptr;
}

void TCarrelonColumnStore::TColumnMove::NewRunSlot(int k, bool Extend) {
    if (Extend)
        Runs.back().second = k;
    else
        Runs.push_back({k, k});
    Slots.push_back({k, nullptr, static_cast<int>(Runs.size()) - 1});
}

void TCarrelonColumnStore::TColumnMove::PlanMerged(TCarrelonCell* Src, int j, int R1) {
    TCarrelonCol* Start = Src->Col == F ? ROld : Src->Col;
    TCarrelonCol* End = Src->GetEndColObject() == F ? LOld : Src->GetEndColObject();
    if (Start != Src->Col || End != Src->GetEndColObject()) Columns.push_back({Src, Start, End});
    if (Target(j) == Src) return;  // the column stays inside this merge
    // One new cell per stretch of rows outside the merge the column lands in.
    for (int k = j; k <= R1; ++k) {
        if (TCarrelonCell* G = Target(k))
            Slots.push_back({k, G, -1});
        else
            NewRunSlot(k, k != j && Slots.back().Cell == nullptr);
    }
}

void TCarrelonColumnStore::TColumnMove::PlanSingle(TCarrelonCell* Src, int j, int R1) {
    int Kept0 = -1, Kept1 = -1;
    bool Ended = false;  // the kept stretch is over
    for (int k = j; k <= R1; ++k) {
        if (TCarrelonCell* G = Target(k)) {
            Slots.push_back({k, G, -1});
            Ended = Kept0 >= 0;
        } else if (Kept0 < 0) {
            Kept0 = Kept1 = k;
        } else if (!Ended) {
            Kept1 = k;
        } else {
            NewRunSlot(k, false);
        }
    }
    if (Kept0 < 0)
        Freed.push_back(Src);
    else if (Kept0 != j || Kept1 != R1)
        Spans.push_back({Src, Kept0, Kept1});
}

void TCarrelonColumnStore::TColumnMove::Plan() {
    const std::vector<TCarrelonCell*>& V = F->CellList();
    for (int j = 0; j < Store.FRows;) {
        TCarrelonCell* Src = V[j];
        const int R1 = Src->ReadFEndRow();
        if (SingleColumn(Src))
            PlanSingle(Src, j, R1);
        else
            PlanMerged(Src, j, R1);
        j = R1 + 1;
    }
}

void TCarrelonColumnStore::TColumnMove::Apply(std::vector<TCarrelonCell*>& Spare) {
    std::vector<TCarrelonCell*> Made(Runs.size());
    for (std::size_t i = 0; i < Runs.size(); ++i) {
        Made[i] = Store.UseSpare(Spare, F, Runs[i].first);
        if (Runs[i].second != Runs[i].first) Made[i]->WriteFEndRow(Runs[i].second);
    }
    for (const TColumns& C : Columns) {
        C.Cell->Col = C.Start;
        C.Cell->WriteFEndCol(C.End);
    }
    for (const TSpan& S : Spans) {
        S.Cell->Row = S.Row;
        S.Cell->WriteFEndRow(S.EndRow);
    }
    std::vector<TCarrelonCell*>& V = F->CellList();
    for (const TSlot& S : Slots)
        V[S.Row] = S.Cell != nullptr ? S.Cell : Made[S.Run];
    for (TCarrelonCell* Cell : Freed)
        Store.FreeCell(Cell);
}

bool TCarrelonColumnStore::MoveColumn(int From, int To) {
    if (From == To) return true;
    Reindex();
    TColumnMove M(*this, From, To);
    std::vector<TCarrelonCell*> Spare;
    try {
        M.Plan();
        Spare = MakeSpareCells(M.Runs.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    M.Apply(Spare);
    Move(From, To);
    return true;
}

// ---- merging and splitting ----------------------------------------------------------------

TCarrelonCell* TCarrelonColumnStore::CoverRectangle(int A0, int R0, int A1, int R1) {
    TCarrelonCell* Kept = FAbsoluteCols[A0]->CellList()[R0];
    CoverRectangle(Kept, A0, R0, A1, R1);
    return Kept;
}

void TCarrelonColumnStore::CoverRectangle(TCarrelonCell* Kept, int A0, int R0, int A1, int R1) {
    std::unordered_set<TCarrelonCell*> Covered;
    for (int a = A0; a <= A1; ++a) {
        std::vector<TCarrelonCell*>& Slots = FAbsoluteCols[a]->CellList();
        for (int r = R0; r <= R1; ++r) {
            if (Slots[r] != Kept) Covered.insert(Slots[r]);
            Slots[r] = Kept;
        }
    }
    // Every slot of a covered cell lies in the rectangle, so none is left pointing at it.
    for (TCarrelonCell* Cell : Covered)
        FreeCell(Cell);
    Kept->Col = FAbsoluteCols[A0];
    Kept->Row = R0;
    Kept->WriteFEndCol(FAbsoluteCols[A1]);
    Kept->WriteFEndRow(R1);
    MarkMoved();
}

// Gives the slots of Cell's rectangle new empty cells: every slot but the top-left one when
// Cell stays, every slot when it goes (freed here). All cells are made before any slot changes.
bool TCarrelonColumnStore::RefillSlots(TCarrelonCell* Cell, bool Keep) {
    Reindex();
    const int A0 = Cell->Col->FAbsoluteIndex;
    const int A1 = Cell->GetEndColObject()->FAbsoluteIndex;
    const int R0 = Cell->Row;
    const int R1 = Cell->ReadFEndRow();
    std::vector<TCarrelonCell*> Spare;
    try {
        Spare =
            MakeSpareCells(static_cast<std::size_t>(A1 - A0 + 1) * (R1 - R0 + 1) - (Keep ? 1 : 0));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (Keep) {
        Cell->WriteFEndRow(R0);
        Cell->WriteFEndCol(Cell->Col);
    } else {
        FreeCell(Cell);
    }
    for (int a = A0; a <= A1; ++a) {
        TCarrelonCol* C = FAbsoluteCols[a];
        for (int r = R0; r <= R1; ++r)
            if (!Keep || a != A0 || r != R0) C->CellList()[r] = UseSpare(Spare, C, r);
    }
    MarkMoved();
    return true;
}

bool TCarrelonColumnStore::Split(TCarrelonCell* Cell) {
    return RefillSlots(Cell, true);
}

bool TCarrelonColumnStore::Vacate(TCarrelonCell* Cell) {
    return RefillSlots(Cell, false);
}

// ---- sorting ------------------------------------------------------------------------------

void TCarrelonColumnStore::PermuteRows(const std::vector<int>& Order) {
    std::vector<TCarrelonCell*> Next(FRows);
    for (TCarrelonCol* C : FAbsoluteCols) {
        std::vector<TCarrelonCell*>& V = C->CellList();
        for (int i = 0; i < FRows; ++i)
            Next[i] = V[Order[i]];
        V.swap(Next);
        // Renumbered at the first slot of each cell; a cell met again in a later column of a
        // horizontal merge already has its new row.
        for (int i = 0; i < FRows; ++i) {
            TCarrelonCell* X = V[i];
            if ((i > 0 && V[i - 1] == X) || X->Row == i) continue;
            const int Span = X->ReadFEndRow() - X->Row;
            X->Row = i;
            if (Span != 0) X->WriteFEndRow(i + Span);
        }
    }
    MarkMoved();
}

bool TCarrelonColumnStore::CutBelow(const std::vector<TCut>& Cuts) {
    Reindex();
    std::size_t Count = 0;
    for (const TCut& Cut : Cuts)
        Count += static_cast<std::size_t>(Cut.Cell->ReadFEndRow() - Cut.LastKept);
    std::vector<TCarrelonCell*> Spare;
    try {
        Spare = MakeSpareCells(Count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (const TCut& Cut : Cuts) {
        TCarrelonCell* Cell = Cut.Cell;
        const int A0 = Cell->Col->FAbsoluteIndex;
        TCarrelonCol* End = Cell->GetEndColObject();
        const int A1 = End->FAbsoluteIndex;
        const int R1 = Cell->ReadFEndRow();
        for (int r = Cut.LastKept + 1; r <= R1; ++r) {
            TCarrelonCell* Row = UseSpare(Spare, Cell->Col, r);
            Row->WriteFEndCol(End);
            for (int a = A0; a <= A1; ++a)
                FAbsoluteCols[a]->CellList()[r] = Row;
        }
        Cell->WriteFEndRow(Cut.LastKept);
    }
    MarkMoved();
    return true;
}

}  // namespace carrelon
