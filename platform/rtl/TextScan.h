// Scanning helpers for large texts: finding the next of a few bytes without re-reading the text,
// and walking its lines.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace carrelon {

// Finds the next of a few bytes in a text. Each byte's next position is remembered, so the text
// is searched once per byte value (with memchr) however many times the caller asks.
template <std::size_t N>
class TByteFinder {
public:
    TByteFinder(std::string_view Text, std::array<char, N> Bytes) : FText(Text), FBytes(Bytes) {}

    // The first position at or after From that holds one of the bytes; the text's size when
    // there is none.
    std::size_t Next(std::size_t From) {
        std::size_t best = FText.size();
        for (std::size_t k = 0; k < N; ++k) {
            if (!FKnown[k] || FNext[k] < From) {
                const void* hit = From < FText.size() ? std::memchr(FText.data() + From, FBytes[k],
                                                                    FText.size() - From)
                                                      : nullptr;
                FNext[k] =
                    hit != nullptr
                        ? static_cast<std::size_t>(static_cast<const char*>(hit) - FText.data())
                        : FText.size();
                FKnown[k] = true;
            }
            best = std::min(best, FNext[k]);
        }
        return best;
    }

private:
    std::string_view FText;
    std::array<char, N> FBytes;
    std::array<std::size_t, N> FNext{};
    std::array<bool, N> FKnown{};
};

// Calls Line(std::string_view) for every line of Text, as a string list splits a text: a line
// ends at CR LF, a lone LF or a lone CR, and a break at the very end starts no further line.
template <typename LineFunction>
void ForEachLine(std::string_view Text, LineFunction&& Line) {
    TByteFinder<2> breaks(Text, {'\r', '\n'});
    std::size_t start = 0;
    while (start < Text.size()) {
        const std::size_t end = breaks.Next(start);
        Line(Text.substr(start, end - start));
        start = end + 1;
        if (end + 1 < Text.size() && Text[end] == '\r' && Text[end + 1] == '\n') ++start;
    }
}

}  // namespace carrelon
