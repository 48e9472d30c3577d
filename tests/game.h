// The game on the headless back end: games as the game itself starts them, and the menu and
// settings screens run by scripted keys. Every test runs in a folder of its own, as the game's
// start and its settings screens read and write the settings file there.
#pragma once

#include "console/screen.h"
#include "frontend/frontend.h"
#include "platform/headless/headless.h"
#include "scratch.h"
#include "shell/ingameloop.h"
#include "shell/ingamev.h"
#include "shell/modes.h"
#include "shell/random.h"
#include "shell/shell.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

// The whole run in a folder of its own, for the tests without a folder per test.
inline scratchdir gamefolder;

// `mode` just started, with the dealt piece taken off the field and nothing heard yet.
inline void newgame(unsigned char mode) {
    headless::reset();
    gamesetup(mode);
    ingamev.active = 0;
    for (int i = 0; i < 4; i++)
        ingamev.piecey[i] = ingamev.ghosty[i] = 255;
    headless::clearrecords();
}

// Piece `p` in play with cell 0 in row `lowest`, the other three in row `row`, side by side from
// column x0.
inline void place(std::uint8_t p, std::uint16_t lowest, std::uint16_t x0, std::uint16_t row = 20) {
    ingamev.current = p, ingamev.active = 1;
    for (std::uint16_t i = 0; i < 4; i++)
        ingamev.piecex[i] = x0 + i, ingamev.piecey[i] = i ? row : lowest, ingamev.ghosty[i] = 3;
}

// The sounds requested since the records were last cleared, separated by spaces.
inline std::string heard() {
    std::string s;
    for (auto& name : headless::sounds())
        s += (s.empty() ? "" : " ") + name;
    return s;
}

using bytes = std::vector<unsigned char>;

// A fresh file, written out by hand: cell kinds (attribute, character), palette, in-game DAS,
// ARR and soft drop, in-game keys, menu DAS and ARR, menu keys.
const char fresh[] =
    "\xA0\xFF\xC0\xFF\xE0\xFF\xB0\xFF\x80\xFF\x90\xFF\xD0\xFF\x70\xFF\x2A\xB1\x4C\xB1\x6E\xB1\x3B"
    "\xB1\x6C\xB1\x19\xB1\x5D\xB1\x07\xB1\xAF\xB1\xCF\xB1\xEF\xB1\xBF\xB1\x8F\xB1\x9F\xB1\xDF\xB1"
    "\x7F\xB1\x70\xB0\x30\xB0\xF0\xFF\x00\x00\x00\x00\x00\xAA\x00\xAA\x00\x00\xAA\xAA\xAA\x00\x00"
    "\xAA\x00\xAA\xAA\xAA\x00\xAA\xAA\xAA\xFF\xAA\x55\x55\x55\xFF\x55\xFF\x55\x55\xFF\xFF\xFF\x55"
    "\x55\xFF\x55\xFF\xFF\xFF\x55\xFF\xFF\xFF\x07\x00\x00\x00\x00\x10\x00\x00\x00\x20\x00\x00\x26"
    "\x28\x25\x27\x58\x5A\x0D\xA0\x08\x00\x00\x00\x01\x00\x00\x00\x26\x28\x25\x27\x58\x5A\x0D\xA0";
const bytes defaults(fresh, fresh + 138);

inline bytes readfile(const char* name = "savefile") {
    return {std::istreambuf_iterator<char>(std::ifstream(name, std::ios::binary).rdbuf()), {}};
}
inline void writefile(const bytes& b, const char* name = "savefile") {
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}
// The characters of a row as shown, or as drawn (`from` the screen) before they are shown.
inline std::string text(int row, int col, int length, const cell* from = headless::display()) {
    std::string s;
    for (int c = col; c < col + length; c++)
        s += static_cast<char>(from[row * 80 + c].ch);
    return s;
}
// Frames of 100 ticks and on frame 30 a stall of 150 ms (900 ticks), with
// `code` pressed `from` ticks after the stall's start (by default 120 ms into
// it) and let go 20 ms after its end. Each is heard once the counter has
// reached it, so the frames that catch up after the stall, which run at once,
// run before the release is heard.
inline std::function<void(std::uint64_t)> stalltap(unsigned char code, std::int64_t from = 720) {
    headless::setclock(6000, 1), cputimersecond = 6000, frameint = 100,
                                 timecounter = headless::now();
    const std::uint64_t at[2] = {timecounter + 3000 + from, timecounter + 3000 + 1020};
    return [=, heard = 0](std::uint64_t n) mutable {
        n == 30 ? headless::advance(900) : void();
        for (; heard < 2 && headless::now() >= at[heard]; heard++)
            headless::hear(code, heard == 0, at[heard]);
    };
}

class ScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::reset();
        std::memset(keys, 0, sizeof keys), std::memset(daskeys, 0, sizeof daskeys);
        std::fill_n(arrkeys, 8, 0);
        seed(7); // the same pieces in every run
    }
    scratchdir here;

    // Runs the screen with `keys` tapped, one a frame and each let go the next
    // ('.' is none; u d l r a b s are the menu keys up, down, left, right, A, B
    // and start), calling `each` first at every frame boundary (counted from 1).
    // Returns the screen's result, or -1 when it was still running after `limit`
    // frames.
    static int run(
        unsigned char (*screenfn)(), std::string keys, std::uint64_t limit = 2000,
        std::function<void(std::uint64_t)> each = [](std::uint64_t) {}) {
        std::uint64_t base = headless::frame();
        headless::onframe([&](std::uint64_t n) {
            if ((n -= base) > limit)
                throw limit;
            each(n);
            const char k = n <= 2 * keys.size() ? keys[(n - 1) / 2] : '.';
            const auto at = std::string("udlrabs").find(k);
            if (k != '.')
                (n % 2 ? headless::press : headless::release)(
                    at == std::string::npos ? k : "\x26\x28\x25\x27\x58\x5A\x0D"[at]);
        });
        int result = -1;
        try {
            result = screenfn();
        } catch (std::uint64_t) {
        }
        headless::onframe(nullptr);
        return result;
    }
};
