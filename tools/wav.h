// Writing 16-bit PCM mono WAV files at the synthesiser's rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool writewav(const std::string& path, const std::vector<std::int16_t>& samples);
