// The renderer's bytes without a terminal: the glyphs, and what is written for which change.
#include "console/platform/term_render.h"

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
    EXPECT_STREQ(glyph(0x1B), "\u2190");
    EXPECT_STREQ(glyph(0x7F), "\u2302");
    EXPECT_STREQ(glyph(0xFF), " ");
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

cell frame[screenrows * screencols];

std::string show() {
    renderput(frame, 0, 0, 79, 24);
    return renderframe();
}

TEST(render, onlychangedcellsarewritteninsideonebracket) {
    renderinit(true, 80, 25);
    for (auto& c : frame)
        c = {' ', 0x07};
    show();
    EXPECT_EQ(show(), "");
    frame[5].ch = 0; // shares the blank glyph: no change
    EXPECT_EQ(show(), "");
    frame[24 * 80 + 77] = {'9', 0x07};
    EXPECT_EQ(show(), "\x1b[?2026h\x1b[25;78H9\x1b[?2026l");
    // The cursor and pen carry over: the next cell needs no move, only the changed colour.
    frame[24 * 80 + 78] = {'9', 0x0C};
    EXPECT_EQ(show(), "\x1b[?2026h\x1b[38;2;255;85;85m9\x1b[?2026l");
    // Out-of-range rectangles are clipped.
    renderput(frame, -5, -5, 200, 200);
    EXPECT_EQ(renderframe(), "");
}

TEST(render, nearest256) {
    EXPECT_EQ(nearest256(0, 0, 0), 16);
    EXPECT_EQ(nearest256(255, 0, 0), 196);
    EXPECT_EQ(nearest256(128, 128, 128), 244);
    EXPECT_EQ(nearest256(0xAA, 0x55, 0), 130);
}

} // namespace
