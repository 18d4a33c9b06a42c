#include <gtest/gtest.h>

#include <QImage>

#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/PicturesQt.h"
#include "platform/graphics/WinGdi.h"

using namespace carrelon;

namespace {

std::vector<AnsiString> LinesOf(HDC DC, const AnsiString& Text, int Width, unsigned Format) {
    std::vector<AnsiString> Out;
    for (const TDrawnLine& L : LayoutText(DC, Text, {0, 0, Width, 100}, Format).Lines)
        Out.push_back(L.Text);
    return Out;
}

using Lines = std::vector<AnsiString>;

}  // namespace

TEST(DrawText, DefaultFontLineIsThirteenPixels) {
    TCanvas C;
    TRect R{0, 0, 0, 0};
    EXPECT_EQ(DrawTextA(&C, "A", R, DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX), 13);
    EXPECT_EQ(R, Rect(0, 0, C.TextWidth("A"), 13));
    TEXTMETRIC M;
    ASSERT_TRUE(GetTextMetricsA(&C, &M));
    EXPECT_EQ(M.tmHeight, 13);
    EXPECT_EQ(M.tmAscent + M.tmDescent, 13);
}

TEST(DrawText, BreaksLinesAtEveryKindOfLineBreak) {
    TCanvas C;
    const struct {
        AnsiString Text;
        unsigned Format;
        Lines Expected;
    } Cases[] = {
        {"a\r\nb\rc\nd", 0, {"a", "b", "c", "d"}},
        {"a\r\n", 0, {"a"}},  // a break at the end starts no line
        {"a\r\n ", 0, {"a", " "}},
        {"\r\n", 0, {""}},
        {"a\r\n\r\nb", 0, {"a", "", "b"}},
        {"", 0, {}},
        {"a\r\nb", DT_SINGLELINE, {"ab"}},
        {"", DT_SINGLELINE, {""}},
        {"&File", 0, {"File"}},
        {"a&&b&", 0, {"a&b"}},
        {"&File", DT_NOPREFIX, {"&File"}},
        {"a\tb", DT_EXPANDTABS, {"a       b"}},
    };
    for (const auto& T : Cases)
        EXPECT_EQ(LinesOf(&C, T.Text, 1000, T.Format), T.Expected) << T.Text;
}

TEST(DrawText, WordBreakFillsLinesAndHandlesLongWords) {
    TCanvas C;
    const int TwoWords = C.TextWidth("aaa bbb");
    const int Short = C.TextWidth("aa");
    const struct {
        AnsiString Text;
        int Width;
        unsigned Format;
        Lines Expected;
    } Cases[] = {
        {"aaa bbb ccc", TwoWords, DT_WORDBREAK, {"aaa bbb", "ccc"}},
        {"aaa aaa aaa", C.TextWidth("aaa aaa") - 1, DT_WORDBREAK, {"aaa", "aaa", "aaa"}},
        {"aaa   bbb", Short, DT_WORDBREAK, {"aaa", "bbb"}},  // spaces at a break vanish
        {"  aaa", 1000, DT_WORDBREAK, {"  aaa"}},            // leading spaces stay
        {"aaaaaa b", Short, DT_WORDBREAK, {"aaaaaa", "b"}},  // a long word overflows
        {"aaaaa b", Short, DT_WORDBREAK | DT_EDITCONTROL, {"aa", "aa", "a", "b"}},
        {"abc", 0, DT_WORDBREAK | DT_EDITCONTROL, {"a", "b", "c"}},
        {"ab cd", -5, DT_WORDBREAK, {"ab", "cd"}},
        {"aaa bbb\r\nccc", TwoWords, DT_WORDBREAK, {"aaa bbb", "ccc"}},
    };
    for (const auto& T : Cases)
        EXPECT_EQ(LinesOf(&C, T.Text, T.Width, T.Format), T.Expected)
            << T.Text << " in " << T.Width;
}

TEST(DrawText, EllipsisShortensToFitAndModifiesTheText) {
    TCanvas C;
    const int Width = C.TextWidth("Hello w...");
    TRect R{0, 0, Width, 20};
    AnsiString Shown;
    auto L = LayoutText(&C, "Hello world", R, DT_SINGLELINE | DT_END_ELLIPSIS);
    ASSERT_EQ(L.Lines.size(), 1u);
    EXPECT_EQ(L.Lines[0].Text, "Hello w...");
    EXPECT_LE(L.Lines[0].Width, Width);
    DrawTextA(&C, "Hello world", R, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, &Shown);
    EXPECT_EQ(Shown, "Hello w...");

    char Buffer[32] = "Hello world";
    TRect R2 = R;
    DrawTextA(&C, Buffer, -1, &R2, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    EXPECT_STREQ(Buffer, "Hello w...");

    // Text that fits is left alone; no width at all leaves only the ellipsis.
    EXPECT_EQ(LinesOf(&C, "Hi", 1000, DT_END_ELLIPSIS), Lines{"Hi"});
    EXPECT_EQ(LinesOf(&C, "Hi", 0, DT_END_ELLIPSIS | DT_SINGLELINE), Lines{"..."});
}

TEST(DrawText, AlignsLinesInTheRectangle) {
    TCanvas C;
    const int W = C.TextWidth("ab");
    const TRect R{10, 20, 110, 38};
    const struct {
        unsigned Format;
        int X;
        int Y;
    } Cases[] = {
        {DT_SINGLELINE, 10, 20},
        {DT_SINGLELINE | DT_RIGHT, 110 - W, 20},
        {DT_SINGLELINE | DT_CENTER, (120 - W) / 2, 20},
        {DT_SINGLELINE | DT_VCENTER, 10, 20 + 9 - 6},
        {DT_SINGLELINE | DT_BOTTOM, 10, 38 - 13},
        {DT_VCENTER, 10, 20},  // vertical placement applies to single lines only
    };
    for (const auto& T : Cases) {
        auto L = LayoutText(&C, "ab", R, T.Format);
        ASSERT_EQ(L.Lines.size(), 1u);
        EXPECT_EQ(L.Lines[0].X, T.X) << std::hex << T.Format;
        EXPECT_EQ(L.Lines[0].Y, T.Y) << std::hex << T.Format;
    }
    TRect V = R;
    EXPECT_EQ(DrawTextA(&C, "ab", V, DT_SINGLELINE | DT_VCENTER), 3 + 13);
}

TEST(DrawText, MeasuredRectangleHoldsEveryDrawnPixel) {
    TBitmap B;
    B.SetSize(300, 200);
    TCanvas* C = B.GetCanvas();
    C->GetFont()->SetSize(12);
    const AnsiString Text = "Several words that wrap\r\nover lines, Wgjy";
    const unsigned Format = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
    TRect Measured{5, 7, 125, 7};
    const int H = DrawTextA(C, Text, Measured, Format | DT_CALCRECT | DT_NOCLIP);
    EXPECT_EQ(H, Measured.Height());
    EXPECT_LE(Measured.Right, 125);
    TRect Draw{5, 7, 125, 200};
    SetBkMode(C, TRANSPARENT);
    EXPECT_EQ(DrawTextA(C, Text, Draw, Format | DT_NOCLIP), H);
    const QImage& Image = BitmapImage(B);
    int Inked = 0;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (Image.pixel(X, Y) != qRgb(255, 255, 255)) {
                ++Inked;
                EXPECT_TRUE(Measured.Contains({X, Y})) << X << "," << Y;
            }
    EXPECT_GT(Inked, 50);
}

TEST(DrawText, ClipsUnlessNoClipAndFillsOpaqueBackground) {
    TBitmap B;
    B.SetSize(100, 40);
    TCanvas* C = B.GetCanvas();
    C->GetBrush()->SetColor(clYellow);  // opaque background in yellow
    TRect R{0, 0, 3, 20};
    DrawTextA(C, "WWWW", R, DT_SINGLELINE);
    EXPECT_EQ(C->GetPixels(1, 1), clYellow);
    EXPECT_EQ(C->GetPixels(5, 1), clWhite);  // clipped at the rectangle
    TRect R2{0, 20, 3, 40};
    DrawTextA(C, "WWWW", R2, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_EQ(C->GetPixels(5, 21), clYellow);
}

TEST(DrawText, RecordsDrawingButNotMeasuring) {
    TCanvasRecorder Log;
    TCanvas C;
    C.SetRecorder(&Log);
    C.GetFont()->SetColor(clRed);
    TRect R{1, 2, 50, 20};
    DrawTextA(&C, "x", R, DT_CALCRECT);
    SetBkMode(&C, TRANSPARENT);
    R = {1, 2, 50, 20};
    DrawTextA(&C, "x", R, DT_CENTER | DT_SINGLELINE);
    ASSERT_EQ(Log.Records.size(), 1u);
    EXPECT_EQ(Log.Records[0].Op, TCanvasOp::DrawText);
    EXPECT_EQ(Log.Records[0].Rect, Rect(1, 2, 50, 20));
    EXPECT_EQ(Log.Records[0].Flags, DT_CENTER | DT_SINGLELINE);
    EXPECT_EQ(Log.Records[0].Color, clRed);
    EXPECT_FALSE(Log.Records[0].Opaque);
    ASSERT_EQ(Log.Records[0].Points.size(), 1u);  // where the line went
    EXPECT_EQ(Log.Records[0].Points[0], Point((51 - C.TextWidth("x")) / 2, 2));
}

TEST(DrawText, LongTextLaysOutQuickly) {
    TCanvas C;
    AnsiString Text;
    for (int i = 0; i < 20000; ++i)
        Text += "word ";
    TRect R{0, 0, 200, 0};
    const int H = DrawTextA(&C, Text, R, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GT(H, 13 * 100);
    AnsiString Long(100000, 'x');
    R = {0, 0, 200, 0};
    EXPECT_GT(DrawTextA(&C, Long, R, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL), 13 * 100);
    R = {0, 0, 200, 20};
    AnsiString Shown;
    DrawTextA(&C, Long, R, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, &Shown);
    EXPECT_LT(Shown.size(), 100u);
}

TEST(DrawText, EditControlHidesAPartlyVisibleLastLine) {
    TCanvas C;
    const AnsiString Text = "one\r\ntwo\r\nthree";
    const TRect R{0, 0, 200, 13 * 2 + 6};  // two and a half lines
    const struct {
        unsigned Format;
        Lines Expected;
    } Cases[] = {
        {DT_WORDBREAK, {"one", "two", "three"}},
        {DT_WORDBREAK | DT_EDITCONTROL, {"one", "two"}},
        {DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS, {"one", "two..."}},
        {DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT, {"one", "two", "three"}},
    };
    for (const auto& T : Cases) {
        Lines Got;
        for (const TDrawnLine& L : LayoutText(&C, Text, R, T.Format).Lines)
            Got.push_back(L.Text);
        EXPECT_EQ(Got, T.Expected) << std::hex << T.Format;
    }
    AnsiString Shown;
    TRect Draw = R;
    DrawTextA(&C, Text, Draw, DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS | DT_MODIFYSTRING,
              &Shown);
    EXPECT_EQ(Shown, "one\r\ntwo...");
    // A rectangle lower than one line still shows the first line.
    EXPECT_EQ(LayoutText(&C, Text, {0, 0, 200, 5}, DT_WORDBREAK | DT_EDITCONTROL).Lines.size(), 1u);
}

TEST(DrawText, EllipsisKeepsTheLongestStartThatFitsAtEveryWidth) {
    TCanvas C;
    const AnsiString Text = "Item 001234.5 with more words";
    for (int Width = 0; Width <= C.TextWidth(Text) + 2; ++Width) {
        const Lines Got = LinesOf(&C, Text, Width, DT_SINGLELINE | DT_END_ELLIPSIS);
        ASSERT_EQ(Got.size(), 1u);
        const AnsiString& Shown = Got[0];
        if (C.TextWidth(Text) <= Width) {
            EXPECT_EQ(Shown, Text) << Width;
            continue;
        }
        const std::size_t Kept = Shown.size() - 3;
        EXPECT_EQ(Shown.substr(Kept), "...") << Width;
        if (Kept > 0) {
            EXPECT_LE(C.TextWidth(Shown), Width) << Width;
        }
        EXPECT_GT(C.TextWidth(Text.substr(0, Kept + 1) + "..."), Width) << Width;
    }
}

TEST(DrawText, DrawsExactlyWhatAClipToItsRectangleWouldLeave) {
    // Text whose advance fits its rectangle may still reach out of it with its ink (the tail of
    // an f, the hook of a j, slanted letters); what shows must be what a clip leaves.
    const struct {
        const char* Text;
        bool Italic;
        int Extra;  // rectangle width beyond the text's advance
    } Cases[] = {{"fjWf", false, 0},
                 {"fjWf", true, 0},
                 {"Item 001234.5", false, 0},
                 {"Item 001234.5", false, 6},
                 {"jolly", true, 8}};
    for (const auto& T : Cases) {
        TBitmap Clipped, Plain;
        for (TBitmap* Bmp : {&Clipped, &Plain}) {
            Bmp->SetSize(160, 30);
            TCanvas* C = Bmp->GetCanvas();
            C->GetFont()->SetSize(14);
            if (T.Italic) C->GetFont()->SetStyle(TFontStyles{fsItalic});
            SetBkMode(C, TRANSPARENT);
            TRect R{10, 2, 10 + C->TextWidth(T.Text) + T.Extra, 28};
            if (Bmp == &Clipped) C->IntersectClipRect(R);
            DrawTextA(C, T.Text, R, DT_SINGLELINE | (Bmp == &Clipped ? DT_NOCLIP : 0));
        }
        EXPECT_EQ(BitmapImage(Clipped), BitmapImage(Plain)) << T.Text << " italic " << T.Italic;
    }
}
