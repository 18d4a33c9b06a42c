// TCarrelonPrivate: the state the control's files share and the control's internal routines.
// Not part of the interface: only the control's own files include this header (grid/,
// printing/ and exchange/ sources; tests only through tests/support/CarrelonTestAccess.h).
//
// How to add to it:
// - State: a field in the block of its responsibility below, named as the design names it
//   (FEditorShowing, FPasting, ...), with its initial value here; the constructor sets only
//   values that depend on the grid. The control's members read it as d->FName.
// - An internal routine: a member declared in its block here and defined in the file of its
//   responsibility (printing and exchange routines in printing/ and exchange/). Inside these
//   members the control is q (q->GetColCount()); the base grid's protected state and methods
//   are reached through q as well (q->FAnchor, q->MoveColRow(...)), since this class is the
//   control's friend.
// - Columns, cells and the selection keep their internals private and list this class and
//   TCarrelon as friends. Cells and columns are made and freed only by the column store
//   (grid/ColumnStore.h), which also makes every change of the column lists.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formulas/ReferenceRewrite.h"
#include "grid/Carrelon.h"
#include "grid/ColumnStore.h"
#include "platform/controls/Controls.h"
#include "platform/rtl/DateTime.h"

namespace carrelon {

class TBitmap;
class TCarrelonClipboardCell;
class TCarrelonClipboardCells;
class TComponent;
class TCanvas;
class TCarrelonFormulas;
class TCarrelonInplaceEditor;
class TCustomForm;
class TFont;
class TGraphic;
class TPopupMenu;

// Watches a cell while application handlers run: Alive() turns false when the cell is freed.
class TCellWatch {
public:
    TCellWatch(std::vector<TCarrelonCell*>& List, TCarrelonCell* Cell)
        : FList(List), FIndex(List.size()) {
        List.push_back(Cell);
    }
    ~TCellWatch() { FList.resize(FIndex); }
    TCellWatch(const TCellWatch&) = delete;
    TCellWatch& operator=(const TCellWatch&) = delete;
    bool Alive() const { return FList[FIndex] != nullptr; }

private:
    std::vector<TCarrelonCell*>& FList;
    std::size_t FIndex;
};

// A cell's outer border queued by the page renderer until the page's cells are drawn.
struct TCarrelonPrintOuterBorder {
    TRect CellRect;
    TRect BorderRect;
    TColor Color;
};

class TCarrelonPrivate {
public:
    explicit TCarrelonPrivate(TCarrelon* AGrid);
    ~TCarrelonPrivate();
    TCarrelonPrivate(const TCarrelonPrivate&) = delete;
    TCarrelonPrivate& operator=(const TCarrelonPrivate&) = delete;

    // The private part of a grid.
    static TCarrelonPrivate& Of(const TCarrelon* Grid) { return *Grid->d; }
    static TCarrelonPrivate& Of(const TCarrelon& Grid) { return *Grid.d; }

    TCarrelon* const q;

    // ==== Life cycle (grid/CarrelonCore.cpp) ====================================================
    bool Designing() const;
    bool Loading() const;
    void CreateModel();
    void DestroyModel();
    // Run-time parts other than the model: the check-box images.
    void CreateRunTimeParts();
    void ShowOutOfMemory();
    // True when the model exists (not in the form designer).
    bool FModel = false;
    int FColumnCounter = 0;  // the next column's creation number
    long long FCellBudget = TCarrelon::DefaultCellBudget;

    // ==== Columns and counts (grid/CarrelonCore.cpp, grid/CarrelonModel.cpp) ====================
    // Owns the columns and cells; every change of the lists goes through it.
    TCarrelonColumnStore FStore{q};
    // The store's lists, read-only.
    const std::vector<TCarrelonCol*>& FCols = FStore.Cols();  // visible, index = base-grid column
    const std::vector<TCarrelonCol*>& FAbsoluteCols = FStore.AbsoluteCols();  // all, in order
    const std::vector<TCarrelonCol*>& FHiddenCols = FStore.HiddenCols();      // hidden, in order
    // Brings the model and the base grid to Cols visible columns and Rows rows, both at least
    // the present counts. On growth beyond the cell budget or a failed allocation "Out of
    // memory" is shown and nothing changes; false then.
    bool GrowModel(int Cols, int Rows);
    // Tells the grid that a cell object is being freed, so it keeps no pointer to it.
    void CellFreed(TCarrelonCell* Cell);
    // Enters the lock of a count setter: the editor gate, then one level up with redraw off at
    // the outermost level. False when the editor refuses to close.
    bool BeginCountChange();
    void EndCountChange();
    void SyncBaseFixedRows();
    // Headings need a fixed row and a fixed column: switched off when either count reaches 0.
    void ClearSpreadsheetHeadersAtZero();
    // True when Cols x Rows slots stay within the cell budget.
    bool WithinBudget(long long Cols, long long Rows) const { return Cols * Rows <= FCellBudget; }
    // True when a vertical merge reaches over the boundary above row R.
    bool MergeCrossesRow(int R) const;
    // The absolute column before which the fixed columns end when N visible columns are to be
    // fixed, starting from Wanted and moved on (Raising) or back until no merge reaches over it.
    int FixedColumnBoundary(int N, int Wanted, bool Raising) const;
    // The visible columns whose absolute number is below A.
    int VisibleColumnsBefore(int A) const;
    // Checks the model's invariants; on failure returns false and, when Why is given, says
    // what is wrong.
    bool CheckModelInvariants(std::string* Why = nullptr) const;
    int FOwnFixedRows = 0;       // FixedRows; may equal RowCount
    int FAbsoluteFixedCols = 0;  // fixed columns counted among all columns

    // ==== Structural edits (grid/Structure.cpp) =================================================
    // The workers behind the public edits; their callers test the arguments. The first two
    // report "Out of memory" and change nothing when they cannot allocate.
    bool DoInsertRow(int ARow, bool CreateCells);
    void DoDeleteRow(int ARow);
    bool DoMoveRow(int From, int To);
    bool DoMoveColumn(int From, int To);
    bool InsertColumnObject(int ACol);
    // Base-grid moves made by the edits: heights and widths move without the grid reacting;
    // with Keep the current cell and anchor stay where they are.
    void MoveBaseRow(int From, int To, bool Keep);
    void MoveBaseColumn(int From, int To, bool Keep);
    // Lowers the fixed rows or the base grid's fixed columns by exactly one, as deleting or
    // hiding a fixed one does; headings go off (formulas kept on their cells) at 0.
    void LowerFixedRow();
    void LowerFixedCol();
    // In spreadsheet mode: rewrites every formula through the edit's mappings of absolute
    // column and row indexes, then recalculates.
    void RenumberAfterEdit(const TReferenceMap& ColMap, const TReferenceMap& RowMap);
    // Leaves the lock of a structural edit: repaints (column edits always, row edits at the
    // outermost level) and reopens the editor at the outermost level.
    void EndStructuralEdit(bool Columns);

    // ==== Merging and sorting (grid/Merge.cpp, grid/Sort.cpp) ===================================
    // The end of every merge: value and formula of the surviving cell, selection, recalculation
    // and re-measuring of ARow.
    struct TMergeScan;
    void FinishMerge(TCarrelonCell* Kept, const TMergeScan& Scan, bool TakeFormula, int ARow);
    // Splits a merged cell past the editor gate, without reopening the editor: the selection,
    // row fitting or repaint and recalculation follow. False ("Out of memory" shown) when the
    // cells for its slots cannot be had.
    bool SplitCell(TCarrelonCell* Cell);
    // One sort of the rows by the key column (grid/Sort.cpp).
    struct TSortRun;
    // True while a sort runs: a nested one is refused.
    bool FSorting = false;

    // ==== Base-grid state ========================================================================
    TGridCoord ReadFAnchor() const;
    void WriteFAnchor(TGridCoord Value);
    TGridCoord ReadFCurrent() const;
    void WriteFCurrent(TGridCoord Value);
    TGridCoord ReadFTopLeft() const;
    void WriteFTopLeft(TGridCoord Value);
    // The per-row height array; nil while every row has the default height.
    const std::vector<int>* ReadFRowHeights() const;
    // Sets the base grid's column width directly, bypassing the column object.
    void AssignInheritedColWidths(int Index, int Value);
    // Set the base grid's count with OnTopLeftChanged detached; the anchor and top-left keep
    // their coordinates, clamped to the new count.
    void UpdateInheritedColCount(int N);
    void UpdateInheritedRowCount(int N);

    // ==== Options and appearance =================================================================
    // Rebuilds the base grid's option word from its present value: the seven bits that follow
    // the control's options (range select, row select, sizing, moving, thumb tracking) come from
    // V, at design time the focus-selected bit too; the others (tabs among them) stay. Stored
    // without the base grid's setter.
    void ApplyBaseOptions(TCarrelonOptions V);
    TCarrelonOptions FCarrelonOptions;
    TCarrelonEditorOptions FEditorOptions;
    TCarrelonEditControlOptions FEditControlOptions;
    TCarrelonTabOptions FTabOptions;
    TCarrelonPrintOptions FPrintOptions;
    TCarrelonSpreadsheetOptions FSpreadsheetOptions;
    TCarrelonLoadedEvents FLoadedEvents;
    TColor FGridLineColor = 0;
    TColor FFixedGridLineColor = 0;
    TColor FEditColor = 0;
    TColor FEditFontColor = 0;
    TColor FSelectionColor = 0;
    TColor FSelectionFontColor = 0;
    TColor FSortIndicatorColor = 0;
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
    // A copy of the grid font after the previous font change.
    std::unique_ptr<TFont> FFontShadow;

    // ==== Editor (grid/EditorGate.cpp, grid/EditorPlacement.cpp, grid/EditorMessages.cpp) ======
    // The gate of every operation that changes what the editor shows: closes an open editor
    // with commit; true when it stays open (the application refused to leave the cell), and the
    // caller then abandons its work.
    bool CheckEditorMode();
    // Reopens the editor after such an operation where cloAlwaysShowEditor asks for it.
    void CheckAlwaysShowEditor();
    // Applies the current-cell reaction of a cell's CheckBox or Button change: Close closes the
    // editor, otherwise the always-show-editor rule applies; true when the editor opened or
    // closed.
    bool EditorReaction(bool Close);
    // Whether the grid is its form's active control (without a form: holds the focus).
    bool IsActiveControl() const;
    // Opening and closing behind SetEditorMode.
    void OpenEditor();
    void CloseEditor();
    void CloseInplaceEditor();
    // Stores an edited text in the current cell: a formula in spreadsheet mode, else the text.
    void CommitEdit(TCarrelonCell* Cell, const AnsiString& Text);
    // The end of every close once the editor is hidden: the commit and the row's fit (left to
    // the mouse release with DeferRowFit), or the rows' heights of the opening back; then
    // OnCellExit.
    void EndEdit(TCarrelonCell* Cell, const AnsiString& Text, bool Commit, int Col, int Row,
                 bool DeferRowFit);
    // The first index t in (From, Last] whose start lies at least Lift beyond From's: making it
    // the first scrollable index moves the content by Lift or more.
    static int FirstIndexLifting(const TGridAxis& Axis, int From, int Last, std::int64_t Lift);
    // The editor's rectangle over the current cell. When the cell's bottom lies below the
    // client area, TopRow moves down once, straight to the first row that lets it fit (never
    // past the cell's top row); what still does not fit is cut at the client's bottom. With
    // ScrollTo, TopRow is left to the caller: *ScrollTo is the top row to take (TopRow when
    // none), and the rectangle is where the cell will be then.
    TRect EditorRect(int* ScrollTo = nullptr);
    // Not read-only, not a check box, not a button.
    static bool CellTakesEditor(const TCarrelonCell* Cell);
    void HideEditor();
    // Repaints the editor and the part of the grid under it.
    void InvalidateEditor();
    void ShowEditorChar(char32_t Ch);
    void EditorPopupHandler(TObject* Sender);
    // The in-place editor follows the current cell after a scroll.
    void PlaceEditorAfterScroll();
    // Keys and drags the editor hands on to the grid's own handling.
    void GridKeyDown(Word& Key, TShiftState Shift);
    void GridKeyPress(char32_t& Key);
    void GridKeyUp(Word& Key, TShiftState Shift);
    void GridDragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    void GridDragDrop(TObject* Source, int X, int Y);
    // A cancel-mode request of the parent form: the editor gate. When the edit stays open, the
    // form's next close is refused (CloseQuery takes the place of its OnCloseQuery once).
    void DoCancelMode();
    void CloseQuery(TObject* Sender, bool& CanClose);
    // Puts the form's own close-query handler back (the grid goes).
    void ReleaseCloseQueryHook();
    // After the base grid's own navigation moved the current cell: the selected list follows
    // the new selection rectangle. True when the current cell moved.
    bool RelistAfterBaseMove(TGridCoord Before);
    // Application-supplied edit controls (grid/EditControl*.cpp). Opening: prepares, fills,
    // places, shows and hooks FEditControl over the editor rectangle R with the working text;
    // the view scrolls once, to TopRow ScrollTo or further when the control needs it. A control
    // that could not take the focus there is refused and no editor opens.
    void ShowEditControl(const AnsiString& Text, const TRect& R, int ScrollTo);
    // Closing: validates, reads back and commits; false when the control stays open.
    bool CloseEditControl();
    void SetEditControlFontColor(TColor Value);
    // The control's text into it by its class, after OnGetEditControlText; and its text out by
    // its class (OnGetEditControlResult not included).
    void SetEditControlText(AnsiString& Value);
    AnsiString EditControlText() const;
    // The window procedure installed on the control while it edits, and its steps.
    void EditControlWndProc(TMessage& Message);
    void EditControlKeyDown(TMessage& Message);
    void EditControlChildKey(TMessage& Message);
    void EditControlExit(TMessage& Message);
    // The key is the grid's: answered 1 and posted to the grid's window as WM_KEYDOWN.
    void PostKeyToGrid(TMessage& Message, std::intptr_t KeyData);
    void HookEditControl();
    void UnhookEditControl();
    // The offset of the grid's client area inside its window (its border).
    int EditControlBorder() const;
    // Keeps the open control on its cell after the grid moved or resized (AdjustEditControl),
    // and after a scroll.
    void AdjustEditControl();
    void PlaceEditControlAfterScroll();
    // The open control is being freed: the edit is cancelled and the control forgotten.
    void EditControlFreed();
    // The grid goes while a control is hooked: unhooked, its own state restored, hidden.
    void ReleaseEditControl();
    // The control's own window procedure while the hook is installed.
    TWndMethod FSavedEditControlWndProc;
    // The working text the control was filled with, and its text out right after the filling:
    // a close that reads the same text out again commits the working text (a control that
    // cannot hold the cell's text would otherwise rewrite it).
    AnsiString FEditControlFilledText;
    AnsiString FEditControlFilledResult;
    // Set while the editor (or an application-supplied control) is open.
    bool FEditorShowing = false;
    TWinControl* FEditControl = nullptr;  // not owned
    // Owned as components by the control, made at run time only.
    TCarrelonInplaceEditor* FInplaceEditor = nullptr;
    TPopupMenu* FEditorPopupMenu = nullptr;
    // The cell's text as the editor received it ("=" and the formula for a formula cell, empty
    // for a cell in formula error), and the heights of the cell's rows at the opening.
    AnsiString FEditOldText;
    int FEditOldRowHeight = 0;
    std::vector<int> FEditOldRowHeights;
    int FEditOldFirstRow = 0;
    // The close in progress discards the edit (Escape).
    bool FCancelEdit = false;
    // The next opening starts with an empty text (a typed character replaces the content).
    bool FClearOnOpen = false;
    // The editor's selected text when it was last reported.
    AnsiString FLastEditorSelText;
    bool FHidingEditor = false;
    bool FPlacingEditor = false;
    bool FEditorResizingRow = false;
    bool FClosingEditControl = false;
    // Set while a close asks the application: a nested close returns at once and the gate
    // answers True, so an operation started from the handler is refused.
    bool FClosingEditor = false;
    // The cell a commit is storing into; cleared when the cell is freed meanwhile.
    TCarrelonCell* FCommitCell = nullptr;

    // ==== Keyboard and focus (grid/Keyboard.cpp, grid/Focus.cpp) ================================
    // Steps of KeyDown after OnKeyDown: the editor keys, Space on a button, Enter's options, then
    // navigation to the target the key tables give, through the editor gate and DoFocusCell.
    void HandleKey(Word& Key, TShiftState Shift);
    // The target of a key with Ctrl, and without; clipboard keys act here and leave it.
    void CtrlKeyTarget(Word Key, TShiftState Shift, TGridCoord& T);
    void KeyTarget(Word Key, TShiftState Shift, TGridCoord& T);
    // The view a page key scrolls to (-1: left to the move).
    struct TPageView {
        int LeftCol = -1;
        int TopRow = -1;
    };
    TPageView PagingView(Word Key, TShiftState Shift, TGridCoord T) const;
    TGridCoord TabTarget(bool Forward);
    TGridCoord LeaveGridByTab(TGridCoord T);
    // The first column and row navigation may reach.
    int FirstNavigableCol() const;
    int FirstNavigableRow() const;
    // The current cell moves to (ACol, ARow): a button held down by Space elsewhere comes up.
    void CurrentCellLeaving(int ACol, int ARow);
    // The button cell shown pushed by Space until the key comes up.
    TCarrelonCell* FSpacePushedCell = nullptr;
    // Set while DoExit puts the focus back on the grid.
    bool FRefocusing = false;
    // The form whose OnCloseQuery the cancel-mode hook replaced, and its own handler.
    TCustomForm* FCloseQueryForm = nullptr;
    std::function<void(TObject* Sender, bool& CanClose)> FSavedCloseQuery;

    // ==== Clipboard keys (grid/ClipboardKeys.cpp) ================================================
    // Ctrl+C / Ctrl+Ins, Ctrl+X / Shift+Del, Ctrl+V / Shift+Ins, and Del.
    void CopySelectionToClipboard();
    void CutSelectionToClipboard();
    void PasteCellsFromClipboard();
    void ClearSelectionByKey();

    // ==== Clipboard (grid/Clipboard.cpp, grid/Paste.cpp) ========================================
    // Fills a clipboard record from a cell: its effective attributes, own hint and selected
    // colours, its borders and a copy of its graphic.
    void FillClipboardCell(TCarrelonClipboardCell& S, TCarrelonCell* Cell);
    // Puts the cells on the clipboard, the record and the text offered together: one cell with
    // its graphic (not an icon), several as one list. No editor gate; false when nothing was
    // copied.
    bool CopyCells(const std::vector<TCarrelonCell*>& Cells);
    // The TAB / CR LF text of the cells: the block over their top-left slots.
    AnsiString ClipboardTextOf(const std::vector<TCarrelonCell*>& Cells);
    // Replaces every listed cell by empty ones (one per slot it covered), fires OnCellCut for
    // its visible slots and leaves the current cell alone in the list. False ("Out of memory"
    // shown) when the cells could not all be replaced: those not cut stay listed.
    bool CutListedCells();
    // Applies a clipboard record to a target cell. ThroughValue sets a value through the cell's
    // Value (a cell's own paste); otherwise the formula is emptied and the value stored directly.
    void ApplyClipboardCell(const TCarrelonClipboardCell& S, TCarrelonCell* T, bool ThroughValue);
    // Reads the clipboard's component with the grid as owner and checks it whole: one of the
    // two clipboard classes, every field in range. Nil when the clipboard holds none or the
    // stream is bad (Bad then true).
    std::unique_ptr<TComponent> ReadClipboardComponent(bool& Bad);
    // The paste of a list of cells relative to the current cell, and of foreign text.
    bool PasteCellList(TCarrelonClipboardCells& Cells);
    bool PasteTextShape(const AnsiString& Text);
    // Grows the grid so that the visible column LastCol and the row LastRow exist, where the
    // paste options allow; false, with nothing changed, when that passes the largest count or
    // the cell budget. Targets the options do not let the grid reach are left as they are.
    bool GrowForPaste(long long LastCol, long long LastRow);
    // Every listed cell pastes itself (a single clipboard cell, or plain text); true when the
    // list held cells and every one succeeded.
    bool PasteIntoListedCells();
    // Cells a paste works on while application handlers run; a cell freed meanwhile is nulled
    // here, so the paste skips it (see TCellWatch).
    std::vector<TCarrelonCell*> FWatchedCells;

    // ==== Find and hints (grid/Find.cpp) =========================================================
    bool DoFind(const AnsiString& Text, const AnsiString* Replacement, TFindOptions Options);

    // ==== Mouse and hints (grid/Mouse.cpp) ======================================================
    TCarrelonCell* CellAt(TGridCoord P) const;
    // The slot may become current (outside the fixed parts unless they are selectable).
    bool SelectableSlot(TGridCoord P) const;
    // A header for sorting: a cell ending in the last fixed row.
    bool IsSortHeader(const TCarrelonCell* Cell) const;
    bool RangeMayReach(TGridCoord P) const;
    void DoubleClickPress(TGridCoord P, int X, int Y);
    void SingleClickPress(TGridCoord P, TShiftState Shift, int X, int Y);
    void BeginFixedDrag(TGridCoord P, int X, int Y);
    void DeselectByClick(TGridCoord P, TCarrelonCell* Cell);
    void PushButton(TCarrelonCell* Cell);
    void SortToggle(TGridCoord P);
    // The release by the state the press left.
    void FinishPress(int X, int Y);
    void FinishRowSizing();
    void FinishColSizing();
    void FinishMoving(int X, int Y);
    // The press is over (released, abandoned or its capture lost).
    void AbandonPress();
    // From a press to its release.
    bool FMouseButtonDown = false;
    // Written by the mouse press, read by the timed scroll.
    TDateTime FMouseDownTime = 0;
    bool FDragWait = false;
    TCarrelonCell* FHintCell = nullptr;
    TCarrelonCell* FPushedButtonCell = nullptr;
    TCarrelonCell* FPendingResizeCell = nullptr;

    // ==== Selection (grid/SelectionMoves.cpp) ====================================================
    // Puts the current cell on the first selectable cell and refills the selected list.
    void Initialize();
    // Clamps the current cell and anchor and rebuilds or prunes the selected list.
    void CheckSelection();
    // CheckSelection, also listing in Dropped the cells it took out of the list.
    void CheckSelectionDropping(std::vector<TCarrelonCell*>* Dropped);
    void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show, bool ClearList);
    void MoveAnchor(const TGridCoord& NewAnchor);
    bool DoFocusCell(int ACol, int ARow, int NewLeftCol, int NewTopRow, bool MoveAnchor);
    // Empties the selected list and fills it with the cells of the base selection rectangle,
    // column by column.
    void RefillSelectedCells();
    int HeadingOffset() const;
    bool InsideGrid(int ACol, int ARow) const;
    bool TargetOutsideFixed(int ACol, int ARow) const;
    TGridCoord SelectionView() const;
    TGridCoord ClampSelectionCoord(TGridCoord P) const;
    bool MayStaySelected(const TCarrelonCell* Cell) const;
    void ListSelectionRect(bool InvalidateAdded);
    void UpdateListByStrips(const TGridRect& Old, const TGridRect& New, bool Repaint);
    void ScrollToFixedBandTarget(int ACol, int ARow);
    bool CanFocusCell(int ACol, int ARow);
    bool LockDrawing();
    void UnlockDrawing(bool Locked);
    void ValidateClient();
    void RepaintAfterScroll();
    std::unique_ptr<TCarrelonSelection> FSelectedCells;
    // Set when SelectCell refused the move in progress.
    bool FSelectVetoed = false;

    // ==== Sizing (grid/RowFitting.cpp, grid/ColumnFitting.cpp, grid/SizingDrag.cpp) =============
    struct TRowFitScratch;
    // Fits the row to its contents when the options ask for it; true when its height changed.
    bool ResizeRow(int ARow);
    // ResizeRow of the cell's row after a change confined to that cell (its text, value or own
    // attributes): the same result, measuring only that cell when the row's tallest content is
    // known.
    bool ResizeRowForCell(TCarrelonCell* Cell);
    bool DoResizeRow(int ARow, bool Increase, bool Decrease, int EditorHeight);
    // Fits every row (each vertical-merge chain once); true when a height changed.
    bool FitAllRows(bool Increase, bool Decrease);
    std::pair<int, int> RowFitRange(int ARow) const;
    bool FitRowRange(int First, int Last, bool Increase, bool Decrease, int EditorHeight,
                     TRowFitScratch& S);
    void DoAutoSizeColumn(int ACol, bool ByUser);
    bool ResizeColumnByUser(int ACol, int NewWidth, int Least);
    int MeasureTextWidth(const TCarrelonCell* Cell, const AnsiString& Text);
    bool AutoSizeColumnList(const std::vector<int>& Indexes);
    // True when a sizing boundary lies under the client point.
    bool Sizing(int X, int Y);
    // The size a sizing drag gives at its current position.
    int CalcSizedColWidth() const;
    int CalcSizedRowHeight() const;
    // What fitting learnt of a row whose cells each lie within it: the need of its tallest
    // cells, how many cells at least have that need (0: nothing known), and the column of the
    // tallest cell while exactly one is known to be that tall (else -1). Valid while Epoch
    // equals FMeasureEpoch.
    struct TRowNeed {
        int Need = 0;
        int Count = 0;
        int MaxCol = -1;
        std::uint32_t Epoch = 0;
    };
    // The grid-wide inputs of measuring that the grid's own setters change.
    struct TMeasureInputs {
        int DefaultRowHeight = 0, GridLineWidth = 0, BorderForText = 0;
        int FixedRows = 0, FixedCols = 0;
        std::uint64_t Options = 0;
        std::intptr_t Font = 0;
        std::uint64_t Store = 0;  // the column store's changes
        bool WordWrap = false;
        bool operator==(const TMeasureInputs&) const = default;
    };
    // Everything measured so far may be stale: column widths, fonts, wrapping, merges or the
    // rows' cells changed. Code that moves cells between rows (sort) calls it too.
    void MeasuresChanged() { ++FMeasureEpoch; }
    // One cell of the row changed in a way its next fit will not be told of.
    void RowContentChanged(int ARow) {
        if (ARow >= 0 && ARow < static_cast<int>(FRowNeeds.size())) FRowNeeds[ARow].Count = 0;
    }
    // The tallest need among a row's cells as they are counted.
    struct TTallest {
        int Need = 0, Count = 0, MaxCol = -1;
        void Add(int Height, int Col) {
            if (Height > Need) {
                Need = Height;
                Count = 1;
                MaxCol = Col;
            } else if (Height == Need) {
                ++Count;
            }
        }
        TRowNeed Known(std::uint32_t Epoch) const {
            return {Need, Count, Count == 1 ? MaxCol : -1, Epoch};
        }
    };
    TRowNeed* KnownRowNeed(int ARow);
    void RememberRowNeed(int ARow, const TTallest& Tallest);
    // The need of a cell lying within its row; a button clears Remember.
    int NeedWithinRow(TCarrelonCell* Cell, int EditorHeight, bool& Remember);
    bool ApplyRowNeed(int ARow, int NewHeight, bool Increase, bool Decrease);
    // The need of a row none of whose cells reaches into another row, remembered; -1 for
    // other rows and while the editor is open.
    int SingleRowNeed(int ARow);
    // Rows First..Last were just made, each cell empty: their needs are remembered as the
    // first one's, so that the first edit of each measures only its own cell.
    void RememberNewRows(int First, int Last);
    std::vector<TRowNeed> FRowNeeds;
    // What a cell without own attributes needs in a column below the fixed rows, by the
    // column's absolute number: for an empty text and for one line, with what tells a text of
    // one line (the font's measures, the text width and wrapping; no measures when only
    // measuring tells). Valid while Epoch equals FMeasureEpoch.
    struct TColumnNeed {
        std::uint32_t Epoch = 0;
        int Empty = 0, Line = 0;
        const TFontMeasures* Measures = nullptr;
        int Width = 0;
        bool Wrap = false;
        bool Button = false;  // the column's cells show buttons
    };
    std::vector<TColumnNeed> FColumnNeeds;
    // The cell's need from its column's, without measuring; -1 when it must be measured.
    int QuickCellNeed(const TCarrelonCell* Cell);
    std::uint32_t FMeasureEpoch = 1;
    TMeasureInputs FMeasureInputs;
    // The direction of the last height change made by row fitting.
    bool FRowShrinking = false;
    // While set, the base grid's row-heights notification is not acted on.
    bool FMuteRowHeightsChanged = false;

    // ==== Update lock and repaint (grid/Repaint.cpp) =============================================
    // Enters the lock; true when this call raised the depth (only then may it leave it).
    bool TryDisableControls();
    // True when a cell or column may issue a repaint now.
    bool CanRepaint() const;
    void SetRedraw(bool On);
    void FitRowsAfterLock();
    int FUpdateCount = 0;
    bool FRedrawOff = false;  // the lock switched redraw off and must switch it on again
    bool FSkipErase = false;
    bool FSkipNextPaint = false;
    bool FPasting = false;
    bool FIniLoading = false;
    std::int32_t FLastWindowStyle = 0;

    // ==== Painting (grid/Paint*.cpp) =============================================================
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
    // The width and DrawTextA flags measuring the cell's text uses; false when the cell's
    // columns have no width.
    bool TextBox(const TCarrelonCell* Cell, int& Width, unsigned& Flags);
    // The text the open editor holds (the cell's text while none is open).
    AnsiString EditorCurrentText() const;
    // The row height that TextHeight("A"), BorderForText and the line width make.
    int CalcDefaultRowHeight();
    void DrawCellDesignTime(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void DrawCellRunTime(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void DrawSortIndicator(const TRect& Rect);
    void ExcludeFixedBands(int ACol, int ARow);
    bool IsHeadingSlot(int ACol, int ARow) const;
    TColor FixedLineColor(bool Heading) const;
    // One slot being painted at run time (grid/PaintCell.cpp).
    struct TCellPaint;
    // Clip exclusions already made in the current paint pass, so each is made once.
    struct TPaintPass {
        TRect Excluded[3];
    };
    TPaintPass FPaintPass;
    // The check-box images (run time only).
    std::unique_ptr<TBitmap> FUncheckedImage;
    std::unique_ptr<TBitmap> FCheckedImage;

    // ==== Appearance (grid/Appearance.cpp) =======================================================
    void ApplyLineColourRule();
    void ApplyFixedLineContrast(TColor Value);
    void PushFontColour(TColor Colour);
    void PushFontAttribute(const TFont& Font, int Attribute);
    void DropOwnFonts();
    void ResetCellColours(bool Selected);

    // ==== Formulas (grid/FormulaBridge.cpp) ======================================================
    // Evaluates the cell's formula into its value; true when the value changed.
    bool AnalyzeExpression(TCarrelonCell* Cell);
    // The recalculation that follows an edit of one cell (its text, value or formula): made
    // before the cell changes, run after. While the stored values are what the full passes
    // give, it evaluates only the formula cells that read the cell, directly or through other
    // formulas, those calling now, today or rand and those marked stale, in the order and with
    // the events of the full passes, and the results of the other formulas are kept from
    // earlier recalculations. Otherwise, or while OnRecalculateCell is assigned, it runs the
    // full passes over every formula but the cell.
    class TEditRecalculation {
    public:
        TEditRecalculation(TCarrelonPrivate& P, TCarrelonCell* Cell);
        ~TEditRecalculation();
        TEditRecalculation(const TEditRecalculation&) = delete;
        TEditRecalculation& operator=(const TEditRecalculation&) = delete;
        bool Run();

    private:
        bool CanUseDependencies() const;
        void StopKeeping();
        TCarrelonPrivate& P;
        TCarrelonCell* FCell;
        TCarrelonCell* FOuterCell = nullptr;
        bool FKeeping = false;
        std::vector<TCarrelonCell*> FAffected;
    };
    // The passes of a recalculation over every formula cell, or over those in Only.
    bool RecalculatePasses(TCarrelonCell* ExceptCell, const std::vector<TCarrelonCell*>* Only);
    // The text of a spreadsheet heading slot (letters in row 0, numbers in column 0), else "".
    AnsiString SpreadsheetHeadingText(int ACol, int ARow) const;
    // Rewrites the references of every formula (all absolute columns, a merged cell once)
    // through mappings of A1 column and row numbers; an empty mapping keeps that part. Cells
    // whose start column is MovedCol use MovedColMap for columns instead. Raw writes: no
    // recalculation, no events.
    void RenumberFormulas(const TReferenceMap& ColMap, const TReferenceMap& RowMap,
                          const TCarrelonCol* MovedCol = nullptr,
                          const TReferenceMap& MovedColMap = nullptr);
    // The same, where the cells Moved answers true for take MovedColMap and MovedRowMap.
    void RenumberFormulas(const TReferenceMap& ColMap, const TReferenceMap& RowMap,
                          const std::function<bool(const TCarrelonCell*)>& Moved,
                          const TReferenceMap& MovedColMap, const TReferenceMap& MovedRowMap);
    // Moves every reference by one row and column so that it keeps naming its cell when
    // headings are switched on (true) or off; raw writes.
    void ShiftFormulasForHeadings(bool HeadingsOn);
    // Keep the registry of formula cells: the cell calls the first when its formula is
    // written, CellFreed the second.
    void FormulaWritten(TCarrelonCell* Cell, bool HasFormula);
    void FormulaCellFreed(TCarrelonCell* Cell);
    // The grid's formula state, made on first use.
    TCarrelonFormulas& Formulas();
    void InvalidateSpreadsheetHeadings();
    std::unique_ptr<TCarrelonFormulas> FFormulas;
    bool FSpreadsheetHeaders = false;
    bool FSpreadsheetEnabled = false;

    // ==== Plain text and bitmap (exchange/TextFormats.cpp, exchange/BitmapRendering.cpp) ======
    // A text staged for a load: its lines, how a line splits into fields, how a field becomes
    // a cell's text, and the row rule.
    struct TTextLoad;
    // Fills the data area from a staged text inside the update lock with spreadsheet mode off.
    // Refused before the grid changes (false) when the counts the text needs pass the clamp or
    // the cell budget, or the grid cannot grow; false also when a handler shrank the grid so
    // that some field found no cell.
    bool LoadText(const TTextLoad& Load);
    // Reads the whole file and splits it into lines for Load, then loads it; false without any
    // change when the editor stays open or the file cannot be read whole.
    bool LoadTextFile(const AnsiString& FileName,
                      std::vector<std::string_view> (*SplitLines)(std::string_view),
                      TTextLoad& Load);
    // The largest file a text load reads.
    static constexpr Int64 DefaultTextFileLimit = Int64{1} << 30;
    Int64 FTextFileLimit = DefaultTextFileLimit;
    // Set while SaveToBitmap paints: Paint then runs whatever the lock or a pending skip says.
    bool FRenderingBitmap = false;

    // ==== Printing (printing/) ===================================================================
    // The print entry points' common path: the range check, the refusal of a print inside a
    // running one (and, in modes 2 and 3, of one without an open job), the editor gate, then
    // DoPrint on the printer's canvas, or on a metafile that Image (nil: none) then shows. The
    // editor is reopened however the print ends. -1 when refused.
    int RunPrint(int APage, int AMode, int ATop, double AFraction, int FromCol, int FromRow,
                 int ToCol, int ToRow);
    int RunPreview(TImage* Image, int APage, int FromCol, int FromRow, int ToCol, int ToRow);
    // The first row and column of the whole-grid range: 1 while the headings are shown but not
    // printed, else 0.
    int PrintRangeStart() const;
    std::unique_ptr<TCarrelonPrintMargins> FPrintMargins;
    std::unique_ptr<TCarrelonPrintHeaderFooter> FPrintHeader;
    std::unique_ptr<TCarrelonPrintHeaderFooter> FPrintFooter;
    // Outer borders queued by the page renderer until the page's cells are drawn.
    std::vector<TCarrelonPrintOuterBorder> FPrintOuterBorders;
};

}  // namespace carrelon
