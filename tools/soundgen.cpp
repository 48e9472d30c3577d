// Writes every sound effect of the game as a WAV file (16-bit PCM, mono, 44.1 kHz) into the
// folder named on the command line.
#include "soundset.h"
#include "wav.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (const auto& [name, recipe] : soundset()) {
        std::string path = std::string(argv[1]) + "/" + name;
        if (!writewav(path, synth::render(recipe))) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
            return 1;
        }
    }
    return 0;
}
