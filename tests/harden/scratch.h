// A scratch folder that is the working folder for one test, as the game's own folder is.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

class scratch : public ::testing::Test {
  protected:
    void SetUp() override {
        before = std::filesystem::current_path();
        std::string d = (std::filesystem::temp_directory_path() / "dropple-harden-XXXXXX").string();
        ASSERT_NE(mkdtemp(d.data()), nullptr);
        dir = d;
        std::filesystem::current_path(dir);
        // With no data folder to go to, the settings file is the working folder's, as in a
        // folder that already holds one.
        setenv("XDG_DATA_HOME", "", 1);
        setenv("HOME", "", 1);
        alarm(20); // a test that blocks on a file dies instead of hanging
    }
    void TearDown() override {
        alarm(0);
        std::filesystem::current_path(before);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path before, dir;
};
