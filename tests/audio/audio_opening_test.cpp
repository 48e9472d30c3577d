// The device opens on a thread of its own while the game starts: nothing asked for meanwhile may be
// lost, and closing at any moment of it must be clean.
#include "../scratch.h"
#include "console/platform.h"
#include "console/platform/sdlsound/sdlsound.h"
#include "wav.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// Forty sounds of a second: enough to load that requests right after them come while the opener
// is still busy.
void openforty() {
    for (int i = 0; i < 40; i++)
        soundopen("s" + std::to_string(i) + ".wav");
}

class Opening : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory("audio");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        for (int i = 0; i < 40; i++)
            writewav("audio/s" + std::to_string(i) + ".wav", std::vector<std::int16_t>(44100, 99));
    }
    void TearDown() override { soundclose(); }
    scratchdir here;
};

} // namespace

// Heard late by up to two frames, or not at all: a device that took longer than that to open (a
// machine too busy, a sanitizer build) may drop them.
TEST_F(Opening, SoundsAskedForWhileTheDeviceOpensAreHeardIfItOpensWithinTwoFrames) {
    openforty();
    const auto asked = std::chrono::steady_clock::now();
    for (const char* name : {"s0.wav", "s39.wav", "never.wav"})
        soundplay(name);
    soundready();
    if (std::chrono::steady_clock::now() - asked < std::chrono::milliseconds(33)) {
        EXPECT_TRUE(Mix_Playing(0) && Mix_Playing(39));
    }
    EXPECT_LE(Mix_Playing(-1), 2);
}

// A player who quits at once: the opener may be anywhere in its work.
TEST_F(Opening, ClosingWhileTheDeviceOpensIsClean) {
    for (int round = 0; round < 3; round++) {
        openforty();
        soundplay("s1.wav");
        soundclose();
    }
    soundopen("s2.wav");
    soundready();
    soundplay("s2.wav");
    EXPECT_EQ(Mix_Playing(-1), 1) << "a fresh start after closing";
}
