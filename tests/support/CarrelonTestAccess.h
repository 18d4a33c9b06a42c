// The one door through which tests reach the control's internals. Tests check behaviour through
// the public interface; this is for what it cannot show: the model's invariants, pointers the
// grid must drop, the life of a cell's properties record, the base-grid coordinates and the
// internal moves that the keyboard and mouse will call.
#pragma once

#include <memory>
#include <string>

#include "grid/CarrelonPrivate.h"

namespace carrelon {

class TCarrelonTestAccess {
public:
    // The private part of a grid: its state and internal routines.
    static TCarrelonPrivate& Internals(const TCarrelon* Grid) { return TCarrelonPrivate::Of(Grid); }
    template <typename T>
    static TCarrelonPrivate& Internals(const std::unique_ptr<T>& Grid) {
        return TCarrelonPrivate::Of(Grid.get());
    }

    static bool CheckModelInvariants(const TCarrelon* Grid, std::string* Why = nullptr) {
        return Internals(Grid).CheckModelInvariants(Why);
    }
    // Cell objects alive (pooled cells are counted in every build).
    static long long LiveCells() { return TCarrelonCell::LiveCount(); }

    // The selection's list as the grid changes it: without repaint or events.
    static TSelectedCellList& List(TCarrelonSelection* Selection) { return Selection->List(); }

    static bool HasProperties(const TCarrelonCell* Cell) { return Cell->HasProperties(); }
    static bool ValueIsUnassigned(const TCarrelonCell* Cell) { return Cell->ValueIsUnassigned(); }
    static void StoreValue(TCarrelonCell* Cell, const Variant& V) { Cell->StoreValue(V); }
    static TFont* OwnFont(const TCarrelonCell* Cell) { return Cell->ReadFFont(); }
    static bool FontUsed(TCarrelonCell* Cell) { return Cell->FontUsed(); }
    static bool ReadFError(const TCarrelonCell* Cell) { return Cell->ReadFError(); }
    static void WriteFError(TCarrelonCell* Cell, bool V) { Cell->WriteFError(V); }
    static void WriteFFormula(TCarrelonCell* Cell, const AnsiString& F) { Cell->WriteFFormula(F); }
    static void WriteFButtonPushed(TCarrelonCell* Cell, bool V) { Cell->WriteFButtonPushed(V); }
    static bool ReadFButtonPushed(const TCarrelonCell* Cell) { return Cell->ReadFButtonPushed(); }
    static void WriteFEndRow(TCarrelonCell* Cell, int EndRow) { Cell->WriteFEndRow(EndRow); }
    static TFont* OwnFont(const TCarrelonCol* Col) { return Col->ReadFFont(); }
    static bool FontSet(const TCarrelonCol* Col) { return Col->GetFontSet(); }
    static int CalcHeight(const TCarrelonCell* Cell, int EditorHeight) {
        return Cell->CalcHeight(EditorHeight);
    }

    // Makes the cell at (absolute column A0, row R0) cover the rectangle up to (A1, R1), as a
    // merge does. For building merged layouts without the merge operations.
    static TCarrelonCell* MergeCells(TCarrelon* Grid, int A0, int R0, int A1, int R1) {
        return Internals(Grid).FStore.CoverRectangle(A0, R0, A1, R1);
    }
};

}  // namespace carrelon
