// TCarrelon, the grid control. An application includes only this header.
//
// The base grid keeps geometry, scrolling and the current-cell coordinates; the control owns
// the cell model: one TCarrelonCol per column, each holding one TCarrelonCell pointer per row,
// a merged range being one cell object in every slot it covers. Columns are listed three
// times: all of them in absolute order, the visible ones (index = base-grid column) and the
// hidden ones (in absolute order).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formulas/ReferenceRewrite.h"
#include "grid/CarrelonBorders.h"
#include "grid/CarrelonCell.h"
#include "grid/CarrelonCellProperties.h"
#include "grid/CarrelonCol.h"
#include "grid/CarrelonEvents.h"
#include "grid/CarrelonOptions.h"
#include "grid/CarrelonPrintSettings.h"
#include "grid/CarrelonTypes.h"
#include "grid/Selection.h"
#include "platform/grids/Grids.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Variant.h"

namespace carrelon {

class TBitmap;
class TCarrelonFormulas;
class TFont;
class TPopupMenu;

// Frees the grid's formula state, whose type the grid's header does not need to know.
struct TCarrelonFormulasDeleter {
    void operator()(TCarrelonFormulas* P) const;
};

class TCarrelon : public TCustomGrid, public TCarrelonEvents {
public:
    explicit TCarrelon(TComponent* AOwner);
    ~TCarrelon() override;
    AnsiString ClassName() const override { return "TCarrelon"; }
    static AnsiString StaticClassName() { return "TCarrelon"; }

    // ---- counts and fixed parts ------------------------------------------------------------
    static constexpr int MaxCount = 134217725;

    int GetColCount() const { return TCustomGrid::GetColCount(); }
    void SetColCount(int Value);
    int GetRowCount() const { return TCustomGrid::GetRowCount(); }
    void SetRowCount(int Value);
    // The control's own count: it may equal RowCount (every row fixed), when the base grid
    // has one fixed row less.
    int GetFixedRows() const { return FOwnFixedRows; }
    void SetFixedRows(int Value);
    int GetFixedCols() const { return TCustomGrid::GetFixedCols(); }
    void SetFixedCols(int Value);
    // Fixed columns counted among all columns, hidden ones included.
    int GetAbsoluteFixedCols() const { return FAbsoluteFixedCols; }
    int GetTopRow() const;
    void SetTopRow(int Value);
    int GetLeftCol() const { return TCustomGrid::GetLeftCol(); }
    void SetLeftCol(int Value);
    int GetVisibleRowCount() const;
    int GetCol() const { return TCustomGrid::GetCol(); }
    int GetRow() const { return TCustomGrid::GetRow(); }
    int GetAbsoluteColCount() const { return static_cast<int>(FAbsoluteCols.size()); }
    int GetHiddenColCount() const { return static_cast<int>(FHiddenCols.size()); }
    int GetColWidths(int Index) const { return TCustomGrid::GetColWidths(Index); }
    void SetColWidths(int Index, int Value);
    int GetRowHeights(int Index) const { return TCustomGrid::GetRowHeights(Index); }
    void SetRowHeights(int Index, int Value);

    // ---- the model -------------------------------------------------------------------------
    TCarrelonCol* GetCols(int i) const;
    TCarrelonCol* GetAbsoluteCols(int i) const;
    TCarrelonCol* GetHiddenCols(int i) const;
    TCarrelonCell* GetCells(int ACol, int ARow) const;
    TCarrelonCell* GetAbsoluteCells(int ACol, int ARow) const;
    TObject* GetObjects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, TObject* Obj);
    bool GetTabStops(int i) const;
    void SetTabStops(int i, bool Value);
    TCarrelonSelection* GetSelectedCells() const { return FSelectedCells.get(); }
    // True when the model exists (not in the design environment).
    bool HasModel() const { return FModel; }

    // The column lists. Code that changes them calls MarkColumnsMoved afterwards so that the
    // columns' cached positions are refreshed.
    const std::vector<TCarrelonCol*>& ColList() const { return FCols; }
    const std::vector<TCarrelonCol*>& AbsoluteColList() const { return FAbsoluteCols; }
    const std::vector<TCarrelonCol*>& HiddenColList() const { return FHiddenCols; }
    std::vector<TCarrelonCol*>& EditColList();
    std::vector<TCarrelonCol*>& EditAbsoluteColList();
    std::vector<TCarrelonCol*>& EditHiddenColList();
    void MarkColumnsMoved() { FColumnsDirty = true; }
    // Refreshes every column's cached visible, absolute and hidden position when needed.
    void ReindexColumns() const;

    bool IsCurrentCell(const TCarrelonCell* Cell) const;
    bool RowIsEmpty(int ARow) const;
    bool ColumnIsEmpty(int ACol) const;
    TRect CellRect(int ACol, int ARow) const;
    bool MouseToCell(int X, int Y, int& ACol, int& ARow) const;

    // ---- options and appearance ------------------------------------------------------------
    TCarrelonOptions GetOptions() const { return FCarrelonOptions; }
    void SetOptions(TCarrelonOptions Value);
    TCarrelonEditorOptions GetEditorOptions() const { return FEditorOptions; }
    void SetEditorOptions(TCarrelonEditorOptions Value) { FEditorOptions = Value; }
    TCarrelonEditControlOptions GetEditControlOptions() const { return FEditControlOptions; }
    void SetEditControlOptions(TCarrelonEditControlOptions Value) { FEditControlOptions = Value; }
    TCarrelonTabOptions GetTabOptions() const { return FTabOptions; }
    void SetTabOptions(TCarrelonTabOptions Value) { FTabOptions = Value; }
    TCarrelonPrintOptions GetPrintOptions() const { return FPrintOptions; }
    void SetPrintOptions(TCarrelonPrintOptions Value) { FPrintOptions = Value; }
    TCarrelonSpreadsheetOptions GetSpreadsheetOptions() const { return FSpreadsheetOptions; }
    TCarrelonLoadedEvents GetLoadedEvents() const { return FLoadedEvents; }
    void SetLoadedEvents(TCarrelonLoadedEvents Value) { FLoadedEvents = Value; }

    TColor GetGridLineColor() const { return FGridLineColor; }
    void SetGridLineColor(TColor Value);
    TColor GetFixedGridLineColor() const { return FFixedGridLineColor; }
    void SetFixedGridLineColor(TColor Value);
    TColor GetEditColor() const { return FEditColor; }
    void SetEditColor(TColor Value) { FEditColor = Value; }
    TColor GetEditFontColor() const { return FEditFontColor; }
    void SetEditFontColor(TColor Value) { FEditFontColor = Value; }
    TColor GetSelectionColor() const { return FSelectionColor; }
    void SetSelectionColor(TColor Value);
    TColor GetSelectionFontColor() const { return FSelectionFontColor; }
    void SetSelectionFontColor(TColor Value);
    TColor GetSortIndicatorColor() const { return FSortIndicatorColor; }
    void SetSortIndicatorColor(TColor Value) { FSortIndicatorColor = Value; }
    int GetSortColumn() const { return FSortColumn; }
    void SetSortColumn(int Value) { FSortColumn = Value; }
    bool GetSortDescending() const { return FSortDescending; }
    void SetSortDescending(bool Value) { FSortDescending = Value; }
    bool GetSortOnClick() const { return FSortOnClick; }
    void SetSortOnClick(bool Value) { FSortOnClick = Value; }
    bool GetSortOnDblClick() const { return FSortOnDblClick; }
    void SetSortOnDblClick(bool Value) { FSortOnDblClick = Value; }
    bool GetSortIndicator() const { return FSortIndicator; }
    void SetSortIndicator(bool Value) { FSortIndicator = Value; }
    TCarrelonCompareProc GetCompareProc() const { return FCompareProc; }
    // Nil restores the default comparison.
    void SetCompareProc(TCarrelonCompareProc Value);
    AnsiString GetExportTag() const { return FExportTag; }
    void SetExportTag(const AnsiString& Value) { FExportTag = Value; }
    int GetBorderForText() const { return FBorderForText; }
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool GetHideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value) { FHideSelection = Value; }
    bool GetInplaceScrollBar() const { return FInplaceScrollBar; }
    void SetInplaceScrollBar(bool Value) { FInplaceScrollBar = Value; }
    AnsiString GetAbout() const;
    void SetAbout(const AnsiString&) {}

    TCarrelonPrintMargins* GetPrintMargins() const { return FPrintMargins.get(); }
    TCarrelonPrintHeaderFooter* GetPrintHeader() const { return FPrintHeader.get(); }
    TCarrelonPrintHeaderFooter* GetPrintFooter() const { return FPrintFooter.get(); }
    std::vector<std::unique_ptr<TCarrelonPrintOuterBorder>>& PrintOuterBorders() {
        return FPrintOuterBorders;
    }

    // The check-box images (run time only).
    TBitmap* GetUncheckedImage() const { return FUncheckedImage.get(); }
    TBitmap* GetCheckedImage() const { return FCheckedImage.get(); }
    TPopupMenu* GetEditorPopupMenu() const { return FEditorPopupMenu; }

    // ---- update lock -----------------------------------------------------------------------
    int GetUpdateCount() const { return FUpdateCount; }
    int DisableControls();
    int EnableControls();
    // Enters the lock; true when this call raised the depth (only then may it leave it).
    bool TryDisableControls();
    // True when a cell or column may issue a repaint now.
    bool CanRepaint() const;

    // ---- structure used by the model -------------------------------------------------------
    bool HideColumn(int ACol);
    int ShowHiddenColumn(int HiddenIndex);
    void DoDeleteRow(int ARow);

    // ---- base-grid state for the rest of the control ---------------------------------------
    TGridCoord ReadFAnchor() const { return FAnchor; }
    void WriteFAnchor(TGridCoord Value) { FAnchor = Value; }
    TGridCoord* ReadPFAnchor() { return &FAnchor; }
    TGridCoord ReadFCurrent() const { return FCurrent; }
    void WriteFCurrent(TGridCoord Value) { FCurrent = Value; }
    TGridCoord ReadFTopLeft() const { return FTopLeft; }
    void WriteFTopLeft(TGridCoord Value) { FTopLeft = Value; }
    int* ReadPFSizingIndex() { return &FSizingIndex; }
    int* ReadPFSizingPos() { return &FSizingPos; }
    int* ReadPFSizingOfs() { return &FSizingOfs; }
    int* ReadPFMoveIndex() { return &FMoveIndex; }
    int* ReadPFMovePos() { return &FMovePos; }
    const std::vector<int>* ReadFRowHeights() const { return RowHeightsArray(); }
    void AssignInheritedColWidths(int Index, int Value);
    void UpdateInheritedColCount(int N);
    void UpdateInheritedRowCount(int N);
    using TCustomGrid::BoxRect;
    using TCustomGrid::InvalidateCell;
    using TCustomGrid::InvalidateCol;
    using TCustomGrid::MouseCoord;

    // ---- hooks that later parts of the control fill in -------------------------------------
    // True while the editor (or an application-supplied control) stays open and refuses to
    // close; every structural change is then refused.
    bool CheckEditorMode();
    void CheckAlwaysShowEditor();
    bool GetEditorMode() const;
    void SetEditorMode(bool Value);
    // Applies the current-cell reaction of a cell's CheckBox or Button change: Close closes the
    // editor, otherwise the always-show-editor rule applies; true when the editor opened or
    // closed.
    bool EditorReaction(bool Close);
    // Fits the row to its contents; true when its height changed.
    bool ResizeRow(int ARow);
    // Puts the current cell on the first selectable cell and refills the selected list.
    void Initialize();
    // Clamps the current cell and anchor and rebuilds or prunes the selected list.
    void CheckSelection();
    // Tells the grid that a cell object is being freed, so it keeps no pointer to it.
    void CellFreed(TCarrelonCell* Cell);
    // Makes a cell for the model.
    TCarrelonCell* NewCell(TCarrelonCol* ACol, int ARow);

    // ---- allocation limit ------------------------------------------------------------------
    // The most cell slots (columns x rows, hidden columns included) the grid may hold; growth
    // beyond it takes the "Out of memory" path.
    long long GetCellBudget() const { return FCellBudget; }
    void SetCellBudget(long long Value) { FCellBudget = Value; }
    static constexpr long long DefaultCellBudget = 100'000'000;

    // ---- diagnostics -----------------------------------------------------------------------
    // Checks the model's invariants; on failure returns false and, when Why is given, says
    // what is wrong.
    bool CheckModelInvariants(std::string* Why = nullptr) const;

    // ==== Selection and sizing ==============================================================
    // Current cell, anchor and the selected list.
    bool SetSelection(int ALeft, int ATop, int ARight, int ABottom);
    void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show, bool ClearList);
    void MoveAnchor(const TGridCoord& NewAnchor);
    bool DoFocusCell(int ACol, int ARow, int NewLeftCol, int NewTopRow, bool MoveAnchor);
    void SetCol(int Value);
    void SetRow(int Value);
    bool FocusCell(int ACol, int ARow);
    bool FocusCellEx(int ACol, int ARow);

    // Row and column fitting, sizes and lines.
    bool DoResizeRow(int ARow, bool Increase, bool Decrease, int EditorHeight);
    // Fits every row (each vertical-merge chain once); true when a height changed.
    bool FitAllRows(bool Increase, bool Decrease);
    bool AutoSizeRow(int ARow);
    bool AutoSizeRows();
    bool AutoSizeRowsEx(const std::vector<int>& Rows);
    void DoAutoSizeColumn(int ACol, bool ByUser);
    bool AutoSizeColumn(int ACol);
    bool AutoSizeColumns();
    bool AutoSizeColumnsEx(const std::vector<int>& Cols);
    int GetDefaultRowHeight() const { return TCustomGrid::GetDefaultRowHeight(); }
    void SetDefaultRowHeight(int Value);
    int GetDefaultColWidth() const { return TCustomGrid::GetDefaultColWidth(); }
    void SetDefaultColWidth(int Value);
    int GetGridLineWidth() const { return TCustomGrid::GetGridLineWidth(); }
    void SetGridLineWidth(int Value);

    // Sizing and moving by mouse.
    bool Sizing(int X, int Y);
    int CalcSizedColWidth() const;
    int CalcSizedRowHeight() const;

    // Fired before every move of the current cell.
    TSelectCellEvent OnSelectCell;
    // Written by the mouse press, read by the timed scroll.
    TDateTime FMouseDownTime = 0;
    bool FDragWait = false;
    // The direction of the last height change made by row fitting.
    bool FRowShrinking = false;

protected:
    bool SelectCell(int ACol, int ARow) override;
    void TimedScroll(TScrollDirections Direction) override;
    void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                         int& SizingOfs) override;
    void DrawSizingLine() override;
    void DrawMove() override;
    bool BeginColumnDrag(int& Origin, int& Destination, const TPoint& MousePt) override;
    bool BeginRowDrag(int& Origin, int& Destination, const TPoint& MousePt) override;
    bool EndColumnDrag(int& Origin, int& Destination, const TPoint& MousePt) override;
    bool EndRowDrag(int& Origin, int& Destination, const TPoint& MousePt) override;
    void WMSetCursor(TMessage& Message) override;
    void CMDesignHitTest(TMessage& Message) override;

private:
    struct TRowFitScratch;
    int HeadingOffset() const;
    bool InsideGrid(int ACol, int ARow) const;
    bool TargetOutsideFixed(int ACol, int ARow) const;
    TGridCoord SelectionView() const;
    TGridCoord ClampSelectionCoord(TGridCoord P) const;
    bool MayStaySelected(const TCarrelonCell* Cell) const;
    void CheckSelectionDropping(std::vector<TCarrelonCell*>* Dropped);
    void ListSelectionRect(bool InvalidateAdded);
    void UpdateListByStrips(const TGridRect& Old, const TGridRect& New, bool Repaint);
    void ScrollToFixedBandTarget(int ACol, int ARow);
    bool CanFocusCell(int ACol, int ARow);
    bool LockDrawing();
    void UnlockDrawing(bool Locked);
    void ValidateClient();
    void RepaintAfterScroll();
    std::pair<int, int> RowFitRange(int ARow) const;
    bool FitRowRange(int First, int Last, bool Increase, bool Decrease, int EditorHeight,
                     TRowFitScratch& S);
    int MeasureTextWidth(const TCarrelonCell* Cell, const AnsiString& Text);
    bool AutoSizeColumnList(const std::vector<int>& Indexes);
    // Set when SelectCell refused the move in progress.
    bool FSelectVetoed = false;

public:
    // ==== end of selection and sizing =======================================================

    // ==== Formulas (the formula engine implements these in grid/FormulaBridge.cpp) ==========
    bool GetSpreadsheetEnabled() const { return FSpreadsheetEnabled; }
    void SetSpreadsheetEnabled(bool Value);
    bool GetSpreadsheetHeaders() const { return FSpreadsheetHeaders; }
    void SetSpreadsheetHeaders(bool Value);
    void SetSpreadsheetOptions(TCarrelonSpreadsheetOptions Value);
    // Evaluates the cell's formula into its value; true when the value changed.
    bool AnalyzeExpression(TCarrelonCell* Cell);
    // Recalculates every formula cell of the visible grid but ExceptCell, in passes until no
    // value changes; true when some value changed.
    bool Recalculate(TCarrelonCell* ExceptCell);
    // The cell of the visible grid named by an A1 name; a bad name raises EConvertError.
    TCarrelonCell* CellByName(const AnsiString& Name) const;
    // The text of a spreadsheet heading slot (letters in row 0, numbers in column 0), else "".
    AnsiString SpreadsheetHeadingText(int ACol, int ARow) const;
    // Rewrites the references of every formula (all absolute columns, a merged cell once)
    // through mappings of A1 column and row numbers; an empty mapping keeps that part. Cells
    // whose start column is MovedCol use MovedColMap for columns instead. Raw writes: no
    // recalculation, no events.
    void RenumberFormulas(const TReferenceMap& ColMap, const TReferenceMap& RowMap,
                          const TCarrelonCol* MovedCol = nullptr,
                          const TReferenceMap& MovedColMap = nullptr);
    // Moves every reference by one row and column so that it keeps naming its cell when
    // headings are switched on (true) or off; raw writes.
    void ShiftFormulasForHeadings(bool HeadingsOn);
    // Keep the registry of formula cells: the cell calls the first when its formula is
    // written, CellFreed the second.
    void FormulaWritten(TCarrelonCell* Cell, bool HasFormula);
    void FormulaCellFreed(TCarrelonCell* Cell);
    TCarrelonFormulas& Formulas() const;

private:
    void InvalidateSpreadsheetHeadings();
    mutable std::unique_ptr<TCarrelonFormulas, TCarrelonFormulasDeleter> FFormulas;

public:
    // ==== end of formulas ====================================================================

    // ==== Painting (grid/Paint*.cpp, grid/Repaint.cpp, grid/Appearance.cpp) ================
    // Client x of a column's left edge and y of a row's top edge; a slot scrolled out towards
    // the start lies before the fixed boundary (possibly negative).
    int GetX(int Index) const;
    int GetY(int Index) const;
    // The on-screen rectangle of a (merged) cell without its line strips; empty when every
    // column of the cell is hidden.
    TRect CalcCellRect(const TCarrelonCell* Cell) const;
    // Widths of the line below a cell and of the line right of its end column, 0 where the
    // options draw none.
    int HorzLineWidth(bool Fixed) const;
    int VertLineWidth(bool Fixed, const TCarrelonCol* EndColumn) const;
    // Height of Text in the cell's columns with its font and wrapping, text borders included;
    // 0 for no text, -1 when the cell's columns have no width.
    int MeasureCellText(const TCarrelonCell* Cell, AnsiString Text);
    // The text the open editor holds (the cell's text while none is open).
    AnsiString EditorCurrentText() const;
    // The row height that TextHeight("A"), BorderForText and the line width make.
    int CalcDefaultRowHeight();

    TColor GetFixedColor() const { return TCustomGrid::GetFixedColor(); }
    void SetFixedColor(TColor Value);
    void SetBorderForText(int Value);

    void Invalidate() override;
    void Update() override;

    // Set by the editor while it (or an application-supplied control) is open, and by the
    // mouse handling from a press to its release.
    bool FEditorShowing = false;
    bool FMouseButtonDown = false;
    // ==== end of painting ====================================================================

    // Internal state shared with the other parts of the control.
    int FUpdateCount = 0;
    bool FPasting = false;
    bool FIniLoading = false;
    bool FMuteRowHeightsChanged = false;
    bool FSkipErase = false;
    bool FSkipNextPaint = false;
    TCarrelonCell* FHintCell = nullptr;
    TCarrelonCell* FPushedButtonCell = nullptr;
    TCarrelonCell* FPendingResizeCell = nullptr;
    TWinControl* FEditControl = nullptr;  // not owned
    std::unique_ptr<TFont> FFontShadow;
    int FColumnCounter = 0;

protected:
    void Loaded() override;
    // ---- painting ----
    void Paint() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void DrawCellDesignTime(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void DrawCellRunTime(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void DrawSortIndicator(const TRect& Rect);
    void WMEraseBkgnd(TMessage& Message) override;
    void WMNCCalcSize(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void SetBorderForTextField(int Value) { FBorderForText = Value; }

private:
    // ---- painting ----
    // Clip exclusions already made in the current paint pass, so each is made once.
    struct TPaintPass {
        TRect Excluded[3];
    };
    void ExcludeFixedBands(int ACol, int ARow);
    bool IsHeadingSlot(int ACol, int ARow) const;
    TColor FixedLineColor(bool Heading) const;
    void DrawCellText(TCanvas* C, TCarrelonCell* Cell, int ACol, int ARow, const TRect& R,
                      const AnsiString& T, bool Heading, bool Highlight);
    void DrawFixedEdges(TCanvas* C, int ACol, int ARow, const TRect& R, TGridDrawState AState,
                        const TCarrelonCol* EndColumn, bool Heading, bool Highlight);
    void DrawCellPicture(TCanvas* C, const TCarrelonCell* Cell, const TGraphic* G,
                         const TRect& R);
    void DrawCellCheckBox(TCanvas* C, const TCarrelonCell* Cell, const TRect& R);
    void DrawNeighbourBorders(TCanvas* C, const TCarrelonCell* Cell, int ACol, int ARow,
                              bool Fixed);
    void FitRowsAfterLock();
    void ApplyLineColourRule();
    void ApplyFixedLineContrast(TColor Value);
    void PushFontColour(TColor Colour);
    void PushFontAttribute(const TFont& Font, int Attribute);
    void DropOwnFonts();
    void ResetCellColours(bool Selected);
    TPaintPass FPaintPass;
    bool FRedrawOff = false;  // the lock switched redraw off and must switch it on again
    std::int32_t FLastWindowStyle = 0;
    bool Designing() const;
    bool Loading() const;
    // Enters the lock of a count setter: the editor gate, then one level up with redraw off
    // at the outermost level. False when the editor refuses to close.
    bool BeginCountChange();
    void EndCountChange();
    void SyncBaseFixedRows();
    void ClearSpreadsheetHeadersAtZero();
    // True when Cols x Rows slots stay within the cell budget.
    bool WithinBudget(long long Cols, long long Rows) const { return Cols * Rows <= FCellBudget; }
    void ShowOutOfMemory();
    void CreateModel();
    void DestroyModel();
    // Run-time parts other than the model: the in-place editor with its menu, the check-box
    // images.
    void CreateRunTimeParts();
    // Empties the selected list and fills it with the cells of the base selection rectangle,
    // column by column.
    void RefillSelectedCells();
    void SetRedraw(bool On);
    // True when a vertical merge reaches over the boundary above row R, or a horizontal one
    // over the boundary left of visible column K.
    bool MergeCrossesRow(int R) const;
    bool MergeCrossesCol(int K) const;

    bool FModel = false;
    std::vector<TCarrelonCol*> FCols;
    std::vector<TCarrelonCol*> FAbsoluteCols;
    std::vector<TCarrelonCol*> FHiddenCols;
    mutable bool FColumnsDirty = true;
    std::unique_ptr<TCarrelonSelection> FSelectedCells;

    int FOwnFixedRows = 0;
    int FAbsoluteFixedCols = 0;
    long long FCellBudget = DefaultCellBudget;

    TCarrelonOptions FCarrelonOptions;
    TCarrelonEditorOptions FEditorOptions;
    TCarrelonEditControlOptions FEditControlOptions;
    TCarrelonTabOptions FTabOptions;
    TCarrelonPrintOptions FPrintOptions;
    TCarrelonSpreadsheetOptions FSpreadsheetOptions;
    TCarrelonLoadedEvents FLoadedEvents;

    TColor FGridLineColor;
    TColor FFixedGridLineColor;
    TColor FEditColor;
    TColor FEditFontColor;
    TColor FSelectionColor;
    TColor FSelectionFontColor;
    TColor FSortIndicatorColor;
    int FSortColumn = 0;
    bool FSortDescending = false;
    bool FSortOnClick = false;
    bool FSortOnDblClick = false;
    bool FSortIndicator = false;
    TCarrelonCompareProc FCompareProc;
    AnsiString FExportTag;
    int FBorderForText = 2;
    bool FWordWrap = true;
    bool FHideSelection = false;
    bool FInplaceScrollBar = false;
    bool FSpreadsheetHeaders = false;
    bool FSpreadsheetEnabled = false;

    std::unique_ptr<TCarrelonPrintMargins> FPrintMargins;
    std::unique_ptr<TCarrelonPrintHeaderFooter> FPrintHeader;
    std::unique_ptr<TCarrelonPrintHeaderFooter> FPrintFooter;
    std::vector<std::unique_ptr<TCarrelonPrintOuterBorder>> FPrintOuterBorders;
    std::unique_ptr<TBitmap> FUncheckedImage;
    std::unique_ptr<TBitmap> FCheckedImage;
    TPopupMenu* FEditorPopupMenu = nullptr;  // owned as a component by the control
};

// Registers the control on the "Carrelon" palette page.
void Register();

}  // namespace carrelon
