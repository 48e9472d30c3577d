// Key state from the X server's key map. The library is loaded at run time, so the game starts
// the same where there is no X at all.
#include "platform/term/keys.h"
#include "platform/term/term.h"

#include <dlfcn.h>

namespace {

using openfn = void* (*)(const char*);
using closefn = int (*)(void*);
using keymapfn = int (*)(void*, char*);
using symfn = unsigned char (*)(void*, unsigned long);
using handlerfn = int (*)(void*);
using sethandlerfn = handlerfn (*)(handlerfn);

void* lib = nullptr;
void* display = nullptr;
closefn xclosedisplay = nullptr;
keymapfn xquerykeymap = nullptr;
unsigned char bykeycode[256]; // virtual-key code of each X key code
void (*onlost)() = nullptr;

// Xlib ends the program when the display goes away; the terminal is restored first.
int lostdisplay(void*) {
    display = nullptr;
    lib = nullptr; // still running; never unloaded from inside itself
    onlost();
    return 0;
}

} // namespace

bool xopen(void (*lost)()) {
    onlost = lost;
    lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return false;
    auto xopendisplay = reinterpret_cast<openfn>(dlsym(lib, "XOpenDisplay"));
    xclosedisplay = reinterpret_cast<closefn>(dlsym(lib, "XCloseDisplay"));
    xquerykeymap = reinterpret_cast<keymapfn>(dlsym(lib, "XQueryKeymap"));
    auto xkeysymtokeycode = reinterpret_cast<symfn>(dlsym(lib, "XKeysymToKeycode"));
    auto xsetioerrorhandler = reinterpret_cast<sethandlerfn>(dlsym(lib, "XSetIOErrorHandler"));
    if (!xopendisplay || !xclosedisplay || !xquerykeymap || !xkeysymtokeycode ||
        !xsetioerrorhandler || !(display = xopendisplay(nullptr))) {
        dlclose(lib);
        lib = nullptr;
        return false;
    }
    xsetioerrorhandler(lostdisplay);
    // Key codes are the kernel's plus 8 on every X server of our time; characters go by the
    // layout, as the letters of a Windows keyboard do.
    for (int k = 0; k < 256; k++)
        bykeycode[k] = k >= 8 ? linuxvk(k - 8) : 0;
    for (int c = 0x20; c < 0x7F; c++) {
        unsigned char mods = 0;
        const unsigned char vk = asciivk(static_cast<unsigned char>(c), &mods);
        if (mods || vk == 0)
            continue;
        const unsigned char kc = xkeysymtokeycode(display, static_cast<unsigned long>(c));
        if (kc != 0)
            bykeycode[kc] = vk;
    }
    return true;
}

void xread(bool* down) {
    if (!display)
        return;
    char map[32] = {};
    xquerykeymap(display, map);
    for (int kc = 8; kc < 256; kc++)
        if (map[kc >> 3] & (1 << (kc & 7)))
            if (bykeycode[kc])
                down[bykeycode[kc]] = true;
}

void xclose() {
    if (display)
        xclosedisplay(display);
    display = nullptr;
    if (lib)
        dlclose(lib);
    lib = nullptr;
}
