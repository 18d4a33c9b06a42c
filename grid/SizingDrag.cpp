// Sizing and moving rows and columns with the mouse: where a boundary may be grabbed, the
// cursor, the xor feedback lines, the drag hooks with their events and the size a drag gives.
#include <algorithm>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Forms.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

namespace {

struct TBoundaryHit {
    bool Found = false;
    int Index = -1;
    int Pos = 0;
    int Ofs = 0;
};

// Walks the on-screen slots of one axis (fixed ones, then from First on) and finds the boundary
// within 3 pixels before or 4 after Position; the first match wins. When the slots run past the
// client edge, the last pixels of the client area grab the slot cut by that edge.
template <typename SizeOf>
TBoundaryHit FindSizingBoundary(int Position, int Count, int Fixed, int First, int GridExtent,
                                int ClientExtent, SizeOf&& Size) {
    TBoundaryHit Hit;
    long long S = 0;
    int Stopped = -1;
    const auto Visit = [&](int i) {
        S += Size(i);
        if (S > GridExtent) {
            Stopped = i;
            return false;
        }
        if (S - 3 <= Position && Position <= S + 4) {
            Hit = {true, i, static_cast<int>(S), static_cast<int>(S) - Position};
            return false;
        }
        return true;
    };
    bool Go = true;
    for (int i = 0; Go && i < std::min(Fixed, Count); ++i)
        Go = Visit(i);
    for (int i = std::max(First, Fixed); Go && i < Count; ++i)
        Go = Visit(i);
    if (!Hit.Found && Stopped >= 0 && GridExtent == ClientExtent && ClientExtent - 3 <= Position &&
        Position <= ClientExtent)
        Hit = {true, Stopped, ClientExtent, ClientExtent - Position};
    return Hit;
}

}  // namespace

void TCarrelon::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                int& SizingOfs) {
    State = gsNormal;
    Index = -1;
    TGridOptions O = TCustomGrid::GetOptions();
    if (d->Designing()) O = O + goColSizing + goRowSizing;
    if (!O.Contains(goColSizing) && !O.Contains(goRowSizing)) return;

    const int BaseFixedCols = TCustomGrid::GetFixedCols();
    const int BaseFixedRows = TCustomGrid::GetFixedRows();
    if (O.Contains(goColSizing)) {
        const bool AboveRows = GetTopRow() == -1 ? Y < GetGridHeight() : Y < d->GetY(GetTopRow());
        if (AboveRows) {
            const TBoundaryHit Hit = FindSizingBoundary(
                X, GetColCount(), BaseFixedCols, TCustomGrid::GetLeftCol(), GetGridWidth(),
                GetClientWidth(), [this](int i) { return GetColWidths(i); });
            if (Hit.Found) {
                State = gsColSizing;
                Index = Hit.Index;
                SizingPos = Hit.Pos;
                SizingOfs = Hit.Ofs;
            }
        }
    }
    if (State == gsNormal && O.Contains(goRowSizing) && X < d->GetX(GetLeftCol())) {
        const TBoundaryHit Hit = FindSizingBoundary(
            Y, GetRowCount(), BaseFixedRows, TCustomGrid::GetTopRow(), GetGridHeight(),
            GetClientHeight(), [this](int i) { return GetRowHeights(i); });
        if (Hit.Found) {
            State = gsRowSizing;
            Index = Hit.Index;
            SizingPos = Hit.Pos;
            SizingOfs = Hit.Ofs;
        }
    }
    if (d->Designing() || State == gsNormal) return;

    // A boundary inside a merged cell at the pointer cannot be grabbed there; columns may
    // also refuse sizing.
    const TGridCoord At = MouseCoord(X, Y);
    if (State == gsColSizing) {
        if (!GetCols(Index)->GetResizable())
            State = gsNormal;
        else if (At.Y >= 0 && GetCells(Index, At.Y)->GetEndCol() != Index)
            State = gsNormal;
    } else if (At.X >= 0 && GetCells(At.X, Index)->GetEndRow() != Index) {
        State = gsNormal;
    }
}

bool TCarrelonPrivate::Sizing(int X, int Y) {
    if (q->FGridState != gsNormal) return true;
    TGridState State;
    int Index = -1, Pos = 0, Ofs = 0;
    q->CalcSizingState(X, Y, State, Index, Pos, Ofs);
    return State != gsNormal;
}

void TCarrelon::CMDesignHitTest(TMessage& Message) {
    const int X = static_cast<short>(Message.LParam & 0xFFFF);
    const int Y = static_cast<short>((Message.LParam >> 16) & 0xFFFF);
    Message.Result = d->Sizing(X, Y) ? -1 : 0;
}

void TCarrelon::WMSetCursor(TMessage& Message) {
    if ((Message.LParam & 0xFFFF) == HTCLIENT) {
        TGridState State = FGridState;
        if (State == gsNormal) {
            int Index = -1, Pos = 0, Ofs = 0;
            CalcSizingState(FHitTest.X, FHitTest.Y, State, Index, Pos, Ofs);
        }
        if (State == gsRowSizing || State == gsColSizing) {
            carrelon::SetCursor(Screen()->GetCursors(State == gsRowSizing ? crVSplit : crHSplit));
            Message.Result = 1;
            return;
        }
    }
    // The base handler must not pick a sizing cursor of its own.
    const TGridState Saved = FGridState;
    FGridState = gsSelecting;
    TScopeExit Restore([&] { FGridState = Saved; });
    TCustomGrid::WMSetCursor(Message);
}

// Draws with a dotted xor pen of the given width, leaving the canvas pen as it was.
template <typename F>
static void DrawXor(TCanvas* Canvas, int Width, F&& Draw) {
    TPen Saved;
    Saved.Assign(Canvas->GetPen());
    TScopeExit Restore([&] { Canvas->SetPen(&Saved); });
    Canvas->GetPen()->SetStyle(psDot);
    Canvas->GetPen()->SetMode(pmXor);
    Canvas->GetPen()->SetWidth(Width);
    Draw();
}

void TCarrelon::DrawSizingLine() {
    TCanvas* C = GetCanvas();
    DrawXor(C, 1, [&] {
        if (FGridState == gsRowSizing) {
            C->MoveTo(0, FSizingPos);
            C->LineTo(GetGridWidth(), FSizingPos);
        } else {
            C->MoveTo(FSizingPos, 0);
            C->LineTo(FSizingPos, GetGridHeight());
        }
    });
}

void TCarrelon::DrawMove() {
    TCanvas* C = GetCanvas();
    DrawXor(C, 5, [&] {
        if (FGridState == gsRowMoving) {
            const TRect R = TCustomGrid::CellRect(0, FMovePos);
            const int Y = FMoveIndex < FMovePos ? R.Bottom : R.Top;
            C->MoveTo(0, Y);
            C->LineTo(GetClientWidth(), Y);
        } else {
            const TRect R = TCustomGrid::CellRect(FMovePos, 0);
            const int X = FMoveIndex < FMovePos ? R.Right : R.Left;
            C->MoveTo(X, 0);
            C->LineTo(X, GetClientHeight());
        }
    });
}

bool TCarrelon::BeginColumnDrag(int& Origin, int& /*Destination*/, const TPoint& /*MousePt*/) {
    bool CanDrag = Origin >= 0 && Origin < GetColCount() && GetCols(Origin)->GetMovable();
    if (OnColumnStartDrag) OnColumnStartDrag(this, Origin, CanDrag);
    return CanDrag;
}

bool TCarrelon::BeginRowDrag(int& Origin, int& /*Destination*/, const TPoint& /*MousePt*/) {
    bool CanDrag = true;
    if (OnRowStartDrag) OnRowStartDrag(this, Origin, CanDrag);
    return CanDrag;
}

bool TCarrelon::EndColumnDrag(int& Origin, int& Destination, const TPoint& /*MousePt*/) {
    bool CanDrop = true;
    if (OnColumnDragDrop) OnColumnDragDrop(this, Origin, Destination, CanDrop);
    return CanDrop;
}

bool TCarrelon::EndRowDrag(int& Origin, int& Destination, const TPoint& /*MousePt*/) {
    bool CanDrop = true;
    if (OnRowDragDrop) OnRowDragDrop(this, Origin, Destination, CanDrop);
    return CanDrop;
}

// The new size is the sizing position less where the slot starts on screen; slots scrolled
// out to the left or top do not count.
int TCarrelonPrivate::CalcSizedColWidth() const {
    const int i = q->FSizingIndex;
    const int Start = (i < q->TCustomGrid::GetFixedCols() || i >= q->TCustomGrid::GetLeftCol())
                          ? GetX(i)
                          : GetX(q->TCustomGrid::GetLeftCol());
    return q->FSizingPos - Start;
}

int TCarrelonPrivate::CalcSizedRowHeight() const {
    const int i = q->FSizingIndex;
    const int Start = (i < q->TCustomGrid::GetFixedRows() || i >= q->TCustomGrid::GetTopRow())
                          ? GetY(i)
                          : GetY(q->TCustomGrid::GetTopRow());
    return q->FSizingPos - Start;
}

}  // namespace carrelon
