#include <gtest/gtest.h>

#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/Pictures.h"

using namespace carrelon;

namespace {

std::unique_ptr<TBitmap> WhiteBitmap(int W, int H) {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    return B;
}

}  // namespace

TEST(Colors, SystemColoursResolveToTheFixedScheme) {
    const struct {
        TColor In;
        TColor Out;
    } Cases[] = {
        {clWindow, 0xFFFFFF},
        {clWindowText, 0x000000},
        {clBtnFace, 0xC0C0C0},
        {clHighlight, 0x6A240A},
        {clHighlightText, 0xFFFFFF},
        {clBtnShadow, 0x808080},
        {clRed, 0x0000FF},
        {clNone, 0xFFFFFF},
        {clDefault, 0x000000},
        {static_cast<TColor>(0x800000FF), 0},  // unknown system colour index
    };
    for (const auto& C : Cases)
        EXPECT_EQ(ColorToRGB(C.In), C.Out) << std::hex << C.In;
    EXPECT_EQ(clScrollBar, static_cast<TColor>(0x80000000u));
    EXPECT_EQ(clInfoBk, static_cast<TColor>(0x80000018u));
}

TEST(Font, DefaultMeasuresThirteenPixelsAtNinetySixDpi) {
    TCanvas Canvas;
    EXPECT_EQ(Canvas.GetFont()->GetSize(), 8);
    EXPECT_EQ(Canvas.TextHeight("A"), 13);
    auto B = WhiteBitmap(10, 10);
    EXPECT_EQ(B->GetCanvas()->TextHeight("A"), 13);
    EXPECT_GT(B->GetCanvas()->TextWidth("AAAA"), B->GetCanvas()->TextWidth("A"));
}

TEST(Font, SizeAndHeightConvertAtTheFontResolution) {
    TFont F;
    const struct {
        int Size;
        int Height;
    } Cases[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}, {24, -32}};
    for (const auto& C : Cases) {
        F.SetSize(C.Size);
        EXPECT_EQ(F.GetHeight(), C.Height) << C.Size;
        EXPECT_EQ(F.GetSize(), C.Size) << C.Size;
    }
    F.SetSize(10);
    F.SetPixelsPerInch(600);
    EXPECT_EQ(F.GetSize(), 10);
    EXPECT_EQ(F.GetHeight(), -83);
}

TEST(Font, OnChangeFiresOncePerChangeAndPerAssign) {
    TFont F;
    int Count = 0;
    F.OnChange = [&](TObject*) { ++Count; };
    F.SetSize(12);
    F.SetSize(12);  // unchanged: no notification
    F.SetStyle({fsBold, fsItalic});
    F.SetColor(clRed);
    EXPECT_EQ(Count, 3);
    TFont Other;
    Other.SetName("Arial");
    F.Assign(&Other);
    EXPECT_EQ(Count, 4);
    EXPECT_EQ(F.GetName(), "Arial");
    EXPECT_EQ(F.GetSize(), 8);
    EXPECT_TRUE(F.GetStyle().Empty());
}

TEST(Font, AssignAcrossResolutionsKeepsPoints) {
    TFont Screen, Printer;
    Printer.SetPixelsPerInch(600);
    Screen.SetSize(10);
    Printer.Assign(&Screen);
    EXPECT_EQ(Printer.GetSize(), 10);
    EXPECT_EQ(Printer.GetHeight(), -83);
}

TEST(Font, HandleIsSharedByEqualFonts) {
    TFont A, B;
    EXPECT_EQ(A.GetHandle(), B.GetHandle());
    B.SetColor(clRed);  // colour is not part of the handle
    EXPECT_EQ(A.GetHandle(), B.GetHandle());
    B.SetStyle({fsBold});
    EXPECT_NE(A.GetHandle(), B.GetHandle());
}

TEST(Canvas, FillAndFrameHitExactPixels) {
    auto B = WhiteBitmap(20, 20);
    TCanvas* C = B->GetCanvas();
    C->GetBrush()->SetColor(clRed);
    C->FillRect(Rect(2, 2, 5, 5));
    EXPECT_EQ(C->GetPixels(2, 2), clRed);
    EXPECT_EQ(C->GetPixels(4, 4), clRed);
    EXPECT_EQ(C->GetPixels(5, 5), clWhite);  // right and bottom are exclusive
    C->GetBrush()->SetColor(clBlue);
    C->FrameRect(Rect(10, 10, 15, 14));
    EXPECT_EQ(C->GetPixels(10, 10), clBlue);
    EXPECT_EQ(C->GetPixels(14, 13), clBlue);
    EXPECT_EQ(C->GetPixels(12, 12), clWhite);  // inside untouched
    EXPECT_EQ(C->GetPixels(15, 13), clWhite);
    EXPECT_EQ(C->GetPixels(99, 0), -1);
}

TEST(Canvas, SystemColoursPaintTheirSchemeValue) {
    auto B = WhiteBitmap(4, 4);
    B->GetCanvas()->GetBrush()->SetColor(clHighlight);
    B->GetCanvas()->FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(B->GetCanvas()->GetPixels(1, 1), 0x6A240A);
}

TEST(Canvas, LineToLeavesOutTheEndPoint) {
    auto B = WhiteBitmap(20, 20);
    TCanvas* C = B->GetCanvas();
    C->MoveTo(2, 3);
    C->LineTo(8, 3);
    EXPECT_EQ(C->GetPixels(2, 3), clBlack);
    EXPECT_EQ(C->GetPixels(7, 3), clBlack);
    EXPECT_EQ(C->GetPixels(8, 3), clWhite);
    EXPECT_EQ(C->GetPenPos(), Point(8, 3));
    C->Rectangle(10, 10, 14, 14);
    EXPECT_EQ(C->GetPixels(13, 13), clBlack);
    EXPECT_EQ(C->GetPixels(14, 14), clWhite);
    EXPECT_EQ(C->GetPixels(11, 11), clWhite);  // white brush inside
}

TEST(Canvas, FloodFillStopsAtBordersAndSurfaces) {
    auto B = WhiteBitmap(30, 30);
    TCanvas* C = B->GetCanvas();
    // A closed triangle drawn with diagonal lines, as the sort indicator is.
    C->MoveTo(5, 20);
    C->LineTo(25, 20);
    C->LineTo(15, 5);
    C->LineTo(5, 20);
    C->GetBrush()->SetColor(clRed);
    C->FloodFill(15, 15, clBlack, fsBorder);
    EXPECT_EQ(C->GetPixels(15, 15), clRed);
    EXPECT_EQ(C->GetPixels(15, 19), clRed);
    EXPECT_EQ(C->GetPixels(15, 20), clBlack);  // the border keeps its colour
    EXPECT_EQ(C->GetPixels(2, 2), clWhite);    // outside untouched
    EXPECT_EQ(C->GetPixels(15, 25), clWhite);
    // Surface fill replaces the white outside only.
    C->GetBrush()->SetColor(clBlue);
    C->FloodFill(0, 0, clWhite, fsSurface);
    EXPECT_EQ(C->GetPixels(29, 29), clBlue);
    EXPECT_EQ(C->GetPixels(15, 15), clRed);
    // Filling a surface with its own colour ends.
    C->FloodFill(0, 0, clBlue, fsSurface);
    EXPECT_EQ(C->GetPixels(0, 0), clBlue);
}

TEST(Canvas, ClipExclusionProtectsArea) {
    auto B = WhiteBitmap(20, 20);
    TCanvas* C = B->GetCanvas();
    EXPECT_EQ(C->GetClipRect(), Rect(0, 0, 20, 20));
    C->ExcludeClipRect(Rect(0, 0, 10, 20));
    EXPECT_EQ(C->GetClipRect(), Rect(10, 0, 20, 20));
    C->GetBrush()->SetColor(clGreen);
    C->FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(C->GetPixels(5, 5), clWhite);
    EXPECT_EQ(C->GetPixels(15, 5), clGreen);
}

TEST(Canvas, RecorderLogsOperationsInOrder) {
    TCanvasRecorder Log;
    auto B = WhiteBitmap(50, 50);
    TCanvas* C = B->GetCanvas();
    C->SetRecorder(&Log);
    C->GetBrush()->SetColor(clBtnFace);
    C->FillRect(Rect(1, 2, 30, 20));
    C->FillRect(Rect(5, 5, 5, 9));  // empty: nothing drawn, nothing logged
    C->GetFont()->SetStyle({fsBold});
    C->TextOut(3, 4, "Hi");
    ASSERT_EQ(Log.Records.size(), 2u);
    EXPECT_EQ(Log.Records[0].Op, TCanvasOp::FillRect);
    EXPECT_EQ(Log.Records[0].Rect, Rect(1, 2, 30, 20));
    EXPECT_EQ(Log.Records[0].Color, clBtnFace);
    EXPECT_EQ(Log.Records[1].Op, TCanvasOp::TextOut);
    EXPECT_EQ(Log.Records[1].Text, "Hi");
    EXPECT_TRUE(Log.Records[1].FontStyle.Contains(fsBold));
    EXPECT_TRUE(Log.Records[1].Opaque);
    EXPECT_EQ(Log.OfKind(TCanvasOp::TextOut).size(), 1u);
}

TEST(Canvas, DeviceStateFollowsFontAndBrushUntilOverridden) {
    TCanvas C;
    C.GetFont()->SetColor(clRed);
    C.GetBrush()->SetColor(clYellow);
    EXPECT_EQ(C.GetTextColor(), clRed);
    EXPECT_EQ(C.GetBkMode(), OPAQUE);
    C.SetBkMode(TRANSPARENT);
    C.SetTextColor(clBlue);
    EXPECT_EQ(C.GetBkMode(), TRANSPARENT);
    EXPECT_EQ(C.GetTextColor(), clBlue);
    C.GetBrush()->SetColor(clWhite);  // a brush change resets the background mode
    EXPECT_EQ(C.GetBkMode(), OPAQUE);
    EXPECT_EQ(C.GetTextColor(), clBlue);
    C.GetBrush()->SetStyle(bsClear);
    EXPECT_EQ(C.GetBkMode(), TRANSPARENT);
}

TEST(Canvas, AttachesToALentPainter) {
    QImage Image(10, 10, QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    TCanvas C;
    TCanvasTarget T;
    T.Painter = &Painter;
    T.Bounds = Image.rect();
    AttachCanvas(C, T);
    C.GetBrush()->SetColor(clNavy);
    C.FillRect(Rect(0, 0, 3, 3));
    EXPECT_EQ(C.GetPixels(1, 1), clNavy);
    DetachCanvas(C);
    Painter.end();
    EXPECT_EQ(Image.pixelColor(2, 2), QColor(0, 0, 0x80));
    EXPECT_EQ(Image.pixelColor(3, 3), QColor(Qt::white));
}

TEST(Bitmap, TransparentDrawKeepsTheBackground) {
    TBitmap Glyph;
    Glyph.SetSize(4, 4);
    Glyph.GetCanvas()->GetBrush()->SetColor(clFuchsia);
    Glyph.GetCanvas()->FillRect(Rect(0, 0, 4, 4));
    Glyph.GetCanvas()->GetBrush()->SetColor(clBlack);
    Glyph.GetCanvas()->FillRect(Rect(1, 1, 3, 3));
    Glyph.SetTransparent(true);
    EXPECT_EQ(Glyph.GetTransparentColor(), clFuchsia);  // bottom-left pixel

    auto Target = WhiteBitmap(10, 10);
    Target->GetCanvas()->Draw(2, 2, &Glyph);
    EXPECT_EQ(Target->GetCanvas()->GetPixels(2, 2), clWhite);
    EXPECT_EQ(Target->GetCanvas()->GetPixels(3, 3), clBlack);
    Target->GetCanvas()->StretchDraw(Rect(0, 0, 8, 8), &Glyph);
    EXPECT_EQ(Target->GetCanvas()->GetPixels(3, 3), clBlack);
    EXPECT_EQ(Target->GetCanvas()->GetPixels(0, 7), clWhite);
}

TEST(Bitmap, ResizeKeepsContentAndRefusesHugeSizes) {
    TBitmap B;
    B.SetSize(5, 5);
    B.GetCanvas()->SetPixels(1, 1, clRed);
    B.SetSize(10, 3);
    EXPECT_EQ(B.GetCanvas()->GetPixels(1, 1), clRed);
    EXPECT_EQ(B.GetCanvas()->GetPixels(9, 2), clWhite);
    EXPECT_EQ(B.GetCanvas()->GetClipRect(), Rect(0, 0, 10, 3));
    EXPECT_THROW(B.SetSize(MaxMadeBitmapSide + 1, 10), EOutOfResources);
    EXPECT_THROW(B.SetSize(30000, 30000), EOutOfResources);
    EXPECT_EQ(B.GetWidth(), 10);
    // A made bitmap may be taller than a decoded picture may be, and is drawn on all the way.
    TBitmap Tall;
    Tall.SetSize(4, 100000);
    Tall.GetCanvas()->SetPixels(2, 99990, clBlue);
    EXPECT_EQ(Tall.GetCanvas()->GetPixels(2, 99990), clBlue);
    TBitmap Copy;
    Copy.Assign(&B);
    EXPECT_EQ(Copy.GetCanvas()->GetPixels(1, 1), clRed);
}

TEST(Canvas, LentPainterKeepsItsClipThroughExclusions) {
    QImage Image(20, 20, QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    Painter.setClipRect(QRect(0, 0, 10, 20));  // e.g. a child control's area
    TCanvas C;
    TCanvasTarget T;
    T.Painter = &Painter;
    T.Bounds = Image.rect();
    AttachCanvas(C, T);
    C.GetBrush()->SetColor(clRed);
    C.FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(C.GetPixels(5, 5), clRed);
    EXPECT_EQ(C.GetPixels(15, 5), clWhite);  // outside the lender's clip
    C.ExcludeClipRect(Rect(0, 0, 5, 20));
    C.GetBrush()->SetColor(clBlue);
    C.FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(C.GetPixels(2, 5), clRed);
    EXPECT_EQ(C.GetPixels(7, 5), clBlue);
    EXPECT_EQ(C.GetPixels(15, 5), clWhite);
    DetachCanvas(C);
    EXPECT_TRUE(Painter.hasClipping());  // the lender's state comes back
    EXPECT_EQ(Painter.clipRegion(), QRegion(0, 0, 10, 20));
}

TEST(Canvas, PixelsAndFloodFillWorkThroughATranslatedLentPainter) {
    // As when a control paints in its window: the painter is moved to the client area.
    QImage Image(40, 30, QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    Painter.translate(10, 5);
    TCanvas C;
    TCanvasTarget T;
    T.Painter = &Painter;
    T.Bounds = QRect(0, 0, 30, 25);
    AttachCanvas(C, T);
    C.MoveTo(2, 20);
    C.LineTo(22, 20);
    C.LineTo(12, 4);
    C.LineTo(2, 20);
    EXPECT_EQ(C.GetPixels(2, 20), clBlack);
    C.GetBrush()->SetColor(clRed);
    C.FloodFill(12, 15, clBlack, fsBorder);
    EXPECT_EQ(C.GetPixels(12, 15), clRed);
    EXPECT_EQ(C.GetPixels(1, 1), clWhite);
    DetachCanvas(C);
    Painter.end();
    EXPECT_EQ(Image.pixelColor(22, 20), QColor(Qt::red));  // 12 + 10, 15 + 5
    EXPECT_EQ(Image.pixelColor(5, 5), QColor(Qt::white));
}
