#include <gtest/gtest.h>

#include "platform/grids/GridLayout.h"

using namespace carrelon;

// Ten slots of 20 with a 1-pixel line after each; one fixed slot; a 100-pixel view.
// On screen: slot 0 at 0..21, then from First on, 21 pixels per slot.
TEST(GridAxisLayout, VisibleRangeAndBoundaries) {
    TGridAxis A(10, 20);
    struct Case {
        int First, LastFull, LastVisible, GridBoundary;
    };
    const Case Cases[] = {
        {1, 3, 4, 100},  // 21 + 3*21 = 84 whole, slot 4 cut at 100
        {6, 8, 9, 100},
        {8, 9, 9, 63},   // the last slots end before the view does
        {0, 3, 4, 100},  // a First inside the fixed slots is raised to the fixed count
    };
    for (const Case& c : Cases) {
        TGridAxisLayout L(A, 1, c.First, 100, 1, 1);
        EXPECT_EQ(L.FixedBoundary(), 21) << c.First;
        EXPECT_EQ(L.LastFullVisible(), c.LastFull) << c.First;
        EXPECT_EQ(L.LastVisible(), c.LastVisible) << c.First;
        EXPECT_EQ(L.GridBoundary(), c.GridBoundary) << c.First;
    }
}

TEST(GridAxisLayout, PositionsAndHitsAgree) {
    TGridAxis A(10, 20);
    A.SetSize(3, 0);  // a hidden slot
    TGridAxisLayout L(A, 1, 2, 100, 1, 0);
    // Slot 0: 0..20 (+line), slot 2: 21..41, slot 3: 41 (no pixels), slot 4: 41..61 ...
    struct Case {
        int Pos, Slot;
    };
    const Case Cases[] = {{-1, -1}, {0, 0},  {20, 0}, {21, 2}, {40, 2},
                          {41, 4},  {60, 4}, {61, 5}, {99, 6}, {100, -1}};
    for (const Case& c : Cases)
        EXPECT_EQ(L.IndexAt(c.Pos), c.Slot) << "pos " << c.Pos;
    EXPECT_EQ(L.StartOf(0), 0);
    EXPECT_EQ(L.StartOf(1), -1);  // scrolled out
    EXPECT_EQ(L.StartOf(2), 21);
    EXPECT_EQ(L.StartOf(4), 41);
    EXPECT_EQ(L.StartOf(9), -1);  // beyond the view
    EXPECT_EQ(L.StartOf(10), -1);
}

TEST(GridAxisLayout, ScrollLimits) {
    TGridAxis A(10, 20);
    TGridAxisLayout L(A, 1, 1, 100, 0, 0);
    // 80 pixels for scrollable slots: four whole slots; the last four start at 6.
    EXPECT_EQ(L.MaxFirst(), 6);
    EXPECT_EQ(L.FirstToShowAtEnd(7), 4);
    EXPECT_EQ(L.FirstToShowAtEnd(2), 1);
    EXPECT_EQ(L.PageFirst(true), 5);
    TGridAxisLayout AtEnd(A, 1, 6, 100, 0, 0);
    EXPECT_EQ(AtEnd.PageFirst(true), 6);
    EXPECT_EQ(AtEnd.PageFirst(false), 2);
    TGridAxisLayout AtStart(A, 1, 1, 100, 0, 0);
    EXPECT_EQ(AtStart.PageFirst(false), 1);
    // A view too small for one slot still counts that slot as visible.
    TGridAxisLayout Tiny(A, 1, 3, 30, 0, 0);
    EXPECT_EQ(Tiny.VisibleCount(), 1);
    EXPECT_EQ(Tiny.FirstToShowAtEnd(5), 5);
}

TEST(GridAxisLayout, EveryRowFixedLeavesNothingToScroll) {
    TGridAxis A(3, 20);
    TGridAxisLayout L(A, 3, 0, 100, 0, 0);
    EXPECT_EQ(L.VisibleCount(), 0);
    EXPECT_EQ(L.GridBoundary(), 60);
    EXPECT_EQ(L.IndexAt(59), 2);
    EXPECT_EQ(L.IndexAt(60), -1);
}

TEST(GridAxisLayout, HugeAxisSumsDoNotOverflow) {
    TGridAxis A(134217725, 18);
    TGridAxisLayout L(A, 1, 134217700, 500, 1, 1);
    EXPECT_EQ(L.StartOf(134217700), 19);
    EXPECT_EQ(L.IndexAt(19 + 19 * 24), 134217724);
    EXPECT_EQ(L.MaxFirst(), 134217725 - 25);
}
