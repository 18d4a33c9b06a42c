// Sizes and cumulative offsets along one grid axis (the columns or the rows).
//
// Every slot has the default size until one is set on its own; only then is a per-slot array
// kept, and setting the default again drops it. Offsets come from block sums in a Fenwick tree
// over the array, so the position of a slot and the slot at a position cost O(log n) (plus a
// scan of at most one block) however many slots the axis has. Painting, hit-testing and
// scrolling all ask this one piece.
#pragma once

#include <cstdint>
#include <vector>

namespace carrelon {

class TGridAxis {
public:
    TGridAxis(int Count, int DefaultSize);

    int Count() const { return FCount; }
    // New slots take the default size; a negative count is taken as 0.
    void SetCount(int NewCount);

    int DefaultSize() const { return FDefault; }
    // Every slot takes the value and the per-slot array is dropped (also for an unchanged value).
    void SetDefaultSize(int Value);
    // Stores the default only: slots with the per-slot array keep their sizes (new slots take
    // the value); without the array every slot follows.
    void StoreDefaultSize(int Value);

    // Size of slot Index (0 for an index outside the axis).
    int Size(int Index) const;
    // Sets one slot's size (negative values become 0); the array is made on the first size that
    // differs from the default. An index outside the axis is ignored.
    void SetSize(int Index, int Value);

    // The per-slot array: empty while every slot has the default size.
    const std::vector<int>& Sizes() const { return FSizes; }
    bool HasSizes() const { return !FSizes.empty(); }
    // True when every slot has the default size (with or without the array).
    bool AllDefault() const { return FNonDefault == 0; }

    // Start of slot Index (0 <= Index <= Count) when every slot is followed by Extra pixels of
    // grid line: the sum of the sizes before it plus Index * Extra.
    std::int64_t Offset(int Index, int Extra = 0) const;
    // Sum of the sizes of slots [First, Last) plus Extra per slot.
    std::int64_t Span(int First, int Last, int Extra = 0) const {
        return Offset(Last, Extra) - Offset(First, Extra);
    }
    // The largest K in 0..Count with Offset(K, Extra) <= Target; -1 when Target < 0. The slot
    // that holds position Target is K (K = Count: past the last slot); slots of size 0 are never
    // the answer unless they are the last ones.
    int LastStartAtMost(std::int64_t Target, int Extra = 0) const;

    // Moves slot From to position To, the slots between shifting by one (as a row or column
    // move does). Indexes outside the axis are ignored.
    void Move(int From, int To);

private:
    static constexpr int kBlock = 64;

    int BlockCount() const { return (FCount + kBlock - 1) / kBlock; }
    std::int64_t BlockSum(int Block) const;
    std::int64_t BlockPrefix(int Blocks) const;  // sum of the first Blocks blocks
    void Rebuild();
    void AddToBlock(int Block, std::int64_t Delta);

    int FCount;
    int FDefault;
    int FNonDefault = 0;
    std::vector<int> FSizes;          // empty while every slot has the default size
    std::vector<std::int64_t> FTree;  // Fenwick tree of block sums, 1-based
};

}  // namespace carrelon
