#include "wav.h"
#include "synth.h"

#include <cstdio>

namespace {

void put(std::FILE* f, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++)
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xff), f);
}

} // namespace

bool writewav(const std::string& path, const std::vector<std::int16_t>& samples) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::uint32_t data = static_cast<std::uint32_t>(samples.size() * 2);
    std::fputs("RIFF", f);
    put(f, 36 + data, 4);
    std::fputs("WAVEfmt ", f);
    put(f, 16, 4);
    put(f, 1, 2); // PCM
    put(f, 1, 2); // mono
    put(f, synth::rate, 4);
    put(f, synth::rate * 2, 4);
    put(f, 2, 2);
    put(f, 16, 2);
    std::fputs("data", f);
    put(f, data, 4);
    for (std::int16_t s : samples)
        put(f, static_cast<std::uint16_t>(s), 2);
    return std::fclose(f) == 0;
}
