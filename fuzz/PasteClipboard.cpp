// Clipboard contents pasted into a grid: a component stream from any program, or foreign text.
//
// Input: a byte choosing the format (even: the rest is the component stream, odd: the rest is
// text), a byte of settings (bit 0 cloAddColsOnPaste, bit 1 cloAddRowsOnPaste, bit 2 spreadsheet
// mode, bits 3-5 the current cell, bit 6 a second selected cell), then the clipboard's bytes.
//
// The grid starts the same for every input: 6 x 8 cells with texts, a number, a formula, a
// merged cell, colours, a hint and a border, and a cell budget of 4000 slots so that growth can
// fail cheaply.
//
// Oracles: a paste that returns False leaves the grid exactly as it was (counts, every cell's
// value, formula and attributes, merges, the current cell and the selection); whatever the
// result, the model's invariants hold; nothing but the documented False escapes.
#include <memory>
#include <string>
#include <vector>

#include "fuzz/support/FuzzSupport.h"
#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"
#include "platform/devices/Clipboard.h"
#include "platform/graphics/Graphics.h"
#include "tests/support/CarrelonTestAccess.h"

using namespace carrelon;

namespace {

void Fill(TCarrelon* Grid, Byte Settings) {
    Grid->SetColCount(6);
    Grid->SetRowCount(8);
    Grid->SetCellBudget(4000);
    TCarrelonOptions Options = Grid->GetOptions();
    if (Settings & 1) Options.Include(cloAddColsOnPaste);
    if (Settings & 2) Options.Include(cloAddRowsOnPaste);
    Grid->SetOptions(Options);
    Grid->GetCells(1, 1)->SetText("one");
    Grid->GetCells(2, 1)->SetValue(Variant(2.5));
    Grid->GetCells(3, 2)->SetText("two\r\nlines");
    Grid->GetCells(3, 2)->SetColor(clYellow);
    Grid->GetCells(1, 3)->SetHint("hint");
    Grid->GetCells(2, 3)->GetInnerBorder()->SetWidth(2);
    Grid->MergeHoriz(4, 5, 4, " ");
    Grid->SetSpreadsheetEnabled((Settings & 4) != 0);
    Grid->GetCells(2, 5)->SetFormula("B2*2+C2");
    const int Pick = (Settings >> 3) & 7;
    Grid->FocusCell(1 + Pick % 5, 1 + Pick);
    if (Settings & 64)
        TCarrelonTestAccess::List(Grid->GetSelectedCells()).Add(Grid->GetCells(4, 6));
}

void Append(std::string& S, long long V) {
    S += std::to_string(V);
    S += ',';
}

// Everything a paste may change.
std::string Snapshot(TCarrelon* Grid) {
    std::string S;
    Append(S, Grid->GetColCount());
    Append(S, Grid->GetRowCount());
    Append(S, Grid->GetAbsoluteColCount());
    Append(S, Grid->GetCol());
    Append(S, Grid->GetRow());
    for (int a = 0; a < Grid->GetAbsoluteColCount(); ++a)
        for (int r = 0; r < Grid->GetRowCount(); ++r) {
            TCarrelonCell* C = Grid->GetAbsoluteCells(a, r);
            S += '|';
            Append(S, reinterpret_cast<std::intptr_t>(C));
            Append(S, C->GetValue().Type());
            S += C->GetText();
            S += ';';
            S += C->GetFormula();
            S += ';';
            S += C->GetHint();
            S += ';';
            Append(S, C->GetColor());
            Append(S, C->GetSelectedColor());
            Append(S, C->GetTextAlignment());
            Append(S, C->GetMaxLength());
            Append(S, C->GetReadOnly());
            Append(S, C->GetCheckBox());
            Append(S, C->GetButton());
            Append(S, C->GetEndRow());
            Append(S, C->GetEndCol());
            Append(S, C->GetGraphic() != nullptr);
            Append(S, C->CalcFont()->GetHeight());
            S += C->CalcFont()->GetName();
            Append(S, TCarrelonTestAccess::HasProperties(C));
        }
    const TCarrelonSelection* Sel = Grid->GetSelectedCells();
    for (int i = 0; i < Sel->GetCount(); ++i)
        Append(S, reinterpret_cast<std::intptr_t>(Sel->GetCells(i)));
    return S;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartOffscreenApplication();
    // "Out of memory" when growth passes the budget: recorded, never shown.
    SetMessageDlgHandler([](const AnsiString&, TMsgDlgType, TMsgDlgButtons) { return mrOk; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size < 2) return 0;
    static TForm* const Form = new TForm(nullptr);
    auto Grid = std::make_unique<TCarrelon>(Form);
    Fill(Grid.get(), Data[1]);
    const std::vector<Byte> Bytes(Data + 2, Data + Size);
    if (Data[0] % 2 == 0)
        Clipboard()->SetAsBytes(CF_COMPONENT, Bytes);
    else
        Clipboard()->SetAsText(AnsiString(Bytes.begin(), Bytes.end()));
    const std::string Before = Snapshot(Grid.get());
    const bool Pasted = Grid->PasteFromClipboard();
    std::string Why;
    FUZZ_CHECK(TCarrelonTestAccess::CheckModelInvariants(Grid.get(), &Why), Why);
    if (!Pasted) FUZZ_CHECK(Snapshot(Grid.get()) == Before, "a failed paste changed the grid");
    return 0;
}
