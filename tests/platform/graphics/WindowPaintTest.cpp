#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "platform/controls/WindowWidgetQt.h"
#include "platform/graphics/WinGdi.h"
#include "tests/support/ControlsTestSupport.h"

using namespace carrelon;

namespace {

// Paints a triangle and fills it, as the grid's sort indicator does.
class TTriangle : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    AnsiString ClassName() const override { return "TTriangle"; }
    TColor Seen = -2;

protected:
    void Paint() override {
        TCanvas* C = GetCanvas();
        C->GetBrush()->SetColor(clWhite);
        C->FillRect(GetClientRect());
        C->MoveTo(5, 25);
        C->LineTo(25, 25);
        C->LineTo(15, 5);
        C->LineTo(5, 25);
        C->GetBrush()->SetColor(clRed);
        C->FloodFill(15, 20, clBlack, fsBorder);
        Seen = C->GetPixels(15, 20);
    }
};

}  // namespace

TEST(WindowPaint, FloodFillAndPixelsReachTheWindowItself) {
    test::TTestForm Form;
    auto* T = Form.Add<TTriangle>(30, 40, 40, 40);
    test::ProcessPendingEvents();
    const QImage Shot = T->GetHandle()->grab().toImage();
    EXPECT_EQ(T->Seen, clRed);
    const TPoint O = T->GetClientOrigin();
    EXPECT_EQ(Shot.pixelColor(O.X + 15, O.Y + 20), QColor(Qt::red));
    EXPECT_EQ(Shot.pixelColor(O.X + 2, O.Y + 2), QColor(Qt::white));
}
