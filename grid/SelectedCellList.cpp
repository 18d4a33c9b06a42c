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

std::size_t TSelectedCellList::Bucket(const TCarrelonCell* Cell) const {
    auto x = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(Cell));
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return static_cast<std::size_t>(x) & FIndexMask;
}

std::uint32_t TSelectedCellList::Find(const TCarrelonCell* Cell) const {
    if (FIndex.empty() || Cell == nullptr) return kNone;
    for (std::size_t b = Bucket(Cell);; b = (b + 1) & FIndexMask) {
        const std::uint32_t e = FIndex[b];
        if (e == 0) return kNone;
        if (FSlots[e - 1] == Cell) return e - 1;
    }
}

bool TSelectedCellList::Add(TCarrelonCell* Cell) {
    if (Cell == nullptr) return false;
    if (FSlots.size() >= kNone - 1) Compact();
    if (FSlots.size() >= kNone - 1) throw std::bad_alloc();
    GrowIndexIfNeeded();
    std::size_t b = Bucket(Cell);
    for (;; b = (b + 1) & FIndexMask) {
        const std::uint32_t e = FIndex[b];
        if (e == 0) break;
        if (FSlots[e - 1] == Cell) return false;
    }
    ++FVersion;
    FSlots.push_back(Cell);
    FIndex[b] = static_cast<std::uint32_t>(FSlots.size());
    ++FLive;
    return true;
}

bool TSelectedCellList::Remove(const TCarrelonCell* Cell) {
    if (FIndex.empty() || Cell == nullptr) return false;
    std::size_t b = Bucket(Cell);
    for (;; b = (b + 1) & FIndexMask) {
        const std::uint32_t e = FIndex[b];
        if (e == 0) return false;
        if (FSlots[e - 1] == Cell) break;
    }
    const std::size_t Slot = FIndex[b] - 1;
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
        std::fill(FIndex.begin(), FIndex.end(), 0u);
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
        const std::size_t Home = Bucket(FSlots[FIndex[j] - 1]);
        const bool Stays = Hole <= j ? (Hole < Home && Home <= j) : (Hole < Home || Home <= j);
        if (!Stays) {
            FIndex[Hole] = FIndex[j];
            FIndex[j] = 0;
            Hole = j;
        }
    }
}

void TSelectedCellList::InsertIndex(std::uint32_t Slot) const {
    std::size_t b = Bucket(FSlots[Slot]);
    while (FIndex[b] != 0)
        b = (b + 1) & FIndexMask;
    FIndex[b] = Slot + 1;
}

void TSelectedCellList::GrowIndexIfNeeded() {
    if ((FLive + 1) * 2 > FIndex.size()) RebuildIndex();
}

void TSelectedCellList::RebuildIndex() const {
    std::size_t Size = kMinIndexSize;
    while (Size < (FLive + 1) * 2)
        Size *= 2;
    FIndex.assign(Size, 0u);
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
    RebuildIndex();
}

}  // namespace carrelon
