#include <gtest/gtest.h>

#include "platform/graphics/PicturesQt.h"
#include "platform/graphics/WinGdi.h"

using namespace carrelon;

TEST(WinGdi, RaisedAndSunkenEdgesUseTheButtonShades) {
    TBitmap B;
    B.SetSize(20, 20);
    TCanvas* C = B.GetCanvas();
    TRect R{0, 0, 10, 10};
    ASSERT_TRUE(DrawEdge(C, R, EDGE_RAISED, BF_RECT | BF_ADJUST));
    EXPECT_EQ(R, Rect(2, 2, 8, 8));
    const struct {
        int X, Y;
        TColor Expected;
    } Raised[] = {
        {0, 5, ColorToRGB(cl3DLight)},
        {5, 0, ColorToRGB(cl3DLight)},
        {1, 5, ColorToRGB(clBtnHighlight)},
        {9, 5, ColorToRGB(cl3DDkShadow)},
        {5, 9, ColorToRGB(cl3DDkShadow)},
        {8, 5, ColorToRGB(clBtnShadow)},
        {5, 5, clWhite},  // no BF_MIDDLE: inside untouched
    };
    for (const auto& P : Raised)
        EXPECT_EQ(C->GetPixels(P.X, P.Y), P.Expected) << P.X << "," << P.Y;
    TRect S{10, 10, 20, 20};
    DrawEdge(C, S, BDR_RAISEDINNER, BF_LEFT | BF_TOP);
    EXPECT_EQ(C->GetPixels(10, 15), clWhite);  // clBtnHighlight is white
    EXPECT_EQ(C->GetPixels(19, 15), clWhite);  // right side not asked for
    TRect M{10, 10, 20, 20};
    DrawEdge(C, M, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
    EXPECT_EQ(C->GetPixels(10, 15), ColorToRGB(clBtnShadow));
    EXPECT_EQ(C->GetPixels(15, 15), ColorToRGB(clBtnFace));
}

TEST(WinGdi, FocusRectangleDrawnTwiceRestoresThePicture) {
    TBitmap B;
    B.SetSize(30, 30);
    TCanvas* C = B.GetCanvas();
    C->GetBrush()->SetColor(clNavy);
    C->FillRect(Rect(0, 0, 15, 30));
    const QImage Before = BitmapImage(B).copy();
    DrawFocusRect(C, Rect(3, 3, 25, 20));
    const QImage Once = BitmapImage(B).copy();
    EXPECT_NE(Once, Before);
    EXPECT_EQ(C->GetPixels(3, 3), 0x7FFFFF);  // navy inverted...
    EXPECT_EQ(C->GetPixels(4, 3), clNavy);    // ...every other pixel only...
    EXPECT_EQ(C->GetPixels(21, 3), clBlack);  // ...and white inverted too
    EXPECT_EQ(C->GetPixels(10, 10), clNavy);  // inside untouched
    DrawFocusRect(C, Rect(3, 3, 25, 20));
    EXPECT_EQ(BitmapImage(B), Before);
}

TEST(WinGdi, CheckBoxSheetHoldsTwelveImages) {
    auto Sheet = LoadBitmapA(nullptr, OBM_CHECKBOXES);
    ASSERT_NE(Sheet, nullptr);
    EXPECT_EQ(Sheet->GetWidth(), 52);
    EXPECT_EQ(Sheet->GetHeight(), 39);
    TCanvas* C = Sheet->GetCanvas();
    // Unchecked: white inside; checked: a dark tick in the middle.
    EXPECT_EQ(C->GetPixels(6, 6), clWhite);
    EXPECT_EQ(C->GetPixels(13 + 6, 6), clBlack);
    EXPECT_EQ(C->GetPixels(0, 0), ColorToRGB(clBtnShadow));
    // Pushed boxes have a grey face.
    EXPECT_EQ(C->GetPixels(26 + 3, 3), ColorToRGB(clBtnFace));
    EXPECT_EQ(LoadBitmapA(nullptr, 12345), nullptr);
}

TEST(WinGdi, PushButtonFaceAndRecord) {
    TCanvasRecorder Log;
    TBitmap B;
    B.SetSize(40, 20);
    TCanvas* C = B.GetCanvas();
    C->SetRecorder(&Log);
    TRect R{0, 0, 40, 20};
    DrawFrameControl(C, R, DFC_BUTTON, DFCS_BUTTONPUSH);
    EXPECT_EQ(C->GetPixels(20, 10), ColorToRGB(clBtnFace));
    EXPECT_EQ(C->GetPixels(39, 10), ColorToRGB(cl3DDkShadow));
    DrawFrameControl(C, R, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(C->GetPixels(0, 10), ColorToRGB(cl3DDkShadow));
    ASSERT_EQ(Log.Records.size(), 2u);
    EXPECT_EQ(Log.Records[1].Op, TCanvasOp::DrawFrameControl);
    EXPECT_EQ(Log.Records[1].Flags, DFCS_BUTTONPUSH | DFCS_PUSHED);
}

TEST(WinGdi, DeviceCapsAndStateFunctions) {
    TBitmap B;
    B.SetSize(64, 32);
    TCanvas* C = B.GetCanvas();
    EXPECT_EQ(GetDeviceCaps(C, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(C, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(C, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(C, HORZRES), 64);
    EXPECT_EQ(GetDeviceCaps(C, VERTRES), 32);
    EXPECT_EQ(GetDeviceCaps(C, PHYSICALWIDTH), 0);  // not a printer

    EXPECT_EQ(SetBkMode(C, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(C, OPAQUE), TRANSPARENT);
    EXPECT_EQ(SetBkMode(C, 7), 0);  // invalid mode refused
    EXPECT_EQ(SetTextColor(C, clRed), 0);
    EXPECT_EQ(SetTextColor(C, clBlue), clRed);

    EXPECT_EQ(ExcludeClipRect(C, 10, 10, 20, 20), COMPLEXREGION);
    EXPECT_EQ(ExcludeClipRect(C, 0, 0, 64, 32), NULLREGION);

    HDC Screen = GetDC(nullptr);
    ASSERT_NE(Screen, nullptr);
    EXPECT_EQ(GetDeviceCaps(Screen, LOGPIXELSY), 96);
    Screen->GetFont()->SetSize(20);
    EXPECT_EQ(ReleaseDC(nullptr, Screen), 1);
    TEXTMETRIC M;
    GetTextMetricsA(GetDC(nullptr), &M);  // a fresh context has the default font again
    EXPECT_EQ(M.tmHeight, 13);
}

TEST(WinGdi, CheckBoxImagesCutFromTheSheet) {
    // The grid's way: copy the checked image out, then cut the sheet down to the first image.
    std::unique_ptr<TBitmap> Unchecked = LoadBitmapA(nullptr, OBM_CHECKBOXES);
    const int W = Unchecked->GetWidth() / 4, H = Unchecked->GetHeight() / 3;
    TBitmap Checked;
    Checked.SetSize(W, H);
    Checked.GetCanvas()->CopyRect(Rect(0, 0, W, H), Unchecked->GetCanvas(), Rect(W, 0, 2 * W, H));
    Unchecked->SetSize(W, H);
    EXPECT_EQ(Unchecked->GetWidth(), 13);
    EXPECT_EQ(Checked.GetCanvas()->GetPixels(6, 6), clBlack);
    EXPECT_EQ(Unchecked->GetCanvas()->GetPixels(6, 6), clWhite);
    EXPECT_EQ(Checked.GetCanvas()->GetPixels(0, 0), Unchecked->GetCanvas()->GetPixels(0, 0));
}
