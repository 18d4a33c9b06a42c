// TCarrelon: the properties that only store or read a value.
#include "grid/CarrelonPrivate.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

int TCarrelon::GetFixedRows() const {
    return d->FOwnFixedRows;
}
int TCarrelon::GetAbsoluteColCount() const {
    return static_cast<int>(d->FAbsoluteCols.size());
}
int TCarrelon::GetHiddenColCount() const {
    return static_cast<int>(d->FHiddenCols.size());
}
long long TCarrelon::GetCellBudget() const {
    return d->FCellBudget;
}
void TCarrelon::SetCellBudget(long long Value) {
    d->FCellBudget = Value;
}
TCarrelonSelection* TCarrelon::GetSelectedCells() const {
    return d->FSelectedCells.get();
}

TCarrelonOptions TCarrelon::GetOptions() const {
    return d->FCarrelonOptions;
}
TCarrelonEditorOptions TCarrelon::GetEditorOptions() const {
    return d->FEditorOptions;
}
TCarrelonEditControlOptions TCarrelon::GetEditControlOptions() const {
    return d->FEditControlOptions;
}
void TCarrelon::SetEditControlOptions(TCarrelonEditControlOptions Value) {
    d->FEditControlOptions = Value;
}
TCarrelonTabOptions TCarrelon::GetTabOptions() const {
    return d->FTabOptions;
}
void TCarrelon::SetTabOptions(TCarrelonTabOptions Value) {
    d->FTabOptions = Value;
}
TCarrelonLoadedEvents TCarrelon::GetLoadedEvents() const {
    return d->FLoadedEvents;
}
void TCarrelon::SetLoadedEvents(TCarrelonLoadedEvents Value) {
    d->FLoadedEvents = Value;
}
bool TCarrelon::GetWordWrap() const {
    return d->FWordWrap;
}
bool TCarrelon::GetHideSelection() const {
    return d->FHideSelection;
}
void TCarrelon::SetHideSelection(bool Value) {
    d->FHideSelection = Value;
}
bool TCarrelon::GetInplaceScrollBar() const {
    return d->FInplaceScrollBar;
}

TColor TCarrelon::GetGridLineColor() const {
    return d->FGridLineColor;
}
TColor TCarrelon::GetFixedGridLineColor() const {
    return d->FFixedGridLineColor;
}
TColor TCarrelon::GetSelectionColor() const {
    return d->FSelectionColor;
}
TColor TCarrelon::GetSelectionFontColor() const {
    return d->FSelectionFontColor;
}
TColor TCarrelon::GetEditColor() const {
    return d->FEditColor;
}
TColor TCarrelon::GetEditFontColor() const {
    return d->FEditFontColor;
}
int TCarrelon::GetBorderForText() const {
    return d->FBorderForText;
}

int TCarrelon::GetSortColumn() const {
    return d->FSortColumn;
}
bool TCarrelon::GetSortDescending() const {
    return d->FSortDescending;
}
bool TCarrelon::GetSortOnClick() const {
    return d->FSortOnClick;
}
bool TCarrelon::GetSortOnDblClick() const {
    return d->FSortOnDblClick;
}
bool TCarrelon::GetSortIndicator() const {
    return d->FSortIndicator;
}
TColor TCarrelon::GetSortIndicatorColor() const {
    return d->FSortIndicatorColor;
}
TCarrelonCompareProc TCarrelon::GetCompareProc() const {
    return d->FCompareProc;
}

bool TCarrelon::GetSpreadsheetEnabled() const {
    return d->FSpreadsheetEnabled;
}
bool TCarrelon::GetSpreadsheetHeaders() const {
    return d->FSpreadsheetHeaders;
}
TCarrelonSpreadsheetOptions TCarrelon::GetSpreadsheetOptions() const {
    return d->FSpreadsheetOptions;
}

TCarrelonPrintOptions TCarrelon::GetPrintOptions() const {
    return d->FPrintOptions;
}
void TCarrelon::SetPrintOptions(TCarrelonPrintOptions Value) {
    d->FPrintOptions = Value;
}
TCarrelonPrintMargins* TCarrelon::GetPrintMargins() const {
    return d->FPrintMargins.get();
}
TCarrelonPrintHeaderFooter* TCarrelon::GetPrintHeader() const {
    return d->FPrintHeader.get();
}
TCarrelonPrintHeaderFooter* TCarrelon::GetPrintFooter() const {
    return d->FPrintFooter.get();
}
AnsiString TCarrelon::GetExportTag() const {
    return d->FExportTag;
}
void TCarrelon::SetExportTag(const AnsiString& Value) {
    // A blank placeholder would turn every saved or exported line break into nothing.
    AnsiString Tag = Trim(Value);
    if (!Tag.empty()) d->FExportTag = std::move(Tag);
}

// ---- base-grid state ----------------------------------------------------------------------

TGridCoord TCarrelonPrivate::ReadFAnchor() const {
    return q->FAnchor;
}
void TCarrelonPrivate::WriteFAnchor(TGridCoord Value) {
    q->FAnchor = Value;
}
TGridCoord TCarrelonPrivate::ReadFCurrent() const {
    return q->FCurrent;
}
void TCarrelonPrivate::WriteFCurrent(TGridCoord Value) {
    q->FCurrent = Value;
}
TGridCoord TCarrelonPrivate::ReadFTopLeft() const {
    return q->FTopLeft;
}
void TCarrelonPrivate::WriteFTopLeft(TGridCoord Value) {
    q->FTopLeft = Value;
}
const std::vector<int>* TCarrelonPrivate::ReadFRowHeights() const {
    return q->RowHeightsArray();
}

}  // namespace carrelon
