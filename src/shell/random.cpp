#include "shell/random.h"

static std::uint32_t s[4];

static std::uint64_t splitmix(std::uint64_t x, std::uint64_t k) {
    std::uint64_t z = x + k * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

void seed(unsigned long long x) {
    std::uint64_t a = splitmix(x, 1);
    std::uint64_t b = splitmix(x, 2);
    s[0] = static_cast<std::uint32_t>(a >> 32);
    s[1] = static_cast<std::uint32_t>(a);
    s[2] = static_cast<std::uint32_t>(b >> 32);
    s[3] = static_cast<std::uint32_t>(b);
}

static std::uint32_t rotl(std::uint32_t x, int k) {
    return (x << k) | (x >> (32 - k));
}

std::uint32_t next() {
    std::uint32_t result = rotl(s[0] + s[3], 7) + s[0];
    std::uint32_t t = s[1] << 9;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = rotl(s[3], 11);
    return result;
}

void randomstate(std::uint32_t out[4]) {
    for (int k = 0; k < 4; k++)
        out[k] = s[k];
}

void setrandomstate(const std::uint32_t in[4]) {
    for (int k = 0; k < 4; k++)
        s[k] = in[k];
}
