#include "console/platform.h"
#include "console/platform/audio.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

void writewav(const fs::path& path, const std::vector<std::int16_t>& samples) {
    std::ofstream f(path, std::ios::binary);
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; i++)
            f.put(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    std::uint32_t data = static_cast<std::uint32_t>(samples.size() * 2);
    f << "RIFF";
    put(36 + data, 4);
    f << "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(44100, 4);
    put(88200, 4);
    put(2, 2);
    put(16, 2);
    f << "data";
    put(data, 4);
    for (std::int16_t s : samples)
        put(static_cast<std::uint16_t>(s), 2);
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
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (heardcount < samples && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// A fresh working folder with an audio folder, and a sound back end that has not opened yet.
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
// steady 1. Since the mixer adds sounds exactly, every output sample tells which
// part of "a" was playing and whether "b" was.
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
    ASSERT_EQ(soundbytes(), 2 * (alen + blen)) << "both sounds load unconverted";
    {
        std::lock_guard<std::mutex> hold(heardlock);
        heard.clear();
        heardcount = 0;
        Mix_SetPostMix(listen, nullptr);
    }
    soundplay("a.wav");
    soundplay("b.wav");
    std::size_t start = heardcount;
    waitfor(start + 4410);
    soundplay("a.wav");
    soundplay("combo21.wav"); // never opened: nothing happens
    soundplay("");
    std::size_t restart = heardcount;
    waitfor(restart + blen + 4410);
    Mix_SetPostMix(nullptr, nullptr);
    std::vector<std::int16_t> out;
    {
        std::lock_guard<std::mutex> hold(heardlock);
        out = heard;
    }

    // Decode: where "b" was heard, and the position of "a" (0 = silent).
    std::vector<std::size_t> bat, apos;
    for (std::size_t t = 0; t < out.size(); t++) {
        ASSERT_GE(out[t], 0);
        if ((out[t] & 3) == 1)
            bat.push_back(t);
        else
            ASSERT_EQ(out[t] & 3, 0) << "at " << t;
        apos.push_back(static_cast<std::size_t>(out[t] / 4));
    }
    ASSERT_EQ(bat.size(), blen);
    EXPECT_EQ(bat.back() - bat.front() + 1, blen) << "b plays without a gap";

    // "a" climbs from 1, drops back to 1 once (the restart) and then climbs to its end; two
    // copies at once would climb twice as fast.
    std::vector<std::size_t> runs; // length of each run of "a"
    std::size_t from = 0;
    for (std::size_t t = 0; t < apos.size(); t++) {
        if (apos[t] == 0)
            continue;
        bool fresh = t == 0 || apos[t - 1] == 0 || apos[t] < apos[t - 1];
        if (fresh) {
            ASSERT_EQ(apos[t], 1u) << "a starts from its beginning at " << t;
            runs.push_back(0);
            from = t;
        } else {
            ASSERT_LE(apos[t] - apos[t - 1], 1u) << "at " << t;
        }
        ASSERT_EQ(apos[t], 1 + (t - from) / step) << "at " << t;
        runs.back()++;
    }
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_LT(runs[0], alen);
    EXPECT_GE(runs[0], 4410u);
    EXPECT_EQ(runs[1], alen);
    // The restart came while "b" was playing, and "b" was not disturbed by it.
    std::size_t second = 0;
    for (std::size_t t = 1; t < apos.size(); t++)
        if (apos[t] == 1 && apos[t - 1] > 1)
            second = t;
    EXPECT_GT(second, bat.front());
    EXPECT_LT(second, bat.back());
}

TEST_F(Playback, MissingFilesAndUnknownNamesAreSilentAndHarmless) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    std::ofstream("audio/broken.wav") << "RIFF, but nothing after it";
    std::ofstream("outside.wav") << "not even close";
    for (const char* name : {"lock.wav", "broken.wav", "../outside.wav", "", "audio"})
        soundopen(name);
    for (const char* name : {"lock.wav", "broken.wav", "combo0.wav", "combo21.wav", ""})
        soundplay(name);
    EXPECT_EQ(soundbytes(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(Playback, WithoutAnAudioFolderTheDeviceIsNeverOpened) {
    fs::remove_all("audio");
    soundopen("lock.wav");
    soundplay("lock.wav");
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
        soundplay("b.wav");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << driver;
        soundclose();
    }
}

TEST_F(Playback, ASoundIsLoadedOnlyOnce) {
    writemarked();
    soundopen("a.wav");
    soundopen("a.wav");
    EXPECT_EQ(soundbytes(), 2 * alen);
    // Later changes to the file do not matter: what was loaded is what plays.
    fs::remove("audio/a.wav");
    soundopen("a.wav");
    EXPECT_EQ(soundbytes(), 2 * alen);
}
