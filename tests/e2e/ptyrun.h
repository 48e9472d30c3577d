// A program started by a plain `sh -c` in a pseudo-terminal of 80 by 25 that the caller holds: no
// interactive shell mends what the program leaves behind, and the shell notes the status it saw.
// The game forks at start-up and stays on as the guardian of the terminal, so the process the
// shell started is the guardian and its one child the player. Used by the tests and the
// benchmarks alike.
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

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
    // reads until `ready` is shown; false when it never is. The session leader stays in its own
    // process group, so the program's group is not orphaned and Ctrl-Z may stop it, as under any
    // terminal.
    bool start(std::vector<std::string> args, const char* ready = "Dropple 5 Death",
               bool controlling = true) {
        winsize ws{25, 80, 0, 0};
        if (dir.empty() || openpty(&master, &slave, nullptr, nullptr, &ws) != 0 ||
            tcgetattr(slave, &before) != 0)
            return false;
        leader = fork();
        if (leader == 0) {
            setsid();
            if (controlling)
                ioctl(slave, TIOCSCTTY, 0);
            close(master); // the terminal is lost when the caller closes its side
            pid_t g = fork();
            if (g == 0) {
                // In the foreground before the program starts: no race with its first look.
                setpgid(0, 0);
                auto was = signal(SIGTTOU, SIG_IGN);
                tcsetpgrp(slave, getpid());
                signal(SIGTTOU, was);
                dup2(slave, 0), dup2(slave, 1), dup2(slave, 2);
                close(slave);
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
            while (waitpid(g, nullptr, 0) < 0 && errno == EINTR) {
            }
            _exit(0);
        }
        // A program that says its piece and ends at once may be gone before it is found.
        auto found = [&] {
            return (shell = firstchild(leader)) > 0 && (pid = firstchild(shell)) > 0;
        };
        if (!pump([&] { return found() || shown(ready); }) ||
            !pump([&] { return shown(ready); }, 10000))
            return false;
        // Without a guardian (no terminal taken yet), the started process plays.
        player = firstchild(pid);
        if (player <= 0)
            player = pid;
        return true;
    }

    ~ptyrun() {
        for (pid_t p : {player, pid})
            if (p > 0)
                kill(p, SIGKILL), kill(p, SIGCONT);
        if (leader > 0)
            kill(leader, SIGKILL), waitpid(leader, nullptr, 0);
        for (int fd : {master, slave})
            if (fd >= 0)
                close(fd);
        // Whatever the test left running may still be writing there.
        std::error_code ec;
        if (!dir.empty())
            std::filesystem::remove_all(dir, ec);
    }

    // A file of /proc, or nothing once its process is gone: reading a vanished process's file
    // fails, and the standard streams throw on that.
    static std::string proc(const std::string& path) {
        std::string s;
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        char buf[4096];
        for (ssize_t n; fd >= 0 && (n = ::read(fd, buf, sizeof buf)) > 0;)
            s.append(buf, std::size_t(n));
        if (fd >= 0)
            close(fd);
        return s;
    }
    // A process's children, the oldest first.
    static std::vector<pid_t> children(pid_t p) {
        std::vector<pid_t> all;
        std::istringstream in(
            proc("/proc/" + std::to_string(p) + "/task/" + std::to_string(p) + "/children"));
        for (pid_t c; in >> c;)
            all.push_back(c);
        return all;
    }
    static pid_t firstchild(pid_t p) {
        const auto all = children(p);
        return all.empty() ? 0 : all[0];
    }
    // The process's state letter; 'X' once it is gone.
    static char state(pid_t p) {
        const std::string s = proc("/proc/" + std::to_string(p) + "/stat");
        auto at = s.rfind(')');
        return at == std::string::npos || at + 2 >= s.size() ? 'X' : s[at + 2];
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
                type(answer), answer.clear();
        }
        return true;
    }
    void wait(int ms) {
        pump([] { return false; }, ms);
    }
    bool shown(const std::string& s, std::size_t from = 0) const {
        return out.find(s, from) != std::string::npos;
    }
    // Runs `command` by `sh` in the folder, and returns what it wrote to either stream; its status
    // goes to `status`, if given.
    std::string said(const std::string& command, int* status = nullptr) const {
        const int st = std::system(("cd " + dir + " && " + command + " >said 2>&1").c_str());
        if (status)
            *status = st;
        return proc(dir + "/said");
    }
    // Held by a debugger, unseen by its parent and unable to run, until detached.
    static bool hold(pid_t p, long options = 0) {
        int st = 0;
        return ptrace(PTRACE_SEIZE, p, nullptr, options) == 0 &&
               ptrace(PTRACE_INTERRUPT, p, nullptr, nullptr) == 0 && waitpid(p, &st, __WALL) == p &&
               WIFSTOPPED(st);
    }
    // Sends `bytes` as if typed, then reads on for `ms`.
    bool type(const std::string& bytes, int ms = 0) {
        const bool sent = write(master, bytes.data(), bytes.size()) == ssize_t(bytes.size());
        if (ms > 0)
            wait(ms);
        return sent;
    }
};
