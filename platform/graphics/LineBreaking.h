// Platform-internal: how DrawTextA breaks a paragraph into lines, over UTF-16 text and any
// measure of a piece's width, so that laying text out and counting its lines agree.
#pragma once

#include <cstddef>
#include <vector>

namespace carrelon {

struct TLineRange {
    std::ptrdiff_t Begin = 0;
    std::ptrdiff_t End = 0;
};

// WidthOf(B, E) is the width in pixels of the text [B, E).
template <typename TWidthOf>
class TLineBreaker {
public:
    using Index = std::ptrdiff_t;

    TLineBreaker(const char16_t* Text, const TWidthOf& WidthOf, int Width, bool EditControl)
        : S(Text), WidthOf(WidthOf), W(Width), Edit(EditControl) {}

    Index Next(Index i, Index E) const {
        return (IsHigh(S[i]) && i + 1 < E && IsLow(S[i + 1])) ? i + 2 : i + 1;
    }

    // The paragraph [B, E) broken into lines at spaces.
    void Wrap(Index B, Index E, std::vector<TLineRange>& Out) {
        Index LS = -1, LE = -1;
        Index i = B;
        while (i < E) {
            const Index SpaceStart = i;
            while (i < E && S[i] == u' ')
                ++i;
            const Index WordStart = i;
            while (i < E && S[i] != u' ')
                ++i;
            const Index WordEnd = i;
            if (WordStart == WordEnd) {  // spaces at the end of the paragraph
                if (LS < 0) {
                    LS = SpaceStart;
                    LE = WordEnd;
                }
                break;
            }
            if (LS < 0) {
                // Leading spaces of the paragraph stay; spaces at a break are dropped.
                Place(SpaceStart == B ? B : WordStart, WordEnd, Out, LS, LE);
            } else if (WidthOf(LS, WordEnd) <= W) {
                LE = WordEnd;
            } else {
                Out.push_back({LS, LE});
                Place(WordStart, WordEnd, Out, LS, LE);
            }
        }
        if (LS < 0)
            Out.push_back({B, B});
        else
            Out.push_back({LS, LE});
    }

    // The end of the longest piece from B (at least one character) that fits the width. Gallops
    // forward, then bisects, so breaking a long word costs about its length times a logarithm.
    Index Fit(Index B, Index E) const {
        auto Advance = [&](Index i, Index N) {
            while (N-- > 0 && i < E)
                i = Next(i, E);
            return i;
        };
        Index Good = Advance(B, 1);
        Index Bad = E;
        for (Index Step = 1; Good < E; Step *= 2) {
            const Index Probe = Advance(Good, Step);
            if (WidthOf(B, Probe) > W) {
                Bad = Probe;
                break;
            }
            Good = Probe;
        }
        if (Good >= E) return E;
        std::vector<Index> Ends{Good};
        for (Index i = Good; i < Bad;) {
            i = Next(i, Bad);
            Ends.push_back(i);
        }
        std::size_t Lo = 0, Hi = Ends.size() - 1;  // Ends[Lo] fits, Ends.back() does not
        while (Lo + 1 < Hi) {
            const std::size_t Mid = (Lo + Hi) / 2;
            if (WidthOf(B, Ends[Mid]) <= W)
                Lo = Mid;
            else
                Hi = Mid;
        }
        return Ends[Lo];
    }

private:
    static bool IsHigh(char16_t c) { return (c & 0xFC00) == 0xD800; }
    static bool IsLow(char16_t c) { return (c & 0xFC00) == 0xDC00; }

    // Starts a line with [B, E); an edit control breaks a word too wide for a line.
    void Place(Index B, Index E, std::vector<TLineRange>& Out, Index& LS, Index& LE) {
        while (Edit && B < E) {
            const Index K = Fit(B, E);
            if (K >= E) break;
            Out.push_back({B, K});
            B = K;
        }
        LS = B;
        LE = E;
    }

    const char16_t* S;
    const TWidthOf& WidthOf;
    int W;
    bool Edit;
};

}  // namespace carrelon
