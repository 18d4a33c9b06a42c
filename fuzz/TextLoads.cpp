// CSV, tab-delimited and TAB-separated string-list text loaded into a grid.
//
// Input: a flags byte (bits 0-1: 0 or 3 CSV, 1 tab-delimited file, 2 string list; bit 2:
// spreadsheet headings; bit 3: a cell budget too small for most texts; bit 4: a file size limit
// of 16 bytes), a byte for the user's list separator, then the text.
//
// Oracles: a load never raises; a load that fails leaves the grid exactly as it was (counts,
// every cell's text and formula, the model's invariants, the lock); a load that succeeds keeps
// the model sound, sets the row and column counts by the load's rules, puts every field's text
// (as a cell stores it) into its cell and leaves the cells no field reaches as they were.
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/TextSplitting.h"
#include "fuzz/support/FuzzSupport.h"
#include "grid/CarrelonPrivate.h"
#include "grid/CarrelonTextRules.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Locale.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

struct TSnapshot {
    int Cols = 0, Rows = 0, Depth = 0;
    std::vector<std::string> Texts;     // column-major
    std::vector<std::string> Formulas;  // column-major
    bool operator==(const TSnapshot&) const = default;
};

TSnapshot Take(const TCarrelon& G) {
    TSnapshot S{G.GetColCount(), G.GetRowCount(), TCarrelonPrivate::Of(&G).FUpdateCount, {}, {}};
    for (int k = 0; k < S.Cols; ++k)
        for (int r = 0; r < S.Rows; ++r) {
            S.Texts.push_back(G.GetCells(k, r)->GetText());
            S.Formulas.push_back(G.GetCells(k, r)->GetFormula());
        }
    return S;
}

// The fields a load finds in each line, as texts before the cell stores them.
using TLines = std::vector<std::vector<std::string>>;

std::vector<std::string> PlainTabFields(std::string_view Line) {
    std::vector<std::string> Out;
    if (Line.empty()) return Out;
    std::size_t Start = 0;
    for (std::size_t Tab; (Tab = Line.find('\t', Start)) != std::string_view::npos; Start = Tab + 1)
        Out.emplace_back(Line.substr(Start, Tab - Start));
    // One TAB at the very end adds no empty field.
    if (Start < Line.size()) Out.emplace_back(Line.substr(Start));
    return Out;
}

TLines Expected(int Mode, const std::string& Text, char ListSeparator) {
    TLines Out;
    std::vector<TTextField> Fields;
    if (Mode == 2) {
        TStringList L;
        L.SetText(Text);
        for (int i = 0; i < L.GetCount(); ++i)
            Out.push_back(PlainTabFields(L.Get(i)));
    } else if (Mode == 1) {
        for (std::string_view Line : SplitTabDelimitedLines(Text)) {
            SplitTabDelimitedFields(Line, Fields);
            auto& Row = Out.emplace_back();
            for (const TTextField& F : Fields)
                Row.push_back(TabDelimitedFieldText(F));
        }
    } else {
        for (std::string_view Line : SplitCSVLines(Text)) {
            SplitCSVFields(Line, ListSeparator, Fields);
            auto& Row = Out.emplace_back();
            for (const TTextField& F : Fields)
                Row.push_back(CSVFieldText(F));
        }
    }
    return Out;
}

TCarrelon& Grid() {
    static TCarrelon* const G = [] {
        carrelon::fuzz::StartOffscreenApplication();
        return new TCarrelon(nullptr);
    }();
    return *G;
}

// The same small grid before every input: texts in every cell and a formula reading two cells.
void Reset(TCarrelon& G, bool Headings, long long Budget, Int64 FileLimit) {
    G.DisableControls();
    G.SetSpreadsheetEnabled(false);
    G.SetSpreadsheetHeaders(false);
    G.SetCellBudget(TCarrelon::DefaultCellBudget);
    G.SetColCount(4);
    G.SetRowCount(5);
    G.SetFixedCols(1);
    G.SetFixedRows(1);
    for (int k = 0; k < 4; ++k)
        for (int r = 0; r < 5; ++r)
            G.GetCells(k, r)->SetText(std::to_string(k * 10 + r));
    G.GetCells(3, 4)->SetFormula("B2+C3");
    G.SetSpreadsheetHeaders(Headings);
    G.SetSpreadsheetEnabled(true);
    G.SetCellBudget(Budget);
    TCarrelonPrivate::Of(&G).FTextFileLimit = FileLimit;
    G.EnableControls();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size < 2) return 0;
    const int Flags = Data[0];
    const int Mode = Flags & 3;
    const bool Headings = (Flags & 4) != 0;
    const long long Budget = (Flags & 8) != 0 ? 64 : 20000;
    const Int64 FileLimit = (Flags & 16) != 0 ? 16 : Int64{1} << 20;
    const char Separator = static_cast<char>(Data[1]);
    const std::string Text(reinterpret_cast<const char*>(Data) + 2, Size - 2);

    TCarrelon& G = Grid();
    Reset(G, Headings, Budget, FileLimit);
    TLocaleScope Locale;
    ListSeparator = Separator;
    const TSnapshot Before = Take(G);
    static const std::string File = "/tmp/carrelon-fuzz-textloads-" + std::to_string(::getpid());
    bool Ok = false;
    if (Mode == 2) {
        TStringList L;
        L.SetText(Text);
        Ok = G.LoadFromStrings(&L);
    } else {
        std::ofstream(File, std::ios::binary | std::ios::trunc) << Text;
        Ok = Mode == 1 ? G.LoadFromTabDelimited(File) : G.LoadFromCSV(File);
    }
    std::string Why;
    FUZZ_CHECK(TCarrelonPrivate::Of(&G).CheckModelInvariants(&Why), Why + " " + Escaped(Text));
    const TSnapshot After = Take(G);
    if (!Ok) {
        FUZZ_CHECK(After == Before, "a failed load changed the grid: " + Escaped(Text));
        return 0;
    }
    FUZZ_CHECK(After.Depth == 0, Escaped(Text));
    const TLines Lines = Expected(Mode, Text, Separator);
    const int H = Headings ? 1 : 0;
    std::size_t Most = 0;
    for (const auto& L : Lines)
        Most = std::max(Most, L.size());
    const int Rows = static_cast<int>(Lines.size()) + H;
    FUZZ_CHECK(Mode == 1 || Mode == 2 ? After.Rows == std::max(Before.Rows, Rows)
                                      : After.Rows == std::max(Rows, 1),
               Escaped(Text));
    FUZZ_CHECK(After.Cols == std::max(Before.Cols, static_cast<int>(Most) + H), Escaped(Text));
    for (int k = 0; k < After.Cols; ++k)
        for (int r = 0; r < After.Rows; ++r) {
            const std::size_t At = static_cast<std::size_t>(k) * After.Rows + r;
            if (!After.Formulas[At].empty()) continue;  // its value follows the loaded cells
            const bool Reached = r >= H && k >= H &&
                                 static_cast<std::size_t>(r - H) < Lines.size() &&
                                 static_cast<std::size_t>(k - H) < Lines[r - H].size();
            std::string Want;
            if (Reached)
                Want = CarrelonNormaliseCellText(Lines[r - H][k - H]);
            else if (k < Before.Cols && r < Before.Rows)
                Want = Before.Texts[static_cast<std::size_t>(k) * Before.Rows + r];
            FUZZ_CHECK(After.Texts[At] == Want, "cell " + std::to_string(k) + "," +
                                                    std::to_string(r) + ": " +
                                                    Escaped(After.Texts[At]) + " for " +
                                                    Escaped(Want) + " in " + Escaped(Text));
        }
    return 0;
}
