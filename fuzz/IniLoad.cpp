// INI text loaded into a grid.
//
// Input: the bytes of an INI text, as a file would hold them.
//
// Oracles: the load succeeds or raises EIniLoadError; a failed load leaves the grid exactly as
// it was (its saved text is unchanged, its update lock and loading flag are down); a successful
// load leaves a sound model whose saved text loads again and saves to the same text. No message
// box is shown (counts beyond the cell budget are refused before the grid is touched).
#include <memory>
#include <string>

#include "fuzz/support/FuzzSupport.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Lists.h"
#include "tests/support/CarrelonTestAccess.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

// Slots a fuzzed text may ask for: enough for every feature, small enough to stay fast.
constexpr long long kCellBudget = 20000;

struct TFixture {
    TForm* Form = nullptr;
    TCarrelon* Grid = nullptr;
    std::string Baseline;  // the text every input starts from
    bool MessageShown = false;
};

std::string Saved(TCarrelon* Grid) {
    TStringList list;
    Grid->SaveToIniStrings(&list);
    return list.GetText();
}

bool Load(TCarrelon* Grid, const std::string& Text) {
    TStringList list;
    list.SetText(Text);
    return Grid->LoadFromIniStrings(&list);
}

// Made once and kept to the end of the process, as the application outlives every input.
TFixture& Fixture() {
    static TFixture* f = [] {
        fuzz::StartOffscreenApplication();
        auto* fx = new TFixture;
        SetMessageDlgHandler([fx](const AnsiString&, TMsgDlgType, TMsgDlgButtons) {
            fx->MessageShown = true;
            return mrOk;
        });
        fx->Form = new TForm(nullptr);
        fx->Form->SetBounds(0, 0, 400, 300);
        fx->Grid = new TCarrelon(fx->Form);
        fx->Grid->SetParent(fx->Form);
        fx->Grid->SetBounds(0, 0, 380, 280);
        fx->Grid->SetCellBudget(kCellBudget);
        fx->Grid->SetColCount(4);
        fx->Grid->GetCells(1, 1)->SetText("kept\r\ntext");
        fx->Grid->GetCells(2, 2)->SetValue(Variant(2.5));
        fx->Grid->MergeRect({1, 3, 2, 4}, true, "", "");
        fx->Baseline = Saved(fx->Grid);
        return fx;
    }();
    return *f;
}

void CheckSound(TCarrelon* Grid, const std::string& Input) {
    std::string why;
    FUZZ_CHECK(TCarrelonTestAccess::CheckModelInvariants(Grid, &why), why + "\n" + Escaped(Input));
    FUZZ_CHECK(TCarrelonTestAccess::Internals(Grid).FUpdateCount == 0, Escaped(Input));
    FUZZ_CHECK(!TCarrelonTestAccess::Internals(Grid).FIniLoading, Escaped(Input));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TFixture& f = Fixture();
    TCarrelon* Grid = f.Grid;
    const std::string input(reinterpret_cast<const char*>(Data), Size);

    FUZZ_CHECK(Load(Grid, f.Baseline), "the baseline did not load");
    const std::string before = Saved(Grid);
    f.MessageShown = false;
    bool loaded = false;
    try {
        loaded = Load(Grid, input);
    } catch (const EIniLoadError&) {
        FUZZ_CHECK(Saved(Grid) == before, "a failed load changed the grid\n" + Escaped(input));
        CheckSound(Grid, input);
        return 0;
    }
    FUZZ_CHECK(loaded, Escaped(input));
    FUZZ_CHECK(!f.MessageShown, "a message box was shown\n" + Escaped(input));
    CheckSound(Grid, input);
    const std::string first = Saved(Grid);
    FUZZ_CHECK(Load(Grid, first), Escaped(first));
    CheckSound(Grid, first);
    const std::string second = Saved(Grid);
    FUZZ_CHECK(second == first, "saved text changed on reload\n" + Escaped(input) + "\n" +
                                    Escaped(first) + "\n" + Escaped(second));
    return 0;
}
