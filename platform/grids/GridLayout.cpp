#include "platform/grids/GridLayout.h"

#include <algorithm>
#include <limits>

namespace carrelon {

namespace {
int ToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}
}  // namespace

TGridAxisLayout::TGridAxisLayout(const TGridAxis& Axis, int FixedCount, int First, int Extent,
                                 int FixedLine, int ScrollLine)
    : FAxis(&Axis),
      FFixed(std::clamp(FixedCount, 0, Axis.Count())),
      FFirst(0),
      FExtent(std::max(Extent, 0)),
      FFixedLine(std::max(FixedLine, 0)),
      FScrollLine(std::max(ScrollLine, 0)) {
    const int N = Axis.Count();
    FFirst = FFixed >= N ? N : std::clamp(First, FFixed, N - 1);
    FFixedBoundary = ToInt(Axis.Offset(FFixed, FFixedLine));
    const std::int64_t Avail = std::int64_t{FExtent} - FFixedBoundary;
    if (FFirst >= N) {
        FLastFullVisible = FFirst - 1;
        FLastVisible = FFirst - 1;
        FFullVisBoundary = FFixedBoundary;
        FGridBoundary = std::min(FExtent, FFixedBoundary);
        return;
    }
    const std::int64_t Base = ScrollOffset(FFirst);
    // Slots First..K-1 end at or before the extent.
    const int K = Avail >= 0 ? FAxis->LastStartAtMost(Base + Avail, FScrollLine) : FFirst;
    FLastFullVisible = std::max(FFirst, std::min(K - 1, N - 1));
    FFullVisBoundary = ToInt(FFixedBoundary + ScrollOffset(FLastFullVisible + 1) - Base);
    FLastVisible = Avail > 0
                       ? std::min(FAxis->LastStartAtMost(Base + Avail - 1, FScrollLine), N - 1)
                       : FFirst - 1;
    FGridBoundary = ToInt(std::min<std::int64_t>(FExtent, FFixedBoundary + ScrollOffset(N) - Base));
}

std::int64_t TGridAxisLayout::ScrollPosition(const TGridAxis& Axis, std::int64_t FixedBoundary,
                                             int First, int Index, int ScrollLine) {
    return FixedBoundary + Axis.Offset(Index, ScrollLine) - Axis.Offset(First, ScrollLine);
}

std::int64_t TGridAxisLayout::Position(const TGridAxis& Axis, int FixedCount, int First, int Index,
                                       int FixedLine, int ScrollLine) {
    const int N = Axis.Count();
    if (Index < FixedCount) return Axis.Offset(std::clamp(Index, 0, N), FixedLine);
    const std::int64_t FixedBoundary = Axis.Offset(std::clamp(FixedCount, 0, N), FixedLine);
    return ScrollPosition(Axis, FixedBoundary, std::clamp(First, 0, N), std::clamp(Index, 0, N),
                          ScrollLine);
}

int TGridAxisLayout::StartOf(int Index) const {
    if (Index < 0 || Index >= Count()) return -1;
    std::int64_t Pos;
    if (Index < FFixed)
        Pos = FAxis->Offset(Index, FFixedLine);
    else if (Index < FFirst)
        return -1;
    else
        Pos = ScrollPosition(*FAxis, FFixedBoundary, FFirst, Index, FScrollLine);
    return Pos < FExtent ? static_cast<int>(Pos) : -1;
}

int TGridAxisLayout::IndexAt(int Pos) const {
    if (Pos < 0 || Pos >= FGridBoundary) return -1;
    if (Pos < FFixedBoundary) {
        const int K = FAxis->LastStartAtMost(Pos, FFixedLine);
        return K < FFixed ? K : -1;
    }
    if (FFirst >= Count()) return -1;
    const int K =
        FAxis->LastStartAtMost(ScrollOffset(FFirst) + (Pos - FFixedBoundary), FScrollLine);
    return K < Count() ? K : -1;
}

int TGridAxisLayout::MaxFirst() const {
    const int N = Count();
    if (FFixed >= N) return N;
    const std::int64_t Avail = std::int64_t{FExtent} - FFixedBoundary;
    const std::int64_t Target = ScrollOffset(N) - Avail;
    const int F = Target <= 0 ? 0 : FAxis->LastStartAtMost(Target - 1, FScrollLine) + 1;
    return std::clamp(F, FFixed, N - 1);
}

int TGridAxisLayout::FirstToShowAtEnd(int Index) const {
    const int N = Count();
    if (FFixed >= N) return N;
    Index = std::clamp(Index, FFixed, N - 1);
    const std::int64_t Avail = std::int64_t{FExtent} - FFixedBoundary;
    const std::int64_t Target = ScrollOffset(Index + 1) - Avail;
    const int F = Target <= 0 ? 0 : FAxis->LastStartAtMost(Target - 1, FScrollLine) + 1;
    return std::clamp(F, FFixed, Index);
}

int TGridAxisLayout::PageFirst(bool Forward) const {
    if (FFixed >= Count()) return Count();
    if (Forward)
        return std::max(FFirst, std::min(MaxFirst(), FFirst + std::max(1, VisibleCount())));
    if (FFirst <= FFixed) return FFixed;
    return std::min(FirstToShowAtEnd(FFirst - 1), FFirst - 1);
}

}  // namespace carrelon
