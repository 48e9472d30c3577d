#include "console/sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

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

// The samples of a 16-bit mono 44.1 kHz PCM file with the plain 44-byte header; a test failure
// and an empty result for anything else.
std::vector<std::int16_t> samplesof(const std::string& name) {
    std::string b = bytesof(fs::path(SOUNDSET_DIR) / name);
    const std::string fmt("WAVEfmt \x10\0\0\0\1\0\1\0\x44\xac\0\0\x88\x58\1\0\2\0\x10\0data", 32);
    if (b.size() < 44 || b.substr(0, 4) != "RIFF" || le(b, 4, 4) != b.size() - 8 ||
        b.substr(8, 32) != fmt || le(b, 40, 4) != b.size() - 44 || b.size() % 2) {
        ADD_FAILURE() << name << " is not 16-bit mono 44.1 kHz PCM";
        return {};
    }
    std::vector<std::int16_t> s((b.size() - 44) / 2);
    for (std::size_t i = 0; i < s.size(); i++)
        s[i] = static_cast<std::int16_t>(le(b, 44 + 2 * i, 2));
    return s;
}

double seconds(const std::vector<std::int16_t>& s) {
    return static_cast<double>(s.size()) / 44100;
}

int peak(const std::vector<std::int16_t>& s, std::size_t from = 0, std::size_t to = SIZE_MAX) {
    int p = 0;
    for (std::size_t i = from; i < std::min(to, s.size()); i++)
        p = std::max(p, std::abs(static_cast<int>(s[i])));
    return p;
}

// Sign changes per second between two samples, ignoring samples that rounded to zero: twice the
// pitch of a plain tone.
double crossings(const std::vector<std::int16_t>& s, std::size_t from = 0,
                 std::size_t to = SIZE_MAX) {
    to = std::min(to, s.size());
    int count = 0, last = 0;
    for (std::size_t i = from; i < to; i++) {
        int sign = (s[i] > 0) - (s[i] < 0);
        if (sign != 0 && last != 0 && sign != last)
            count++;
        if (sign != 0)
            last = sign;
    }
    return count * 44100.0 / static_cast<double>(to - from);
}

// How alike the first n samples of two sounds are: 1 for the same shape, near 0 for unrelated.
double likeness(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b,
                std::size_t n) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; i++) {
        double x = i < a.size() ? a[i] : 0, y = i < b.size() ? b[i] : 0;
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return ab / std::sqrt(aa * bb);
}

std::string numbered(const char* stem, int n) {
    return stem + std::to_string(n) + ".wav";
}

} // namespace

TEST(SoundSet, TheCatalogueIsAlphabeticalAndTheFolderHoldsExactlyIt) {
    std::vector<std::string> names(std::begin(soundcatalogue), std::end(soundcatalogue));
    EXPECT_TRUE(std::adjacent_find(names.begin(), names.end(), std::greater_equal<>()) ==
                names.end())
        << "strictly increasing: sorted and without repeats";
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(SOUNDSET_DIR))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, std::set<std::string>(names.begin(), names.end()));
}

TEST(SoundSet, EveryFileIsShortCleanPcmWithHeadroom) {
    const std::set<std::string> permove = {
        "rotate.wav",   "initialrotate.wav", "rotfail.wav", "lock.wav",
        "harddrop.wav", "softdrop.wav",      "hold.wav",    "initialhold.wav",
        "holdfail.wav", "piece0.wav",        "piece1.wav",  "piece2.wav",
        "piece3.wav",   "piece4.wav",        "piece5.wav",  "piece6.wav"};
    for (const char* name : soundcatalogue) {
        std::vector<std::int16_t> s = samplesof(name);
        ASSERT_GT(s.size(), 441u) << name;
        double longest = permove.count(name) ? 0.4 : 2.5;
        if (std::string(name) != "excellent.wav" && std::string(name) != "gameover.wav")
            longest = std::min(longest, 1.5);
        EXPECT_LT(seconds(s), longest) << name;
        int top = peak(s);
        EXPECT_LE(top, 0.9 * 32767) << name << ": clipping risk";
        EXPECT_GE(top, 0.25 * 32767) << name << ": barely audible";
        // No click: both ends at rest, and the first and last millisecond still fading.
        EXPECT_LE(std::abs(s.front()), 64) << name;
        EXPECT_LE(std::abs(s.back()), 64) << name;
        EXPECT_LE(peak(s, 0, 44), top / 2) << name;
        EXPECT_LE(peak(s, s.size() - 44), top / 2) << name;
    }
}

TEST(SoundSet, FamiliesClimbGrowAndStayApart) {
    double last = 0;
    for (int n = 1; n <= 20; n++) {
        double rate = crossings(samplesof(numbered("combo", n)));
        if (n > 1) {
            EXPECT_GT(rate / last, 1.03) << "combo" << n << " is a step above combo" << n - 1;
            EXPECT_LT(rate / last, 1.09) << "combo" << n << " is one step, not a leap";
        }
        last = rate;
    }

    std::vector<std::int16_t> before;
    for (int n = 1; n <= 4; n++) {
        std::vector<std::int16_t> s = samplesof(numbered("erase", n));
        if (n > 1) {
            EXPECT_GT(seconds(s), seconds(before)) << "erase" << n;
            EXPECT_GT(peak(s), peak(before)) << "erase" << n;
            EXPECT_GT(std::inner_product(s.begin(), s.end(), s.begin(), 0.0),
                      std::inner_product(before.begin(), before.end(), before.begin(), 0.0))
                << "erase" << n << " carries more energy";
        }
        before = s;
    }

    // The seven piece announcements are told apart by ear: no two share the pitch of both their
    // first and their second half.
    auto apart = [](double a, double b) { return std::max(a, b) / std::min(a, b) > 1.04; };
    for (int a = 0; a < 7; a++)
        for (int b = a + 1; b < 7; b++) {
            std::vector<std::int16_t> sa = samplesof(numbered("piece", a));
            std::vector<std::int16_t> sb = samplesof(numbered("piece", b));
            std::size_t mid = std::min(sa.size(), sb.size()) / 2;
            EXPECT_TRUE(apart(crossings(sa, 0, mid), crossings(sb, 0, mid)) ||
                        apart(crossings(sa, mid), crossings(sb, mid)))
                << "piece" << a << " piece" << b;
        }

    // T-spins open with the same figure, and nothing else opens like them.
    const std::size_t opening = 4410;
    std::vector<std::int16_t> spin = samplesof("tspin0.wav");
    for (int n = 1; n <= 3; n++)
        EXPECT_GT(likeness(spin, samplesof(numbered("tspin", n)), opening), 0.95) << n;
    for (const char* name : soundcatalogue) {
        if (std::string(name).rfind("tspin", 0) == 0)
            continue;
        EXPECT_LT(std::abs(likeness(spin, samplesof(name), opening)), 0.5) << name;
    }
}

TEST(SoundSet, EveryRunWritesTheSameBytes) {
    fs::path dir = fs::temp_directory_path() / ("dropple-soundgen-" + std::to_string(::getpid()));
    for (const char* run : {"1", "2"}) {
        fs::create_directories(dir / run);
        std::string command = std::string("\"") + SOUNDGEN + "\" \"" + (dir / run).string() + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    std::uint64_t hash = 14695981039346656037ull;
    for (const char* name : soundcatalogue) {
        std::string first = bytesof(dir / "1" / name);
        EXPECT_EQ(first, bytesof(dir / "2" / name)) << name;
        EXPECT_EQ(first, bytesof(fs::path(SOUNDSET_DIR) / name)) << name;
        for (char c : first)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    fs::remove_all(dir);
    // Every build on every machine: no library rounding, no uninitialised byte may leak in. A
    // deliberate change to a sound changes this figure.
    EXPECT_EQ(hash, 10623421126192693189ull);
}
