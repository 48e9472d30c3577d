#include "../scratch.h"
#include "console/platform.h"
#include "console/platform/sdlsound/sdlsound.h"
#include "console/sound.h"
#include "wav.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

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

// Everything the mixer produced, sample by sample.
std::mutex heardlock;
std::vector<std::int16_t> heard;
std::atomic<std::size_t> heardcount{0};

void listen(void*, Uint8* stream, int len) {
    std::lock_guard<std::mutex> hold(heardlock);
    const auto* s = reinterpret_cast<const std::int16_t*>(stream);
    heard.insert(heard.end(), s, s + len / 2);
    heardcount = heard.size();
}

void waitfor(std::size_t samples) {
    auto giveup = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (heardcount < samples && std::chrono::steady_clock::now() < giveup)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// A fresh working folder with an empty audio folder, on SDL's dummy output.
class Playback : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory("audio");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override { soundclose(); }
    scratchdir here;
};

constexpr std::size_t alen = 44100; // a second
constexpr std::size_t step = 16;    // samples per position of "a"
constexpr std::size_t blen = 66150; // a second and a half

// "a" counts its own position, times four so that it never touches the two low bits; "b" is a
// steady 1. The mixer adds sounds exactly, so every output sample tells which part of "a" was
// playing and whether "b" was.
void writemarked() {
    std::vector<std::int16_t> a(alen), b(blen, 1);
    for (std::size_t i = 0; i < alen; i++)
        a[i] = static_cast<std::int16_t>(4 * (1 + i / step));
    writewav("audio/a.wav", a);
    writewav("audio/b.wav", b);
}

} // namespace

TEST_F(Playback, ReplayingRestartsOneSoundWhileAnotherGoesOn) {
    writemarked();
    soundopen("a.wav");
    soundopen("b.wav");
    soundopen("a.wav");
    ASSERT_EQ(soundbytes(), 2 * (alen + blen)) << "each loaded once, unconverted";
    Mix_MasterVolume(MIX_MAX_VOLUME); // the game's own mix level would round the marks away
    Mix_SetPostMix(listen, nullptr);
    soundplay("a.wav");
    soundplay("b.wav");
    waitfor(heardcount + 4410);
    soundplay("a.wav");
    soundplay("combo21.wav"); // never opened: nothing happens
    waitfor(heardcount + blen + 4410);
    Mix_SetPostMix(nullptr, nullptr);
    std::lock_guard<std::mutex> hold(heardlock);

    // "b" is heard for its whole length without a gap. "a" climbs from its start, goes back to
    // its start once (the restart, while "b" plays) and climbs to its end; two copies of "a" at
    // once would climb twice as fast.
    std::vector<std::size_t> bat, astarts, aruns;
    for (std::size_t t = 0; t < heard.size(); t++) {
        const int v = heard[t];
        const std::size_t a = std::size_t(v / 4), before = t ? std::size_t(heard[t - 1] / 4) : 0;
        ASSERT_TRUE(v >= 0 && (v & 3) <= 1) << "at " << t;
        if ((v & 3) == 1)
            bat.push_back(t);
        if (a && (before == 0 || a < before))
            astarts.push_back(t), aruns.push_back(0);
        ASSERT_TRUE(!a || a == 1 + (t - astarts.back()) / step) << "at " << t;
        aruns.back() += a != 0;
    }
    ASSERT_EQ(std::tuple(bat.size(), bat.back() - bat.front() + 1, aruns.size()),
              std::tuple(blen, blen, 2u));
    EXPECT_TRUE(aruns[0] >= 4410 && aruns[0] < alen && aruns[1] == alen) << aruns[0];
    EXPECT_TRUE(astarts[1] > bat.front() && astarts[1] < bat.back());
}

// Sixty sounds of the largest size, 8-bit mono at 8 kHz, each eleven times larger once converted
// for the device: the loaded set stays within its budget and the rest are skipped.
TEST_F(Playback, LargeSoundsStayWithinTheBudget) {
    std::string wav(wavlargest, '\x80');
    auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; i++)
            wav[at + i] = static_cast<char>(v >> 8 * i);
    };
    wav.replace(0, 16, "RIFF....WAVEfmt ");
    wav.replace(36, 4, "data");
    // PCM, mono, 8000 Hz, 8000 bytes a second, one byte a frame, 8 bits.
    for (auto [at, v] : {std::pair{4, std::uint32_t(wavlargest - 8)},
                         {16, 16u},
                         {20, 1u | 1u << 16},
                         {24, 8000u},
                         {28, 8000u},
                         {32, 1u | 8u << 16},
                         {40, wavlargest - 44u}})
        put(at, v);
    std::ofstream("big.wav", std::ios::binary) << wav;
    for (int i = 0; i < 60; i++) {
        fs::create_symlink("../big.wav", "audio/" + std::to_string(i) + ".wav");
        soundopen(std::to_string(i) + ".wav");
    }
    EXPECT_GT(soundbytes(), std::size_t(wavlargest));
    EXPECT_LE(soundbytes(), soundbudget);
}

// Missing, broken, outside the folder, unknown, or no working device: nothing loads, nothing is
// printed.
TEST_F(Playback, MissingBrokenAndUnknownSoundsAndNoDeviceAreSilentAndHarmless) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    std::ofstream("audio/broken.wav") << "RIFF, but nothing after it";
    writewav("outside.wav", {0, 1, 0});
    for (const char* name : {"lock.wav", "broken.wav", "../outside.wav", "", "audio"})
        soundopen(name);
    for (const char* name : {"lock.wav", "broken.wav", "combo0.wav", "combo21.wav", ""})
        soundplay(name);
    EXPECT_EQ(soundbytes(), 0u);
    // ALSA on a machine without a sound card writes several lines to stderr from its library.
    writemarked();
    for (const char* driver : {"nosuchdriver", "alsa"}) {
        soundclose();
        setenv("SDL_AUDIODRIVER", driver, 1);
        soundopen("a.wav");
        soundplay("a.wav");
    }
    soundready();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The catalogue is strictly alphabetical and the folder holds exactly it. Every file is 16-bit mono
// 44.1 kHz PCM with the plain 44-byte header; short (the sounds of single moves shorter still),
// loud enough without clipping, and without a click at either end.
TEST(SoundSet, TheFolderHoldsTheCatalogueInShortCleanPcmWithHeadroom) {
    std::vector<std::string> names(std::begin(soundcatalogue), std::end(soundcatalogue));
    std::set<std::string> files; // sorted, so equal only to a strictly alphabetical catalogue
    for (const auto& entry : fs::directory_iterator(SOUNDSET_DIR))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(std::vector(files.begin(), files.end()), names);
    const std::string fmt("WAVEfmt \x10\0\0\0\1\0\1\0\x44\xac\0\0\x88\x58\1\0\2\0\x10\0data", 32);
    const std::string permove = " rotate initialrotate rotfail lock harddrop softdrop hold "
                                "initialhold holdfail piece ";
    for (const std::string& name : names) {
        const std::string b = bytesof(fs::path(SOUNDSET_DIR) / name);
        ASSERT_TRUE(b.size() > 44 + 882 && b.substr(0, 4) == "RIFF" &&
                    le(b, 4, 4) == b.size() - 8 && b.substr(8, 32) == fmt &&
                    le(b, 40, 4) == b.size() - 44 && b.size() % 2 == 0)
            << name;
        std::vector<int> s; // magnitudes
        for (std::size_t i = 44; i < b.size(); i += 2)
            s.push_back(std::abs(static_cast<std::int16_t>(le(b, i, 2))));
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
}

// The build wrote the folder; a second run must match it byte for byte, on every machine: no
// library rounding, no uninitialised byte may leak in. A deliberate change to a sound changes the
// figure.
TEST(SoundSet, EveryRunWritesTheSameBytes) {
    fs::path dir = fs::temp_directory_path() / ("dropple-soundgen-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ostringstream command; // paths print quoted, ready for the shell
    command << fs::path(SOUNDGEN) << ' ' << dir;
    ASSERT_EQ(std::system(command.str().c_str()), 0);
    std::uint64_t hash = 14695981039346656037ull;
    for (const char* name : soundcatalogue) {
        std::string again = bytesof(dir / name);
        EXPECT_EQ(again, bytesof(fs::path(SOUNDSET_DIR) / name)) << name;
        for (char c : again)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    fs::remove_all(dir);
    EXPECT_EQ(hash, 10623421126192693189ull);
}
