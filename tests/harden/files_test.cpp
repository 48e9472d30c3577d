// The settings file: replaced whole through a file no one else can prepare or share, and read only
// when what is there is a regular file.
#include "console/platform.h"
#include "scratch.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void put(const fs::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary) << s;
}

bool replace(const std::string& s) {
    return replacefile("savefile", reinterpret_cast<const unsigned char*>(s.data()),
                       static_cast<long>(s.size()));
}

using Settings = scratch;

TEST_F(Settings, ANewFileIsNeverOpenedThroughALink) {
    put("mine", "the player's own words");
    for (const char* guess : {"savefile.new", "savefile.tmp", "savefile~", ".savefile.new"})
        fs::create_symlink("mine", guess);
    const std::string data(138, 'S');
    ASSERT_TRUE(replace(data));
    EXPECT_EQ(slurp("mine"), "the player's own words");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("savefile")));
    EXPECT_EQ(slurp("savefile"), data);
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 6);
}

// Two games saving in one folder at once, the timing forced: the first game's rename is held up
// while a second game starts its own save and is killed at its first write (a file size limit of
// nothing does that). The first game's save must still land whole.
bool holdrename = false;

} // namespace

extern "C" int rename(const char* from, const char* to) noexcept {
    if (holdrename) {
        holdrename = false;
        pid_t other = fork();
        if (other == 0) {
            rlimit none{0, 0};
            setrlimit(RLIMIT_FSIZE, &none);
            signal(SIGXFSZ, SIG_DFL);
            replace(std::string(138, 'B'));
            _exit(0);
        }
        int st = 0;
        waitpid(other, &st, 0);
        EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGXFSZ) << st;
    }
    return renameat(AT_FDCWD, from, AT_FDCWD, to);
}

namespace {

TEST_F(Settings, TwoGamesSavingAtOnceNeverLeaveItBroken) {
    ASSERT_TRUE(replace(std::string(138, 'O')));
    holdrename = true;
    EXPECT_TRUE(replace(std::string(138, 'A')));
    EXPECT_FALSE(holdrename);
    EXPECT_EQ(slurp("savefile"), std::string(138, 'A'));
}

TEST_F(Settings, OnlyARegularFileIsRead) {
    ASSERT_EQ(mkfifo("fifo", 0644), 0);
    fs::create_directory("folder");
    put("elsewhere", std::string(138, 'E'));
    fs::create_symlink("fifo", "tofifo");
    fs::create_symlink("/dev/zero", "zero");
    fs::create_symlink("nothing", "dangling");
    fs::create_symlink("elsewhere", "link");
    unsigned char buf[200];
    const std::pair<const char*, long> table[] = {{"fifo", -2},   {"tofifo", -2},  {"zero", -2},
                                                  {"folder", -2}, {"missing", -1}, {"dangling", -1},
                                                  {"link", 138}};
    for (auto [name, result] : table)
        EXPECT_EQ(readfile(name, buf, sizeof buf), result) << name;
    EXPECT_TRUE(fs::is_fifo("fifo"));
}

} // namespace
