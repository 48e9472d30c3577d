#include "screenrun.h"

using namespace keycode;

namespace {
// Slots in file order (up, down, left, right, A, B, start, select) from keys pressed in the
// order the screen asks: left, right, up, down, B, A, start, select.
const std::vector<unsigned char> presses = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I'};
const std::vector<unsigned char> stored = {'E', 'R', 'Q', 'W', 'Y', 'T', 'U', 'I'};

std::vector<unsigned char> slots(const std::vector<unsigned char>& file, int offset) {
    return {file.begin() + offset, file.begin() + offset + 8};
}
} // namespace

using KeyScreens = ScreenTest;

TEST_F(KeyScreens, CaptureInTheirOrderOnceTheEnteringKeyIsReleased) {
    headless::press(start); // still down from the menu
    auto script = taps(std::vector<unsigned char>{0} + presses + repeat(0, 3) +
                       std::vector<unsigned char>{'Z'});
    std::string whileheld, shownfirst;
    EXPECT_EQ(run(keyboard,
                  [&](std::uint64_t n) {
                      if (n == 6)
                          whileheld = text(9, 0, 14);
                      if (n == 8) // released, nothing captured yet
                          shownfirst = text(0, 21, 2) + text(9, 0, 28);
                      if (n > 6)
                          script(n - 6);
                  }),
              3);
    EXPECT_EQ(whileheld, std::string(14, ' '));
    EXPECT_EQ(shownfirst, "25Press key for \"left\"        ");
    auto file = readfile();
    ASSERT_EQ(file.size(), 138u);
    EXPECT_EQ(slots(file, 114), stored);
    EXPECT_EQ(slots(file, 130),
              slots(std::vector<unsigned char>(defaultsettings, defaultsettings + 138), 130));
    const char* labels[8] = {"  left    move left:", " right   move right:", "    up    hard drop:",
                             "  down    soft drop:", "     B  rotate left:", "     A rotate right:",
                             " start        pause:", "select         hold:"};
    for (int r = 0; r < 8; r++) {
        EXPECT_EQ(text(r, 0, 20), labels[r]);
        char hex[3];
        std::snprintf(hex, sizeof hex, "%.2X", presses[r]);
        EXPECT_EQ(text(r, 21, 2), hex);
    }
    EXPECT_EQ(text(9, 0, 60), "Settings successfully configured, press any key to go back. ");
}

TEST_F(KeyScreens, TheHighestCodeDownWinsSoLeftShiftIsStoredAsItsOwnCode) {
    auto script = taps(presses);
    EXPECT_EQ(run(guikeyboard,
                  [&](std::uint64_t n) {
                      script(n);
                      if (n == 1)
                          headless::press(shift), headless::press(lshift);
                  }),
              -1);
    EXPECT_EQ(guikeys[2], 0xA0);
    EXPECT_EQ(text(0, 21, 2), "A0");
}

TEST_F(KeyScreens, AKeyHeldAcrossPromptsIsTakenOnce) {
    int waiting = 0;
    EXPECT_EQ(run(
                  keyboard,
                  [&](std::uint64_t n) {
                      if (n == 1)
                          headless::press('Q');
                      if (n == 30)
                          headless::release('Q');
                      if (n == 31)
                          headless::press('W');
                      // Still held: the next prompt has not come up.
                      if (n == 29 && text(9, 15, 5) == "left\"" && ingamekeys[3] == right)
                          waiting++;
                  },
                  40),
              -1);
    EXPECT_EQ(waiting, 1);
    EXPECT_EQ(ingamekeys[2], 'Q');
    EXPECT_EQ(ingamekeys[3], 'W');
}

TEST_F(KeyScreens, OnlyTheMenuKeyScreenRefusesAKeyGivenEarlierInTheRun) {
    // "Q" for left, then "Q" again while right is asked; "W" joins while "Q" is still held.
    auto script = [](std::uint64_t n) {
        if (n == 1)
            headless::press('Q');
        if (n == 3)
            headless::release('Q');
        if (n == 5)
            headless::press('Q');
        if (n == 10)
            headless::press('W');
        if (n == 20)
            headless::release('Q');
    };
    run(keyboard, script, 30);
    EXPECT_EQ(ingamekeys[3], 'Q');

    headless::releaseall();
    std::string prompt;
    run(
        guikeyboard,
        [&](std::uint64_t n) {
            script(n);
            if (n == 19)
                prompt = text(9, 15, 6);
        },
        30);
    EXPECT_EQ(prompt, "right\"");
    EXPECT_EQ(guikeys[3], 'W');
}

TEST_F(KeyScreens, TheFileHoldsTheNewKeysByTheTimeTheMessageShows) {
    auto script = taps(presses);
    std::vector<unsigned char> before, atmessage;
    EXPECT_EQ(run(guikeyboard,
                  [&](std::uint64_t n) {
                      if (n == 15) // the last key is down, the message not yet shown
                          before = slots(readfile(), 130);
                      if (atmessage.empty() && text(9, 0, 8) == "Settings")
                          atmessage = slots(readfile(), 130);
                      script(n);
                      if (n == 25)
                          headless::press(0x01);
                  }),
              3);
    EXPECT_EQ(before,
              slots(std::vector<unsigned char>(defaultsettings, defaultsettings + 138), 130));
    EXPECT_EQ(atmessage, stored);
}

TEST_F(KeyScreens, PresentOnlyTheRegionsTheyChange) {
    run(keyboard, taps(presses + std::vector<unsigned char>{0, 'Z'}));
    const auto& shown = headless::presented();
    ASSERT_FALSE(shown.empty());
    auto is = [](const headless::presentation& p, short l, short t, short r, short b) {
        return p.left == l && p.top == t && p.right == r && p.bottom == b;
    };
    EXPECT_TRUE(is(shown[0], 0, 0, 79, 24));
    int codes = 0, prompts = 0;
    for (size_t i = 1; i < shown.size(); i++) {
        const auto& p = shown[i];
        codes += is(p, 21, 0, 22, 7);
        prompts += is(p, 0, 9, 79, 9);
        EXPECT_TRUE(is(p, 21, 0, 22, 7) || is(p, 0, 9, 79, 9) || is(p, 76, 24, 79, 24)) << i;
    }
    EXPECT_EQ(codes, 9);
    EXPECT_EQ(prompts, 9);
}
