// Reads the game's cells back from a screenshot of its window (a binary PPM of the window alone):
// finds the scale and the centred picture, and for every cell the two colours and the glyph they
// draw. Prints the 25 rows as text (printable ASCII as itself, anything else as '?'), a line "--",
// then one line per cell: row, column, character, foreground and background as hex.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

extern const unsigned char windowfont[256][16];

int main(int argc, char** argv) {
    std::FILE* f = argc == 2 ? std::fopen(argv[1], "rb") : nullptr;
    int w = 0, h = 0, maxval = 0;
    if (!f || std::fscanf(f, "P6 %d %d %d", &w, &h, &maxval) != 3 || maxval != 255 ||
        std::fgetc(f) == EOF || std::min(w / 640, h / 400) < 1) {
        std::fprintf(stderr, "usage: windowread SHOT.ppm (8-bit binary, 640x400 or larger)\n");
        return 2;
    }
    std::vector<unsigned char> px(static_cast<std::size_t>(w) * h * 3);
    if (std::fread(px.data(), 1, px.size(), f) != px.size())
        return 1;
    const int s = std::min(w / 640, h / 400), ox = (w - 640 * s) / 2, oy = (h - 400 * s) / 2;
    auto at = [&](int x, int y) {
        const unsigned char* p = &px[(static_cast<std::size_t>(oy + y * s) * w + ox + x * s) * 3];
        return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    };
    std::uint32_t fg[25][80], bg[25][80];
    int ch[25][80];
    for (int r = 0; r < 25; r++)
        for (int c = 0; c < 80; c++) {
            unsigned char rows[16] = {};
            const std::uint32_t first = at(c * 8, r * 16);
            std::uint32_t other = first;
            for (int gy = 0; gy < 16; gy++)
                for (int gx = 0; gx < 8; gx++)
                    if (const std::uint32_t v = at(c * 8 + gx, r * 16 + gy); v != first) {
                        other = v;
                        rows[gy] |= 0x80 >> gx;
                    }
            // The top left pixel is background for most glyphs; a glyph that sets it shows up
            // inverted, and is looked for only when no glyph shows as it is.
            ch[r][c] = 0x3F;
            fg[r][c] = other;
            bg[r][c] = first;
            for (int inv = 0, found = 0; inv < 2 && !found; inv++)
                for (int g = 0; g < 256 && !found; g++) {
                    found = 1;
                    for (int y = 0; y < 16; y++)
                        found = found && (windowfont[g][y] ^ (inv ? 0xFF : 0)) == rows[y];
                    if (found) {
                        ch[r][c] = g;
                        fg[r][c] = inv ? first : other;
                        bg[r][c] = inv ? other : first;
                    }
                }
        }
    for (int r = 0; r < 25; r++) {
        for (int c = 0; c < 80; c++)
            std::putchar(ch[r][c] > 0x20 && ch[r][c] < 0x7F ? ch[r][c] : ch[r][c] ? '?' : ' ');
        std::putchar('\n');
    }
    std::puts("--");
    for (int r = 0; r < 25; r++)
        for (int c = 0; c < 80; c++)
            std::printf("%d %d %02X %06X %06X\n", r, c, ch[r][c], fg[r][c], bg[r][c]);
    return 0;
}
