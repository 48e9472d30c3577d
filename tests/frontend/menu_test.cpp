#include "console/platform.h"
#include "console/platform/headless.h"
#include "console/screen.h"
#include "frontend/frontend.h"
#include "shell/shell.h"
#include "tempdir.h"

#include <cstring>
#include <functional>

namespace {

constexpr unsigned char up = 0x26, down = 0x28, start = 0x0D;

// The highlighted row as presented: -1 for none, -2 for more than one. The far end is what
// shows that the whole row is lit.
int shownrow() {
    int found = -1;
    for (int r = 0; r < screenrows; r++)
        if (headless::display()[r * screencols + 79].attr == pieces[25].attr)
            found = found == -1 ? r : -2;
    return found;
}

class Menu : public tempdir {
  protected:
    void SetUp() override {
        tempdir::SetUp();
        headless::reset();
        initscreen();
        std::memset(keys, 0, sizeof keys);
        std::memset(daskeys, 0, sizeof daskeys);
    }

    // Runs the menu, calling `script` at the end of every frame (counted from 1 in each run);
    // -1 if it has not returned after `limit` frames. `rows` gets the highlighted row of every
    // presented frame.
    int run(std::function<void(std::uint64_t)> script, std::uint64_t limit = 60) {
        struct stuck {};
        rows.clear();
        std::uint64_t base = headless::frame();
        headless::onframe([&, base](std::uint64_t f) {
            rows.push_back(shownrow());
            if (f - base >= limit)
                throw stuck{};
            script(f - base);
        });
        try {
            return menu();
        } catch (stuck&) {
            return -1;
        }
    }
    std::vector<int> rows;
};

auto none = [](std::uint64_t) {};

} // namespace

TEST_F(Menu, StartAtOnceQuitsFromAScreenOfTwelveItems) {
    headless::press(start);
    EXPECT_EQ(run(none), 0);
    EXPECT_EQ(rows, std::vector<int>{0});
    // Every row as shown, blanks trimmed, but for the frame-rate meter in the bottom right corner.
    std::string text;
    for (int r = 0; r < screenrows; r++) {
        std::string row;
        for (int c = 0; c < (r == 24 ? 76 : 80); c++)
            row += static_cast<char>(headless::display()[r * screencols + c].ch);
        text += row.erase(row.find_last_not_of(' ') + 1) + "|";
    }
    EXPECT_EQ(text, "quit|color picker|change 16 colors|menu|settings|ingame keyboard config|gui "
                    "keyboard config|Dropple 2|Dropple 3|Dropple 4|Dropple 5|Dropple 5 Death|" +
                        std::string(13, '|'));
    EXPECT_EQ(headless::display()[0].attr, 0x30);
    EXPECT_EQ(headless::display()[24 * screencols - 1].attr, 0x70);
}

TEST_F(Menu, UpAtTheTopMovesNothingButItsCounterRunsAndUpGoesBeforeDown) {
    headless::press(up);
    EXPECT_EQ(run(none, 5), -1);
    EXPECT_EQ(rows, std::vector<int>(5, 0));
    EXPECT_EQ(daskeys[0], 5u);
    daskeys[0] = 0;
    headless::press(down);
    run(none, 1);
    EXPECT_EQ(rows, std::vector<int>{1});
}

// Down held from the first frame, with the menu timing the file holds: the frames on which the
// cursor moves, stopping at the last row.
TEST_F(Menu, HeldKeysRepeatAfterTheMenuDelayAtTheMenuRate) {
    const struct {
        std::uint32_t das, arr;
        std::vector<int> moves;
    } timings[] = {
        {8, 1, {1, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {8, 3, {1, 9, 12, 15, 18}},
        {8, 0, {1, 9}},
        {3, 5, {1, 4, 6, 9, 11, 14, 16, 19}}, // the counter wraps below 0
    };
    for (auto& t : timings) {
        initload();
        GUIDAS = t.das;
        GUIARR = t.arr;
        savesettings();
        std::memset(daskeys, 0, sizeof daskeys);
        headless::press(down);
        run(none, 20);
        std::vector<int> want;
        for (int f = 1; f <= 20; f++)
            want.push_back(static_cast<int>(
                std::count_if(t.moves.begin(), t.moves.end(), [f](int m) { return m <= f; })));
        EXPECT_EQ(rows, want) << "menu DAS " << t.das << ", ARR " << t.arr;
        headless::release(down);
    }
}

TEST_F(Menu, StartHeldFromBeforeWaitsAndChoosingMenuReloadsTheFile) {
    keys[6] = 1;
    daskeys[6] = 5;
    headless::press(start);
    // Start let go after frame 10, then three taps of down, then start pressed after frame 16.
    ASSERT_EQ(run([](std::uint64_t f) {
                  if (f == 10)
                      headless::release(start);
                  (f >= 10 && f < 16 && f % 2 == 0 ? headless::press : headless::release)(down);
                  if (f == 16)
                      headless::press(start);
              }),
              3);
    EXPECT_EQ(rows.size(), 17u);
    EXPECT_EQ(daskeys[6], 0u);
    // Another screen changed the file: the menu shows it and uses its keys.
    pieces[25].attr = 0x4E;
    guikeys[6] = 0x20;
    savesettings();
    pieces[25].attr = 0x30;
    EXPECT_EQ(run([](std::uint64_t f) {
                  if (f == 3)
                      headless::press(0x20);
              }),
              0);
    EXPECT_EQ(pieces[25].attr, 0x4E);
    EXPECT_EQ(rows, std::vector<int>(4, 0));
}
