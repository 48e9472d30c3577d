#include "platform/cp437.h"
#include "platform/term/render.h"

#include <array>

namespace {

constexpr std::array<std::array<char, 4>, 256> encode() {
    std::array<std::array<char, 4>, 256> t{};
    for (int i = 0; i < 256; i++) {
        char32_t c = cp437[i];
        auto& s = t[i];
        if (c < 0x80) {
            s[0] = static_cast<char>(c);
        } else if (c < 0x800) {
            s[0] = static_cast<char>(0xC0 | (c >> 6));
            s[1] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            s[0] = static_cast<char>(0xE0 | (c >> 12));
            s[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s[2] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return t;
}

constexpr auto utf8 = encode();

} // namespace

const char* glyph(unsigned char ch) {
    return utf8[ch].data();
}
