#include "screenrun.h"

using PaletteEditor = ScreenTest;

// Low red + 1, high green + 1, high blue - 1; colour 15's low green + 1; start there does
// nothing; then "Save & Quit". The palette shown follows every edit at once.
TEST_F(PaletteEditor, DigitsCarryAndBorrowThroughTheWholeByteAndAreSavedAndShown) {
    initload();
    color[0] = 0x0F, color[1] = 0xF0, color[2] = 0x05;
    savesettings();
    std::string keys = "rararrbl" + std::string(15, 'd') + "asds", shown;
    int mismatched = 0;
    EXPECT_EQ(run(change16colors, keys, 2000,
                  [&](std::uint64_t n) {
                      mismatched += std::memcmp(headless::palette(), color, 48) != 0;
                      if (n == 2 * keys.size() - 4)
                          shown = text(2, 0, 6) + text(17, 0, 6);
                  }),
              3);
    EXPECT_EQ(shown, "1000F5FF00FF");
    EXPECT_EQ(mismatched, 0);
    bytes want = defaults;
    want[54] = 0x10, want[55] = 0x00, want[56] = 0xF5, want[100] = 0x00;
    EXPECT_EQ(readfile(), want);
}
