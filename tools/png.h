// Writing 8-bit RGBA PNG files, for the icons the build draws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The PNG file's bytes; rgba holds w * h pixels, four bytes each, rows top to bottom.
std::vector<std::uint8_t> pngbytes(int w, int h, const std::vector<std::uint8_t>& rgba);
// The same, written to a file.
bool writepng(const std::string& path, int w, int h, const std::vector<std::uint8_t>& rgba);
