// Reads the game's cells back from a screenshot of its window (a binary PPM of the window alone):
// finds the scale and the centred picture, and for every cell the glyph and the two colours that
// draw it. Prints one line per cell: row, column, character, foreground and background as hex.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <tuple>
#include <vector>

extern const unsigned char windowfont[256][16];

int main(int argc, char** argv) {
    std::FILE* f = argc == 2 ? std::fopen(argv[1], "rb") : nullptr;
    int w = 0, h = 0, maxval = 0;
    if (!f || std::fscanf(f, "P6 %d %d %d", &w, &h, &maxval) != 3 || maxval != 255 ||
        std::fgetc(f) == EOF || std::min(w / 640, h / 400) < 1)
        return 2;
    std::vector<unsigned char> px(static_cast<std::size_t>(w) * h * 3);
    if (std::fread(px.data(), 1, px.size(), f) != px.size())
        return 1;
    const int s = std::min(w / 640, h / 400), ox = (w - 640 * s) / 2, oy = (h - 400 * s) / 2;
    auto at = [&](int x, int y) {
        const unsigned char* p = &px[(static_cast<std::size_t>(oy + y * s) * w + ox + x * s) * 3];
        return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    };
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
            int ch = 0x3F;
            std::uint32_t fg = other, bg = first;
            for (int inv = 0, found = 0; inv < 2 && !found; inv++)
                for (int g = 0; g < 256 && !found; g++) {
                    found = 1;
                    for (int y = 0; y < 16; y++)
                        found = found && (windowfont[g][y] ^ (inv ? 0xFF : 0)) == rows[y];
                    if (found)
                        std::tie(ch, fg, bg) =
                            std::tuple(g, inv ? first : other, inv ? other : first);
                }
            std::printf("%d %d %02X %06X %06X\n", r, c, ch, fg, bg);
        }
    return 0;
}
