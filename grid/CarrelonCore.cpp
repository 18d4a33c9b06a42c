// TCarrelon: construction and destruction, the count and fixed-part setters, TopRow, LeftCol,
// Options and Loaded.
#include <algorithm>
#include <new>

#include "grid/CarrelonFormulas.h"
#include "grid/CarrelonInplaceEditor.h"
#include "grid/CarrelonPrivate.h"
#include "grid/CarrelonTextRules.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

namespace {
// Base-grid option bits the control takes over (lines, thumb tracking) and the ones it keeps on
// (row and column sizing, tabs).
constexpr std::uint64_t kBaseOptionsKept = 0xBFF0;
constexpr std::uint64_t kBaseOptionsAdded = 0x08C0;
constexpr int kDefaultTextHeight = 13;
}  // namespace

TCarrelonPrivate::TCarrelonPrivate(TCarrelon* AGrid) : q(AGrid) {}

TCarrelonPrivate::~TCarrelonPrivate() = default;

TCarrelon::TCarrelon(TComponent* AOwner)
    : TCustomGrid(AOwner), d(std::make_unique<TCarrelonPrivate>(this)) {
    d->FOwnFixedRows = TCustomGrid::GetFixedRows();
    d->FSortIndicatorColor = GetFixedColor();
    SetDefaultDrawing(false);

    d->FFontShadow = std::make_unique<TFont>();
    d->FFontShadow->Assign(GetFont());
    d->FAbsoluteFixedCols = GetFixedCols();
    d->FExportTag = "CarrelonTag";
    d->FPrintMargins = std::make_unique<TCarrelonPrintMargins>();
    d->FWordWrap = true;
    d->FBorderForText = 2;

    d->FCarrelonOptions = TCarrelonOptions::FromInt(CarrelonDefaultOptions.Options);
    TCustomGrid::SetOptions(TGridOptions::FromInt(
        (TCustomGrid::GetOptions().ToInt() & kBaseOptionsKept) | kBaseOptionsAdded));

    d->FEditorOptions = TCarrelonEditorOptions::FromInt(CarrelonDefaultOptions.EditorOptions);
    d->FEditControlOptions =
        TCarrelonEditControlOptions::FromInt(CarrelonDefaultOptions.EditControlOptions);
    d->FSpreadsheetOptions =
        TCarrelonSpreadsheetOptions::FromInt(CarrelonDefaultOptions.SpreadsheetOptions);
    d->FPrintOptions = TCarrelonPrintOptions::FromInt(CarrelonDefaultOptions.PrintOptions);
    d->FGridLineColor = clSilver;
    d->FFixedGridLineColor = clBlack;
    d->FEditColor = TControl::GetColor();
    d->FEditFontColor = GetFont()->GetColor();
    d->FSelectionColor = clHighlight;
    d->FSelectionFontColor = clHighlightText;

    TCustomGrid::SetDefaultRowHeight(2 * d->FBorderForText + GetGridLineWidth() +
                                     kDefaultTextHeight);

    d->FPrintHeader = std::make_unique<TCarrelonPrintHeaderFooter>();
    d->FPrintFooter = std::make_unique<TCarrelonPrintHeaderFooter>();

    if (!d->Designing()) d->CreateModel();
}

void TCarrelonPrivate::CreateModel() {
    q->FVirtualView = true;
    FCompareProc = CarrelonAnsiCompareStr;
    CreateRunTimeParts();
    FModel = true;
    if (!FStore.Grow(q->GetColCount(), q->GetRowCount())) throw std::bad_alloc();
    FSelectedCells.reset(new TCarrelonSelection(q));
    RefillSelectedCells();
}

void TCarrelonPrivate::RefillSelectedCells() {
    if (!FSelectedCells) return;
    TSelectedCellList& L = FSelectedCells->List();
    L.Clear();
    if (q->GetRow() < 0) return;
    const TGridRect S = q->GetSelection();
    for (int c = std::max(S.Left, 0); c <= S.Right && c < q->GetColCount(); ++c)
        for (int r = std::max(S.Top, 0); r <= S.Bottom && r < q->GetRowCount(); ++r)
            L.Add(FCols[c]->CellList()[r]);
}

TCarrelon::~TCarrelon() {
    Destroying();
    d->ReleaseCloseQueryHook();
    d->ReleaseEditControl();
    // The editor goes while the grid's state it reports to still exists.
    delete d->FInplaceEditor;
    d->FInplaceEditor = nullptr;
    d->FFontShadow.reset();
    d->FPrintMargins.reset();
    d->FPrintHeader.reset();
    d->FPrintFooter.reset();
    if (d->FModel) d->DestroyModel();
}

void TCarrelonPrivate::DestroyModel() {
    if (FSelectedCells) FSelectedCells->List().Clear();
    FStore.Clear();
    FSelectedCells.reset();
    FUncheckedImage.reset();
    FCheckedImage.reset();
    FPrintOuterBorders.clear();
    FModel = false;
}

bool TCarrelonPrivate::Designing() const {
    return q->GetComponentState().Contains(csDesigning);
}

bool TCarrelonPrivate::Loading() const {
    return q->GetComponentState().Contains(csLoading);
}

AnsiString TCarrelon::GetAbout() const {
    return "v2.30.12";
}

// ---- base-grid counts ---------------------------------------------------------------------

void TCarrelonPrivate::UpdateInheritedColCount(int N) {
    const TGridCoord Anchor = q->FAnchor;
    const TGridCoord TopLeft = q->FTopLeft;
    // The base grid's count setters scroll; the application hears of no intermediate top-left.
    WithoutHandler(q->OnTopLeftChanged, [&] { q->TCustomGrid::SetColCount(N); });
    q->FAnchor = {std::min(Anchor.X, N - 1), Anchor.Y};
    q->FTopLeft = {std::min(TopLeft.X, N - 1), TopLeft.Y};
}

void TCarrelonPrivate::UpdateInheritedRowCount(int N) {
    const TGridCoord Anchor = q->FAnchor;
    const TGridCoord TopLeft = q->FTopLeft;
    WithoutHandler(q->OnTopLeftChanged, [&] { q->TCustomGrid::SetRowCount(N); });
    q->FAnchor = {Anchor.X, std::min(Anchor.Y, N - 1)};
    q->FTopLeft = {TopLeft.X, std::min(TopLeft.Y, N - 1)};
}

void TCarrelonPrivate::AssignInheritedColWidths(int Index, int Value) {
    q->TCustomGrid::SetColWidths(Index, Value);
}

// ---- count setters ------------------------------------------------------------------------

bool TCarrelonPrivate::BeginCountChange() {
    if (CheckEditorMode()) return false;
    if (++FUpdateCount == 1) SetRedraw(false);
    return true;
}

void TCarrelonPrivate::EndCountChange() {
    if (--FUpdateCount != 0) return;
    SetRedraw(true);
    // The whole client area repaints: after growth every new column must appear, not only the
    // last one.
    FSkipErase = true;
    q->Invalidate();
    CheckAlwaysShowEditor();
}

void TCarrelon::SetColCount(int N) {
    N = std::clamp(N, 1, MaxCount);
    if (N == GetColCount()) return;
    if (!d->FModel) {
        TCustomGrid::SetColCount(N);
        d->Initialize();
        d->FAbsoluteFixedCols = GetFixedCols();
        return;
    }
    const bool Gate = !d->Loading() && !d->FPasting;
    if (Gate && !d->BeginCountChange()) return;
    if (GetFixedCols() >= N) SetFixedCols(N - 1);
    if (N < GetColCount()) {
        d->UpdateInheritedColCount(N);
        d->FStore.ShrinkCols(N);
    } else {
        d->GrowModel(N, GetRowCount());
    }
    if (d->Loading())
        d->Initialize();
    else if (!d->FPasting)
        d->CheckSelection();
    if (Gate) d->EndCountChange();
}

void TCarrelonPrivate::SyncBaseFixedRows() {
    const int Rows = q->GetRowCount();
    int B = FOwnFixedRows < Rows ? FOwnFixedRows : Rows - 1;
    if (q->FFixedRows != B) {
        q->FFixedRows = B;
        if (q->FTopLeft.Y < B) q->FTopLeft.Y = B;
    }
}

void TCarrelon::SetRowCount(int N) {
    N = std::clamp(N, 1, MaxCount);
    if (N == GetRowCount()) return;
    if (!d->FModel) {
        TCustomGrid::SetRowCount(N);
        if (d->FOwnFixedRows > GetRowCount()) d->FOwnFixedRows = GetRowCount();
        const int B = d->FOwnFixedRows < GetRowCount() ? d->FOwnFixedRows : GetRowCount() - 1;
        if (TCustomGrid::GetFixedRows() != B) TCustomGrid::SetFixedRows(B);
        d->Initialize();
        return;
    }
    const bool Gate = !d->Loading() && !d->FPasting;
    if (Gate && !d->BeginCountChange()) return;
    if (N < d->FOwnFixedRows) SetFixedRows(N);
    if (N > GetRowCount()) {
        d->GrowModel(GetColCount(), N);
    } else {
        d->UpdateInheritedRowCount(N);
        d->FStore.ShrinkRows(N);
    }
    d->SyncBaseFixedRows();
    if (d->Loading())
        d->Initialize();
    else if (!d->FPasting)
        d->CheckSelection();
    if (Gate) d->EndCountChange();
}

// Both count setters grow through here. The base grid takes the new counts first; when the
// budget or an allocation refuses the growth, it takes the old ones back.
bool TCarrelonPrivate::GrowModel(int Cols, int Rows) {
    const int OldCols = q->GetColCount();
    const int OldRows = q->GetRowCount();
    const int AddCols = Cols - OldCols;
    bool Grown = WithinBudget(FStore.AbsoluteCols().size() + static_cast<long long>(AddCols), Rows);
    if (Grown) {
        try {
            if (Cols != OldCols) UpdateInheritedColCount(Cols);
            if (Rows != OldRows) UpdateInheritedRowCount(Rows);
            Grown = FStore.Grow(AddCols, Rows);
        } catch (const std::bad_alloc&) {
            Grown = false;
        }
    }
    if (Grown) {
        RememberNewRows(OldRows, Rows - 1);
        return true;
    }
    if (q->GetColCount() != OldCols) UpdateInheritedColCount(OldCols);
    if (q->GetRowCount() != OldRows) UpdateInheritedRowCount(OldRows);
    ShowOutOfMemory();
    return false;
}

// ---- fixed rows and columns ---------------------------------------------------------------

// True when some absolute column's cell in row R started above it (a vertical merge reaching
// over the boundary between R - 1 and R).
bool TCarrelonPrivate::MergeCrossesRow(int R) const {
    for (TCarrelonCol* C : FAbsoluteCols) {
        TCarrelonCell* Cell = C->CellList()[R];
        if (Cell != nullptr && Cell->Row < R) return true;
    }
    return false;
}

int TCarrelonPrivate::FixedColumnBoundary(int N, int Wanted, bool Raising) const {
    // With hidden columns between visible columns N - 1 and N, the boundary may fall before,
    // among or after them: the wanted place is kept where it lies among them.
    const int Abs = static_cast<int>(FAbsoluteCols.size());
    const int Low = N == 0 ? 0 : FCols[N - 1]->GetAbsoluteNumber() + 1;
    const int High = N < static_cast<int>(FCols.size()) ? FCols[N]->GetAbsoluteNumber() : Abs;
    int A = std::clamp(Wanted, Low, High);
    // A merge is never cut by the boundary: it moves on (raising) or back (lowering) until no
    // merge reaches over it.
    while (A > 0 && A < Abs && TCarrelonColumnStore::MergeReachesInto(FAbsoluteCols[A]))
        A += Raising ? 1 : -1;
    return A;
}

int TCarrelonPrivate::VisibleColumnsBefore(int A) const {
    return static_cast<int>(
        std::partition_point(FCols.begin(), FCols.end(),
                             [A](const TCarrelonCol* C) { return C->GetAbsoluteNumber() < A; }) -
        FCols.begin());
}

void TCarrelon::SetFixedRows(int N) {
    const int Rows = GetRowCount();
    N = std::clamp(N, 0, Rows);
    if (N == d->FOwnFixedRows) return;
    if (!d->FModel) {
        d->FOwnFixedRows = N;
        const int B = N == Rows ? N - 1 : N;
        if (B == TCustomGrid::GetFixedRows()) {
            d->Initialize();
            if (!d->Loading()) {
                if (d->FSpreadsheetHeaders && N == 0)
                    SetSpreadsheetHeaders(false);
                else
                    Invalidate();
            }
        } else {
            TCustomGrid::SetFixedRows(B);
            d->Initialize();
            if (!d->Loading() && N == 0) d->FSpreadsheetHeaders = false;
        }
        return;
    }
    const bool Load = d->Loading();
    if (!Load) {
        if (d->CheckEditorMode()) return;
        ++d->FUpdateCount;
    }
    if (!Load) {
        if (N > d->FOwnFixedRows) {
            while (N < Rows && d->MergeCrossesRow(N))
                ++N;
        } else {
            while (N > 0 && d->MergeCrossesRow(N))
                --N;
        }
    }
    const int OldBase = TCustomGrid::GetFixedRows();
    d->FOwnFixedRows = N;
    const int B = N == Rows ? N - 1 : N;
    if (B != OldBase) {
        FFixedRows = B;
        if (FTopLeft.Y < B || FTopLeft.Y == OldBase) FTopLeft.Y = B;
    }
    if (N == 0) d->ClearSpreadsheetHeadersAtZero();
    if (Load) {
        d->Initialize();
        return;
    }
    d->CheckSelection();
    if (--d->FUpdateCount == 0) {
        Invalidate();
        d->CheckAlwaysShowEditor();
    }
}

void TCarrelon::SetFixedCols(int N) {
    if (!d->FModel) {
        if (N == GetFixedCols()) return;
        TCustomGrid::SetFixedCols(N);
        d->Initialize();
        d->FAbsoluteFixedCols = GetFixedCols();
        if (GetFixedCols() == 0) d->FSpreadsheetHeaders = false;
        return;
    }
    const int Old = GetFixedCols();
    if (N == Old || N < 0 || N > GetColCount() - 1) return;
    const bool Load = d->Loading();
    if (!Load) {
        if (d->CheckEditorMode()) return;
        ++d->FUpdateCount;
    }
    int A = d->FAbsoluteFixedCols + (N - Old);
    if (!Load) {
        A = d->FixedColumnBoundary(N, A, N > Old);
        N = d->VisibleColumnsBefore(A);
        if (N >= GetColCount()) {  // every column would be fixed: abandoned
            if (--d->FUpdateCount == 0) d->CheckAlwaysShowEditor();
            return;
        }
    }
    d->FAbsoluteFixedCols = A;
    if (N == 0) d->ClearSpreadsheetHeadersAtZero();
    const int OldLeft = FTopLeft.X;
    FFixedCols = N;
    FTopLeft.X = (Load || OldLeft == Old) ? N : std::max(OldLeft, N);
    if (Load) {
        d->Initialize();
        return;
    }
    d->CheckSelection();
    if (--d->FUpdateCount == 0) {
        Invalidate();
        d->CheckAlwaysShowEditor();
    }
}

// Headings need a fixed row and a fixed column. At run time they are switched off through
// their setter, which rewrites the formulas so that every reference keeps its cell; while
// loading the field is cleared as it stands.
void TCarrelonPrivate::ClearSpreadsheetHeadersAtZero() {
    if (!FSpreadsheetHeaders) return;
    if (Loading() || FIniLoading)
        FSpreadsheetHeaders = false;
    else
        q->SetSpreadsheetHeaders(false);
}

int TCarrelon::GetTopRow() const {
    if (d->FOwnFixedRows == GetRowCount()) return -1;
    return TCustomGrid::GetTopRow();
}

void TCarrelon::SetTopRow(int Value) {
    if (d->FOwnFixedRows == GetRowCount()) return;
    if (Value < d->FOwnFixedRows || Value > GetRowCount() - 1) return;
    TCustomGrid::SetTopRow(Value);
}

void TCarrelon::SetLeftCol(int Value) {
    if (Value < GetFixedCols() || Value >= GetColCount()) return;
    TCustomGrid::SetLeftCol(Value);
}

int TCarrelon::GetVisibleRowCount() const {
    if (d->FOwnFixedRows == GetRowCount()) return 0;
    return TCustomGrid::GetVisibleRowCount();
}

// ---- options ------------------------------------------------------------------------------

void TCarrelon::SetOptions(TCarrelonOptions V) {
    if (V == d->FCarrelonOptions) return;
    const bool Load = d->Loading();
    if (!Load) {
        if (d->FModel && d->CheckEditorMode()) return;
        const TCarrelonOptions Old = d->FCarrelonOptions;
        auto Added = [&](TCarrelonOption o) { return V.Contains(o) && !Old.Contains(o); };
        if (Added(cloSelectFixedRows))
            V.Exclude(cloColMoving);
        else if (V.Contains(cloColMoving))
            V.Exclude(cloSelectFixedRows);
        if (Added(cloSelectFixedCols))
            V.Exclude(cloRowMoving);
        else if (V.Contains(cloRowMoving))
            V.Exclude(cloSelectFixedCols);
        if (Added(cloRowSelect)) {
            V.Exclude(cloAlwaysShowEditor).Exclude(cloEditing);
        } else if (Added(cloAlwaysShowEditor)) {
            V.Exclude(cloRowSelect).Include(cloEditing).Exclude(cloRangeSelect);
        } else if (V.Contains(cloRowSelect)) {
            V.Exclude(cloAlwaysShowEditor).Exclude(cloEditing);
        } else if (V.Contains(cloAlwaysShowEditor)) {
            V.Include(cloEditing).Exclude(cloRangeSelect);
        }
    }
    d->FCarrelonOptions = V;
    d->ApplyBaseOptions(V);
    if (Load) {
        d->Initialize();
    } else if (!d->FModel) {
        d->Initialize();
        Invalidate();
    } else {
        d->CheckSelection();
        Invalidate();
        d->CheckAlwaysShowEditor();
    }
}

void TCarrelonPrivate::ApplyBaseOptions(TCarrelonOptions V) {
    TGridOptions B = q->TCustomGrid::GetOptions();
    auto Copy = [&](TGridOption g, TCarrelonOption c) {
        if (V.Contains(c))
            B.Include(g);
        else
            B.Exclude(g);
    };
    Copy(goRangeSelect, cloRangeSelect);
    Copy(goRowSelect, cloRowSelect);
    Copy(goColSizing, cloColSizing);
    Copy(goRowSizing, cloRowSizing);
    Copy(goColMoving, cloColMoving);
    Copy(goRowMoving, cloRowMoving);
    Copy(goThumbTracking, cloThumbTracking);
    if (!FModel) Copy(goDrawFocusSelected, cloDrawFocusSelected);
    q->FOptions = B;
}

// ---- sizes --------------------------------------------------------------------------------

void TCarrelon::SetColWidths(int Index, int Value) {
    GetCols(Index)->SetWidth(Value);
}

void TCarrelon::SetRowHeights(int Index, int H) {
    if (H < 0) H = 0;
    if (H == GetRowHeights(Index)) return;
    TCustomGrid::SetRowHeights(Index, H);
    const int D = GetDefaultRowHeight();
    if (H != D || d->ReadFRowHeights() == nullptr || !RowAxis().AllDefault()) return;
    // Every row is back at the default: setting the default again drops the per-row array.
    d->FMuteRowHeightsChanged = true;
    ++d->FUpdateCount;
    TCustomGrid::SetDefaultRowHeight(D);
    --d->FUpdateCount;
    d->FMuteRowHeightsChanged = false;
}

// ---- loading ------------------------------------------------------------------------------

void TCarrelon::Loaded() {
    TCustomGrid::Loaded();
    if (!d->FModel) return;
    for (int i = 0; i < GetColCount(); ++i)
        d->FCols[i]->WriteFWidth(TCustomGrid::GetColWidths(i));
    if (GetRow() == -1) return;
    if (d->FLoadedEvents.Contains(leOnSelectCell) && !SelectCell(GetCol(), GetRow())) {
        // Walk forward until a cell accepts; at the last cell the walk stops and the current
        // cell stays where the base grid put it.
        const int First = d->FCarrelonOptions.Contains(cloSelectFixedCols)
                              ? (d->FSpreadsheetHeaders ? 1 : 0)
                              : GetFixedCols();
        int C = GetCol();
        int R = GetRow();
        for (;;) {
            if (C + 1 < GetColCount()) {
                ++C;
            } else if (R + 1 < GetRowCount()) {
                C = First;
                ++R;
            } else {
                break;
            }
            MoveColRow(C, R, true, true);
            if (GetCol() == C && GetRow() == R) break;
        }
        d->RefillSelectedCells();
    }
    if (d->FLoadedEvents.Contains(leOnClick)) Click();
}

}  // namespace carrelon
