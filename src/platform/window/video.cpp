// The game in a window of its own: 80 by 25 cells drawn from the font into a streaming texture,
// scaled by whole multiples and centred.
#include "platform/platform.h"
#include "platform/window/window.h"

#include <SDL.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

constexpr int glyphw = 8, glyphh = 16;
constexpr int picturew = screencols * glyphw, pictureh = screenrows * glyphh;

SDL_Window* win;
SDL_Renderer* ren;
SDL_Texture* tex;
int scale = 1;
SDL_Rect place;             // where the picture sits in the window, in output pixels
std::vector<Uint32> pixels; // the picture at its scale, as the texture holds it
cell shown[screenrows * screencols];
Uint32 colours[16];
int spanleft[screenrows], spanright[screenrows]; // changed cells not yet in the texture
bool fresh;                                      // the window needs the whole picture again
bool changed;                                    // some cells changed since the last present
bool keeps; // the renderer keeps what it drew across presents (the software one does)
bool focused = true;

void markcell(int x, int y) {
    if (spanleft[y] > x)
        spanleft[y] = x;
    if (spanright[y] < x)
        spanright[y] = x;
}

void drawcell(int x, int y) {
    const cell c = shown[y * screencols + x];
    const unsigned char* g = windowfont[c.ch & 0xFF];
    const Uint32 fg = colours[c.attr & 0x0F], bg = colours[(c.attr >> 4) & 0x0F];
    const int stride = picturew * scale;
    Uint32* row =
        pixels.data() + static_cast<std::size_t>(y * glyphh * scale) * stride + x * glyphw * scale;
    for (int gy = 0; gy < glyphh; gy++) {
        Uint32* line = row;
        for (int gx = 0; gx < glyphw; gx++) {
            const Uint32 v = (g[gy] & (0x80 >> gx)) ? fg : bg;
            for (int s = 0; s < scale; s++)
                *line++ = v;
        }
        // The other pixel rows of a scaled glyph row are copies of its first.
        for (int s = 1; s < scale; s++)
            std::memcpy(row + s * stride, row, sizeof(Uint32) * glyphw * scale);
        row += stride * scale;
    }
    markcell(x, y);
    changed = true;
}

void drawall() {
    for (int y = 0; y < screenrows; y++)
        for (int x = 0; x < screencols; x++)
            drawcell(x, y);
}

void clearspans() {
    for (int y = 0; y < screenrows; y++) {
        spanleft[y] = screencols;
        spanright[y] = -1;
    }
}

// The largest whole multiple that fits the window's drawable area, the picture centred in it.
void layout() {
    int w = picturew, h = pictureh;
    SDL_GetRendererOutputSize(ren, &w, &h);
    int s = std::max(1, std::min(w / picturew, h / pictureh));
    place = {(w - picturew * s) / 2, (h - pictureh * s) / 2, picturew * s, pictureh * s};
    if (s != scale || !tex) {
        scale = s;
        if (tex)
            SDL_DestroyTexture(tex);
        tex = SDL_CreateTexture(ren, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                picturew * s, pictureh * s);
        // Opaque and in the window's own format, so drawing it is a plain copy.
        SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_NONE);
        pixels.assign(static_cast<std::size_t>(picturew * s) * pictureh * s, 0);
        drawall();
    }
    fresh = true;
}

// The changed cells go into the texture, a band of each row; where the renderer keeps its last
// picture only those bands are drawn again, else the whole picture is.
void show() {
    if (!tex || (!fresh && !changed))
        return;
    const int stride = picturew * scale;
    const bool whole = fresh || !keeps;
    if (whole) {
        SDL_SetRenderDrawColor(ren, 0, 0, 0, 255);
        SDL_RenderClear(ren);
    }
    for (int y = 0; y < screenrows; y++) {
        if (spanright[y] < spanleft[y])
            continue;
        SDL_Rect r{spanleft[y] * glyphw * scale, y * glyphh * scale,
                   (spanright[y] - spanleft[y] + 1) * glyphw * scale, glyphh * scale};
        SDL_UpdateTexture(tex, &r, pixels.data() + static_cast<std::size_t>(r.y) * stride + r.x,
                          stride * static_cast<int>(sizeof(Uint32)));
        if (!whole) {
            SDL_Rect to{place.x + r.x, place.y + r.y, r.w, r.h};
            SDL_RenderCopy(ren, tex, &r, &to);
        }
    }
    clearspans();
    if (whole)
        SDL_RenderCopy(ren, tex, nullptr, &place);
    SDL_RenderPresent(ren);
    fresh = false;
    changed = false;
}

// The largest picture, up to twice the font's size, whose window with its frame fits the
// desktop's usable area (the screen less panels and docks).
int firstscale(int top, int left, int bottom, int right) {
    SDL_Rect room;
    if (SDL_GetDisplayUsableBounds(0, &room) != 0)
        return 2;
    return picturew * 2 + left + right <= room.w && pictureh * 2 + top + bottom <= room.h ? 2 : 1;
}

// The frame a window manager puts around the window is known only once it has framed it, shortly
// after the window appears. Where the picture at twice the size leaves room for any title bar
// there is nothing to wait for; else the game waits for the frame, a fifth of a second at most,
// and falls back to the font's size if the frame does not fit. Where SDL cannot tell the frame
// (Wayland, whose windows draw their own) the window stays as it is.
void fitframe(int s) {
    SDL_Rect room;
    if (SDL_GetDisplayUsableBounds(0, &room) != 0 || pictureh * s + 100 <= room.h)
        return;
    int top = 0, left = 0, bottom = 0, right = 0;
    for (int waited = 0; waited < 200; waited += 10) {
        SDL_PumpEvents();
        if (SDL_GetWindowBordersSize(win, &top, &left, &bottom, &right) != 0 || top > 0)
            break;
        SDL_Delay(10);
    }
    const int fits = firstscale(top, left, bottom, right);
    if (fits != s) {
        SDL_SetWindowSize(win, picturew * fits, pictureh * fits);
        SDL_SetWindowPosition(win, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
}

// Whether the renderer's OpenGL draws on the processor (a virtual machine, no graphics card). It
// must draw the whole window at every change, a quarter of a core for a meter that ticks, where
// SDL's own software renderer draws only the changed cells.
bool drawsonprocessor() {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(ren, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    using glstring = const unsigned char* (*)(unsigned int);
    const auto get = reinterpret_cast<glstring>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = get ? get(0x1F01) : nullptr; // GL_RENDERER
    const char* n = reinterpret_cast<const char*>(name);
    return n &&
           (std::strstr(n, "llvmpipe") || std::strstr(n, "softpipe") || std::strstr(n, "Software"));
}

[[noreturn]] void cannotopen(const char* why) {
    std::fprintf(stderr, "dropple: no window can be opened here (%s); play without --window.\n",
                 why);
    std::exit(1);
}

// Closing the window is the player's way out, as Ctrl-C is in a terminal: the game hears of it at
// the next frame and finishes first. So do Ctrl-C, a request to end and a hang-up of the terminal
// that started the game, which then ends as that signal ends any program.
bool closedbyplayer = false;
volatile sig_atomic_t leaveby = 0;
constexpr int leavesignals[] = {SIGINT, SIGTERM, SIGHUP};
bool taken[3]; // which of them are the window's (one ignored from the start stays ignored)

void onleave(int sig) {
    if (!leaveby)
        leaveby = sig;
}

void endasleft() {
    std::fflush(nullptr);
    std::signal(leaveby, SIG_DFL);
    raise(leaveby);
    _exit(128 + leaveby);
}

void takesignals(bool take) {
    for (int i = 0; i < 3; i++) {
        struct sigaction now {};
        if (take && sigaction(leavesignals[i], nullptr, &now) == 0 && now.sa_handler == SIG_DFL) {
            struct sigaction sa {};
            sa.sa_handler = onleave;
            sa.sa_flags = SA_RESTART;
            sigemptyset(&sa.sa_mask);
            taken[i] = sigaction(leavesignals[i], &sa, nullptr) == 0;
        } else if (!take && taken[i]) {
            std::signal(leavesignals[i], SIG_DFL);
            taken[i] = false;
        }
    }
}

} // namespace

void windowopen() {
    // SDL's own handlers would make Ctrl-C a closed window; the game's tell them apart.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    takesignals(true);
    // The game paces itself: presenting never waits for the display.
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // Without a desktop to ask, SDL's drivers would only complain on stderr before failing.
    const bool desktop = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (!desktop && !std::getenv("SDL_VIDEODRIVER"))
        cannotopen("no display");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        cannotopen(SDL_GetError());
    // Without a desktop SDL falls back to drivers that show nothing; only a caller that asks for
    // one by name (a test) gets it.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        !std::getenv("SDL_VIDEODRIVER"))
        cannotopen("no display");
    // Under X, SDL's software renderer draws into the window's shared-memory image and no GL
    // driver is loaded: a GL driver costs tens of megabytes and more CPU for a picture that changes
    // a few cells a frame. Each present puts the whole finished picture at once, so nothing shows
    // half-drawn. Wayland has no such image in SDL, and its software renderer would go through GL
    // anyway, so there SDL's choice stands. The player's own SDL_RENDER_DRIVER and
    // SDL_FRAMEBUFFER_ACCELERATION still win over these.
    if (driver && std::strcmp(driver, "x11") == 0) {
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    int s = firstscale(0, 0, 0, 0);
    win = SDL_CreateWindow("Dropple", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, picturew * s,
                           pictureh * s, SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (win && s > 1)
        fitframe(s);
    if (win)
        ren = SDL_CreateRenderer(win, -1, 0);
    if (ren && !std::getenv("SDL_RENDER_DRIVER") && drawsonprocessor()) {
        SDL_DestroyRenderer(ren);
        // Straight into the window's own pixels, not through OpenGL again; where SDL has no such
        // pixels (Wayland), through OpenGL after all.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        ren = SDL_CreateRenderer(win, -1, SDL_RENDERER_SOFTWARE);
        if (!ren) {
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, nullptr);
            ren = SDL_CreateRenderer(win, -1, 0);
        }
    }
    if (!ren)
        cannotopen(SDL_GetError());
    SDL_SetWindowMinimumSize(win, picturew, pictureh);
    SDL_RendererInfo info{};
    keeps = SDL_GetRendererInfo(ren, &info) == 0 && std::strcmp(info.name, "software") == 0;
    focused = true;
    clearspans();
    layout();
    windowkeymap();
    show();
}

void windowclose() {
    if (tex)
        SDL_DestroyTexture(tex);
    if (ren)
        SDL_DestroyRenderer(ren);
    if (win)
        SDL_DestroyWindow(win);
    tex = nullptr;
    ren = nullptr;
    win = nullptr;
    std::memset(shown, 0, sizeof shown);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    takesignals(false);
    static bool once = false;
    if (leaveby && !once) {
        once = true;
        std::atexit(endasleft);
    }
}

bool windowleaving() {
    return closedbyplayer || leaveby;
}

void windowpresent(const cell* buffer, short left, short top, short right, short bottom) {
    if (!ren)
        return;
    for (int y = std::max<int>(top, 0); y <= bottom && y < screenrows; y++)
        for (int x = std::max<int>(left, 0); x <= right && x < screencols; x++) {
            const cell c = buffer[y * screencols + x];
            cell& s = shown[y * screencols + x];
            if ((c.ch & 0xFF) != (s.ch & 0xFF) || (c.attr & 0xFF) != (s.attr & 0xFF)) {
                s = c;
                drawcell(x, y);
            }
        }
    show();
}

void windowsetpalette(const unsigned char* rgb) {
    bool differs = false;
    for (int i = 0; i < 16; i++) {
        Uint32 v = 0xFF000000u | Uint32(rgb[i * 3]) << 16 | Uint32(rgb[i * 3 + 1]) << 8 |
                   Uint32(rgb[i * 3 + 2]);
        differs = differs || v != colours[i];
        colours[i] = v;
    }
    // Every cell is drawn again in the new colours; the next present shows them.
    if (differs && !pixels.empty())
        drawall();
}

void windowpump(std::uint64_t due) {
    if (!ren)
        return;
    bool relayout = false;
    // A key is timed when it is taken here: SDL reads the display's events only when asked, so
    // its own stamps say no more, and the game's counter is the time the frames keep.
    const std::uint64_t now = ticks();
    for (SDL_Event e; SDL_PollEvent(&e);) {
        switch (e.type) {
        case SDL_QUIT:
            closedbyplayer = true;
            break;
        case SDL_KEYDOWN:
            if (e.key.repeat)
                break;
            windowkeyevent(e.key.keysym.scancode, true, now);
            if (e.key.keysym.sym == SDLK_F11) {
                bool full = SDL_GetWindowFlags(win) & SDL_WINDOW_FULLSCREEN_DESKTOP;
                SDL_SetWindowFullscreen(win, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
            }
            break;
        case SDL_KEYUP:
            windowkeyevent(e.key.keysym.scancode, false, now);
            break;
        case SDL_KEYMAPCHANGED:
            windowkeymap();
            break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
            case SDL_WINDOWEVENT_FOCUS_LOST:
                focused = false;
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                focused = true;
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                relayout = true;
                break;
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_RESTORED:
                fresh = true;
                break;
            }
            break;
        }
    }
    windowkeysupdate(focused, now, due);
    if (relayout)
        layout();
    if (fresh)
        show();
}

SDL_Window* windowhandle() {
    return win;
}

SDL_Renderer* windowrenderer() {
    return ren;
}

int windowscale() {
    return scale;
}
