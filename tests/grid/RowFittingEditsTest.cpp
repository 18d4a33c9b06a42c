// Row heights kept by fitting after each edit equal a full fit of every row.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "grid/Carrelon.h"
#include "platform/graphics/Graphics.h"
#include "tests/support/CarrelonTestAccess.h"
#include "tests/support/GridFixture.h"

namespace carrelon {
namespace {

using test::MakeMergedCell;

constexpr int kCols = 5, kRows = 12;

// Reference: every cell gets an own colour, which changes nothing measured but makes fitting
// measure each cell instead of taking its column's need.
std::unique_ptr<TCarrelon> MakeGrid(bool Reference = false) {
    auto G = std::make_unique<TCarrelon>(nullptr);
    G->SetColCount(kCols);
    G->SetRowCount(kRows - 3);
    G->SetOptions(G->GetOptions() + cloAutoIncreaseRowHeights + cloAutoDecreaseRowHeights);
    // A vertical merge chain and a horizontal merge.
    MakeMergedCell(G.get(), 1, 3, 1, 5);
    MakeMergedCell(G.get(), 2, 5, 2, 6);
    MakeMergedCell(G.get(), 3, 8, 4, 8);
    G->SetRowCount(kRows);  // rows made later start with what fitting knows of empty rows
    if (Reference)
        for (int c = 0; c < kCols; ++c)
            for (int r = 0; r < kRows; ++r)
                G->GetCells(c, r)->SetColor(clYellow);
    return G;
}

AnsiString RandomText(std::mt19937& Rng) {
    static const char* Pieces[] = {"x",
                                   "word",
                                   " ",
                                   "\r\n",
                                   "a longer run of words",
                                   "r1234c5",
                                   "wwwwwwwwwwwwwww",
                                   "\xC3\xA9t\xC3\xA9",
                                   "0.5",
                                   "fi fl"};
    AnsiString S;
    const int N = std::uniform_int_distribution<int>(0, 5)(Rng);
    for (int i = 0; i < N; ++i)
        S += Pieces[std::uniform_int_distribution<int>(0, std::size(Pieces) - 1)(Rng)];
    return S;
}

// One random edit applied alike to both grids. The reference forgets what fitting learnt of
// its rows before the edit, so it fits the edited row from scratch.
void RandomEdit(std::mt19937& Rng, TCarrelon& A, TCarrelon& B, std::string& Log) {
    TCarrelonTestAccess::Internals(&B).MeasuresChanged();
    auto Pick = [&](int N) { return std::uniform_int_distribution<int>(0, N - 1)(Rng); };
    const int c = Pick(kCols), r = Pick(kRows), Kind = Pick(12);
    const AnsiString Text = RandomText(Rng);
    const double Number = std::uniform_real_distribution<double>(-1e7, 1e7)(Rng);
    const int Size = 6 + Pick(14), Width = 5 + Pick(120), Amount = Pick(2000001);
    const bool Flag = Pick(2) == 1;
    Log += std::to_string(Kind) + "@" + std::to_string(c) + "," + std::to_string(r) + " ";
    for (TCarrelon* G : {&A, &B}) {
        TCarrelonCell* Cell = G->GetCells(c, r);
        switch (Kind) {
            case 0:
            case 1:
            case 2:
                Cell->SetText(Text);
                break;
            case 3:
                Cell->SetValue(Variant(Kind == 3 && Flag ? Number : double(Size)));
                break;
            case 4:
                Cell->SetWordWrap(Flag);
                break;
            case 5:
                Cell->GetFont()->SetSize(Size);
                break;
            case 6:
                G->SetColWidths(c, Width);
                break;
            case 7:
                G->GetCols(c)->SetWordWrap(Flag);
                break;
            case 8:
                G->GetCols(c)->GetFont()->SetSize(Size);
                break;
            case 9:
                Cell->SetText("");
                break;
            case 10:  // numbers with a few decimals, near the width of narrow columns
                Cell->SetValue(Variant(static_cast<double>(Amount) / 100 - 5000));
                break;
            case 11:
                G->GetCols(c)->SetButton(Flag && Size < 9);
                break;
        }
    }
}

void ExpectSameHeights(const TCarrelon& Fitting, const TCarrelon& Reference,
                       const std::string& Log) {
    for (int r = 0; r < kRows; ++r)
        ASSERT_EQ(Fitting.GetRowHeights(r), Reference.GetRowHeights(r))
            << "row " << r << " after " << Log;
}

// Randomised edits on two grids, one of which measures every cell of the edited row: the
// heights agree after each step, and at the end both equal a full fit of every row.
TEST(RowFittingEdits, HeightsEqualAFullFitAfterEveryEdit) {
    for (unsigned Seed = 1; Seed <= 12; ++Seed) {
        SCOPED_TRACE(Seed);
        std::mt19937 Rng(Seed);
        auto Fitting = MakeGrid();
        auto Reference = MakeGrid(true);
        std::string Log;
        for (int Step = 0; Step < 150; ++Step) {
            RandomEdit(Rng, *Fitting, *Reference, Log);
            ExpectSameHeights(*Fitting, *Reference, Log);
        }
        EXPECT_TRUE(Fitting->AutoSizeRows() == Reference->AutoSizeRows());
        ExpectSameHeights(*Fitting, *Reference, Log);
    }
}

// Edits inside the update lock are fitted when it ends, and later edits start from there.
TEST(RowFittingEdits, EditsInsideTheLockThenOutside) {
    auto Fitting = MakeGrid();
    auto Reference = MakeGrid(true);
    std::mt19937 Rng(99);
    std::string Log;
    for (int Round = 0; Round < 20; ++Round) {
        Fitting->DisableControls();
        Reference->DisableControls();
        for (int i = 0; i < 5; ++i)
            RandomEdit(Rng, *Fitting, *Reference, Log);
        TCarrelonTestAccess::Internals(Reference).MeasuresChanged();
        Fitting->EnableControls();
        Reference->EnableControls();
        for (int i = 0; i < 5; ++i)
            RandomEdit(Rng, *Fitting, *Reference, Log);
        ExpectSameHeights(*Fitting, *Reference, Log);
    }
}

}  // namespace
}  // namespace carrelon
