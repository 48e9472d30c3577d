#include "platform/term/render.h"

#include <cstdio>
#include <cstring>

namespace {

// A cell as the terminal shows it: its glyph byte and its two colours, resolved (0xRRGGBB, or an
// index of the 256-colour palette).
struct shown {
    unsigned char ch;
    std::uint32_t fg, bg;
    bool operator==(const shown&) const = default;
};

constexpr std::uint32_t unknown = 0xFFFFFFFFu; // matches no colour: the cell is always written
// The ink of a blank: nothing of it shows, so whatever the pen holds will do.
constexpr std::uint32_t anyink = 0xFFFFFFFEu;

bool truecolor = true;
int termcols = 80, termrows = 25;
cell wanted[screenrows * screencols]; // what the game has presented
std::uint32_t resolved[16];           // the palette in the terminal's terms
shown onscreen[screenrows * screencols];
bool cleared = false; // the terminal was cleared since the last size change
bool noticeshown = false;
std::uint32_t penfg = unknown, penbg = unknown;
int cursorrow = -1, cursorcol = -1; // -1: unknown
std::string out;

bool fits() {
    return termcols >= screencols && termrows >= screenrows;
}

void forget() {
    for (auto& s : onscreen)
        s = {0, unknown, unknown};
    cleared = false;
    noticeshown = false;
    penfg = penbg = unknown;
    cursorrow = cursorcol = -1;
}

void number(unsigned v) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0)
        out += digits[--n];
}

// Terminal rows and columns count from 1; a parameter of 1 goes without saying.
void sequence(unsigned n, char final) {
    out += "\x1b[";
    if (n != 1)
        number(n);
    out += final;
}

std::size_t width(unsigned n) {
    std::size_t w = 1;
    while (n >= 10) {
        n /= 10;
        w++;
    }
    return w;
}

std::size_t sequencelength(unsigned n) {
    return 3 + (n != 1 ? width(n) : 0);
}

// The shortest of the ways there the cursor's known place allows: absolute, along the row or the
// column, relative, or a carriage return.
void moveto(int row, int col) {
    if (row == cursorrow && col == cursorcol)
        return;
    const unsigned r = static_cast<unsigned>(row + 1), c = static_cast<unsigned>(col + 1);
    enum { cup, cha, cr, cuf, cub, vpa, cud, cuu } best = cup;
    std::size_t cost = c == 1 ? sequencelength(r) : 4 + width(r) + width(c);
    auto consider = [&](decltype(best) way, std::size_t length) {
        if (length < cost) {
            best = way;
            cost = length;
        }
    };
    if (row == cursorrow) {
        consider(cha, sequencelength(c));
        if (col == 0)
            consider(cr, 1);
        if (cursorcol >= 0 && col > cursorcol)
            consider(cuf, sequencelength(static_cast<unsigned>(col - cursorcol)));
        if (cursorcol >= 0 && col < cursorcol)
            consider(cub, sequencelength(static_cast<unsigned>(cursorcol - col)));
    } else if (col == cursorcol && cursorrow >= 0) {
        consider(vpa, sequencelength(r));
        if (row > cursorrow)
            consider(cud, sequencelength(static_cast<unsigned>(row - cursorrow)));
        else
            consider(cuu, sequencelength(static_cast<unsigned>(cursorrow - row)));
    }
    switch (best) {
    case cup:
        out += "\x1b[";
        if (r != 1 || c != 1)
            number(r);
        if (c != 1) {
            out += ';';
            number(c);
        }
        out += 'H';
        break;
    case cha:
        sequence(c, 'G');
        break;
    case cr:
        out += '\r';
        break;
    case cuf:
        sequence(static_cast<unsigned>(col - cursorcol), 'C');
        break;
    case cub:
        sequence(static_cast<unsigned>(cursorcol - col), 'D');
        break;
    case vpa:
        sequence(r, 'd');
        break;
    case cud:
        sequence(static_cast<unsigned>(row - cursorrow), 'B');
        break;
    case cuu:
        sequence(static_cast<unsigned>(cursorrow - row), 'A');
        break;
    }
    cursorrow = row;
    cursorcol = col;
}

void colour(bool background, std::uint32_t c) {
    if (truecolor) {
        out += background ? "48;2;" : "38;2;";
        number(c >> 16);
        out += ';';
        number((c >> 8) & 0xFF);
        out += ';';
        number(c & 0xFF);
    } else {
        out += background ? "48;5;" : "38;5;";
        number(c);
    }
}

void pen(std::uint32_t fg, std::uint32_t bg) {
    if (fg == anyink)
        fg = penfg;
    if (fg == penfg && bg == penbg)
        return;
    out += "\x1b[";
    if (fg != penfg)
        colour(false, fg);
    if (fg != penfg && bg != penbg)
        out += ';';
    if (bg != penbg)
        colour(true, bg);
    out += 'm';
    penfg = fg;
    penbg = bg;
}

void clear() {
    out += "\x1b[0m\x1b[2J";
    penfg = penbg = unknown;
    cursorrow = cursorcol = -1;
}

// A terminal too small for the game gets a few plain lines asking for more room; the game goes on
// behind it and comes back whole once the terminal is large enough.
void notice() {
    char size[32];
    std::string now = "(now ";
    std::snprintf(size, sizeof size, "%d x %d)", termcols, termrows);
    now += size;
    const std::string lines[] = {"Dropple needs a terminal", "of at least 80 x 25.",
                                 "Please enlarge this one.", now};
    clear();
    int count = 4;
    int first = termrows > count ? (termrows - count) / 2 : 0;
    for (int i = 0; i < count && first + i < termrows; i++) {
        std::string text = lines[i].substr(0, static_cast<std::size_t>(termcols));
        moveto(first + i, (termcols - static_cast<int>(text.size())) / 2);
        out += text;
        cursorrow = -1;
    }
    noticeshown = true;
}

std::uint32_t rgb(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
}

} // namespace

int nearest256(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    static constexpr int level[6] = {0, 95, 135, 175, 215, 255};
    int best = 16;
    long bestd = -1;
    for (int i = 16; i < 256; i++) {
        int cr, cg, cb;
        if (i < 232) {
            cr = level[(i - 16) / 36];
            cg = level[(i - 16) / 6 % 6];
            cb = level[(i - 16) % 6];
        } else {
            cr = cg = cb = 8 + 10 * (i - 232);
        }
        long d = static_cast<long>(cr - r) * (cr - r) + static_cast<long>(cg - g) * (cg - g) +
                 static_cast<long>(cb - b) * (cb - b);
        if (bestd < 0 || d < bestd) {
            bestd = d;
            best = i;
        }
    }
    return best;
}

void renderinit(bool usetruecolor, int cols, int rows) {
    truecolor = usetruecolor;
    termcols = cols;
    termrows = rows;
    std::memset(wanted, 0, sizeof wanted);
    forget();
    // A full repaint stays within this, so the frame path never allocates.
    out.reserve(1 << 17);
}

void rendersize(int cols, int rows) {
    if (cols == termcols && rows == termrows)
        return;
    termcols = cols;
    termrows = rows;
    forget();
}

void renderinvalidate() {
    forget();
}

void renderput(const cell* buffer, int left, int top, int right, int bottom) {
    if (left < 0)
        left = 0;
    if (top < 0)
        top = 0;
    if (right >= screencols)
        right = screencols - 1;
    if (bottom >= screenrows)
        bottom = screenrows - 1;
    for (int r = top; r <= bottom; r++)
        for (int c = left; c <= right; c++)
            wanted[r * screencols + c] = buffer[r * screencols + c];
}

void renderpalette(const unsigned char* p) {
    for (int i = 0; i < 16; i++)
        resolved[i] =
            truecolor
                ? rgb(p + 3 * i)
                : static_cast<std::uint32_t>(nearest256(p[3 * i], p[3 * i + 1], p[3 * i + 2]));
}

// An update that is a single run of cells in one row arrives in one write and is drawn at once
// anyway (the game's clock ticking, most frames of a game), so it goes without the brackets and
// their 16 bytes.
constexpr std::size_t synclength = sizeof syncon - 1;

// Instead of stepping over a few unchanged cells the cursor may write them again, when their
// colours are the pen's and their glyphs are shorter than the step; the run of cells then goes on.
// How many cells from the cursor to `col` (frame coordinates) that takes, or 0 when stepping is
// as short.
int rewritable(int top, int left, int row, int col) {
    if (cursorrow != top + row || cursorcol < left || cursorcol >= left + col)
        return 0;
    const int from = cursorcol - left;
    if (col - from > 4)
        return 0;
    std::size_t bytes = 0;
    for (int c = from; c < col; c++) {
        const shown& s = onscreen[row * screencols + c];
        if ((s.fg != penfg && s.fg != anyink) || s.bg != penbg)
            return 0;
        bytes += std::strlen(glyph(s.ch));
    }
    return bytes < sequencelength(static_cast<unsigned>(col - from)) ? col - from : 0;
}

const std::string& renderframe() {
    out.assign(syncon);
    bool whole = false; // the screen was cleared or shows the notice
    int runs = 0;       // separate runs of written cells
    if (!fits()) {
        if (!noticeshown) {
            notice();
            whole = true;
        }
    } else {
        if (!cleared) {
            clear();
            cleared = true;
            whole = true;
        }
        int top = (termrows - screenrows) / 2;
        int left = (termcols - screencols) / 2;
        int lastrow = -1, lastcol = -1; // the last cell written, in frame coordinates
        for (int r = 0; r < screenrows; r++) {
            for (int c = 0; c < screencols; c++) {
                const cell& w = wanted[r * screencols + c];
                unsigned char ch = static_cast<unsigned char>(w.ch);
                // Three bytes share the blank glyph; treating them alike saves a rewrite.
                if (ch == 0 || ch == 0xFF)
                    ch = ' ';
                shown want{ch, ch == ' ' ? anyink : resolved[w.attr & 15],
                           resolved[(w.attr >> 4) & 15]};
                shown& s = onscreen[r * screencols + c];
                if (s == want)
                    continue;
                pen(want.fg, want.bg);
                int again = rewritable(top, left, r, c);
                if (again > 0) {
                    for (int k = c - again; k < c; k++)
                        out += glyph(onscreen[r * screencols + k].ch);
                    cursorcol += again;
                    if (lastrow != r || lastcol != c - again - 1)
                        runs++;
                } else {
                    moveto(top + r, left + c);
                    if (lastrow != r || lastcol != c - 1)
                        runs++;
                }
                out += glyph(ch);
                s = want;
                lastrow = r;
                lastcol = c;
                // Past the last column the terminal's cursor position is its own business.
                cursorcol = left + c + 1 < termcols ? cursorcol + 1 : -1;
                if (cursorcol < 0)
                    cursorrow = -1;
            }
        }
    }
    if (out.size() == synclength)
        out.clear();
    else if (!whole && runs == 1)
        out.erase(0, synclength);
    else
        out += syncoff;
    return out;
}
