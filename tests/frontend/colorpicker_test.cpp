#include "screenrun.h"

using ColorPicker = ScreenTest;

TEST_F(ColorPicker, PreviewAndMarkersShowTheDecodedDefaultScheme) {
    // Entry 12, the placed L: background 6, foreground 12, medium shade.
    EXPECT_EQ(run(colorpicker, std::string(12, 'r'), 40), -1);
    EXPECT_EQ(text(5, 0, 28) + text(9, 10, 14) + text(13, 22, 6) + text(17, 2, 6) + text(8, 30, 1) +
                  text(16, 2, 1),
              std::string(24, ' ') + "^^    ^^            ^^    ^^  \xDB\xB0");
    EXPECT_EQ(std::tuple(attrat(5, 79), attrat(9, 79), attrat(16, 8)), std::tuple(hl, ui, 0x6C));
}

// Entry 26 (0xF0, blank): background past both ends, foreground past 15, shade past the full
// block, with start on the value sections doing nothing; then saved, with the unknown shade of
// entry 3 as a blank.
TEST_F(ColorPicker, ValuesStopAtTheEndsOfTheirRangesAndAreSaved) {
    initload();
    pieces[3].ch = 'x';
    savesettings();
    bytes want = readfile(), before;
    std::string keys = "ls" + std::string(30, 'r') + "dr" + std::string(20, 'l') + "sdl" +
                       std::string(20, 'r') + "dl" + std::string(6, 'r') + "ds";
    auto note = [&](std::uint64_t n) { before = n < 2 * keys.size() - 2 ? readfile() : before; };
    EXPECT_EQ(run(colorpicker, keys, 2000, note), 3);
    EXPECT_EQ(before, want);
    EXPECT_EQ(text(5, 52, 2) + text(9, 0, 2) + text(13, 30, 2) + text(17, 8, 2), "^^^^^^^^");
    want[7] = 0xFF, want[52] = 0x0F, want[53] = 0xDB;
    EXPECT_EQ(readfile(), want);
}
