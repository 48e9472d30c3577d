// A fresh empty working folder for one test, so "savefile" never leaks between tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

inline std::vector<unsigned char> readfile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline void writefile(const char* name, const std::vector<unsigned char>& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class tempdir : public ::testing::Test {
  protected:
    void SetUp() override {
        old = std::filesystem::current_path();
        std::random_device rd;
        dir = std::filesystem::temp_directory_path() /
              ("dropple-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        std::filesystem::current_path(old);
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::filesystem::path old, dir;
};
