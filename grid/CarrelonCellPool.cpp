#include "grid/CarrelonCellPool.h"

#include <cstdlib>
#include <memory>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define CARRELON_POOL_PASSTHROUGH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CARRELON_POOL_PASSTHROUGH 1
#endif
#endif

namespace carrelon {

namespace {
constexpr std::size_t kBlock = 40;  // sizeof(TCarrelonCell)
constexpr std::size_t kChunkBytes = std::size_t{4} << 20;
constexpr std::size_t kCapacity = kChunkBytes / kBlock;
}  // namespace

struct TCarrelonCellPool::Chunk {
    unsigned char* Blocks = nullptr;
    void* FreeList = nullptr;  // free blocks, linked through their first word
    Chunk* Prev = nullptr;     // neighbours in the pool's list of partial chunks
    Chunk* Next = nullptr;
    std::size_t Used = 0;    // blocks handed out
    std::size_t Carved = 0;  // blocks ever taken from the fresh tail
    bool Listed = false;
    bool Contains(const void* P) const {
        auto* B = static_cast<const unsigned char*>(P);
        return B >= Blocks && B < Blocks + kChunkBytes;
    }
};

TCarrelonCellPool& CarrelonCellPool() {
    // Never destroyed: grids owned by static objects may free their cells after main returns.
    static TCarrelonCellPool* Pool = new TCarrelonCellPool;
    return *Pool;
}

TCarrelonCellPool::~TCarrelonCellPool() = default;

void* TCarrelonCellPool::Allocate(std::size_t Size) {
    if (FFailAfter >= 0 && FFailAfter-- == 0) throw std::bad_alloc();
#ifdef CARRELON_POOL_PASSTHROUGH
    void* P = ::operator new(Size);
#else
    void* P = Size <= kBlock ? AllocateFromChunks() : ::operator new(Size);
#endif
    ++FLive;
    return P;
}

void TCarrelonCellPool::Free(void* P, std::size_t Size) noexcept {
    if (P == nullptr) return;
    --FLive;
#ifdef CARRELON_POOL_PASSTHROUGH
    (void)Size;
    ::operator delete(P);
#else
    if (Size <= kBlock)
        FreeToChunk(P);
    else
        ::operator delete(P);
#endif
}

void* TCarrelonCellPool::AllocateFromChunks() {
    Chunk* C = FPartial;
    if (C == nullptr) {
        auto Fresh = std::make_unique<Chunk>();
        Fresh->Blocks = static_cast<unsigned char*>(std::malloc(kChunkBytes));
        if (Fresh->Blocks == nullptr) throw std::bad_alloc();
        try {
            FByAddress.emplace(reinterpret_cast<std::uintptr_t>(Fresh->Blocks), Fresh.get());
        } catch (...) {
            std::free(Fresh->Blocks);
            throw;
        }
        C = Fresh.release();
        C->Listed = true;
        FPartial = C;
    }
    void* P;
    if (C->FreeList != nullptr) {
        P = C->FreeList;
        C->FreeList = *static_cast<void**>(P);
    } else {
        P = C->Blocks + kBlock * C->Carved++;
    }
    if (++C->Used == kCapacity) Unlist(C);  // full: leaves the partial list
    return P;
}

void TCarrelonCellPool::Unlist(Chunk* C) noexcept {
    if (C->Prev != nullptr) C->Prev->Next = C->Next;
    if (C->Next != nullptr) C->Next->Prev = C->Prev;
    if (FPartial == C) FPartial = C->Next;
    C->Next = C->Prev = nullptr;
    C->Listed = false;
}

TCarrelonCellPool::Chunk* TCarrelonCellPool::ChunkOf(void* P) noexcept {
    if (FLastFreed != nullptr && FLastFreed->Contains(P)) return FLastFreed;
    auto It = FByAddress.upper_bound(reinterpret_cast<std::uintptr_t>(P));
    --It;  // P lies in some chunk, so one starts at or below it
    return FLastFreed = It->second;
}

void TCarrelonCellPool::FreeToChunk(void* P) noexcept {
    Chunk* C = ChunkOf(P);
    *static_cast<void**>(P) = C->FreeList;
    C->FreeList = P;
    --C->Used;
    if (!C->Listed) {
        C->Next = FPartial;
        C->Prev = nullptr;
        if (FPartial != nullptr) FPartial->Prev = C;
        FPartial = C;
        C->Listed = true;
    }
    // An empty chunk goes back to the system unless it is the only one left.
    if (C->Used == 0 && FByAddress.size() > 1) {
        Unlist(C);
        FByAddress.erase(reinterpret_cast<std::uintptr_t>(C->Blocks));
        if (FLastFreed == C) FLastFreed = nullptr;
        std::free(C->Blocks);
        delete C;
    }
}

}  // namespace carrelon
