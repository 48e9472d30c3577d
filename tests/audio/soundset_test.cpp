// The sound set the build generates: the catalogue and nothing else, short clean PCM with
// headroom, the same bytes on every run, and a mix level at which the loudest frame never clips.
#include "../scratch.h"
#include "console/platform.h"
#include "console/platform/sdlsound/sdlsound.h"
#include "console/sound.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string bytesof(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

std::uint32_t le(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

std::vector<int> samplesof(const std::string& name) {
    const std::string b = bytesof(fs::path(SOUNDSET_DIR) / name);
    std::vector<int> s;
    for (std::size_t i = 44; i + 1 < b.size(); i += 2)
        s.push_back(static_cast<std::int16_t>(le(b, i, 2)));
    return s;
}

} // namespace

// The catalogue is strictly alphabetical and the folder holds exactly it. Every file is 16-bit mono
// 44.1 kHz PCM with the plain 44-byte header; short (the sounds of single moves shorter still),
// loud enough without clipping, and without a click at either end. A second run of the generator
// writes the same bytes, on every machine: no library rounding, no uninitialised byte may leak in;
// a deliberate change to a sound changes the figure.
TEST(SoundSet, TheFolderHoldsTheCatalogueInShortCleanPcmWithHeadroomTheSameOnEveryRun) {
    std::vector<std::string> names(std::begin(soundcatalogue), std::end(soundcatalogue));
    std::set<std::string> files; // sorted, so equal only to a strictly alphabetical catalogue
    for (const auto& entry : fs::directory_iterator(SOUNDSET_DIR))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(std::vector(files.begin(), files.end()), names);
    scratchdir here;
    std::ostringstream command; // paths print quoted, ready for the shell
    command << fs::path(SOUNDGEN) << ' ' << here.dir;
    ASSERT_EQ(std::system(command.str().c_str()), 0);
    std::uint64_t hash = 14695981039346656037ull;
    const std::string fmt("WAVEfmt \x10\0\0\0\1\0\1\0\x44\xac\0\0\x88\x58\1\0\2\0\x10\0data", 32);
    const std::string permove = " rotate initialrotate rotfail lock harddrop softdrop hold "
                                "initialhold holdfail piece ";
    for (const std::string& name : names) {
        const std::string b = bytesof(fs::path(SOUNDSET_DIR) / name);
        EXPECT_EQ(bytesof(here.dir / name), b) << name;
        for (char c : b)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        ASSERT_TRUE(b.size() > 44 + 882 && b.substr(0, 4) == "RIFF" &&
                    le(b, 4, 4) == b.size() - 8 && b.substr(8, 32) == fmt &&
                    le(b, 40, 4) == b.size() - 44 && b.size() % 2 == 0)
            << name;
        std::vector<int> s = samplesof(name);
        for (int& v : s)
            v = std::abs(v);
        const int top = *std::max_element(s.begin(), s.end());
        const std::string stem = name.substr(0, name.find_first_of("0123456789."));
        const double longest = permove.find(" " + stem + " ") != std::string::npos ? 0.4
                               : stem == "excellent" || stem == "gameover"         ? 2.5
                                                                                   : 1.5;
        EXPECT_LT(s.size() / 44100.0, longest) << name;
        EXPECT_TRUE(top <= 0.9 * 32767 && top >= 0.25 * 32767) << name << " peaks at " << top;
        EXPECT_TRUE(*std::max_element(s.begin(), s.begin() + 44) <= top / 2 &&
                    *std::max_element(s.end() - 44, s.end()) <= top / 2)
            << name << " clicks";
    }
    EXPECT_EQ(hash, 10623421126192693189ull);
}

// A lock that clears rows at the highest combo step, with its back-to-back sound, empties the
// field and raises the level, and the next piece is announced, all in one frame. A four-line clear
// or a T-spin clear starts or continues a chain; one to three plain lines can only break it. The
// loudest such frame, at the level the game mixes at, keeps 1 dB below full scale.
TEST(SoundSet, TheLoudestFrameStaysOneDecibelBelowFullScale) {
    int loudest = 0;
    for (const char* line : {"erase1", "erase2", "erase3", "erase4", "tspin1", "tspin2", "tspin3"})
        for (const char* chain : {"b2b_start", "b2b_continue", "b2b_end"})
            for (char piece = '0'; piece < '7'; piece++) {
                if ((line[0] == 'e' && line[5] != '4') != (chain[4] == 'e'))
                    continue; // plain lines only end a chain; the rest only start or go on
                std::vector<int> sum;
                for (std::string name :
                     {std::string("lock"), std::string("combo20"), std::string(line),
                      std::string(chain), std::string("bravo"), std::string("levelup"),
                      std::string("piece") + piece}) {
                    const std::vector<int> s = samplesof(name + ".wav");
                    sum.resize(std::max(sum.size(), s.size()));
                    for (std::size_t i = 0; i < s.size(); i++)
                        sum[i] += s[i];
                }
                for (int v : sum)
                    loudest = std::max(loudest, std::abs(v));
            }
    scratchdir here;
    fs::create_directory("audio");
    fs::copy_file(fs::path(SOUNDSET_DIR) / "lock.wav", "audio/lock.wav");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    soundopen("lock.wav");
    soundready();
    const int volume = Mix_MasterVolume(-1);
    soundclose();
    EXPECT_LE(loudest * volume / MIX_MAX_VOLUME, static_cast<int>(32768 * std::pow(10.0, -0.05)))
        << "raw peak " << loudest << " at volume " << volume;
}
