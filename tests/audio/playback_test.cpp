#include "console/platform.h"
#include "console/platform/audio.h"
#include "console/sound.h"
#include "wav.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

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
        before = fs::current_path();
        dir = fs::temp_directory_path() / ("dropple-audio-" + std::to_string(::getpid()));
        fs::create_directories(dir / "audio");
        fs::current_path(dir);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override {
        soundclose();
        fs::current_path(before);
        fs::remove_all(dir);
    }
    fs::path before, dir;
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
        int v = heard[t];
        ASSERT_TRUE(v >= 0 && (v & 3) <= 1) << "at " << t;
        if ((v & 3) == 1)
            bat.push_back(t);
        std::size_t a = static_cast<std::size_t>(v / 4);
        if (a == 0)
            continue;
        std::size_t before = t > 0 ? static_cast<std::size_t>(heard[t - 1] / 4) : 0;
        if (before == 0 || a < before) {
            astarts.push_back(t);
            aruns.push_back(0);
        }
        ASSERT_EQ(a, 1 + (t - astarts.back()) / step) << "at " << t;
        aruns.back()++;
    }
    ASSERT_EQ(bat.size(), blen);
    EXPECT_EQ(bat.back() - bat.front() + 1, blen);
    ASSERT_EQ(aruns.size(), 2u);
    EXPECT_GE(aruns[0], 4410u);
    EXPECT_LT(aruns[0], alen);
    EXPECT_EQ(aruns[1], alen);
    EXPECT_GT(astarts[1], bat.front());
    EXPECT_LT(astarts[1], bat.back());
}

TEST_F(Playback, MissingBrokenAndUnknownSoundsAreSilentAndHarmless) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    std::ofstream("audio/broken.wav") << "RIFF, but nothing after it";
    writewav("outside.wav", {0, 1, 0});
    for (const char* name : {"lock.wav", "broken.wav", "../outside.wav", "", "audio"})
        soundopen(name);
    for (const char* name : {"lock.wav", "broken.wav", "combo0.wav", "combo21.wav", ""})
        soundplay(name);
    EXPECT_EQ(soundbytes(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // Without an audio folder the device is not even opened.
    soundclose();
    fs::remove_all("audio");
    soundopen("lock.wav");
    int freq = 0, channels = 0;
    Uint16 format = 0;
    EXPECT_EQ(Mix_QuerySpec(&freq, &format, &channels), 0);
}

TEST_F(Playback, NoSoundDevicePrintsNothingAndStaysSilent) {
    writemarked();
    // A driver that does not exist, and ALSA, which on a machine without a sound card writes
    // several lines to stderr from inside its library.
    for (const char* driver : {"nosuchdriver", "alsa"}) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        testing::internal::CaptureStderr();
        soundopen("a.wav");
        soundopen("b.wav");
        soundplay("a.wav");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << driver;
        soundclose();
    }
}

TEST_F(Playback, TheWholeSetLoadsAsItIsWritten) {
    fs::current_path(fs::path(SOUNDSET_DIR).parent_path());
    std::size_t data = 0;
    for (const char* name : soundcatalogue) {
        loadsound(name);
        data += fs::file_size(fs::path("audio") / name) - 44;
    }
    EXPECT_EQ(soundbytes(), data) << "all 60 loaded, none converted";
}
