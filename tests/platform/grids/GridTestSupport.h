// A small grid descendant for the base-class tests: it records what the base grid asks of it
// (DrawCell, SelectCell, TimedScroll, moves, top-left changes) and opens the protected state.
#pragma once

#include <memory>
#include <vector>

#include "platform/grids/Grids.h"

namespace carrelon::testing {

struct TDrawCall {
    int Col;
    int Row;
    TRect Rect;
    TGridDrawState State;
};

class TRecordingGrid : public TCustomGrid {
public:
    explicit TRecordingGrid(TComponent* AOwner = nullptr) : TCustomGrid(AOwner) {}

    std::vector<TDrawCall> Draws;
    std::vector<TScrollDirections> Scrolls;
    std::vector<std::pair<int, int>> ColumnMoves, RowMoves;
    int TopLeftChanges = 0;
    bool ForwardTimedScroll = true;
    // SelectCell refuses these slots.
    std::vector<TGridCoord> Refused;

    using TCustomGrid::CalcCoordFromPoint;
    using TCustomGrid::CalcSizingState;
    using TCustomGrid::ClampInView;
    using TCustomGrid::FAnchor;
    using TCustomGrid::FCurrent;
    using TCustomGrid::FGridState;
    using TCustomGrid::FMoveIndex;
    using TCustomGrid::FMovePos;
    using TCustomGrid::FSizingIndex;
    using TCustomGrid::FSizingOfs;
    using TCustomGrid::FSizingPos;
    using TCustomGrid::FTopLeft;
    using TCustomGrid::MoveColRow;
    using TCustomGrid::MoveColumn;
    using TCustomGrid::MoveRow;
    using TCustomGrid::RowHeightsArray;
    using TCustomGrid::TimedScroll;
    using TCustomGrid::WriteDefaultRowHeight;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
        Draws.push_back({ACol, ARow, ARect, AState});
    }
    bool SelectCell(int ACol, int ARow) override {
        for (const TGridCoord& c : Refused)
            if (c.X == ACol && c.Y == ARow) return false;
        return true;
    }
    void TimedScroll(TScrollDirections Direction) override {
        Scrolls.push_back(Direction);
        if (ForwardTimedScroll) TCustomGrid::TimedScroll(Direction);
    }
    void TopLeftChanged() override {
        ++TopLeftChanges;
        TCustomGrid::TopLeftChanged();
    }
    void ColumnMoved(int From, int To) override { ColumnMoves.push_back({From, To}); }
    void RowMoved(int From, int To) override { RowMoves.push_back({From, To}); }
};

}  // namespace carrelon::testing
