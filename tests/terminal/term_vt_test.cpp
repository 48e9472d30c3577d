// The renderer's bytes played into a real terminal (a tmux pane) frame by frame and read back cell
// by cell after each: the pane must show exactly that frame, glyphs and colours, with no cell left
// over from an earlier one, also after a palette change and a resize. Small updates go out without
// synchronized-update brackets, with the shortest cursor moves from wherever the last frame left
// the cursor, and write over a few unchanged cells instead of stepping over them.
#include "console/platform/headless/headless.h"
#include "console/platform/term/render.h"
#include "frontend/frontend.h"
#include "pane.h"
#include "shell/ingameloop.h"
#include "shell/ingamev.h"

namespace {

// The pane plays files 1, 2, 3 ... in turn as they appear, and says when each is through.
class vtplay : public pane {
  protected:
    int step = 0, width = 0, height = 0;
    const unsigned char* pal = color; // the palette the cells' colours are checked against
    const int* nearest = nullptr;     // without 24-bit colour: the 256-colour index of each
    std::filesystem::path old = std::filesystem::current_path();

    void SetUp() override {
        open("stty -echo && i=1 && while :; do while [ ! -e f$i ]; do sleep 0.005; done; "
             "cat f$i; touch d$i; i=$((i+1)); done");
        if (!IsSkipped() && !HasFatalFailure())
            std::filesystem::current_path(dir); // the game keeps its settings file here
        headless::reset();
    }
    void TearDown() override {
        std::filesystem::current_path(old);
        pane::TearDown();
    }

    long colour(int i) const {
        return nearest ? 0x1000000 + nearest[i]
                       : long(pal[3 * i]) << 16 | long(pal[3 * i + 1]) << 8 | pal[3 * i + 2];
    }

    // Presents `frame` on a cols by rows terminal and plays it into the pane; the first cell that
    // is not the frame centred there (or blank around it), or "".
    std::string play(const cell* frame, int cols, int rows) {
        if (cols != width || rows != height) {
            tmux("resize-window -t pane -x " + std::to_string(cols) + " -y " +
                 std::to_string(rows));
            rendersize(width = cols, height = rows);
        }
        renderput(frame, 0, 0, 79, 24);
        const std::string f = dir + "/f" + std::to_string(++step),
                          d = dir + "/d" + std::to_string(step);
        { std::ofstream(f + ".tmp", std::ios::binary) << renderframe(); }
        std::filesystem::rename(f + ".tmp", f);
        if (!waitfor([&] { return std::filesystem::exists(d); }))
            return "not played";
        std::string first; // the pane may still be catching up
        waitfor([&] { return (first = differs(frame, tmuxcells(), cols, rows)).empty(); }, 2000);
        return first;
    }

    std::string differs(const cell* frame, const std::vector<std::vector<vtcell>>& cells, int cols,
                        int rows) const {
        for (int y = 0; y < rows; y++)
            for (int x = 0; x < cols; x++) {
                const vtcell got =
                    y < int(cells.size()) && x < int(cells[y].size()) ? cells[y][x] : vtcell{" "};
                const int r = y - (rows - screenrows) / 2, c = x - (cols - screencols) / 2;
                bool same = got.text == " " && got.bg == -1;
                if (r >= 0 && r < screenrows && c >= 0 && c < screencols) {
                    const cell& w = frame[r * screencols + c];
                    const std::string want = glyph(static_cast<unsigned char>(w.ch));
                    // A blank's ink never shows, so the renderer may leave any there.
                    same = got.text == want && got.bg == colour(w.attr >> 4 & 15) &&
                           (want == " " || got.fg == colour(w.attr & 15));
                }
                if (!same)
                    return "row " + std::to_string(y) + " col " + std::to_string(x) + ": got '" +
                           got.text + "' " + std::to_string(got.fg) + "/" + std::to_string(got.bg);
            }
        return "";
    }
};

using vt = vtplay;
using vtgame = vtplay;

} // namespace

// Every glyph in every pair of colours, in a palette of the test's own. Without 24-bit colour, the
// nearest of the xterm palette's 240 fixed colours, worked out apart from the game for the test's
// palette before and after its change.
TEST_F(vt, everyglyphandcolourarrivesalsoafterapalettechangeandaresize) {
    static const int nearest256[2][16] = {
        {232, 234, 235, 237, 238, 240, 242, 243, 102, 246, 248, 250, 251, 188, 254, 231},
        {232, 234, 235, 237, 238, 203, 242, 243, 102, 246, 248, 250, 148, 188, 254, 231}};
    static cell frame[screenrows * screencols];
    for (int i = 0; i < screenrows * screencols; i++)
        frame[i] = {static_cast<std::uint16_t>(i % 256),
                    static_cast<std::uint16_t>((i * 7 + i / 80) % 256)};
    unsigned char testpal[48];
    pal = testpal;
    for (bool tc : {true, false}) {
        SCOPED_TRACE(tc ? "24-bit" : "256 colours");
        for (int i = 0; i < 48; i++)
            testpal[i] = static_cast<unsigned char>(i / 3 * 16 + i % 3 * 5 + 3);
        renderinit(tc, 100, 30);
        renderpalette(testpal);
        nearest = tc ? nullptr : nearest256[0];
        EXPECT_EQ(play(frame, 100, 30), "");
        testpal[3 * 5] = 0xEE;
        testpal[3 * 12 + 2] = 0x01;
        renderpalette(testpal);
        nearest = tc ? nullptr : nearest256[1];
        EXPECT_EQ(play(frame, 100, 30), "");
    }
    EXPECT_EQ(play(frame, 84, 26), "");
    // Too small: a notice, while the game changes its frame meanwhile.
    frame[0] = {'#', 0x21};
    play(frame, 60, 20);
    EXPECT_TRUE(waitfor([&] { return shows("(now 60 x 20)"); }));
    EXPECT_EQ(play(frame, 80, 25), "");
}

// Keys by slot, one tap (down a frame, up the next) per character: l r left and right, x z the
// two rotations, u hard drop, d soft drop, h hold, '.' nothing.
TEST_F(vtgame, thepaneshowseveryframeofagameexactly) {
    const std::string script = "llxu.rrzdhlurrrxxulllllu.rzhud.ddu", slots = "udlrxz.h";
    renderinit(true, 100, 30);
    gamesetup(6);
    renderpalette(color);
    for (int n = 0; n < 90; n++) {
        const char k = script[static_cast<std::size_t>(n / 2) % script.size()];
        if (k != '.')
            (n % 2 == 0 ? headless::press : headless::release)(ingamekeys[slots.find(k)]);
        ASSERT_TRUE(gameframe());
        ASSERT_EQ(play(::screen, n < 45 ? 100 : 80, n < 45 ? 30 : 25), "") << "frame " << n;
    }
    EXPECT_GT(ingamev.piececount, 5u) << "the script should have dropped many pieces";
}

// Small scattered changes, a few cells apart in a row or straight above one another, in few
// colours and glyphs of one and three bytes, at the edges of the frame too.
TEST_F(vtgame, scatteredsmallchangesleavenothingbehind) {
    std::uint32_t seed = 12345;
    auto next = [&](std::uint32_t n) { return ((seed = seed * 1103515245u + 12345u) >> 16) % n; };
    const unsigned char glyphs[] = {' ', 'a', 0xDB, 0xB0, 0x00};
    const std::uint16_t attrs[] = {0x07, 0x70, 0x17, 0x71};
    auto any = [&] { return cell{glyphs[next(5)], attrs[next(4)]}; };
    for (cell& c : ::screen)
        c = any();
    for (int i = 0; i < 48; i++)
        color[i] = static_cast<unsigned char>(i * 5);
    renderinit(true, 100, 30);
    renderpalette(color);
    for (int n = 0; n < 60; n++) {
        int r = static_cast<int>(next(25)), c = static_cast<int>(next(80));
        for (int k = static_cast<int>(next(4)); k >= 0; k--) {
            ::screen[r * screencols + c] = any();
            if (next(2))
                c = std::min(79, c + 1 + static_cast<int>(next(4)));
            else
                r = (r + 1 + static_cast<int>(next(2))) % 25;
        }
        ASSERT_EQ(play(::screen, n < 30 ? 100 : 80, n < 30 ? 30 : 25), "") << "frame " << n;
    }
}
