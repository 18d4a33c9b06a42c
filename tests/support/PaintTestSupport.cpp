#include "tests/support/PaintTestSupport.h"

#include <QImage>

#include "platform/graphics/CanvasQt.h"
#include "tests/support/ControlsTestSupport.h"

namespace carrelon::test {

void GridPaintTest::SetUp() {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 640, 480);
    Grid = new TCountingGrid(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBorderStyle(bsNone);
    Grid->SetBounds(0, 0, 600, 400);
    // The tests give rows chosen heights; content must not refit them.
    Grid->SetOptions(Grid->GetOptions() - cloAutoIncreaseRowHeights - cloAutoDecreaseRowHeights);
    Form->Show();
    test::ProcessPendingEvents();
}

void GridPaintTest::TearDown() {
    Form.reset();
}

void GridPaintTest::PaintGrid() {
    Image = std::make_unique<QImage>(Grid->GetWidth(), Grid->GetHeight(),
                                     QImage::Format_ARGB32_Premultiplied);
    Image->fill(Qt::white);
    Rec.Clear();
    TCanvas Target;
    TCanvasTarget T;
    T.Device = Image.get();
    T.Image = Image.get();
    T.Bounds = Image->rect();
    AttachCanvas(Target, T);
    Grid->GetCanvas()->SetRecorder(&Rec);
    Grid->PaintTo(&Target, 0, 0);
    Grid->GetCanvas()->SetRecorder(nullptr);
    DetachCanvas(Target);
}

std::vector<TCanvasRecord> GridPaintTest::Texts(const AnsiString& Text) const {
    std::vector<TCanvasRecord> Out;
    for (const TCanvasRecord& R : Rec.OfKind(TCanvasOp::DrawText))
        if (R.Text == Text) Out.push_back(R);
    return Out;
}

std::vector<TCanvasRecord> GridPaintTest::FillsOf(const TRect& Where) const {
    std::vector<TCanvasRecord> Out;
    for (const TCanvasRecord& R : Rec.OfKind(TCanvasOp::FillRect))
        if (R.Rect == Where) Out.push_back(R);
    return Out;
}

TColor GridPaintTest::PixelAt(int X, int Y) const {
    return FromQColor(QColor::fromRgb(Image->pixel(X, Y)));
}

}  // namespace carrelon::test
