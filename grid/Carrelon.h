// TCarrelon, the grid control: everything an application uses. Including this header gives the
// control, its columns, cells and selection, the option sets and the event types.
//
// The base grid keeps geometry, scrolling and the current-cell coordinates; the control owns the
// cell model: one TCarrelonCol per column, each holding one TCarrelonCell per row, a merged
// range being one cell object in every slot it covers. Columns are counted three ways: the
// visible ones (index = base-grid column), all of them in absolute order (hidden ones included;
// formulas and merges count these), and the hidden ones.
//
// How to add to the control:
// - A public property, event or operation: declare it here, in its block (properties as Get/Set
//   pairs, events as public handlers, operations below them) with a one-line comment where the
//   name does not say it all; define it in the file of its responsibility (grid/*.cpp; printing
//   and exchange operations in printing/ and exchange/).
// - Internal state and internal routines: never here. They belong to TCarrelonPrivate in
//   grid/CarrelonPrivate.h (the rules are at its top); member bodies reach them through d->.
// - An override of a base-grid virtual method or message handler, a virtual the control adds
//   for descendants (CellChanged) and the workers behind a family of operations that the
//   design names (DoPrint, DoSaveToIniFile, DoExportToWord, ...): the protected block below,
//   in the block of their responsibility. Nothing else is protected.
#pragma once

#include <memory>
#include <vector>

#include "grid/CarrelonBorders.h"
#include "grid/CarrelonCell.h"
#include "grid/CarrelonCol.h"
#include "grid/CarrelonEvents.h"
#include "grid/CarrelonOptions.h"
#include "grid/CarrelonPrintSettings.h"
#include "grid/CarrelonTypes.h"
#include "grid/ClipboardCells.h"
#include "grid/Selection.h"
#include "platform/controls/Dialogs.h"
#include "platform/grids/Grids.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"

namespace carrelon {

class TBitmap;
class TCarrelonPrivate;
class TImage;
class TStrings;

// An INI text the grid cannot load: the section and the line (as it stands; empty when the
// reason concerns the section as a whole) where the load stopped, and why. The grid is left as
// it was.
class EIniLoadError : public EConvertError {
public:
    EIniLoadError(const AnsiString& ASection, const AnsiString& ALine, const AnsiString& AReason)
        : EConvertError("INI text, section [" + ASection + "]" +
                        (ALine.empty() ? AnsiString() : ", line \"" + ALine + "\"") + ": " +
                        AReason),
          Section(ASection),
          Line(ALine),
          Reason(AReason) {}
    AnsiString ClassName() const override { return "EIniLoadError"; }
    AnsiString Section;
    AnsiString Line;
    AnsiString Reason;
};

class TCarrelon : public TCustomGrid {
public:
    explicit TCarrelon(TComponent* AOwner);
    ~TCarrelon() override;
    AnsiString ClassName() const override { return "TCarrelon"; }
    static AnsiString StaticClassName() { return "TCarrelon"; }

    // The largest ColCount and RowCount.
    static constexpr int MaxCount = 134217725;
    static constexpr long long DefaultCellBudget = 100'000'000;

    // ==== Properties ============================================================================

    // -- Size and fixed parts --
    int GetColCount() const { return TCustomGrid::GetColCount(); }
    void SetColCount(int Value);  // clamped to 1..MaxCount; hidden columns are never removed
    int GetRowCount() const { return TCustomGrid::GetRowCount(); }
    void SetRowCount(int Value);  // clamped to 1..MaxCount
    int GetFixedCols() const { return TCustomGrid::GetFixedCols(); }
    void SetFixedCols(int Value);
    // May equal RowCount: every row fixed.
    int GetFixedRows() const;
    void SetFixedRows(int Value);
    int GetDefaultColWidth() const { return TCustomGrid::GetDefaultColWidth(); }
    void SetDefaultColWidth(int Value);
    int GetDefaultRowHeight() const { return TCustomGrid::GetDefaultRowHeight(); }
    void SetDefaultRowHeight(int Value);
    int GetColWidths(int Index) const { return TCustomGrid::GetColWidths(Index); }
    void SetColWidths(int Index, int Value);
    int GetRowHeights(int Index) const { return TCustomGrid::GetRowHeights(Index); }
    void SetRowHeights(int Index, int Value);
    int GetGridLineWidth() const { return TCustomGrid::GetGridLineWidth(); }
    void SetGridLineWidth(int Value);
    // Columns counted with the hidden ones, and the hidden ones alone.
    int GetAbsoluteColCount() const;
    int GetHiddenColCount() const;
    // The most cell slots (columns x rows, hidden columns included) the grid may hold; growth
    // beyond it takes the "Out of memory" path.
    long long GetCellBudget() const;
    void SetCellBudget(long long Value);

    // -- Scroll position and current cell --
    // -1 when every row is fixed.
    int GetTopRow() const;
    void SetTopRow(int Value);
    int GetLeftCol() const { return TCustomGrid::GetLeftCol(); }
    void SetLeftCol(int Value);
    int GetVisibleRowCount() const;
    // The current cell; -1 when there is none (every row fixed).
    int GetCol() const { return TCustomGrid::GetCol(); }
    void SetCol(int Value);
    int GetRow() const { return TCustomGrid::GetRow(); }
    void SetRow(int Value);
    // True while the in-place editor or an application-supplied control is open. Setting it
    // opens the editor on the current cell (when the options and the cell allow) or closes it,
    // committing the edit; a close the application refuses leaves it open.
    bool GetEditorMode() const;
    void SetEditorMode(bool Value);

    // -- Columns and cells --
    // Index ranges are checked: a bad index raises the list's index error.
    TCarrelonCol* GetCols(int Index) const;
    TCarrelonCol* GetAbsoluteCols(int Index) const;
    TCarrelonCol* GetHiddenCols(int Index) const;
    // The cell in a slot of the visible grid (a merged cell in every slot it covers).
    TCarrelonCell* GetCells(int ACol, int ARow) const;
    // The same, by absolute column number.
    TCarrelonCell* GetAbsoluteCells(int ACol, int ARow) const;
    // The object an application attached to a cell; never freed by the grid unless
    // cloFreeCellObjects is set.
    TObject* GetObjects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, TObject* Obj);
    bool GetTabStops(int Index) const;
    void SetTabStops(int Index, bool Value);
    // The selected cells (a merged range listed once); nil in the form designer.
    TCarrelonSelection* GetSelectedCells() const;

    // -- Behaviour --
    TCarrelonOptions GetOptions() const;
    void SetOptions(TCarrelonOptions Value);
    TCarrelonEditorOptions GetEditorOptions() const;
    void SetEditorOptions(TCarrelonEditorOptions Value);
    TCarrelonEditControlOptions GetEditControlOptions() const;
    void SetEditControlOptions(TCarrelonEditControlOptions Value);
    TCarrelonTabOptions GetTabOptions() const;
    void SetTabOptions(TCarrelonTabOptions Value);
    // What Loaded does once the control is read from a form stream.
    TCarrelonLoadedEvents GetLoadedEvents() const;
    void SetLoadedEvents(TCarrelonLoadedEvents Value);
    // The word wrap new columns take; setting it makes every column and cell wrap alike.
    bool GetWordWrap() const;
    void SetWordWrap(bool Value);
    bool GetHideSelection() const;
    void SetHideSelection(bool Value);
    bool GetInplaceScrollBar() const;
    void SetInplaceScrollBar(bool Value);

    // -- Colours and text placement --
    TColor GetFixedColor() const { return TCustomGrid::GetFixedColor(); }
    void SetFixedColor(TColor Value);
    TColor GetGridLineColor() const;
    void SetGridLineColor(TColor Value);
    TColor GetFixedGridLineColor() const;
    void SetFixedGridLineColor(TColor Value);
    TColor GetSelectionColor() const;
    void SetSelectionColor(TColor Value);
    TColor GetSelectionFontColor() const;
    void SetSelectionFontColor(TColor Value);
    TColor GetEditColor() const;
    void SetEditColor(TColor Value);
    TColor GetEditFontColor() const;
    void SetEditFontColor(TColor Value);
    // Pixels between a cell's edge and its text.
    int GetBorderForText() const;
    void SetBorderForText(int Value);

    // -- Sorting --
    int GetSortColumn() const;
    void SetSortColumn(int Value);
    bool GetSortDescending() const;
    void SetSortDescending(bool Value);
    bool GetSortOnClick() const;
    void SetSortOnClick(bool Value);
    bool GetSortOnDblClick() const;
    void SetSortOnDblClick(bool Value);
    // The triangle in the last fixed row of the sort column.
    bool GetSortIndicator() const;
    void SetSortIndicator(bool Value);
    TColor GetSortIndicatorColor() const;
    void SetSortIndicatorColor(TColor Value);
    // The text comparison of sorting; nil restores the default comparison.
    TCarrelonCompareProc GetCompareProc() const;
    void SetCompareProc(TCarrelonCompareProc Value);

    // -- Spreadsheet --
    // Text beginning with "=" becomes a formula, evaluated and recalculated.
    bool GetSpreadsheetEnabled() const;
    void SetSpreadsheetEnabled(bool Value);
    // Lettered column headings in row 0 and numbered row headings in column 0.
    bool GetSpreadsheetHeaders() const;
    void SetSpreadsheetHeaders(bool Value);
    TCarrelonSpreadsheetOptions GetSpreadsheetOptions() const;
    void SetSpreadsheetOptions(TCarrelonSpreadsheetOptions Value);

    // -- Printing and exchange --
    TCarrelonPrintOptions GetPrintOptions() const;
    void SetPrintOptions(TCarrelonPrintOptions Value);
    TCarrelonPrintMargins* GetPrintMargins() const;
    TCarrelonPrintHeaderFooter* GetPrintHeader() const;
    TCarrelonPrintHeaderFooter* GetPrintFooter() const;
    // The placeholder that stands for a line break inside cell text in saved and exported text.
    AnsiString GetExportTag() const;
    void SetExportTag(const AnsiString& Value);

    // The version text; the setter ignores its value.
    AnsiString GetAbout() const;
    void SetAbout(const AnsiString&) {}

    // ==== Events ================================================================================
    // Each handler gets the grid as Sender; reference parameters are the handler's answer and
    // hold the default (allowing the action) on entry. Unassigned means no handler.

    // -- Current cell and selection --
    // Before every move of the current cell; CanSelect := False refuses it.
    TSelectCellEvent OnSelectCell;
    // Before the anchor of a range moves, and before a focus move that keeps the anchor.
    TCarrelonSelectRangeEvent OnSelectRange;
    TCarrelonNotifyEvent OnCellDeselected;

    // -- Editing --
    // Before an edited text is stored; the handler may change it or refuse to leave the cell.
    TCarrelonCellChangedEvent OnCellChanged;
    TCarrelonNotifyEvent OnCellExit;
    TCarrelonKeyPressExEvent OnKeyPressEx;
    TCarrelonEditorSelectionChangedEvent OnEditorSelectionChanged;
    // An application-supplied edit control for a cell, and the text moved into and out of it.
    TCarrelonGetEditControlEvent OnGetEditControl;
    TCarrelonGetEditControlTextEvent OnGetEditControlText;
    TCarrelonGetEditControlResultEvent OnGetEditControlResult;
    TCarrelonEditControlValidateErrorEvent OnEditControlValidateError;

    // -- Cell content --
    TCarrelonCellTextChangedEvent OnCellTextChanged;
    TCarrelonCheckBoxChangedEvent OnCheckBoxChanged;
    TCarrelonNotifyEvent OnButtonClicked;
    // The text as it is drawn, shortened where it did not fit.
    TCarrelonDisplayTextEvent OnDisplayText;
    TCarrelonShowHintEvent OnShowHint;

    // -- Rows and columns --
    TCarrelonColRowResizedEvent OnColumnWidthChanged;
    TCarrelonColRowResizedEvent OnColumnResized;
    TCarrelonColRowResizedEvent OnRowResized;
    // Before row fitting changes a row's height; the handler may change or refuse it.
    TCarrelonResizeRowEvent OnResizeRow;
    TCarrelonColRowStartDragEvent OnColumnStartDrag;
    TCarrelonColRowDragDropEvent OnColumnDragDrop;
    TCarrelonColRowStartDragEvent OnRowStartDrag;
    TCarrelonColRowDragDropEvent OnRowDragDrop;
    // After MoveRow and MoveColumn, with the visible indexes.
    TMovedEvent OnRowMoved;
    TMovedEvent OnColumnMoved;
    TCarrelonShowScrollBarsEvent OnShowScrollBars;

    // -- Sorting --
    TNotifyEvent OnStartSort;
    TCarrelonCompareCellsEvent OnCompareCells;
    TNotifyEvent OnEndSort;

    // -- Clipboard and clearing --
    TCarrelonPasteEvent OnPaste;
    TCarrelonPastePlainTextEvent OnPastePlainText;
    TCarrelonPasteGraphicsEvent OnPasteGraphics;
    TCarrelonNotifyEvent OnCellCut;
    TCarrelonClearCellEvent OnClearCell;
    TCarrelonNotifyEvent OnCellCleared;

    // -- Formulas --
    // Before a formula cell is evaluated; the handler may supply the value instead.
    TCarrelonRecalculateCellEvent OnRecalculateCell;
    // After a formula cell's value changed; the handler may rewrite the shown text.
    TCarrelonCellRecalculatedEvent OnCellRecalculated;
    TNotifyEvent OnRecalculated;

    // -- Printing and exchange --
    TCarrelonPrintEvent OnPrintPageBegin;
    TCarrelonPrintEvent OnPrintPageContinued;
    // Stop := True ends the export or import, which then returns False.
    TCarrelonExportImportProgressEvent OnExportProgress;
    TCarrelonExportImportProgressEvent OnImportProgress;

    // ==== Operations ============================================================================

    // -- Current cell and selection --
    // Moves the current cell to a selectable cell; the selected list is rebuilt. False when
    // refused (the editor stays open, the cell is not selectable, or a handler vetoed).
    bool FocusCell(int ACol, int ARow);
    // The same, but a multi-cell selection is kept as far as the options allow.
    bool FocusCellEx(int ACol, int ARow);
    // Selects the rectangle of visible slots; False for a bad rectangle or an open editor.
    bool SetSelection(int ALeft, int ATop, int ARight, int ABottom);
    // True for every slot of the current (merged) cell.
    bool IsCurrentCell(const TCarrelonCell* Cell) const;

    // -- Editing --
    // The selection inside the open in-place editor (positions count characters, a line break
    // two); False when the in-place editor is not open.
    bool SetEditorSelection(int SelStart, int SelLength);
    bool GetEditorSelection(int& SelStart, int& SelLength, AnsiString& SelText) const;

    // -- Geometry --
    // The screen rectangle of the (merged) cell in a slot, without its line strips; empty when
    // it is scrolled under the fixed parts.
    TRect CellRect(int ACol, int ARow) const;
    // The top-left slot of the cell under a client point; False when there is none.
    bool MouseToCell(int X, int Y, int& ACol, int& ARow) const;

    // -- Structure --
    // Indexes are those of the visible grid. Each returns False when refused: an index out of
    // range, a move across the boundary of the fixed part, the last row, column or scrollable
    // column, or the editor staying open. In spreadsheet mode the formulas are rewritten so
    // that they keep naming their cells, then recalculated.
    // Inserts a row before ARow (rows are appended through RowCount); a row inserted inside a
    // vertical merge joins it.
    bool InsertRow(int ARow);
    // Inserts a row before ARow, or after it when After; with ACount > 0 the new row is merged
    // with row ARow in the first ACount columns.
    bool InsertRowEx(int ACount, int ARow, bool After);
    bool DeleteRow(int ARow);
    // Inserts a column before ACol; a horizontal merge over the place grows by it.
    bool InsertColumn(int ACol);
    bool DeleteColumn(int ACol);
    // Moves a visible column to the hidden ones; it keeps its cells and width.
    bool HideColumn(int ACol);
    // Shows a hidden column again; its new visible index, or -1 when refused.
    int ShowHiddenColumn(int HiddenIndex);
    // Moves a row or column with its cells; OnRowMoved or OnColumnMoved follows.
    bool MoveRow(int FromIndex, int ToIndex);
    bool MoveColumn(int FromIndex, int ToIndex);

    // -- Merging and sorting --
    // Each merge joins the display texts of the non-empty cells with the separators (a single
    // value keeps its type) into the surviving top-left cell; False when refused or when the
    // slots already hold one cell. Merges never cross the boundary of the fixed part and cover
    // hidden columns between visible ones.
    bool MergeHoriz(int FromCol, int ToCol, int ARow, const AnsiString& Separator);
    bool MergeVert(int ACol, int FromRow, int ToRow, const AnsiString& Separator);
    // Rect holds visible columns and rows, inclusive; it grows until it cuts no merge. RowMajor
    // joins the texts row by row, else column by column.
    bool MergeRect(const TRect& Rect, bool RowMajor, const AnsiString& ColSeparator,
                   const AnsiString& RowSeparator);
    // Sorts the rows below the fixed ones by SortColumn; every column, the row heights, merges
    // and the current cell follow. Rows with equal keys keep their order.
    bool Sort();
    bool RowIsEmpty(int ARow) const;
    bool ColumnIsEmpty(int ACol) const;

    // -- Clipboard --
    // Copies every cell from the first row and column after the spreadsheet headings on (other
    // fixed cells included), with its formatting and as TAB / CR LF text; False when the editor
    // stays open.
    bool CopyToClipboard();
    // Pastes the clipboard: copied cells relative to the current cell (one copied cell into
    // every selected cell), text as a block, a row or a column from the current cell (one field
    // into every selected cell), else a picture into the current cell. Targets past the last
    // column or row make the grid grow under cloAddColsOnPaste / cloAddRowsOnPaste and are left
    // out otherwise. True when everything offered was pasted; a refusal by a handler or a
    // read-only target makes it False while the other targets are still pasted. An unreadable
    // clipboard, or a paste needing more than the grid may hold, changes nothing.
    bool PasteFromClipboard();
    // Empties the selected cells that are not read-only, check boxes or buttons, asking
    // OnClearCell for each; nothing when the editor stays open.
    void ClearSelection();

    // -- Find and replace --
    // Walks the cells row by row from the current cell (forward with frDown, else backward, no
    // wrap-around) for a cell whose text holds FindText and makes it current. frMatchCase
    // compares exactly; without it letters compare regardless of case (ASCII, and the Latin,
    // Greek and Cyrillic letters whose two cases have the same length in UTF-8). frWholeWord
    // asks for FindText as a word of its own. A match the current cell cannot move to (a fixed
    // or heading cell, a vetoed move) is passed over. False when nothing matched, FindText is
    // empty, there is no current cell or the editor stays open.
    bool Find(const AnsiString& FindText, TFindOptions Options);
    // The same search; with frReplace the current cell itself is searched first and the match
    // gets every occurrence replaced, with frReplaceAll every matching cell to the end (also
    // those the current cell cannot move to). True when a cell matched.
    bool FindAndReplace(const AnsiString& FindText, const AnsiString& ReplaceText,
                        TFindOptions Options);

    // -- Fitting sizes to content --
    // Each returns True when a size changed, False when nothing changed or the editor stays
    // open. The Ex forms fit the listed rows or columns only.
    bool AutoSizeRow(int ARow);
    bool AutoSizeRows();
    bool AutoSizeRowsEx(const std::vector<int>& Rows);
    bool AutoSizeColumn(int ACol);
    bool AutoSizeColumns();
    bool AutoSizeColumnsEx(const std::vector<int>& Cols);

    // -- Formulas --
    // Recalculates every formula cell but ExceptCell, in passes until no value changes; True
    // when some value changed.
    bool Recalculate(TCarrelonCell* ExceptCell);
    // The cell of the visible grid named by an A1 name; a bad name raises EConvertError.
    TCarrelonCell* CellByName(const AnsiString& Name) const;

    // -- Printing --
    // Each prints on Printer() and returns -1 when refused: a bad argument, an editor that stays
    // open, a print already running (a page event printing again), or a grid whose whole range is
    // empty (only the unprinted headings).
    // The whole grid, every page; the printer's last page number.
    int Print();
    // Lays out the whole grid but prints only page APage (0 or past the end: a blank sheet).
    int PrintPage(int APage);
    // The inclusive range of visible columns and rows.
    int PrintRange(int FromCol, int FromRow, int ToCol, int ToRow);
    // Draws page APage into Image (nil: none) as a picture of the printed page, the image taking
    // the page's shape; returns the page count. APage -1 draws every page over one another.
    int PrintPreview(TImage* Image, int APage);
    int PrintPreviewRange(int FromCol, int FromRow, int ToCol, int ToRow, TImage* Image, int APage);
    // Several grids (or a grid and the application's own drawing) in one printed document:
    // BeginPrint opens the job, prints the grid and leaves its last page open; ContinuePrint and
    // EndPrint go on on that page, ATop screen pixels plus AFraction of the page height below
    // its top (AFraction outside 0..1 counts as 0), without a header. BeginPrint and
    // ContinuePrint return the position below the grid in screen pixels, the ATop of the next
    // call; EndPrint prints the last footer, closes the job and returns the last page number.
    // ContinuePrint and EndPrint return -1 when no job is open.
    int BeginPrint();
    int ContinuePrint(int ATop, double AFraction);
    int EndPrint(int ATop, double AFraction);

    // -- INI text --
    // The whole state of the grid (properties, print settings, row heights, columns, cells with
    // their values, formulas, formats, pictures, borders and merges) as INI text. Each returns
    // False, doing nothing, when the editor stays open.
    // Replaces the file: the text is written beside it and renamed over it, so a failure raises
    // and leaves the old file as it was.
    bool SaveToIniFile(const AnsiString& FileName);
    // Appends the text to the list's lines; False for nil.
    bool SaveToIniStrings(TStrings* Strings);
    // Replace the grid's whole state with the text's; False for a missing file or a nil list.
    // Texts of older versions load too. A text the grid cannot take raises EIniLoadError (a
    // file too large or unreadable, the platform's file error) and changes nothing.
    bool LoadFromIniFile(const AnsiString& FileName);
    bool LoadFromIniStrings(TStrings* Strings);

    // -- Plain text and bitmap --
    // The display texts of the data area (spreadsheet headings left out) as lines of fields
    // joined by TAB, nothing quoted; a merged cell's text in every slot it covers. False when
    // the editor stays open or Strings is nil.
    bool SaveToStrings(TStrings* Strings);
    // Lines of TAB-separated fields into the data area, one line per row from its first row.
    // Rows and columns only grow; cells the text does not reach keep their content. False when
    // the editor stays open, Strings is nil, the grid cannot grow as far as the text needs, or
    // a handler shrank the grid while the cells were set.
    bool LoadFromStrings(TStrings* Strings);
    // The same from a tab-delimited file: fields may be double-quoted, a quoted field keeping
    // its TABs and line breaks. False also when the file cannot be read whole (missing, not a
    // regular file, larger than the size limit); the grid is then as it was.
    bool LoadFromTabDelimited(const AnsiString& FileName);
    // The same from a CSV file (fields separated by "," and by the locale's ListSeparator,
    // double-quoted where needed); the grid keeps exactly one row per line of the file.
    bool LoadFromCSV(const AnsiString& FileName);
    // Renders the whole grid (every visible column and row, fixed ones included, scrolled to
    // its start, with its left and top border) into Bitmap, whose size is replaced; the grid
    // on screen does not change. The current cell and selection are drawn unselected. False
    // when the editor stays open or the bitmap cannot be that large.
    bool SaveToBitmap(TBitmap* Bitmap);

    // -- Word and Excel --
    // The data area (without the spreadsheet headings) goes into a new document or workbook of
    // the office application. Each returns False, doing nothing, when the editor stays open,
    // and False when the application cannot be started (after a message box), when
    // OnExportProgress stopped the export, or when an automation call failed; then nothing is
    // left behind. A file is written whole beside its name and renamed over it, so an existing
    // file is replaced only by a complete export.
    // A new document left open for the user.
    bool ExportToWord();
    bool ExportToWordFile(const AnsiString& FileName);
    // A new workbook left open for the user, in a running instance when there is one.
    bool ExportToExcel();
    bool ExportToExcelFile(const AnsiString& FileName);
    // Replaces the grid's whole content by one worksheet of a workbook file: Sheet Null is the
    // active sheet, a string the sheet of that name, anything else the sheet of that number
    // (1 is the first). True when the sheet was read completely; False when the file does not
    // exist, the editor stays open, the application cannot be started or OnImportProgress
    // stopped the import (the cells read so far stay). A workbook that cannot be read raises
    // after the application quit, and leaves the grid as it was.
    bool ImportFromExcelFile(const AnsiString& FileName, const Variant& Sheet);
    // Lifts the font, alignments, layout and colour that every data cell of a column shares
    // into the column, dropping the cells' own values.
    void CondenseColumnAttributes();
    // The text of the exported area as the word-processor export puts it into the document:
    // cells separated by TAB, each row ended by CR LF, a merged range once at its top-left cell,
    // line breaks inside cells as ExportTag and TABs inside cells as a private character that
    // the export turns back into TABs.
    AnsiString BuildExportText() const;
    // The word processor's colour index of a colour (after ColorToRGB), 0 for one without.
    static int ColorToWordColorIndex(TColor Color);

    // -- Repainting --
    // The update lock: while it is held nothing repaints; leaving the outermost level fits the
    // rows (when the options say so) and repaints once. Both return the depth after the call;
    // DisableControls is refused while the editor stays open.
    int DisableControls();
    int EnableControls();
    void Invalidate() override;
    void Update() override;
    // An open application-supplied edit control follows the grid.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    // True while the grid or its open editor holds the keyboard focus.
    bool Focused() const override;
    // Leaves the focus where it is when the grid or its editor already holds it.
    void SetFocus() override;

protected:
    // ==== Editing ===============================================================================
    // Fires OnCellChanged before an edited text is stored.
    virtual void CellChanged(int ACol, int ARow, const AnsiString& OldValue, AnsiString& NewValue,
                             bool& AllowExit);

    // ==== Printing ==============================================================================
    // The worker of the print entry points. AMode 0 prints a whole job, 1 opens one and leaves it
    // open, 2 goes on on the open page, 3 goes on and closes the job; APage -1 prints every page,
    // n only page n. The result: the last page number (modes 0 and 3 on the printer), the
    // position below the grid (modes 1 and 2) or the page count (any other canvas).
    int DoPrint(TCanvas* Canvas, int APage, int AMode, int ATop, int FromCol, int FromRow,
                int ToCol, int ToRow, double AFraction);

    // ==== INI text ==============================================================================
    // The workers of the INI operations: the text comes from or goes to Strings when given,
    // else the file.
    virtual bool DoSaveToIniFile(const AnsiString& FileName, TStrings* Strings);
    virtual bool DoLoadFromIniFile(const AnsiString& FileName, TStrings* Strings);

    // ==== Word and Excel ========================================================================
    // The workers of the exports: Mode 0 leaves the result open for the user, 1 saves it as
    // FileName and closes it.
    virtual bool DoExportToWord(int Mode, const AnsiString& FileName);
    virtual bool DoExportToExcel(int Mode, const AnsiString& FileName);

    // ==== Overrides of the base grid ============================================================
    void Loaded() override;
    void Paint() override;
    void ColWidthsChanged() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
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
    void TopLeftChanged() override;
    void RowHeightsChanged() override;
    void VisibleChanging() override;
    void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void DoEnter() override;
    void DoExit() override;
    void WMChar(TMessage& Message) override;
    void WMCommand(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMCaptureChanged(TMessage& Message) override;
    void WMSetCursor(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void WMNCCalcSize(TMessage& Message) override;
    void CMDesignHitTest(TMessage& Message) override;
    // A cell under the pointer shows its own hint (else the grid's); OnShowHint may change or
    // suppress it.
    void CMHintShow(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;

private:
    friend class TCarrelonPrivate;
    std::unique_ptr<TCarrelonPrivate> d;  // the control's state and internal routines
};

// Registers the control on the "Carrelon" palette page.
void Register();

}  // namespace carrelon
