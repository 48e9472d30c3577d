// A private tmux server for tests that read back what a real terminal shows.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

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
            // tmux sets one colour per sequence: 38 or 48 with ;2;R;G;B or ;5;N, 39, 49, 0.
            long v[5] = {};
            std::sscanf(s.c_str() + i + 2, "%ld;%ld;%ld;%ld;%ld", v, v + 1, v + 2, v + 3, v + 4);
            long* c = v[0] == 38 || v[0] == 39 ? &fg : &bg;
            *c = v[0] % 10 == 9 || v[0] == 0 ? -1
                 : v[1] == 5                 ? 0x1000000 + v[2]
                                             : v[2] << 16 | v[3] << 8 | v[4];
            if (v[0] == 0)
                fg = bg = -1;
            i = s.find('m', i) + 1;
        } else {
            std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            rows.back().push_back({s.substr(i, len), fg, bg});
            i += len;
        }
    }
    return rows;
}

// A fresh tmux server and scratch folder for each test, both gone at its end.
class pane : public ::testing::Test {
  protected:
    std::string dir;

    // One 100 by 30 pane running `command` in the scratch folder.
    void open(const std::string& command) {
        if (std::system("command -v tmux >/dev/null 2>&1") != 0) {
            // The project's test command installs tmux: there a missing one is a fault.
            if (std::getenv("DROPPLE_TEST_STRICT"))
                GTEST_FAIL() << "tmux is not installed (DROPPLE_TEST_STRICT is set)";
            GTEST_SKIP() << "tmux is not installed";
        }
        dir = (std::filesystem::temp_directory_path() / "dropple-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        servers++;
        tmux("-f /dev/null new-session -d -s pane -x 100 -y 30 'cd " + dir + " && " + command +
             "'");
        tmux("set-option -g window-size manual \\; set-option -g status off");
    }
    void TearDown() override {
        tmux("kill-server");
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }

    void keys(const std::string& names) { tmux("send-keys -t pane " + names); }
    std::string screen() { return tmux("capture-pane -p -t pane"); }
    bool shows(const std::string& text) { return screen().find(text) != std::string::npos; }
};
