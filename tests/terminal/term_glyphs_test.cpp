// Every byte of a cell has a glyph one cell wide that can never act on the terminal.
#include "console/platform/term/render.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <cwchar>
#include <iconv.h>
#include <string>

namespace {

TEST(glyphs, codepageandpicturesonecellwideandnevercontrols) {
    iconv_t cd = iconv_open("UTF-8", "IBM437");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0x20; b < 0xFF; b++) {
        char in[1] = {static_cast<char>(b)}, out[8] = {};
        char *ip = in, *op = out;
        std::size_t il = 1, ol = sizeof out - 1;
        if (b != 0x7F && iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1)) {
            EXPECT_STREQ(glyph(static_cast<unsigned char>(b)), out) << "byte " << b;
        }
    }
    iconv_close(cd);
    EXPECT_STREQ(glyph(0x01), "\u263A");
    EXPECT_STREQ(glyph(0x7F), "\u2302");
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    for (int b = 0; b < 256; b++) {
        const char* g = glyph(static_cast<unsigned char>(b));
        wchar_t w;
        std::mbstate_t st{};
        ASSERT_EQ(std::mbrtowc(&w, g, std::strlen(g), &st), std::strlen(g)) << "byte " << b;
        EXPECT_EQ(wcwidth(w), 1) << "byte " << b;
        EXPECT_FALSE(w < 0x20 || (w >= 0x7F && w < 0xA0)) << "byte " << b;
    }
}

} // namespace
