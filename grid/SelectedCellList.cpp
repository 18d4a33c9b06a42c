#include "grid/SelectedCellList.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <new>
#include <string>

namespace carrelon {

namespace {
constexpr std::size_t kMinIndexSize = 16;
// Gaps are compacted away once they are both numerous and at least half of the storage, so
// memory stays proportional to the listed cells and compaction cost is amortised.
constexpr std::size_t kGapSlack = 4096;
}  // namespace

TCarrelonCell* TSelectedCellList::Item(int Index) const {
    if (Index < 0 || static_cast<std::size_t>(Index) >= FLive)
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (FDead != 0) Compact();
    return FSlots[FHead + static_cast<std::size_t>(Index)];
}

std::uint32_t TSelectedCellList::Find(const TCarrelonCell* Cell) const {
    if (FIndex.empty() || Cell == nullptr) return kNone;
    const std::uint32_t T = Tag(Cell);
    for (std::size_t b = T & FIndexMask;; b = (b + 1) & FIndexMask) {
        const std::uint64_t e = FIndex[b];
        if (e == 0) return kNone;
        const auto Slot = static_cast<std::uint32_t>(e) - 1;
        if ((e >> 32) == T && FSlots[Slot] == Cell) return Slot;
    }
}

void TSelectedCellList::Reserve(std::size_t Extra) {
    if (FSlots.size() + Extra > FSlots.capacity())
        FSlots.reserve(std::max(FSlots.size() + Extra, 2 * FSlots.capacity()));
    if ((FLive + Extra) * 4 > FIndex.size() * 3) RebuildIndex(FLive + Extra);
}

bool TSelectedCellList::Add(TCarrelonCell* Cell) {
    if (Cell == nullptr) return false;
    if (FSlots.size() >= kNone - 1) Compact();
    if (FSlots.size() >= kNone - 1) throw std::bad_alloc();
    GrowIndexIfNeeded();
    const std::uint32_t T = Tag(Cell);
    std::size_t b = T & FIndexMask;
    for (;; b = (b + 1) & FIndexMask) {
        const std::uint64_t e = FIndex[b];
        if (e == 0) break;
        if ((e >> 32) == T && FSlots[static_cast<std::uint32_t>(e) - 1] == Cell) return false;
    }
    ++FVersion;
    FSlots.push_back(Cell);
    FIndex[b] = Entry(T, FSlots.size() - 1);
    ++FLive;
    return true;
}

void TSelectedCellList::AddRun(TCarrelonCell* const* Cells, std::size_t N,
                               std::vector<TCarrelonCell*>* Added) {
    Reserve(N);
    // Bucket loads are cache misses on a large list; asking for them a few cells ahead lets
    // them overlap.
    constexpr std::size_t kAhead = 12;
    for (std::size_t i = 0; i < N; ++i) {
        if (i + kAhead < N && Cells[i + kAhead] != nullptr)
            __builtin_prefetch(&FIndex[Tag(Cells[i + kAhead]) & FIndexMask]);
        if (Add(Cells[i]) && Added != nullptr) Added->push_back(Cells[i]);
    }
}

bool TSelectedCellList::Remove(const TCarrelonCell* Cell) {
    if (FIndex.empty() || Cell == nullptr) return false;
    const std::uint32_t T = Tag(Cell);
    std::size_t b = T & FIndexMask;
    for (;; b = (b + 1) & FIndexMask) {
        const std::uint64_t e = FIndex[b];
        if (e == 0) return false;
        if ((e >> 32) == T && FSlots[static_cast<std::uint32_t>(e) - 1] == Cell) break;
    }
    const std::size_t Slot = static_cast<std::uint32_t>(FIndex[b]) - 1;
    ++FVersion;
    EraseIndex(b);
    FSlots[Slot] = nullptr;
    --FLive;
    if (FLive == 0) {
        FSlots.clear();
        FHead = FDead = 0;
        return true;
    }
    if (Slot == FHead) {
        DropEnds();
    } else if (Slot + 1 == FSlots.size()) {
        DropEnds();
    } else {
        ++FDead;
    }
    if ((FHead > kGapSlack && FHead * 2 > FSlots.size()) || (FDead > kGapSlack && FDead > FLive))
        Compact();
    return true;
}

// Moves the head past leading gaps and pops trailing ones.
void TSelectedCellList::DropEnds() {
    if (FHead < FSlots.size() && FSlots[FHead] == nullptr) {
        ++FHead;  // the slot just removed, never counted as a gap
        while (FHead < FSlots.size() && FSlots[FHead] == nullptr) {
            ++FHead;
            --FDead;
        }
    }
    if (!FSlots.empty() && FSlots.back() == nullptr) {
        FSlots.pop_back();  // the slot just removed
        while (FSlots.size() > FHead && FSlots.back() == nullptr) {
            FSlots.pop_back();
            --FDead;
        }
    }
}

void TSelectedCellList::Clear() {
    ++FVersion;
    FSlots.clear();
    FHead = FDead = 0;
    FLive = 0;
    if (FIndex.size() > 1024) {
        FIndex = {};
        FIndexMask = 0;
        FSlots.shrink_to_fit();
    } else {
        std::fill(FIndex.begin(), FIndex.end(), std::uint64_t{0});
    }
}

std::vector<TCarrelonCell*> TSelectedCellList::Snapshot() const {
    std::vector<TCarrelonCell*> Out;
    Out.reserve(FLive);
    ForEach([&](TCarrelonCell* c) { Out.push_back(c); });
    return Out;
}

void TSelectedCellList::EraseIndex(std::size_t Hole) {
    FIndex[Hole] = 0;
    // Backward-shift deletion: pull later entries of the probe run into the hole when their
    // home bucket does not lie between the hole and their position.
    for (std::size_t j = (Hole + 1) & FIndexMask; FIndex[j] != 0; j = (j + 1) & FIndexMask) {
        const std::size_t Home = static_cast<std::size_t>(FIndex[j] >> 32) & FIndexMask;
        const bool Stays = Hole <= j ? (Hole < Home && Home <= j) : (Hole < Home || Home <= j);
        if (!Stays) {
            FIndex[Hole] = FIndex[j];
            FIndex[j] = 0;
            Hole = j;
        }
    }
}

void TSelectedCellList::InsertIndex(std::uint32_t Slot) const {
    const std::uint32_t T = Tag(FSlots[Slot]);
    std::size_t b = T & FIndexMask;
    while (FIndex[b] != 0)
        b = (b + 1) & FIndexMask;
    FIndex[b] = Entry(T, Slot);
}

// The index stays at most 75 % full; the tags keep the longer probe runs cheap.
void TSelectedCellList::GrowIndexIfNeeded() {
    if ((FLive + 1) * 4 > FIndex.size() * 3) RebuildIndex(2 * (FLive + 1));
}

void TSelectedCellList::RebuildIndex(std::size_t ForCount) const {
    std::size_t Size = kMinIndexSize;
    while (Size * 3 < ForCount * 4)
        Size *= 2;
    FIndex.assign(Size, std::uint64_t{0});
    FIndexMask = Size - 1;
    for (std::size_t i = FHead; i < FSlots.size(); ++i)
        if (FSlots[i] != nullptr) InsertIndex(static_cast<std::uint32_t>(i));
}

void TSelectedCellList::Compact() const {
    if (FHead == 0 && FDead == 0) return;
    std::size_t Kept = 0;
    for (std::size_t i = FHead; i < FSlots.size(); ++i)
        if (FSlots[i] != nullptr) FSlots[Kept++] = FSlots[i];
    FSlots.resize(Kept);
    FHead = FDead = 0;
    RebuildIndex(FLive);
}

}  // namespace carrelon
