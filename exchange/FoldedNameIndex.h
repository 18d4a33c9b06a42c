// A hash index of numbered items by name, where names compare as the runtime's case-insensitive
// text comparison does (equal when their upper-case forms are equal). The index keeps only item
// numbers; the owner tells it each item's name, so names are stored once, in the owner.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace carrelon {

std::uint32_t FoldedNameHash(std::string_view Name);
bool SameFoldedName(std::string_view A, std::string_view B);

class TFoldedNameIndex {
public:
    // The first item added under Name, or -1. NameOf(int Item) gives an item's name.
    template <typename NameOfItem>
    int Find(std::string_view Name, const NameOfItem& NameOf) const {
        if (FSlots.empty()) return -1;
        const std::uint32_t hash = FoldedNameHash(Name);
        for (std::size_t i = hash & Mask();; i = (i + 1) & Mask()) {
            const TSlot& slot = FSlots[i];
            if (slot.Item < 0) return -1;
            if (slot.Hash == hash && SameFoldedName(NameOf(slot.Item), Name)) return slot.Item;
        }
    }

    // Adds Item under its name, unless an earlier item holds that name already.
    template <typename NameOfItem>
    void Add(int Item, const NameOfItem& NameOf) {
        if ((FCount + 1) * 2 > FSlots.size()) Grow();
        const std::string_view name = NameOf(Item);
        const std::uint32_t hash = FoldedNameHash(name);
        for (std::size_t i = hash & Mask();; i = (i + 1) & Mask()) {
            TSlot& slot = FSlots[i];
            if (slot.Item < 0) {
                slot = {hash, Item};
                ++FCount;
                return;
            }
            if (slot.Hash == hash && SameFoldedName(NameOf(slot.Item), name)) return;
        }
    }

    void Clear() {
        FSlots.clear();
        FCount = 0;
    }

private:
    struct TSlot {
        std::uint32_t Hash = 0;
        std::int32_t Item = -1;
    };
    std::size_t Mask() const { return FSlots.size() - 1; }
    void Grow();

    std::vector<TSlot> FSlots;  // a power of two in size, at most half full
    std::size_t FCount = 0;
};

}  // namespace carrelon
