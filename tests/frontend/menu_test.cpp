#include "screenrun.h"

namespace {

// The highlighted row of every presented frame, as a digit from 0 to B: '-' for none, '*' for
// more than one. The far end is what shows that the whole row is lit.
std::string rows;
void noterow(std::uint64_t = 0) {
    int found = -1;
    for (int r = 0; r < 25; r++)
        if (attrat(r, 79) == pieces[25].attr)
            found = found == -1 ? r : 12;
    rows += "-0123456789AB*"[found + 1];
}

using Menu = ScreenTest;

} // namespace

// A key held from the first frame, with the menu timing the file holds: the frames on which the
// cursor moves, stopping at the first and last rows.
TEST_F(Menu, HeldKeysRepeatAfterTheMenuDelayAtTheMenuRate) {
    const std::tuple<unsigned char, unsigned char, std::string> timings[] = {
        {8, 1, "00000000000000000000"}, {8, 1, "1111111123456789ABBB"},
        {8, 3, "11111111222333444555"}, {8, 0, "11111111222222222222"},
        {3, 5, "11122333445556677788"}, // the counter wraps below 0
    };
    for (auto& [das, arr, want] : timings) {
        bytes file = defaults;
        file[122] = das, file[126] = arr;
        writefile(file);
        std::memset(daskeys, 0, sizeof daskeys);
        rows.clear();
        headless::reset();
        headless::press(want[0] == '0' ? 0x26 : 0x28); // up only when the cursor stays on top
        run(menu, "", 20, noterow);
        EXPECT_EQ(rows, want) << "DAS " << +das << ", ARR " << +arr;
    }
}

TEST_F(Menu, StartHeldFromBeforeWaitsUntilLetGo) {
    rows.clear();
    keys[6] = 1;
    daskeys[6] = 5;
    headless::press(0x0D);
    // Start let go as down is tapped on frame 9, then down twice more and start.
    auto note = [](std::uint64_t n) { noterow(), n == 9 ? headless::release(0x0D) : void(); };
    ASSERT_EQ(run(menu, "....ddds", 2000, note), 3);
    EXPECT_EQ(rows, "0000000001122333");
    EXPECT_EQ(text(0, 0, 5) + text(11, 0, 16), "quit Dropple 5 Death ");
}

// A tap begun in a stall and let go after it moves one row: the frames that catch up see the key
// from its own time on, not held through them all.
TEST_F(Menu, ATapInAStallMovesOneRow) {
    rows.clear();
    run(menu, "", 50, [tap = stalltap(0x28)](std::uint64_t n) { noterow(), tap(n); });
    EXPECT_EQ(rows, std::string(36, '0') + std::string(14, '1'));
}
