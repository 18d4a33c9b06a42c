// A small grid descendant for the base-class tests: it records what the base grid asks of it
// (DrawCell, SelectCell, TimedScroll, moves, top-left changes) and opens the protected state.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/controls/WindowWidgetQt.h"
#include "platform/grids/Grids.h"

namespace carrelon::test {

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
    using TCustomGrid::WriteDefaultRowHeight;

    void TimedScroll(TScrollDirections Direction) override {
        Scrolls.push_back(Direction);
        if (ForwardTimedScroll) TCustomGrid::TimedScroll(Direction);
    }

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
        Draws.push_back({ACol, ARow, ARect, AState});
    }
    bool SelectCell(int ACol, int ARow) override {
        for (const TGridCoord& c : Refused)
            if (c.X == ACol && c.Y == ARow) return false;
        return true;
    }
    void TopLeftChanged() override {
        ++TopLeftChanges;
        TCustomGrid::TopLeftChanged();
    }
    void ColumnMoved(int From, int To) override { ColumnMoves.push_back({From, To}); }
    void RowMoved(int From, int To) override { RowMoves.push_back({From, To}); }
};

// Cells of 50 x 20 with 1-pixel lines, one fixed row and column, a 300 x 200 client area with
// no border and no scroll bars: slot i starts at 51*i across and 21*i down.
inline std::unique_ptr<TRecordingGrid> MakeTestGrid(int Cols, int Rows, bool WithWindow = true) {
    auto G = std::make_unique<TRecordingGrid>();
    G->SetBorderStyle(bsNone);
    G->SetScrollBars(ssNone);
    G->SetColCount(Cols);
    G->SetRowCount(Rows);
    G->SetDefaultColWidth(50);
    G->SetDefaultRowHeight(20);
    G->SetBounds(0, 0, 300, 200);
    if (WithWindow) G->GetHandle();
    return G;
}

// Real Qt input on the grid's window, in client coordinates (the tests use no border).
inline void SendMouse(TCustomGrid& G, QEvent::Type Type, int X, int Y,
                      Qt::KeyboardModifiers Mods = Qt::NoModifier,
                      Qt::MouseButton Button = Qt::LeftButton) {
    QWidget* W = G.GetHandle();
    const QPointF P(X, Y);
    const Qt::MouseButtons Buttons =
        Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Button);
    QMouseEvent E(Type, P, W->mapToGlobal(P), Type == QEvent::MouseMove ? Qt::NoButton : Button,
                  Buttons, Mods);
    QApplication::sendEvent(W, &E);
}

inline void Press(TCustomGrid& G, int X, int Y, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
    SendMouse(G, QEvent::MouseButtonPress, X, Y, Mods);
}
inline void Drag(TCustomGrid& G, int X, int Y) {
    SendMouse(G, QEvent::MouseMove, X, Y);
}
inline void Release(TCustomGrid& G, int X, int Y) {
    SendMouse(G, QEvent::MouseButtonRelease, X, Y);
}

inline void SendKey(TCustomGrid& G, int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
    QWidget* W = G.GetHandle();
    QKeyEvent Down(QEvent::KeyPress, QtKey, Mods);
    QApplication::sendEvent(W, &Down);
    QKeyEvent Up(QEvent::KeyRelease, QtKey, Mods);
    QApplication::sendEvent(W, &Up);
}

// Renders the grid's window now (shown or not), so Paint runs over the whole client area.
inline QImage PaintNow(TRecordingGrid& G) {
    G.Draws.clear();
    return G.GetHandle()->grab().toImage();
}

}  // namespace carrelon::test
