// The menu and the settings screens, driven by scripted keys.
#include "../game.h"
#include "frontend/records.h"

#include <filesystem>

// With the menu timing the file holds, `key` held from the first frame until
// frame `letgo` and `script` tapped: the cursor stops at the first and last
// rows and the repeat counter wraps below 0; a start still held from the screen
// before does nothing until it is let go. Last, a down tapped in a stall and
// let go after it moves one row: the frames that catch up see the key from its
// own time on, not held through them all.
TEST_F(ScreenTest, MenuKeysHeldRepeatAfterTheMenuDelayAtTheMenuRateAndStartWaitsForAFreshPress) {
    const std::tuple<unsigned, unsigned, unsigned char, std::uint64_t, std::string, std::string>
        runs[] = {
            {8, 1, 0x26, 0, "", "00000000000000000000"},
            {8, 1, 0x28, 0, "", "1111111123456789ABBB"},
            {8, 3, 0x28, 0, "", "11111111222333444555"},
            {8, 0, 0x28, 0, "", "11111111222222222222"},
            {3, 5, 0x28, 0, "", "11122333445556677788"},
            {8, 1, 0x0D, 9, "....ddds", "0000000001122333"},
            {8, 1, 0, 0, "", std::string(36, '0') + std::string(14, '1')},
        };
    for (auto& [das, arr, key, letgo, script, want] : runs) {
        SetUp(), initload(), GUIDAS = das, GUIARR = arr, savesettings();
        keys[6] = 1, daskeys[6] = 5; // as start leaves them on the screen before
        std::string rows;
        auto stall =
            key ? (headless::press(key), std::function<void(std::uint64_t)>()) : stalltap(0x28);
        int result = run(menu, script, want.size(), [&, key = key, letgo = letgo](std::uint64_t n) {
            // The highlighted row, as a digit from 0 to B: '-' for none, '*' for more
            // than one. The far end is what shows that the whole row is lit.
            int found = -1;
            for (int r = 0; r < 25; r++)
                if (headless::display()[r * 80 + 79].attr == pieces[25].attr)
                    found = found == -1 ? r : 12;
            rows += "-0123456789AB*"[found + 1];
            stall ? stall(n) : void();
            n == letgo ? headless::release(key) : void();
        });
        EXPECT_EQ(std::tuple(rows, result, daskeys[6]),
                  std::tuple(want, script.empty() ? -1 : 3, 0u));
    }
    EXPECT_EQ(text(0, 0, 5) + text(11, 0, 16), "quit Dropple 5 Death ");
}
// Start on a value line saves nothing. A menu repeat of zero set here holds at
// once: left held through frames 21 to 40 moves the column twice, once at first
// and once after the delay. The column still moves, unseen, on "Save & Quit",
// and is where the cursor comes back up to. Then from there, in-game DAS 9 + 1,
// soft drop + 1000000000 from the largest value, menu repeat - 1000000000 from
// 1, the column stopping at the first digit; then "Save & Quit".
TEST_F(ScreenTest, TimingDigitsCarryBorrowAndWrapAndStartOnAValueLineSavesNothing) {
    auto hold = [](std::uint64_t n) {
        n == 21 ? headless::press(0x25) : n == 41 ? headless::release(0x25) : void();
    };
    EXPECT_EQ(run(settings, "asdbsdddb" + std::string(11, '.') + "dllu", 60, hold), -1);
    EXPECT_EQ(text(3, 0, 10) + text(6, 0, 10) + text(9, 0, 10) + text(12, 0, 10) + text(15, 0, 10),
              "00000000080000004095000000819200000000080000000000");
    const cell* at = headless::display();
    EXPECT_EQ(std::tuple(readfile(), at[1205].attr, at[1207].attr, at[1519].attr),
              std::tuple(defaults, 0x30, 0x70, 0x70));
    SetUp(), initload(), INGAMEDAS = 9, INGAMESDS = 0xFFFFFFFF, savesettings();
    EXPECT_EQ(run(settings, "add" + std::string(12, 'l') + "addbds"), 3);
    initload();
    EXPECT_EQ(std::tuple(INGAMEDAS, INGAMEARR, INGAMESDS, GUIARR),
              std::tuple(10u, 4096u, 999999999u, 3294967297u));
    EXPECT_EQ(text(9, 0, 10), "0999999999");
}

// Asked for in the order left, right, up, down, B, A, start, select, each once
// every key is up, and stored by slot; the file is written before the
// confirmation shows. The highest code down wins, so left Shift, seen as both
// its plain and its sided code, is stored as the sided one. Only the menu
// screen refuses a key given earlier, and each screen keeps the other's keys.
TEST_F(ScreenTest, KeysCapturedInOrderOnceEveryKeyIsUpAndSaveBeforeTheMessage) {
    for (auto [screen, menukeys] :
         {std::pair(&keyboard, "&(%'XZ\r\xA0"), {&guikeyboard, "ER\xA0WYTUI"}}) {
        SetUp(), headless::press(0x0D); // still down from the menu, until frame 7
        std::string held, first;
        bytes atmessage; // the file as it is when the confirmation first shows
        auto note = [&](std::uint64_t n) {
            if (n == 6 || n == 8)
                (n == 6 ? held : first) = text(9, 0, 28);
            if (atmessage.empty() &&
                text(9, 0, 60) == "Settings successfully configured, press any key to go back. ")
                atmessage = readfile();
            if (n == 7 || n == 9 || n == 12) // left Shift's plain code outlasts its sided one
                (n == 9 ? headless::press : headless::release)(n == 7 ? 0x0D : 0x10);
        };
        EXPECT_EQ(run(screen, "....\xA0.\xA0WERTYUI...Z", 2000, note), 3);
        EXPECT_EQ(held + first, std::string(28, ' ') + "Press key for \"left\"        ");
        EXPECT_EQ(std::string(atmessage.begin() + 114, atmessage.end()),
                  std::string("WE\xA0\xA0TRYU\x08\0\0\0\x01\0\0\0", 16) + menukeys);
        EXPECT_EQ(text(0, 21, 2), "A0");
    }
}

// Entry 26 (0xF0, blank): background past both ends, foreground past 15, shade
// past the full block, with start on the value sections doing nothing and
// nothing saved before "Save & Quit". Opened again on every shade and an
// unknown one (entry 2), the picker saves back what it read, the unknown as a
// blank.
TEST_F(ScreenTest,
       ColorPickerValuesStopAtTheirEndsPaletteDigitsCarryAndBorrowAndBothAreSavedAndShown) {
    std::string keys = "ls" + std::string(30, 'r') + "dr" + std::string(20, 'l') + "sdl" +
                       std::string(20, 'r') + "dl" + std::string(6, 'r') + "ds";
    int early = 0;
    EXPECT_EQ(
        run(colorpicker, keys, 2000,
            [&](std::uint64_t n) { early += n < 2 * keys.size() - 2 && readfile() != defaults; }),
        3);
    EXPECT_EQ(text(5, 52, 2) + text(9, 0, 2) + text(13, 30, 2) + text(17, 8, 2), "^^^^^^^^");
    bytes want = defaults;
    want[52] = 0x0F, want[53] = 0xDB;
    EXPECT_EQ(std::tuple(early, readfile()), std::tuple(0, want));
    want[3] = 0xB2, want[5] = 'x', writefile(want);
    EXPECT_EQ(run(colorpicker, "dddds"), 3);
    EXPECT_EQ(readfile(), (want[5] = 0xFF, want));

    // Then in the palette, low red + 1, high green + 1, high blue - 1; colour 15's low green + 1;
    // start there does nothing; then "Save & Quit". The palette shown follows every edit at once.
    want[54] = 0x0F, want[55] = 0xF0, want[56] = 0x05, writefile(want);
    int mismatched = 0;
    EXPECT_EQ(
        run(change16colors, "rararrbl" + std::string(15, 'd') + "asds", 2000,
            [&](std::uint64_t) { mismatched += std::memcmp(headless::palette(), color, 48) != 0; }),
        3);
    EXPECT_EQ(std::tuple(text(2, 0, 6) + text(17, 0, 6), mismatched),
              std::tuple("1000F5FF00FF", 0));
    want[54] = 0x10, want[55] = 0x00, want[56] = 0xF5, want[100] = 0x00;
    EXPECT_EQ(readfile(), want);
}

// Where the settings cannot be saved (a folder stands in the file's place), "Save & Quit" in the
// timing screen and the end of the key configuration say so on the screen until a key is pressed;
// the line said when the program ends wraps at word boundaries within 80 columns, a path longer
// than a line cut where the line ends, the lines after the first under its text.
TEST_F(ScreenTest, AFailedSaveIsShownBeforeTheScreenIsLeftAndTheClosingLineWraps) {
    std::filesystem::create_directory("savefile");
    const std::tuple<unsigned char (*)(), std::string, int> screens[] = {
        {settings, "ddddds...a", 23}, {keyboard, "&(%'XZ\r\xA0..a", 9}};
    for (auto [screen, keys, row] : screens) {
        SetUp();
        std::string said;
        EXPECT_EQ(
            run(screen, keys, 200, [&, row = row](std::uint64_t) { said = text(row, 0, 11); }), 3);
        EXPECT_EQ(std::tuple(said, settingsunsaved().empty()), std::tuple("Not saved: ", false));
    }
    const std::string path(100, 'p');
    EXPECT_EQ(wrapped("dropple: settings not saved: cannot write " + path + " now", 80),
              "dropple: settings not saved: cannot write\n         " + path.substr(0, 71) +
                  "\n         " + path.substr(71) + " now");
}
