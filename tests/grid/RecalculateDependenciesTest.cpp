// A committed edit recalculates what depends on it: the same values and the same events as the
// full passes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "grid/Carrelon.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon {
namespace {

using test::MakeMergedCell;

constexpr int kCols = 5, kRows = 8;

AnsiString Join(std::initializer_list<AnsiString> Parts) {
    AnsiString S;
    for (const AnsiString& P : Parts)
        S += P;
    return S;
}

struct TWatchedGrid {
    std::unique_ptr<TCarrelon> Grid = std::make_unique<TCarrelon>(nullptr);
    std::vector<std::string> Events;

    // FullPasses: a handler that lets every cell be evaluated, so the grid runs the full passes.
    // Rewrite: the application rewrites the text of some recalculated cells.
    TWatchedGrid(bool FullPasses, bool Headers, bool Rewrite) {
        Grid->SetColCount(kCols);
        Grid->SetRowCount(kRows);
        if (Headers) Grid->SetSpreadsheetHeaders(true);
        MakeMergedCell(Grid.get(), 2, 4, 3, 5);
        Grid->OnCellRecalculated = [this, Rewrite](TCarrelon*, int ACol, int ARow,
                                                   AnsiString& Text) {
            Events.push_back(Join({std::to_string(ACol), ",", std::to_string(ARow), "=", Text}));
            if (Rewrite && ACol == 1) Text = Join({"<", Text, ">"});
        };
        Grid->OnRecalculated = [this](TObject*) { Events.push_back("done"); };
        if (FullPasses) Grid->OnRecalculateCell = [](TCarrelon*, int, int, bool&, Variant&) {};
        Grid->SetSpreadsheetEnabled(true);
    }
};

AnsiString Name(std::mt19937& Rng, bool Headers) {
    const int h = Headers ? 1 : 0;
    const int c = std::uniform_int_distribution<int>(0, kCols - 1 - h)(Rng);
    const int r = std::uniform_int_distribution<int>(1, kRows - h)(Rng);
    return Join({AnsiString(1, static_cast<char>('A' + c)), std::to_string(r)});
}

AnsiString RandomFormula(std::mt19937& Rng, bool Headers) {
    const auto N = [&] { return Name(Rng, Headers); };
    switch (std::uniform_int_distribution<int>(0, 9)(Rng)) {
        case 0:
            return Join({N(), "+1"});
        case 1:
            return Join({N(), "*", N()});
        case 2:
            return Join({"SUM(", N(), ":", N(), ")"});
        case 3:
            return Join({"IF(", N(), ">2,", N(), ",7)"});
        case 4:
            return Join({"COUNT(", N(), ":", N(), ",", N(), ")"});
        case 5:
            return Join({"TODAY()-", N()});
        case 6:
            return Join({"MAX(", N(), ":", N(), ")+", N()});
        case 7:
            return Join({"1/", N()});  // division by zero while the cell is empty
        default:
            return Join({"2/(", N(), "+1)"});
    }
}

void ExpectSameCells(TWatchedGrid& A, TWatchedGrid& B, const std::string& Log) {
    ASSERT_EQ(A.Grid->GetAbsoluteColCount(), B.Grid->GetAbsoluteColCount());
    for (int k = 0; k < A.Grid->GetAbsoluteColCount(); ++k)
        for (int r = 0; r < kRows; ++r)
            ASSERT_EQ(A.Grid->GetAbsoluteCells(k, r)->GetText(),
                      B.Grid->GetAbsoluteCells(k, r)->GetText())
                << "cell " << k << "," << r << " after " << Log;
}

// Random edits on a grid that recalculates what an edit affects and on one whose application
// asks to see every cell (full passes): every value and every event agree, through cycles,
// ranges, merged and hidden cells, headings, the clock, rewritten texts, renumbering, moved
// and sorted rows.
void RunEquivalence(unsigned FirstSeed, unsigned Seeds, int Steps) {
    for (unsigned Seed = FirstSeed; Seed < FirstSeed + Seeds; ++Seed) {
        SCOPED_TRACE(Seed);
        const bool Headers = Seed % 3 == 0;
        const bool Rewrite = Seed % 5 == 1;
        std::mt19937 Rng(Seed);
        const auto Pick = [&](int N) { return std::uniform_int_distribution<int>(0, N - 1)(Rng); };
        TWatchedGrid Fast(false, Headers, Rewrite), Full(true, Headers, Rewrite);
        std::string Log;
        for (int Step = 0; Step < Steps; ++Step) {
            const int c = Pick(Fast.Grid->GetColCount()), r = Pick(kRows);
            const int Kind = Pick(22);
            const AnsiString Formula = RandomFormula(Rng, Headers);
            const int Number = Pick(9);
            const int Shift = Pick(3) - 1;
            Log += Join({std::to_string(Kind), "@", std::to_string(c), ",", std::to_string(r), ":",
                         Formula, " "});
            for (TWatchedGrid* W : {&Fast, &Full}) {
                W->Events.clear();
                TCarrelon* G = W->Grid.get();
                TCarrelonCell* Cell = G->GetCells(c, r);
                if (Kind < 8) {
                    Cell->SetFormula(Formula);
                } else if (Kind < 11) {
                    Cell->SetValue(Variant(static_cast<double>(Number)));
                } else if (Kind < 15) {
                    Cell->SetText(Number % 3 == 0 ? AnsiString("x") : std::to_string(Number));
                } else if (Kind < 17) {
                    Cell->SetText("");
                } else if (Kind == 17) {
                    Cell->SetFormula("");
                } else if (Kind == 18) {
                    // A column hidden or shown again: cells in hidden columns are not visited.
                    if (G->GetHiddenColCount() > 0)
                        G->ShowHiddenColumn(0);
                    else if (c >= (Headers ? 1 : 0))
                        G->HideColumn(c);
                } else if (Kind == 20) {
                    // Rows moved with their cells: formulas are rewritten to follow them.
                    G->MoveRow(r, (r + 3) % kRows);
                } else if (Kind == 21) {
                    // Rows sorted: cells move, formulas keep their text.
                    G->SetSortColumn(c);
                    G->Sort();
                } else {
                    // References renumbered as a structural edit does: rows from r on move.
                    const std::int64_t From = r + 1;
                    TCarrelonTestAccess::Internals(G).RenumberFormulas(
                        nullptr, [=](std::int64_t x) { return x >= From ? x + Shift : x; }, nullptr,
                        nullptr);
                }
            }
            ASSERT_EQ(Fast.Events, Full.Events) << Log;
            ExpectSameCells(Fast, Full, Log);
        }
    }
}

TEST(RecalculateDependencies, SameValuesAndEventsAsFullPasses) {
    RunEquivalence(1, 60, 80);
}

// Many more seeds, for a run by hand: CARRELON_RECALC_SEEDS=N.
TEST(RecalculateDependencies, SameValuesAndEventsAsFullPassesManySeeds) {
    const char* Env = std::getenv("CARRELON_RECALC_SEEDS");
    if (Env == nullptr) GTEST_SKIP() << "set CARRELON_RECALC_SEEDS to run";
    RunEquivalence(1000, static_cast<unsigned>(std::stoul(Env)), 120);
}

// Only the cells that read the edited cell are evaluated; with OnRecalculateCell assigned the
// application sees every formula cell.
TEST(RecalculateDependencies, EvaluatesOnlyReadersUnlessTheApplicationWatches) {
    TWatchedGrid W(false, false, false);
    TCarrelon* G = W.Grid.get();
    G->GetCells(1, 0)->SetFormula("A1+1");
    G->GetCells(2, 0)->SetFormula("B1*2");
    G->GetCells(4, 7)->SetFormula("E1+5");  // reads nothing that changes
    G->GetCells(0, 3)->SetFormula("SUM(A1:A3)");
    W.Events.clear();
    G->GetCells(0, 0)->SetText("3");
    EXPECT_EQ(W.Events, (std::vector<std::string>{"1,0=4", "2,0=8", "0,3=3", "done"}));

    std::vector<std::string> Seen;
    G->OnRecalculateCell = [&](TCarrelon*, int ACol, int ARow, bool&, Variant&) {
        Seen.push_back(Join({std::to_string(ACol), ",", std::to_string(ARow)}));
    };
    G->GetCells(0, 0)->SetText("4");
    // The first pass changes values, the second finds them stable.
    EXPECT_EQ(Seen,
              (std::vector<std::string>{"1,0", "2,0", "0,3", "4,7", "1,0", "2,0", "0,3", "4,7"}));
}

// A formula calling rand is evaluated at every recalculation, even when nothing it reads
// changed; so is the cell reading it.
TEST(RecalculateDependencies, VolatileCellsChangeAtEveryCommit) {
    TWatchedGrid W(false, false, false);
    TCarrelon* G = W.Grid.get();
    G->GetCells(0, 0)->SetFormula("RAND()");
    G->GetCells(0, 1)->SetFormula("A1*0+1");
    G->GetCells(1, 1)->SetFormula("A1+1");
    G->GetCells(4, 4)->SetText("1");  // a settled grid
    for (int i = 0; i < 3; ++i) {
        W.Events.clear();
        const AnsiString Before = G->GetCells(0, 0)->GetText();
        G->GetCells(4, 4)->SetText(std::to_string(i + 2));
        EXPECT_NE(G->GetCells(0, 0)->GetText(), Before);
        ASSERT_EQ(W.Events.size(), 3u);
        EXPECT_EQ(W.Events[0].rfind("0,0=", 0), 0u);
        EXPECT_EQ(W.Events[1].rfind("1,1=", 0), 0u);
        EXPECT_EQ(W.Events[2], "done");
    }
}

// A chain entered one formula at a time keeps every value right, whichever way it runs.
TEST(RecalculateDependencies, ChainsEnteredOneByOne) {
    for (bool Down : {true, false}) {
        for (bool ReadsBelow : {true, false}) {
            TWatchedGrid W(false, false, false);
            TCarrelon* G = W.Grid.get();
            G->SetRowCount(200);
            // Rows 0..198 hold formulas; the number is in row 199 (reading below) or row 0.
            const int Number = ReadsBelow ? 199 : 0;
            for (int i = 0; i < 199; ++i) {
                const int r = ReadsBelow ? (Down ? i : 198 - i) : (Down ? i + 1 : 199 - i);
                const int Read = ReadsBelow ? r + 2 : r;  // A1 row of the neighbour
                G->GetCells(0, r)->SetFormula(Join({"A", std::to_string(Read), "+1"}));
            }
            const int Far = ReadsBelow ? 0 : 199;
            G->GetCells(0, Number)->SetText("1");
            EXPECT_EQ(G->GetCells(0, Far)->GetText(), "200");
            W.Events.clear();
            G->GetCells(0, Number)->SetText("5");
            EXPECT_EQ(G->GetCells(0, Far)->GetText(), "204");
            ASSERT_EQ(W.Events.size(), 200u);
            // Row-major order, whatever the order of reading.
            EXPECT_EQ(W.Events.front(), ReadsBelow ? "0,0=204" : "0,1=6");
        }
    }
}

// A cycle that passes through the edited formula leaves it as the full passes would: the next
// unrelated commit evaluates it again.
TEST(RecalculateDependencies, CyclesKeepTheirResults) {
    TWatchedGrid Fast(false, false, false), Full(true, false, false);
    for (TWatchedGrid* W : {&Fast, &Full}) {
        TCarrelon* G = W->Grid.get();
        G->GetCells(0, 0)->SetText("1");
        G->GetCells(1, 0)->SetFormula("A1+C1");
        G->GetCells(2, 0)->SetFormula("B1+1");
        G->GetCells(3, 0)->SetFormula("C1");
        W->Events.clear();
        G->GetCells(0, 0)->SetText("2");
        G->GetCells(4, 4)->SetText("9");
        G->GetCells(2, 0)->SetFormula("A1*3");
        G->GetCells(4, 4)->SetText("8");
    }
    EXPECT_EQ(Fast.Events, Full.Events);
    ExpectSameCells(Fast, Full, "cycle");
    EXPECT_EQ(Fast.Grid->GetCells(3, 0)->GetText(), "6");
}

}  // namespace
}  // namespace carrelon
