#include <gtest/gtest.h>

#include "platform/graphics/Image.h"
#include "tests/support/ControlsTestSupport.h"

using namespace carrelon;

TEST(Image, ShowsItsPictureStretchedOrAtItsOwnSize) {
    test::TTestForm Form;
    auto* I = new TImage(Form.Get());
    I->SetParent(Form.Get());
    I->SetBounds(10, 10, 40, 20);
    TBitmap Source;
    Source.SetSize(4, 2);
    Source.GetCanvas()->GetBrush()->SetColor(clRed);
    Source.GetCanvas()->FillRect(Rect(0, 0, 4, 2));
    I->GetPicture()->SetGraphic(&Source);

    TBitmap Shot;
    Shot.SetSize(400, 300);
    Form->PaintTo(Shot.GetCanvas(), 0, 0);
    const TPoint O = Form->GetClientOrigin();
    EXPECT_EQ(Shot.GetCanvas()->GetPixels(O.X + 11, O.Y + 11), clRed);
    EXPECT_NE(Shot.GetCanvas()->GetPixels(O.X + 40, O.Y + 25), clRed);  // own size: 4 x 2

    I->SetStretch(true);
    Form->PaintTo(Shot.GetCanvas(), 0, 0);
    EXPECT_EQ(Shot.GetCanvas()->GetPixels(O.X + 40, O.Y + 25), clRed);
    EXPECT_NE(Shot.GetCanvas()->GetPixels(O.X + 51, O.Y + 25), clRed);
}

TEST(Image, AutoSizeFollowsThePictureAndCanvasNeedsABitmap) {
    TImage I(nullptr);
    I.SetAutoSize(true);
    TBitmap B;
    B.SetSize(30, 12);
    I.GetPicture()->Assign(&B);
    EXPECT_EQ(I.GetWidth(), 30);
    EXPECT_EQ(I.GetHeight(), 12);
    I.GetCanvas()->SetPixels(1, 1, clBlue);
    EXPECT_EQ(I.GetPicture()->GetBitmap()->GetCanvas()->GetPixels(1, 1), clBlue);
    I.GetPicture()->GetMetafile();
    EXPECT_THROW(I.GetCanvas(), EInvalidOperation);

    TImage Empty(nullptr);
    Empty.SetBounds(0, 0, 16, 8);
    TCanvas* C = Empty.GetCanvas();  // an empty image gets a bitmap of its size
    ASSERT_NE(C, nullptr);
    EXPECT_EQ(Empty.GetPicture()->GetWidth(), 16);
}
