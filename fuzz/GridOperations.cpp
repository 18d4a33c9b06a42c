// Grid operations: the input is a program for a state machine that drives one grid, shown on a
// form, through its public operations: counts and fixed parts, hiding and showing, texts,
// values and formulas (spreadsheet mode and headings), structural edits, merges and splits,
// sort, selection moves, sizes and fitting, the update lock, the in-place editor (open, commit,
// cancel) and application handlers that refuse, rewrite or edit the grid from inside an event.
//
// Input: a sequence of steps, each an operation byte followed by the bytes its arguments take
// (indexes are read relative to the present counts and may fall one outside them on either
// side, so refusals are exercised too); arguments past the end of the input read as 0. At most
// 64 steps run.
//
// Oracles, after every step: the model's invariants hold (lists, slots, merge rectangles, fixed
// boundaries, the selected list); the current cell lies in the grid; the update lock stands at
// the depth the program raised it to (every operation leaves it as it found it); the editor is
// only open on a current cell. Between inputs the grid is brought back to its starting state,
// which is checked, and with it that no cell is left over.
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/support/FuzzSupport.h"
#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/Timers.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Random.h"
#include "tests/support/CarrelonTestAccess.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

using Access = TCarrelonTestAccess;

constexpr int StartCols = 5, StartRows = 5;
constexpr int MaxCols = 10, MaxRows = 14;

const char* const Texts[] = {
    "",
    "1",
    "2.5",
    "-3",
    "abc",
    "x\r\ny",
    "01/02/2003",
    "12:30",
    "1e308",
    "=A1+B2",
    "=SUM(A1:C3)",
    "=B1*2",
    "=1/0",
    "=A1",
    "=C3+1",
    "=A2&\"x\"",
    "=MAX(A1:E9)",
    "=$A$1+B$2",
    "=AVERAGE(B2:B5)",
    "=IF(A1>1,B1,C1)",
    "=Z99",
    "=A1:B2",
    "=(",
    "= 3 +",
    "=RAND()",
    "=LEN(A1)",
    "a long text that wraps over several lines of the cell",
};
constexpr int TextCount = sizeof(Texts) / sizeof(Texts[0]);

// What the application's handlers do, chosen by the program.
enum TChangeMode { cmNone, cmRefuse, cmRewrite, cmEdit, cmCount };

struct TMachine {
    TForm* Form = nullptr;
    TCarrelon* Grid = nullptr;
    TBitmap* Canvas = nullptr;
    int Depth = 0;  // the update lock the program holds
    TChangeMode ChangeMode = cmNone;
    bool RefuseSelect = false;
    AnsiString EditText;
    std::vector<long long> Fingerprint;  // of the starting state
};

TMachine& Machine();

// ---- reading the program ------------------------------------------------------------------

class TProgram {
public:
    TProgram(const std::uint8_t* Data, std::size_t Size) : FData(Data), FSize(Size) {}
    bool AtEnd() const { return FPos >= FSize; }
    bool Short() const { return FShort; }
    std::uint8_t Byte() {
        if (FPos >= FSize) {
            FShort = true;
            return 0;
        }
        return FData[FPos++];
    }
    // -1 .. N: one outside the range on either side.
    int Index(int N) { return static_cast<int>(Byte() % (N + 2)) - 1; }
    bool Flag() { return (Byte() & 1) != 0; }
    // A count, now and then one of the extremes the setters clamp or refuse.
    int Count(int Max) {
        const std::uint8_t B = Byte();
        switch (B) {
            case 255:
                return TCarrelon::MaxCount;
            case 254:
                return INT_MAX;
            case 253:
                return INT_MIN;
            case 252:
                return -1;
            default:
                return B % (Max + 1);
        }
    }
    AnsiString Text() {
        const std::uint8_t B = Byte();
        if (B < 200) return Texts[B % TextCount];
        // Raw bytes of the input, up to 12.
        const std::size_t N = std::min<std::size_t>(B - 200, 12);
        AnsiString S;
        for (std::size_t i = 0; i < N && !AtEnd(); ++i)
            S += static_cast<char>(Byte());
        return S;
    }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FPos = 0;
    bool FShort = false;
};

// ---- the starting state ------------------------------------------------------------------

// What the starting state is made of, as numbers: counts, the current cell and view, sizes,
// settings, and for every cell whether it is empty, merged or has own attributes.
std::vector<long long> Fingerprint(TCarrelon* G) {
    std::vector<long long> F = {G->GetColCount(),
                                G->GetRowCount(),
                                G->GetAbsoluteColCount(),
                                G->GetFixedCols(),
                                G->GetFixedRows(),
                                G->GetCol(),
                                G->GetRow(),
                                G->GetTopRow(),
                                G->GetLeftCol(),
                                G->GetDefaultColWidth(),
                                G->GetDefaultRowHeight(),
                                G->GetGridLineWidth(),
                                G->GetBorderForText(),
                                G->GetWordWrap(),
                                static_cast<long long>(G->GetOptions().ToInt()),
                                G->GetSpreadsheetEnabled(),
                                G->GetSpreadsheetHeaders(),
                                G->GetSortColumn(),
                                G->GetSortDescending(),
                                G->GetCellBudget(),
                                G->GetEditorMode(),
                                G->GetSelectedCells()->GetCount(),
                                Access::LiveCells()};
    for (int c = 0; c < G->GetColCount(); ++c)
        F.push_back(G->GetColWidths(c) * 2 + G->GetCols(c)->GetWordWrap());
    for (int r = 0; r < G->GetRowCount(); ++r)
        F.push_back(G->GetRowHeights(r));
    for (int c = 0; c < G->GetColCount(); ++c)
        for (int r = 0; r < G->GetRowCount(); ++r) {
            const TCarrelonCell* Cell = G->GetCells(c, r);
            F.push_back(Cell->IsEmpty() * 4 + Cell->IsMerged() * 2 + Access::HasProperties(Cell));
        }
    return F;
}

void ClearHandlers(TMachine& M) {
    M.ChangeMode = cmNone;
    M.RefuseSelect = false;
    M.EditText.clear();
}

// Brings the grid back to the state a new grid on the form has: fresh cells and columns, the
// default sizes and settings.
void Reset(TMachine& M) {
    TCarrelon* G = M.Grid;
    ClearHandlers(M);
    if (G->GetEditorMode()) G->SetEditorMode(false);
    while (G->EnableControls() > 0) {
    }
    M.Depth = 0;
    RandSeed = 0;
    // What a program changes shows in the fingerprint; a grid that shows nothing changed is
    // kept, since making its cells and columns again is the larger part of a short run.
    if (!M.Fingerprint.empty() && Fingerprint(G) == M.Fingerprint) return;
    G->SetCellBudget(TCarrelon::DefaultCellBudget);
    G->SetOptions(TCarrelonOptions::FromInt(CarrelonDefaultOptions.Options));
    G->SetSpreadsheetHeaders(false);
    G->SetSpreadsheetEnabled(false);
    while (G->GetHiddenColCount() > 0)
        G->ShowHiddenColumn(0);
    G->SetFixedCols(0);
    G->SetFixedRows(0);
    G->SetColCount(1);
    G->SetRowCount(1);
    G->SetGridLineWidth(1);
    G->SetBorderForText(2);
    G->SetWordWrap(true);
    G->SetDefaultColWidth(64);
    G->SetDefaultRowHeight(18);
    // A new column holds new cells; the old one goes.
    G->InsertColumn(0);
    G->DeleteColumn(1);
    G->SetRowHeights(0, G->GetDefaultRowHeight());
    G->SetColCount(StartCols);
    G->SetRowCount(StartRows);
    G->SetFixedCols(1);
    G->SetFixedRows(1);
    G->SetSortColumn(0);
    G->SetSortDescending(false);
    G->SetTopRow(1);
    G->SetLeftCol(1);
    G->FocusCell(1, 1);
}

// ---- the oracle ----------------------------------------------------------------------------

void CheckState(TMachine& M, const std::string& Step) {
    TCarrelon* G = M.Grid;
    std::string Why;
    FUZZ_CHECK(Access::CheckModelInvariants(G, &Why), Step + ": " + Why);
    const int Col = G->GetCol(), Row = G->GetRow();
    if (Row != -1)
        FUZZ_CHECK(Col >= 0 && Col < G->GetColCount() && Row >= 0 && Row < G->GetRowCount(),
                   Step + ": current cell " + std::to_string(Col) + "," + std::to_string(Row));
    const int Lock = Access::Internals(G).FUpdateCount;
    FUZZ_CHECK(Lock == M.Depth, Step + ": update lock at " + std::to_string(Lock) +
                                    ", the program holds " + std::to_string(M.Depth));
    if (G->GetEditorMode()) FUZZ_CHECK(Row != -1, Step + ": editor open without a current cell");
}

// ---- the operations ----------------------------------------------------------------------

TCarrelonCell* SomeCell(TCarrelon* G, TProgram& P) {
    const int C = P.Byte() % G->GetColCount();
    const int R = P.Byte() % G->GetRowCount();
    return G->GetCells(C, R);
}

Variant SomeValue(TProgram& P) {
    switch (P.Byte() % 7) {
        case 0:
            return Variant();
        case 1:
            return Variant(static_cast<int>(P.Byte()) - 100);
        case 2:
            return Variant(static_cast<double>(P.Byte()) / 7.0);
        case 3:
            return Variant(TDateTime(36000.0 + P.Byte()));
        case 4:
            return Variant(P.Flag());
        case 5:
            return Variant(AnsiString("v") + std::to_string(P.Byte()));
        default:
            return Variant(1e300 * P.Byte());
    }
}

// An edit the application makes from inside one of its handlers.
void HandlerEdit(TCarrelon* G, int Which) {
    switch (Which % 6) {
        case 0:
            G->DeleteRow(G->GetRow());
            break;
        case 1:
            G->InsertColumn(G->GetCol());
            break;
        case 2:
            G->SetColCount(G->GetFixedCols() + 1);
            break;
        case 3:
            G->MergeHoriz(G->GetCol(), G->GetColCount() - 1, G->GetRow(), ",");
            break;
        case 4:
            G->Sort();
            break;
        default:
            G->FocusCell(G->GetFixedCols(), G->GetFixedRows());
            break;
    }
}

void InstallHandlers(TMachine& M) {
    TCarrelon* G = M.Grid;
    G->OnCellChanged = [&M](TObject*, int, int, const AnsiString&, AnsiString& NewValue,
                            bool& AllowExit) {
        switch (M.ChangeMode) {
            case cmRefuse:
                AllowExit = false;
                break;
            case cmRewrite:
                NewValue = "=B2+1";
                break;
            case cmEdit:
                HandlerEdit(M.Grid, static_cast<int>(NewValue.size()));
                break;
            default:
                break;
        }
    };
    G->OnGetEditText = [&M](TObject*, int, int, AnsiString& Value) {
        if (!M.EditText.empty()) Value = M.EditText;
    };
    G->OnSelectCell = [&M](TObject*, int, int, bool& CanSelect) {
        if (M.RefuseSelect) CanSelect = false;
    };
}

void Step(TMachine& M, TProgram& P, std::uint8_t Op, std::string& What) {
    TCarrelon* G = M.Grid;
    const int Cols = G->GetColCount(), Rows = G->GetRowCount();
    What = "op " + std::to_string(Op);
    auto Arg = [&What](long long V) {
        What += " " + std::to_string(V);
        return V;
    };
    switch (Op % 48) {
        case 0:
            G->SetColCount(static_cast<int>(Arg(P.Count(MaxCols))));
            break;
        case 1:
            G->SetRowCount(static_cast<int>(Arg(P.Count(MaxRows))));
            break;
        case 2:
            G->SetFixedCols(static_cast<int>(Arg(P.Index(Cols))));
            break;
        case 3:
            G->SetFixedRows(static_cast<int>(Arg(P.Index(Rows + 1))));
            break;
        case 4:
            G->HideColumn(static_cast<int>(Arg(P.Index(Cols))));
            break;
        case 5:
            G->ShowHiddenColumn(static_cast<int>(Arg(P.Index(G->GetHiddenColCount()))));
            break;
        case 6:
            G->InsertRow(static_cast<int>(Arg(P.Index(Rows))));
            break;
        case 7: {
            const int N = static_cast<int>(Arg(P.Byte() % 5));
            G->InsertRowEx(N, static_cast<int>(Arg(P.Index(Rows))), Arg(P.Flag()));
            break;
        }
        case 8:
            G->DeleteRow(static_cast<int>(Arg(P.Index(Rows))));
            break;
        case 9:
            G->InsertColumn(static_cast<int>(Arg(P.Index(Cols))));
            break;
        case 10:
            G->DeleteColumn(static_cast<int>(Arg(P.Index(Cols))));
            break;
        case 11: {
            const int F = static_cast<int>(Arg(P.Index(Rows)));
            G->MoveRow(F, static_cast<int>(Arg(P.Index(Rows))));
            break;
        }
        case 12: {
            const int F = static_cast<int>(Arg(P.Index(Cols)));
            G->MoveColumn(F, static_cast<int>(Arg(P.Index(Cols))));
            break;
        }
        case 13: {
            const int F = static_cast<int>(Arg(P.Index(Cols)));
            const int T = static_cast<int>(Arg(P.Index(Cols)));
            G->MergeHoriz(F, T, static_cast<int>(Arg(P.Index(Rows))), ",");
            break;
        }
        case 14: {
            const int C = static_cast<int>(Arg(P.Index(Cols)));
            const int F = static_cast<int>(Arg(P.Index(Rows)));
            G->MergeVert(C, F, static_cast<int>(Arg(P.Index(Rows))), " ");
            break;
        }
        case 15: {
            const int L = static_cast<int>(Arg(P.Index(Cols)));
            const int T = static_cast<int>(Arg(P.Index(Rows)));
            const int R = static_cast<int>(Arg(P.Index(Cols)));
            const int B = static_cast<int>(Arg(P.Index(Rows)));
            G->MergeRect(TRect{L, T, R, B}, Arg(P.Flag()), ",", ";");
            break;
        }
        case 16:
            SomeCell(G, P)->Split();
            break;
        case 17:
            G->SetSortColumn(static_cast<int>(Arg(P.Index(Cols))));
            G->SetSortDescending(Arg(P.Flag()));
            G->Sort();
            break;
        case 18:
        case 19: {
            TCarrelonCell* Cell = SomeCell(G, P);
            const AnsiString T = P.Text();
            What += " \"" + Escaped(T) + "\"";
            Cell->SetText(T);
            break;
        }
        case 20:
            SomeCell(G, P)->SetValue(SomeValue(P));
            break;
        case 21: {
            TCarrelonCell* Cell = SomeCell(G, P);
            AnsiString T = P.Text();
            if (!T.empty() && T[0] == '=') T.erase(0, 1);
            What += " \"" + Escaped(T) + "\"";
            Cell->SetFormula(T);
            break;
        }
        case 22:
            G->SetSpreadsheetEnabled(Arg(P.Flag()));
            break;
        case 23:
            G->SetSpreadsheetHeaders(Arg(P.Flag()));
            break;
        case 24: {
            const int C = static_cast<int>(Arg(P.Index(Cols)));
            G->FocusCell(C, static_cast<int>(Arg(P.Index(Rows))));
            break;
        }
        case 25: {
            const int C = static_cast<int>(Arg(P.Index(Cols)));
            G->FocusCellEx(C, static_cast<int>(Arg(P.Index(Rows))));
            break;
        }
        case 26: {
            const int L = static_cast<int>(Arg(P.Index(Cols)));
            const int T = static_cast<int>(Arg(P.Index(Rows)));
            const int R = static_cast<int>(Arg(P.Index(Cols)));
            G->SetSelection(L, T, R, static_cast<int>(Arg(P.Index(Rows))));
            break;
        }
        case 27:
            if (P.Flag())
                G->SetCol(static_cast<int>(Arg(P.Index(Cols))));
            else
                G->SetRow(static_cast<int>(Arg(P.Index(Rows))));
            break;
        case 28:
            if (P.Flag())
                G->SetTopRow(static_cast<int>(Arg(P.Index(Rows))));
            else
                G->SetLeftCol(static_cast<int>(Arg(P.Index(Cols))));
            break;
        case 29:
            M.Depth = G->DisableControls();
            break;
        case 30:
            M.Depth = G->EnableControls();
            break;
        case 31: {
            M.EditText = P.Text();
            What += " \"" + Escaped(M.EditText) + "\"";
            G->SetEditorMode(true);
            break;
        }
        case 32:
            G->SetEditorMode(false);
            break;
        case 33:
            G->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case 34:
            M.ChangeMode = static_cast<TChangeMode>(Arg(P.Byte() % cmCount));
            break;
        case 35:
            M.RefuseSelect = Arg(P.Flag());
            break;
        case 36: {
            TCarrelonOptions O = G->GetOptions();
            const auto Bit = static_cast<TCarrelonOption>(Arg(P.Byte() % 32));
            if (O.Contains(Bit))
                O.Exclude(Bit);
            else
                O.Include(Bit);
            G->SetOptions(O);
            break;
        }
        case 37: {
            TCarrelonCell* Cell = SomeCell(G, P);
            switch (Arg(P.Byte() % 6)) {
                case 0:
                    Cell->SetWordWrap(P.Flag());
                    break;
                case 1:
                    Cell->SetReadOnly(P.Flag());
                    break;
                case 2:
                    Cell->SetCheckBox(P.Flag());
                    break;
                case 3:
                    Cell->SetButton(P.Flag());
                    break;
                case 4:
                    Cell->SetMaxLength(static_cast<int>(Arg(P.Byte()) * 300 - 10));
                    break;
                default:
                    Cell->SetCheckBoxChecked(P.Flag());
                    break;
            }
            break;
        }
        case 38: {
            const int C = static_cast<int>(Arg(P.Index(Cols)));
            const int W = static_cast<int>(Arg(P.Byte()) * 3 - 5);
            if (C >= 0 && C < Cols) G->SetColWidths(C, W);
            break;
        }
        case 39: {
            const int R = static_cast<int>(Arg(P.Index(Rows)));
            const int H = static_cast<int>(Arg(P.Byte()) - 5);
            if (R >= 0 && R < Rows) G->SetRowHeights(R, H);
            break;
        }
        case 40:
            switch (Arg(P.Byte() % 4)) {
                case 0:
                    G->AutoSizeRow(static_cast<int>(Arg(P.Index(Rows))));
                    break;
                case 1:
                    G->AutoSizeRows();
                    break;
                case 2:
                    G->AutoSizeColumn(static_cast<int>(Arg(P.Index(Cols))));
                    break;
                default:
                    G->AutoSizeColumns();
                    break;
            }
            break;
        case 41:
            switch (Arg(P.Byte() % 5)) {
                case 0:
                    G->SetDefaultRowHeight(static_cast<int>(Arg(P.Byte() % 60)));
                    break;
                case 1:
                    G->SetDefaultColWidth(static_cast<int>(Arg(P.Byte() % 120)));
                    break;
                case 2:
                    G->SetGridLineWidth(static_cast<int>(Arg(P.Byte() % 8)));
                    break;
                case 3:
                    G->SetBorderForText(static_cast<int>(Arg(P.Byte() % 8)));
                    break;
                default:
                    G->SetWordWrap(Arg(P.Flag()));
                    break;
            }
            break;
        case 42:
            G->Recalculate(nullptr);
            break;
        case 43:
            switch (Arg(P.Byte() % 3)) {
                case 0:
                    G->Repaint();
                    break;
                case 1:
                    M.Canvas->GetCanvas()->FillRect(TRect{0, 0, 160, 120});
                    G->PaintTo(M.Canvas->GetCanvas(), 0, 0);
                    break;
                default:  // whatever is pending, as the event loop would
                    Application()->ProcessMessages();
                    break;
            }
            break;
        case 44:
            G->SetCellBudget(Arg(P.Byte()));
            break;
        case 45: {
            TCarrelonSelection* S = G->GetSelectedCells();
            switch (Arg(P.Byte() % 4)) {
                case 0:
                    S->Clear(P.Flag());
                    break;
                case 1:
                    S->SetWordWrap(P.Flag());
                    break;
                case 2:
                    S->SetCheckBox(P.Flag());
                    break;
                default:
                    S->SetReadOnly(P.Flag());
                    break;
            }
            break;
        }
        case 46: {
            const AnsiString Name = P.Text();
            What += " \"" + Escaped(Name) + "\"";
            try {
                G->CellByName(Name);
            } catch (const EConvertError&) {  // not a name
            } catch (const EListError&) {     // a name outside the visible grid
            }
            break;
        }
        default: {
            TCarrelonCol* C = G->GetAbsoluteCols(P.Byte() % G->GetAbsoluteColCount());
            if (P.Flag())
                C->SetVisible(Arg(P.Flag()));
            else
                C->SetWordWrap(Arg(P.Flag()));
            break;
        }
    }
}

TMachine& Machine() {
    static TMachine* const M = [] {
        carrelon::fuzz::StartOffscreenApplication();
        // Message boxes ("Out of memory") are answered at once.
        SetMessageDlgHandler(
            [](const AnsiString&, TMsgDlgType, TMsgDlgButtons) -> TModalResult { return mrOk; });
        // Timers fire only when advanced, which the program never does: no step depends on time.
        static TManualTimerClock Clock;
        auto* Made = new TMachine;
        Made->Form = new TForm(nullptr);
        Made->Form->SetBounds(0, 0, 200, 120);
        Made->Grid = new TCarrelon(Made->Form);
        Made->Grid->SetParent(Made->Form);
        Made->Grid->SetBounds(0, 0, 180, 100);
        Made->Form->Show();
        Made->Form->SetActiveControl(Made->Grid);
        Made->Canvas = new TBitmap;
        Made->Canvas->SetWidth(160);
        Made->Canvas->SetHeight(120);
        InstallHandlers(*Made);
        Reset(*Made);
        Made->Fingerprint = Fingerprint(Made->Grid);
        return Made;
    }();
    return *M;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TMachine& M = Machine();
    TProgram P(Data, Size);
    std::string Trace;
    for (int Steps = 0; !P.AtEnd() && Steps < 64; ++Steps) {
        const std::uint8_t Op = P.Byte();
        std::string What;
        Step(M, P, Op, What);
        Trace += What + "; ";
        CheckState(M, Trace);
    }
    Reset(M);
    // What the steps and the reset left to paint is dropped: painting is a step of its own.
    ValidateRect(M.Grid->GetHandle(), nullptr);
    CheckState(M, "reset after " + Trace);
    FUZZ_CHECK(Fingerprint(M.Grid) == M.Fingerprint, "reset after " + Trace + " differs (" +
                                                         std::to_string(Access::LiveCells()) +
                                                         " cells alive)");
    return 0;
}
