// Reads the game's cells back from a screenshot of its window (a binary PPM of the window alone):
// finds the scale and the centred picture, and for every cell the glyph that draws it. Prints one
// line per cell: row, column and the character as hex ('?' for a cell no glyph draws).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

extern const unsigned char windowfont[256][16];

// The lowest character whose glyph has exactly these rows, or -1.
static int glyph(const unsigned char rows[16]) {
    for (int g = 0; g < 256; g++)
        if (std::memcmp(windowfont[g], rows, 16) == 0)
            return g;
    return -1;
}

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
            // The pixels unlike the top left one, which is background for most glyphs; a glyph
            // that sets it shows up inverted, and is looked for only when no glyph shows as it is.
            unsigned char rows[16] = {}, inverted[16];
            for (int gy = 0; gy < 16; gy++) {
                for (int gx = 0; gx < 8; gx++)
                    if (at(c * 8 + gx, r * 16 + gy) != at(c * 8, r * 16))
                        rows[gy] |= 0x80 >> gx;
                inverted[gy] = static_cast<unsigned char>(~rows[gy]);
            }
            const int upright = glyph(rows), ch = upright >= 0 ? upright : glyph(inverted);
            std::printf("%d %d %02X\n", r, c, ch >= 0 ? ch : 0x3F);
        }
    return 0;
}
