// A fresh empty folder, the working folder while the object lives, removed with all it holds after.
#pragma once

#include <filesystem>
#include <random>
#include <string>

struct scratchdir {
    std::filesystem::path before = std::filesystem::current_path(), dir;

    scratchdir() {
        std::random_device pick;
        do
            dir =
                std::filesystem::temp_directory_path() / ("dropple-test-" + std::to_string(pick()));
        while (!std::filesystem::create_directory(dir));
        std::filesystem::current_path(dir);
    }
    ~scratchdir() {
        std::filesystem::current_path(before);
        std::filesystem::remove_all(dir);
    }
};
