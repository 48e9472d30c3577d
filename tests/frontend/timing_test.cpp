#include "screenrun.h"

using TimingScreen = ScreenTest;

TEST_F(TimingScreen, ShowsTheDefaultsWithTheCursorOnTheOnesDigit) {
    EXPECT_EQ(run(settings, taps(""), 3), -1);
    EXPECT_EQ(text(3, 0, 10) + text(6, 0, 10) + text(9, 0, 10) + text(12, 0, 10) + text(15, 0, 10),
              "00000000070000004096000000819200000000080000000001");
    EXPECT_EQ(text(14, 43, 1), "\xF3");
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
    EXPECT_EQ(INGAMEDAS, 10u);
    EXPECT_EQ(INGAMESDS, 999999999u);
    EXPECT_EQ(text(9, 0, 10), "0999999999");
    EXPECT_EQ(GUIARR, 3294967297u);
    EXPECT_EQ(INGAMEARR, 4096u);
}

TEST_F(TimingScreen, StartOnAValueLineNeitherSavesNorLeaves) {
    EXPECT_EQ(run(settings, taps("asdbs"), 40), -1);
    EXPECT_EQ(readfile(), defaults);
}

TEST_F(TimingScreen, SaveAndQuitRemembersTheColumnItWasLeftFrom) {
    // Column 6, down past the last value line, column 4 unseen on "Save & Quit", back up.
    EXPECT_EQ(run(settings, taps("llldddddddllu"), 40), -1);
    EXPECT_EQ(attrat(15, 4), hl);
    EXPECT_EQ(attrat(15, 6), ui);
    EXPECT_EQ(attrat(18, 79), ui);
}

TEST_F(TimingScreen, AMenuRepeatOfZeroRepeatsOnceOnThisVeryScreen) {
    auto edit = taps("ddddb");
    run(
        settings,
        [&](std::uint64_t n) {
            if (n < 12)
                return edit(n);
            headless::press(0x25); // left held on the menu ARR line
        },
        80);
    EXPECT_EQ(text(15, 0, 10), "0000000000");
    EXPECT_EQ(attrat(15, 7), hl); // the first move, one repeat after the delay, and no more
}
