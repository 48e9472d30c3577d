#include "shell/shell.h"

std::uint8_t keys[8];
std::uint32_t daskeys[8];
std::uint32_t arrkeys[8];
