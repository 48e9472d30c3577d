// The settings file: loaded over the defaults whatever its length, replaced whole or not at all,
// never through a link or over a folder, read only when it is a regular file, and left alone when
// it is there but cannot be read.
#include "../game.h"

#ifndef _WIN32 // links, FIFOs, forks and file size limits are this system's own
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Settings = ScreenTest;

// A short file is left as it is and lends its bytes to the defaults; a long one is read in part
// and cut to size by the next save, which lands whole over the old file (Windows' own rename
// refuses a target that exists) with nothing left beside it. A missing one is created with the
// defaults.
TEST_F(Settings, FilesOfAnyLengthLoadOverTheDefaultsAndAreReplacedWhole) {
    initload();
    EXPECT_TRUE(readfile() == defaults && !std::memcmp(headless::palette(), &defaults[54], 48));
    bytes odd(200, 0x5A); // unlike the fresh file at every position
    for (int i = 0; i < 138; i++)
        odd[i] = static_cast<unsigned char>(~defaults[i] ^ (i * 37));
    // Longest first, so a value the file lacks cannot be left over from the run before.
    for (int n = 200; n >= 0; n = n == 200 ? 137 : n - 1) {
        bytes want = defaults, part(odd.begin(), odd.begin() + n);
        std::copy_n(part.begin(), std::min(n, 138), want.begin());
        writefile(part), initload();
        ASSERT_EQ(readfile(), part) << n;
        savesettings();
        ASSERT_EQ(std::tuple(readfile(), listfolder(".").size()), std::tuple(want, 1u)) << n;
    }
}

#ifndef _WIN32
// Runs `f` with every file write stopping at `limit` bytes, as on a disk that has filled up.
template <class F> void diskfull(rlim_t limit, F f) {
    rlimit was, now;
    getrlimit(RLIMIT_FSIZE, &was), std::signal(SIGXFSZ, SIG_IGN);
    now = {limit, was.rlim_max}, setrlimit(RLIMIT_FSIZE, &now), f(), setrlimit(RLIMIT_FSIZE, &was);
}

// Two games saving in one folder at once, the timing forced: the first game's rename is held up
// while a second game starts its own save and is killed at its first write (a file size limit of
// nothing does that). The first game's save must still land whole.
static bool holdrename = false;

extern "C" int rename(const char* from, const char* to) noexcept {
    if (std::exchange(holdrename, false)) {
        int st = 0, other = fork();
        if (other == 0)
            diskfull(0, [] { std::signal(SIGXFSZ, SIG_DFL), INGAMEDAS = 5, savesettings(); }),
                _exit(0);
        EXPECT_TRUE(waitpid(other, &st, 0) == other && WIFSIGNALED(st)) << st;
    }
    return renameat(AT_FDCWD, from, AT_FDCWD, to);
}

// A missing file that cannot be written stays missing; a write that fails part-way leaves the old
// file as it was. A stale half-written file, or a link where a new file might go, is passed over;
// and so is the unfinished file of a second game that saves, and is killed, at the same moment.
TEST_F(Settings, AFailedWriteChangesNothingAndNothingIsWrittenThroughALinkOrAnotherGamesFile) {
    diskfull(0, initload);
    EXPECT_EQ(listfolder(".").size(), 0u);
    writefile(bytes(150, 7)), initload(), INGAMEDAS = 99;
    diskfull(100, savesettings);
    EXPECT_EQ(std::tuple(readfile(), listfolder(".").size(), settingsunsaved().empty()),
              std::tuple(bytes(150, 7), 1u, false));
    writefile({1, 2, 3}, "savefile.new"), writefile({4, 5, 6}, "mine");
    for (const char* guess : {"savefile.tmp", "savefile~", ".savefile.new"})
        fs::create_symlink("mine", guess);
    // What a save killed some time ago left behind goes with the next save.
    writefile({7}, "savefile.0killed0.new");
    fs::last_write_time("savefile.0killed0.new", fs::file_time_type::clock::now() - 1h);
    holdrename = true, savesettings();
    EXPECT_EQ(std::tuple(holdrename, readfile()[102], readfile("mine"), listfolder(".").size(),
                         fs::exists("savefile.0killed0.new"), settingsunsaved()),
              std::tuple(false, 99, bytes{4, 5, 6}, 6u, false, ""));
}

// What is there but is no regular file is never read, and a settings file that is there but
// cannot be opened is left as it is: the defaults serve for the run.
TEST_F(Settings, OnlyARegularFileIsReadAndOneThatCannotBeOpenedIsKept) {
    alarm(20); // a read that blocks on a FIFO dies instead of hanging
    mkfifo("fifo", 0644), fs::create_directory("folder"), writefile(bytes(138, 'E'), "elsewhere");
    unsigned char buf[200];
    const std::tuple<const char*, const char*, long> table[] = {
        // name, what it links to, result
        {"fifo", nullptr, -2},    {"zero", "/dev/zero", -2}, {"folder", nullptr, -2},
        {"missing", nullptr, -1}, {"loop", "loop", -2},      {"link", "elsewhere", 138}};
    for (auto [name, to, result] : table) {
        to ? fs::create_symlink(to, name) : void();
        EXPECT_EQ(readfile(name, buf, sizeof buf), result) << name;
    }
    // Opening a link to itself fails, as a file we may not read would.
    fs::create_symlink("savefile", "savefile"), initload(), alarm(0);
    EXPECT_EQ(std::tuple(fs::is_symlink("savefile"), INGAMEDAS), std::tuple(true, 7u));
}

#endif
