// Where the slots of one axis sit on screen for a given scroll position: the fixed slots first,
// then the scrollable ones from the first visible slot on, each followed by its grid line.
// Built from a TGridAxis in O(log n); answers positions, hit tests and the visible range.
#pragma once

#include <cstdint>

#include "platform/grids/GridAxis.h"

namespace carrelon {

class TGridAxisLayout {
public:
    // Screen coordinates of slots that run far past the view saturate at +-kFar: beyond any
    // view, and the difference of two such coordinates plus a few lines still fits an int.
    static constexpr int kFar = 1 << 29;
    static int Saturate(std::int64_t Pos) {
        return static_cast<int>(Pos < -kFar ? -kFar : Pos > kFar ? kFar : Pos);
    }

    // Axis: the sizes. FixedCount: slots pinned at the start. First: the first scrollable slot
    // on screen (LeftCol or TopRow). Extent: the client width or height. FixedLine and
    // ScrollLine: the width of the line after a fixed or a scrollable slot (0 when not drawn).
    TGridAxisLayout(const TGridAxis& Axis, int FixedCount, int First, int Extent, int FixedLine,
                    int ScrollLine);

    int Count() const { return FAxis->Count(); }
    int FixedCount() const { return FFixed; }
    int First() const { return FFirst; }
    int Extent() const { return FExtent; }
    int FixedLine() const { return FFixedLine; }
    int ScrollLine() const { return FScrollLine; }
    int LineAfter(int Index) const { return Index < FFixed ? FFixedLine : FScrollLine; }

    // End of the fixed slots (their lines included); may pass the extent.
    int FixedBoundary() const { return FFixedBoundary; }
    // Where the drawn slots end: at most the extent.
    int GridBoundary() const { return FGridBoundary; }
    // The last scrollable slot that is wholly on screen (at least First), and where it ends.
    int LastFullVisible() const { return FLastFullVisible; }
    int FullVisBoundary() const { return FFullVisBoundary; }
    // The last slot with any pixel on screen (First - 1 when no scrollable slot shows).
    int LastVisible() const { return FLastVisible; }
    // Number of wholly visible scrollable slots, at least 1 while any scrollable slot exists.
    int VisibleCount() const { return FLastFullVisible - FFirst + 1; }

    // Screen position of a slot's start: -1 when it is scrolled out to the start side or lies
    // beyond the extent.
    int StartOf(int Index) const;
    // Where a slot starts for pinned slots 0..FixedCount-1 and the scrollable part shown from
    // slot First, without regard to the view: a slot scrolled out towards the start lies before
    // the fixed boundary (possibly negative), one beyond the extent past it. An index outside
    // 0..Count is taken as the nearest end. Costs no more than three offset lookups.
    static std::int64_t Position(const TGridAxis& Axis, int FixedCount, int First, int Index,
                                 int FixedLine = 0, int ScrollLine = 0);
    // The slot at a screen position, -1 outside the drawn slots.
    int IndexAt(int Pos) const;
    // The largest First that still shows the last slot whole (never below the fixed count).
    int MaxFirst() const;
    // The First that shows slot Index whole at the end of the view (Index itself when it does
    // not fit alone).
    int FirstToShowAtEnd(int Index) const;
    // The First that is one view further on (Forward) or back from the current one.
    int PageFirst(bool Forward) const;

private:
    std::int64_t ScrollOffset(int Index) const { return FAxis->Offset(Index, FScrollLine); }
    // Position's part for the scrollable slots, from the end of the fixed ones (First and Index
    // within 0..Count).
    static std::int64_t ScrollPosition(const TGridAxis& Axis, std::int64_t FixedBoundary, int First,
                                       int Index, int ScrollLine);

    const TGridAxis* FAxis;
    int FFixed, FFirst, FExtent, FFixedLine, FScrollLine;
    int FFixedBoundary = 0;
    int FGridBoundary = 0;
    int FLastFullVisible = 0;
    int FFullVisBoundary = 0;
    int FLastVisible = 0;
};

}  // namespace carrelon
