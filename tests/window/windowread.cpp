// Reads the game's cells back from a screenshot of its window (a binary PPM of the window alone):
// finds the scale and the centred picture, and for every cell the two colours and the glyph they
// draw. Prints the 25 rows as text (printable ASCII as itself, anything else as '?'), a line "--",
// then one line per cell: row, column, character, foreground and background as hex.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

extern const unsigned char windowfont[256][16];

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: windowread SHOT.ppm\n");
        return 2;
    }
    std::FILE* f = std::fopen(argv[1], "rb");
    int w = 0, h = 0, maxval = 0;
    if (!f || std::fscanf(f, "P6 %d %d %d", &w, &h, &maxval) != 3 || maxval != 255) {
        std::fprintf(stderr, "windowread: %s is no 8-bit binary PPM\n", argv[1]);
        return 1;
    }
    std::fgetc(f);
    std::vector<unsigned char> px(static_cast<std::size_t>(w) * h * 3);
    if (std::fread(px.data(), 1, px.size(), f) != px.size())
        return 1;
    std::fclose(f);
    const int s = std::min(w / 640, h / 400);
    if (s < 1) {
        std::fprintf(stderr, "windowread: %dx%d is smaller than the picture\n", w, h);
        return 1;
    }
    const int ox = (w - 640 * s) / 2, oy = (h - 400 * s) / 2;
    auto at = [&](int x, int y) {
        const unsigned char* p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
        return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    };
    std::uint32_t fg[25][80], bg[25][80];
    int ch[25][80];
    for (int r = 0; r < 25; r++)
        for (int c = 0; c < 80; c++) {
            unsigned char rows[16] = {};
            const std::uint32_t first = at(ox + c * 8 * s, oy + r * 16 * s);
            std::uint32_t other = first;
            for (int gy = 0; gy < 16; gy++)
                for (int gx = 0; gx < 8; gx++) {
                    std::uint32_t v = at(ox + (c * 8 + gx) * s, oy + (r * 16 + gy) * s);
                    if (v != first) {
                        other = v;
                        rows[gy] |= 0x80 >> gx;
                    }
                }
            // The top left pixel is background for most glyphs; a glyph that sets it shows up
            // inverted, and is looked for only when no glyph shows as it is.
            ch[r][c] = 0x3F;
            fg[r][c] = other;
            bg[r][c] = first;
            bool found = false;
            for (int inv = 0; inv < 2 && !found; inv++)
                for (int g = 0; g < 256 && !found; g++) {
                    found = true;
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
