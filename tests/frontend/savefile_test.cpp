#include "screenrun.h"

#ifndef _WIN32 // a full disk is played by a file size limit, which Windows does not have
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

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

#ifndef _WIN32
// Runs `f` with every file write stopping at `limit` bytes, as on a disk that has filled up.
template <class F> void diskfull(rlim_t limit, F f) {
    rlimit was;
    getrlimit(RLIMIT_FSIZE, &was);
    rlimit now{limit, was.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &now);
    f();
    setrlimit(RLIMIT_FSIZE, &was);
}
#endif

using Savefile = ScreenTest;

} // namespace

// A short file is left as it is and lends its bytes to the defaults; a long one is read in part
// and cut to size by the next save.
TEST_F(Savefile, FilesOfAnyLengthLoadOverTheDefaults) {
    bytes odd(200, 0x5A); // unlike the fresh file at every position
    for (int i = 0; i < 138; i++)
        odd[i] = static_cast<unsigned char>(~fresh[i] ^ (i * 37));
    // Longest first, so a value the file lacks cannot be left over from the run before.
    for (int n = 200; n >= 0; n = n == 200 ? 137 : n - 1) {
        const bytes part(odd.begin(), odd.begin() + n);
        bytes want = fresh;
        std::copy_n(part.begin(), std::min(n, 138), want.begin());
        writefile(part);
        initload();
        ASSERT_EQ(readfile(), part) << n;
        savesettings();
        ASSERT_EQ(readfile(), want) << "length " << n;
    }
}

#ifndef _WIN32
// A missing file is created with the defaults, unless it cannot be written at all; a write that
// fails part-way leaves the old file as it was.
TEST_F(Savefile, AMissingFileIsCreatedAndAFailedWriteChangesNothing) {
    diskfull(0, initload);
    EXPECT_FALSE(std::filesystem::exists("savefile"));
    initload();
    EXPECT_EQ(readfile(), fresh);
    EXPECT_EQ(bytes(headless::palette(), headless::palette() + 48), bytes(&fresh[54], &fresh[102]));
    writefile(bytes(150, 7));
    initload();
    INGAMEDAS = 99;
    diskfull(100, savesettings);
    EXPECT_EQ(readfile(), bytes(150, 7));
    // A stale half-written file from an earlier version does not get in the way, and a save
    // leaves no temporary file of its own behind.
    writefile({1, 2, 3}, "savefile.new");
    savesettings();
    EXPECT_EQ(readfile()[102], 99);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator("."))
        files += e.path().filename() != "savefile.new";
    EXPECT_EQ(files, 1);
}
#endif
