// The loudest frame the game can sound, mixed by SDL_mixer into SDL's disk output: it must keep
// 1 dB below full scale, so the mix never clips.
#include "../scratch.h"
#include "console/platform.h"
#include "console/platform/sdlsound/sdlsound.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::vector<std::int16_t> samplesof(const fs::path& path, std::size_t header = 44) {
    std::ifstream f(path, std::ios::binary);
    std::vector<char> b{std::istreambuf_iterator<char>(f), {}};
    std::vector<std::int16_t> s;
    for (std::size_t i = header; i + 1 < b.size(); i += 2)
        s.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(b[i]) |
                                              static_cast<unsigned char>(b[i + 1]) << 8));
    return s;
}

// The peak of the sounds started together at full volume, summed without clipping.
int peakof(const std::vector<std::string>& names) {
    static std::map<std::string, std::vector<std::int16_t>> loaded;
    std::vector<int> sum;
    for (const std::string& name : names) {
        auto [at, fresh] = loaded.try_emplace(name);
        if (fresh)
            at->second = samplesof(fs::path(SOUNDSET_DIR) / name);
        const std::vector<std::int16_t>& s = at->second;
        sum.resize(std::max(sum.size(), s.size()));
        for (std::size_t i = 0; i < s.size(); i++)
            sum[i] += s[i];
    }
    int top = 0;
    for (int v : sum)
        top = std::max(top, std::abs(v));
    return top;
}

const int ceiling = static_cast<int>(32768 * std::pow(10.0, -1 / 20.0)); // -1 dBFS

} // namespace

// A lock that clears rows at the highest combo step, with its back-to-back sound, empties the
// field and raises the level, and the next piece is announced, all in one frame. A four-line clear
// or a T-spin clear starts or continues a chain; one to three plain lines can only break it. Every
// such set is tried with every piece sound, and the loudest is played.
TEST(Mix, TheLoudestFrameStaysOneDecibelBelowFullScale) {
    std::vector<std::pair<std::string, std::string>> clears;
    for (const char* line : {"erase4", "tspin1", "tspin2", "tspin3"})
        for (const char* chain : {"b2b_start", "b2b_continue"})
            clears.push_back({line, chain});
    for (const char* line : {"erase1", "erase2", "erase3"})
        clears.push_back({line, "b2b_end"});
    std::vector<std::string> loudest;
    int rawpeak = 0;
    for (auto [line, chain] : clears)
        for (char piece = '0'; piece < '7'; piece++) {
            std::vector<std::string> set = {"lock.wav",
                                            "combo20.wav",
                                            line + ".wav",
                                            chain + ".wav",
                                            "bravo.wav",
                                            "levelup.wav",
                                            std::string("piece") + piece + ".wav"};
            int peak = peakof(set);
            if (peak > rawpeak)
                rawpeak = peak, loudest = set;
        }

    std::optional<scratchdir> folder(std::in_place);
    const fs::path dir = folder->dir, out = dir / "out.raw";
    fs::create_directory("audio");
    for (const std::string& name : loudest)
        fs::copy_file(fs::path(SOUNDSET_DIR) / name, dir / "audio" / name);
    soundclose();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    std::uintmax_t longest = 0;
    for (const std::string& name : loudest) {
        soundopen(name);
        longest = std::max(longest, fs::file_size(dir / "audio" / name));
    }
    soundready(); // a frame of a running game, long after the device opened
    const std::uintmax_t start = fs::exists(out) ? fs::file_size(out) : 0;
    for (const std::string& name : loudest)
        soundplay(name);
    // The disk output keeps time like a device: wait until all of every sound has been written.
    const auto giveup = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((!fs::exists(out) || fs::file_size(out) < start + longest + 16384) &&
           std::chrono::steady_clock::now() < giveup)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int volume = Mix_MasterVolume(-1);
    soundclose();
    int heard = 0;
    for (std::int16_t v : samplesof(out, 0))
        heard = std::max(heard, std::abs(static_cast<int>(v)));
    folder.reset();
    const int expected = rawpeak * volume / MIX_MAX_VOLUME;
    RecordProperty("peak", heard); // for the report in --gtest_output=xml
    EXPECT_LE(heard, ceiling) << loudest[2] << " " << loudest[3] << " " << loudest[6]
                              << " raw peak " << rawpeak << " at volume " << volume;
    // Played together, at that volume, not silenced: within a few counts per sound of the sum.
    EXPECT_GE(heard, expected * 9 / 10) << "expected about " << expected;
}
