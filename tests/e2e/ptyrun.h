// A program started by a plain `sh -c` in a pseudo-terminal of 80 by 25 that the test holds: no
// interactive shell mends what the program leaves behind, and the shell notes the status it saw.
// The game forks at start-up and stays on as the guardian of the terminal, so the process the
// shell started is the guardian and its one child the player.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
#include <vector>

// The key reports of the keyboard protocol: a press and a release of a key by its letter form
// (A up, B down, C right, D left).
inline std::string pressof(char letter) {
    return std::string("\x1b[") + letter;
}
inline std::string releaseof(char letter) {
    return std::string("\x1b[1;1:3") + letter;
}

struct ptyrun {
    int master = -1, slave = -1;
    pid_t leader = -1, shell = -1, pid = -1, player = -1;
    std::string out, dir, answer; // `answer`: the reply to the start-up questions, if any
    termios before{};

    ptyrun() {
        dir = (std::filesystem::temp_directory_path() / "dropple-test-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            dir.clear();
    }

    // Starts `args` in the folder, on the terminal as its controlling one or merely open, and
    // reads until `ready` is shown. The session leader stays in its own process group, so the
    // program's group is not orphaned and Ctrl-Z may stop it, as under any terminal.
    void start(std::vector<std::string> args, const char* ready = "Dropple 5 Death",
               bool controlling = true) {
        ASSERT_FALSE(dir.empty());
        winsize ws{25, 80, 0, 0};
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &ws), 0);
        ASSERT_EQ(tcgetattr(slave, &before), 0);
        int pids[2];
        ASSERT_EQ(pipe(pids), 0);
        leader = fork();
        if (leader == 0) {
            setsid();
            if (controlling)
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
                setenv("SDL_AUDIODRIVER", "dummy", 1);
                setenv("XDG_DATA_HOME", dir.c_str(), 1); // settings of its own
                std::vector<char*> argv{const_cast<char*>("sh"), const_cast<char*>("-c"),
                                        const_cast<char*>("\"$0\" \"$@\"; echo $? > status")};
                for (auto& a : args)
                    argv.push_back(a.data());
                argv.push_back(nullptr);
                if (chdir(dir.c_str()) == 0)
                    execv("/bin/sh", argv.data());
                _exit(127);
            }
            close(master); // the terminal is lost when the test closes its side
            setpgid(g, g);
            tcsetpgrp(slave, g);
            ssize_t n = write(pids[1], &g, sizeof g);
            int st = 0;
            while (n > 0 && waitpid(g, &st, 0) < 0 && errno == EINTR) {
            }
            _exit(0);
        }
        close(pids[1]);
        ASSERT_EQ(::read(pids[0], &shell, sizeof shell), ssize_t(sizeof shell));
        close(pids[0]);
        ASSERT_TRUE(pump([&] { return (pid = firstchild(shell)) > 0; })) << "sh started nothing";
        ASSERT_TRUE(pump([&] { return shown(ready); }, 10000)) << "not ready: " << out;
        // Without a guardian (no terminal taken yet), the started process plays.
        player = firstchild(pid);
        if (player <= 0)
            player = pid;
    }

    ~ptyrun() {
        for (pid_t p : {player, pid})
            if (p > 0)
                kill(p, SIGKILL), kill(p, SIGCONT);
        if (leader > 0)
            kill(leader, SIGKILL), waitpid(leader, nullptr, 0);
        if (master >= 0)
            close(master);
        if (slave >= 0)
            close(slave);
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }

    // A file of /proc, or nothing once its process is gone: reading a vanished process's file
    // fails, and the standard streams throw on that.
    static std::string proc(const std::string& path) {
        std::string s;
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return s;
        char buf[4096];
        for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
            s.append(buf, std::size_t(n));
        close(fd);
        return s;
    }
    static pid_t firstchild(pid_t p) {
        return pid_t(std::atoi(
            proc("/proc/" + std::to_string(p) + "/task/" + std::to_string(p) + "/children")
                .c_str()));
    }

    // Reads what the program writes until `done` holds, for at most `ms` milliseconds, answering
    // its start-up questions once.
    template <class F> bool pump(F done, int ms = 5000) {
        using clk = std::chrono::steady_clock;
        for (auto end = clk::now() + std::chrono::milliseconds(ms); !done();) {
            if (clk::now() > end)
                return false;
            pollfd p{master, POLLIN, 0};
            char buf[8192];
            if (poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
                ssize_t n = ::read(master, buf, sizeof buf);
                if (n > 0)
                    out.append(buf, std::size_t(n));
            }
            if (!answer.empty() && shown("\x1b[?u"))
                type(answer.c_str()), answer.clear();
        }
        return true;
    }
    bool shown(const std::string& s, std::size_t from = 0) {
        return out.find(s, from) != std::string::npos;
    }
    // The process's state letter; 'X' once it is gone.
    char state(pid_t p) {
        const std::string s = proc("/proc/" + std::to_string(p) + "/stat");
        auto at = s.rfind(')');
        return at == std::string::npos || at + 2 >= s.size() ? 'X' : s[at + 2];
    }
    void type(const char* bytes) { ASSERT_GT(write(master, bytes, std::strlen(bytes)), 0); }

    // The settings now are the settings before the game; every private mode the game switched on
    // it has switched off again (the cursor, which it hides, is shown), every keyboard mode it
    // pushed it has popped, and every synchronized update it began it has ended.
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
        static const std::regex push("\x1b\\[>[0-9]*u"), pop("\x1b\\[<[0-9]*u"),
            sync("\x1b\\[\\?2026h"), unsync("\x1b\\[\\?2026l"), wide("[^\r\n]{81}");
        auto count = [&](const std::regex& r) {
            return std::distance(std::sregex_iterator(out.begin(), out.end(), r), {});
        };
        EXPECT_EQ(count(push), count(pop));
        EXPECT_EQ(count(sync), count(unsync)) << "an update ended that was never begun";
        // What it tells the player once the screen is back fits 80 columns.
        EXPECT_FALSE(std::regex_search(out.substr(out.rfind("\x1b[?1049l") + 8), wide));
    }

    // The program has ended with `status` (as the shell saw it) and given the terminal back.
    void ended(int status, bool given = true) {
        ASSERT_TRUE(pump([&] { return waitpid(leader, nullptr, WNOHANG) == leader; }))
            << "the game did not end";
        leader = pid = player = -1;
        pump([] { return false; }, 100); // the last bytes still in the pseudo-terminal
        int got = -1;
        std::ifstream(dir + "/status") >> got;
        EXPECT_EQ(got, status);
        if (given)
            restored();
    }
};
