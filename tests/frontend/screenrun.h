// Running a settings screen on the headless back end: a fresh folder for "savefile", scripted
// key taps, and a way out of a screen that would never return.
#pragma once

#include "console/platform/headless.h"
#include "frontend/frontend.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace keycode {
constexpr unsigned char up = 0x26, down = 0x28, left = 0x25, right = 0x27, a = 0x58, b = 0x5A,
                        start = 0x0D, lshift = 0xA0, shift = 0x10;
}

class ScreenTest : public ::testing::Test {
  protected:
    std::filesystem::path home, folder;

    void SetUp() override {
        home = std::filesystem::current_path();
        folder = std::filesystem::temp_directory_path() /
                 ("dropple-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        headless::reset();
        std::memset(keys, 0, sizeof keys);
        std::memset(daskeys, 0, sizeof daskeys);
    }
    void TearDown() override {
        headless::onframe(nullptr);
        std::filesystem::current_path(home);
        std::filesystem::remove_all(folder);
    }

    struct stuck {};

    // Runs the screen; `script` is called at every frame boundary, counted from 1 for this run.
    // Returns the screen's result, or -1 when it was still running after `limit` frames.
    int run(unsigned char (*screenfn)(), std::function<void(std::uint64_t)> script,
            std::uint64_t limit = 2000) {
        std::uint64_t base = headless::frame();
        headless::onframe([&](std::uint64_t n) {
            if (n - base > limit)
                throw stuck{};
            script(n - base);
        });
        int result = -1;
        try {
            result = screenfn();
        } catch (stuck&) {
        }
        headless::onframe(nullptr);
        return result;
    }

    // Each code is held for one frame and let go for the next; 0 is a frame with no key.
    static std::function<void(std::uint64_t)> taps(std::vector<unsigned char> codes) {
        return [codes](std::uint64_t n) {
            headless::releaseall();
            if (n % 2 == 1 && n / 2 < codes.size() && codes[n / 2])
                headless::press(codes[n / 2]);
        };
    }

    static std::vector<unsigned char> readfile() {
        std::ifstream in("savefile", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static std::string text(int row, int col, int length) {
        std::string s;
        for (int c = col; c < col + length; c++)
            s += static_cast<char>(headless::display()[row * 80 + c].ch);
        return s;
    }
    static std::uint16_t attrat(int row, int col) {
        return headless::display()[row * 80 + col].attr;
    }
    static std::uint16_t chat(int row, int col) { return headless::display()[row * 80 + col].ch; }
};

inline std::vector<unsigned char> repeat(unsigned char code, int times) {
    return std::vector<unsigned char>(times, code);
}
inline std::vector<unsigned char> operator+(std::vector<unsigned char> a,
                                            const std::vector<unsigned char>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
