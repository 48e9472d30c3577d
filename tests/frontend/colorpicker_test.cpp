#include "screenrun.h"

using ColorPicker = ScreenTest;

TEST_F(ColorPicker, PreviewAndMarkersShowTheDecodedDefaultScheme) {
    // Entry 12, the placed L: background 6, foreground 12, medium shade.
    EXPECT_EQ(run(colorpicker, taps(std::string(12, 'r')), 40), -1);
    for (int col = 0; col < 54; col++)
        ASSERT_EQ(std::tuple(text(4, col, 1)[0], attrat(4, col)),
                  std::tuple(static_cast<char>(defaults[col | 1]), defaults[col & ~1]))
            << col;
    EXPECT_EQ(text(5, 0, 28) + text(9, 10, 14) + text(13, 22, 6) + text(17, 2, 6) + text(8, 30, 1) +
                  text(16, 2, 1),
              std::string(24, ' ') + "^^    ^^            ^^    ^^  \xDB\xB0");
    EXPECT_EQ(std::tuple(attrat(5, 79), attrat(9, 79), attrat(16, 8)), std::tuple(hl, ui, 0x6C));
}

// Entry 26 (0xF0, blank): background past both ends, foreground past 15, shade past the full
// block; start on a value section does nothing.
TEST_F(ColorPicker, ValuesStopAtTheEndsOfTheirRanges) {
    std::string keys = "ls" + std::string(30, 'r') + "dr" + std::string(20, 'l') + "sdl" +
                       std::string(20, 'r') + "dl" + std::string(6, 'r');
    EXPECT_EQ(run(colorpicker, taps(keys), 200), -1);
    EXPECT_EQ(text(5, 52, 2) + text(9, 0, 2) + text(13, 30, 2) + text(17, 8, 2) + text(4, 52, 1),
              "^^^^^^^^\xDB");
    EXPECT_EQ(std::tuple(attrat(4, 53), attrat(16, 0), pieces[26].attr),
              std::tuple(0x0F, 0x0F, 0xF0));
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
