// The real game started by a plain `sh -c` in a pseudo-terminal of the test's own: no interactive
// shell mends what the game leaves behind. After every way out the terminal's settings are as
// they were, and the bytes the game wrote leave no mode of its own switched on.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <pty.h>
#include <regex>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <tuple>
#include <unistd.h>

namespace {

using clk = std::chrono::steady_clock;

struct game {
    int master = -1, slave = -1;
    pid_t leader = -1, shell = -1, pid = -1;
    std::string out, dir;
    termios before{};

    // The session leader stays in its own process group, so the game's group is not orphaned
    // and Ctrl-Z may stop it, as under any terminal.
    void start() {
        winsize ws{25, 80, 0, 0};
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &ws), 0);
        ASSERT_EQ(tcgetattr(slave, &before), 0);
        dir = (std::filesystem::temp_directory_path() / "dropple-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        int pids[2];
        ASSERT_EQ(pipe(pids), 0);
        leader = fork();
        if (leader == 0) {
            setsid();
            ioctl(slave, TIOCSCTTY, 0);
            pid_t g = fork();
            if (g == 0) {
                setpgid(0, 0);
                dup2(slave, 0), dup2(slave, 1), dup2(slave, 2);
                close(master), close(slave), close(pids[0]), close(pids[1]);
                rlimit none{0, 0};
                setrlimit(RLIMIT_CORE, &none);
                unsetenv("DISPLAY");
                setenv("SSH_TTY", "/dev/pts/x", 1); // the machine's input devices are not ours
                setenv("TERM", "xterm-256color", 1);
                if (chdir(dir.c_str()) == 0)
                    execl("/bin/sh", "sh", "-c", "\"$0\"; echo $? > status", DROPPLE, nullptr);
                _exit(127);
            }
            setpgid(g, g);
            tcsetpgrp(slave, g);
            ssize_t n = write(pids[1], &g, sizeof g);
            int st = 0;
            while (n > 0 && waitpid(g, &st, 0) < 0 && errno == EINTR) {
            }
            _exit(0);
        }
        close(pids[1]);
        ASSERT_EQ(read(pids[0], &shell, sizeof shell), ssize_t(sizeof shell));
        close(pids[0]);
        const std::string children =
            "/proc/" + std::to_string(shell) + "/task/" + std::to_string(shell) + "/children";
        ASSERT_TRUE(pump([&] {
            std::ifstream f(children);
            return bool(f >> pid);
        })) << "sh started no game";
        ASSERT_TRUE(pump([&] { return shown("Dropple 5 Death"); }, 10000)) << "no menu: " << out;
    }

    ~game() {
        if (pid > 0)
            kill(pid, SIGKILL), kill(pid, SIGCONT);
        if (leader > 0)
            kill(leader, SIGKILL), waitpid(leader, nullptr, 0);
        if (master >= 0)
            close(master), close(slave);
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }

    // Reads what the game writes until `done` holds, for at most `ms` milliseconds.
    template <class F> bool pump(F done, int ms = 5000) {
        for (auto end = clk::now() + std::chrono::milliseconds(ms); !done();) {
            if (clk::now() > end)
                return false;
            pollfd p{master, POLLIN, 0};
            char buf[8192];
            if (poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
                ssize_t n = read(master, buf, sizeof buf);
                if (n > 0)
                    out.append(buf, std::size_t(n));
            }
        }
        return true;
    }
    bool shown(const std::string& s, std::size_t from = 0) {
        return out.find(s, from) != std::string::npos;
    }
    char state() {
        std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
        std::string s((std::istreambuf_iterator<char>(f)), {});
        auto p = s.rfind(')');
        return p == std::string::npos || p + 2 >= s.size() ? 'X' : s[p + 2];
    }
    void type(const char* bytes) { ASSERT_GT(write(master, bytes, std::strlen(bytes)), 0); }

    // The settings now are the settings before the game; every private mode the game switched on
    // it has switched off again (the cursor, which it hides, is shown), and every keyboard mode
    // it pushed it has popped.
    void restored() {
        termios now{};
        ASSERT_EQ(tcgetattr(slave, &now), 0);
        EXPECT_EQ(std::tuple(now.c_iflag, now.c_oflag, now.c_lflag, now.c_cflag),
                  std::tuple(before.c_iflag, before.c_oflag, before.c_lflag, before.c_cflag));
        EXPECT_EQ(std::string(now.c_cc, now.c_cc + NCCS),
                  std::string(before.c_cc, before.c_cc + NCCS));
        std::map<int, char> modes;
        static const std::regex dec("\x1b\\[\\?([0-9;]+)([hl])");
        for (std::sregex_iterator m(out.begin(), out.end(), dec), e; m != e; ++m) {
            std::string list = (*m)[1];
            for (std::size_t i = 0; i < list.size(); i = list.find(';', i) + 1) {
                modes[std::atoi(list.c_str() + i)] = (*m)[2].str()[0];
                if (list.find(';', i) == std::string::npos)
                    break;
            }
        }
        EXPECT_EQ(modes[1049], 'l');
        EXPECT_EQ(modes[25], 'h');
        for (auto [mode, last] : modes)
            EXPECT_TRUE(mode == 25 || last == 'l') << "mode " << mode << " left on";
        static const std::regex push("\x1b\\[>[0-9]*u"), pop("\x1b\\[<[0-9]*u");
        auto count = [&](const std::regex& r) {
            return std::distance(std::sregex_iterator(out.begin(), out.end(), r), {});
        };
        EXPECT_EQ(count(push), count(pop));
    }

    // The game has ended with `status` (as the shell saw it) and given the terminal back.
    void ended(int status) {
        ASSERT_TRUE(pump([&] { return waitpid(leader, nullptr, WNOHANG) == leader; }))
            << "the game did not end";
        leader = -1, pid = -1;
        pump([] { return false; }, 100); // the last bytes still in the pseudo-terminal
        std::ifstream f(dir + "/status");
        int got = -1;
        f >> got;
        EXPECT_EQ(got, status);
        restored();
    }
};

// Each way out, and the status the shell sees.
TEST(restore, everywayoutgivesbacktheterminal) {
    const std::tuple<const char*, int, int> ends[] = {
        {"quit from the menu", 0, 0}, {"Ctrl-C", 0, 130},        {"SIGTERM", SIGTERM, 143},
        {"SIGHUP", SIGHUP, 129},      {"SIGSEGV", SIGSEGV, 139},
    };
    for (auto [name, sig, status] : ends) {
        SCOPED_TRACE(name);
        game g;
        ASSERT_NO_FATAL_FAILURE(g.start());
        if (sig)
            kill(g.pid, sig);
        else
            g.type(status ? "\x03" : "\r");
        g.ended(status);
    }
}

// Stopped, the terminal is the player's; resized and continued, the game takes it again and
// repaints the menu whole; then it quits cleanly.
TEST(restore, ctrlzthenfgthenquit) {
    game g;
    ASSERT_NO_FATAL_FAILURE(g.start());
    g.type("\x1a");
    ASSERT_TRUE(g.pump([&] { return g.state() == 'T'; })) << "Ctrl-Z did not stop the game";
    g.pump([] { return false; }, 100);
    g.restored();
    winsize small{20, 70, 0, 0};
    ioctl(g.master, TIOCSWINSZ, &small);
    const std::size_t stopped = g.out.size();
    kill(-g.shell, SIGCONT); // as `fg` does
    ASSERT_TRUE(g.pump([&] { return g.shown("(now 70 x 20)", stopped); })) << g.out.substr(stopped);
    termios raw{};
    tcgetattr(g.slave, &raw);
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
    winsize full{25, 80, 0, 0};
    ioctl(g.master, TIOCSWINSZ, &full);
    ASSERT_TRUE(g.pump([&] { return g.shown("Dropple 5 Death", stopped); }));
    g.type("\r");
    g.ended(0);
}

} // namespace
