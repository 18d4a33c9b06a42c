#include "exchange/FoldedNameIndex.h"

#include "platform/rtl/Strings.h"

namespace carrelon {

namespace {

bool IsAscii(std::string_view S) {
    for (char c : S)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

char AsciiUpper(char C) {
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 32) : C;
}

}  // namespace

std::uint32_t FoldedNameHash(std::string_view Name) {
    // Names beyond ASCII take the runtime's case mapping; it keeps byte lengths, so both kinds
    // hash the same upper-case bytes.
    const AnsiString upper = IsAscii(Name) ? AnsiString() : AnsiUpperCase(AnsiString(Name));
    const std::string_view bytes = upper.empty() ? Name : std::string_view(upper);
    std::uint64_t h = 1469598103934665603ULL;  // FNV-1a
    for (char c : bytes) {
        h ^= static_cast<unsigned char>(AsciiUpper(c));
        h *= 1099511628211ULL;
    }
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

bool SameFoldedName(std::string_view A, std::string_view B) {
    if (A.size() != B.size()) return false;
    for (std::size_t i = 0; i < A.size(); ++i) {
        if ((static_cast<unsigned char>(A[i]) | static_cast<unsigned char>(B[i])) >= 0x80)
            return AnsiUpperCase(AnsiString(A)) == AnsiUpperCase(AnsiString(B));
        if (AsciiUpper(A[i]) != AsciiUpper(B[i])) return false;
    }
    return true;
}

void TFoldedNameIndex::Grow() {
    std::vector<TSlot> old;
    old.swap(FSlots);
    FSlots.resize(old.empty() ? 16 : old.size() * 2);
    for (const TSlot& slot : old) {
        if (slot.Item < 0) continue;
        std::size_t i = slot.Hash & Mask();
        while (FSlots[i].Item >= 0)
            i = (i + 1) & Mask();
        FSlots[i] = slot;
    }
}

}  // namespace carrelon
