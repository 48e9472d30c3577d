#include "screenrun.h"

using ColorPicker = ScreenTest;

TEST_F(ColorPicker, PreviewAndMarkersShowTheDecodedDefaultScheme) {
    // Entry 12, the placed L: background 6, foreground 12, medium shade.
    EXPECT_EQ(run(colorpicker, taps(std::string(12, 'r')), 40), -1);
    for (int col = 0; col < 54; col++) {
        ASSERT_EQ(text(4, col, 1)[0], static_cast<char>(defaultsettings[col | 1])) << col;
        ASSERT_EQ(attrat(4, col), defaultsettings[col & ~1]) << col;
    }
    EXPECT_EQ(text(5, 0, 28), std::string(24, ' ') + "^^  ");
    EXPECT_EQ(text(9, 10, 14), "  ^^          ");
    EXPECT_EQ(text(13, 22, 6) + text(17, 2, 6), "  ^^    ^^  ");
    EXPECT_EQ(attrat(5, 79), hl);
    EXPECT_EQ(attrat(9, 79), ui);
    EXPECT_EQ(attrat(16, 8), 0x6C);
    EXPECT_EQ(text(8, 30, 1) + text(16, 2, 1), "\xDB\xB0");
}

TEST_F(ColorPicker, ValuesStopAtTheEndsOfTheirRanges) {
    // Entry 26 (0xF0, blank): background past both ends, foreground past 15, shade past the
    // full block; start on a value section does nothing.
    std::string keys = "ls" + std::string(30, 'r') + "dr" + std::string(20, 'l') + "sdl" +
                       std::string(20, 'r') + "dl" + std::string(6, 'r');
    EXPECT_EQ(run(colorpicker, taps(keys), 200), -1);
    EXPECT_EQ(text(5, 52, 2) + text(9, 0, 2) + text(13, 30, 2) + text(17, 8, 2), "^^^^^^^^");
    EXPECT_EQ(text(4, 52, 1), "\xDB");
    EXPECT_EQ(attrat(4, 53), 0x0F);
    EXPECT_EQ(attrat(16, 0), 0x0F);
    EXPECT_EQ(pieces[26].attr, 0xF0);
    EXPECT_EQ(readfile(), defaults);
}

TEST_F(ColorPicker, SavesTheEditedSchemeWithUnknownShadesAsBlanks) {
    initload();
    pieces[3].ch = 'x';
    savesettings();
    EXPECT_EQ(run(colorpicker, taps("ddrrdds")), 3); // foreground of entry 0 to 2
    bytes expected = defaults;
    expected[0] = 0xA2;
    expected[7] = 0xFF;
    EXPECT_EQ(readfile(), expected);
}
