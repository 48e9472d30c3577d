#include "screenrun.h"

using KeyScreens = ScreenTest;

// Asked for in the order left, right, up, down, B, A, start, select; stored by slot.
TEST_F(KeyScreens, CaptureInOrderOnceTheEnteringKeyIsUpAndSaveBeforeTheMessage) {
    headless::press(0x0D); // still down from the menu, until frame 7
    std::string held, first;
    bytes atmessage; // the file as it is when the confirmation first shows
    auto note = [&](std::uint64_t n) {
        if (n == 6 || n == 8)
            (n == 6 ? held : first) = text(9, 0, 28);
        if (atmessage.empty() &&
            text(9, 0, 60) == "Settings successfully configured, press any key to go back. ")
            atmessage = readfile();
        n == 7 ? headless::release(0x0D) : void();
    };
    EXPECT_EQ(run(guikeyboard, "....QWERTYUI...Z", 2000, note), 3);
    EXPECT_EQ(held + first, std::string(28, ' ') + "Press key for \"left\"        ");
    EXPECT_EQ(bytes(atmessage.begin() + 114, atmessage.end()),
              bytes({0x26, 0x28, 0x25, 0x27, 0x58, 0x5A, 0x0D, 0xA0, 8,   0,   0,   0,
                     1,    0,    0,    0,    'E',  'R',  'Q',  'W',  'Y', 'T', 'U', 'I'}));
}

// Left Shift is seen as both its plain and its sided code; the highest code down wins.
TEST_F(KeyScreens, LeftShiftIsStoredAsItsSidedCode) {
    run(guikeyboard, "", 10, [](std::uint64_t n) {
        n == 1 ? headless::press(0x10), headless::press(0xA0) : headless::releaseall();
    });
    EXPECT_EQ(std::tuple(guikeys[2], text(0, 21, 2)), std::tuple(0xA0, "A0"));
}

// "Q" for left; "Q" again for right, joined by "W" while it is still held: the in-game screen
// takes "Q" twice once it is let go, the menu one waits for "W".
TEST_F(KeyScreens, AHeldKeyIsRefusedAndOnlyTheMenuScreenRefusesAKeyGivenEarlier) {
    auto keys = [](std::uint64_t n) {
        if (n == 1 || n == 5)
            headless::press('Q');
        if (n == 3 || n == 20)
            headless::release('Q');
        if (n == 10)
            headless::press('W');
    };
    run(keyboard, "", 30, keys);
    EXPECT_EQ(bytes(ingamekeys, ingamekeys + 8),
              (bytes{0x26, 0x28, 'Q', 'Q', 0x58, 0x5A, 0x0D, 0xA0}));
    headless::releaseall();
    run(guikeyboard, "", 30, keys);
    EXPECT_EQ(guikeys[3], 'W');
}
