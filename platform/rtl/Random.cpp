#include "platform/rtl/Random.h"

#include <chrono>

namespace carrelon {

std::int32_t RandSeed = 0;

namespace {

std::uint32_t NextSeed() {
    const std::uint32_t next = static_cast<std::uint32_t>(RandSeed) * 134775813u + 1u;
    RandSeed = static_cast<std::int32_t>(next);
    return next;
}

}  // namespace

void Randomize() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                       std::chrono::system_clock::now().time_since_epoch().count();
    RandSeed = static_cast<std::int32_t>(static_cast<std::uint32_t>(ticks) ^
                                         static_cast<std::uint32_t>(ticks >> 32));
}

double Random() {
    return static_cast<double>(NextSeed()) / 4294967296.0;
}

int Random(int Range) {
    const std::uint32_t seed = NextSeed();
    if (Range <= 0) return 0;
    return static_cast<int>(
        (static_cast<std::uint64_t>(seed) * static_cast<std::uint32_t>(Range)) >> 32);
}

}  // namespace carrelon
