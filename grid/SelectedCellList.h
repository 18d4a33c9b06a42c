// The ordered list behind the grid's selection: cell pointers in the order they were selected,
// each at most once, with constant-time membership so that large selections stay linear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace carrelon {

class TCarrelonCell;

class TSelectedCellList {
public:
    TSelectedCellList() = default;
    TSelectedCellList(const TSelectedCellList&) = delete;
    TSelectedCellList& operator=(const TSelectedCellList&) = delete;

    int Count() const { return static_cast<int>(FLive); }
    bool Empty() const { return FLive == 0; }
    // Changes whenever the list changes (or MarkChanged is called), for caches built from it.
    unsigned long long Version() const { return FVersion; }
    void MarkChanged() { ++FVersion; }

    // The cell at a list position; an index outside 0..Count-1 raises EListError.
    TCarrelonCell* Item(int Index) const;

    bool Contains(const TCarrelonCell* Cell) const { return Find(Cell) != kNone; }

    // Appends the cell when it is not listed yet; true when it was appended.
    bool Add(TCarrelonCell* Cell);
    // Makes room for Extra more cells, so that a large range grows without rehashing.
    void Reserve(std::size_t Extra);
    // Adds N cells in order, as Add does, fetching their buckets ahead; the cells that were
    // appended go to Added when it is given.
    void AddRun(TCarrelonCell* const* Cells, std::size_t N, std::vector<TCarrelonCell*>* Added);
    // Takes the cell out, keeping the order of the others; true when it was listed.
    bool Remove(const TCarrelonCell* Cell);
    void Clear();

    // Removes every cell the predicate accepts, in one pass, keeping the order of the rest.
    template <typename Pred>
    void RemoveIf(Pred&& Accept) {
        Compact();
        std::size_t Kept = 0;
        for (TCarrelonCell* c : FSlots)
            if (!Accept(c)) FSlots[Kept++] = c;
        if (Kept != FSlots.size()) {
            ++FVersion;
            FSlots.resize(Kept);
            FLive = Kept;
            RebuildIndex(FLive);
        }
    }

    // Calls F for every listed cell in order. F must not change the list.
    template <typename F>
    void ForEach(F&& Visit) const {
        for (std::size_t i = FHead; i < FSlots.size(); ++i)
            if (FSlots[i] != nullptr) Visit(FSlots[i]);
    }

    // A copy of the list, for callers whose work may change the list while they walk it.
    std::vector<TCarrelonCell*> Snapshot() const;

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    std::uint32_t Find(const TCarrelonCell* Cell) const;  // slot number, or kNone
    // The 32 high bits of the cell's hash; its low bits (masked) are the home bucket.
    static std::uint32_t Tag(const TCarrelonCell* Cell) {
        auto x = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(Cell));
        x ^= x >> 33;
        x *= 0xff51afd7ed558ccdULL;
        x ^= x >> 33;
        return static_cast<std::uint32_t>(x >> 32);
    }
    static std::uint64_t Entry(std::uint32_t Tag, std::size_t Slot) {
        return (static_cast<std::uint64_t>(Tag) << 32) | (Slot + 1);
    }
    void InsertIndex(std::uint32_t Slot) const;
    void EraseIndex(std::size_t Bucket);
    void RebuildIndex(std::size_t ForCount) const;
    void GrowIndexIfNeeded();
    // Drops the gaps left by removals; slot numbers change, so the index is rebuilt.
    void Compact() const;
    void DropEnds();

    // Removed cells leave a null gap until the next compaction; gaps before FHead are not
    // counted in FDead, so taking cells from the front (or the back) never needs compaction.
    mutable std::vector<TCarrelonCell*> FSlots;
    mutable std::size_t FHead = 0;
    mutable std::size_t FDead = 0;
    std::size_t FLive = 0;
    unsigned long long FVersion = 0;
    // Open addressing with linear probing. A bucket holds the cell's tag (high half) and its
    // slot number + 1 (low half, 0 = empty), so most probes never touch the cell list.
    mutable std::vector<std::uint64_t> FIndex;
    mutable std::size_t FIndexMask = 0;
};

}  // namespace carrelon
