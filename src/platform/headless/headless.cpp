#include "platform/headless/headless.h"
#include "platform/keyqueue.h"
#include "platform/platform.h"

#include <bitset>
#include <cstring>

namespace {

std::uint64_t rate = 600; // frameint 10 ticks: a frame costs a handful of reads
std::uint64_t step = 1;
std::uint64_t lateness = 0;
std::uint64_t counter = 1000000;
std::uint64_t readcount = 0;
std::int32_t calendar = 0;
std::bitset<256> down;
keyqueue events;
std::function<void(std::uint64_t)> framehook;
std::uint64_t frames = 0;
short cols = 80, rows = 25;
bool resizable = true;
std::vector<headless::presentation> shown;
cell shownscreen[25 * 80];
unsigned char shownpalette[48];
int palettecount = 0;
std::vector<std::string> played;
std::vector<std::string> opens;
bool asked = false, heard = false; // the player asked to leave; a frame boundary has heard it

} // namespace

namespace headless {

void reset() {
    rate = 600;
    step = 1;
    lateness = 0;
    counter = 1000000;
    readcount = 0;
    calendar = 0;
    down.reset();
    queueclear(events);
    framehook = nullptr;
    frames = 0;
    asked = heard = false;
    cols = 80;
    rows = 25;
    resizable = true;
    clearrecords();
    std::memset(shownscreen, 0, sizeof shownscreen);
    std::memset(shownpalette, 0, sizeof shownpalette);
}

void leave() {
    asked = true;
}

void setclock(std::uint64_t r, std::uint64_t s) {
    rate = r;
    step = s;
}
void setlateness(std::uint64_t t) {
    lateness = t;
}
void advance(std::uint64_t t) {
    counter += t;
}
std::uint64_t now() {
    return counter;
}
std::uint64_t reads() {
    return readcount;
}
void setwallclock(std::int32_t seconds) {
    calendar = seconds;
}
void press(unsigned char code) {
    down.set(code);
}
void release(unsigned char code) {
    down.reset(code);
}
void releaseall() {
    down.reset();
    queueclear(events);
}
void tap(unsigned char code) {
    queuepush(events, code, true, 0);
    queuepush(events, code, false, 0);
}
void hear(unsigned char code, bool isdown, std::uint64_t at) {
    queuepush(events, code, isdown, at);
}
void onframe(std::function<void(std::uint64_t)> callback) {
    framehook = std::move(callback);
}
std::uint64_t frame() {
    return frames;
}
void setconsole(short c, short r, bool canresize) {
    cols = c;
    rows = r;
    resizable = canresize;
}
const std::vector<presentation>& presented() {
    return shown;
}
const cell* display() {
    return shownscreen;
}
const unsigned char* palette() {
    return shownpalette;
}
int palettewrites() {
    return palettecount;
}
const std::vector<std::string>& sounds() {
    return played;
}
const std::vector<std::string>& opened() {
    return opens;
}
void clearrecords() {
    shown.clear();
    played.clear();
    opens.clear();
    palettecount = 0;
}

} // namespace headless

namespace {

void headopen() {}
void headclose() {}

bool headkeydown(unsigned char code) {
    return down.test(code) || events.down[code];
}

void headusecodepage437() {}
void headhidecursor() {}
bool headconsolesize(short* c, short* r) {
    *c = cols;
    *r = rows;
    return true;
}
bool headsetbuffersize(short c, short r) {
    if (!resizable)
        return false;
    cols = c;
    rows = r;
    return true;
}
bool headsetwindow(short, short, short, short) {
    return resizable;
}

void headpresent(const cell* buffer, short left, short top, short right, short bottom) {
    shown.push_back({left, top, right, bottom, frames});
    for (int r = top; r <= bottom; r++)
        for (int c = left; c <= right; c++)
            shownscreen[r * 80 + c] = buffer[r * 80 + c];
}

void headsetpalette(const unsigned char* rgb) {
    std::memcpy(shownpalette, rgb, sizeof shownpalette);
    palettecount++;
}

void headpump(std::uint64_t due) {
    frames++;
    if (framehook)
        framehook(frames);
    queuestep(events, due);
    heard = asked;
}

bool headleaving() {
    return heard;
}

const backend head = {
    headopen,       headclose,       headkeydown,       headusecodepage437,
    headhidecursor, headconsolesize, headsetbuffersize, headsetwindow,
    headpresent,    headsetpalette,  headpump,          headleaving,
};

} // namespace

std::uint64_t ticks() {
    readcount++;
    counter += step;
    return counter;
}
std::uint64_t tickrate() {
    return rate;
}
// Time passes only on the virtual counter, so a test still runs frame by frame.
void sleepuntil(std::uint64_t tick) {
    if (tick + lateness > counter)
        counter = tick + lateness;
}
std::int32_t wallclock() {
    return calendar;
}

// Tests show everything on the one screen they read back.
const backend* backendfor(display where) {
    return where == display::terminal ? &head : nullptr;
}

void soundopen(const std::string& name) {
    opens.push_back(name);
}
void soundplay(const std::string& name) {
    played.push_back(name);
}

// Tests keep every file in the folder they run in.
std::string whereis(const char* name) {
    return name;
}
