// The game's one source of randomness: xoshiro128++ seeded through SplitMix64.
#pragma once

#include <cstdint>

void seed(unsigned long long x);
std::uint32_t next();
// The generator's state, to start a recorded game again from the same numbers.
void randomstate(std::uint32_t out[4]);
void setrandomstate(const std::uint32_t in[4]);
