// Running a settings screen on the headless back end: a fresh folder for "savefile", scripted
// key taps, and a way out of a screen that would never return.
#pragma once

#include "console/platform/headless.h"
#include "frontend/frontend.h"
#include "shell/shell.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

using bytes = std::vector<unsigned char>;
using script = std::function<void(std::uint64_t)>;

class ScreenTest : public tempdir {
  protected:
    const bytes defaults{defaultsettings, defaultsettings + 138};

    void SetUp() override {
        tempdir::SetUp();
        headless::reset();
        std::memset(keys, 0, sizeof keys);
        std::memset(daskeys, 0, sizeof daskeys);
    }

    // Runs the screen, calling `each` at every frame boundary (counted from 1). Returns the
    // screen's result, or -1 when it was still running after `limit` frames.
    static int run(unsigned char (*screenfn)(), script each, std::uint64_t limit = 2000) {
        struct stuck {};
        std::uint64_t base = headless::frame();
        headless::onframe([&](std::uint64_t n) {
            if (n - base > limit)
                throw stuck{};
            each(n - base);
        });
        int result = -1;
        try {
            result = screenfn();
        } catch (stuck&) {
        }
        headless::onframe(nullptr);
        return result;
    }

    // One key per character, held for a frame and let go for the next: u d l r a b s are the
    // menu keys up, down, left, right, A, B and start; '.' is no key; anything else is its own
    // code.
    static script taps(std::string keys) {
        return [keys](std::uint64_t n) {
            static const std::string menu = "udlrabs";
            static const bytes codes = {0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D};
            headless::releaseall();
            if (n % 2 == 0 || n / 2 >= keys.size() || keys[n / 2] == '.')
                return;
            auto slot = menu.find(keys[n / 2]);
            headless::press(slot == std::string::npos ? keys[n / 2] : codes[slot]);
        };
    }

    static bytes readfile() { return ::readfile("savefile"); }
    static std::string text(int row, int col, int length) {
        std::string s;
        for (int c = col; c < col + length; c++)
            s += static_cast<char>(headless::display()[row * 80 + c].ch);
        return s;
    }
    static int attrat(int row, int col) { return headless::display()[row * 80 + col].attr; }
};

constexpr int ui = 0x70, hl = 0x30;
