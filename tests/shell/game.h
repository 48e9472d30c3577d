// Games on the headless back end: whole games with scripted keys, or a clean record for one lock.
#pragma once

#include "console/platform/headless.h"
#include "console/screen.h"
#include "newgame.h"
#include "shell/ingamev.h"
#include "shell/random.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace key {
constexpr unsigned char up = 0x26, down = 0x28, left = 0x25, right = 0x27, rotright = 0x58,
                        rotleft = 0x5A, pause = 0x0D, hold = 0xA0;
}

struct stopgame {};

// Plays `mode`, calling `after` once every frame has been presented, until it returns false.
// Returns whether the game itself ended the screen.
inline bool play(unsigned char mode, std::function<bool(std::uint64_t)> after) {
    headless::onframe([&](std::uint64_t n) {
        if (!after(n))
            throw stopgame{};
    });
    try {
        EXPECT_EQ(ingame(mode), 3);
        return true;
    } catch (stopgame&) {
        return false;
    }
}

// Keys held during the frames of a game: {first frame, last frame, key}.
struct held {
    std::uint64_t from, to;
    unsigned char code;
};
inline void script(std::uint64_t next, std::initializer_list<held> holds) {
    headless::releaseall();
    for (auto& h : holds)
        if (next >= h.from && next <= h.to)
            headless::press(h.code);
}

// Every game runs in a folder of its own, where it keeps its settings.
class GameTest : public ::testing::Test {
  protected:
    std::filesystem::path home = std::filesystem::current_path(), dir;
    void SetUp() override {
        auto* t = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              (std::string("dropple-") + t->test_suite_name() + "-" + t->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        headless::reset();
        initscreen();
        seed(7);
        for (int i = 0; i < 8; i++)
            keys[i] = 0, daskeys[i] = arrkeys[i] = 0;
    }
    void TearDown() override {
        headless::onframe(nullptr);
        std::filesystem::current_path(home);
        std::filesystem::remove_all(dir);
    }
};

inline long count(const std::string& sound) {
    return std::count(headless::sounds().begin(), headless::sounds().end(), sound);
}
