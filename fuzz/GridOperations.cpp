// Grid operations: the input is a program for a state machine that drives one grid, shown on a
// form, through its public operations: counts and fixed parts, hiding and showing, texts,
// values and formulas (spreadsheet mode and headings), structural edits, merges and splits,
// sort, selection moves, sizes and fitting, the update lock, the in-place editor (open, commit,
// cancel), the clipboard (copy, cut, paste, clearing, contents put there by the program), find
// and replace, cell and column appearance, plain text and INI text saved and loaded, the grid
// saved as a bitmap, keys, characters and the mouse sent as messages through Perform at points
// taken from the present geometry, and application handlers that refuse, rewrite or edit the
// grid from inside an event. Printing and the office exports are left out: they need a printer
// or files.
//
// Input: a sequence of steps, each an operation byte followed by the bytes its arguments take
// (indexes are read relative to the present counts and may fall one outside them on either
// side, so refusals are exercised too); arguments past the end of the input read as 0. At most
// 64 steps run.
//
// Oracles, after every step: the model's invariants hold (lists, slots, merge rectangles, fixed
// boundaries, the selected list); the current cell lies in the grid; the update lock stands at
// the depth the program raised it to (every operation leaves it as it found it); the editor is
// only open on a current cell. Saving (plain text, INI text, a bitmap) and copying leave the
// grid as it was; the grid's own INI text loads again and saves to the same text; a load that
// fails (an INI text that raises, plain text that returns False) leaves the grid as it was; a
// bitmap of a small grid is made; a cell Find moves to holds the text found. Between inputs the
// grid is brought back to its starting state, which is checked, and with it that no cell is
// left over.
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/support/FuzzSupport.h"
#include "grid/Carrelon.h"
#include "grid/CarrelonInplaceEditor.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/Timers.h"
#include "platform/controls/WinUser.h"
#include "platform/devices/Clipboard.h"
#include "platform/devices/Printer.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Lists.h"
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

// What the clipboard, clearing and drag handlers do: bits chosen by the program.
enum TClipModeBit {
    kmRefusePaste = 1,      // OnPaste
    kmRefusePasteText = 2,  // OnPastePlainText
    kmRefusePasteGraphic = 4,
    kmRefuseClear = 8,       // OnClearCell
    kmEditOnCut = 16,        // OnCellCut edits the grid
    kmEditOnCleared = 32,    // OnCellCleared edits the grid
    kmRefuseDragStart = 64,  // OnColumnStartDrag, OnRowStartDrag
    kmRefuseDrop = 128,      // OnColumnDragDrop, OnRowDragDrop
};

// The machine's grid. Key messages sent through Perform carry no modifier keys (those come from
// the key state of a real keyboard), so the modifiers the program holds down are added here, on
// their way to the grid's key handlers.
class TFuzzGrid : public TCarrelon {
public:
    using TCarrelon::TCarrelon;
    TShiftState Held;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override { TCarrelon::KeyDown(Key, Shift + Held); }
    void KeyUp(Word& Key, TShiftState Shift) override { TCarrelon::KeyUp(Key, Shift + Held); }
};

// Settings of the grid that the starting state has and the fingerprint shows.
struct TSettings {
    bool SortOnClick = false, SortOnDblClick = false, SortIndicator = false, HideSelection = false;
    TCarrelonEditorOptions EditorOptions;
    TCarrelonTabOptions TabOptions;
    TCarrelonSpreadsheetOptions SpreadsheetOptions;
};

struct TMachine {
    TForm* Form = nullptr;
    TFuzzGrid* Grid = nullptr;
    TBitmap* Canvas = nullptr;
    TBitmap* Shot = nullptr;     // what SaveToBitmap renders into
    TImage* Preview = nullptr;   // what PrintPreview draws into
    TBitmap* Picture = nullptr;  // a picture the program puts on the clipboard
    TFont* Fonts[2] = {};        // fonts the program gives cells and columns
    TManualTimerClock* Clock = nullptr;
    int Depth = 0;  // the update lock the program holds
    TChangeMode ChangeMode = cmNone;
    bool RefuseSelect = false;
    AnsiString EditText;
    int ClipMode = 0;  // TClipModeBit
    int ClipEdit = 0;  // which edit the clipboard handlers make
    // What the fingerprint does not show, put back by Reset: the clipboard was used, a column's
    // attributes changed (a full reset), an INI text was loaded (the starting state's text is
    // loaded again, which brings back every property the INI text holds), the mouse moved.
    bool ClipboardUsed = false, Dirty = false, IniLoaded = false, MouseUsed = false;
    TSettings Defaults;
    std::string Baseline;                // the starting state's INI text
    std::vector<long long> Fingerprint;  // of the starting state
    std::string Trace;                   // the steps of the input so far, for the oracles
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
                                Access::LiveCells(),
                                G->GetSortOnClick(),
                                G->GetSortOnDblClick(),
                                G->GetSortIndicator(),
                                G->GetHideSelection(),
                                static_cast<long long>(G->GetEditorOptions().ToInt()),
                                static_cast<long long>(G->GetTabOptions().ToInt()),
                                static_cast<long long>(G->GetSpreadsheetOptions().ToInt()),
                                G->Focused()};
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

// Where two fingerprints part, for the oracle's message.
std::string Differs(const std::vector<long long>& A, const std::vector<long long>& B) {
    if (A.size() != B.size())
        return " (" + std::to_string(A.size()) + " entries, then " + std::to_string(B.size()) + ")";
    for (std::size_t i = 0; i < A.size(); ++i)
        if (A[i] != B[i])
            return " (entry " + std::to_string(i) + ": " + std::to_string(A[i]) + ", then " +
                   std::to_string(B[i]) + ")";
    return std::string();
}

void ClearHandlers(TMachine& M) {
    M.ChangeMode = cmNone;
    M.RefuseSelect = false;
    M.EditText.clear();
    M.ClipMode = 0;
    M.ClipEdit = 0;
    M.Grid->Held = {};
}

std::string SavedIni(TCarrelon* G) {
    TStringList L;
    G->SaveToIniStrings(&L);
    return L.GetText();
}

// The text a load of Text saves again: the "Value" section's numbers of a type other than a
// date or currency come back as floating-point values of the same amount (code 005).
std::string AsLoaded(const std::string& Text) {
    TStringList L;
    L.SetText(Text);
    bool Values = false;
    for (int i = 0; i < L.GetCount(); ++i) {
        AnsiString S = L.Get(i);
        if (!S.empty() && S[0] == '[') {
            Values = S == "[Value]";
            continue;
        }
        const std::size_t Eq = S.find('=');
        if (!Values || Eq == AnsiString::npos || S.size() < Eq + 4) continue;
        const AnsiString Code = S.substr(Eq + 1, 3);
        static const char* const Floats[] = {"002", "003", "004", "010", "011",
                                             "012", "013", "014", "015"};
        for (const char* F : Floats)
            if (Code == F) {
                S.replace(Eq + 1, 3, "005");
                L.Put(i, S);
            }
    }
    return L.GetText();
}

void LoadIni(TCarrelon* G, const std::string& Text) {
    TStringList L;
    L.SetText(Text);
    G->LoadFromIniStrings(&L);
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
    if (M.ClipboardUsed) {
        Clipboard()->Clear();
        M.ClipboardUsed = false;
    }
    if (M.MouseUsed) {
        Application()->CancelHint();
        M.MouseUsed = false;
    }
    if (M.IniLoaded) {
        G->SetCellBudget(TCarrelon::DefaultCellBudget);
        LoadIni(G, M.Baseline);
        M.IniLoaded = false;
        M.Dirty = true;
    }
    // What a program changes shows in the fingerprint; a grid that shows nothing changed is
    // kept, since making its cells and columns again is the larger part of a short run.
    if (!M.Dirty && !M.Fingerprint.empty() && Fingerprint(G) == M.Fingerprint) return;
    M.Dirty = false;
    if (!G->Focused()) G->SetFocus();
    G->SetSortOnClick(M.Defaults.SortOnClick);
    G->SetSortOnDblClick(M.Defaults.SortOnDblClick);
    G->SetSortIndicator(M.Defaults.SortIndicator);
    G->SetHideSelection(M.Defaults.HideSelection);
    G->SetEditorOptions(M.Defaults.EditorOptions);
    G->SetTabOptions(M.Defaults.TabOptions);
    G->SetSpreadsheetOptions(M.Defaults.SpreadsheetOptions);
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
    G->OnPaste = [&M](TCarrelon*, int, int, TCarrelonClipboardCell*, bool& CanPaste) {
        if (M.ClipMode & kmRefusePaste) CanPaste = false;
    };
    G->OnPastePlainText = [&M](TCarrelon*, int, int, AnsiString&, bool& CanPaste) {
        if (M.ClipMode & kmRefusePasteText) CanPaste = false;
    };
    G->OnPasteGraphics = [&M](TCarrelon*, int, int, TGraphic*, bool& CanPaste) {
        if (M.ClipMode & kmRefusePasteGraphic) CanPaste = false;
    };
    G->OnClearCell = [&M](TCarrelon*, int, int, bool& CanClear) {
        if (M.ClipMode & kmRefuseClear) CanClear = false;
    };
    G->OnCellCut = [&M](TCarrelon*, int, int) {
        if (M.ClipMode & kmEditOnCut) HandlerEdit(M.Grid, M.ClipEdit);
    };
    G->OnCellCleared = [&M](TCarrelon*, int, int) {
        if (M.ClipMode & kmEditOnCleared) HandlerEdit(M.Grid, M.ClipEdit);
    };
    const auto StartDrag = [&M](TCarrelon*, int, bool& CanDrag) {
        if (M.ClipMode & kmRefuseDragStart) CanDrag = false;
    };
    const auto Drop = [&M](TCarrelon*, int, int, bool& CanDrop) {
        if (M.ClipMode & kmRefuseDrop) CanDrop = false;
    };
    G->OnColumnStartDrag = StartDrag;
    G->OnRowStartDrag = StartDrag;
    G->OnColumnDragDrop = Drop;
    G->OnRowDragDrop = Drop;
}

// ---- input as a user gives it --------------------------------------------------------------

// The window a key goes to: the in-place editor while it is open, else the grid.
TWinControl* KeyWindow(TMachine& M) {
    TCarrelonInplaceEditor* E = Access::Internals(M.Grid).FInplaceEditor;
    if (M.Grid->GetEditorMode() && E != nullptr && E->HandleAllocated()) return E;
    return M.Grid;
}

// What input posts (a typed character on its way to the editor, a Tab leaving the grid) arrives
// as the event loop delivers it. Pending paints are dropped first: painting is an operation of
// its own.
void DeliverPosted(TMachine& M) {
    ValidateRect(M.Grid->GetHandle(), nullptr);
    if (TCarrelonInplaceEditor* E = Access::Internals(M.Grid).FInplaceEditor;
        E != nullptr && E->HandleAllocated())
        ValidateRect(E->GetHandle(), nullptr);
    Application()->ProcessMessages();
}

// A key as the platform hands it on: the control's own look first (dialog keys go on to the
// form from there), then the key and the character it types (none with Ctrl), then the release
// to whichever window has the keyboard by then.
void PressKey(TMachine& M, Word Key, char32_t Char, TShiftState Shift) {
    TWinControl* W = KeyWindow(M);
    M.Grid->Held = W == M.Grid ? Shift : TShiftState{};
    if (W->Perform(CN_KEYDOWN, Key, 1) == 0) {
        W->Perform(WM_KEYDOWN, Key, 1);
        if (Char != 0 && !Shift.Contains(ssCtrl) && W->Perform(CN_CHAR, Char, 1) == 0)
            W->Perform(WM_CHAR, Char, 1);
    }
    W = KeyWindow(M);
    M.Grid->Held = W == M.Grid ? Shift : TShiftState{};
    W->Perform(WM_KEYUP, Key, 1 | (1 << 30) | (std::intptr_t{1} << 31));
    M.Grid->Held = {};
    // Only an open editor (characters on their way to it) and a Tab (which may leave the grid)
    // have anything posted.
    if (M.Grid->GetEditorMode() || Key == VK_TAB) DeliverPosted(M);
}

void TypeChar(TMachine& M, char32_t Char) {
    TWinControl* W = KeyWindow(M);
    if (W->Perform(CN_CHAR, Char, 1) == 0) W->Perform(WM_CHAR, Char, 1);
    if (M.Grid->GetEditorMode() || Char == U'\t') DeliverPosted(M);
}

struct TKey {
    Word Key;
    char32_t Char;  // what the key types, 0 for nothing
};
const TKey Keys[] = {
    {VK_LEFT, 0},       {VK_RIGHT, 0},     {VK_UP, 0},   {VK_DOWN, 0},    {VK_TAB, U'\t'},
    {VK_RETURN, U'\r'}, {VK_ESCAPE, 0x1B}, {VK_F2, 0},   {VK_DELETE, 0},  {VK_SPACE, U' '},
    {VK_PRIOR, 0},      {VK_NEXT, 0},      {VK_HOME, 0}, {VK_END, 0},     {VK_INSERT, 0},
    {'C', U'c'},        {'X', U'x'},       {'V', U'v'},  {VK_BACK, 0x08}, {'A', U'a'},
    {'1', U'1'},
};
constexpr int KeyCount = sizeof(Keys) / sizeof(Keys[0]);

const char32_t Chars[] = {U'a', U'Z', U'0',  U'7',  U'=', U'-', U'.', U',',   U' ',
                          U'+', U'(', U'\r', U'\t', 0x1B, 0x08, 0xE9, 0x4E2D, 0x1F600};
constexpr int CharCount = sizeof(Chars) / sizeof(Chars[0]);

// A client point taken from the present geometry: the middle of a slot, a column's right
// boundary in the top row (where a column is sized), a row's bottom boundary in the first column
// (where a row is sized), or any point of the client area and a little around it.
TPoint SomePoint(TMachine& M, TProgram& P) {
    TCarrelon* G = M.Grid;
    const TCarrelonPrivate& D = Access::Internals(G);
    const int W = G->GetClientWidth(), H = G->GetClientHeight();
    long long X = 0, Y = 0;
    switch (P.Byte() % 4) {
        case 0: {
            const int C = P.Byte() % G->GetColCount(), R = P.Byte() % G->GetRowCount();
            const TRect Rc = G->CellRect(C, R);
            if (Rc.Right > Rc.Left && Rc.Bottom > Rc.Top) {
                X = (Rc.Left + Rc.Right) / 2;
                Y = (Rc.Top + Rc.Bottom) / 2;
            } else {
                X = D.GetX(C) + 2;
                Y = D.GetY(R) + 2;
            }
            break;
        }
        case 1: {
            const int C = P.Byte() % G->GetColCount();
            X = static_cast<long long>(D.GetX(C)) + G->GetColWidths(C) + P.Byte() % 9 - 4;
            Y = std::min(G->GetRowHeights(0), H) / 2;
            break;
        }
        case 2: {
            const int R = P.Byte() % G->GetRowCount();
            Y = static_cast<long long>(D.GetY(R)) + G->GetRowHeights(R) + P.Byte() % 9 - 4;
            X = std::min(G->GetColWidths(0), W) / 2;
            break;
        }
        default:
            X = P.Byte() * (W + 40LL) / 255 - 20;
            Y = P.Byte() * (H + 40LL) / 255 - 20;
            break;
    }
    return TPoint{static_cast<int>(std::clamp<long long>(X, -2000, 30000)),
                  static_cast<int>(std::clamp<long long>(Y, -2000, 30000))};
}

std::intptr_t At(TPoint P) {
    return MakeLParam(P.X, P.Y);
}

// Mouse input through the mouse messages; every press is released within the operation.
void MouseInput(TMachine& M, TProgram& P, std::string& What) {
    TCarrelon* G = M.Grid;
    M.MouseUsed = true;
    const int Kind = P.Byte() % 6;
    const std::uint8_t Mods = P.Byte();
    const std::intptr_t Keys = ((Mods & 1) ? MK_SHIFT : 0) | ((Mods & 2) ? MK_CONTROL : 0);
    const TPoint A = SomePoint(M, P);
    What += " mouse " + std::to_string(Kind) + " " + std::to_string(Keys) + " (" +
            std::to_string(A.X) + "," + std::to_string(A.Y) + ")";
    switch (Kind) {
        case 0:  // click
            G->Perform(WM_LBUTTONDOWN, MK_LBUTTON | Keys, At(A));
            G->Perform(WM_LBUTTONUP, Keys, At(A));
            break;
        case 1:  // double click
            G->Perform(WM_LBUTTONDOWN, MK_LBUTTON | Keys, At(A));
            G->Perform(WM_LBUTTONUP, Keys, At(A));
            G->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON | Keys, At(A));
            G->Perform(WM_LBUTTONUP, Keys, At(A));
            break;
        case 2: {  // drag, in steps, now and then waiting (the selection scrolls past an edge)
            const TPoint B = SomePoint(M, P);
            const int Steps = 1 + P.Byte() % 4;
            const Cardinal Wait = (P.Byte() % 3) * 300;
            What += " to (" + std::to_string(B.X) + "," + std::to_string(B.Y) + ") in " +
                    std::to_string(Steps) + ", waiting " + std::to_string(Wait);
            G->Perform(WM_LBUTTONDOWN, MK_LBUTTON | Keys, At(A));
            for (int i = 1; i <= Steps; ++i) {
                const TPoint S{A.X + (B.X - A.X) * i / Steps, A.Y + (B.Y - A.Y) * i / Steps};
                G->Perform(WM_MOUSEMOVE, MK_LBUTTON | Keys, At(S));
                if (Wait > 0) M.Clock->Advance(Wait);
            }
            G->Perform(WM_LBUTTONUP, Keys, At(B));
            break;
        }
        case 3:  // the right button
            G->Perform(WM_RBUTTONDOWN, MK_RBUTTON | Keys, At(A));
            G->Perform(WM_RBUTTONUP, Keys, At(A));
            break;
        case 4: {  // the wheel
            const int Delta = (Mods & 4) ? -WHEEL_DELTA : WHEEL_DELTA;
            G->Perform(WM_MOUSEWHEEL, MakeLParam(static_cast<int>(Keys), Delta),
                       At(G->ClientToScreen(A)));
            break;
        }
        default:  // a move with no button down
            G->Perform(WM_MOUSEMOVE, Keys, At(A));
            break;
    }
}

// A text to find: a piece of some cell's text, or a text of the program.
AnsiString FindText(TCarrelon* G, TProgram& P) {
    if (!P.Flag()) return P.Text();
    const AnsiString T = SomeCell(G, P)->GetText();
    if (T.empty()) return T;
    const std::size_t From = P.Byte() % T.size();
    return T.substr(From, 1 + P.Byte() % (T.size() - From));
}

bool IsAscii(const AnsiString& S) {
    for (unsigned char c : S)
        if (c >= 0x80) return false;
    return true;
}

AnsiString AsciiUpper(AnsiString S) {
    for (char& c : S)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return S;
}

// Lines of TAB-separated fields from the program.
void ProgramLines(TProgram& P, TStrings& L) {
    const int Lines = 1 + P.Byte() % 4;
    for (int i = 0; i < Lines; ++i) {
        const int Fields = 1 + P.Byte() % 4;
        AnsiString Line;
        for (int k = 0; k < Fields; ++k) {
            if (k > 0) Line += '\t';
            Line += P.Text();
        }
        L.Add(Line);
    }
}

// An INI text from the program: the grid's own text with a line taken out, replaced or given
// another value, or a few lines of the grid's own text and of the program's.
std::string ProgramIni(TCarrelon* G, TProgram& P, int Mode) {
    TStringList Own;
    G->SaveToIniStrings(&Own);
    const int N = Own.GetCount();
    auto Pick = [&] { return N == 0 ? 0 : (P.Byte() * 256 + P.Byte()) % N; };
    if (Mode == 2) {
        if (N == 0) return std::string();
        const int Line = Pick();
        switch (P.Byte() % 3) {
            case 0:
                Own.Delete(Line);
                break;
            case 1:
                Own.Put(Line, P.Text());
                break;
            default: {
                AnsiString S = Own.Get(Line);
                const std::size_t Eq = S.find('=');
                if (Eq != AnsiString::npos) S = S.substr(0, Eq + 1) + P.Text();
                Own.Put(Line, S);
                break;
            }
        }
        return Own.GetText();
    }
    TStringList L;
    const int Lines = 1 + P.Byte() % 8;
    for (int i = 0; i < Lines; ++i)
        L.Add(N > 0 && P.Flag() ? Own.Get(Pick()) : P.Text());
    return L.GetText();
}

// The sizes of the whole grid when SaveToBitmap may render it quickly, else false.
bool SmallGrid(TCarrelon* G, long long& Width, long long& Height) {
    Width = Height = 0;
    for (int c = 0; c < G->GetColCount(); ++c)
        Width += G->GetColWidths(c);
    for (int r = 0; r < G->GetRowCount(); ++r)
        Height += G->GetRowHeights(r);
    return Width <= 800 && Height <= 800;
}

void Step(TMachine& M, TProgram& P, std::uint8_t Op, std::string& What) {
    TCarrelon* G = M.Grid;
    const int Cols = G->GetColCount(), Rows = G->GetRowCount();
    What = "op " + std::to_string(Op);
    auto Arg = [&What](long long V) {
        What += " " + std::to_string(V);
        return V;
    };
    switch (Op % 67) {
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
        case 47: {
            TCarrelonCol* C = G->GetAbsoluteCols(P.Byte() % G->GetAbsoluteColCount());
            if (P.Flag())
                C->SetVisible(Arg(P.Flag()));
            else
                C->SetWordWrap(Arg(P.Flag()));
            break;
        }
        case 48: {  // copying changes nothing in the grid
            M.ClipboardUsed = true;
            const bool Closed = !G->GetEditorMode();
            const std::vector<long long> Before = Fingerprint(G);
            // Every copied cell is streamed: a large grid or selection copies one cell instead,
            // which keeps the step quick.
            int Mode = static_cast<int>(Arg(P.Byte() % 3));
            if ((Mode == 0 && static_cast<long long>(Cols) * Rows > 64) ||
                (Mode == 1 && G->GetSelectedCells()->GetCount() > 64))
                Mode = 2;
            switch (Mode) {
                case 0:
                    G->CopyToClipboard();
                    break;
                case 1:
                    G->GetSelectedCells()->CopyToClipboard();
                    break;
                default:
                    SomeCell(G, P)->CopyToClipboard();
                    break;
            }
            if (Closed && !G->GetEditorMode())
                FUZZ_CHECK(Fingerprint(G) == Before, M.Trace + What + ": copying changed the grid" +
                                                         Differs(Before, Fingerprint(G)));
            break;
        }
        case 49:
            M.ClipboardUsed = true;
            if (Arg(P.Flag()))
                G->GetSelectedCells()->CutToClipboard();
            else
                SomeCell(G, P)->CutToClipboard();
            break;
        case 50:
            if (Arg(P.Flag()))
                G->PasteFromClipboard();
            else
                SomeCell(G, P)->PasteFromClipboard();
            break;
        case 51:
            G->ClearSelection();
            break;
        case 52: {  // the clipboard holds what the program gives it
            M.ClipboardUsed = true;
            switch (Arg(P.Byte() % 4)) {
                case 0: {
                    const AnsiString T = P.Text();
                    What += " \"" + Escaped(T) + "\"";
                    Clipboard()->SetAsText(T);
                    break;
                }
                case 1: {
                    TStringList L;
                    ProgramLines(P, L);
                    What += " \"" + Escaped(L.GetText()) + "\"";
                    Clipboard()->SetAsText(L.GetText());
                    break;
                }
                case 2:
                    Clipboard()->Assign(M.Picture);
                    break;
                default: {
                    std::vector<Byte> Bytes;
                    for (int n = P.Byte() % 24; n > 0 && !P.AtEnd(); --n)
                        Bytes.push_back(P.Byte());
                    Clipboard()->SetAsBytes(CF_COMPONENT, Bytes);
                    break;
                }
            }
            break;
        }
        case 53:
            // Column attributes do not show in the fingerprint.
            M.Dirty = true;
            G->CondenseColumnAttributes();
            break;
        case 54:
        case 55: {
            const AnsiString Find = FindText(G, P);
            const std::uint8_t Bits = P.Byte();
            TFindOptions O;
            if (Bits & 1) O.Include(frDown);
            if (Bits & 2) O.Include(frMatchCase);
            if (Bits & 4) O.Include(frWholeWord);
            if (Bits & 8) O.Include(frReplace);
            if (Bits & 16) O.Include(frReplaceAll);
            What += " \"" + Escaped(Find) + "\" " + std::to_string(Bits);
            if (Op % 67 == 55) {
                const AnsiString With = P.Text();
                What += " \"" + Escaped(With) + "\"";
                G->FindAndReplace(Find, With, O);
                break;
            }
            const bool Closed = !G->GetEditorMode();
            if (!G->Find(Find, O) || !Closed || G->GetRow() < 0) break;
            // The cell found is the current one and holds the text.
            const AnsiString T = G->GetCells(G->GetCol(), G->GetRow())->GetText();
            if (O.Contains(frMatchCase))
                FUZZ_CHECK(T.find(Find) != AnsiString::npos,
                           M.Trace + What + ": found in \"" + Escaped(T) + "\"");
            else if (IsAscii(Find) && IsAscii(T))
                FUZZ_CHECK(AsciiUpper(T).find(AsciiUpper(Find)) != AnsiString::npos,
                           M.Trace + What + ": found in \"" + Escaped(T) + "\"");
            break;
        }
        case 56: {
            const bool OfRows = Arg(P.Flag());
            std::vector<int> List(P.Byte() % 5);
            for (int& i : List)
                i = static_cast<int>(Arg(P.Index(OfRows ? Rows : Cols)));
            if (OfRows)
                G->AutoSizeRowsEx(List);
            else
                G->AutoSizeColumnsEx(List);
            break;
        }
        case 57:
            M.ClipMode = static_cast<int>(Arg(P.Byte()));
            M.ClipEdit = static_cast<int>(Arg(P.Byte()));
            break;
        case 58: {  // plain text: saving changes nothing, a failed load neither
            const bool Closed = !G->GetEditorMode();
            const std::vector<long long> Before = Fingerprint(G);
            TStringList L;
            const int Mode = static_cast<int>(Arg(P.Byte() % 3));
            if (Mode < 2) {
                const bool Saved = G->SaveToStrings(&L);
                if (!Closed || G->GetEditorMode()) break;
                FUZZ_CHECK(Saved && Fingerprint(G) == Before,
                           M.Trace + What + ": saving text changed the grid");
                const int H = G->GetSpreadsheetHeaders() ? 1 : 0;
                FUZZ_CHECK(L.GetCount() == std::max(Rows - H, 0),
                           M.Trace + What + ": " + std::to_string(L.GetCount()) + " lines saved");
                if (Mode == 0) break;
            } else {
                ProgramLines(P, L);
                What += " \"" + Escaped(L.GetText()) + "\"";
            }
            const bool Loaded = G->LoadFromStrings(&L);
            if (!Loaded && Closed && !G->GetEditorMode())
                FUZZ_CHECK(Fingerprint(G) == Before, M.Trace + What +
                                                         ": a failed text load changed the grid" +
                                                         Differs(Before, Fingerprint(G)));
            break;
        }
        case 59: {  // INI text
            const bool Closed = !G->GetEditorMode();
            const std::vector<long long> Before = Fingerprint(G);
            const int Mode = static_cast<int>(Arg(P.Byte() % 4));
            if (Mode < 2) {
                const std::string First = SavedIni(G);
                if (!Closed || G->GetEditorMode()) break;
                FUZZ_CHECK(Fingerprint(G) == Before, M.Trace + What +
                                                         ": saving the INI text changed the grid" +
                                                         Differs(Before, Fingerprint(G)));
                // The grid's own text loads and saves to the same text (whole numbers coming back
                // as floating-point ones), where the budget (which the program may have set below
                // what the grid holds) lets it load.
                if (Mode == 0 ||
                    static_cast<long long>(G->GetAbsoluteColCount()) * G->GetRowCount() >
                        G->GetCellBudget())
                    break;
                M.IniLoaded = true;
                TStringList L;
                L.SetText(First);
                bool Loaded = false;
                try {
                    Loaded = G->LoadFromIniStrings(&L);
                } catch (const EIniLoadError& E) {
                    FUZZ_CHECK(false, M.Trace + What + ": the grid's own INI text raised " +
                                          E.Message + "\n" + Escaped(First));
                }
                FUZZ_CHECK(Loaded, M.Trace + What + ": the grid's own INI text did not load");
                // An editor the options open again after the load would commit its text (the
                // application's, from OnGetEditText) when the save closes it.
                if (G->GetEditorMode()) break;
                const std::string Second = SavedIni(G);
                FUZZ_CHECK(Second == AsLoaded(First),
                           M.Trace + What + ": the grid's own INI text came back as\n" +
                               Escaped(Second) + "\ninstead of\n" + Escaped(First));
                break;
            }
            const std::string Text = ProgramIni(G, P, Mode);
            What += " \"" + Escaped(Text.substr(0, 200)) + "\"";
            TStringList L;
            L.SetText(Text);
            M.IniLoaded = true;
            // A text may ask for many cells; the budget keeps the later steps quick.
            const long long Budget = G->GetCellBudget();
            G->SetCellBudget(std::min<long long>(Budget, 4000));
            bool Failed = false;
            try {
                G->LoadFromIniStrings(&L);
            } catch (const EIniLoadError&) {
                Failed = true;
            }
            G->SetCellBudget(Budget);
            if (Failed && Closed && !G->GetEditorMode())
                FUZZ_CHECK(Fingerprint(G) == Before, M.Trace + What +
                                                         ": a failed INI load changed the grid" +
                                                         Differs(Before, Fingerprint(G)));
            break;
        }
        case 60: {  // a bitmap of a small grid is made, and nothing changes
            long long Width = 0, Height = 0;
            if (!SmallGrid(G, Width, Height)) break;
            const bool Closed = !G->GetEditorMode();
            const std::vector<long long> Before = Fingerprint(G);
            const bool Made = G->SaveToBitmap(M.Shot);
            if (!Closed || G->GetEditorMode()) break;
            FUZZ_CHECK(Made && M.Shot->GetWidth() >= Width && M.Shot->GetHeight() >= Height,
                       M.Trace + What + ": a bitmap of " + std::to_string(Width) + " x " +
                           std::to_string(Height) + " came out " +
                           std::to_string(M.Shot->GetWidth()) + " x " +
                           std::to_string(M.Shot->GetHeight()));
            FUZZ_CHECK(Fingerprint(G) == Before, M.Trace + What +
                                                     ": saving a bitmap changed the grid" +
                                                     Differs(Before, Fingerprint(G)));
            break;
        }
        case 61: {
            const TKey& K = Keys[P.Byte() % KeyCount];
            const std::uint8_t Mods = P.Byte();
            TShiftState Shift;
            if (Mods & 1) Shift.Include(ssShift);
            if (Mods & 2) Shift.Include(ssCtrl);
            What += " key " + std::to_string(K.Key) + " " + std::to_string(Mods & 3);
            PressKey(M, K.Key, K.Char, Shift);
            break;
        }
        case 62: {
            const std::uint8_t B = P.Byte();
            const char32_t C = B < 128 ? Chars[B % CharCount] : static_cast<char32_t>(P.Byte());
            What += " char " + std::to_string(static_cast<unsigned>(C));
            TypeChar(M, C);
            break;
        }
        case 63:
            MouseInput(M, P, What);
            break;
        case 64:  // settings the keys and the mouse follow
            switch (Arg(P.Byte() % 8)) {
                case 0:
                    G->SetSortOnClick(Arg(P.Flag()));
                    break;
                case 1:
                    G->SetSortOnDblClick(Arg(P.Flag()));
                    break;
                case 2: {
                    TCarrelonEditorOptions O = G->GetEditorOptions();
                    const auto Bit = static_cast<TCarrelonEditorOption>(Arg(P.Byte() % 7));
                    G->SetEditorOptions(O.Contains(Bit) ? O.Exclude(Bit) : O.Include(Bit));
                    break;
                }
                case 3: {
                    TCarrelonTabOptions O = G->GetTabOptions();
                    const auto Bit = static_cast<TCarrelonTabOption>(Arg(P.Byte() % 2));
                    G->SetTabOptions(O.Contains(Bit) ? O.Exclude(Bit) : O.Include(Bit));
                    break;
                }
                case 4: {
                    TCarrelonSpreadsheetOptions O = G->GetSpreadsheetOptions();
                    const auto Bit = static_cast<TCarrelonSpreadsheetOption>(Arg(P.Byte() % 3));
                    G->SetSpreadsheetOptions(O.Contains(Bit) ? O.Exclude(Bit) : O.Include(Bit));
                    break;
                }
                case 5: {
                    const int C = static_cast<int>(Arg(P.Index(Cols)));
                    M.Dirty = true;  // the columns keep it
                    if (C >= 0 && C < Cols) G->SetTabStops(C, Arg(P.Flag()));
                    break;
                }
                case 6:
                    G->SetSortIndicator(Arg(P.Flag()));
                    break;
                default:
                    G->SetHideSelection(Arg(P.Flag()));
                    break;
            }
            break;
        case 66: {  // a print or preview of a small grid on the stand-in printer changes nothing
            long long Width = 0, Height = 0;
            if (!SmallGrid(G, Width, Height)) break;
            const bool Closed = !G->GetEditorMode();
            const std::vector<long long> Before = Fingerprint(G);
            const int Page = static_cast<int>(P.Byte() % 4) - 1;
            const int C1 = P.Index(Cols), R1 = P.Index(Rows), C2 = P.Index(Cols),
                      R2 = P.Index(Rows);
            int Result = 0;
            switch (Arg(P.Byte() % 5)) {
                case 0:
                    Result = G->Print();
                    break;
                case 1:
                    Result = G->PrintPage(static_cast<int>(Arg(Page)));
                    break;
                case 2:
                    Result = G->PrintRange(static_cast<int>(Arg(C1)), static_cast<int>(Arg(R1)),
                                           static_cast<int>(Arg(C2)), static_cast<int>(Arg(R2)));
                    break;
                case 3:
                    Result = G->PrintPreview(M.Preview, static_cast<int>(Arg(Page)));
                    break;
                default:
                    Result =
                        G->PrintPreviewRange(static_cast<int>(Arg(C1)), static_cast<int>(Arg(R1)),
                                             static_cast<int>(Arg(C2)), static_cast<int>(Arg(R2)),
                                             M.Preview, static_cast<int>(Arg(Page)));
                    break;
            }
            What += " -> " + std::to_string(Result);
            FUZZ_CHECK(!Printer()->GetPrinting(), M.Trace + What + ": the print job stayed open");
            if (!Closed || G->GetEditorMode()) break;
            FUZZ_CHECK(Fingerprint(G) == Before, M.Trace + What + ": printing changed the grid" +
                                                     Differs(Before, Fingerprint(G)));
            break;
        }
        default: {  // appearance of cells, the selection and columns
            static const TColor Colors[] = {clYellow, 0x808080, 0xFFFFFF, 0x0000FF};
            const TColor Color = Colors[P.Byte() % 4];
            const auto Alignment = static_cast<TAlignment>(P.Byte() % 3);
            const auto Layout = static_cast<TTextLayout>(P.Byte() % 3);
            const TFont* Font = M.Fonts[P.Byte() % 2];
            const int Which = static_cast<int>(Arg(P.Byte() % 12));
            if (Which < 4) {
                TCarrelonCell* Cell = SomeCell(G, P);
                if (Which == 0) Cell->SetColor(Color);
                if (Which == 1) Cell->SetTextAlignment(Alignment);
                if (Which == 2) Cell->SetTextLayout(Layout);
                if (Which == 3) Cell->SetFont(Font);
            } else if (Which < 7) {
                TCarrelonSelection* S = G->GetSelectedCells();
                if (Which == 4) S->SetColor(Color);
                if (Which == 5) S->SetTextAlignment(Alignment);
                if (Which == 6) S->SetFont(Font);
            } else {
                // Column attributes do not show in the fingerprint.
                M.Dirty = true;
                TCarrelonCol* C = G->GetAbsoluteCols(P.Byte() % G->GetAbsoluteColCount());
                const bool Fixed = P.Flag();
                switch (Which) {
                    case 7:
                        Fixed ? C->SetFixedColor(Color) : C->SetColor(Color);
                        break;
                    case 8:
                        Fixed ? C->SetFixedTextAlignment(Alignment)
                              : C->SetTextAlignment(Alignment);
                        break;
                    case 9:
                        Fixed ? C->SetFixedFont(Font) : C->SetFont(Font);
                        break;
                    case 10:
                        Fixed ? C->SetMovable(P.Flag()) : C->SetResizable(P.Flag());
                        break;
                    default: {
                        const int W = P.Byte() * 2;
                        Fixed ? C->SetMinWidth(W) : C->SetMaxWidth(W);
                        break;
                    }
                }
            }
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
        // Timers fire only when advanced, which only a mouse drag does, and the time of day
        // follows the same clock: what a step does never depends on the machine's speed.
        static TManualTimerClock Clock;
        SetClock([] { return TDateTime(46000.5 + static_cast<double>(Clock.Now()) / 86400000.0); });
        auto* Made = new TMachine;
        Made->Clock = &Clock;
        Made->Form = new TForm(nullptr);
        Made->Form->SetBounds(0, 0, 200, 120);
        Made->Grid = new TFuzzGrid(Made->Form);
        Made->Grid->SetParent(Made->Form);
        Made->Grid->SetBounds(0, 0, 180, 100);
        Made->Form->Show();
        Made->Form->SetActiveControl(Made->Grid);
        Made->Canvas = new TBitmap;
        Made->Canvas->SetWidth(160);
        Made->Canvas->SetHeight(120);
        Made->Shot = new TBitmap;
        Made->Preview = new TImage(nullptr);
        // Prints go to a printer of few pixels and small pages: many pages, quickly laid out.
        TPrinterStandIn StandIn;
        StandIn.PixelsPerInchX = StandIn.PixelsPerInchY = 96;
        StandIn.PageWidth = 300;
        StandIn.PageHeight = 240;
        Printer()->SetStandIn(StandIn);
        Made->Picture = new TBitmap;
        Made->Picture->SetWidth(6);
        Made->Picture->SetHeight(4);
        Made->Picture->GetCanvas()->FillRect(TRect{0, 0, 6, 4});
        for (int i = 0; i < 2; ++i) {
            Made->Fonts[i] = new TFont;
            Made->Fonts[i]->SetSize(i == 0 ? 6 : 20);
            if (i == 1) Made->Fonts[i]->SetStyle(TFontStyles{fsBold});
        }
        TCarrelon* G = Made->Grid;
        Made->Defaults = {G->GetSortOnClick(),       G->GetSortOnDblClick(), G->GetSortIndicator(),
                          G->GetHideSelection(),     G->GetEditorOptions(),  G->GetTabOptions(),
                          G->GetSpreadsheetOptions()};
        InstallHandlers(*Made);
        Reset(*Made);
        Made->Fingerprint = Fingerprint(Made->Grid);
        Made->Baseline = SavedIni(Made->Grid);
        FUZZ_CHECK(Made->Grid->Focused(), "the grid has no focus at the start");
        return Made;
    }();
    return *M;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TMachine& M = Machine();
    TProgram P(Data, Size);
    std::string& Trace = M.Trace;
    Trace.clear();
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
    FUZZ_CHECK(Fingerprint(M.Grid) == M.Fingerprint,
               "reset after " + Trace + " differs (" + std::to_string(Access::LiveCells()) +
                   " cells alive)" + Differs(M.Fingerprint, Fingerprint(M.Grid)));
    return 0;
}
