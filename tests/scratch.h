// A fresh empty folder, the working folder while the object lives, removed with all it holds after;
// and the fixture that gives each test one, as the game's own folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#ifndef _WIN32
#include <unistd.h>
#endif

struct scratchdir {
    std::filesystem::path before = std::filesystem::current_path(), dir;
    scratchdir() {
        while (!std::filesystem::create_directory(
            dir = std::filesystem::temp_directory_path() /
                  ("dropple-test-" + std::to_string(std::random_device()()))))
            ;
        std::filesystem::current_path(dir);
    }
    ~scratchdir() { std::filesystem::current_path(before), std::filesystem::remove_all(dir); }
};

// A whole file as it is on disk, and a file made of exactly these bytes.
inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}
inline void put(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

#ifndef _WIN32 // the back ends' own tests, which only the Linux build has
class scratch : public ::testing::Test {
  protected:
    void SetUp() override {
        // With no data folder to go to, the settings file is the working folder's, as in a
        // folder that already holds one.
        setenv("XDG_DATA_HOME", "", 1), setenv("HOME", "", 1);
        alarm(20); // a test that blocks on a file dies instead of hanging
    }
    void TearDown() override { alarm(0); }
    scratchdir here;
};
#endif
