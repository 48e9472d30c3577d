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

// One frame of the up, down, left and right menu keys moving a cursor over `lastrow` + 1 rows and
// `lastcolumn` + 1 columns; `mark` paints a place in an attribute. Every key is polled every frame,
// so its repeat counter runs even where the cursor cannot move.
void movecursor(int& row, int& column, int lastrow, int lastcolumn,
                void (*mark)(int row, int column, std::uint16_t attr));

// Whether any key is down.
bool anydown();
// Frames shown in this way until every key is up, or until one is down; false when the player
// leaves the program meanwhile.
bool waitrelease(unsigned char mode);
bool waitpress(unsigned char mode);
// After "Save & Quit": a save that failed says so on the screen's last row but one, and waits for a
// key, so the player never leaves believing the change kept.
void tellunsaved();
