#include "screenrun.h"

using TimingScreen = ScreenTest;

TEST_F(TimingScreen, DigitsCarryBorrowAndWrapAroundThirtyTwoBits) {
    initload();
    INGAMEDAS = 9;
    INGAMESDS = 4294967295u;
    savesettings();
    EXPECT_EQ(run(settings, "add" + std::string(12, 'l') + "addbds"), 3);
    initload();
    EXPECT_EQ(std::tuple(INGAMEDAS, INGAMEARR, INGAMESDS, GUIARR),
              std::tuple(10u, 4096u, 999999999u, 3294967297u));
    EXPECT_EQ(text(9, 0, 10), "0999999999");
}

// The defaults with the cursor on the ones digit; start on a value line, then column 6, down
// past the last value line, column 4 unseen on "Save & Quit", and back up.
TEST_F(TimingScreen, StartOnAValueLineSavesNothingAndSaveAndQuitKeepsTheColumn) {
    std::string shown;
    auto note = [&](std::uint64_t n) {
        for (int row = 3; n == 1 && row <= 15; row += 3)
            shown += text(row, 0, 10);
    };
    EXPECT_EQ(run(settings, "asdbsllldddddddllu", 60, note), -1);
    EXPECT_EQ(shown, "00000000070000004096000000819200000000080000000001");
    EXPECT_EQ(readfile(), defaults);
    EXPECT_EQ(std::tuple(attrat(15, 4), attrat(15, 6), attrat(18, 79)), std::tuple(hl, ui, ui));
}

TEST_F(TimingScreen, AMenuRepeatOfZeroRepeatsOnceOnThisVeryScreen) {
    run(settings, "ddddb", 80, [](std::uint64_t n) { n == 12 ? headless::press(0x25) : void(); });
    EXPECT_EQ(text(15, 0, 10), "0000000000");
    EXPECT_EQ(attrat(15, 7), hl); // the first move, one repeat after the delay, and no more
}
