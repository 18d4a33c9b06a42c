// A stable merge sort driven by a three-way comparison. It ends and keeps every item whatever
// the comparison answers, so an inconsistent application comparison cannot break a sort.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace carrelon {

// Sorts Items so that no item is preceded by one that Compare ranks after it (Compare(a, b) > 0);
// items that compare equal keep their order.
template <typename T, typename C>
void StableMergeSort(std::vector<T>& Items, C&& Compare) {
    const std::size_t N = Items.size();
    constexpr std::size_t Run = 16;
    // Short runs by insertion, which moves an item only past items ranked after it.
    for (std::size_t Lo = 0; Lo < N; Lo += Run) {
        const std::size_t Hi = std::min(N, Lo + Run);
        for (std::size_t i = Lo + 1; i < Hi; ++i)
            for (std::size_t j = i; j > Lo && Compare(Items[j - 1], Items[j]) > 0; --j)
                std::swap(Items[j - 1], Items[j]);
    }
    if (N <= Run) return;
    std::vector<T> Buffer(N);
    std::vector<T>* From = &Items;
    std::vector<T>* To = &Buffer;
    for (std::size_t Width = Run; Width < N; Width *= 2) {
        for (std::size_t Lo = 0; Lo < N; Lo += 2 * Width) {
            const std::size_t Mid = std::min(N, Lo + Width), Hi = std::min(N, Lo + 2 * Width);
            std::size_t i = Lo, j = Mid, k = Lo;
            // The right item goes first only when it ranks strictly before the left one.
            while (i < Mid && j < Hi)
                (*To)[k++] =
                    std::move(Compare((*From)[j], (*From)[i]) < 0 ? (*From)[j++] : (*From)[i++]);
            while (i < Mid)
                (*To)[k++] = std::move((*From)[i++]);
            while (j < Hi)
                (*To)[k++] = std::move((*From)[j++]);
        }
        std::swap(From, To);
    }
    if (From != &Items) Items.swap(*From);
}

}  // namespace carrelon
