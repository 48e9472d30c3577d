// The SDL sound back end on SDL's dummy device: what it plays and restarts, what it passes over
// (missing, broken, odd, huge or endless files, no device), and the device opening while the game
// starts. The sound set the build generates: the catalogue and nothing else, the same bytes on
// every run, and a mix level at which the loudest frame never clips.
#include "../scratch.h"
#include "console/sound.h"
#include "platform/platform.h"
#include "platform/sdlsound/sdlsound.h"
#include "wav.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;
using steady = std::chrono::steady_clock;

// Everything the mixer produced, sample by sample.
static std::mutex heardlock;
static std::vector<std::int16_t> heard;
static std::atomic<std::size_t> heardcount{0};

static void listen(void*, Uint8* stream, int len) {
    std::lock_guard<std::mutex> hold(heardlock);
    const auto* s = reinterpret_cast<const std::int16_t*>(stream);
    heard.insert(heard.end(), s, s + len / 2);
    heardcount = heard.size();
}

static void waitfor(std::size_t samples) {
    for (auto giveup = steady::now() + std::chrono::seconds(20);
         heardcount < samples && steady::now() < giveup;)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

class Sound : public scratch {
  protected:
    void SetUp() override {
        scratch::SetUp();
        fs::create_directory("audio");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override {
        soundclose();
        scratch::TearDown();
    }
};

struct wavform {
    std::uint32_t format = 1, channels = 1, rate = 44100, bits = 16;
    std::uint32_t claimed = 0; // data chunk size written in the header; 0: the real size
    std::size_t samples = 100; // bytes of sample data actually there
    bool chunkfirst = false;   // an odd-sized chunk before the format
    bool fmtlast = false;      // the samples before the format
};

// `v` in its low `bytes` bytes, low byte first, as this machine keeps it.
static std::string le(std::size_t v, int bytes) {
    return std::string(reinterpret_cast<const char*>(&v), static_cast<std::size_t>(bytes));
}

static std::string wav(const wavform& w) {
    const std::string fmt = "fmt " + le(16, 4) + le(w.format, 2) + le(w.channels, 2) +
                            le(w.rate, 4) + le(w.rate * w.channels * w.bits / 8, 4) +
                            le(w.channels * w.bits / 8, 2) + le(w.bits, 2),
                      data = "data" + le(w.claimed ? w.claimed : w.samples, 4) +
                             std::string(w.samples, '\x40'),
                      body = "WAVE" + (w.chunkfirst ? std::string("LIST\x03\0\0\0abc\0", 12) : "") +
                             (w.fmtlast ? data + fmt : fmt + data);
    return "RIFF" + le(body.size(), 4) + body;
}

// The samples of a sound of the set: 16-bit mono after the plain 44-byte header.
static std::vector<int> samplesof(const std::string& name) {
    const std::string b = slurp(fs::path(SOUNDSET_DIR) / name);
    std::vector<std::int16_t> s((b.size() - 44) / 2);
    std::memcpy(s.data(), b.data() + 44, s.size() * 2);
    return {s.begin(), s.end()};
}

static constexpr std::size_t alen = 44100; // a second
static constexpr std::size_t blen = 66150; // a second and a half

// "a" is a steady 4 and "b" a steady 1, and the mixer adds sounds exactly: every output sample
// tells whether each was playing, and two copies of "a" at once would show as 8. "a" played again
// restarts while "b" goes on: "b" is heard for its whole length without a gap, "a" from its start
// to the restart and then for its whole length.
TEST_F(Sound, ReplayingRestartsOneSoundWhileAnotherGoesOn) {
    writewav("audio/a.wav", std::vector<std::int16_t>(alen, 4));
    writewav("audio/b.wav", std::vector<std::int16_t>(blen, 1));
    for (const char* name : {"a.wav", "b.wav", "a.wav"})
        soundopen(name);
    ASSERT_EQ(soundbytes(), 2 * (alen + blen)) << "each loaded once, unconverted";
    Mix_MasterVolume(MIX_MAX_VOLUME); // the game's own mix level would round the marks away
    Mix_SetPostMix(listen, nullptr);
    soundplay("a.wav");
    soundplay("b.wav");
    waitfor(heardcount + 4410);
    soundplay("a.wav");
    waitfor(heardcount + blen + 4410);
    Mix_SetPostMix(nullptr, nullptr);
    std::lock_guard<std::mutex> hold(heardlock);
    std::size_t as = 0, bs = 0, bfirst = 0, blast = 0;
    for (std::size_t t = 0; t < heard.size(); t++) {
        const int v = heard[t];
        ASSERT_TRUE(v == 0 || v == 1 || v == 4 || v == 5) << v << " at " << t;
        as += v >= 4;
        if (v & 1)
            bfirst = bs++ ? bfirst : t, blast = t;
    }
    EXPECT_TRUE(bs == blen && blast - bfirst + 1 == blen) << bs;
    EXPECT_TRUE(as > alen + 2205 && as < 2 * alen) << as; // a chunk of silence may count as waited
}

// Sounds asked for while the device opens are heard late by up to two frames, or not at all: a
// device that took longer than that to open (a busy machine, a sanitizer build) may drop them.
// A player who quits at once closes while the opener may be anywhere in its work.
TEST_F(Sound, TheDeviceOpensWhileTheGameStartsAndMayCloseAtAnyMoment) {
    auto openforty = [] { // enough that requests right after them come while it is busy
        for (int i = 0; i < 40; i++)
            soundopen("s" + std::to_string(i) + ".wav");
    };
    for (int i = 0; i < 40; i++)
        put("audio/s" + std::to_string(i) + ".wav", wav({.samples = 88200}));
    openforty();
    const auto asked = steady::now();
    for (const char* name : {"s0.wav", "s39.wav", "never.wav"})
        soundplay(name);
    soundready();
    if (steady::now() - asked < std::chrono::milliseconds(33)) {
        EXPECT_TRUE(Mix_Playing(0) && Mix_Playing(39));
    }
    EXPECT_LE(Mix_Playing(-1), 2);
    for (int round = 0; round < 3; round++) {
        soundclose();
        openforty();
        soundplay("s1.wav");
    }
    soundclose();
    soundopen("s2.wav");
    soundready();
    soundplay("s2.wav");
    EXPECT_EQ(Mix_Playing(-1), 1) << "a fresh start after closing";
}

TEST(SoundFiles, OnlyCheapPcmWithAllItsSamplesPasses) {
    const std::tuple<wavform, bool, const char*> table[] = {
        {{}, true, "the game's own form"},
        {{.channels = 2, .rate = 8000, .bits = 8}, true, "stereo 8-bit 8 kHz"},
        {{.rate = 48000, .chunkfirst = true}, true, "48 kHz after another chunk"},
        {{.rate = 7999}, false, "under 8 kHz"},
        {{.rate = 48001}, false, "over 48 kHz"},
        {{.bits = 24}, false, "24-bit"},
        {{.format = 3, .bits = 32}, false, "floating point"},
        {{.channels = 3}, false, "three channels"},
        {{.claimed = 1000000}, false, "samples promised but not there"},
        {{.fmtlast = true}, false, "samples before their format"},
    };
    auto sane = [](const std::string& s) {
        return wavsane(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    };
    for (const auto& [w, ok, what] : table)
        EXPECT_EQ(sane(wav(w)), ok) << what;
    const std::string good = wav({});
    for (std::size_t cut : {0, 4, 11, 20, 43})
        EXPECT_FALSE(sane(good.substr(0, cut))) << "cut at " << cut;
    EXPECT_FALSE(sane("RIFX" + good.substr(4)));
}

// Sounds of the largest size, 8-bit mono at 8 kHz, grow elevenfold once converted: the loaded set
// stays within its budget and the rest are skipped. Every kind of broken sound in every one of the
// 60 places, and names that are no sound of the folder: start-up passes over them all quickly and
// silently, holding no sample of them, and a good sound beside them still loads. No working device
// is silent too.
TEST_F(Sound, BrokenMissingHugeAndUnknownSoundsAndNoDeviceAreQuickSilentAndHarmless) {
    put("big.wav", wav({.rate = 8000, .bits = 8, .samples = wavlargest - 44}));
    for (int i = 0; i < 4; i++) {
        fs::create_symlink("../big.wav", "audio/" + std::to_string(i) + ".wav");
        soundopen(std::to_string(i) + ".wav");
    }
    EXPECT_GT(soundbytes(), std::size_t(wavlargest));
    EXPECT_LE(soundbytes(), soundbudget);
    soundclose();
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const std::string slow = wav({.rate = 1, .samples = 4000}); // endless at 1 Hz
    const std::string huge = wav({.rate = 8000, .bits = 8, .samples = 5u << 20});
    for (int i = 0; i < 60; i++) {
        const fs::path p = fs::path("audio") / soundcatalogue[i];
        if (i % 5 < 2)
            put(p, i % 5 ? huge : slow);
        else if (i % 5 == 2)
            fs::create_symlink("/dev/zero", p);
        else if (i % 5 == 3)
            ASSERT_EQ(mkfifo(p.c_str(), 0644), 0);
        else
            fs::create_directory(p);
    }
    put("outside.wav", wav({}));
    const auto start = steady::now();
    for (const char* name : soundcatalogue)
        soundopen(name);
    for (const char* name : {"../outside.wav", "", "nothing.wav"})
        soundopen(name);
    EXPECT_LT(steady::now() - start, std::chrono::milliseconds(150));
    for (const char* name : {"lock.wav", "go.wav", "combo21.wav", ""})
        soundplay(name);
    EXPECT_EQ(soundbytes(), 0u);
    fs::remove(fs::path("audio") / "go.wav");
    put(fs::path("audio") / "go.wav", wav({.samples = 882}));
    soundopen("go.wav");
    EXPECT_GT(soundbytes(), 0u);
    // ALSA on a machine without a sound card writes several lines to stderr from its library.
    for (const char* driver : {"nosuchdriver", "alsa"}) {
        soundclose();
        setenv("SDL_AUDIODRIVER", driver, 1);
        soundopen("go.wav");
        soundplay("go.wav");
    }
    soundready();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The catalogue is strictly alphabetical and the folder holds exactly it. The generator writes the
// same bytes on every run and every machine: no library rounding, no uninitialised byte may leak
// in; a deliberate change to a sound changes the figure. (What each sound is like, its form, its
// length, its peak and its faded ends, is the generator's own making.)
// The loudest frame: a lock that clears rows at the highest combo step, with its back-to-back
// sound, empties the field and raises the level, and the next piece is announced. A four-line
// clear or a T-spin clear starts or continues a chain; one to three plain lines can only break it.
// At the level the game mixes at, that frame keeps 1 dB below full scale.
TEST_F(Sound, TheSetIsTheCatalogueTheSameOnEveryRunAndItsLoudestFrameDoesNotClip) {
    std::vector<std::string> names(std::begin(soundcatalogue), std::end(soundcatalogue));
    std::set<std::string> files; // sorted, so equal only to a strictly alphabetical catalogue
    for (const auto& entry : fs::directory_iterator(SOUNDSET_DIR))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(std::vector(files.begin(), files.end()), names);
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::string& name : names)
        for (char c : slurp(fs::path(SOUNDSET_DIR) / name))
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    EXPECT_EQ(hash, 10623421126192693189ull);
    int loudest = 0;
    for (const char* line : {"erase1", "erase2", "erase3", "erase4", "tspin1", "tspin2", "tspin3"})
        for (const char* chain : {"b2b_start", "b2b_continue", "b2b_end"})
            for (char piece = '0'; piece < '7'; piece++) {
                if ((line[0] == 'e' && line[5] != '4') != (chain[4] == 'e'))
                    continue; // plain lines only end a chain; the rest only start or go on
                std::vector<int> sum;
                const std::string next = std::string("piece") + piece;
                for (const std::string name :
                     {"lock", "combo20", line, chain, "bravo", "levelup", next.c_str()}) {
                    const std::vector<int> s = samplesof(name + ".wav");
                    sum.resize(std::max(sum.size(), s.size()));
                    for (std::size_t i = 0; i < s.size(); i++)
                        sum[i] += s[i];
                }
                for (int v : sum)
                    loudest = std::max(loudest, std::abs(v));
            }
    fs::copy_file(fs::path(SOUNDSET_DIR) / "lock.wav", "audio/lock.wav");
    soundopen("lock.wav");
    soundready();
    const int volume = Mix_MasterVolume(-1);
    EXPECT_LE(loudest * volume / MIX_MAX_VOLUME, static_cast<int>(32768 * std::pow(10.0, -0.05)))
        << "raw peak " << loudest << " at volume " << volume;
}
