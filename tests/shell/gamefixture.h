// Runs whole games on the headless back end in a folder of their own, with scripted keys.
#pragma once

#include "console/platform/headless.h"
#include "console/screen.h"
#include "shell/ingamev.h"
#include "shell/random.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace key {
constexpr unsigned char up = 0x26, down = 0x28, left = 0x25, right = 0x27, rotright = 0x58,
                        rotleft = 0x5A, pause = 0x0D, hold = 0xA0;
}

struct stopgame {};

class GameTest : public ::testing::Test {
  protected:
    std::filesystem::path home, dir;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        home = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() /
              ("dropple-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        headless::reset();
        initscreen();
        seed(7);
        for (int i = 0; i < 8; i++)
            keys[i] = 0, daskeys[i] = 0, arrkeys[i] = 0;
    }
    void TearDown() override {
        headless::onframe(nullptr);
        std::filesystem::current_path(home);
        std::filesystem::remove_all(dir);
    }
    // Plays `mode`, calling `after` once every frame has been presented, until it returns false.
    // Returns whether the game itself ended the screen.
    bool play(unsigned char mode, std::function<bool(std::uint64_t)> after) {
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
};
