// The window back end on SDL's offscreen driver: what a presented frame looks like, pixel by
// pixel, and how keys reach the game.
#include "console/screen.h"
#include "platform/window/window.h"

#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

// No display is needed: SDL's offscreen driver with its software renderer, unless the caller
// chose others.
const bool offscreen = setenv("SDL_VIDEODRIVER", "offscreen", 0) == 0 &&
                       setenv("SDL_RENDER_DRIVER", "software", 0) == 0;

class window : public ::testing::Test {
  protected:
    cell buffer[screenrows * screencols] = {};
    unsigned char palette[48];

    void SetUp() override {
        windowopen();
        ASSERT_NE(windowrenderer(), nullptr);
        for (int i = 0; i < 48; i++) // every entry distinct and easy to tell apart
            palette[i] = static_cast<unsigned char>(i * 5);
        windowsetpalette(palette);
    }
    void TearDown() override { windowclose(); }

    // The window as presented, in output pixels: its size, the scale and the picture's corner.
    int w = 0, h = 0, s = 1, ox = 0, oy = 0;
    void measure() {
        SDL_GetRendererOutputSize(windowrenderer(), &w, &h);
        s = windowscale(), ox = (w - 640 * s) / 2, oy = (h - 400 * s) / 2;
    }

    // Checks every pixel of a cell against its glyph in the given colours; returns the number of
    // wrong pixels.
    int wrongpixels(int x, int y, unsigned char ch, int fg, int bg) {
        measure();
        std::vector<Uint32> px(static_cast<std::size_t>(w) * h);
        SDL_RenderReadPixels(windowrenderer(), nullptr, SDL_PIXELFORMAT_RGB888, px.data(), w * 4);
        int wrong = 0;
        for (int py = 0; py < 16 * s; py++)
            for (int pxl = 0; pxl < 8 * s; pxl++) {
                const int i = windowfont[ch][py / s] & (0x80 >> (pxl / s)) ? fg : bg;
                const Uint32 want = 0xFF000000u | Uint32(palette[i * 3]) << 16 |
                                    Uint32(palette[i * 3 + 1]) << 8 | palette[i * 3 + 2];
                const Uint32 got =
                    px[static_cast<std::size_t>(oy + y * 16 * s + py) * w + ox + x * 8 * s + pxl];
                wrong += (got | 0xFF000000u) != want;
            }
        return wrong;
    }
};

TEST(windowfont, takesthecodepageglyphs) {
    // The blanks are blank and the full block fills its cell. Box lines reach the cell's edges, so
    // borders join up; the lower half block is just that.
    int blank = 0, full = 0xFF, column = 0xFF;
    for (int r = 0; r < 16; r++) {
        blank |= windowfont[0x00][r] | windowfont[0x20][r] | windowfont[0xFF][r];
        full &= windowfont[0xDB][r];
        column &= windowfont[0xB3][r];
    }
    EXPECT_TRUE(blank == 0 && full == 0xFF && column != 0) << blank << " " << full << " " << column;
    EXPECT_NE(std::memcmp(windowfont[0x41], windowfont[0x42], 16), 0);
    EXPECT_EQ(windowfont[0xC4][8] | windowfont[0xC4][7], 0xFF) << "horizontal line 0xC4";
    EXPECT_TRUE(windowfont[0xDC][0] == 0 && windowfont[0xDC][15] == 0xFF);
}

// Cells show their glyphs in their palette colours, and only the presented rectangle changes; a
// palette change recolours every cell though only a corner is presented after it; the picture
// scales by whole multiples of the window's size and stays centred.
TEST_F(window, drawsglyphsinpalettecoloursinjusttherectanglerecoloursandscales) {
    const std::tuple<int, int, unsigned char, unsigned char> cells[] = {
        {0, 0, 'A', 0x1E},  {79, 24, 0xDB, 0x0C}, {40, 12, 0xB3, 0x70}, {1, 0, 0x01, 0x2F},
        {12, 7, 'g', 0xF0}, {3, 3, 'Q', 0x4E},    {70, 20, 0xB0, 0xE1}};
    for (auto [x, y, ch, attr] : cells)
        buffer[y * screencols + x] = {ch, attr};
    windowpresent(buffer, 0, 0, 79, 24);
    for (auto [x, y, ch, attr] : cells)
        EXPECT_EQ(wrongpixels(x, y, ch, attr & 15, attr >> 4), 0) << "cell " << x << "," << y;
    EXPECT_EQ(wrongpixels(5, 5, 0, 0, 0), 0) << "an untouched cell";
    buffer[10 * screencols + 10] = {'X', 0x0F};
    buffer[24 * screencols + 76] = {'6', 0x0F};
    std::memcpy(palette + 14 * 3, "\1\2\3", 3);
    windowsetpalette(palette);
    windowpresent(buffer, 76, 24, 79, 24);
    EXPECT_EQ(wrongpixels(76, 24, '6', 15, 0), 0);
    EXPECT_EQ(wrongpixels(10, 10, 0, 0, 0), 0) << "a cell outside the rectangle stays as shown";
    EXPECT_EQ(wrongpixels(3, 3, 'Q', 14, 4), 0) << "recoloured";
    EXPECT_EQ(wrongpixels(70, 20, 0xB0, 1, 14), 0) << "recoloured";
    const int sizes[][3] = {{1400, 900, 2}, {700, 1000, 1}, {1950, 1250, 3}, {640, 400, 1}};
    int taken = 0;
    for (auto& [sw, sh, scale] : sizes) {
        SDL_SetWindowSize(windowhandle(), sw, sh);
        windowpump();
        measure();
        if (w != sw || h != sh)
            continue; // the driver would not take this size
        taken++;
        EXPECT_TRUE(windowscale() == scale && wrongpixels(0, 0, 'A', 14, 1) == 0 &&
                    wrongpixels(79, 24, 0xDB, 12, 0) == 0)
            << sw << "x" << sh;
    }
    EXPECT_GE(taken, 3);
}

// Frames present 60 times a second and change a few cells: a present draws again only the cells
// that changed, and one that changes nothing draws nothing. A mark painted over the shown picture
// behind the back end's back tells: any cell drawn again covers it.
TEST_F(window, drawsagainonlythecellsthatchanged) {
    buffer[5 * screencols + 5] = {'M', 0x1F};
    windowpresent(buffer, 0, 0, 79, 24);
    measure();
    auto mark = [&](int x, int y) {
        SDL_Rect r{ox + x * 8 * s, oy + y * 16 * s, 8 * s, 16 * s};
        SDL_SetRenderDrawColor(windowrenderer(), 1, 2, 3, 255);
        SDL_RenderFillRect(windowrenderer(), &r);
    };
    mark(5, 5);
    mark(70, 20);
    for (int frame = 0; frame < 3; frame++) {
        windowpump();
        windowsetpalette(palette);
        windowpresent(buffer, 0, 0, 79, 24);
    }
    EXPECT_EQ(wrongpixels(5, 5, 'M', 15, 1), 8 * s * 16 * s) << "an unchanged frame drew again";
    buffer[12 * screencols + 10] = {'N', 0x2E};
    windowpresent(buffer, 0, 0, 79, 24);
    EXPECT_EQ(wrongpixels(10, 12, 'N', 14, 2), 0);
    EXPECT_EQ(wrongpixels(70, 20, 0, 0, 0), 8 * s * 16 * s) << "a row without changes drew again";
}

TEST(windowkeys, mapstothegameskeycodes) {
    // The ends of the ranges worked out by arithmetic, then the game's own keys and a key it has
    // no code for; the named keys are a plain table.
    const std::pair<SDL_Keycode, int> table[] = {
        {SDLK_a, 0x41},      {SDLK_z, 0x5A},      {SDLK_0, 0x30},    {SDLK_9, 0x39},
        {SDLK_F1, 0x70},     {SDLK_F12, 0x7B},    {SDLK_F13, 0},     {SDLK_LEFT, 0x25},
        {SDLK_UP, 0x26},     {SDLK_RIGHT, 0x27},  {SDLK_DOWN, 0x28}, {SDLK_RETURN, 0x0D},
        {SDLK_LSHIFT, 0xA0}, {SDLK_RSHIFT, 0xA1},
    };
    for (auto [key, vk] : table)
        EXPECT_EQ(windowvk(key), vk) << SDL_GetKeyName(key);
    EXPECT_EQ(windowvkat(SDL_SCANCODE_LEFTBRACKET), 0xDB) << "a layout's own letter there";
}

// A key event, or the window losing the focus.
static void push(Uint32 type, SDL_Scancode sc = SDL_SCANCODE_UNKNOWN) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_WINDOWEVENT) {
        e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
        e.window.windowID = SDL_GetWindowID(windowhandle());
    } else {
        e.key.keysym.scancode = sc;
        e.key.keysym.sym = SDL_GetKeyFromScancode(sc);
    }
    SDL_PushEvent(&e);
}

// Pushed events leave SDL's own key state alone: these are keys already up again. A tap between
// frames counts for one frame, two taps inside one frame for two presses; losing the focus lets go
// of every key.
TEST_F(window, tapsbetweenframesandlostfocus) {
    push(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT);
    for (int i = 0; i < 2; i++) {
        push(SDL_KEYDOWN, SDL_SCANCODE_UP);
        push(SDL_KEYUP, SDL_SCANCODE_UP);
    }
    std::string seen; // per frame: Up, left Shift, either Shift, right Shift
    for (int f = 0; f < 5; f++) {
        windowpump();
        for (unsigned char vk : {0x26, 0xA0, 0x10, 0xA1})
            seen += windowkeydown(vk) ? '#' : '.';
        seen += ' ';
    }
    EXPECT_EQ(seen, "###. .... #... .... .... ");
    push(SDL_KEYDOWN, SDL_SCANCODE_X);
    push(SDL_WINDOWEVENT);
    windowpump();
    EXPECT_FALSE(windowkeydown('X'));
}
