// The terminal's input stream as a small state machine over single bytes.
#include "platform/term/parse.h"

namespace {

enum : unsigned char {
    ground,
    escape,  // after ESC
    csi,     // ESC [
    ss3,     // ESC O
    console, // ESC [ [: the Linux console's F1-F5
    x10,     // ESC [ M and three raw bytes: an old-style mouse report
    string,  // DCS, OSC, APC, PM, SOS: skipped up to the string terminator
    stresc,  // ESC inside a string
};

// Larger numbers name nothing; stopping here keeps the arithmetic defined.
constexpr std::int32_t biggest = 99999999;

void key(std::vector<keyevent>& out, evkind kind, unsigned char code, unsigned char mods) {
    if (code != 0)
        out.push_back({kind, code, mods});
}

// Modifiers as the protocol writes them: 1 + bits, with Caps Lock and Num Lock dropped.
unsigned char modbits(std::int32_t m) {
    if (m < 1 || m > 256)
        return 0;
    return static_cast<unsigned char>((m - 1) & 0x3F);
}

// The event a key report names, or false for an event type that does not exist.
bool eventkind(const termparser& p, evkind* kind) {
    if (!p.given[1][1]) {
        *kind = p.protocol ? evpress : evtap;
        return true;
    }
    switch (p.param[1][1]) {
    case 1:
        *kind = evpress;
        return true;
    case 2:
        *kind = evrepeat;
        return true;
    case 3:
        *kind = evrelease;
        return true;
    }
    return false;
}

void mouse(const termparser& p, std::vector<keyevent>& out) {
    std::int32_t b = p.param[0][0];
    if (p.nparam != 3 || b & 32)
        return; // motion, or not the three numbers of a report
    static const unsigned char buttons[4] = {0x01, 0x04, 0x02, 0};
    unsigned char code = 0;
    if (b >= 0 && b < 64)
        code = buttons[b & 3];
    else if (b == 128 || b == 129)
        code = static_cast<unsigned char>(0x05 + (b - 128));
    key(out, p.final == 'M' ? evpress : evrelease, code, 0);
}

void dispatch(termparser& p, std::vector<keyevent>& out) {
    if (p.bad)
        return;
    const unsigned char f = p.final;
    const std::int32_t p0 = p.param[0][0];
    if (p.marker == '?') {
        if (f == 'u' && !p.inter)
            out.push_back({evflags, 0, 0, p0});
        else if (f == 'c' && !p.inter) {
            out.push_back({evattrs, 0, 0});
            p.awaiting = false;
        }
        return;
    }
    if (p.marker == '<') {
        if ((f == 'M' || f == 'm') && !p.inter)
            mouse(p, out);
        return;
    }
    if (p.marker)
        return;
    if (p.inter)
        return;
    if (p.nparam > 3)
        return;
    if (p.given[1][0] && (p.param[1][0] < 1 || p.param[1][0] > 256))
        return; // no such modifiers: not a report we understand
    const unsigned char mods = p.given[1][0] ? modbits(p.param[1][0]) : 0;
    evkind kind;
    if (!eventkind(p, &kind))
        return;
    if (f == 'u') {
        if (!p.given[0][0])
            return;
        key(out, kind, kittyvk(p0), mods);
        return;
    }
    if (f == '~') {
        if (p0 == 27 && p.nparam == 3) { // a modified key in xterm's other form
            if (!p.given[1][1])
                key(out, evtap, kittyvk(p.param[2][0]), mods);
            return;
        }
        if (p.nparam <= 2)
            key(out, kind, tildevk(p0), mods);
        return;
    }
    if ((f == 'I' || f == 'O') && p.nparam == 0) {
        out.push_back({f == 'I' ? evfocusin : evfocusout, 0, 0});
        return;
    }
    if (f == 'Z' && p.nparam == 0) { // Shift+Tab in the old form
        key(out, evtap, 0x09, modshift);
        return;
    }
    // Letter forms: the first number is 1 or absent; anything else (a cursor report) is no key.
    if (p.nparam <= 2 && (!p.given[0][0] || p0 == 1) && !p.given[0][1])
        key(out, kind, lettervk(f), mods);
}

void ss3key(unsigned char f, unsigned char mods, std::vector<keyevent>& out) {
    unsigned char code = lettervk(f);
    if (f >= 'p' && f <= 'y')
        code = static_cast<unsigned char>(0x60 + f - 'p');
    switch (f) {
    case 'M':
        code = 0x0D;
        break;
    case 'j':
        code = 0x6A;
        break;
    case 'k':
        code = 0x6B;
        break;
    case 'l':
        code = 0x6C;
        break;
    case 'm':
        code = 0x6D;
        break;
    case 'n':
        code = 0x6E;
        break;
    case 'o':
        code = 0x6F;
        break;
    }
    key(out, evtap, code, mods);
}

// A byte typed as text, or a control byte, with any modifiers an escape prefix gave it.
void typed(unsigned char c, unsigned char mods, std::vector<keyevent>& out) {
    unsigned char code = 0;
    switch (c) {
    case 0x00:
        code = 0x20;
        mods |= modctrl;
        break;
    case 0x08:
    case 0x7F:
        code = 0x08;
        break;
    case 0x09:
        code = 0x09;
        break;
    case 0x0D:
        code = 0x0D;
        break;
    case 0x1B:
        code = 0x1B;
        break;
    case 0x1C:
        code = 0xDC;
        mods |= modctrl;
        break;
    case 0x1D:
        code = 0xDD;
        mods |= modctrl;
        break;
    case 0x1E:
        code = '6';
        mods |= modctrl | modshift;
        break;
    case 0x1F:
        code = 0xBD;
        mods |= modctrl;
        break;
    default:
        if (c < 0x20) {
            code = static_cast<unsigned char>(c + 0x40);
            mods |= modctrl;
        } else if (c < 0x7F) {
            code = asciivk(c, &mods);
        }
        break; // bytes of UTF-8 text name no key
    }
    key(out, evtap, code, mods);
}

void startcsi(termparser& p) {
    p.state = csi;
    p.marker = p.inter = p.final = 0;
    p.bad = false;
    p.nparam = p.nsub = 0;
    for (int k = 0; k < 8; k++)
        for (int s = 0; s < 3; s++) {
            p.param[k][s] = 0;
            p.given[k][s] = false;
        }
}

void csibyte(termparser& p, unsigned char c, std::vector<keyevent>& out) {
    if (c >= '0' && c <= '9') {
        if (p.inter)
            p.bad = true;
        if (p.bad)
            return;
        if (p.nparam == 0)
            p.nparam = 1;
        if (p.nparam > 8)
            return; // answers may carry many numbers; keys never need these
        if (p.nsub > 2) {
            p.bad = true;
            return;
        }
        std::int32_t& v = p.param[p.nparam - 1][p.nsub];
        const std::int32_t d = c - '0';
        v = v > (biggest - d) / 10 ? biggest : v * 10 + d;
        p.given[p.nparam - 1][p.nsub] = true;
    } else if (c == ';') {
        if (p.inter)
            p.bad = true;
        if (p.nparam == 0)
            p.nparam = 1;
        if (p.nparam < 100)
            p.nparam++;
        p.nsub = 0;
    } else if (c == ':') {
        if (p.inter)
            p.bad = true;
        if (p.nparam == 0)
            p.nparam = 1;
        p.nsub++;
        if (p.nsub > 2)
            p.bad = true;
    } else if (c >= 0x3C && c <= 0x3F) {
        if (p.nparam == 0 && !p.marker && !p.inter)
            p.marker = c;
        else
            p.bad = true;
    } else if (c >= 0x20 && c <= 0x2F) {
        if (p.inter)
            p.bad = true;
        p.inter = c;
    } else if (c >= 0x40 && c <= 0x7E) {
        p.final = c;
        p.state = ground;
        if (!p.bad && !p.marker && !p.inter && p.nparam == 0 && c == '[')
            p.state = console;
        else if (!p.bad && !p.marker && !p.inter && p.nparam == 0 && c == 'M') {
            p.state = x10;
            p.nx10 = 0;
        } else
            dispatch(p, out);
    } else if (c == 0x1B) {
        p.state = escape; // a cut-off sequence; the escape begins the next one
    } else if (c >= 0x80) {
        p.bad = true; // no terminal puts text inside a sequence: skip to its end
    }
    // Other control bytes inside a sequence are ignored, as a terminal would.
}

void stringbyte(termparser& p, unsigned char c, std::vector<keyevent>& out) {
    if (p.state == stresc) {
        if (c == '\\') {
            p.state = ground;
            return;
        }
        p.state = escape; // the string was cut off by a new sequence
        parse(p, &c, 1, out);
        return;
    }
    if (c == 0x1B) {
        p.state = stresc;
    } else if (c == 0x07) {
        p.state = ground;
    }
}

} // namespace

void parse(termparser& p, const unsigned char* bytes, std::size_t n, std::vector<keyevent>& out) {
    for (std::size_t i = 0; i < n; i++) {
        const unsigned char c = bytes[i];
        switch (p.state) {
        case ground:
            if (c == 0x1B) {
                p.state = escape;
            } else {
                typed(c, 0, out);
            }
            break;
        case escape:
            if (c == '[') {
                startcsi(p);
            } else if (c == 'O') {
                startcsi(p);
                p.state = ss3;
            } else if (p.awaiting && (c == 'P' || c == ']' || c == '_' || c == '^' || c == 'X')) {
                p.state = string;
            } else if (c == 0x1B) {
                key(out, evtap, 0x1B, 0); // two escapes: the first was the key
            } else {
                p.state = ground; // Alt and a key, the old way
                typed(c, modalt, out);
            }
            break;
        case csi:
            csibyte(p, c, out);
            break;
        case ss3:
            if (c >= '0' && c <= '9') {
                // Some terminals put the modifier number between SS3 and the key letter.
                std::int32_t& v = p.param[0][0];
                v = v > biggest / 10 ? biggest : v * 10 + (c - '0');
                p.given[0][0] = true;
            } else if (c == 0x1B) {
                p.state = escape;
            } else if (c >= 0x40 && c <= 0x7E) {
                p.state = ground;
                ss3key(c, p.given[0][0] ? modbits(p.param[0][0]) : 0, out);
            } else if (c >= 0x80 || c < 0x20) {
                p.state = ground;
            }
            break;
        case console:
            p.state = ground;
            if (c >= 'A' && c <= 'E')
                key(out, evtap, static_cast<unsigned char>(0x70 + c - 'A'), 0);
            else if (c == 0x1B) {
                p.state = escape;
            }
            break;
        case x10:
            p.x10[p.nx10++] = c;
            if (p.nx10 == 3) {
                p.state = ground;
                const int b = p.x10[0] - 32;
                static const unsigned char buttons[3] = {0x01, 0x04, 0x02};
                if (b >= 0 && (b & 3) == 3 && !(b & 64)) {
                    // The old form never says which button went up: all of them did.
                    for (unsigned char code : buttons)
                        key(out, evrelease, code, 0);
                } else if (b >= 0 && !(b & 96)) {
                    key(out, evpress, buttons[b & 3], 0);
                }
            }
            break;
        case string:
        case stresc:
            stringbyte(p, c, out);
            break;
        default:
            p.state = ground;
            break;
        }
    }
}

bool parsepending(const termparser& p) {
    return p.state != ground;
}

bool parselone(const termparser& p) {
    return p.state == escape;
}

void parseflush(termparser& p, std::vector<keyevent>& out) {
    if (p.state == escape)
        key(out, evtap, 0x1B, 0);
    p.state = ground;
}
