#include "console/platform/headless.h"
#include "frontend/frontend.h"
#include "tempdir.h"

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <tuple>

namespace {

using bytes = std::vector<unsigned char>;

// A fresh file, written out by hand: cell kinds (attribute, character), palette, in-game DAS,
// ARR and soft drop, in-game keys, menu DAS and ARR, menu keys.
const bytes fresh = [] {
    std::string hex = "A0FF C0FF E0FF B0FF 80FF 90FF D0FF 70FF 2AB1 4CB1 6EB1 3BB1 6CB1 19B1"
                      "5DB1 07B1 AFB1 CFB1 EFB1 BFB1 8FB1 9FB1 DFB1 7FB1 70B0 30B0 F0FF"
                      "000000 0000AA 00AA00 00AAAA AA0000 AA00AA AAAA00 AAAAAA"
                      "FFAA55 5555FF 55FF55 55FFFF FF5555 FF55FF FFFF55 FFFFFF"
                      "07000000 00100000 00200000 26282527 585A0DA0"
                      "08000000 01000000 26282527 585A0DA0";
    std::erase(hex, ' ');
    bytes b;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        b.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return b;
}();

// 138 bytes unlike the fresh file at every position.
bytes oddfile() {
    bytes b = fresh;
    for (std::size_t i = 0; i < b.size(); i++)
        b[i] = static_cast<unsigned char>(~b[i] ^ (i * 37));
    return b;
}

bytes saved() {
    savesettings();
    return readfile("savefile");
}

// Loads into zeroed globals, so nothing the file lacks can come from an earlier load.
void freshload() {
    std::memset(pieces, 0, sizeof pieces);
    std::memset(color, 0, sizeof color);
    std::memset(ingamekeys, 0, sizeof ingamekeys);
    std::memset(guikeys, 0, sizeof guikeys);
    INGAMEDAS = INGAMEARR = INGAMESDS = GUIDAS = GUIARR = 0;
    initload();
}

// Runs `f` with every file write stopping at `limit` bytes, as on a disk that has filled up.
template <class F> void diskfull(rlim_t limit, F f) {
    rlimit was, now;
    getrlimit(RLIMIT_FSIZE, &was);
    now = was;
    now.rlim_cur = limit;
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &now);
    f();
    setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, handler);
}

using Savefile = tempdir;

} // namespace

TEST_F(Savefile, AMissingFileIsCreatedWithTheDefaultsAndLoaded) {
    ASSERT_EQ(fresh.size(), 138u);
    headless::reset();
    freshload();
    EXPECT_EQ(std::tuple(pieces[8].attr, pieces[8].ch, INGAMEARR, INGAMESDS, GUIDAS, guikeys[7]),
              std::tuple(0x2A, 0xB1, 0x1000u, 0x2000u, 8u, 0xA0));
    EXPECT_EQ(readfile("savefile"), fresh);
    EXPECT_EQ(saved(), fresh);
    ASSERT_EQ(headless::palettewrites(), 1);
    EXPECT_EQ(bytes(headless::palette(), headless::palette() + 48), bytes(&fresh[54], &fresh[102]));
}

TEST_F(Savefile, SaveAndLoadKeepEveryValueByteForByte) {
    for (int i = 0; i < 27; i++)
        pieces[i] = {static_cast<std::uint16_t>(0x80 + i), static_cast<std::uint16_t>(0xAB00 + i)};
    for (int i = 0; i < 48; i++)
        color[i] = static_cast<unsigned char>(255 - i);
    for (int i = 0; i < 8; i++) {
        ingamekeys[i] = static_cast<unsigned char>(0x80 + 16 * i);
        guikeys[i] = static_cast<unsigned char>(0xFF - i);
    }
    INGAMEDAS = 0xFFFFFFFFu;
    INGAMEARR = 0x80000000u;
    INGAMESDS = 0;
    GUIDAS = 0x01020304u;
    GUIARR = 0x7FFFFFFFu;
    const bytes file = saved();
    ASSERT_EQ(file.size(), 138u);
    // Only the low byte of an attribute is kept, and it comes first.
    EXPECT_EQ(bytes(&file[0], &file[2]), (bytes{0x00, 0x80}));
    freshload();
    EXPECT_EQ(pieces[26].attr, 26);
    EXPECT_EQ(guikeys[7], 0xF8);
    EXPECT_EQ(saved(), file);
}

// A short file is left as it is and lends its bytes to the defaults; a long one is read in part
// and cut to size by the next save.
TEST_F(Savefile, FilesOfAnyLengthLoadOverTheDefaults) {
    bytes odd = oddfile();
    odd.resize(200, 0x5A);
    for (std::size_t n = 0; n <= 200; n = n == 137 ? 200 : n + 1) {
        const bytes part(odd.begin(), odd.begin() + static_cast<long>(n));
        bytes want = fresh;
        std::copy_n(part.begin(), std::min<std::size_t>(n, 138), want.begin());
        writefile("savefile", part);
        freshload();
        ASSERT_EQ(readfile("savefile"), part) << n;
        ASSERT_EQ(saved(), want) << "length " << n;
    }
}

TEST_F(Savefile, AFailedSaveLeavesTheOldFileAsItWas) {
    const bytes before = oddfile();
    writefile("savefile", before);
    initload();
    INGAMEDAS = 99;
    diskfull(100, savesettings);
    EXPECT_EQ(readfile("savefile"), before);
    // A stale half-written file from an earlier run does not get in the way.
    writefile("savefile.new", {1, 2, 3});
    EXPECT_EQ(saved()[102], 99);
    EXPECT_FALSE(std::filesystem::exists("savefile.new"));
}

TEST_F(Savefile, AFileThatCanBeNeitherReadNorCreatedLeavesTheDefaults) {
    diskfull(0, freshload);
    EXPECT_FALSE(std::filesystem::exists("savefile"));
    EXPECT_FALSE(std::filesystem::exists("savefile.new"));
    EXPECT_EQ(guikeys[6], 0x0D);
}
