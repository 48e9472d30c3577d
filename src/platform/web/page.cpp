// The game on a web page: the display functions of the seam, with the canvas, the keyboard and the
// page's own controls in page.js. The cells go to the page as they are; it draws them with the
// window's font and keeps a copy for its tests.
#include "platform/fixed.h"
#include "platform/keyqueue.h"
#include "platform/platform.h"
#include "platform/web/web.h"

#include <emscripten/emscripten.h>

// The window's code page 437 glyphs, 8 by 16 pixels, a byte per row (made at build time).
extern const unsigned char windowfont[256][16];

namespace {

keyqueue keys;

EM_JS(void, jsopen, (const unsigned char* font), { Module.page.open(font); });
// The game is done with the page; what it prints after this comes before the page says it ended.
EM_JS(void, jsclose, (), { Module.page.close(); });
EM_JS(void, jspresent, (const cell* cells, int left, int top, int right, int bottom),
      { Module.page.present(cells, left, top, right, bottom); });
EM_JS(void, jspalette, (const unsigned char* rgb), { Module.page.palette(rgb); });
// A frame begins (the page counts them for its tests).
EM_JS(void, jsframe, (), { Module.page.framebegins(); });
// The key events heard since the last call, three numbers each: the virtual-key code (0 for
// "every key up"), 1 for down or 0 for up, and the counter time it was heard. Returns how many.
EM_JS(int, jstakekeys, (double* into, int most), { return Module.page.takekeys(into, most); });

void pageopen() {
    queueclear(keys);
    jsopen(&windowfont[0][0]);
}

void pageclose() {
    jsclose();
}

bool pagekeydown(unsigned char code) {
    return vkdown(code, [](unsigned char k) { return keys.down[k]; });
}

void pagepresent(const cell* buffer, short left, short top, short right, short bottom) {
    jspresent(buffer, left, top, right, bottom);
}

void pagepalette(const unsigned char* rgb) {
    jspalette(rgb);
}

void pagepump(std::uint64_t due) {
    // A frame that did not sleep (the game running late) still lets the browser take its events
    // and paint, or the page would freeze until the game caught up.
    if (!webwaited()) {
        webwait(0);
        webwaited();
    }
    jsframe();
    websounds();
    double heard[3 * 64];
    for (int n; (n = jstakekeys(heard, 64)) > 0;)
        for (int i = 0; i < n; i++) {
            const double* e = heard + 3 * i;
            const auto at = static_cast<std::uint64_t>(e[2]);
            if (e[0] == 0)
                queuerelease(keys, at);
            else
                queuepush(keys, static_cast<unsigned char>(e[0]), e[1] != 0, at);
        }
    queuestep(keys, due);
}

} // namespace

const backend webbackend = {
    .open = pageopen,
    .close = pageclose,
    .keydown = pagekeydown,
    .usecodepage437 = fixed::nothing,
    .hidecursor = fixed::nothing,
    .consolesize = fixed::size,
    .setbuffersize = fixed::setsize,
    .setwindow = fixed::setarea,
    .present = pagepresent,
    .setpalette = pagepalette,
    .pump = pagepump,
    .keyseen = fixed::everykey,
    .leaving = nullptr, // a page is closed, not left: nothing runs after it
};

// The page shows the game one way only.
const backend* backendfor(display where) {
    return where == display::terminal ? &webbackend : nullptr;
}
