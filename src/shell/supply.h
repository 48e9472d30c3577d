// The two randomisers, exposed so that their arithmetic can be checked on known numbers.
#pragma once

#include <cstdint>

// Permutes the seven-piece bag in place with the mixed-radix digits of one random output.
void shufflebag(std::uint8_t* bag, std::uint32_t r);
// The piece that the base-7 digits of r choose against the last four pieces dealt.
std::uint8_t pickpiece(const std::uint8_t* history, std::uint32_t r);
