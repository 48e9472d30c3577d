// A console, keyboard and sound that do nothing, for measuring the game's own timing on the real
// counter.
#include "platform/fixed.h"
#include "platform/platform.h"

namespace {

bool nokey(unsigned char) {
    return false;
}
void show(const cell*, short, short, short, short) {}
void colours(const unsigned char*) {}
void nopump(std::uint64_t) {}

const backend null = {
    .open = fixed::nothing,
    .close = fixed::nothing,
    .keydown = nokey,
    .usecodepage437 = fixed::nothing,
    .hidecursor = fixed::nothing,
    .consolesize = fixed::size,
    .setbuffersize = fixed::setsize,
    .setwindow = fixed::setarea,
    .present = show,
    .setpalette = colours,
    .pump = nopump,
    .keyseen = fixed::everykey,
    .leaving = nullptr,
};

} // namespace

const backend* backendfor(display where) {
    return where == display::terminal ? &null : nullptr;
}

void soundopen(const std::string&) {}
void soundplay(const std::string&) {}
