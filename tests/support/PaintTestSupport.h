// A grid on a shown form, painted into an image while its canvas records what it draws.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <vector>

#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Graphics.h"

namespace carrelon::test {

// A grid that counts its paint passes and the redraw switches it is sent.
class TCountingGrid : public TCarrelon {
public:
    using TCarrelon::TCarrelon;
    int PaintCount = 0;
    std::vector<std::intptr_t> RedrawSwitches;
    void WndProc(TMessage& Message) override {
        if (Message.Msg == WM_SETREDRAW) RedrawSwitches.push_back(Message.WParam);
        TCarrelon::WndProc(Message);
    }

protected:
    void Paint() override {
        ++PaintCount;
        TCarrelon::Paint();
    }
};

class GridPaintTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Paints the whole grid into an image, recording into Rec (cleared first).
    void PaintGrid();
    std::vector<TCanvasRecord> Records(TCanvasOp Op) const { return Rec.OfKind(Op); }
    // The drawn texts equal to Text (measuring passes left out).
    std::vector<TCanvasRecord> Texts(const AnsiString& Text) const;
    // The fills of exactly the rectangle R.
    std::vector<TCanvasRecord> FillsOf(const TRect& R) const;
    // The colour the last PaintGrid left at a client point.
    TColor PixelAt(int X, int Y) const;

    std::unique_ptr<TForm> Form;
    TCountingGrid* Grid = nullptr;  // owned by Form
    TCanvasRecorder Rec;
    std::unique_ptr<QImage> Image;
};

}  // namespace carrelon::test
