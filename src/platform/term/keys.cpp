// Key state from reports, from an outside key map, or guessed from key repeat.
#include "platform/term/keys.h"

#include <bitset>
#include <string>

namespace {

void guess(keystate& s, unsigned char code, std::uint64_t ms) {
    const std::uint64_t gap = s.seen[code] ? ms - s.last[code] : firstrepeat + 1;
    s.seen[code] = true;
    s.guessed = true;
    s.last[code] = ms;
    s.held[code] = true;
    s.guessedat[code] = s.at;
    queuepush(s.events, code, true, s.at);
    if (gap <= repeatgap) {
        // Bridge to the next repeat with slack for a late one, but stop soon after the last.
        const std::uint64_t hold = 2 * gap;
        s.until[code] = ms + (hold < 60 ? 60 : hold > 150 ? 150 : hold);
    } else if (gap <= firstrepeat) {
        // Perhaps the first repeat of a held key, perhaps a second tap: a few frames, enough to
        // reach the next repeat and too few for a delayed auto shift.
        s.until[code] = ms + 45;
    } else {
        // A fresh press is down for exactly one frame: one column, one rotation.
        s.until[code] = ms;
    }
}

void guesstap(keystate& s, const keyevent& e, std::uint64_t ms) {
    guess(s, e.code, ms);
    // The side of a modifier is unknown here; the left one is the usual.
    if (e.mods & modshift)
        guess(s, 0xA0, ms);
    if (e.mods & modctrl)
        guess(s, 0xA2, ms);
    if (e.mods & modalt)
        guess(s, 0xA4, ms);
}

// Does the outside source see the keyboard the terminal hears? One hit settles it. Text pasted
// into the terminal has no keys behind it, so a whole batch of bytes counts as one miss at most.
void check(keystate& s, std::uint64_t ms) {
    // A key typed in a short press may be up again before the next look at the map.
    if (s.anyoutside || (s.outsideat != 0 && ms - s.outsideat <= 100)) {
        s.hits++;
    } else if (s.misses == 0 || ms != s.missat) {
        s.misses++;
        s.missat = ms;
    }
    if (s.hits == 0 && s.misses >= 3) {
        s.source = fromrepeat;
        s.fellback = true;
    }
}

bool one(const keystate& s, unsigned char code) {
    return s.events.down[code] || (s.source == fromx && s.focused && s.outside[code]);
}

// Ctrl-C and Ctrl-Z are the program's, not keys of the game.
keyaction control(const keyevent& e) {
    if (e.kind != evrelease && (e.mods & modctrl) && !(e.mods & (modshift | modsuper))) {
        if (e.code == 'C')
            return wantquit;
        if (e.code == 'Z')
            return wantsuspend;
    }
    return noaction;
}

} // namespace

keyaction keyapply(keystate& s, const keyevent& e, std::uint64_t ms) {
    switch (e.kind) {
    case evfocusout:
        // Through the queue: a tap that came just before the focus left still gets its frame,
        // and every key is up a few frames later at most.
        queuerelease(s.events, s.at);
        for (bool& h : s.held)
            h = false;
        s.focused = false;
        return noaction;
    case evfocusin:
        s.focused = true;
        return noaction;
    case evpress:
    case evrepeat:
        queuepush(s.events, e.code, true, s.at);
        break;
    case evrelease:
        queuepush(s.events, e.code, false, s.at);
        break;
    case evtap:
        if (const keyaction a = control(e); a != noaction)
            return a;
        if (s.source == fromx || s.source == fromdevices)
            check(s, ms);
        // With reports on, bare text is pasted, not typed; with an outside map, it is only noise.
        if (s.source == fromrepeat)
            guesstap(s, e, ms);
        break;
    default:
        return noaction;
    }
    return control(e);
}

void keytick(keystate& s, std::uint64_t ms) {
    for (int k = 0; k < 256; k++) {
        if (s.held[k] && ms >= s.until[k]) {
            s.held[k] = false;
            queuepush(s.events, static_cast<unsigned char>(k), false, s.guessedat[k]);
        }
    }
}

void keystep(keystate& s, std::uint64_t due) {
    queuestep(s.events, due);
}

void keydevice(keystate& s, unsigned char code, bool down, std::uint64_t at) {
    if (s.source == fromdevices && (s.focused || !down))
        queuepush(s.events, code, down, at != 0 ? at : s.at);
}

void keyoutside(keystate& s, const bool* down, std::uint64_t ms) {
    s.anyoutside = false;
    for (int k = 0; k < 256; k++) {
        s.outside[k] = down[k];
        if (down[k])
            s.anyoutside = true;
        // A device whose buffer ran over lost transitions: its key map has the last word.
        if (queuelast(s.events, static_cast<unsigned char>(k)) != down[k])
            keydevice(s, static_cast<unsigned char>(k), down[k]);
    }
    if (s.anyoutside)
        s.outsideat = ms;
}

bool keyisdown(const keystate& s, unsigned char code) {
    return vkdown(code, [&](unsigned char k) { return one(s, k); });
}

bool keyvisible(const keystate& s, unsigned char code) {
    if (s.source != fromrepeat)
        return true;
    // What the parser names from everything such a terminal sends: each byte typed, the Escape
    // key, the tilde and letter forms, the SS3 forms, and mouse buttons.
    static const std::bitset<256> named = [] {
        std::string sent = "\x1b\x1b";
        for (int c = 0; c < 0x80; c++)
            if (c != 0x1B)
                sent += static_cast<char>(c);
        for (int n = 1; n <= 34; n++)
            sent += "\x1b[" + std::to_string(n) + "~";
        for (char f = 'A'; f <= 'Z'; f++)
            sent += std::string("\x1b[1;2") + f + "\x1bO" + f;
        for (int b : {0, 1, 2, 128, 129})
            sent += "\x1b[<" + std::to_string(b) + ";1;1M";
        termparser p;
        std::vector<keyevent> events;
        parse(p, reinterpret_cast<const unsigned char*>(sent.data()), sent.size(), events);
        std::bitset<256> seen;
        for (const keyevent& e : events)
            if (e.kind == evtap || e.kind == evpress)
                seen.set(e.code);
        return seen;
    }();
    return named.test(code);
}

void keyclear(keystate& s) {
    queueclear(s.events);
    for (bool& h : s.held)
        h = false;
}
