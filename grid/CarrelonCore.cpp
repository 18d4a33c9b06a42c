// TCarrelon: construction and destruction, the count and fixed-part setters, TopRow, LeftCol,
// Options and Loaded.
#include <algorithm>
#include <new>

#include "grid/Carrelon.h"
#include "grid/CarrelonTextRules.h"
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

TCarrelon::TCarrelon(TComponent* AOwner) : TCustomGrid(AOwner) {
    FOwnFixedRows = TCustomGrid::GetFixedRows();
    FSortIndicatorColor = GetFixedColor();
    SetDefaultDrawing(false);

    FFontShadow = std::make_unique<TFont>();
    FFontShadow->Assign(GetFont());
    FAbsoluteFixedCols = GetFixedCols();
    FExportTag = "CarrelonTag";
    FPrintMargins = std::make_unique<TCarrelonPrintMargins>();
    FWordWrap = true;
    FBorderForText = 2;

    FCarrelonOptions = TCarrelonOptions::FromInt(CarrelonDefaultOptions.Options);
    TCustomGrid::SetOptions(TGridOptions::FromInt(
        (TCustomGrid::GetOptions().ToInt() & kBaseOptionsKept) | kBaseOptionsAdded));

    FEditorOptions = TCarrelonEditorOptions::FromInt(CarrelonDefaultOptions.EditorOptions);
    FEditControlOptions =
        TCarrelonEditControlOptions::FromInt(CarrelonDefaultOptions.EditControlOptions);
    FSpreadsheetOptions =
        TCarrelonSpreadsheetOptions::FromInt(CarrelonDefaultOptions.SpreadsheetOptions);
    FPrintOptions = TCarrelonPrintOptions::FromInt(CarrelonDefaultOptions.PrintOptions);
    FGridLineColor = clSilver;
    FFixedGridLineColor = clBlack;
    FEditColor = TControl::GetColor();
    FEditFontColor = GetFont()->GetColor();
    FSelectionColor = clHighlight;
    FSelectionFontColor = clHighlightText;

    TCustomGrid::SetDefaultRowHeight(2 * FBorderForText + GetGridLineWidth() + kDefaultTextHeight);

    FPrintHeader = std::make_unique<TCarrelonPrintHeaderFooter>();
    FPrintFooter = std::make_unique<TCarrelonPrintHeaderFooter>();

    if (!Designing()) CreateModel();
}

void TCarrelon::CreateModel() {
    FVirtualView = true;
    FCompareProc = CarrelonAnsiCompareStr;
    CreateRunTimeParts();
    FModel = true;
    const int N = GetColCount();
    FCols.reserve(N);
    FAbsoluteCols.reserve(N);
    for (int i = 0; i < N; ++i) {
        auto C = std::make_unique<TCarrelonCol>(this);
        FCols.push_back(C.get());
        FAbsoluteCols.push_back(C.release());
    }
    MarkColumnsMoved();
    FSelectedCells = std::make_unique<TCarrelonSelection>(this);
    RefillSelectedCells();
}

void TCarrelon::RefillSelectedCells() {
    if (!FSelectedCells) return;
    TSelectedCellList& L = FSelectedCells->List();
    L.Clear();
    if (GetRow() < 0) return;
    const TGridRect S = GetSelection();
    for (int c = std::max(S.Left, 0); c <= S.Right && c < GetColCount(); ++c)
        for (int r = std::max(S.Top, 0); r <= S.Bottom && r < GetRowCount(); ++r)
            L.Add(FCols[c]->CellList()[r]);
}

TCarrelon::~TCarrelon() {
    Destroying();
    FFontShadow.reset();
    FPrintMargins.reset();
    FPrintHeader.reset();
    FPrintFooter.reset();
    if (FModel) DestroyModel();
}

void TCarrelon::DestroyModel() {
    if (FSelectedCells) FSelectedCells->List().Clear();
    // Each cell is freed once, at its top-left slot; a merge over hidden and visible columns
    // has exactly one such slot, so nothing is freed twice or left behind. The slots of a
    // freed cell are emptied first, so no later slot reads it.
    ReindexColumns();
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
            delete Cell;
        }
    }
    for (TCarrelonCol* C : FAbsoluteCols) {
        C->CellList().clear();
        delete C;
    }
    FCols.clear();
    FHiddenCols.clear();
    FAbsoluteCols.clear();
    FSelectedCells.reset();
    FUncheckedImage.reset();
    FCheckedImage.reset();
    while (!FPrintOuterBorders.empty())
        FPrintOuterBorders.pop_back();
    FModel = false;
}

bool TCarrelon::Designing() const {
    return GetComponentState().Contains(csDesigning);
}

bool TCarrelon::Loading() const {
    return GetComponentState().Contains(csLoading);
}

AnsiString TCarrelon::GetAbout() const {
    return "v2.30.12";
}

// ---- base-grid counts ---------------------------------------------------------------------

namespace {
// Runs Change with Event detached, restoring it on every exit: the base grid's count setters
// scroll, and the application must not hear of that intermediate top-left.
template <typename F>
void WithoutEvent(TNotifyEvent& Event, F&& Change) {
    TNotifyEvent Saved = std::move(Event);
    Event = nullptr;
    try {
        Change();
    } catch (...) {
        Event = std::move(Saved);
        throw;
    }
    Event = std::move(Saved);
}
}  // namespace

void TCarrelon::UpdateInheritedColCount(int N) {
    const TGridCoord Anchor = FAnchor;
    const TGridCoord TopLeft = FTopLeft;
    WithoutEvent(OnTopLeftChanged, [&] { TCustomGrid::SetColCount(N); });
    FAnchor = {std::min(Anchor.X, N - 1), Anchor.Y};
    FTopLeft = {std::min(TopLeft.X, N - 1), TopLeft.Y};
}

void TCarrelon::UpdateInheritedRowCount(int N) {
    const TGridCoord Anchor = FAnchor;
    const TGridCoord TopLeft = FTopLeft;
    WithoutEvent(OnTopLeftChanged, [&] { TCustomGrid::SetRowCount(N); });
    FAnchor = {Anchor.X, std::min(Anchor.Y, N - 1)};
    FTopLeft = {TopLeft.X, std::min(TopLeft.Y, N - 1)};
}

void TCarrelon::AssignInheritedColWidths(int Index, int Value) {
    TCustomGrid::SetColWidths(Index, Value);
}

// ---- count setters ------------------------------------------------------------------------

bool TCarrelon::BeginCountChange() {
    if (CheckEditorMode()) return false;
    if (++FUpdateCount == 1) SetRedraw(false);
    return true;
}

void TCarrelon::EndCountChange() {
    if (--FUpdateCount != 0) return;
    SetRedraw(true);
    // The whole client area repaints: after growth every new column must appear, not only the
    // last one.
    FSkipErase = true;
    Invalidate();
    CheckAlwaysShowEditor();
}

void TCarrelon::SetColCount(int N) {
    N = std::clamp(N, 1, MaxCount);
    if (N == GetColCount()) return;
    if (!FModel) {
        TCustomGrid::SetColCount(N);
        Initialize();
        FAbsoluteFixedCols = GetFixedCols();
        return;
    }
    const bool Gate = !Loading() && !FPasting;
    if (Gate && !BeginCountChange()) return;
    const int Old = GetColCount();
    if (GetFixedCols() >= N) SetFixedCols(N - 1);
    if (N < Old) {
        UpdateInheritedColCount(N);
        ReindexColumns();
        std::vector<char> Removed(FAbsoluteCols.size(), 0);
        for (int i = N; i < Old; ++i)
            Removed[FCols[i]->FAbsoluteIndex] = 1;
        // Last first, while every column still sits in the lists: a merged cell is handed on
        // to a neighbour that is still alive.
        for (int i = Old - 1; i >= N; --i)
            delete FCols[i];
        FCols.resize(N);
        std::size_t Kept = 0;
        for (std::size_t a = 0; a < FAbsoluteCols.size(); ++a)
            if (!Removed[a]) FAbsoluteCols[Kept++] = FAbsoluteCols[a];
        FAbsoluteCols.resize(Kept);
        MarkColumnsMoved();
    } else {
        std::vector<TCarrelonCol*> Made;
        bool Failed =
            !WithinBudget(GetAbsoluteColCount() + static_cast<long long>(N - Old), GetRowCount());
        if (!Failed) {
            try {
                UpdateInheritedColCount(N);
                Made.reserve(N - Old);
                for (int i = Old; i < N; ++i) {
                    auto C = std::make_unique<TCarrelonCol>(this);
                    Made.push_back(C.release());
                }
                FCols.reserve(N);
                FAbsoluteCols.reserve(FAbsoluteCols.size() + Made.size());
            } catch (const std::bad_alloc&) {
                Failed = true;
            }
        }
        if (Failed) {
            for (TCarrelonCol* C : Made)
                delete C;
            UpdateInheritedColCount(Old);
            ShowOutOfMemory();
        } else {
            // New columns follow the last visible one in absolute order, before any hidden
            // columns that came after it.
            std::size_t At = FAbsoluteCols.size();
            if (!FHiddenCols.empty())
                At =
                    Old > 0 ? static_cast<std::size_t>(FCols[Old - 1]->GetAbsoluteNumber()) + 1 : 0;
            FCols.insert(FCols.end(), Made.begin(), Made.end());
            FAbsoluteCols.insert(FAbsoluteCols.begin() + static_cast<std::ptrdiff_t>(At),
                                 Made.begin(), Made.end());
            MarkColumnsMoved();
        }
    }
    if (Loading())
        Initialize();
    else if (!FPasting)
        CheckSelection();
    if (Gate) EndCountChange();
}

void TCarrelon::SyncBaseFixedRows() {
    const int Rows = GetRowCount();
    int B = FOwnFixedRows < Rows ? FOwnFixedRows : Rows - 1;
    if (FFixedRows != B) {
        FFixedRows = B;
        if (FTopLeft.Y < B) FTopLeft.Y = B;
    }
}

void TCarrelon::SetRowCount(int N) {
    N = std::clamp(N, 1, MaxCount);
    if (N == GetRowCount()) return;
    if (!FModel) {
        TCustomGrid::SetRowCount(N);
        if (FOwnFixedRows > GetRowCount()) FOwnFixedRows = GetRowCount();
        const int B = FOwnFixedRows < GetRowCount() ? FOwnFixedRows : GetRowCount() - 1;
        if (TCustomGrid::GetFixedRows() != B) TCustomGrid::SetFixedRows(B);
        Initialize();
        return;
    }
    const bool Gate = !Loading() && !FPasting;
    if (Gate && !BeginCountChange()) return;
    if (N < FOwnFixedRows) SetFixedRows(N);
    const int Old = GetRowCount();
    if (N > Old) {
        bool Failed = !WithinBudget(GetAbsoluteColCount(), N);
        std::size_t Done = 0;  // columns grown completely
        if (!Failed) {
            try {
                UpdateInheritedRowCount(N);
                for (; Done < FAbsoluteCols.size(); ++Done) {
                    TCarrelonCol* C = FAbsoluteCols[Done];
                    std::vector<TCarrelonCell*>& Slots = C->CellList();
                    Slots.reserve(N);
                    for (int r = Old; r < N; ++r)
                        Slots.push_back(NewCell(C, r));
                }
            } catch (const std::bad_alloc&) {
                Failed = true;
                // The cells made in this call go, in the failing column and every earlier one.
                for (std::size_t a = 0; a <= Done && a < FAbsoluteCols.size(); ++a) {
                    std::vector<TCarrelonCell*>& Slots = FAbsoluteCols[a]->CellList();
                    for (std::size_t r = Old; r < Slots.size(); ++r)
                        delete Slots[r];
                    Slots.resize(Old);
                }
            }
        }
        if (Failed) {
            UpdateInheritedRowCount(Old);
            ShowOutOfMemory();
        }
    } else {
        UpdateInheritedRowCount(N);
        for (int r = Old - 1; r >= N; --r)
            DoDeleteRow(r);
    }
    SyncBaseFixedRows();
    if (Loading())
        Initialize();
    else if (!FPasting)
        CheckSelection();
    if (Gate) EndCountChange();
}

TCarrelonCell* TCarrelon::NewCell(TCarrelonCol* ACol, int ARow) {
    return new TCarrelonCell(ACol, ARow);
}

// ---- fixed rows and columns ---------------------------------------------------------------

// True when some absolute column's cell in row R started above it (a vertical merge reaching
// over the boundary between R - 1 and R).
bool TCarrelon::MergeCrossesRow(int R) const {
    for (TCarrelonCol* C : FAbsoluteCols) {
        TCarrelonCell* Cell = C->CellList()[R];
        if (Cell != nullptr && Cell->Row < R) return true;
    }
    return false;
}

bool TCarrelon::MergeCrossesCol(int K) const {
    const std::vector<TCarrelonCell*>& Slots = FCols[K]->CellList();
    for (TCarrelonCell* Cell : Slots)
        if (Cell != nullptr && Cell->GetStartCol() < K) return true;
    return false;
}

void TCarrelon::SetFixedRows(int N) {
    const int Rows = GetRowCount();
    N = std::clamp(N, 0, Rows);
    if (N == FOwnFixedRows) return;
    if (!FModel) {
        FOwnFixedRows = N;
        const int B = N == Rows ? N - 1 : N;
        if (B == TCustomGrid::GetFixedRows()) {
            Initialize();
            if (!Loading()) {
                if (FSpreadsheetHeaders && N == 0)
                    SetSpreadsheetHeaders(false);
                else
                    Invalidate();
            }
        } else {
            TCustomGrid::SetFixedRows(B);
            Initialize();
            if (!Loading() && N == 0) FSpreadsheetHeaders = false;
        }
        return;
    }
    const bool Load = Loading();
    if (!Load) {
        if (CheckEditorMode()) return;
        ++FUpdateCount;
    }
    if (!Load) {
        if (N > FOwnFixedRows) {
            while (N < Rows && MergeCrossesRow(N))
                ++N;
        } else {
            while (N > 0 && MergeCrossesRow(N))
                --N;
        }
    }
    const int OldBase = TCustomGrid::GetFixedRows();
    FOwnFixedRows = N;
    const int B = N == Rows ? N - 1 : N;
    if (B != OldBase) {
        FFixedRows = B;
        if (FTopLeft.Y < B || FTopLeft.Y == OldBase) FTopLeft.Y = B;
    }
    if (N == 0) ClearSpreadsheetHeadersAtZero();
    if (Load) {
        Initialize();
        return;
    }
    CheckSelection();
    if (--FUpdateCount == 0) {
        Invalidate();
        CheckAlwaysShowEditor();
    }
}

void TCarrelon::SetFixedCols(int N) {
    if (!FModel) {
        if (N == GetFixedCols()) return;
        TCustomGrid::SetFixedCols(N);
        Initialize();
        FAbsoluteFixedCols = GetFixedCols();
        if (GetFixedCols() == 0) FSpreadsheetHeaders = false;
        return;
    }
    const int Old = GetFixedCols();
    if (N == Old || N < 0 || N > GetColCount() - 1) return;
    const bool Load = Loading();
    if (!Load) {
        if (CheckEditorMode()) return;
        ++FUpdateCount;
    }
    if (N > Old) {
        if (!Load) {
            while (N < GetColCount() && MergeCrossesCol(N))
                ++N;
            if (N >= GetColCount()) {  // every column would be fixed: abandoned
                if (--FUpdateCount == 0) CheckAlwaysShowEditor();
                return;
            }
        }
        FAbsoluteFixedCols += N - Old;
    } else {
        if (!Load)
            while (N > 0 && MergeCrossesCol(N))
                --N;
        FAbsoluteFixedCols -= Old - N;
        if (N == 0) ClearSpreadsheetHeadersAtZero();
    }
    const int OldLeft = FTopLeft.X;
    FFixedCols = N;
    FTopLeft.X = (Load || OldLeft == Old) ? N : std::max(OldLeft, N);
    if (Load) {
        Initialize();
        return;
    }
    CheckSelection();
    if (--FUpdateCount == 0) {
        Invalidate();
        CheckAlwaysShowEditor();
    }
}

// Headings need a fixed row and a fixed column. At run time they are switched off through
// their setter, which rewrites the formulas so that every reference keeps its cell; while
// loading the field is cleared as it stands.
void TCarrelon::ClearSpreadsheetHeadersAtZero() {
    if (!FSpreadsheetHeaders) return;
    if (Loading() || FIniLoading)
        FSpreadsheetHeaders = false;
    else
        SetSpreadsheetHeaders(false);
}

int TCarrelon::GetTopRow() const {
    if (FOwnFixedRows == GetRowCount()) return -1;
    return TCustomGrid::GetTopRow();
}

void TCarrelon::SetTopRow(int Value) {
    if (FOwnFixedRows == GetRowCount()) return;
    if (Value < FOwnFixedRows || Value > GetRowCount() - 1) return;
    TCustomGrid::SetTopRow(Value);
}

void TCarrelon::SetLeftCol(int Value) {
    if (Value < GetFixedCols() || Value >= GetColCount()) return;
    TCustomGrid::SetLeftCol(Value);
}

int TCarrelon::GetVisibleRowCount() const {
    if (FOwnFixedRows == GetRowCount()) return 0;
    return TCustomGrid::GetVisibleRowCount();
}

// ---- options ------------------------------------------------------------------------------

void TCarrelon::SetOptions(TCarrelonOptions V) {
    if (V == FCarrelonOptions) return;
    const bool Load = Loading();
    if (!Load) {
        if (FModel && CheckEditorMode()) return;
        const TCarrelonOptions Old = FCarrelonOptions;
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
    FCarrelonOptions = V;
    TGridOptions B = TCustomGrid::GetOptions();
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
    FOptions = B;
    if (Load) {
        Initialize();
    } else if (!FModel) {
        Initialize();
        Invalidate();
    } else {
        CheckSelection();
        Invalidate();
        CheckAlwaysShowEditor();
    }
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
    if (H != D || ReadFRowHeights() == nullptr) return;
    for (int h : *ReadFRowHeights())
        if (h != D) return;
    // Every row is back at the default: setting the default again drops the per-row array.
    FMuteRowHeightsChanged = true;
    ++FUpdateCount;
    TCustomGrid::SetDefaultRowHeight(D);
    --FUpdateCount;
    FMuteRowHeightsChanged = false;
}

// ---- loading ------------------------------------------------------------------------------

void TCarrelon::Loaded() {
    TCustomGrid::Loaded();
    if (!FModel) return;
    for (int i = 0; i < GetColCount(); ++i)
        FCols[i]->WriteFWidth(TCustomGrid::GetColWidths(i));
    if (GetRow() == -1) return;
    if (FLoadedEvents.Contains(leOnSelectCell) && !SelectCell(GetCol(), GetRow())) {
        // Walk forward until a cell accepts; at the last cell the walk stops and the current
        // cell stays where the base grid put it.
        const int First = FCarrelonOptions.Contains(cloSelectFixedCols)
                              ? (FSpreadsheetHeaders ? 1 : 0)
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
        RefillSelectedCells();
    }
    if (FLoadedEvents.Contains(leOnClick)) Click();
}

}  // namespace carrelon
