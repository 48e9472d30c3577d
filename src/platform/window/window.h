// Shared between the files of the window back end, and open to its tests and benchmark.
#pragma once

#include <cstdint>

struct SDL_Window;
struct SDL_Renderer;

// The picture of every code page 437 byte, 8 by 16 pixels, a byte per row, leftmost pixel in the
// top bit (made at build time from GNU Unifont).
extern const unsigned char windowfont[256][16];
// The game's icon, windowiconsize pixels square, four bytes (red, green, blue, alpha) a pixel,
// rows top to bottom (drawn at build time by tools/iconsgen).
extern const int windowiconsize;
extern const unsigned char windowicon[];

// The game's virtual-key code for an SDL key code under the current layout, 0 for none.
unsigned char windowvk(std::int32_t keycode);
// The code for a key by its place on the keyboard, for keys the layout gives no known code.
unsigned char windowvkat(int scancode);

// Keys (keys.cpp): the layout's codes are read again when it changes.
void windowkeymap();
// A press or release event, taken from SDL's queue at counter time `at`. Events wait their turn:
// at each frame a key takes at most one, and only one taken before the frame is due to end
// (`due`), so a tap between two frames reads down for one frame and up the next, and frames that
// catch up after a stall see no key before they would have.
void windowkeyevent(int scancode, bool pressed, std::uint64_t at);
void windowkeysupdate(bool focused, std::uint64_t at, std::uint64_t due);
bool windowkeydown(unsigned char code);

// Picture and events (video.cpp).
SDL_Window* windowhandle();
SDL_Renderer* windowrenderer();
int windowscale();
struct cell;
void windowopen();
void windowclose();
void windowpresent(const cell* buffer, short left, short top, short right, short bottom);
void windowsetpalette(const unsigned char* rgb);
void windowpump(std::uint64_t due = UINT64_MAX); // by default, every key heard so far is due
bool windowleaving();

// The whole window back end, as the Linux program opens it.
struct backend;
extern const backend windowbackend;
