// The terminal picture: the cells the game has presented, what the terminal shows, and the bytes
// that take the terminal from the one to the other. No terminal is touched here, so the bytes can
// be produced and checked anywhere.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>

// The UTF-8 form of a code page 437 byte; control bytes get their picture glyphs, so no byte of a
// cell can ever act on the terminal.
const char* glyph(unsigned char ch);

// The nearest entry of the 256-colour palette (16-255; the first 16 belong to the player's theme).
int nearest256(std::uint8_t r, std::uint8_t g, std::uint8_t b);

// Forget everything: a terminal of unknown content, the start-up palette, 24-bit colour or not.
void renderinit(bool truecolor, int cols, int rows);
// The terminal's size has changed (or is confirmed); a change repaints everything.
void rendersize(int cols, int rows);
// The terminal lost its picture (it was given back to the shell for a while).
void renderinvalidate();
// The cells of a rectangle (inclusive corners) of an 80 by 25 buffer, as the game presents them.
void renderput(const cell* buffer, int left, int top, int right, int bottom);
// The 16 palette colours as 48 bytes of red, green, blue.
void renderpalette(const unsigned char* rgb);
// Synchronized update: the terminal shows a frame whole, never half drawn. A frame that opens one
// starts with `syncon` and ends with `syncoff`.
inline constexpr char syncon[] = "\x1b[?2026h";
inline constexpr char syncoff[] = "\x1b[?2026l";
// The bytes that bring the terminal up to date, empty when it already is; afterwards the picture
// counts as shown. The string is reused by the next call.
const std::string& renderframe();
