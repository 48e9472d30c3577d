#include "screenrun.h"

using namespace keycode;

namespace {
std::vector<unsigned char> defaults() {
    return {defaultsettings, defaultsettings + 138};
}
} // namespace

using ColorPicker = ScreenTest;

TEST_F(ColorPicker, PreviewShowsTheDefaultSchemeDecodedIntoShades) {
    EXPECT_EQ(run(colorpicker, taps({}), 3), -1);
    for (int e = 0; e < 27; e++)
        for (int half = 0; half < 2; half++) {
            EXPECT_EQ(chat(4, 2 * e + half), defaultsettings[2 * e + 1]) << e;
            EXPECT_EQ(attrat(4, 2 * e + half), defaultsettings[2 * e]) << e;
        }
    // Entry 0 (S, 0xA0, blank): entry, background 10, foreground 0 and shade 0 are marked.
    EXPECT_EQ(text(5, 0, 4), "^^  ");
    EXPECT_EQ(text(9, 18, 6), "  ^^  ");
    EXPECT_EQ(text(13, 0, 4), "^^  ");
    EXPECT_EQ(text(17, 0, 4), "^^  ");
    EXPECT_EQ(attrat(5, 79), 0x30);
    EXPECT_EQ(attrat(9, 79), 0x70);
    EXPECT_EQ(chat(16, 2), 0xB0);
    EXPECT_EQ(attrat(16, 2), 0xA0);
    EXPECT_EQ(chat(8, 30), 0xDB);
    EXPECT_EQ(attrat(8, 30), 15);
}

TEST_F(ColorPicker, SelectingAnEntryShowsItsOwnMarkers) {
    // Entry 12 is the placed L: background 6, foreground 12, medium shade.
    EXPECT_EQ(run(colorpicker, taps(repeat(right, 12)), 40), -1);
    EXPECT_EQ(text(5, 0, 2), "  ");
    EXPECT_EQ(text(5, 24, 2), "^^");
    EXPECT_EQ(text(9, 20, 2), "  ");
    EXPECT_EQ(text(9, 12, 2), "^^");
    EXPECT_EQ(text(13, 24, 2), "^^");
    EXPECT_EQ(text(17, 4, 2), "^^");
    EXPECT_EQ(attrat(16, 8), 0x6C);
}

TEST_F(ColorPicker, ValuesStopAtTheEndsOfTheirRanges) {
    // Entry 26 (board background 0xF0, blank): background past both ends, foreground to 15,
    // shade to the full block; start on a value section does nothing.
    auto script = std::vector<unsigned char>{left, start} + repeat(right, 30) +
                  std::vector<unsigned char>{down, right} + repeat(left, 20) +
                  std::vector<unsigned char>{start, down, left} + repeat(right, 20) +
                  std::vector<unsigned char>{down, left} + repeat(right, 6);
    EXPECT_EQ(run(colorpicker, taps(script), 200), -1);
    EXPECT_EQ(text(5, 52, 2), "^^");
    EXPECT_EQ(text(9, 0, 2), "^^");
    EXPECT_EQ(text(13, 30, 2), "^^");
    EXPECT_EQ(text(17, 8, 2), "^^");
    EXPECT_EQ(chat(4, 52), 0xDB);
    EXPECT_EQ(attrat(4, 53), 0x0F);
    EXPECT_EQ(attrat(16, 0), 0x0F);
    EXPECT_EQ(pieces[26].attr, 0xF0); // the loaded scheme stays as it was
    EXPECT_EQ(readfile(), defaults());
}

TEST_F(ColorPicker, SavesTheEditedSchemeWithUnknownShadesAsBlanks) {
    initload();
    pieces[3].ch = 'x';
    savesettings();
    // Foreground of entry 0 from 0 to 2, then Save & Quit.
    auto script = std::vector<unsigned char>{down, down, right, right, down, down, start};
    EXPECT_EQ(run(colorpicker, taps(script)), 3);
    auto expected = defaults();
    expected[0] = 0xA2;
    expected[7] = 0xFF;
    EXPECT_EQ(readfile(), expected);
}
