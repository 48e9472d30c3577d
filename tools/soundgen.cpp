// Writes every sound effect of the game as a WAV file (16-bit PCM, mono, 44.1 kHz) into the
// folder named on the command line.
#include "soundset.h"

#include <cstdio>
#include <string>

namespace {

void put(std::FILE* f, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++)
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xff), f);
}

bool write(const std::string& path, const std::vector<std::int16_t>& samples) {
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

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (const auto& [name, recipe] : soundset()) {
        std::string path = std::string(argv[1]) + "/" + name;
        if (!write(path, synth::render(recipe))) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
            return 1;
        }
    }
    return 0;
}
