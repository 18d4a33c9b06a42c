// The global random generator: a linear congruential generator on 32 bits
// (RandSeed := RandSeed * 134775813 + 1), so a given seed always gives the same sequence.
#pragma once

#include <cstdint>

namespace carrelon {

extern std::int32_t RandSeed;

// Seeds the generator from the clock.
void Randomize();
// Uniform in [0, 1): the advanced seed, taken as unsigned, divided by 2^32.
double Random();
// Uniform whole number in [0, Range): (seed * Range) >> 32; 0 when Range <= 0.
int Random(int Range);

}  // namespace carrelon
