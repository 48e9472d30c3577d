// A private tmux server for tests that read back what a real terminal shows, and a shell in its
// pane that starts a program and checks that the terminal is given back exactly as it was.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

inline std::string slurp(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

template <class F> bool waitfor(F done, int ms = 5000) {
    for (int i = 0; i < ms / 20 && !done(); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return done();
}

// One server per test, so a server still going down never meets the next test.
inline int servers = 0;

inline std::string tmux(const std::string& args) {
    std::string cmd = "tmux -L dropple-test-" + std::to_string(getpid()) + "-" +
                      std::to_string(servers) + " " + args + " 2>/dev/null";
    std::string result;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            result.append(buf, n);
        pclose(p);
    }
    return result;
}

// One cell as tmux holds it: its text and colours (-1: the terminal's default; 0xRRGGBB, or
// 0x1000000 + index for the 256-colour palette).
struct vtcell {
    std::string text;
    long fg = -1, bg = -1;
};

inline void sgr(const std::string& params, long* fg, long* bg) {
    std::vector<long> p;
    std::istringstream in(params);
    for (std::string n; std::getline(in, n, ';');)
        p.push_back(std::atol(n.c_str()));
    if (p.empty())
        p.push_back(0);
    for (std::size_t k = 0; k < p.size(); k++) {
        long* c = p[k] == 38 || p[k] == 39 ? fg : bg;
        if (p[k] == 0) {
            *fg = *bg = -1;
        } else if (p[k] == 39 || p[k] == 49) {
            *c = -1;
        } else if ((p[k] == 38 || p[k] == 48) && k + 2 < p.size() && p[k + 1] == 5) {
            *c = 0x1000000 + p[k + 2];
            k += 2;
        } else if ((p[k] == 38 || p[k] == 48) && k + 4 < p.size()) {
            *c = p[k + 2] << 16 | p[k + 3] << 8 | p[k + 4];
            k += 4;
        }
    }
}

// The pane's screen as cells, rows by columns.
inline std::vector<std::vector<vtcell>> tmuxcells() {
    std::string s = tmux("capture-pane -p -e -N -t pane");
    std::vector<std::vector<vtcell>> rows(1);
    long fg = -1, bg = -1;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        if (b == '\n') {
            rows.emplace_back();
            i++;
        } else if (b == 0x1b) {
            std::size_t j = i + 2;
            while (j < s.size() && !(s[j] >= 0x40 && s[j] <= 0x7E))
                j++;
            if (j < s.size() && s[j] == 'm')
                sgr(s.substr(i + 2, j - i - 2), &fg, &bg);
            i = j + 1;
        } else {
            std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            rows.back().push_back({s.substr(i, len), fg, bg});
            i += len;
        }
    }
    if (rows.back().empty())
        rows.pop_back();
    return rows;
}

// A fresh tmux server and scratch folder for each test, both gone at its end.
class pane : public ::testing::Test {
  protected:
    std::string dir;
    int program = 0; // started from the pane's shell; killed if the test ends early
    int checks = 0;

    // One 100 by 30 pane running `command` in the scratch folder.
    void open(const std::string& command) {
        if (std::system("command -v tmux >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "tmux is not installed";
        std::string t = (std::filesystem::temp_directory_path() / "dropple-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(t.data()), nullptr);
        dir = t;
        servers++;
        tmux("-f /dev/null new-session -d -s pane -x 100 -y 30 'cd " + dir + " && " + command +
             "'");
        tmux("set-option -g window-size manual");
        tmux("set-option -g status off");
    }
    void TearDown() override {
        if (program > 0)
            kill(program, SIGKILL);
        tmux("kill-server");
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }

    // A bare shell, with the terminal's settings noted before anything runs. Keys come only
    // through the pane: no X display whose key map a program could read instead.
    void openshell() {
        open("unset DISPLAY && PS1=\\$\\  exec bash --norc --noprofile");
        if (IsSkipped() || HasFatalFailure())
            return;
        type("stty -a > before; echo ready");
        ASSERT_TRUE(waitfor([&] { return shows("\nready"); }));
    }
    void type(const std::string& line) {
        tmux("send-keys -t pane -l '" + line + "'");
        tmux("send-keys -t pane Enter");
    }
    void keys(const std::string& names) { tmux("send-keys -t pane " + names); }
    std::string screen() { return tmux("capture-pane -p -t pane"); }
    bool shows(const std::string& text) { return screen().find(text) != std::string::npos; }
    std::string flag(const char* name) {
        std::string v = tmux(std::string("display -p -t pane '#{") + name + "}'");
        return v.substr(0, v.find('\n'));
    }

    // Starts a program from the shell and waits until it has the alternate screen.
    void start(const std::string& command) {
        type(command);
        ASSERT_TRUE(waitfor([&] { return flag("alternate_on") == "1"; }));
        std::string shell = flag("pane_pid");
        ASSERT_TRUE(waitfor([&] {
            return (program = std::atoi(
                        slurp("/proc/" + shell + "/task/" + shell + "/children").c_str())) > 0;
        }));
    }

    // The program has ended with `status`; the terminal's modes, settings and screen are as they
    // were before it started.
    void restored(const std::string& status) {
        ASSERT_TRUE(
            waitfor([&] { return !std::filesystem::exists("/proc/" + std::to_string(program)); }));
        program = 0;
        EXPECT_EQ(flag("alternate_on"), "0");
        EXPECT_EQ(flag("cursor_flag"), "1");
        std::string done = "checked" + std::to_string(++checks);
        type("echo status=$? > status; stty -a > after; echo " + done);
        ASSERT_TRUE(waitfor([&] { return shows("\n" + done); }));
        EXPECT_EQ(slurp(dir + "/status"), "status=" + status + "\n");
        EXPECT_EQ(slurp(dir + "/before"), slurp(dir + "/after"));
        std::string s = screen();
        EXPECT_NE(s.find("echo ready"), std::string::npos) << s;
        EXPECT_EQ(s.find("Dropple 5"), std::string::npos) << s;
    }
};
