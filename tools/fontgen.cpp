// Turns GNU Unifont's hex file into the window's font: the 8 by 16 picture of every code page 437
// byte, written as a C++ source file. Usage: fontgen UNIFONT.HEX OUT.cpp
#include "platform/cp437.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fontgen UNIFONT.HEX OUT.cpp\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "fontgen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string bits[256];
    for (std::string line; std::getline(in, line);) {
        std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        char32_t cp =
            static_cast<char32_t>(std::strtoul(line.substr(0, colon).c_str(), nullptr, 16));
        for (int i = 0; i < 256; i++)
            if (cp437[i] == cp)
                bits[i] = line.substr(colon + 1);
    }
    std::FILE* out = std::fopen(argv[2], "w");
    if (!out)
        return 1;
    std::fprintf(out, "// Made by tools/fontgen from GNU Unifont; do not edit.\n"
                      "extern const unsigned char windowfont[256][16];\n"
                      "const unsigned char windowfont[256][16] = {\n");
    for (int i = 0; i < 256; i++) {
        const std::string& b = bits[i];
        // Unifont draws a few symbols 16 pixels wide; those are narrowed by pairing columns.
        if (b.size() != 32 && b.size() != 64) {
            std::fprintf(stderr, "fontgen: no 8 by 16 glyph for U+%04X\n",
                         static_cast<unsigned>(cp437[i]));
            std::fclose(out);
            std::remove(argv[2]);
            return 1;
        }
        std::fprintf(out, "    {");
        for (int row = 0; row < 16; row++) {
            unsigned v;
            if (b.size() == 32) {
                v = static_cast<unsigned>(std::stoul(b.substr(row * 2, 2), nullptr, 16));
            } else {
                unsigned w = static_cast<unsigned>(std::stoul(b.substr(row * 4, 4), nullptr, 16));
                v = 0;
                for (int c = 0; c < 8; c++)
                    if (w & (0xC000u >> (2 * c)))
                        v |= 0x80u >> c;
            }
            std::fprintf(out, "0x%02X%s", v, row < 15 ? "," : "");
        }
        std::fprintf(out, "}, // %02X\n", i);
    }
    std::fprintf(out, "};\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
