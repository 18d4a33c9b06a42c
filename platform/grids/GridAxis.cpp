#include "platform/grids/GridAxis.h"

#include <algorithm>
#include <bit>

namespace carrelon {

TGridAxis::TGridAxis(int Count, int DefaultSize)
    : FCount(std::max(Count, 0)), FDefault(std::max(DefaultSize, 0)) {}

void TGridAxis::SetCount(int NewCount) {
    NewCount = std::max(NewCount, 0);
    if (NewCount == FCount) return;
    if (!FSizes.empty()) {
        for (int i = NewCount; i < FCount; ++i)
            if (FSizes[i] != FDefault) --FNonDefault;
        FSizes.resize(NewCount, FDefault);
    }
    FCount = NewCount;
    if (!FSizes.empty()) Rebuild();
}

void TGridAxis::SetDefaultSize(int Value) {
    FDefault = std::max(Value, 0);
    FSizes.clear();
    FSizes.shrink_to_fit();
    FTree.clear();
    FTree.shrink_to_fit();
    FNonDefault = 0;
}

void TGridAxis::StoreDefaultSize(int Value) {
    FDefault = std::max(Value, 0);
    FNonDefault = 0;
    for (int v : FSizes)
        FNonDefault += v != FDefault;
}

int TGridAxis::Size(int Index) const {
    if (Index < 0 || Index >= FCount) return 0;
    return FSizes.empty() ? FDefault : FSizes[Index];
}

void TGridAxis::SetSize(int Index, int Value) {
    if (Index < 0 || Index >= FCount) return;
    Value = std::max(Value, 0);
    if (FSizes.empty()) {
        if (Value == FDefault) return;
        FSizes.assign(FCount, FDefault);
        Rebuild();
    }
    const int Old = FSizes[Index];
    if (Old == Value) return;
    FNonDefault += (Value != FDefault) - (Old != FDefault);
    FSizes[Index] = Value;
    AddToBlock(Index / kBlock, std::int64_t{Value} - Old);
}

std::int64_t TGridAxis::Offset(int Index, int Extra) const {
    Index = std::clamp(Index, 0, FCount);
    const std::int64_t Lines = std::int64_t{Index} * Extra;
    if (FSizes.empty()) return std::int64_t{Index} * FDefault + Lines;
    const int Block = Index / kBlock;
    std::int64_t Sum = BlockPrefix(Block);
    for (int i = Block * kBlock; i < Index; ++i)
        Sum += FSizes[i];
    return Sum + Lines;
}

int TGridAxis::LastStartAtMost(std::int64_t Target, int Extra) const {
    if (Target < 0) return -1;
    if (FSizes.empty()) {
        const std::int64_t Step = std::int64_t{FDefault} + Extra;
        if (Step == 0) return FCount;
        return static_cast<int>(std::min<std::int64_t>(Target / Step, FCount));
    }
    // Descend the tree for the most whole blocks that end at or before Target, then scan the
    // next block slot by slot.
    const int Blocks = BlockCount();
    int Pos = 0;
    std::int64_t Acc = 0;
    for (int Step = std::bit_floor(static_cast<unsigned>(Blocks)); Step > 0; Step >>= 1) {
        const int Next = Pos + Step;
        if (Next > Blocks) continue;
        const std::int64_t Slots = std::min(Next * kBlock, FCount);
        if (Acc + FTree[Next] + Slots * Extra <= Target) {
            Pos = Next;
            Acc += FTree[Next];
        }
    }
    int K = std::min(Pos * kBlock, FCount);
    std::int64_t Start = Acc + std::int64_t{K} * Extra;
    while (K < FCount && Start + FSizes[K] + Extra <= Target) {
        Start += std::int64_t{FSizes[K]} + Extra;
        ++K;
    }
    return K;
}

void TGridAxis::Move(int From, int To) {
    if (From < 0 || To < 0 || From >= FCount || To >= FCount || From == To) return;
    if (FSizes.empty()) return;  // every slot has the same size: nothing moves
    if (From < To)
        std::rotate(FSizes.begin() + From, FSizes.begin() + From + 1, FSizes.begin() + To + 1);
    else
        std::rotate(FSizes.begin() + To, FSizes.begin() + From, FSizes.begin() + From + 1);
    Rebuild();
}

std::int64_t TGridAxis::BlockSum(int Block) const {
    std::int64_t Sum = 0;
    const int End = std::min((Block + 1) * kBlock, FCount);
    for (int i = Block * kBlock; i < End; ++i)
        Sum += FSizes[i];
    return Sum;
}

std::int64_t TGridAxis::BlockPrefix(int Blocks) const {
    std::int64_t Sum = 0;
    for (int i = Blocks; i > 0; i -= i & -i)
        Sum += FTree[i];
    return Sum;
}

void TGridAxis::AddToBlock(int Block, std::int64_t Delta) {
    const int Blocks = BlockCount();
    for (int i = Block + 1; i <= Blocks; i += i & -i)
        FTree[i] += Delta;
}

void TGridAxis::Rebuild() {
    const int Blocks = BlockCount();
    FTree.assign(Blocks + 1, 0);
    for (int b = 0; b < Blocks; ++b)
        FTree[b + 1] = BlockSum(b);
    for (int i = 1; i <= Blocks; ++i) {
        const int Parent = i + (i & -i);
        if (Parent <= Blocks) FTree[Parent] += FTree[i];
    }
}

}  // namespace carrelon
