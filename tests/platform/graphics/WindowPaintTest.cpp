#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <vector>

#include "platform/controls/WinUser.h"
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

namespace {

// Remembers the drawable area of each paint.
class TClipProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    AnsiString ClassName() const override { return "TClipProbe"; }
    std::vector<TRect> Clips;

protected:
    void Paint() override { Clips.push_back(GetCanvas()->GetClipRect()); }
};

}  // namespace

// A control that paints only what its canvas says is drawable repaints a small invalid part
// cheaply, also when the part was invalidated while window updates were locked.
TEST(WindowPaint, RepaintOfAPartReportsOnlyThatPartAsDrawable) {
    test::TTestForm Form;
    auto* P = Form.Add<TClipProbe>(10, 10, 200, 100);
    test::ProcessPendingEvents();
    P->Clips.clear();
    TRect Part = Rect(20, 30, 50, 40);
    InvalidateRect(P->GetHandle(), &Part, false);
    test::ProcessPendingEvents();
    ASSERT_EQ(P->Clips.size(), 1u);
    EXPECT_EQ(P->Clips[0], Part);

    P->Clips.clear();
    LockWindowUpdate(P->GetHandle());
    InvalidateRect(P->GetHandle(), nullptr, false);
    LockWindowUpdate(nullptr);
    // Validated right after the unlock: the whole window need not be painted any more.
    ValidateRect(P->GetHandle(), nullptr);
    InvalidateRect(P->GetHandle(), &Part, false);
    test::ProcessPendingEvents();
    ASSERT_EQ(P->Clips.size(), 1u);
    EXPECT_EQ(P->Clips[0], Part);
}
