// TCustomGrid: messages, keyboard navigation, mouse selection, sizing and moving by drag, the
// selecting timer and the scroll bars.
#include <algorithm>
#include <cstdint>

#include "platform/controls/WinUser.h"
#include "platform/graphics/Graphics.h"
#include "platform/grids/GridPointer.h"
#include "platform/grids/Grids.h"

namespace carrelon {

namespace {
constexpr Cardinal kSelectTimer = 1;
constexpr unsigned kSelectTimerPeriod = 60;
}  // namespace

// ---- Dispatch -----------------------------------------------------------------------------

void TCustomGrid::WndProc(TMessage& Message) {
    if (Message.Msg == kUpdateScrollBarsMessage) {
        FScrollUpdatePosted = false;
        UpdateScrollRange();
        return;
    }
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MBUTTONDBLCLK) {
        // The selecting timer and the cursor ask where the pointer was last seen.
        FLastMouse = PointFromLParam(Message.LParam);
        FHitTest = FLastMouse;
    }
    TCustomControl::WndProc(Message);
}

// The first scrollable slot a scroll-bar request asks for on one axis; -1 for none.
int TCustomGrid::ScrollRequestTarget(const TGridAxisLayout& L, int Bar, const TMessage& Message) {
    const int First = L.First();
    switch (static_cast<int>(Message.WParam & 0xFFFF)) {
        case SB_LINEUP:
            return std::max(First - 1, L.FixedCount());
        case SB_LINEDOWN:
            return std::max(First, std::min(First + 1, L.MaxFirst()));
        case SB_PAGEUP:
            return L.PageFirst(false);
        case SB_PAGEDOWN:
            return L.PageFirst(true);
        case SB_TOP:
            return L.FixedCount();
        case SB_BOTTOM:
            return L.MaxFirst();
        case SB_THUMBTRACK:
            if (!FOptions.Contains(goThumbTracking)) return -1;
            [[fallthrough]];
        case SB_THUMBPOSITION:
            return std::clamp(ScrollTrackPos(Bar, Message), L.FixedCount(), L.MaxFirst());
        default:
            return -1;
    }
}

void TCustomGrid::WMVScroll(TMessage& Message) {
    const int Top = ScrollRequestTarget(VertLayout(), SB_VERT, Message);
    if (Top >= 0) MoveTopLeft(FTopLeft.X, Top);
}

void TCustomGrid::WMHScroll(TMessage& Message) {
    const int Left = ScrollRequestTarget(HorzLayout(), SB_HORZ, Message);
    if (Left >= 0) MoveTopLeft(Left, FTopLeft.Y);
}

void TCustomGrid::WMTimer(TMessage& Message) {
    if (Message.WParam != static_cast<std::intptr_t>(kSelectTimer)) return;
    const TPoint P = FLastMouse;
    switch (FGridState) {
        case gsSelecting: {
            const TScrollDirections D = PointerDirections(P);
            if (!D.Empty()) TimedScroll(D);
            break;
        }
        case gsRowMoving:
        case gsColMoving: {
            // While moving, a pointer beyond the scrollable slots scrolls one slot per tick.
            const TScrollDirections D = PointerDirections(P);
            if (FGridState == gsRowMoving) {
                if (D.Contains(sdUp)) SetTopRow(FTopLeft.Y - 1);
                if (D.Contains(sdDown))
                    SetTopRow(std::min(FTopLeft.Y + 1, VertLayout().MaxFirst()));
            } else {
                if (D.Contains(sdLeft)) SetLeftCol(FTopLeft.X - 1);
                if (D.Contains(sdRight))
                    SetLeftCol(std::min(FTopLeft.X + 1, HorzLayout().MaxFirst()));
            }
            UpdateMove(P.X, P.Y);
            break;
        }
        default:
            break;
    }
}

// The directions in which a point lies beyond the visible scrollable cells.
TScrollDirections TCustomGrid::PointerDirections(const TPoint& P) const {
    const TGridAxisLayout H = HorzLayout(), V = VertLayout();
    TScrollDirections D;
    if (P.X < H.FixedBoundary())
        D.Include(sdLeft);
    else if (P.X >= H.FullVisBoundary())
        D.Include(sdRight);
    if (P.Y < V.FixedBoundary())
        D.Include(sdUp);
    else if (P.Y >= V.FullVisBoundary())
        D.Include(sdDown);
    return D;
}

void TCustomGrid::WMSetCursor(TMessage& Message) {
    if (LoWordSigned(Message.LParam) != HTCLIENT) {
        TCustomControl::WMSetCursor(Message);
        return;
    }
    FHitTest = PointerInClient(*this);
    TGridState State = FGridState;
    if (State == gsNormal) {
        int Index = 0, Pos = 0, Ofs = 0;
        CalcSizingState(FHitTest.X, FHitTest.Y, State, Index, Pos, Ofs);
    }
    if (State == gsRowSizing || State == gsColSizing) {
        SetSizingCursor(State == gsRowSizing ? crVSplit : crHSplit);
        Message.Result = 1;
        return;
    }
    TCustomControl::WMSetCursor(Message);
}

void TCustomGrid::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS;
    if (FOptions.Contains(goRowSelect)) return;
    if (FOptions.Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
    if (FOptions.Contains(goEditing)) Message.Result |= DLGC_WANTCHARS;
}

void TCustomGrid::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    InvalidateRectOf(GetSelection());
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    InvalidateRectOf(GetSelection());
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

// Paint covers the whole client area, so the background is never erased first.
void TCustomGrid::WMEraseBkgnd(TMessage& Message) {
    Message.Result = 1;
}

void TCustomGrid::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    UpdateScrollRange();
}

void TCustomGrid::CMColorChanged(TMessage& Message) {
    TCustomControl::CMColorChanged(Message);
    InvalidateGrid();
}

void TCustomGrid::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    GetCanvas()->SetFont(GetFont());
    InvalidateGrid();
}

void TCustomGrid::CMDesignHitTest(TMessage& Message) {
    const TPoint P = PointFromLParam(Message.LParam);
    TGridState State = FGridState;
    if (State == gsNormal) {
        int Index = 0, Pos = 0, Ofs = 0;
        CalcSizingState(P.X, P.Y, State, Index, Pos, Ofs);
    }
    Message.Result = State != gsNormal ? 1 : 0;
}

// ---- Keyboard -----------------------------------------------------------------------------

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    MoveByKey(Key, Shift);
}

void TCustomGrid::MoveByKey(Word& Key, TShiftState Shift) {
    if (Key == 0 || GetRowCount() <= FFixedRows || GetColCount() <= FFixedCols) return;
    const TGridAxisLayout H = HorzLayout(), V = VertLayout();
    TGridCoord Cur = FCurrent;
    TGridCoord TopLeft = FTopLeft;
    const bool Moves = Shift.Contains(ssCtrl) ? CtrlKeyTarget(Key, H, V, Cur, TopLeft)
                                              : KeyTarget(Key, Shift, V, Cur, TopLeft);
    if (Moves) MoveByKey(H, V, Cur, TopLeft, Shift);
}

// With Ctrl the arrows scroll the view up and down or move the current cell a page sideways;
// Page Up and Page Down go to the view's first and last full rows, Home and End to the grid's
// corners.
bool TCustomGrid::CtrlKeyTarget(Word Key, const TGridAxisLayout& H, const TGridAxisLayout& V,
                                TGridCoord& Cur, TGridCoord& TopLeft) const {
    const bool RowSelect = FOptions.Contains(goRowSelect);
    const int PageW = std::max(H.VisibleCount() - 1, 1);
    switch (Key) {
        case VK_UP:
            --TopLeft.Y;
            break;
        case VK_DOWN:
            ++TopLeft.Y;
            break;
        case VK_LEFT:
            if (!RowSelect) {
                Cur.X -= PageW;
                TopLeft.X -= PageW;
            }
            break;
        case VK_RIGHT:
            if (!RowSelect) {
                Cur.X += PageW;
                TopLeft.X += PageW;
            }
            break;
        case VK_PRIOR:
            Cur.Y = FTopLeft.Y;
            break;
        case VK_NEXT:
            Cur.Y = V.LastFullVisible();
            break;
        case VK_HOME:
            Cur = {FFixedCols, FFixedRows};
            break;
        case VK_END:
            Cur = {GetColCount() - 1, GetRowCount() - 1};
            break;
        default:
            return false;
    }
    return true;
}

// Without Ctrl the arrows move one cell (rows only under goRowSelect), the page keys a page,
// Home and End to the row's (or column's) ends, and Tab (under goTabs) to the next cell,
// wrapping at the ends; Shift+Tab moves back without extending the selection.
bool TCustomGrid::KeyTarget(Word Key, TShiftState& Shift, const TGridAxisLayout& V, TGridCoord& Cur,
                            TGridCoord& TopLeft) const {
    const bool RowSelect = FOptions.Contains(goRowSelect);
    const int PageH = std::max(V.VisibleCount() - 1, 1);
    switch (Key) {
        case VK_UP:
            --Cur.Y;
            break;
        case VK_DOWN:
            ++Cur.Y;
            break;
        case VK_LEFT:
            if (RowSelect)
                --Cur.Y;
            else
                --Cur.X;
            break;
        case VK_RIGHT:
            if (RowSelect)
                ++Cur.Y;
            else
                ++Cur.X;
            break;
        case VK_NEXT:
            Cur.Y += PageH;
            TopLeft.Y += PageH;
            break;
        case VK_PRIOR:
            Cur.Y -= PageH;
            TopLeft.Y -= PageH;
            break;
        case VK_HOME:
            if (RowSelect)
                Cur.Y = FFixedRows;
            else
                Cur.X = FFixedCols;
            break;
        case VK_END:
            if (RowSelect)
                Cur.Y = GetRowCount() - 1;
            else
                Cur.X = GetColCount() - 1;
            break;
        case VK_TAB:
            if (!FOptions.Contains(goTabs) || Shift.Contains(ssAlt) || RowSelect) return false;
            if (Shift.Contains(ssShift)) {
                if (--Cur.X < FFixedCols) {
                    Cur.X = GetColCount() - 1;
                    if (--Cur.Y < FFixedRows) Cur.Y = GetRowCount() - 1;
                }
                Shift.Exclude(ssShift);
            } else if (++Cur.X >= GetColCount()) {
                Cur.X = FFixedCols;
                if (++Cur.Y >= GetRowCount()) Cur.Y = FFixedRows;
            }
            break;
        default:
            return false;
    }
    return true;
}

// Scrolls to TopLeft and moves the current cell to Cur, both kept within the grid; Shift extends
// the selection under goRangeSelect.
void TCustomGrid::MoveByKey(const TGridAxisLayout& H, const TGridAxisLayout& V, TGridCoord Cur,
                            TGridCoord TopLeft, TShiftState Shift) {
    TopLeft.X = std::clamp(TopLeft.X, FFixedCols, std::max(H.MaxFirst(), FFixedCols));
    TopLeft.Y = std::clamp(TopLeft.Y, FFixedRows, std::max(V.MaxFirst(), FFixedRows));
    if (!(TopLeft == FTopLeft)) MoveTopLeft(TopLeft.X, TopLeft.Y);
    Cur.X = std::clamp(Cur.X, FFixedCols, GetColCount() - 1);
    Cur.Y = std::clamp(Cur.Y, FFixedRows, GetRowCount() - 1);
    if (!(Cur == FCurrent)) {
        const bool Extend = Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect);
        MoveColRow(Cur.X, Cur.Y, !Extend, true);
        Click();
    }
}

// ---- Mouse --------------------------------------------------------------------------------

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FLastMouse = {X, Y};
    if (!GetComponentState().Contains(csDesigning) && CanFocus()) SetFocus();
    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        DblClick();
    } else if (Button == mbLeft) {
        CalcSizingState(X, Y, FGridState, FSizingIndex, FSizingPos, FSizingOfs);
        if (FGridState != gsNormal) {
            DrawSizingLine();
        } else {
            const TGridCoord Cell = MouseCoord(X, Y);
            const bool InFixedCols = Cell.X >= 0 && Cell.X < FFixedCols;
            const bool InFixedRows = Cell.Y >= 0 && Cell.Y < FFixedRows;
            if (FOptions.Contains(goRowMoving) && InFixedCols && Cell.Y >= FFixedRows) {
                FMoveIndex = FMovePos = Cell.Y;
                if (BeginRowDrag(FMoveIndex, FMovePos, {X, Y})) {
                    FGridState = gsRowMoving;
                    DrawMove();
                    StartTimer();
                }
            } else if (FOptions.Contains(goColMoving) && InFixedRows && Cell.X >= FFixedCols) {
                FMoveIndex = FMovePos = Cell.X;
                if (BeginColumnDrag(FMoveIndex, FMovePos, {X, Y})) {
                    FGridState = gsColMoving;
                    DrawMove();
                    StartTimer();
                }
            } else if (Cell.X >= FFixedCols && Cell.Y >= FFixedRows) {
                FGridState = gsSelecting;
                StartTimer();
                if (Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect))
                    MoveAnchorTo(Cell);
                else
                    MoveColRow(Cell.X, Cell.Y, true, true);
            }
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    FLastMouse = {X, Y};
    switch (FGridState) {
        case gsSelecting: {
            const TGridCoord Cell = MouseCoord(X, Y);
            if (Cell.X >= FFixedCols && Cell.Y >= FFixedRows && !(Cell == FAnchor))
                MoveAnchorTo(Cell);
            break;
        }
        case gsRowSizing:
        case gsColSizing:
            UpdateSizing(X, Y);
            break;
        case gsRowMoving:
        case gsColMoving:
            UpdateMove(X, Y);
            break;
        default:
            break;
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FLastMouse = {X, Y};
    switch (FGridState) {
        case gsSelecting:
            MouseMove(Shift, X, Y);
            StopTimer();
            FGridState = gsNormal;
            Click();
            break;
        case gsRowSizing:
        case gsColSizing:
            DrawSizingLine();
            FinishSizing();
            break;
        case gsRowMoving:
        case gsColMoving:
            FinishMove(X, Y);
            break;
        default:
            break;
    }
    FGridState = gsNormal;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (FCurrent.Y < GetRowCount() - 1) SetRow(FCurrent.Y + 1);
    return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (FCurrent.Y > FFixedRows) SetRow(FCurrent.Y - 1);
    return true;
}

// ---- Sizing -------------------------------------------------------------------------------

namespace {

// The boundary within reach of Pos: from 3 pixels before it to 4 after; the first from the
// start wins. The client edge grabs the slot it cuts.
bool FindSizingBoundary(const TGridAxisLayout& L, const TGridAxis& A, int Pos, int& Index,
                        int& SizingPos, int& SizingOfs) {
    std::int64_t S = 0;
    const int N = L.Count();
    int i = 0;
    for (; i < N; ++i) {
        if (i >= L.FixedCount() && i < L.First()) i = L.First();  // scrolled out
        if (i >= N) break;
        S += std::int64_t{A.Size(i)} + L.LineAfter(i);
        if (S > L.GridBoundary()) break;
        if (S - 3 <= Pos && Pos <= S + 4) {
            Index = i;
            SizingPos = static_cast<int>(S);
            SizingOfs = SizingPos - Pos;
            return true;
        }
        if (S > std::int64_t{Pos} + 4) return false;  // every later boundary lies further on
    }
    if (i < N && L.GridBoundary() == L.Extent() && L.Extent() - 3 <= Pos && Pos <= L.Extent()) {
        Index = i;
        SizingPos = L.Extent();
        SizingOfs = SizingPos - Pos;
        return true;
    }
    return false;
}

}  // namespace

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                  int& SizingOfs) {
    State = gsNormal;
    Index = -1;
    const bool ColSizing = FOptions.Contains(goColSizing);
    const bool RowSizing = FOptions.Contains(goRowSizing);
    if (!ColSizing && !RowSizing) return;
    const TGridAxisLayout H = HorzLayout(), V = VertLayout();
    if (ColSizing && Y < V.FixedBoundary() &&
        FindSizingBoundary(H, FColAxis, X, Index, SizingPos, SizingOfs)) {
        State = gsColSizing;
        return;
    }
    if (RowSizing && X < H.FixedBoundary() &&
        FindSizingBoundary(V, FRowAxis, Y, Index, SizingPos, SizingOfs))
        State = gsRowSizing;
}

void TCustomGrid::UpdateSizing(int X, int Y) {
    DrawSizingLine();
    FSizingPos = (FGridState == gsRowSizing ? Y : X) + FSizingOfs;
    DrawSizingLine();
}

// The new size is the line's position less where the slot starts on screen.
void TCustomGrid::FinishSizing() {
    if (FGridState == gsColSizing) {
        const int Start = HorzLayout().StartOf(FSizingIndex);
        const int Line = HorzLayout().LineAfter(FSizingIndex);
        const int NewSize = FSizingPos - Start - Line;
        if (Start >= 0 && NewSize > 1) SetColWidths(FSizingIndex, NewSize);
    } else {
        const int Start = VertLayout().StartOf(FSizingIndex);
        const int Line = VertLayout().LineAfter(FSizingIndex);
        const int NewSize = FSizingPos - Start - Line;
        if (Start >= 0 && NewSize > 1) SetRowHeights(FSizingIndex, NewSize);
    }
}

void TCustomGrid::DrawSizingLine() {
    if (FGridState != gsRowSizing && FGridState != gsColSizing) return;
    DrawXorLine(FGridState == gsRowSizing, FSizingPos, 1);
}

void TCustomGrid::DrawMove() {
    if (FGridState != gsRowMoving && FGridState != gsColMoving) return;
    const bool Rows = FGridState == gsRowMoving;
    const TRect R = Rows ? CellRect(0, FMovePos) : CellRect(FMovePos, 0);
    if (R.IsEmpty()) return;
    int Pos;
    if (Rows)
        Pos = FMoveIndex < FMovePos ? R.Bottom : R.Top;
    else
        Pos = FMoveIndex < FMovePos ? R.Right : R.Left;
    DrawXorLine(Rows, Pos, 5);
}

// ---- Moving -------------------------------------------------------------------------------

void TCustomGrid::UpdateMove(int X, int Y) {
    const TGridCoord Cell = CalcCoordFromPoint(X, Y);
    int NewPos = FGridState == gsRowMoving ? Cell.Y : Cell.X;
    const int Fixed = FGridState == gsRowMoving ? FFixedRows : FFixedCols;
    if (NewPos < 0) return;
    NewPos = std::max(NewPos, Fixed);
    if (NewPos == FMovePos) return;
    int Origin = FMoveIndex;
    const bool Ok = FGridState == gsRowMoving ? CheckRowDrag(Origin, NewPos, {X, Y})
                                              : CheckColumnDrag(Origin, NewPos, {X, Y});
    if (!Ok || NewPos == FMovePos) return;
    DrawMove();
    FMovePos = NewPos;
    DrawMove();
}

void TCustomGrid::FinishMove(int X, int Y) {
    StopTimer();
    DrawMove();
    const bool Rows = FGridState == gsRowMoving;
    const bool Drop = Rows ? EndRowDrag(FMoveIndex, FMovePos, {X, Y})
                           : EndColumnDrag(FMoveIndex, FMovePos, {X, Y});
    FGridState = gsNormal;
    if (!Drop || FMoveIndex == FMovePos) return;
    if (Rows)
        MoveRow(FMoveIndex, FMovePos);
    else
        MoveColumn(FMoveIndex, FMovePos);
}

bool TCustomGrid::BeginColumnDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGrid::BeginRowDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGrid::CheckColumnDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGrid::CheckRowDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGrid::EndColumnDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGrid::EndRowDrag(int&, int&, const TPoint&) {
    return true;
}

AnsiString TCustomGrid::GetEditText(int ACol, int ARow) {
    AnsiString Value;
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, Value);
    return Value;
}

void TCustomGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

// ---- Timer --------------------------------------------------------------------------------

void TCustomGrid::StartTimer() {
    if (FTimerRunning || !HandleAllocated()) return;
    SetTimer(GetHandle(), kSelectTimer, kSelectTimerPeriod, nullptr);
    FTimerRunning = true;
}

void TCustomGrid::StopTimer() {
    if (!FTimerRunning) return;
    FTimerRunning = false;
    if (HandleAllocated()) KillTimer(GetHandle(), kSelectTimer);
}

}  // namespace carrelon

namespace carrelon {

// ---- Scroll bars --------------------------------------------------------------------------

// Ranges run over the scroll positions themselves (LeftCol and TopRow), with a page of the
// visible count, so the thumb ends at the last scroll position that shows the last slot.
void TCustomGrid::WantedScrollBars(TScrollBarState (&Want)[2]) const {
    const TGridAxisLayout HL = HorzLayout(), VL = VertLayout();
    Want[SB_HORZ] = {
        (FScrollBars == ssHorizontal || FScrollBars == ssBoth) && HL.MaxFirst() > FFixedCols,
        FFixedCols, HL.MaxFirst(), std::max(HL.VisibleCount(), 1), FTopLeft.X};
    Want[SB_VERT] = {
        (FScrollBars == ssVertical || FScrollBars == ssBoth) && VL.MaxFirst() > FFixedRows,
        FFixedRows, VL.MaxFirst(), std::max(VL.VisibleCount(), 1), FTopLeft.Y};
}

void TCustomGrid::UpdateScrollRange() {
    if (!HandleAllocated() || FUpdatingScrollBars) return;
    FUpdatingScrollBars = true;
    HWND H = GetHandle();
    // Showing one bar narrows the client area and may call for the other: two rounds settle it.
    for (int Round = 0; Round < 2; ++Round) {
        TScrollBarState Want[2];
        WantedScrollBars(Want);
        bool Changed = false;
        for (int Bar : {SB_HORZ, SB_VERT}) {
            const TScrollBarState& W = Want[Bar];
            TScrollBarState& Shown = FShownBars[Bar];
            if (W.Visible != Shown.Visible) {
                ShowScrollBar(H, Bar, W.Visible);
                Changed = true;
            }
            if (W.Visible && !(W == Shown)) {
                TScrollInfo Info;
                Info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
                Info.nMin = W.Min;
                Info.nPage = static_cast<Cardinal>(W.Page);
                Info.nMax = W.Max + W.Page - 1;
                Info.nPos = W.Pos;
                SetScrollInfo(H, Bar, Info, true);
            }
            Shown = W;
        }
        if (!Changed) break;
    }
    FUpdatingScrollBars = false;
}

void TCustomGrid::UpdateScrollRangeLater() {
    if (FScrollUpdatePosted || !HandleAllocated()) return;
    FScrollUpdatePosted = PostMessageA(GetHandle(), kUpdateScrollBarsMessage, 0, 0);
}

// Descendants may write the fixed counts and the top-left slot directly; Paint notices when the
// bars no longer match and has them brought up to date after the paint (never during it).
void TCustomGrid::CheckScrollBarsAfterPaint() {
    // A view painted by PaintViewTo is not what the bars stand for.
    if (FScrollUpdatePosted || FPaintingView || !HandleAllocated()) return;
    TScrollBarState Want[2];
    WantedScrollBars(Want);
    if (Want[SB_HORZ] == FShownBars[SB_HORZ] && Want[SB_VERT] == FShownBars[SB_VERT]) return;
    UpdateScrollRangeLater();
}

void TCustomGrid::CreateWnd() {
    TCustomControl::CreateWnd();
    // A new window starts without scroll bars.
    FShownBars[SB_HORZ] = FShownBars[SB_VERT] = TScrollBarState{};
    UpdateScrollRange();
}

// The thumb's position: the message carries 16 bits of it; the bar's own track position has
// all 32 and is taken when it agrees with those 16 bits (a message sent by code has only its own).
int TCustomGrid::ScrollTrackPos(int Bar, const TMessage& Message) const {
    const int Short = static_cast<int>((Message.WParam >> 16) & 0xFFFF);
    if (!HandleAllocated()) return Short;
    TScrollInfo Info;
    Info.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(const_cast<TCustomGrid*>(this)->GetHandle(), Bar, Info) &&
        (Info.nTrackPos & 0xFFFF) == Short)
        return Info.nTrackPos;
    return Short;
}

void TCustomGrid::SetSizingCursor(TCursor Cursor) {
    carrelon::SetCursor(static_cast<HCURSOR>(Cursor));
}

}  // namespace carrelon
