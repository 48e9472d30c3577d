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

// Everything the window holds between calls.
struct windowstate {
    SDL_Window* win = nullptr;
    SDL_Renderer* ren = nullptr;
    SDL_Texture* tex = nullptr;
    int scale = 1;
    SDL_Rect place{};           // where the picture sits in the window, in output pixels
    std::vector<Uint32> pixels; // the picture at its scale, as the texture holds it
    cell shown[screenrows * screencols] = {};
    Uint32 colours[16] = {};
    int spanleft[screenrows] = {}, spanright[screenrows] = {}; // changed cells not yet drawn
    bool fresh = false;   // the window needs the whole picture again
    bool changed = false; // some cells changed since the last present
    bool keeps = false;   // the renderer keeps what it drew across presents (the software one does)
    bool focused = true;
};
windowstate state;

void markcell(int x, int y) {
    if (state.spanleft[y] > x)
        state.spanleft[y] = x;
    if (state.spanright[y] < x)
        state.spanright[y] = x;
}

void drawcell(int x, int y) {
    const cell c = state.shown[y * screencols + x];
    const unsigned char* g = windowfont[c.ch & 0xFF];
    const Uint32 fg = state.colours[c.attr & 0x0F], bg = state.colours[(c.attr >> 4) & 0x0F];
    const int stride = picturew * state.scale;
    Uint32* row = state.pixels.data() +
                  static_cast<std::size_t>(y * glyphh * state.scale) * stride +
                  x * glyphw * state.scale;
    for (int gy = 0; gy < glyphh; gy++) {
        Uint32* line = row;
        for (int gx = 0; gx < glyphw; gx++) {
            const Uint32 v = (g[gy] & (0x80 >> gx)) ? fg : bg;
            for (int s = 0; s < state.scale; s++)
                *line++ = v;
        }
        // The other pixel rows of a scaled glyph row are copies of its first.
        for (int s = 1; s < state.scale; s++)
            std::memcpy(row + s * stride, row, sizeof(Uint32) * glyphw * state.scale);
        row += stride * state.scale;
    }
    markcell(x, y);
    state.changed = true;
}

void drawall() {
    for (int y = 0; y < screenrows; y++)
        for (int x = 0; x < screencols; x++)
            drawcell(x, y);
}

void clearspans() {
    for (int y = 0; y < screenrows; y++) {
        state.spanleft[y] = screencols;
        state.spanright[y] = -1;
    }
}

// The largest whole multiple that fits the window's drawable area, the picture centred in it.
void layout() {
    int w = picturew, h = pictureh;
    SDL_GetRendererOutputSize(state.ren, &w, &h);
    int s = std::max(1, std::min(w / picturew, h / pictureh));
    state.place = {(w - picturew * s) / 2, (h - pictureh * s) / 2, picturew * s, pictureh * s};
    if (s != state.scale || !state.tex) {
        state.scale = s;
        if (state.tex)
            SDL_DestroyTexture(state.tex);
        state.tex = SDL_CreateTexture(state.ren, SDL_PIXELFORMAT_RGB888,
                                      SDL_TEXTUREACCESS_STREAMING, picturew * s, pictureh * s);
        // Opaque and in the window's own format, so drawing it is a plain copy.
        SDL_SetTextureBlendMode(state.tex, SDL_BLENDMODE_NONE);
        state.pixels.assign(static_cast<std::size_t>(picturew * s) * pictureh * s, 0);
        drawall();
    }
    state.fresh = true;
}

// The changed cells go into the texture, a band of each row; where the renderer keeps its last
// picture only those bands are drawn again, else the whole picture is.
void show() {
    if (!state.tex || (!state.fresh && !state.changed))
        return;
    const int stride = picturew * state.scale;
    const bool whole = state.fresh || !state.keeps;
    if (whole) {
        SDL_SetRenderDrawColor(state.ren, 0, 0, 0, 255);
        SDL_RenderClear(state.ren);
    }
    for (int y = 0; y < screenrows; y++) {
        if (state.spanright[y] < state.spanleft[y])
            continue;
        SDL_Rect r{state.spanleft[y] * glyphw * state.scale, y * glyphh * state.scale,
                   (state.spanright[y] - state.spanleft[y] + 1) * glyphw * state.scale,
                   glyphh * state.scale};
        SDL_UpdateTexture(state.tex, &r,
                          state.pixels.data() + static_cast<std::size_t>(r.y) * stride + r.x,
                          stride * static_cast<int>(sizeof(Uint32)));
        if (!whole) {
            SDL_Rect to{state.place.x + r.x, state.place.y + r.y, r.w, r.h};
            SDL_RenderCopy(state.ren, state.tex, &r, &to);
        }
    }
    clearspans();
    if (whole)
        SDL_RenderCopy(state.ren, state.tex, nullptr, &state.place);
    SDL_RenderPresent(state.ren);
    state.fresh = false;
    state.changed = false;
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
        if (SDL_GetWindowBordersSize(state.win, &top, &left, &bottom, &right) != 0 || top > 0)
            break;
        SDL_Delay(10);
    }
    const int fits = firstscale(top, left, bottom, right);
    if (fits != s) {
        SDL_SetWindowSize(state.win, picturew * fits, pictureh * fits);
        SDL_SetWindowPosition(state.win, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
}

// Whether the renderer's OpenGL draws on the processor (a virtual machine, no graphics card). It
// must draw the whole window at every change, a quarter of a core for a meter that ticks, where
// SDL's own software renderer draws only the changed cells.
bool drawsonprocessor() {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(state.ren, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0)
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

// The title bar and the task switcher show the game's own icon, not the window manager's.
void seticon() {
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<unsigned char*>(windowicon), windowiconsize, windowiconsize, 32,
        windowiconsize * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon) {
        SDL_SetWindowIcon(state.win, icon);
        SDL_FreeSurface(icon);
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
    state.win =
        SDL_CreateWindow("Dropple", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, picturew * s,
                         pictureh * s, SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (state.win && s > 1)
        fitframe(s);
    if (state.win)
        seticon();
    if (state.win)
        state.ren = SDL_CreateRenderer(state.win, -1, 0);
    if (state.ren && !std::getenv("SDL_RENDER_DRIVER") && drawsonprocessor()) {
        SDL_DestroyRenderer(state.ren);
        // Straight into the window's own pixels, not through OpenGL again; where SDL has no such
        // pixels (Wayland), through OpenGL after all.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        state.ren = SDL_CreateRenderer(state.win, -1, SDL_RENDERER_SOFTWARE);
        if (!state.ren) {
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, nullptr);
            state.ren = SDL_CreateRenderer(state.win, -1, 0);
        }
    }
    if (!state.ren)
        cannotopen(SDL_GetError());
    SDL_SetWindowMinimumSize(state.win, picturew, pictureh);
    SDL_RendererInfo info{};
    state.keeps =
        SDL_GetRendererInfo(state.ren, &info) == 0 && std::strcmp(info.name, "software") == 0;
    state.focused = true;
    clearspans();
    layout();
    windowkeymap();
    show();
}

void windowclose() {
    if (state.tex)
        SDL_DestroyTexture(state.tex);
    if (state.ren)
        SDL_DestroyRenderer(state.ren);
    if (state.win)
        SDL_DestroyWindow(state.win);
    state.tex = nullptr;
    state.ren = nullptr;
    state.win = nullptr;
    std::memset(state.shown, 0, sizeof state.shown);
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
    if (!state.ren)
        return;
    for (int y = std::max<int>(top, 0); y <= bottom && y < screenrows; y++)
        for (int x = std::max<int>(left, 0); x <= right && x < screencols; x++) {
            const cell c = buffer[y * screencols + x];
            cell& s = state.shown[y * screencols + x];
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
        differs = differs || v != state.colours[i];
        state.colours[i] = v;
    }
    // Every cell is drawn again in the new colours; the next present shows them.
    if (differs && !state.pixels.empty())
        drawall();
}

void windowpump(std::uint64_t due) {
    if (!state.ren)
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
                bool full = SDL_GetWindowFlags(state.win) & SDL_WINDOW_FULLSCREEN_DESKTOP;
                SDL_SetWindowFullscreen(state.win, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
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
                state.focused = false;
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                state.focused = true;
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                relayout = true;
                break;
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_RESTORED:
                state.fresh = true;
                break;
            }
            break;
        }
    }
    windowkeysupdate(state.focused, now, due);
    if (relayout)
        layout();
    if (state.fresh)
        show();
}

SDL_Window* windowhandle() {
    return state.win;
}

SDL_Renderer* windowrenderer() {
    return state.ren;
}

int windowscale() {
    return state.scale;
}
