// Sound files are checked before the mixer loads them: broken, odd or endless ones are passed over
// at once, as a missing one is.
#include "console/platform.h"
#include "console/platform/sdlsound/sdlsound.h"
#include "console/sound.h"
#include "scratch.h"

#include <chrono>
#include <cstdint>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

struct wavform {
    std::uint32_t format = 1, channels = 1, rate = 44100, bits = 16;
    std::uint32_t claimed = 0; // data chunk size written in the header; 0: the real size
    std::size_t samples = 100; // bytes of sample data actually there
    bool chunkfirst = false;   // an odd-sized chunk before the format
    bool fmtlast = false;      // the samples before the format
};

std::string le(std::size_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; i++)
        s += static_cast<char>(v >> (8 * i) & 0xFF);
    return s;
}

std::string wav(const wavform& w) {
    const std::string fmt = "fmt " + le(16, 4) + le(w.format, 2) + le(w.channels, 2) +
                            le(w.rate, 4) + le(w.rate * w.channels * w.bits / 8, 4) +
                            le(w.channels * w.bits / 8, 2) + le(w.bits, 2),
                      data = "data" + le(w.claimed ? w.claimed : w.samples, 4) +
                             std::string(w.samples, '\x40'),
                      body = "WAVE" + (w.chunkfirst ? std::string("LIST\x03\0\0\0abc\0", 12) : "") +
                             (w.fmtlast ? data + fmt : fmt + data);
    return "RIFF" + le(body.size(), 4) + body;
}

bool sane(const std::string& s) {
    return wavsane(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

TEST(HardenWav, OnlyCheapPcmWithAllItsSamplesPasses) {
    struct {
        wavform w;
        bool ok;
        const char* what;
    } table[] = {
        {{}, true, "the game's own form"},
        {{.channels = 2, .rate = 8000, .bits = 8}, true, "stereo 8-bit 8 kHz"},
        {{.rate = 48000, .chunkfirst = true}, true, "48 kHz after another chunk"},
        {{.rate = 1}, false, "1 Hz"},
        {{.rate = 96000}, false, "96 kHz"},
        {{.bits = 24}, false, "24-bit"},
        {{.format = 3, .bits = 32}, false, "floating point"},
        {{.channels = 3}, false, "three channels"},
        {{.claimed = 1000000}, false, "samples promised but not there"},
        {{.fmtlast = true}, false, "samples before their format"},
    };
    for (const auto& t : table)
        EXPECT_EQ(sane(wav(t.w)), t.ok) << t.what;
    const std::string good = wav({});
    for (std::size_t cut : {0, 4, 11, 20, 43})
        EXPECT_FALSE(sane(good.substr(0, cut))) << "cut at " << cut;
    EXPECT_FALSE(sane("RIFX" + good.substr(4)));
}

using HardenSounds = scratch;

// Every kind of broken sound in every one of the 60 places: start-up passes over them all quickly,
// and holds no sample of them.
TEST_F(HardenSounds, AllBrokenStartsQuicklyAndSilently) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    fs::create_directory("audio");
    const std::string slow = wav({.rate = 1, .samples = 4000});
    const std::string big = wav({.rate = 8000, .bits = 8, .samples = 5u << 20});
    for (int i = 0; i < 60; i++) {
        const fs::path p = fs::path("audio") / soundcatalogue[i];
        if (i % 5 < 2)
            std::ofstream(p, std::ios::binary) << (i % 5 ? big : slow);
        else if (i % 5 == 2)
            fs::create_symlink("/dev/zero", p);
        else if (i % 5 == 3)
            ASSERT_EQ(mkfifo(p.c_str(), 0644), 0);
        else
            fs::create_directory(p);
    }
    const auto start = std::chrono::steady_clock::now();
    for (const char* name : soundcatalogue)
        soundopen(name);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(150));
    EXPECT_EQ(soundbytes(), 0u);
    // A good sound beside them still loads.
    fs::remove(fs::path("audio") / "go.wav");
    std::ofstream(fs::path("audio") / "go.wav", std::ios::binary) << wav({.samples = 882});
    soundopen("go.wav");
    EXPECT_GT(soundbytes(), 0u);
    soundclose();
}

} // namespace
