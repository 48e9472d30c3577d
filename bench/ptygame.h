// A program in a pseudo-terminal of 80 by 25, with the benchmark as its terminal: its output is
// read as it comes (so the program never waits on a full terminal), and the start-up questions are
// answered the way a terminal with the keyboard protocol answers them. The pacing benchmark plays
// the game through it; the tests use ptyrun.h.
#pragma once

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// The key reports of the keyboard protocol: a press and a release of a key by its letter form
// (A up, B down, C right, D left) or by its number (13 Return).
inline std::string pressof(char letter) {
    return std::string("\x1b[") + letter;
}
inline std::string releaseof(char letter) {
    return std::string("\x1b[1;1:3") + letter;
}
inline std::string pressof(int number) {
    return "\x1b[" + std::to_string(number) + "u";
}
inline std::string releaseof(int number) {
    return "\x1b[" + std::to_string(number) + ";1:3u";
}

struct ptygame {
    pid_t pid = -1;
    int master = -1;
    std::thread reader;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::string heard; // everything the program wrote, kept when `keep` is on
    bool keep;

    ptygame(const std::vector<std::string>& args, const std::string& dir, bool keepoutput = false)
        : keep(keepoutput) {
        winsize ws{};
        ws.ws_col = 80;
        ws.ws_row = 25;
        pid = forkpty(&master, nullptr, nullptr, &ws);
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0)
                _exit(126);
            // No keys from the X server or the machine's own keyboard: the test is the keyboard.
            unsetenv("DISPLAY");
            setenv("SSH_TTY", "test", 1);
            setenv("TERM", "xterm-256color", 1);
            setenv("COLORTERM", "truecolor", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            // Settings of its own, whatever other tests saved.
            setenv("XDG_DATA_HOME", dir.c_str(), 1);
            std::vector<char*> argv;
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        reader = std::thread([this] { read(); });
    }

    void read() {
        std::string tail;
        bool answered = false;
        char buf[65536];
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            const std::string chunk(buf, static_cast<std::size_t>(n));
            tail += chunk;
            if (!answered && tail.find("\x1b[?u") != std::string::npos) {
                send("\x1b[?0u\x1b[?62;c");
                answered = true;
            }
            if (keep) {
                std::lock_guard<std::mutex> g(lock);
                heard += chunk;
            }
            tail.erase(0, tail.size() > 8 ? tail.size() - 8 : 0);
        }
    }

    // The process that plays: the game forks at start-up and stays on as the guardian of the
    // terminal, so the player is the started process's child once the terminal is taken.
    pid_t player() const {
        const std::string kids =
            "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children";
        for (int i = 0; i < 200; i++) {
            std::ifstream f(kids);
            pid_t child = 0;
            if (f >> child)
                return child;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return pid;
    }

    std::string output() {
        std::lock_guard<std::mutex> g(lock);
        return heard;
    }

    void send(const std::string& bytes) const { (void)!write(master, bytes.data(), bytes.size()); }

    // A key pressed and let go, as separate reports a little apart.
    void tap(const std::string& press, const std::string& release) const {
        send(press);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        send(release);
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }

    ~ptygame() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status;
            for (int i = 0; i < 100 && waitpid(pid, &status, WNOHANG) == 0; i++)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (waitpid(pid, &status, WNOHANG) == 0) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
            }
        }
        stop = true;
        reader.join();
        close(master);
    }
};
