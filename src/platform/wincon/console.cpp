// The Windows console: code page 437 cells written straight into the console's buffer, its size
// and cursor, and its 16-colour table. Whatever the game changes is put back when it ends, by
// Ctrl-C, Ctrl-Break or the console window closing too.
#include "platform/fixed.h"
#include "platform/platform.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <windows.h>

namespace {

struct saved {
    bool have = false;
    UINT codepage = 0;
    CONSOLE_CURSOR_INFO cursor{};
    CONSOLE_SCREEN_BUFFER_INFOEX info{};
};

struct consolestate {
    HANDLE out = INVALID_HANDLE_VALUE;
    saved before; // the console as the game found it
    // Taken by every change of the console's state, and held for good by the one who restores
    // it, so the game cannot hide the cursor again behind the restorer's back.
    std::mutex guard;
    bool closed = false;
};
consolestate state;

// The console turns the window rectangle of a SetConsoleScreenBufferInfoEx one cell smaller than
// the one GetConsoleScreenBufferInfoEx reported; one more on each side keeps it as it was.
void widen(SMALL_RECT* r) {
    r->Right++;
    r->Bottom++;
}

void restore() {
    if (state.closed || !state.before.have)
        return;
    state.closed = true;
    SetConsoleOutputCP(state.before.codepage);
    CONSOLE_SCREEN_BUFFER_INFOEX now{};
    now.cbSize = sizeof now;
    if (GetConsoleScreenBufferInfoEx(state.out, &now)) {
        std::memcpy(now.ColorTable, state.before.info.ColorTable, sizeof now.ColorTable);
        now.dwSize = state.before.info.dwSize;
        now.srWindow = state.before.info.srWindow;
        widen(&now.srWindow);
        SetConsoleScreenBufferInfoEx(state.out, &now);
    }
    SetConsoleCursorInfo(state.out, &state.before.cursor);
}

// Ctrl-C, Ctrl-Break or the console going away: the game hears of it at its next frame and
// finishes what it keeps, then ends as any console program ends on Ctrl-C.
std::atomic<bool> asked{false};

void endasleft() {
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(STATUS_CONTROL_C_EXIT));
}

BOOL WINAPI onctrl(DWORD event) {
    // Runs on a thread of its own while the game goes on.
    asked = true;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // The console is closing: the system ends the program once this returns, or a few seconds
    // later in any case; until then the game finishes, and its end ends this thread too.
    for (;;)
        Sleep(100);
}

void winopen() {
    // The console itself, even when the standard output goes to a file or a pipe.
    state.out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (state.out == INVALID_HANDLE_VALUE)
        state.out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::lock_guard<std::mutex> hold(state.guard);
    state.before.codepage = GetConsoleOutputCP();
    state.before.info.cbSize = sizeof state.before.info;
    state.before.have = GetConsoleCursorInfo(state.out, &state.before.cursor) &&
                        GetConsoleScreenBufferInfoEx(state.out, &state.before.info);
    SetConsoleCtrlHandler(onctrl, TRUE);
}

void winclose() {
    std::lock_guard<std::mutex> hold(state.guard);
    restore();
    SetConsoleCtrlHandler(onctrl, FALSE);
    static bool once = false;
    if (asked && !once) {
        once = true;
        std::atexit(endasleft);
    }
}

bool winleaving() {
    return asked;
}

void winusecodepage437() {
    SetConsoleOutputCP(437);
}

void winhidecursor() {
    std::lock_guard<std::mutex> hold(state.guard);
    if (state.closed)
        return;
    CONSOLE_CURSOR_INFO c{100, FALSE};
    SetConsoleCursorInfo(state.out, &c);
}

bool winconsolesize(short* cols, short* rows) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(state.out, &info))
        return false;
    *cols = info.dwSize.X;
    *rows = info.dwSize.Y;
    return true;
}

bool winsetbuffersize(short cols, short rows) {
    return SetConsoleScreenBufferSize(state.out, COORD{cols, rows}) != 0;
}

bool winsetwindow(short left, short top, short right, short bottom) {
    SMALL_RECT r{left, top, right, bottom};
    return SetConsoleWindowInfo(state.out, TRUE, &r) != 0;
}

void winpresent(const cell* buffer, short left, short top, short right, short bottom) {
    static CHAR_INFO cells[screenrows * screencols];
    for (int r = top; r <= bottom; r++)
        for (int c = left; c <= right; c++) {
            const cell& from = buffer[r * screencols + c];
            CHAR_INFO& to = cells[r * screencols + c];
            to.Char.AsciiChar = static_cast<CHAR>(from.ch & 0xFF);
            to.Attributes = static_cast<WORD>(from.attr & 0xFF);
        }
    SMALL_RECT region{left, top, right, bottom};
    WriteConsoleOutputA(state.out, cells, COORD{screencols, screenrows}, COORD{left, top}, &region);
}

void winsetpalette(const unsigned char* rgb) {
    std::lock_guard<std::mutex> hold(state.guard);
    if (state.closed)
        return;
    CONSOLE_SCREEN_BUFFER_INFOEX info{};
    info.cbSize = sizeof info;
    if (!GetConsoleScreenBufferInfoEx(state.out, &info))
        return;
    info.dwSize = COORD{screencols, screenrows};
    info.srWindow = SMALL_RECT{0, 0, screencols - 1, screenrows - 1};
    widen(&info.srWindow);
    for (int i = 0; i < 16; i++)
        info.ColorTable[i] = RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    SetConsoleScreenBufferInfoEx(state.out, &info);
}

void winpump(std::uint64_t) {}

// The game's key numbers are the system's virtual-key codes.
bool winkeydown(unsigned char code) {
    // The top bit says the key is down at this moment; the low "pressed since" bit is unreliable
    // and not used.
    return (GetAsyncKeyState(code) & 0x8000) != 0;
}

const backend console = {
    .open = winopen,
    .close = winclose,
    .keydown = winkeydown,
    .usecodepage437 = winusecodepage437,
    .hidecursor = winhidecursor,
    .consolesize = winconsolesize,
    .setbuffersize = winsetbuffersize,
    .setwindow = winsetwindow,
    .present = winpresent,
    .setpalette = winsetpalette,
    .pump = winpump,
    .keyseen = fixed::everykey,
    .leaving = winleaving,
};

} // namespace

const backend* backendfor(display where) {
    return where == display::terminal ? &console : nullptr;
}
