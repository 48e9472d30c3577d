// The settings file: loaded over the defaults whatever its length, replaced whole or not at all,
// never through a link or over a folder, read only when it is a regular file, and left alone when
// it is there but cannot be read.
#include "console/platform.h"
#include "screenrun.h"

#ifndef _WIN32 // links, FIFOs, forks and file size limits are this system's own
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

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

std::vector<std::string> folder() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator("."))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool replace(const bytes& b) {
    return replacefile("savefile", b.data(), static_cast<long>(b.size()));
}

using Settings = ScreenTest;

} // namespace

// A short file is left as it is and lends its bytes to the defaults; a long one is read in part
// and cut to size by the next save. A missing one is created with the defaults.
TEST_F(Settings, FilesOfAnyLengthLoadOverTheDefaults) {
    initload();
    EXPECT_EQ(readfile(), fresh);
    EXPECT_EQ(bytes(headless::palette(), headless::palette() + 48), bytes(&fresh[54], &fresh[102]));
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

// Windows' own rename refuses a target that exists: the second save of a run must still land,
// whole, and leave nothing beside it. Nothing replaces a folder, and a read stops at the buffer or
// at the end of the file.
TEST_F(Settings, ReplacingTakesTheNewBytesWholeButNeverAFolder) {
    ASSERT_TRUE(replace(bytes(138, 1)));
    for (int round = 0; round < 2; round++) {
        ASSERT_TRUE(replace({9, 8, 7, 6, 5})) << round;
        EXPECT_EQ(std::tuple(readfile(), folder()),
                  std::tuple(bytes{9, 8, 7, 6, 5}, std::vector<std::string>{"savefile"}));
    }
    unsigned char buf[8] = {};
    for (auto [want, got] : {std::pair{3L, 3L}, {8L, 5L}}) {
        EXPECT_EQ(::readfile("savefile", buf, want), got);
        EXPECT_EQ(buf[got - 1], 10 - got);
    }
    fs::remove("savefile");
    EXPECT_EQ(::readfile("savefile", buf, 8), -1);
    fs::create_directory("savefile");
    EXPECT_FALSE(replace(bytes(8)));
    EXPECT_TRUE(fs::is_directory("savefile"));
    EXPECT_EQ(folder(), std::vector<std::string>{"savefile"});
}

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

// A missing file that cannot be written stays missing; a write that fails part-way leaves the old
// file as it was. A stale half-written file, or a link where a new file might go, is passed over.
TEST_F(Settings, AFailedWriteChangesNothingAndNothingIsWrittenThroughALink) {
    diskfull(0, initload);
    EXPECT_FALSE(fs::exists("savefile"));
    writefile(bytes(150, 7));
    initload();
    INGAMEDAS = 99;
    diskfull(100, savesettings);
    EXPECT_EQ(readfile(), bytes(150, 7));
    writefile({1, 2, 3}, "savefile.new");
    writefile({4, 5, 6}, "mine");
    for (const char* guess : {"savefile.tmp", "savefile~", ".savefile.new"})
        fs::create_symlink("mine", guess);
    savesettings();
    EXPECT_EQ(std::tuple(readfile()[102], readfile("mine"), folder().size()),
              std::tuple(99, bytes{4, 5, 6}, 6u));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("savefile")));
}

// What is there but is no regular file is never read, and a settings file that is there but
// cannot be opened is left as it is: the defaults serve for the run.
TEST_F(Settings, OnlyARegularFileIsReadAndOneThatCannotBeOpenedIsKept) {
    alarm(20); // a read that blocks on a FIFO dies instead of hanging
    ASSERT_EQ(mkfifo("fifo", 0644), 0);
    fs::create_directory("folder");
    writefile(bytes(138, 'E'), "elsewhere");
    fs::create_symlink("fifo", "tofifo");
    fs::create_symlink("/dev/zero", "zero");
    fs::create_symlink("nothing", "dangling");
    fs::create_symlink("elsewhere", "link");
    fs::create_symlink("loop", "loop");
    unsigned char buf[200];
    const std::pair<const char*, long> table[] = {{"fifo", -2},   {"tofifo", -2},  {"zero", -2},
                                                  {"folder", -2}, {"missing", -1}, {"dangling", -1},
                                                  {"loop", -2},   {"link", 138}};
    for (auto [name, result] : table)
        EXPECT_EQ(readfile(name, buf, sizeof buf), result) << name;
    fs::create_symlink("savefile", "savefile"); // opening it fails, as a file we may not read
    initload();
    alarm(0);
    EXPECT_TRUE(fs::is_symlink("savefile"));
    EXPECT_EQ(INGAMEDAS, 7u);
}

// Two games saving in one folder at once, the timing forced: the first game's rename is held up
// while a second game starts its own save and is killed at its first write (a file size limit of
// nothing does that). The first game's save must still land whole.
static bool holdrename = false;

extern "C" int rename(const char* from, const char* to) noexcept {
    if (holdrename) {
        holdrename = false;
        pid_t other = fork();
        if (other == 0) {
            rlimit none{0, 0};
            setrlimit(RLIMIT_FSIZE, &none);
            signal(SIGXFSZ, SIG_DFL);
            replace(bytes(138, 'B'));
            _exit(0);
        }
        int st = 0;
        waitpid(other, &st, 0);
        EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGXFSZ) << st;
    }
    return renameat(AT_FDCWD, from, AT_FDCWD, to);
}

TEST_F(Settings, TwoGamesSavingAtOnceNeverLeaveItBroken) {
    ASSERT_TRUE(replace(bytes(138, 'O')));
    holdrename = true;
    EXPECT_TRUE(replace(bytes(138, 'A')));
    EXPECT_FALSE(holdrename);
    EXPECT_EQ(readfile(), bytes(138, 'A'));
}
#endif
