#include <gtest/gtest.h>

#include <random>

#include "platform/graphics/DrawText.h"

using namespace carrelon;

namespace {

// The height DrawTextA reports with the font selected into the canvas.
int LaidOutHeight(TCanvas& C, const TFont& F, const AnsiString& Text, int Width, unsigned Format) {
    C.GetFont()->Assign(&F);
    TRect R = Rect(0, 0, Width, 0);
    return DrawTextA(&C, Text, R, Format | DT_CALCRECT);
}

AnsiString RandomText(std::mt19937& Rng) {
    // Short words, spaces and every kind of line break, sometimes a non-ASCII letter or a tab.
    static const char* Pieces[] = {"a",        "W",  "mm", "i",  " ",          " ",     "  ",
                                   "\r\n",     "\r", "\n", "fi", "AV",         "To",    "0.5",
                                   "\xC3\xA9", "\t", "&",  "-",  "wwwwwwwwww", "Lorem", "ipsum"};
    AnsiString S;
    const int N = std::uniform_int_distribution<int>(0, 12)(Rng);
    for (int i = 0; i < N; ++i)
        S += Pieces[std::uniform_int_distribution<int>(0, std::size(Pieces) - 1)(Rng)];
    return S;
}

}  // namespace

TEST(TextHeight, EqualsTheLaidOutHeightForAnyTextFontWidthAndWrapping) {
    TCanvas C;
    std::mt19937 Rng(1234);
    const struct {
        const char* Name;
        int Size;
        TFontStyles Style;
    } Fonts[] = {{"MS Sans Serif", 8, {}},
                 {"Arial", 10, {fsBold}},
                 {"Times New Roman", 12, {fsItalic}},
                 {"Courier New", 9, {}},
                 {"MS Sans Serif", 20, {fsBold, fsItalic}}};
    const unsigned Formats[] = {DT_NOPREFIX | DT_NOCLIP,
                                DT_NOPREFIX | DT_NOCLIP | DT_WORDBREAK | DT_EDITCONTROL,
                                DT_NOPREFIX | DT_WORDBREAK, DT_WORDBREAK | DT_EDITCONTROL};
    for (const auto& FontCase : Fonts) {
        TFont F;
        F.SetName(FontCase.Name);
        F.SetSize(FontCase.Size);
        F.SetStyle(FontCase.Style);
        for (int i = 0; i < 1500; ++i) {
            const AnsiString Text = RandomText(Rng);
            const int Width = std::uniform_int_distribution<int>(-5, 160)(Rng);
            const unsigned Format = Formats[i % std::size(Formats)];
            // The canvas holds some other font, as it does between cells.
            C.GetFont()->SetSize(7 + i % 5);
            const int Fast = MeasureTextHeight(&C, F, Text, Width, Format);
            ASSERT_EQ(Fast, LaidOutHeight(C, F, Text, Width, Format))
                << FontCase.Name << " " << FontCase.Size << " width " << Width << " format "
                << Format << " text [" << Text << "]";
        }
    }
}

TEST(TextHeight, OneLineOfAnyLengthIsOneLineHighWithoutWrapping) {
    TCanvas C;
    TFont F;
    const int Line = LaidOutHeight(C, F, "A", 10, DT_NOPREFIX);
    EXPECT_EQ(MeasureTextHeight(&C, F, AnsiString(5000, 'x'), 10, DT_NOPREFIX), Line);
    EXPECT_EQ(MeasureTextHeight(&C, F, "a\r\n\r\nb\r\n", 10, DT_NOPREFIX), 3 * Line);
    EXPECT_EQ(MeasureTextHeight(&C, F, "", 10, DT_NOPREFIX | DT_WORDBREAK), 0);
}

// A text said to be surely one line is one line when laid out, in every font and at every width
// close to its own; a text with a line break or a character outside printable ASCII never is.
TEST(TextHeight, SurelyOneLineHoldsAtTheEdgeOfTheWidth) {
    TCanvas C;
    std::mt19937 Rng(77);
    const unsigned Format = DT_NOPREFIX | DT_NOCLIP | DT_WORDBREAK | DT_EDITCONTROL;
    int Claims = 0;
    for (const char* Name : {"MS Sans Serif", "Arial", "Times New Roman", "Courier New"})
        for (const int Size : {8, 11, 19}) {
            TFont F;
            F.SetName(Name);
            F.SetSize(Size);
            const TFontMeasures* M = FontMeasuresOf(&C, F, Format);
            ASSERT_NE(M, nullptr);
            const int Line = LaidOutHeight(C, F, "A", 1000, Format);
            for (int i = 0; i < 300; ++i) {
                AnsiString Text;
                const int N = std::uniform_int_distribution<int>(1, 14)(Rng);
                for (int k = 0; k < N; ++k)
                    Text += static_cast<char>(std::uniform_int_distribution<int>(0x21, 0x7E)(Rng));
                TRect R = Rect(0, 0, 0, 0);
                C.GetFont()->Assign(&F);
                DrawTextA(&C, Text, R, DT_NOPREFIX | DT_SINGLELINE | DT_CALCRECT);
                for (int Width = R.Right - 3; Width <= R.Right + 3; ++Width) {
                    if (!SurelyOneLine(*M, Text, Width, true)) continue;
                    ++Claims;
                    ASSERT_EQ(LaidOutHeight(C, F, Text, Width, Format), Line)
                        << Name << " " << Size << " width " << Width << " [" << Text << "]";
                }
            }
            EXPECT_TRUE(SurelyOneLine(*M, "any width", 1, false));
            EXPECT_FALSE(SurelyOneLine(*M, "two\r\nlines", 1000, true));
            EXPECT_FALSE(SurelyOneLine(*M, "\xC3\xA9t\xC3\xA9", 1000, true));
            EXPECT_FALSE(SurelyOneLine(*M, "tab\there", 1000, false));
        }
    EXPECT_GT(Claims, 1000);  // the edge was reached often
}

// Heights measured before are found again only for the same text, width, format and font.
TEST(TextHeight, RepeatedTextsKeepTheirOwnWidthFormatAndFont) {
    TCanvas C;
    TFont Small, Large;
    Large.SetSize(18);
    const AnsiString Texts[] = {"Widget A-7", "fish file flow", "says \"hi\", then\r\nmore",
                                "\xC3\xA9t\xC3\xA9 \xC3\xA0 l'\xC3\xAEle", "585004.25"};
    const int Widths[] = {8, 30, 59, 200};
    const unsigned Formats[] = {DT_NOPREFIX | DT_NOCLIP | DT_WORDBREAK | DT_EDITCONTROL,
                                DT_NOPREFIX | DT_WORDBREAK, DT_NOPREFIX};
    for (int Round = 0; Round < 2; ++Round)
        for (const TFont* F : {&Small, &Large})
            for (const AnsiString& Text : Texts)
                for (const int Width : Widths)
                    for (const unsigned Format : Formats)
                        ASSERT_EQ(MeasureTextHeight(&C, *F, Text, Width, Format),
                                  LaidOutHeight(C, *F, Text, Width, Format))
                            << "round " << Round << " size " << F->GetSize() << " width "
                            << Width << " format " << Format << " text [" << Text << "]";
}
