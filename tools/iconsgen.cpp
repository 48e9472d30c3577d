// Draws the game's icon, a T piece about to drop into the gap of a stack, at every size the icon
// theme asks for: OUT/NxN/apps/dropple.png. The same picture also goes into a Windows icon file
// (PNG images inside, as Windows reads them), and into C++ source as the window's own icon.
// Usage: iconsgen OUT | iconsgen --ico FILE.ico | iconsgen --source FILE.cpp
#include "png.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct rgba {
    float r, g, b, a;
};

// The picture on a 4 by 4 grid: '.' empty, T purple, O yellow, S green.
constexpr const char* grid[4] = {".TTT", "..T.", "OO.S", "OOSS"};

rgba colourof(char c) {
    switch (c) {
    case 'T':
        return {0.66f, 0.28f, 0.86f, 1};
    case 'O':
        return {0.95f, 0.78f, 0.15f, 1};
    default:
        return {0.30f, 0.78f, 0.30f, 1};
    }
}

rgba shade(rgba c, float by) {
    auto f = [by](float v) { return by > 0 ? v + (1 - v) * by : v * (1 + by); };
    return {f(c.r), f(c.g), f(c.b), c.a};
}

// The colour at a point of the unit square.
rgba at(float x, float y, bool bevels) {
    // A rounded dark square behind everything.
    const float lo = 0.03f, hi = 0.97f, round = 0.16f;
    const float cx = std::clamp(x, lo + round, hi - round),
                cy = std::clamp(y, lo + round, hi - round);
    if (x < lo || x > hi || y < lo || y > hi ||
        (x - cx) * (x - cx) + (y - cy) * (y - cy) > round * round)
        return {0, 0, 0, 0};
    const rgba back{0.10f, 0.12f, 0.20f, 1};
    const float from = 0.14f, cellsize = 0.18f;
    const float gx = (x - from) / cellsize, gy = (y - from) / cellsize;
    if (gx < 0 || gy < 0 || gx >= 4 || gy >= 4)
        return back;
    const char c = grid[static_cast<int>(gy)][static_cast<int>(gx)];
    const float fx = gx - static_cast<int>(gx), fy = gy - static_cast<int>(gy);
    const float gap = 0.05f, bevel = 0.18f;
    if (c == '.' || fx < gap || fy < gap || fx > 1 - gap || fy > 1 - gap)
        return back;
    if (!bevels)
        return colourof(c);
    // Lit from the top left, like a block in the game.
    if (fx < gap + bevel && fy < 1 - gap - bevel + (fx - gap))
        return shade(colourof(c), 0.35f);
    if (fy < gap + bevel)
        return shade(colourof(c), 0.35f);
    if (fx > 1 - gap - bevel || fy > 1 - gap - bevel)
        return shade(colourof(c), -0.35f);
    return colourof(c);
}

// Four by four samples a pixel, so the small sizes keep their shapes without jagged edges; below
// 32 pixels the bevels would only blur the blocks.
std::vector<std::uint8_t> draw(int size) {
    std::vector<std::uint8_t> px;
    constexpr int n = 4;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < n; sy++)
                for (int sx = 0; sx < n; sx++) {
                    rgba c =
                        at((x + (sx + 0.5f) / n) / size, (y + (sy + 0.5f) / n) / size, size >= 32);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            auto byte = [](float v) {
                return static_cast<std::uint8_t>(std::clamp(v, 0.f, 1.f) * 255 + 0.5f);
            };
            px.push_back(a > 0 ? byte(r / a) : 0);
            px.push_back(a > 0 ? byte(g / a) : 0);
            px.push_back(a > 0 ? byte(b / a) : 0);
            px.push_back(byte(a / (n * n)));
        }
    return px;
}

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// An icon directory of PNG images, smallest first; a size of 256 is written as 0.
std::vector<std::uint8_t> icofile() {
    const int sizes[] = {16, 24, 32, 48, 64, 256};
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : sizes)
        images.push_back(pngbytes(size, size, draw(size)));
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, static_cast<unsigned>(images.size()));
    unsigned at = 6 + 16 * static_cast<unsigned>(images.size());
    for (std::size_t i = 0; i < images.size(); i++) {
        out.push_back(static_cast<std::uint8_t>(sizes[i] & 0xFF));
        out.push_back(static_cast<std::uint8_t>(sizes[i] & 0xFF));
        out.push_back(0); // no palette
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, 32); // bits a pixel
        put32(out, static_cast<unsigned>(images[i].size()));
        put32(out, at);
        at += static_cast<unsigned>(images[i].size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

// The window's icon, RGBA rows top to bottom, as SDL takes it.
std::string iconsource() {
    constexpr int size = 64;
    const std::vector<std::uint8_t> px = draw(size);
    std::string out = "// Made by tools/iconsgen: the game's icon for its window.\n"
                      "extern const int windowiconsize = " +
                      std::to_string(size) +
                      ";\n"
                      "extern const unsigned char windowicon[] = {";
    for (std::size_t i = 0; i < px.size(); i++)
        out += (i % 16 ? " " : "\n    ") + std::to_string(px[i]) + ",";
    return out + "\n};\n";
}

bool writeall(const char* path, const void* data, std::size_t n) {
    std::ofstream f(path, std::ios::binary);
    f.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
    f.close();
    if (f)
        return true;
    std::fprintf(stderr, "iconsgen: cannot write %s\n", path);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--ico") {
        const std::vector<std::uint8_t> ico = icofile();
        return writeall(argv[2], ico.data(), ico.size()) ? 0 : 1;
    }
    if (argc == 3 && std::string(argv[1]) == "--source") {
        const std::string source = iconsource();
        return writeall(argv[2], source.data(), source.size()) ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(
            stderr, "usage: iconsgen OUT | iconsgen --ico FILE.ico | iconsgen --source FILE.cpp\n");
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path dir = std::filesystem::path(argv[1]) / name / "apps";
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (!writepng((dir / "dropple.png").string(), size, size, draw(size))) {
            std::fprintf(stderr, "iconsgen: cannot write %s\n",
                         (dir / "dropple.png").string().c_str());
            return 1;
        }
    }
    return 0;
}
