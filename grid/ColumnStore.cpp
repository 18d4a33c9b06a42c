// TCarrelonColumnStore: making and freeing cells and columns, and every change of the column
// lists.
#include "grid/ColumnStore.h"

#include <algorithm>
#include <new>
#include <unordered_set>

#include "grid/Carrelon.h"

namespace carrelon {

namespace {

// Moves one entry of a list from one position to another, the others keeping their order.
void MoveEntry(std::vector<TCarrelonCol*>& List, std::size_t From, std::size_t To) {
    if (From < To)
        std::rotate(List.begin() + From, List.begin() + From + 1, List.begin() + To + 1);
    else if (To < From)
        std::rotate(List.begin() + To, List.begin() + From, List.begin() + From + 1);
}

}  // namespace

TCarrelonColumnStore::TCarrelonColumnStore(TCarrelon* AGrid) : FGrid(AGrid) {}

TCarrelonColumnStore::~TCarrelonColumnStore() {
    Clear();
}

void TCarrelonColumnStore::RebuildIndexes() const {
    FDirty = false;
    for (std::size_t i = 0; i < FAbsoluteCols.size(); ++i) {
        FAbsoluteCols[i]->FAbsoluteIndex = static_cast<int>(i);
        FAbsoluteCols[i]->FVisibleIndex = -1;
        FAbsoluteCols[i]->FHiddenIndex = -1;
    }
    for (std::size_t i = 0; i < FCols.size(); ++i)
        FCols[i]->FVisibleIndex = static_cast<int>(i);
    for (std::size_t i = 0; i < FHiddenCols.size(); ++i)
        FHiddenCols[i]->FHiddenIndex = static_cast<int>(i);
}

// ---- cells and columns --------------------------------------------------------------------

TCarrelonCell* TCarrelonColumnStore::NewCell(TCarrelonCol* Col, int Row) {
    ++FChanges;
    return new TCarrelonCell(Col, Row);
}

void TCarrelonColumnStore::FreeCell(TCarrelonCell* Cell) {
    ++FChanges;
    delete Cell;
}

TCarrelonCol* TCarrelonColumnStore::MakeColumn(int Rows) {
    auto* Col = new TCarrelonCol(FGrid);
    std::vector<TCarrelonCell*>& Slots = Col->CellList();
    try {
        Slots.reserve(static_cast<std::size_t>(Rows));
        for (int r = 0; r < Rows; ++r)
            Slots.push_back(NewCell(Col, r));
    } catch (...) {
        for (TCarrelonCell* c : Slots)
            FreeCell(c);
        Slots.clear();
        delete Col;
        throw;
    }
    return Col;
}

void TCarrelonColumnStore::FreeColumn(TCarrelonCol* Col) {
    std::vector<TCarrelonCell*>& Slots = Col->CellList();
    const int Abs = Col->GetAbsoluteNumber();
    for (int i = 0; i < static_cast<int>(Slots.size()); ++i) {
        TCarrelonCell* c = Slots[i];
        if (c == nullptr || c->ReadFEndRow() != i) continue;  // handled once, at its bottom slot
        TCarrelonCol* End = c->GetEndColObject();
        const bool Start = c->Col == Col;
        const bool Last = End == Col;
        if (Start && Last) {
            Slots[i] = nullptr;
            FreeCell(c);
        } else if (Start) {
            c->Col = FAbsoluteCols[Abs + 1];
            c->WriteFEndCol(End);  // stays normalised when the merge shrinks to one column
        } else if (Last) {
            c->WriteFEndCol(FAbsoluteCols[Abs - 1]);
        }
    }
    Slots.clear();
    delete Col;
}

void TCarrelonColumnStore::TruncateRows(std::size_t Columns, int Rows) {
    for (std::size_t a = 0; a < Columns; ++a) {
        std::vector<TCarrelonCell*>& Slots = FAbsoluteCols[a]->CellList();
        for (std::size_t r = Rows; r < Slots.size(); ++r)
            FreeCell(Slots[r]);
        if (Slots.size() > static_cast<std::size_t>(Rows)) Slots.resize(Rows);
    }
}

bool TCarrelonColumnStore::MergeReachesInto(const TCarrelonCol* Col) {
    for (const TCarrelonCell* X : Col->CellList())
        if (X != nullptr && X->Col != Col) return true;
    return false;
}

// ---- shape --------------------------------------------------------------------------------

bool TCarrelonColumnStore::Grow(int AddCols, int Rows) {
    const int OldRows = FRows;
    std::size_t Grown = 0;  // columns that reached Rows slots
    std::vector<TCarrelonCol*> Made;
    try {
        // Room in the lists first, so that nothing after the cells are made can fail.
        FCols.reserve(FCols.size() + AddCols);
        FAbsoluteCols.reserve(FAbsoluteCols.size() + AddCols);
        Made.reserve(AddCols);
        for (; Grown < FAbsoluteCols.size() && Rows > OldRows; ++Grown) {
            TCarrelonCol* Col = FAbsoluteCols[Grown];
            std::vector<TCarrelonCell*>& Slots = Col->CellList();
            Slots.reserve(Rows);
            for (int r = OldRows; r < Rows; ++r)
                Slots.push_back(NewCell(Col, r));
        }
        for (int i = 0; i < AddCols; ++i)
            Made.push_back(MakeColumn(std::max(Rows, OldRows)));
    } catch (const std::bad_alloc&) {
        // The cells made in this call go, in the failing column and every earlier one.
        for (TCarrelonCol* Col : Made)
            FreeColumn(Col);
        TruncateRows(std::min(Grown + 1, FAbsoluteCols.size()), OldRows);
        return false;
    }
    FRows = std::max(Rows, OldRows);
    if (Made.empty()) return true;
    // New columns follow the last visible one in absolute order, before any hidden columns
    // that came after it; a merge reaching from it into those hidden columns is stepped over,
    // since new columns never join a merge.
    std::size_t At = FAbsoluteCols.size();
    if (!FHiddenCols.empty()) {
        At = FCols.empty() ? 0 : static_cast<std::size_t>(FCols.back()->GetAbsoluteNumber()) + 1;
        while (At < FAbsoluteCols.size() && MergeReachesInto(FAbsoluteCols[At]))
            ++At;
    }
    FCols.insert(FCols.end(), Made.begin(), Made.end());
    FAbsoluteCols.insert(FAbsoluteCols.begin() + static_cast<std::ptrdiff_t>(At), Made.begin(),
                         Made.end());
    MarkMoved();
    return true;
}

void TCarrelonColumnStore::ShrinkCols(int First) {
    const int Old = static_cast<int>(FCols.size());
    if (First >= Old) return;
    Reindex();
    std::vector<char> Removed(FAbsoluteCols.size(), 0);
    for (int i = First; i < Old; ++i)
        Removed[FCols[i]->FAbsoluteIndex] = 1;
    // Hidden columns stay, so what is left of a merge need not border on the removed columns:
    // it keeps its first and last surviving columns, which stand side by side once the removed
    // ones are gone. A cell with no surviving column is freed, once, while its columns still
    // exist.
    std::unordered_set<TCarrelonCell*> Handled;
    std::vector<TCarrelonCell*> Doomed;
    for (int i = First; i < Old; ++i) {
        const std::vector<TCarrelonCell*>& Slots = FCols[i]->CellList();
        for (std::size_t r = 0; r < Slots.size(); ++r) {
            TCarrelonCell* X = Slots[r];
            if (X == nullptr || (r > 0 && Slots[r - 1] == X)) continue;
            const int A0 = X->Col->FAbsoluteIndex;
            const int A1 = X->GetEndColObject()->FAbsoluteIndex;
            if (A0 != A1 && !Handled.insert(X).second) continue;
            int S = A0;
            while (S <= A1 && Removed[S])
                ++S;
            if (S > A1) {
                Doomed.push_back(X);
                continue;
            }
            int E = A1;
            while (Removed[E])
                --E;
            X->Col = FAbsoluteCols[S];
            X->WriteFEndCol(FAbsoluteCols[E]);
        }
    }
    for (TCarrelonCell* X : Doomed)
        FreeCell(X);
    for (int i = First; i < Old; ++i) {
        FCols[i]->CellList().clear();
        delete FCols[i];
    }
    FCols.resize(First);
    std::size_t Kept = 0;
    for (std::size_t a = 0; a < FAbsoluteCols.size(); ++a)
        if (!Removed[a]) FAbsoluteCols[Kept++] = FAbsoluteCols[a];
    FAbsoluteCols.resize(Kept);
    MarkMoved();
}

void TCarrelonColumnStore::ShrinkRows(int First) {
    for (int r = FRows - 1; r >= First; --r)
        DeleteRow(r);
}

void TCarrelonColumnStore::DeleteRow(int ARow) {
    ++FChanges;
    // First sweep: a cell met at its end column loses the row (freed when it had only that
    // row); then the slot goes.
    for (TCarrelonCol* C : FAbsoluteCols) {
        std::vector<TCarrelonCell*>& Slots = C->CellList();
        TCarrelonCell* X = Slots[ARow];
        if (X != nullptr && X->GetEndColObject() == C) {
            const int End = X->ReadFEndRow();
            // The earlier columns' slots of X in this row are already gone.
            if (End == X->Row)
                FreeCell(X);
            else
                X->WriteFEndRow(End - 1);
        }
        Slots.erase(Slots.begin() + ARow);
    }
    // Second sweep: cells below the removed row move up by one, each once, in its end column.
    for (TCarrelonCol* C : FAbsoluteCols) {
        std::vector<TCarrelonCell*>& Slots = C->CellList();
        for (int r = ARow; r < static_cast<int>(Slots.size()); ++r) {
            TCarrelonCell* X = Slots[r];
            if (X == nullptr || (r > 0 && Slots[r - 1] == X)) continue;
            if (X->GetEndColObject() != C || X->Row <= ARow) continue;
            const int End = X->ReadFEndRow();
            X->Row -= 1;
            X->WriteFEndRow(End - 1);
        }
    }
    --FRows;
}

void TCarrelonColumnStore::Clear() {
    // Each cell is freed once, at its top-left slot; a merge over hidden and visible columns
    // has exactly one such slot, so nothing is freed twice or left behind. The slots of a
    // freed cell are emptied first, so no later slot reads it.
    Reindex();
    const int Abs = static_cast<int>(FAbsoluteCols.size());
    for (int a = 0; a < Abs; ++a) {
        TCarrelonCol* C = FAbsoluteCols[a];
        std::vector<TCarrelonCell*>& Slots = C->CellList();
        for (int r = 0; r < static_cast<int>(Slots.size()); ++r) {
            TCarrelonCell* Cell = Slots[r];
            if (Cell == nullptr || Cell->Row != r || Cell->Col != C) continue;
            const int A1 = std::min(Cell->GetEndColObject()->FAbsoluteIndex, Abs - 1);
            const int R1 = Cell->ReadFEndRow();
            for (int k = a; k <= A1; ++k) {
                std::vector<TCarrelonCell*>& Other = FAbsoluteCols[k]->CellList();
                for (int q = r; q <= R1 && q < static_cast<int>(Other.size()); ++q)
                    if (Other[q] == Cell) Other[q] = nullptr;
            }
            FreeCell(Cell);
        }
    }
    for (TCarrelonCol* C : FAbsoluteCols) {
        C->CellList().clear();
        delete C;
    }
    FCols.clear();
    FHiddenCols.clear();
    FAbsoluteCols.clear();
    FRows = 0;
    MarkMoved();
}

// ---- column placement ---------------------------------------------------------------------

void TCarrelonColumnStore::Hide(int ACol) {
    TCarrelonCol* C = FCols[ACol];
    const int A = C->GetAbsoluteNumber();
    auto At = std::find_if(FHiddenCols.begin(), FHiddenCols.end(),
                           [A](TCarrelonCol* H) { return H->GetAbsoluteNumber() >= A; });
    FHiddenCols.insert(At, C);
    C->WriteFVisible(false);
    FCols.erase(FCols.begin() + ACol);
    MarkMoved();
}

int TCarrelonColumnStore::Show(int HiddenIndex) {
    TCarrelonCol* C = FHiddenCols[HiddenIndex];
    const int A = C->GetAbsoluteNumber();
    int T = 0;
    for (int a = A - 1; a >= 0; --a) {
        const int v = FAbsoluteCols[a]->GetCol();
        if (v >= 0) {
            T = v + 1;
            break;
        }
    }
    FCols.insert(FCols.begin() + T, C);
    C->WriteFVisible(true);
    FHiddenCols.erase(FHiddenCols.begin() + HiddenIndex);
    MarkMoved();
    return T;
}

void TCarrelonColumnStore::Move(int From, int To) {
    if (From == To) return;
    const std::size_t AFrom = FCols[From]->GetAbsoluteNumber();
    const std::size_t ATo = FCols[To]->GetAbsoluteNumber();
    MoveEntry(FAbsoluteCols, AFrom, ATo);
    MoveEntry(FCols, From, To);
    MarkMoved();
}

}  // namespace carrelon
