#include "screenrun.h"

#include <cstring>

using namespace keycode;

using PaletteEditor = ScreenTest;

TEST_F(PaletteEditor, ShowsTheDefaultPaletteWithSwatches) {
    EXPECT_EQ(run(change16colors, taps({}), 3), -1);
    const char* rows[16] = {"000000", "0000AA", "00AA00", "00AAAA", "AA0000", "AA00AA",
                            "AAAA00", "AAAAAA", "FFAA55", "5555FF", "55FF55", "55FFFF",
                            "FF5555", "FF55FF", "FFFF55", "FFFFFF"};
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(text(i + 2, 0, 10), std::string(rows[i]) + "    ");
        EXPECT_EQ(attrat(i + 2, 8), i * 16);
        EXPECT_EQ(attrat(i + 2, 9), i * 16);
        EXPECT_EQ(attrat(i + 2, 1), 0x70);
    }
    EXPECT_EQ(attrat(2, 0), 0x30);
    EXPECT_EQ(text(0, 0, 16), "Change 16 colors");
    EXPECT_EQ(text(20, 0, 11), "Save & Quit");
}

TEST_F(PaletteEditor, DigitsCarryAndBorrowThroughTheWholeByte) {
    initload();
    color[0] = 0x0F;
    color[1] = 0xF0;
    color[2] = 0x05;
    color[45] = 0xFF;
    savesettings();
    // Low red + 1, high green + 1, high blue - 1; then colour 15's low green + 1.
    auto script = std::vector<unsigned char>{right, a, right, a, right, right, b, left} +
                  repeat(down, 15) + std::vector<unsigned char>{a};
    EXPECT_EQ(run(change16colors, taps(script), 60), -1);
    EXPECT_EQ(text(2, 0, 6), "1000F5");
    EXPECT_EQ(text(17, 0, 6), "FF00FF");
}

TEST_F(PaletteEditor, AppliesThePaletteOnEveryFrame) {
    int frames = 0, matched = 0;
    auto script = taps({a, a, right, b});
    EXPECT_EQ(run(
                  change16colors,
                  [&](std::uint64_t n) {
                      frames++;
                      matched += std::memcmp(headless::palette(), color, 48) == 0;
                      script(n);
                  },
                  20),
              -1);
    EXPECT_EQ(color[0], 0x1F);
    EXPECT_EQ(std::vector<unsigned char>(headless::palette(), headless::palette() + 3),
              (std::vector<unsigned char>{0x1F, 0x00, 0x00}));
    EXPECT_EQ(matched, frames);
    EXPECT_GE(headless::palettewrites(), frames);
}

TEST_F(PaletteEditor, SaveAndQuitKeepsTheDigitColumnAndSavesTheEdits) {
    // Green low digit + 1, start on a colour row, down to "Save & Quit", right past the last
    // column, back up, down again and save.
    auto script = std::vector<unsigned char>{right, right, right, a, start} + repeat(down, 17) +
                  std::vector<unsigned char>{right, right, right, up, down, start};
    const std::uint64_t onsave = 2 * 22, backup = 2 * 26;
    std::uint16_t saveline = 0, digit3 = 0, digit5 = 0;
    std::vector<unsigned char> early;
    auto tapper = taps(script);
    EXPECT_EQ(run(change16colors,
                  [&](std::uint64_t n) {
                      if (n == onsave) {
                          saveline = attrat(20, 79);
                          early = readfile();
                      }
                      if (n == backup) {
                          digit3 = attrat(17, 3);
                          digit5 = attrat(17, 5);
                      }
                      tapper(n);
                  }),
              3);
    EXPECT_EQ(saveline, 0x30);
    EXPECT_EQ(digit3, 0x70);
    EXPECT_EQ(digit5, 0x30);
    EXPECT_EQ(early, std::vector<unsigned char>(defaultsettings, defaultsettings + 138));
    initload();
    EXPECT_EQ(color[1], 0x01);
}
