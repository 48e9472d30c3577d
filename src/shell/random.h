// The game's one source of randomness: xoshiro128++ seeded through SplitMix64.
#pragma once

#include <cstdint>

void seed(unsigned long long x);
std::uint32_t next();
