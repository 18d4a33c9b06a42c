// Print settings: margins and distances, copied lines and fonts, defaults, no repaint.
#include <cmath>
#include <limits>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Lists.h"
#include "tests/support/GridFixture.h"
#include "tests/support/PaintTestSupport.h"

namespace carrelon::test {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

TEST(PrintMargins, EachSideKeepsRoomWithItsOpposite) {
    const struct {
        double Opposite, Value;
        bool Taken;
    } Cases[] = {
        {0.4, 0.6, false}, {0.4, 0.59, true},  {0, -0.01, false}, {0, 0, true},
        {0, 0.999, true},  {0, 1, false},      {0, NaN, false},   {0, Inf, false},
        {NaN, 0.5, true},  {0.2, -Inf, false},
    };
    for (const auto& C : Cases) {
        // Left with Right, Top with Bottom, and the reverse.
        TCarrelonPrintMargins M;
        M.SetRight(C.Opposite);
        M.SetBottom(C.Opposite);
        M.SetLeft(0.05);
        M.SetTop(0.05);
        M.SetLeft(C.Value);
        M.SetTop(C.Value);
        const double Want = C.Taken ? C.Value : 0.05;
        EXPECT_EQ(M.GetLeft(), Want) << C.Opposite << " + " << C.Value;
        EXPECT_EQ(M.GetTop(), Want) << C.Opposite << " + " << C.Value;
        TCarrelonPrintMargins N;
        N.SetLeft(C.Opposite);
        N.SetRight(C.Value);
        EXPECT_EQ(N.GetRight(), C.Taken ? C.Value : 0.0) << C.Opposite << " + " << C.Value;
    }
}

TEST(PrintHeaderFooter, DistanceLinesAndFontAreCopies) {
    TCarrelonPrintHeaderFooter H;
    EXPECT_EQ(H.GetAlignment(), taLeftJustify);
    EXPECT_EQ(H.GetLines()->GetCount(), 0);
    EXPECT_EQ(H.GetDistance(), 0);
    for (double Bad : {-0.1, 1.0, NaN, Inf}) {
        H.SetDistance(0.25);
        H.SetDistance(Bad);
        EXPECT_EQ(H.GetDistance(), 0.25) << Bad;
    }
    H.SetDistance(0.99);
    EXPECT_EQ(H.GetDistance(), 0.99);

    TStringList Lines;
    Lines.Add("one");
    Lines.Add("two");
    H.SetLines(&Lines);
    Lines.Add("three");
    EXPECT_EQ(H.GetLines()->GetCount(), 2);
    TFont Font;
    Font.SetName("DejaVu Serif");
    Font.SetSize(14);
    H.SetFont(&Font);
    Font.SetSize(20);
    EXPECT_EQ(H.GetFont()->GetName(), "DejaVu Serif");
    EXPECT_EQ(H.GetFont()->GetSize(), 14);
}

using PrintSettings = GridFixture;

TEST_F(PrintSettings, DefaultsAndChangesThatRepaintNothing) {
    const TCarrelonPrintOptions Defaults = Grid->GetPrintOptions();
    for (int Bit = 0; Bit < 15; ++Bit)
        EXPECT_EQ(Defaults.Contains(static_cast<TCarrelonPrintOption>(Bit)), Bit >= 3 && Bit <= 12)
            << Bit;
    EXPECT_EQ(Grid->GetPrintMargins()->GetLeft(), 0);

    auto* Counting = new TCountingGrid(Form.get());
    Counting->SetParent(Form.get());
    Form->Show();
    Application()->ProcessMessages();
    const int Painted = Counting->PaintCount;
    Counting->SetPrintOptions(TCarrelonPrintOptions{poFitPageWidth});
    Counting->GetPrintMargins()->SetLeft(0.2);
    Counting->GetPrintHeader()->GetLines()->Add("header");
    Counting->GetPrintFooter()->SetDistance(0.1);
    Application()->ProcessMessages();
    EXPECT_EQ(Counting->PaintCount, Painted);
    EXPECT_EQ(Counting->GetPrintOptions(), TCarrelonPrintOptions{poFitPageWidth});
}

}  // namespace
}  // namespace carrelon::test
