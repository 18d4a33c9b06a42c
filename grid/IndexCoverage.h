// A set of row or column indexes given as closed intervals, answering "is this index covered"
// in logarithmic time once sealed.
#pragma once

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

namespace carrelon {

class TIndexCoverage {
public:
    void Clear() { FSpans.clear(); }
    void Add(int First, int Last) {
        if (First <= Last) FSpans.emplace_back(First, Last);
    }
    // Sorts and joins the intervals; call after the last Add.
    void Seal() {
        std::sort(FSpans.begin(), FSpans.end());
        std::size_t Out = 0;
        for (const auto& s : FSpans) {
            if (Out > 0 && s.first <= FSpans[Out - 1].second + 1)
                FSpans[Out - 1].second = std::max(FSpans[Out - 1].second, s.second);
            else
                FSpans[Out++] = s;
        }
        FSpans.resize(Out);
    }
    bool Covers(int Index) const {
        auto It = std::upper_bound(FSpans.begin(), FSpans.end(),
                                   std::make_pair(Index, std::numeric_limits<int>::max()));
        return It != FSpans.begin() && std::prev(It)->second >= Index;
    }

private:
    std::vector<std::pair<int, int>> FSpans;
};

}  // namespace carrelon
