// The console calls of the seam on a terminal: the picture goes out through the renderer, one
// write per presented frame.
#include "console/platform.h"
#include "console/platform/term/life.h"
#include "console/platform/term/render.h"
#include "console/platform/term/term.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

bool hastruecolor() {
    const char* c = std::getenv("COLORTERM");
    return c != nullptr &&
           (std::strstr(c, "truecolor") != nullptr || std::strstr(c, "24bit") != nullptr);
}

void readsize(int* cols, int* rows) {
    winsize ws{};
    if (ioctl(termout(), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
        *cols = ws.ws_col;
        *rows = ws.ws_row;
    } else {
        *cols = screencols;
        *rows = screenrows;
    }
}

void flush() {
    const std::string& bytes = renderframe();
    if (!bytes.empty())
        termwrite(bytes.data(), bytes.size());
}

} // namespace

void termwrite(const char* bytes, std::size_t n) {
    while (n > 0) {
        ssize_t w = write(termout(), bytes, n);
        if (w < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return; // the terminal is gone; nothing is left to show anything on
        }
        bytes += w;
        n -= static_cast<std::size_t>(w);
    }
}

void outputopen() {
    int cols, rows;
    readsize(&cols, &rows);
    renderinit(hastruecolor(), cols, rows);
}

// The terminal is whatever size the player gives it; the game's 80 by 25 sits in its middle.
void termusecodepage437() {}
void termhidecursor() {}
bool termconsolesize(short* cols, short* rows) {
    *cols = screencols;
    *rows = screenrows;
    return true;
}
bool termsetbuffersize(short, short) {
    return true;
}
bool termsetwindow(short, short, short, short) {
    return true;
}

void termpresent(const cell* buffer, short left, short top, short right, short bottom) {
    renderput(buffer, left, top, right, bottom);
    flush();
}

void termsetpalette(const unsigned char* rgb) {
    renderpalette(rgb);
}

void termpump() {
    keyspoll();
    bool resized = takeresized();
    bool resumed = takeresumed();
    if (resized) {
        int cols, rows;
        readsize(&cols, &rows);
        rendersize(cols, rows);
    }
    if (resumed) {
        keysreleaseall();
        renderinvalidate();
    }
    if (resized || resumed)
        flush();
}
