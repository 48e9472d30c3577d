#include "screenrun.h"

using ColorPicker = ScreenTest;

// Entry 26 (0xF0, blank): background past both ends, foreground past 15, shade past the full
// block, with start on the value sections doing nothing; then saved, with the unknown shade of
// entry 3 as a blank. Opened again, the picker reads back what it saved.
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
    EXPECT_EQ(run(colorpicker, "dddds"), 3);
    EXPECT_EQ(readfile(), want);
}
