// TCustomGrid: the scrolling grid base class. It keeps the counts, the fixed rows and columns,
// the column widths and row heights, the current cell, anchor and selection rectangle, and the
// scroll position; it paints by asking the virtual DrawCell for each visible slot and handles
// scrolling, keyboard navigation, mouse selection, sizing and moving. Descendants own the cell
// content and override the virtual hooks.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/grids/GridAxis.h"
#include "platform/grids/GridLayout.h"
#include "platform/grids/GridTypes.h"

namespace carrelon {

// The text an editor starts with for a cell (the handler may change it), and the text it holds
// after each change.
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& Value)>;
using TSetEditEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, const AnsiString& Value)>;

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;
    AnsiString ClassName() const override { return "TCustomGrid"; }

    // Counts and sizes. Setters resize and repaint.
    int GetColCount() const { return FColAxis.Count(); }
    void SetColCount(int Value);
    int GetRowCount() const { return FRowAxis.Count(); }
    void SetRowCount(int Value);
    int GetFixedCols() const { return FFixedCols; }
    void SetFixedCols(int Value);
    int GetFixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int GetDefaultColWidth() const { return FColAxis.DefaultSize(); }
    void SetDefaultColWidth(int Value);
    int GetDefaultRowHeight() const { return FRowAxis.DefaultSize(); }
    void SetDefaultRowHeight(int Value);
    int GetGridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value);
    TColor GetFixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TGridOptions GetOptions() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    bool GetDefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value);
    int GetColWidths(int Index) const { return FColAxis.Size(Index); }
    void SetColWidths(int Index, int Value);
    int GetRowHeights(int Index) const { return FRowAxis.Size(Index); }
    void SetRowHeights(int Index, int Value);

    // Geometry, in client coordinates.
    TRect CellRect(int ACol, int ARow) const { return BoxRect(ACol, ARow, ACol, ARow); }
    TRect BoxRect(int ALeft, int ATop, int ARight, int ABottom) const;
    TGridCoord MouseCoord(int X, int Y) const;
    int GetGridWidth() const;
    int GetGridHeight() const;
    int GetVisibleColCount() const;
    int GetVisibleRowCount() const;
    int GetLeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int Value);
    int GetTopRow() const { return FTopLeft.Y; }
    void SetTopRow(int Value);

    // Current cell and selection.
    int GetCol() const { return FCurrent.X; }
    void SetCol(int Value);
    int GetRow() const { return FCurrent.Y; }
    void SetRow(int Value);
    // The rectangle spanned by the current cell and the anchor.
    TGridRect GetSelection() const;
    // Puts the current cell on the rectangle's top-left corner and the anchor on its
    // bottom-right one; a rectangle outside the grid raises EInvalidGridOperation.
    void SetSelection(const TGridRect& Value);

    // Paints the grid, border included, at (X, Y) of DC as it would show in a client area of
    // ClientWidth x ClientHeight without scroll bars, scrolled to its first scrollable column
    // and row: a picture of more than the window shows. The scroll position, size, scroll bars
    // and window stay as they are; nothing is invalidated and no event fires.
    void PaintViewTo(TCanvas* DC, int X, int Y, int ClientWidth, int ClientHeight);

    // Repaint of parts of the grid.
    void InvalidateCell(int ACol, int ARow);
    void InvalidateCol(int ACol);
    void InvalidateRow(int ARow);
    void InvalidateGrid();

    void WndProc(TMessage& Message) override;
    // A single border is 2 pixels wide with 3-D look, else 1.
    int GetBorderWidthNC() const override;

    // Fired by TopLeftChanged after every scroll.
    TNotifyEvent OnTopLeftChanged;
    // Fired by GetEditText and SetEditText.
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;

protected:
    // Per-slot drawing hook; the base draws nothing of its own content.
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    // Asked before every move of the current cell; False keeps the cell where it is.
    virtual bool SelectCell(int ACol, int ARow);
    // Called by the selecting timer with the directions in which the pointer lies beyond the
    // visible scrollable cells; moves the anchor one slot per direction and shows it.
    virtual void TimedScroll(TScrollDirections Direction);
    virtual void TopLeftChanged();
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex);
    // Drag hooks of moving a column or row; False refuses the start or the drop.
    virtual bool BeginColumnDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool BeginRowDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool CheckColumnDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool CheckRowDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool EndColumnDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool EndRowDrag(int& Origin, int& Destination, const TPoint& MousePt);
    // Whether a press at (X, Y) lies on a column or row boundary that may be dragged.
    virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                 int& SizingOfs);
    // Feedback of sizing and moving; drawn twice, a line disappears again.
    virtual void DrawSizingLine();
    virtual void DrawMove();
    // Editing hooks: the base grid has no editor of its own; they fire OnGetEditText and
    // OnSetEditText.
    virtual AnsiString GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const AnsiString& Value);

    void Paint() override;
    void CreateWnd() override;
    // OnKeyDown, then the navigation of MoveByKey.
    void KeyDown(Word& Key, TShiftState Shift) override;
    // Moves the current cell (or scrolls) for a navigation key: arrows, Tab under goTabs,
    // Home, End, Page Up and Page Down, with Ctrl and Shift.
    void MoveByKey(Word& Key, TShiftState Shift);
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

    // Message handlers.
    void WMVScroll(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;
    void WMSetCursor(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMDesignHitTest(TMessage& Message) override;

    // Moves the current cell (and the anchor when MoveAnchor, or without range selection) to
    // the slot when SelectCell accepts; Show scrolls it into view. An index outside the grid
    // raises EInvalidGridOperation.
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
    // Moves a column or row with its width or height; the current cell and anchor follow.
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);
    // Scrolls so that the slot is wholly visible (fixed parts stay as they are).
    void ClampInView(const TGridCoord& Coord);
    // The slot under a point, each part -1 on its own when off the grid.
    TGridCoord CalcCoordFromPoint(int X, int Y) const;
    // The per-row height array: nullptr while every row has the default height.
    const std::vector<int>* RowHeightsArray() const;
    const std::vector<int>* ColWidthsArray() const;
    // Store a new default size without touching slots that have their own size (without a
    // per-slot array every slot follows).
    void WriteDefaultColWidth(int Value);
    void WriteDefaultRowHeight(int Value);
    // Stores the line width alone, as a stream being read does: nothing is measured or repainted.
    void WriteGridLineWidth(int Value) { FGridLineWidth = std::clamp(Value, 0, 255); }

    // The extents left for the cells: the client area.
    int GridClientWidth() const;
    int GridClientHeight() const;
    TGridAxisLayout HorzLayout() const;
    // The sizes and cumulative offsets of the columns and rows.
    const TGridAxis& ColAxis() const { return FColAxis; }
    const TGridAxis& RowAxis() const { return FRowAxis; }
    TGridAxisLayout VertLayout() const;
    // Shows a dotted inverting line across the grid at Pos (a horizontal one at y = Pos, a
    // vertical one at x = Pos); drawn again at the same place, it disappears. The line is kept
    // as part of the view until then, so repaints in between keep it.
    void DrawXorLine(bool Horizontal, int Pos, int Width);
    // The selecting and moving timer (60 ms): while it runs, each tick scrolls or calls
    // TimedScroll as the state asks. Starting a running timer or stopping a stopped one does
    // nothing.
    void StartTimer();
    void StopTimer();

    // State that descendants read and write directly.
    TGridCoord FAnchor{1, 1};
    TGridCoord FCurrent{1, 1};
    TGridCoord FTopLeft{1, 1};
    int FFixedCols = 1;
    int FFixedRows = 1;
    TGridOptions FOptions;
    bool FDefaultDrawing = true;
    TGridState FGridState = gsNormal;
    int FSizingIndex = 0;
    int FSizingPos = 0;
    int FSizingOfs = 0;
    int FMoveIndex = 0;
    int FMovePos = 0;
    TPoint FHitTest;
    // The view flag: set by descendants that paint every slot themselves at run time. The base
    // grid then skips its own background fill and focus rectangle around DrawCell.
    bool FVirtualView = false;

private:
    // The steps of KeyDown: where a key moves the current and top-left cells (false for keys
    // the grid leaves alone), then the move.
    bool CtrlKeyTarget(Word Key, const TGridAxisLayout& H, const TGridAxisLayout& V,
                       TGridCoord& Cur, TGridCoord& TopLeft) const;
    bool KeyTarget(Word Key, TShiftState& Shift, const TGridAxisLayout& V, TGridCoord& Cur,
                   TGridCoord& TopLeft) const;
    void MoveByKey(const TGridAxisLayout& H, const TGridAxisLayout& V, TGridCoord Cur,
                   TGridCoord TopLeft, TShiftState Shift);
    void MoveAnchorTo(const TGridCoord& NewAnchor);
    void MoveTopLeft(int ALeft, int ATop);
    void TopLeftMoved(const TGridCoord& OldTopLeft);
    void SelectionMoved(const TGridRect& OldSel);
    void InvalidateRectOf(const TGridRect& R);
    void CountsChanged(int OldColCount, int OldRowCount);
    void ClampState();
    void UpdateScrollRange();
    void CheckScrollBarsAfterPaint();
    void UpdateScrollRangeLater();
    int ScrollTrackPos(int Bar, const TMessage& Message) const;
    int ScrollRequestTarget(const TGridAxisLayout& L, int Bar, const TMessage& Message);
    void InvalidateClientRect(const TRect& R);
    void SetSizingCursor(TCursor Cursor);
    void PaintXorLines();
    void DrawFocusFrame(const TRect& R);
    void UpdateSizing(int X, int Y);
    void UpdateMove(int X, int Y);
    void FinishSizing();
    void FinishMove(int X, int Y);
    TScrollDirections PointerDirections(const TPoint& P) const;
    void PaintRegion(int ColFirst, int ColLast, int RowFirst, int RowLast, const TGridAxisLayout& H,
                     const TGridAxisLayout& V, const TRect& Clip);

    TGridAxis FColAxis;
    TGridAxis FRowAxis;
    int FGridLineWidth = 1;
    TColor FFixedColor;
    TScrollStyle FScrollBars = ssBoth;
    TBorderStyle FBorderStyle = bsSingle;
    bool FTimerRunning = false;
    bool FUpdatingScrollBars = false;
    // What the scroll bars show now (SB_HORZ, SB_VERT): positions run over LeftCol and TopRow.
    struct TScrollBarState {
        bool Visible = false;
        int Min = 0;
        int Max = 0;
        int Page = 0;
        int Pos = 0;
        friend bool operator==(const TScrollBarState&, const TScrollBarState&) = default;
    };
    TScrollBarState FShownBars[2];
    bool FScrollUpdatePosted = false;
    bool FPaintingView = false;  // PaintViewTo is painting a view the window does not show
    static constexpr Cardinal kUpdateScrollBarsMessage = WM_USER + 0x0A51;
    void WantedScrollBars(TScrollBarState (&Want)[2]) const;
    struct TXorLine {
        bool Horizontal;
        int Pos;
        int Width;
        friend bool operator==(const TXorLine&, const TXorLine&) = default;
    };
    std::vector<TXorLine> FXorLines;
    TPoint FLastMouse;  // the pointer as last seen in client coordinates
};

}  // namespace carrelon
