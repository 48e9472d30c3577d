#include "screenrun.h"

using namespace keycode;

namespace {
constexpr std::uint16_t ui = 0x70, hl = 0x30;

void presetvalues(std::uint32_t das, std::uint32_t sds) {
    initload();
    INGAMEDAS = das;
    INGAMESDS = sds;
    savesettings();
}
} // namespace

using TimingScreen = ScreenTest;

TEST_F(TimingScreen, ShowsTheDefaultsWithTheCursorOnTheOnesDigit) {
    EXPECT_EQ(run(settings, taps({}), 3), -1);
    EXPECT_EQ(text(3, 0, 10), "0000000007");
    EXPECT_EQ(text(6, 0, 10), "0000004096");
    EXPECT_EQ(text(9, 0, 10), "0000008192");
    EXPECT_EQ(text(12, 0, 10), "0000000008");
    EXPECT_EQ(text(15, 0, 10), "0000000001");
    EXPECT_EQ(chat(14, 43), 0xF3);
    EXPECT_EQ(text(18, 0, 11), "Save & Quit");
    for (int row = 0; row < 24; row++)
        for (int col = 0; col < 80; col++)
            EXPECT_EQ(attrat(row, col), row == 3 && col == 9 ? hl : ui) << row << "," << col;
}

TEST_F(TimingScreen, DigitsCarryBorrowAndWrapAroundThirtyTwoBits) {
    presetvalues(9, 4294967295u);
    auto script = std::vector<unsigned char>{a, down, down} + repeat(left, 12) +
                  std::vector<unsigned char>{a, down, down, b, down, start};
    EXPECT_EQ(run(settings, taps(script)), 3);
    EXPECT_EQ(text(3, 0, 10), "0000000010");
    EXPECT_EQ(text(9, 0, 10), "0999999999");
    EXPECT_EQ(text(15, 0, 10), "3294967297");
    initload();
    EXPECT_EQ(INGAMEDAS, 10u);
    EXPECT_EQ(INGAMESDS, 999999999u);
    EXPECT_EQ(GUIARR, 3294967297u);
    EXPECT_EQ(INGAMEARR, 4096u);
    EXPECT_EQ(GUIDAS, 8u);
}

TEST_F(TimingScreen, StartOnAValueLineNeitherSavesNorLeaves) {
    EXPECT_EQ(run(settings, taps({a, start, down, b, start}), 40), -1);
    EXPECT_EQ(readfile(), std::vector<unsigned char>(defaultsettings, defaultsettings + 138));
}

TEST_F(TimingScreen, SaveAndQuitRemembersTheColumnItWasLeftFrom) {
    // Column 6, down past the last value line, 4 unseen on "Save & Quit", back up.
    auto script =
        repeat(left, 3) + repeat(down, 6) + repeat(left, 2) + std::vector<unsigned char>{up};
    EXPECT_EQ(run(settings, taps(script), 40), -1);
    EXPECT_EQ(attrat(15, 4), hl);
    EXPECT_EQ(attrat(15, 6), ui);
    EXPECT_EQ(attrat(18, 0), ui);
    EXPECT_EQ(attrat(18, 79), ui);
}

TEST_F(TimingScreen, TheCursorStopsAtBothEndsOfALine) {
    EXPECT_EQ(run(settings, taps(repeat(right, 2) + repeat(left, 12) + repeat(up, 2)), 60), -1);
    EXPECT_EQ(attrat(3, 0), hl);
    EXPECT_EQ(text(3, 0, 10), "0000000007");
}

TEST_F(TimingScreen, MenuRepeatChangesActOnThisVeryScreen) {
    // GUIARR 1 -> 0, then hold left on the menu ARR line: one move at once, one after the delay,
    // and none after that.
    int column = -1;
    auto script = taps(repeat(down, 4) + std::vector<unsigned char>{b});
    EXPECT_EQ(run(
                  settings,
                  [&](std::uint64_t n) {
                      if (n < 12)
                          return script(n);
                      headless::press(left);
                      if (n == 80)
                          for (int c = 0; c < 10; c++)
                              if (attrat(15, c) == hl)
                                  column = c;
                  },
                  80),
              -1);
    EXPECT_EQ(text(15, 0, 10), "0000000000");
    EXPECT_EQ(column, 7);
}
