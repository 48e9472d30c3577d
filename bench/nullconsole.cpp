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

const backend null = {fixed::nothing, fixed::nothing, nokey,          fixed::nothing,
                      fixed::nothing, fixed::size,    fixed::setsize, fixed::setarea,
                      show,           colours,        nopump,         nullptr};

} // namespace

const backend* backendfor(display where) {
    return where == display::terminal ? &null : nullptr;
}

void soundopen(const std::string&) {}
void soundplay(const std::string&) {}
