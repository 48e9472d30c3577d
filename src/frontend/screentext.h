// Writing the settings screens into the frame buffer.
#pragma once

#include "console/screen.h"

#include <cstdint>

cell& cellat(int row, int col);
// Every cell blank, in this attribute.
void blankscreen(std::uint16_t attr);
// Characters only: the cells keep their attributes.
void puttext(int row, int col, const char* text);
void paintrow(int row, std::uint16_t attr);
// The attributes of the "UI" and "Hl" entries of the colour scheme.
std::uint16_t uiattr();
std::uint16_t hlattr();
