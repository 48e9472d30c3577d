#include "platform/headless/headless.h"
#include "platform/keyqueue.h"
#include "platform/platform.h"

#include <bitset>
#include <cstring>

namespace {

// The whole machine a test sees; a fresh one is `state = {}`.
struct machine {
    std::uint64_t rate = 600; // frameint 10 ticks: a frame costs a handful of reads
    std::uint64_t step = 1;
    std::uint64_t lateness = 0;
    std::uint64_t counter = 1000000;
    std::uint64_t readcount = 0;
    std::int32_t calendar = 0;
    std::bitset<256> down;
    std::bitset<256> unseen; // keys the display is not to see alone
    keyqueue events;
    std::function<void(std::uint64_t)> framehook;
    std::uint64_t frames = 0;
    short cols = 80, rows = 25;
    bool resizable = true;
    std::vector<headless::presentation> shown;
    cell shownscreen[25 * 80] = {};
    unsigned char shownpalette[48] = {};
    int palettecount = 0;
    std::vector<std::string> played;
    std::vector<std::string> opens;
    bool asked = false, heard = false; // the player asked to leave; a frame boundary has heard it
};
machine state;

} // namespace

namespace headless {

void reset() {
    state = {};
}

void leave() {
    state.asked = true;
}

void setclock(std::uint64_t r, std::uint64_t s) {
    state.rate = r;
    state.step = s;
}
void setlateness(std::uint64_t t) {
    state.lateness = t;
}
void advance(std::uint64_t t) {
    state.counter += t;
}
std::uint64_t now() {
    return state.counter;
}
std::uint64_t reads() {
    return state.readcount;
}
void setwallclock(std::int32_t seconds) {
    state.calendar = seconds;
}
void press(unsigned char code) {
    state.down.set(code);
}
void release(unsigned char code) {
    state.down.reset(code);
}
void hide(unsigned char code) {
    state.unseen.set(code);
}
void releaseall() {
    state.down.reset();
    queueclear(state.events);
}
void tap(unsigned char code) {
    queuepush(state.events, code, true, 0);
    queuepush(state.events, code, false, 0);
}
void hear(unsigned char code, bool isdown, std::uint64_t at) {
    queuepush(state.events, code, isdown, at);
}
void onframe(std::function<void(std::uint64_t)> callback) {
    state.framehook = std::move(callback);
}
std::uint64_t frame() {
    return state.frames;
}
void setconsole(short c, short r, bool canresize) {
    state.cols = c;
    state.rows = r;
    state.resizable = canresize;
}
const std::vector<presentation>& presented() {
    return state.shown;
}
const cell* display() {
    return state.shownscreen;
}
const unsigned char* palette() {
    return state.shownpalette;
}
int palettewrites() {
    return state.palettecount;
}
const std::vector<std::string>& sounds() {
    return state.played;
}
const std::vector<std::string>& opened() {
    return state.opens;
}
void clearrecords() {
    state.shown.clear();
    state.played.clear();
    state.opens.clear();
    state.palettecount = 0;
}

} // namespace headless

namespace {

void headopen() {}
void headclose() {}

bool headkeydown(unsigned char code) {
    return state.down.test(code) || state.events.down[code];
}

bool headkeyseen(unsigned char code) {
    return !state.unseen.test(code);
}

void headusecodepage437() {}
void headhidecursor() {}
bool headconsolesize(short* c, short* r) {
    *c = state.cols;
    *r = state.rows;
    return true;
}
bool headsetbuffersize(short c, short r) {
    if (!state.resizable)
        return false;
    state.cols = c;
    state.rows = r;
    return true;
}
bool headsetwindow(short, short, short, short) {
    return state.resizable;
}

void headpresent(const cell* buffer, short left, short top, short right, short bottom) {
    state.shown.push_back({left, top, right, bottom, state.frames});
    for (int r = top; r <= bottom; r++)
        for (int c = left; c <= right; c++)
            state.shownscreen[r * 80 + c] = buffer[r * 80 + c];
}

void headsetpalette(const unsigned char* rgb) {
    std::memcpy(state.shownpalette, rgb, sizeof state.shownpalette);
    state.palettecount++;
}

void headpump(std::uint64_t due) {
    state.frames++;
    if (state.framehook)
        state.framehook(state.frames);
    queuestep(state.events, due);
    state.heard = state.asked;
}

bool headleaving() {
    return state.heard;
}

const backend head = {
    .open = headopen,
    .close = headclose,
    .keydown = headkeydown,
    .usecodepage437 = headusecodepage437,
    .hidecursor = headhidecursor,
    .consolesize = headconsolesize,
    .setbuffersize = headsetbuffersize,
    .setwindow = headsetwindow,
    .present = headpresent,
    .setpalette = headsetpalette,
    .pump = headpump,
    .keyseen = headkeyseen,
    .leaving = headleaving,
};

} // namespace

std::uint64_t ticks() {
    state.readcount++;
    state.counter += state.step;
    return state.counter;
}
std::uint64_t tickrate() {
    return state.rate;
}
// Time passes only on the virtual state.counter, so a test still runs frame by frame.
void sleepuntil(std::uint64_t tick) {
    if (tick + state.lateness > state.counter)
        state.counter = tick + state.lateness;
}
std::int32_t wallclock() {
    return state.calendar;
}

// Tests show everything on the one screen they read back.
const backend* backendfor(display where) {
    return where == display::terminal ? &head : nullptr;
}

void soundopen(const std::string& name) {
    state.opens.push_back(name);
}
void soundplay(const std::string& name) {
    state.played.push_back(name);
}

// Tests keep every file in the folder they run in.
std::string whereis(const char* name) {
    return name;
}
