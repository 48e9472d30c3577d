#include "screenrun.h"

using TimingScreen = ScreenTest;

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

// The defaults with the cursor on the ones digit; start on a value line, then column 6, down
// past the last value line, column 4 unseen on "Save & Quit", and back up.
TEST_F(TimingScreen, StartOnAValueLineSavesNothingAndSaveAndQuitKeepsTheColumn) {
    auto keys = taps("asdbsllldddddddllu");
    std::string shown;
    EXPECT_EQ(run(
                  settings,
                  [&](std::uint64_t n) {
                      for (int cell = 0; n == 1 && cell < 24 * 80; cell++)
                          shown +=
                              attrat(cell / 80, cell % 80) == hl ? std::to_string(cell) + " " : "";
                      if (n == 1)
                          shown += text(3, 0, 10) + text(6, 0, 10) + text(9, 0, 10) +
                                   text(12, 0, 10) + text(15, 0, 10);
                      keys(n);
                  },
                  60),
              -1);
    EXPECT_EQ(shown, "249 00000000070000004096000000819200000000080000000001");
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
