// The keyboard of the window: SDL's key events and key state, in the game's virtual-key codes.
#include "platform/keyqueue.h"
#include "platform/window/window.h"

#include <SDL.h>

namespace {

struct pair {
    std::int32_t from;
    unsigned char vk;
};

constexpr pair named[] = {
    {SDLK_RETURN, 0x0D},       {SDLK_ESCAPE, 0x1B},       {SDLK_BACKSPACE, 0x08},
    {SDLK_TAB, 0x09},          {SDLK_SPACE, 0x20},        {SDLK_PAUSE, 0x13},
    {SDLK_CAPSLOCK, 0x14},     {SDLK_PAGEUP, 0x21},       {SDLK_PAGEDOWN, 0x22},
    {SDLK_END, 0x23},          {SDLK_HOME, 0x24},         {SDLK_LEFT, 0x25},
    {SDLK_UP, 0x26},           {SDLK_RIGHT, 0x27},        {SDLK_DOWN, 0x28},
    {SDLK_PRINTSCREEN, 0x2C},  {SDLK_INSERT, 0x2D},       {SDLK_DELETE, 0x2E},
    {SDLK_LGUI, 0x5B},         {SDLK_RGUI, 0x5C},         {SDLK_APPLICATION, 0x5D},
    {SDLK_KP_0, 0x60},         {SDLK_KP_1, 0x61},         {SDLK_KP_2, 0x62},
    {SDLK_KP_3, 0x63},         {SDLK_KP_4, 0x64},         {SDLK_KP_5, 0x65},
    {SDLK_KP_6, 0x66},         {SDLK_KP_7, 0x67},         {SDLK_KP_8, 0x68},
    {SDLK_KP_9, 0x69},         {SDLK_KP_MULTIPLY, 0x6A},  {SDLK_KP_PLUS, 0x6B},
    {SDLK_KP_MINUS, 0x6D},     {SDLK_KP_PERIOD, 0x6E},    {SDLK_KP_DIVIDE, 0x6F},
    {SDLK_KP_ENTER, 0x0D},     {SDLK_NUMLOCKCLEAR, 0x90}, {SDLK_SCROLLLOCK, 0x91},
    {SDLK_LSHIFT, 0xA0},       {SDLK_RSHIFT, 0xA1},       {SDLK_LCTRL, 0xA2},
    {SDLK_RCTRL, 0xA3},        {SDLK_LALT, 0xA4},         {SDLK_RALT, 0xA5},
    {SDLK_SEMICOLON, 0xBA},    {SDLK_EQUALS, 0xBB},       {SDLK_COMMA, 0xBC},
    {SDLK_MINUS, 0xBD},        {SDLK_PERIOD, 0xBE},       {SDLK_SLASH, 0xBF},
    {SDLK_BACKQUOTE, 0xC0},    {SDLK_LEFTBRACKET, 0xDB},  {SDLK_BACKSLASH, 0xDC},
    {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_QUOTE, 0xDE},
};

// Where a layout puts a letter of its own on a punctuation key, the key keeps the code of its
// place, as it does on Windows.
constexpr pair places[] = {
    {SDL_SCANCODE_SEMICOLON, 0xBA},  {SDL_SCANCODE_EQUALS, 0xBB},
    {SDL_SCANCODE_COMMA, 0xBC},      {SDL_SCANCODE_MINUS, 0xBD},
    {SDL_SCANCODE_PERIOD, 0xBE},     {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_GRAVE, 0xC0},      {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_BACKSLASH, 0xDC},  {SDL_SCANCODE_RIGHTBRACKET, 0xDD},
    {SDL_SCANCODE_APOSTROPHE, 0xDE}, {SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
    {SDL_SCANCODE_NONUSHASH, 0xDC},
};

// The key map of the present layout, and the keys heard.
struct keystate {
    unsigned char bycode[SDL_NUM_SCANCODES] = {};
    keyqueue keys;
};
keystate state;

} // namespace

unsigned char windowvk(std::int32_t k) {
    if (k >= SDLK_a && k <= SDLK_z)
        return static_cast<unsigned char>('A' + (k - SDLK_a));
    if (k >= SDLK_0 && k <= SDLK_9)
        return static_cast<unsigned char>('0' + (k - SDLK_0));
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return static_cast<unsigned char>(0x70 + (k - SDLK_F1));
    for (const pair& p : named)
        if (p.from == k)
            return p.vk;
    return 0;
}

unsigned char windowvkat(int scancode) {
    for (const pair& p : places)
        if (p.from == scancode)
            return p.vk;
    return 0;
}

void windowkeymap() {
    for (int s = 0; s < SDL_NUM_SCANCODES; s++) {
        unsigned char vk = windowvk(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(s)));
        state.bycode[s] = vk != 0 ? vk : windowvkat(s);
    }
}

void windowkeyevent(int scancode, bool pressed, std::uint64_t at) {
    if (scancode >= 0 && scancode < SDL_NUM_SCANCODES && state.bycode[scancode] != 0)
        queuepush(state.keys, state.bycode[scancode], pressed, at);
}

void windowkeysupdate(bool focused, std::uint64_t at, std::uint64_t due) {
    if (!focused) {
        queueclear(state.keys);
    } else {
        // The events are the order of things; SDL's own key state mends any the window missed
        // (a key let go while another window had the keyboard).
        bool now[256] = {};
        int n = 0;
        const Uint8* sdlkeys = SDL_GetKeyboardState(&n);
        for (int s = 0; s < n && s < SDL_NUM_SCANCODES; s++)
            if (sdlkeys[s])
                now[state.bycode[s]] = true;
        for (int k = 1; k < 256; k++)
            queuepush(state.keys, static_cast<unsigned char>(k), now[k], at);
        queuestep(state.keys, due);
    }
}

bool windowkeydown(unsigned char code) {
    return vkdown(code, [](unsigned char k) { return state.keys.down[k]; });
}
