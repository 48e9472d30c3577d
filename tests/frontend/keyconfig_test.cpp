#include "screenrun.h"

namespace {
// Pressed in the order asked (left, right, up, down, B, A, start, select); stored by slot.
const std::string presses = "QWERTYUI";
const bytes stored = {'E', 'R', 'Q', 'W', 'Y', 'T', 'U', 'I'};
bytes slots(const bytes& file, int at) {
    return {file.begin() + at, file.begin() + at + 8};
}
} // namespace

using KeyScreens = ScreenTest;

TEST_F(KeyScreens, CaptureInOrderOnlyOnceTheEnteringKeyIsReleased) {
    headless::press(0x0D); // still down from the menu
    auto keys = taps("." + presses + "...Z");
    std::string held, first;
    EXPECT_EQ(run(keyboard,
                  [&](std::uint64_t n) {
                      if (n == 6)
                          held = text(9, 0, 14);
                      if (n == 8)
                          first = text(0, 21, 2) + text(9, 0, 28);
                      if (n > 6)
                          keys(n - 6);
                  }),
              3);
    EXPECT_EQ(held, std::string(14, ' '));
    EXPECT_EQ(first, "25Press key for \"left\"        ");
    EXPECT_EQ(slots(readfile(), 114), stored);
    EXPECT_EQ(slots(readfile(), 130), slots(defaults, 130));
    EXPECT_EQ(text(1, 0, 23) + text(6, 0, 23), " right   move right: 57 start        pause: 55");
    EXPECT_EQ(text(9, 0, 60), "Settings successfully configured, press any key to go back. ");
}

TEST_F(KeyScreens, LeftShiftIsStoredAsItsSidedCode) {
    run(
        guikeyboard,
        [](std::uint64_t n) {
            if (n == 1)
                headless::press(0x10), headless::press(0xA0);
            if (n == 3)
                headless::releaseall();
        },
        10);
    EXPECT_EQ(guikeys[2], 0xA0);
    EXPECT_EQ(text(0, 21, 2), "A0");
}

TEST_F(KeyScreens, AKeyHeldAcrossPromptsIsTakenOnce) {
    auto keys = [](std::uint64_t n) {
        if (n == 1 || n == 30)
            (n == 1 ? headless::press : headless::release)('Q');
        if (n == 31)
            headless::press('W');
    };
    run(keyboard, keys, 40);
    EXPECT_EQ(bytes(ingamekeys, ingamekeys + 8),
              (bytes{0x26, 0x28, 'Q', 'W', 0x58, 0x5A, 0x0D, 0xA0}));
}

TEST_F(KeyScreens, OnlyTheMenuKeyScreenRefusesAKeyGivenEarlierInTheRun) {
    // "Q" for left; "Q" again for right, joined by "W" while it is still held.
    auto keys = [](std::uint64_t n) {
        if (n == 1 || n == 5)
            headless::press('Q');
        if (n == 3 || n == 20)
            headless::release('Q');
        if (n == 10)
            headless::press('W');
    };
    run(keyboard, keys, 30);
    EXPECT_EQ(ingamekeys[3], 'Q');
    headless::releaseall();
    run(guikeyboard, keys, 30);
    EXPECT_EQ(guikeys[3], 'W');
}

TEST_F(KeyScreens, SaveBeforeTheMessageAndPresentOnlyWhatChanges) {
    auto keys = taps(presses + "..Z");
    bytes before, atmessage;
    EXPECT_EQ(run(guikeyboard,
                  [&](std::uint64_t n) {
                      if (n == 15) // the last key is down, the message not yet shown
                          before = slots(readfile(), 130);
                      if (atmessage.empty() && text(9, 0, 8) == "Settings")
                          atmessage = slots(readfile(), 130);
                      keys(n);
                  }),
              3);
    EXPECT_EQ(before, slots(defaults, 130));
    EXPECT_EQ(atmessage, stored);

    // Besides the meter: the whole screen once, then the codes and the prompt nine times each.
    std::map<std::vector<short>, int> regions;
    for (const auto& p : headless::presented())
        regions[{p.left, p.top, p.right, p.bottom}]++;
    regions.erase({76, 24, 79, 24});
    EXPECT_EQ(regions,
              (decltype(regions){{{0, 0, 79, 24}, 1}, {{21, 0, 22, 7}, 9}, {{0, 9, 79, 9}, 9}}));
}
