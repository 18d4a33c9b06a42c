// Measuring text height without laying text out. A grid measures every cell it fits, and a
// layout shapes the text; most cell texts are one line, whose height is the font's line height.
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/LineBreaking.h"

namespace carrelon {

namespace {

constexpr unsigned FastFlags =
    DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_NOCLIP | DT_CALCRECT;

constexpr char16_t FirstPrintable = 0x20, EndPrintable = 0x7F;
constexpr int Printables = EndPrintable - FirstPrintable;

}  // namespace

// What measuring needs of one font on one device, made once.
struct TFontMeasures {
    int LineHeight = 0;
    // Advance of each printable ASCII character in 1/64 pixel, as laid out alone; negative when
    // the font lacks it (another font would draw it).
    std::array<std::int64_t, 128> Advance{};
    // Characters that never join a neighbour into a ligature: text made only of them measures
    // as its advances and pairs.
    std::array<bool, 128> Plain{};
    // Pairs that may join into one glyph (a ligature): text in which no neighbours join measures
    // as its advances and pairs. Where the font's other characters could not be checked, every
    // pair with a character that is not plain counts as joining.
    std::array<std::array<bool, Printables>, Printables> Joins{};
    // What laying out a pair adds to the two advances (kerning), in 1/64 pixel.
    std::array<std::array<std::int32_t, Printables>, Printables> Pair{};
    // The most a pair adds; never below 0.
    std::int64_t PairExtra = 0;
    // A plain character's advance with the most a pair starting with it adds (where pairs are
    // exact); -1 for other characters.
    std::array<std::int64_t, 128> AdvanceAndPair{};
    // True when advances and pairs give exactly the laid-out width of text of plain characters
    // (checked on sample texts).
    bool PairsExact = false;

    bool Printable(unsigned char c) const {
        return c >= FirstPrintable && c < EndPrintable && Advance[c] >= 0;
    }
    std::int64_t PairOf(char16_t a, char16_t b) const {
        return Pair[a - FirstPrintable][b - FirstPrintable];
    }
    bool Join(char16_t a, char16_t b) const {
        return Joins[a - FirstPrintable][b - FirstPrintable];
    }

    // Heights measured lately, by text, width and format: cells repeat their texts, and a text
    // that has to be laid out costs far more than finding it again.
    struct TRemembered {
        std::size_t Hash = 0;
        int Width = 0;
        unsigned Format = 0;
        int Height = -1;
        std::string Text;
    };
    static constexpr std::size_t RememberedSlots = 4096;
    static constexpr std::size_t RememberedLength = 256;
    mutable std::vector<TRemembered> Remembered;
};

namespace {

std::int64_t In64ths(qreal Pixels) {
    return static_cast<std::int64_t>(std::llround(Pixels * 64));
}

// Width in whole pixels as the layout rounds it.
int Rounded(std::int64_t Width64) {
    return static_cast<int>((Width64 + 32) >> 6);
}

// Glyphs the layout makes of T.
qsizetype GlyphCount(const QString& T, const QFont& Font, QPaintDevice* Device) {
    QTextLayout Layout(T, Font, Device);
    Layout.beginLayout();
    Layout.createLine();
    Layout.endLayout();
    qsizetype Glyphs = 0;
    for (const QGlyphRun& Run : Layout.glyphRuns())
        Glyphs += Run.glyphIndexes().size();
    return Glyphs;
}

// Narrows joining from characters to pairs: a character that joins some neighbour ("f" and "i"
// in "fi") joins only the pairs that lay out as fewer glyphs. Kept only when sample texts of
// every character, with no joining neighbours, measure exactly as their advances and pairs do.
template <typename TRandom>
void FindJoiningPairs(TFontMeasures& M, const QFont& Font, QPaintDevice* Device, TRandom& Random) {
    std::vector<char16_t> All;
    for (char16_t c = FirstPrintable; c < EndPrintable; ++c)
        if (M.Advance[c] >= 0) All.push_back(c);
    std::array<std::array<bool, Printables>, Printables> Joins{};
    QString Two(2, u' ');
    for (char16_t a : All)
        for (char16_t b : All) {
            if (M.Plain[a] && M.Plain[b]) continue;
            Two[0] = QChar(a);
            Two[1] = QChar(b);
            Joins[a - FirstPrintable][b - FirstPrintable] = GlyphCount(Two, Font, Device) != 2;
        }
    const QFontMetrics Metrics(Font, Device);
    for (int i = 0; i < 400; ++i) {
        QString T;
        std::int64_t Model = 0;
        const int N = 2 + static_cast<int>(Random(20));
        while (T.size() < N) {
            const char16_t c = All[Random(All.size())];
            if (!T.isEmpty()) {
                const char16_t last = T.back().unicode();
                if (Joins[last - FirstPrintable][c - FirstPrintable]) continue;
                Model += M.PairOf(last, c);
            }
            Model += M.Advance[c];
            T += QChar(c);
        }
        if (GlyphCount(T, Font, Device) != T.size() ||
            Metrics.horizontalAdvance(T) != Rounded(Model))
            return;
    }
    M.Joins = Joins;
}

std::unique_ptr<TFontMeasures> MakeMeasures(const QFont& Font, QPaintDevice* Device) {
    auto M = std::make_unique<TFontMeasures>();
    const QFontMetrics Metrics(Font, Device);
    const QFontMetricsF MetricsF(Font, Device);
    M->LineHeight = Metrics.height();
    M->Advance.fill(-1);
    for (char16_t c = FirstPrintable; c < EndPrintable; ++c)
        if (Metrics.inFont(QChar(c)))
            M->Advance[c] = In64ths(MetricsF.horizontalAdvance(QString(QChar(c))));
    QString Two(2, u' ');
    for (char16_t a = FirstPrintable; a < EndPrintable; ++a) {
        if (M->Advance[a] < 0) continue;
        Two[0] = QChar(a);
        for (char16_t b = FirstPrintable; b < EndPrintable; ++b) {
            if (M->Advance[b] < 0) continue;
            Two[1] = QChar(b);
            const std::int64_t Extra =
                In64ths(MetricsF.horizontalAdvance(Two)) - M->Advance[a] - M->Advance[b];
            M->Pair[a - FirstPrintable][b - FirstPrintable] = static_cast<std::int32_t>(Extra);
            M->PairExtra = std::max(M->PairExtra, Extra);
        }
    }
    // A character is plain when, set between every printable character, it leaves one glyph
    // per character.
    std::vector<char16_t> Plain;
    for (char16_t c = FirstPrintable; c < EndPrintable; ++c) {
        if (M->Advance[c] < 0) continue;
        QString T;
        for (char16_t x = FirstPrintable; x < EndPrintable; ++x)
            if (M->Advance[x] >= 0) {
                T += QChar(c);
                T += QChar(x);
            }
        QTextLayout Layout(T, Font, Device);
        Layout.beginLayout();
        Layout.createLine();
        Layout.endLayout();
        qsizetype Glyphs = 0;
        for (const QGlyphRun& Run : Layout.glyphRuns())
            Glyphs += Run.glyphIndexes().size();
        if (Glyphs == T.size()) {
            M->Plain[c] = true;
            Plain.push_back(c);
        }
    }
    // Sample texts of plain characters must all measure as the pairs say.
    std::uint32_t Seed = 12345;
    auto Random = [&Seed](std::size_t N) {
        Seed = Seed * 1103515245u + 12345u;
        return (Seed >> 16) % N;
    };
    bool Exact = !Plain.empty();
    for (int i = 0; i < 400 && Exact; ++i) {
        QString T;
        std::int64_t Model = 0;
        const int N = 2 + static_cast<int>(Random(20));
        for (int k = 0; k < N; ++k) {
            const char16_t c = Plain[Random(Plain.size())];
            if (!T.isEmpty()) Model += M->PairOf(T.back().unicode(), c);
            Model += M->Advance[c];
            T += QChar(c);
        }
        Exact = Metrics.horizontalAdvance(T) == Rounded(Model);
    }
    M->PairsExact = Exact;
    for (char16_t a = FirstPrintable; a < EndPrintable; ++a)
        for (char16_t b = FirstPrintable; b < EndPrintable; ++b)
            M->Joins[a - FirstPrintable][b - FirstPrintable] = !M->Plain[a] || !M->Plain[b];
    if (Exact) FindJoiningPairs(*M, Font, Device, Random);
    M->AdvanceAndPair.fill(-1);
    if (Exact)
        for (char16_t a : Plain) {
            std::int64_t Most = 0;
            for (char16_t b = FirstPrintable; b < EndPrintable; ++b)
                if (M->Advance[b] >= 0) Most = std::max(Most, M->PairOf(a, b));
            M->AdvanceAndPair[a] = M->Advance[a] + Most;
        }
    return M;
}

struct TMeasuresKey {
    std::intptr_t Handle;
    int PixelsPerInch;  // decides the size of a font without a height
    int DeviceX, DeviceY;
    bool operator==(const TMeasuresKey&) const = default;
};

struct TMeasuresKeyHash {
    std::size_t operator()(const TMeasuresKey& K) const {
        std::size_t H = std::hash<std::intptr_t>()(K.Handle);
        H = H * 31 + static_cast<std::size_t>(K.PixelsPerInch);
        H = H * 31 + static_cast<std::size_t>(K.DeviceX);
        return H * 31 + static_cast<std::size_t>(K.DeviceY);
    }
};

const TFontMeasures& MeasuresOf(HDC DC, const TFont& Font) {
    static std::unordered_map<TMeasuresKey, std::unique_ptr<TFontMeasures>, TMeasuresKeyHash> All;
    // The last font asked for on the last device: cells mostly share one font.
    static std::intptr_t LastHandle = 0;
    static int LastPixelsPerInch = 0;
    static const QPaintDevice* LastDevice = nullptr;
    static const TFontMeasures* Last = nullptr;
    QPaintDevice* Device = CanvasMetricsDevice(*DC);
    const std::intptr_t Handle = Font.GetHandle();
    if (Last != nullptr && Handle == LastHandle && Device == LastDevice &&
        Font.GetPixelsPerInch() == LastPixelsPerInch)
        return *Last;
    const TMeasuresKey Key{Handle, Font.GetPixelsPerInch(), Device->logicalDpiX(),
                           Device->logicalDpiY()};
    auto& Slot = All[Key];
    if (!Slot) Slot = MakeMeasures(ToQFont(Font), Device);
    LastHandle = Handle;
    LastPixelsPerInch = Key.PixelsPerInch;
    LastDevice = Device;
    Last = Slot.get();
    return *Last;
}

// The number of lines wrapping gives the paragraph [B, E) of printable ASCII, measuring its
// pieces from the font's advances and pairs; 0 when the paragraph is not such text or the
// font's pairs cannot give exact widths.
// A bound of the width of every piece of [B, E) in 1/64 pixel: the advances, and what each pair
// may add (exactly what it adds where the pairs are known to be exact); -1 when the text holds
// other than printable ASCII. Plain tells whether pairs give the exact width of the text.
std::int64_t WidthBound(const TFontMeasures& M, const char* B, const char* E, bool& Plain) {
    std::int64_t Bound = 0;
    Plain = M.PairsExact;
    for (const char* p = B; p != E; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (!M.Printable(c)) return -1;
        if (p + 1 != E && M.Printable(static_cast<unsigned char>(p[1])))
            Plain = Plain && !M.Join(c, static_cast<unsigned char>(p[1]));
        Bound += M.Advance[c];
        if (p + 1 != E)
            Bound += Plain && M.Printable(static_cast<unsigned char>(p[1]))
                         ? std::max<std::int64_t>(0, M.PairOf(c, static_cast<unsigned char>(p[1])))
                         : M.PairExtra;
    }
    return Bound;
}

// No piece wider than Bound rounds to more than Width pixels.
bool FitsWidth(std::int64_t Bound, int Width) {
    return Bound + 32 < (std::int64_t{Width} + 1) * 64;
}

std::size_t WrappedLines(const TFontMeasures& M, const char* B, const char* E, int Width,
                         bool EditControl) {
    const std::size_t N = static_cast<std::size_t>(E - B);
    bool Plain = false;
    const std::int64_t Bound = WidthBound(M, B, E, Plain);
    if (Bound < 0) return 0;
    if (FitsWidth(Bound, Width)) return 1;
    if (!Plain) return 0;
    thread_local std::u16string Text;
    thread_local std::vector<std::int64_t> Advances, Pairs;
    thread_local std::vector<TLineRange> Lines;
    Text.assign(B, E);
    Advances.assign(N + 1, 0);
    Pairs.assign(N + 1, 0);
    for (std::size_t i = 0; i < N; ++i) {
        Advances[i + 1] = Advances[i] + M.Advance[Text[i]];
        Pairs[i + 1] = Pairs[i] + (i + 1 < N ? M.PairOf(Text[i], Text[i + 1]) : 0);
    }
    const auto WidthOf = [&](std::ptrdiff_t b, std::ptrdiff_t e) {
        if (e <= b) return 0;
        return Rounded(Advances[e] - Advances[b] + Pairs[e - 1] - Pairs[b]);
    };
    Lines.clear();
    TLineBreaker Breaker(Text.data(), WidthOf, Width, EditControl);
    Breaker.Wrap(0, static_cast<std::ptrdiff_t>(N), Lines);
    return Lines.size();
}

}  // namespace

const TFontMeasures* FontMeasuresOf(HDC DC, const TFont& Font, unsigned Format) {
    if (DC == nullptr) return nullptr;
    Format |= DT_CALCRECT;
    if ((Format & ~FastFlags) != 0 || !(Format & DT_NOPREFIX) ||
        DC->GetFont()->GetPixelsPerInch() != Font.GetPixelsPerInch())
        return nullptr;
    return &MeasuresOf(DC, Font);
}

bool SurelyOneLine(const TFontMeasures& Measures, std::string_view Text, int Width, bool Wrap) {
    if (Text.empty()) return false;  // no line at all
    // Quick bounds first: each plain character with the most its pairs add, or the advances
    // with the most any pair adds; the closer bound only when they do not fit.
    std::int64_t Sum = 0, Plain = 0;
    bool AllPlain = true;
    for (const char ch : Text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 128 || Measures.Advance[c] < 0) return false;  // not printable ASCII
        Sum += Measures.Advance[c];
        Plain += Measures.AdvanceAndPair[c];
        AllPlain = AllPlain && Measures.AdvanceAndPair[c] >= 0;
    }
    if (!Wrap) return true;
    if (AllPlain && FitsWidth(Plain, Width)) return true;
    if (FitsWidth(Sum + static_cast<std::int64_t>(Text.size() - 1) * Measures.PairExtra, Width))
        return true;
    bool Exact = false;
    return FitsWidth(WidthBound(Measures, Text.data(), Text.data() + Text.size(), Exact), Width);
}

namespace {

// The height of Text by the font's measures when they can tell it; -1 when only a layout can.
int CountedHeight(const TFontMeasures& M, const AnsiString& Text, int Width, unsigned Format) {
    const bool Wrap = (Format & DT_WORDBREAK) != 0;
    // Lines break at CR LF, lone CR and lone LF; a break at the very end starts no line.
    const char* S = Text.data();
    const std::size_t N = Text.size();
    int Lines = 0;
    for (std::size_t B = 0; B < N;) {
        std::size_t E = B;
        while (E < N && S[E] != '\r' && S[E] != '\n')
            ++E;
        if (Wrap && E > B) {
            const std::size_t Count =
                WrappedLines(M, S + B, S + E, Width, (Format & DT_EDITCONTROL) != 0);
            if (Count == 0) return -1;
            Lines += static_cast<int>(Count);
        } else {
            ++Lines;
        }
        if (E < N && S[E] == '\r' && E + 1 < N && S[E + 1] == '\n') ++E;
        B = E + 1;
    }
    return Lines * M.LineHeight;
}

int LaidOutHeight(HDC DC, const TFont& Font, const AnsiString& Text, int Width, unsigned Format) {
    TFont* Current = DC->GetFont();
    if (Current->GetHandle() != Font.GetHandle()) Current->Assign(&Font);
    TRect R = Rect(0, 0, Width, 0);
    return DrawTextA(DC, Text, R, Format);
}

}  // namespace

int MeasureTextHeight(HDC DC, const TFont& Font, const AnsiString& Text, int Width,
                      unsigned Format) {
    if (DC == nullptr) return 0;
    Format |= DT_CALCRECT;
    // A font of another resolution would change size when selected; only the layout knows.
    if ((Format & ~FastFlags) != 0 || !(Format & DT_NOPREFIX) ||
        DC->GetFont()->GetPixelsPerInch() != Font.GetPixelsPerInch())
        return LaidOutHeight(DC, Font, Text, Width, Format);
    const TFontMeasures& M = MeasuresOf(DC, Font);
    // Unwrapped text is counted at once; wrapped text is broken into lines, or laid out, so a
    // text met before in this width and format is not measured again: cells repeat their texts.
    if (!(Format & DT_WORDBREAK) || Text.size() > TFontMeasures::RememberedLength) {
        const int Counted = CountedHeight(M, Text, Width, Format);
        return Counted >= 0 ? Counted : LaidOutHeight(DC, Font, Text, Width, Format);
    }
    if (M.Remembered.empty()) M.Remembered.resize(TFontMeasures::RememberedSlots);
    std::size_t Hash = std::hash<std::string_view>()(Text);
    Hash ^= (static_cast<std::size_t>(static_cast<unsigned>(Width)) << 20) ^ Format;
    auto& Slot = M.Remembered[Hash % TFontMeasures::RememberedSlots];
    if (Slot.Height >= 0 && Slot.Hash == Hash && Slot.Width == Width && Slot.Format == Format &&
        Slot.Text == Text)
        return Slot.Height;
    int Height = CountedHeight(M, Text, Width, Format);
    if (Height < 0) Height = LaidOutHeight(DC, Font, Text, Width, Format);
    Slot.Hash = Hash;
    Slot.Width = Width;
    Slot.Format = Format;
    Slot.Height = Height;
    Slot.Text = Text;
    return Height;
}

}  // namespace carrelon
