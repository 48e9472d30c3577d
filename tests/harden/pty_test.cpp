// The real game in a pseudo-terminal: however it ends (a signal, SIGKILL, its terminal gone) the
// terminal gets back its settings and its modes, and with no terminal at all it never starts.
#include "scratch.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// What a game leaves behind once it has given the terminal back: the keyboard protocol's flags
// popped, mouse and focus reports off, the cursor shown, the shell's screen back.
const char* const modesoff[] = {"\x1b[<u", "\x1b[?1000l", "\x1b[?1004l", "\x1b[?25h",
                                "\x1b[?1049l"};

class Game : public scratch {
  protected:
    int master = -1;
    pid_t pid = 0;    // the process started: the guardian
    pid_t player = 0; // the game itself
    termios before{};
    std::string out;

    void TearDown() override {
        if (player > 0 && player != pid)
            kill(player, SIGKILL);
        if (pid > 0) {
            kill(pid, SIGKILL);
            kill(pid, SIGCONT);
            waitpid(pid, nullptr, 0);
        }
        if (master >= 0)
            close(master);
        scratch::TearDown();
    }

    // Starts the game on a new terminal: its controlling terminal, or one it merely has open.
    void start(bool controlling = true) {
        alarm(20);
        int slave = -1;
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        winsize ws{25, 80, 0, 0};
        ioctl(master, TIOCSWINSZ, &ws);
        tcgetattr(master, &before);
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            setsid();
            if (controlling)
                ioctl(slave, TIOCSCTTY, 0);
            for (int fd = 0; fd < 3; fd++)
                dup2(slave, fd);
            close(master);
            close(slave);
            rlimit nocore{0, 0};
            setrlimit(RLIMIT_CORE, &nocore);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            unsetenv("DISPLAY");
            execl(DROPPLE, "dropple", nullptr);
            _exit(127);
        }
        close(slave);
        ASSERT_TRUE(read([&] { return out.find("quit") != std::string::npos; })) << out;
        // The game is the guardian's one child (without a guardian, the process started).
        std::ifstream kids("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                           "/children");
        if (!(kids >> player))
            player = pid;
    }

    // Reads the terminal until `done`, answering the game's start-up questions as a terminal
    // with the keyboard protocol does.
    template <class F> bool read(F done, std::chrono::milliseconds limit = 5000ms) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < end) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            char buf[4096];
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                std::this_thread::sleep_for(20ms);
            else
                out.append(buf, static_cast<std::size_t>(n));
            if (out.find("\x1b[?u") != std::string::npos &&
                out.find("\x1b[>11u") == std::string::npos && !answered) {
                answered = true;
                write(master, "\x1b[?1u\x1b[?62c", 11);
            }
        }
        return done();
    }
    bool answered = false;

    bool gone(pid_t p) {
        std::ifstream stat("/proc/" + std::to_string(p) + "/stat");
        std::string pidpart, name, state;
        return !(stat >> pidpart >> name >> state) || state == "Z";
    }

    // The terminal as it was: settings, and every mode off after the last time it was taken.
    void restored(std::size_t from) {
        ASSERT_TRUE(read([&] { return out.find("\x1b[?1049l", from) != std::string::npos; }, 3s))
            << "nothing given back";
        std::size_t at = from;
        for (const char* mode : modesoff) {
            at = out.find(mode, at);
            EXPECT_NE(at, std::string::npos) << mode + 1;
        }
        termios now{};
        tcgetattr(master, &now);
        EXPECT_EQ(now.c_lflag, before.c_lflag);
        EXPECT_EQ(now.c_iflag, before.c_iflag);
        EXPECT_EQ(now.c_oflag, before.c_oflag);
    }

    // How the started process ended, within `limit`.
    int status(std::chrono::milliseconds limit = 5000ms) {
        int st = -1;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (waitpid(pid, &st, WNOHANG) == 0 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(10ms);
            st = -1;
        }
        if (st != -1)
            pid = player = 0; // the guardian ends only after the game
        return st;
    }
};

TEST_F(Game, KilledOutrightItsGuardianGivesTheTerminalBack) {
    start();
    std::size_t from = out.size();
    kill(player, SIGKILL);
    int st = status();
    restored(from);
    EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGKILL) << st;
}

// Each signal is handled by the game itself: the guardian is held stopped until the game is gone,
// then dies of the same signal.
TEST_F(Game, EverySignalThatEndsItGivesTheTerminalBack) {
    for (int sig : {SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGSYS, SIGTRAP, SIGSTKFLT,
                    SIGPWR, SIGIO, SIGXCPU, SIGRTMIN, SIGRTMAX, SIGTERM}) {
        SCOPED_TRACE(strsignal(sig));
        start();
        if (player != pid)
            kill(pid, SIGSTOP);
        std::size_t from = out.size();
        kill(player, sig);
        ASSERT_TRUE(read([&] { return gone(player); }, 3s));
        restored(from);
        if (player != pid)
            kill(pid, SIGCONT);
        int st = status();
        EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == sig) << st;
        close(master);
        master = -1;
        out.clear();
        answered = false;
    }
}

TEST_F(Game, BrokenPipesAndFileSizeLimitsEndNothing) {
    start();
    kill(player, SIGPIPE);
    kill(player, SIGXFSZ);
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(gone(player));
    std::size_t from = out.size();
    write(master, "\x03", 1); // Ctrl-C
    int st = status();
    restored(from);
    EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGINT) << st;
}

// FIFOs where the settings and every sound belong: passed over, and Ctrl-C is heard at once.
TEST_F(Game, FifosInPlaceOfItsFilesHoldNothingUp) {
    ASSERT_EQ(mkfifo("savefile", 0644), 0);
    fs::create_directory("audio");
    for (const char* name : {"go.wav", "ready.wav", "piece0.wav", "pause.wav", "gameover.wav"})
        ASSERT_EQ(mkfifo((fs::path("audio") / name).c_str(), 0644), 0);
    start();
    std::size_t from = out.size();
    write(master, "\x03", 1);
    int st = status();
    restored(from);
    EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGINT) << st;
    EXPECT_TRUE(fs::is_fifo("savefile"));
}

// A terminal the game has open but that is not its controlling one: no hang-up signal comes when
// it goes, only the end of its input.
TEST_F(Game, ALostTerminalEndsItAsAHangUp) {
    start(false);
    close(master);
    master = -1;
    int st = status(3000ms);
    EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGHUP) << st;
}

TEST(HardenStart, NoTerminalAtAllRefusesToStart) {
    int err[2];
    ASSERT_EQ(pipe(err), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setsid();
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(err[1], 2);
        close(err[0]);
        execl(DROPPLE, "dropple", nullptr);
        _exit(127);
    }
    close(err[1]);
    int st = -1;
    for (int i = 0; i < 300 && waitpid(pid, &st, WNOHANG) == 0; i++, st = -1)
        std::this_thread::sleep_for(10ms);
    if (st == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    char buf[512] = {};
    ssize_t n = ::read(err[0], buf, sizeof buf - 1);
    close(err[0]);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 1) << st;
    std::string text(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

} // namespace
