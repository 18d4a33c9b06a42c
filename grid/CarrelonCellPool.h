// Storage of cell objects. A grid holds one cell object per slot, millions of them, all of one
// size; the pool hands them out in fixed-size blocks carved from large chunks, and gives a chunk
// back to the system once all its blocks are free. Under AddressSanitizer every cell is a plain
// heap allocation so that leaks and stale pointers are still caught.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

namespace carrelon {

class TCarrelonCellPool {
public:
    TCarrelonCellPool() = default;
    TCarrelonCellPool(const TCarrelonCellPool&) = delete;
    TCarrelonCellPool& operator=(const TCarrelonCellPool&) = delete;
    ~TCarrelonCellPool();

    void* Allocate(std::size_t Size);
    void Free(void* P, std::size_t Size) noexcept;
    // Blocks handed out and not yet freed.
    long long Live() const { return FLive; }
    // Makes the allocation after the next N fail with std::bad_alloc (N < 0: never), so that
    // tests can reach the recovery from a failed allocation.
    void FailAfter(long long N) { FFailAfter = N; }

private:
    struct Chunk;
    void* AllocateFromChunks();
    void FreeToChunk(void* P) noexcept;
    Chunk* ChunkOf(void* P) noexcept;
    void Unlist(Chunk* C) noexcept;

    std::map<std::uintptr_t, Chunk*> FByAddress;  // chunks by the address of their blocks
    Chunk* FPartial = nullptr;                    // chunks with at least one free block
    Chunk* FLastFreed = nullptr;                  // frees tend to come in runs
    long long FLive = 0;
    long long FFailAfter = -1;
};

TCarrelonCellPool& CarrelonCellPool();

}  // namespace carrelon
