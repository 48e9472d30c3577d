// The renderer's bytes, checked without a terminal: what is written for which change, and that no
// byte of the game's cells can act on the terminal.
#include "console/platform/term_render.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <cwchar>
#include <iconv.h>
#include <string>

namespace {

cell frame[screenrows * screencols];

void fill(std::uint16_t ch, std::uint16_t attr) {
    for (auto& c : frame)
        c = {ch, attr};
}

std::string show(int left = 0, int top = 0, int right = 79, int bottom = 24) {
    renderput(frame, left, top, right, bottom);
    return renderframe();
}

std::size_t count(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (auto p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
        n++;
    return n;
}

// Every glyph written: the frame's bytes with the escape sequences taken out.
std::string text(const std::string& bytes) {
    std::string t;
    for (std::size_t i = 0; i < bytes.size(); i++) {
        if (bytes[i] == '\x1b' && i + 1 < bytes.size() && bytes[i + 1] == '[') {
            i += 2;
            while (i < bytes.size() && !(bytes[i] >= 0x40 && bytes[i] <= 0x7E))
                i++;
            continue;
        }
        t += bytes[i];
    }
    return t;
}

class render : public ::testing::Test {
  protected:
    void SetUp() override {
        renderinit(true, 80, 25);
        fill(' ', 0x07);
        show();
    }
};

} // namespace

TEST(glyphs, highhalfmatchesthesystemcodepage) {
    iconv_t cd = iconv_open("UTF-8", "IBM437");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0x80; b < 0xFF; b++) {
        char in[1] = {static_cast<char>(b)};
        char outbuf[8] = {};
        char* ip = in;
        char* op = outbuf;
        std::size_t il = 1, ol = sizeof outbuf - 1;
        ASSERT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<std::size_t>(-1)) << b;
        EXPECT_STREQ(glyph(static_cast<unsigned char>(b)), outbuf) << "byte " << b;
    }
    iconv_close(cd);
    EXPECT_STREQ(glyph(0xFF), " ");
    EXPECT_STREQ(glyph(0x00), " ");
    for (int b = 0x20; b < 0x7F; b++)
        EXPECT_EQ(std::string(glyph(static_cast<unsigned char>(b))), std::string(1, char(b)));
}

TEST(glyphs, controlrangeshowspicturesonecellwide) {
    EXPECT_STREQ(glyph(0x01), "\u263A");
    EXPECT_STREQ(glyph(0x1B), "\u2190");
    EXPECT_STREQ(glyph(0x7F), "\u2302");
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    for (int b = 0; b < 256; b++) {
        const char* g = glyph(static_cast<unsigned char>(b));
        wchar_t w;
        std::mbstate_t st{};
        std::size_t n = std::mbrtowc(&w, g, std::strlen(g), &st);
        ASSERT_EQ(n, std::strlen(g)) << "byte " << b;
        EXPECT_EQ(wcwidth(w), 1) << "byte " << b;
        // Neither a C0 control, DEL, nor a C1 control (U+0080-U+009F).
        EXPECT_FALSE(w < 0x20 || (w >= 0x7F && w < 0xA0)) << "byte " << b;
    }
}

TEST_F(render, nocellbytecanactontheterminal) {
    // Every byte in every colour: the text between escape sequences holds no control byte at all.
    for (int i = 0; i < screenrows * screencols; i++)
        frame[i] = {static_cast<std::uint16_t>(i % 256), static_cast<std::uint16_t>(i / 7 % 256)};
    std::string t = text(show());
    for (unsigned char b : t)
        ASSERT_FALSE(b < 0x20 || b == 0x7F) << int(b);
}

TEST_F(render, unchangedframewritesnothing) {
    EXPECT_EQ(show(), "");
    fill(' ', 0x07);
    EXPECT_EQ(show(), "");
    // A byte that shares the blank glyph is no change either.
    frame[5].ch = 0;
    frame[6].ch = 0xFF;
    EXPECT_EQ(show(), "");
}

TEST_F(render, onechangedcellwritesitalonebracketed) {
    frame[24 * 80 + 77] = {'9', 0x07};
    std::string b = show();
    EXPECT_EQ(b, "\x1b[?2026h\x1b[25;78H9\x1b[?2026l");
    // The pen and the cursor are kept from frame to frame: the next cell needs no move, and a
    // colour change writes only the part that changed.
    frame[24 * 80 + 78] = {'9', 0x0C};
    EXPECT_EQ(show(), "\x1b[?2026h\x1b[38;2;255;85;85m9\x1b[?2026l");
}

TEST_F(render, palettechangeredrawsexactlythecellsofthatcolour) {
    fill(' ', 0x07);
    for (int i = 0; i < 37; i++)
        frame[i * 50] = {'#', 0x4E}; // yellow on red
    frame[1999] = {'#', 0x1E};       // yellow on blue
    show();
    unsigned char pal[48];
    // The start-up palette with red (4) changed.
    for (int i = 0; i < 16; i++) {
        pal[3 * i] = (i & 4 ? 0xAA : 0) + (i & 8 ? 0x55 : 0);
        pal[3 * i + 1] = (i & 2 ? 0xAA : 0) + (i & 8 ? 0x55 : 0);
        pal[3 * i + 2] = (i & 1 ? 0xAA : 0) + (i & 8 ? 0x55 : 0);
    }
    pal[7] = 0x55; // brown, as consoles have it
    renderpalette(pal);
    EXPECT_EQ(renderframe(), "");
    pal[12] = 0x80;
    renderpalette(pal);
    std::string b = renderframe();
    EXPECT_EQ(text(b), std::string(37, '#'));
    EXPECT_EQ(count(b, "48;2;128;0;0"), 1u);
    // Changing a colour nobody uses writes nothing.
    pal[3 * 13] = 0x12;
    renderpalette(pal);
    EXPECT_EQ(renderframe(), "");
}

TEST_F(render, without24bitcolourthenearest256areused) {
    EXPECT_EQ(nearest256(0, 0, 0), 16);
    EXPECT_EQ(nearest256(255, 0, 0), 196);
    EXPECT_EQ(nearest256(255, 255, 255), 231);
    EXPECT_EQ(nearest256(128, 128, 128), 244);
    EXPECT_EQ(nearest256(0xAA, 0x55, 0), 130);
    renderinit(false, 80, 25);
    fill('z', 0x1C);
    std::string b = show();
    EXPECT_EQ(count(b, "38;5;203;48;5;19m"), 1u);
    EXPECT_EQ(count(b, "38;2"), 0u);
}

TEST_F(render, smallterminalshowsanoticeuntilenlarged) {
    rendersize(60, 20);
    std::string b = show();
    EXPECT_NE(b.find("80 x 25"), std::string::npos);
    EXPECT_NE(b.find("(now 60 x 20)"), std::string::npos);
    // The game goes on behind the notice without writing anything.
    frame[100] = {'Q', 0x07};
    EXPECT_EQ(show(), "");
    // A tiny terminal gets what fits, never more than its width.
    rendersize(5, 1);
    b = show();
    EXPECT_EQ(text(b).size(), 5u);
    rendersize(80, 25);
    b = show();
    EXPECT_EQ(text(b).size(), 2000u);
    EXPECT_EQ(text(b)[100], 'Q');
}

TEST_F(render, onlythepresentedrectanglecountsclipped) {
    fill('k', 0x07);
    EXPECT_EQ(text(show(76, 24, 79, 24)), "kkkk");
    EXPECT_EQ(text(show(-5, -5, 200, 200)).size(), 1996u);
}
