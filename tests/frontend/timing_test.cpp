#include "screenrun.h"

using TimingScreen = ScreenTest;

TEST_F(TimingScreen, ShowsTheDefaultsWithTheCursorOnTheOnesDigit) {
    EXPECT_EQ(run(settings, taps(""), 3), -1);
    EXPECT_EQ(text(3, 0, 10) + text(6, 0, 10) + text(9, 0, 10) + text(12, 0, 10) + text(15, 0, 10),
              "00000000070000004096000000819200000000080000000001");
    for (int row = 0; row < 24; row++)
        for (int col = 0; col < 80; col++)
            ASSERT_EQ(attrat(row, col), row == 3 && col == 9 ? hl : ui) << row << "," << col;
}

TEST_F(TimingScreen, DigitsCarryBorrowAndWrapAroundThirtyTwoBits) {
    initload();
    INGAMEDAS = 9;
    INGAMESDS = 4294967295u;
    savesettings();
    EXPECT_EQ(run(settings, taps("add" + std::string(12, 'l') + "addbds")), 3);
    initload();
    EXPECT_EQ(std::tuple(INGAMEDAS, INGAMEARR, INGAMESDS, GUIARR),
              std::tuple(10u, 4096u, 999999999u, 3294967297u));
    EXPECT_EQ(text(9, 0, 10), "0999999999");
}

// Start on a value line, then column 6, down past the last value line, column 4 unseen on
// "Save & Quit", and back up.
TEST_F(TimingScreen, StartOnAValueLineSavesNothingAndSaveAndQuitKeepsTheColumn) {
    EXPECT_EQ(run(settings, taps("asdbsllldddddddllu"), 60), -1);
    EXPECT_EQ(readfile(), defaults);
    EXPECT_EQ(std::tuple(attrat(15, 4), attrat(15, 6), attrat(18, 79)), std::tuple(hl, ui, ui));
}

TEST_F(TimingScreen, AMenuRepeatOfZeroRepeatsOnceOnThisVeryScreen) {
    auto edit = taps("ddddb");
    run(
        settings, [&](std::uint64_t n) { n < 12 ? edit(n) : headless::press(0x25); }, 80);
    EXPECT_EQ(text(15, 0, 10), "0000000000");
    EXPECT_EQ(attrat(15, 7), hl); // the first move, one repeat after the delay, and no more
}
