// How few bytes the renderer sends: only what changed, small updates without synchronized-update
// brackets and with the shortest cursor moves, larger ones bracketed; and a running game's
// average per frame.
#include "../scratch.h"
#include "console/platform/headless/headless.h"
#include "console/platform/term/render.h"
#include "shell/ingameloop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

cell frame[screenrows * screencols];

const std::string& show() {
    renderput(frame, 0, 0, 79, 24);
    return renderframe();
}

} // namespace

TEST(stream, smallupdatesgounbracketedlargeronesbracketed) {
    using changes = std::vector<std::pair<int, int>>; // row, column of cells that become 'y'
    const std::string on = "\x1b[?2026h", off = "\x1b[?2026l";
    const std::tuple<const char*, changes, std::string> cases[] = {
        {"one cell", {{5, 10}}, "\x1b[6;11Hy"},
        {"one run", {{5, 10}, {5, 11}, {5, 12}}, "\x1b[6;11Hyyy"},
        {"a run over an unchanged cell", {{5, 10}, {5, 12}}, "\x1b[6;11Hyxy"},
        {"first column", {{5, 0}}, "\x1b[6Hy"},
        {"two runs in a row", {{5, 10}, {5, 40}}, on + "\x1b[6;11Hy\x1b[41Gy" + off},
        {"two rows", {{5, 10}, {6, 10}}, on + "\x1b[6;11Hy\x1b[7;11Hy" + off},
        {"down a column", {{5, 10}, {6, 11}}, on + "\x1b[6;11Hy\x1b[By" + off},
    };
    for (const auto& [what, cells, bytes] : cases) {
        SCOPED_TRACE(what);
        for (cell& c : frame)
            c = {'x', 0x07};
        renderinit(true, 80, 25);
        ASSERT_EQ(show().substr(0, on.size()), on) << "a whole repaint is bracketed";
        for (auto [r, c] : cells)
            frame[r * screencols + c].ch = 'y';
        EXPECT_EQ(show(), bytes);
    }
    // The cursor stays where the last frame left it: the game's clock ticking in one cell.
    frame[2 * screencols + 70].ch = 'z';
    EXPECT_EQ(show(), "\x1b[3;71Hz");
    frame[2 * screencols + 70].ch = 'w';
    EXPECT_EQ(show(), "\x1b[Dw");
    EXPECT_EQ(show(), "") << "a frame like the last";
    // A palette change redraws just the cells drawn in the changed colour.
    unsigned char palette[48] = {};
    renderpalette(palette);
    frame[7 * screencols + 3].attr = 0x01;
    show();
    palette[3] = 0xFF;
    renderpalette(palette);
    const std::string red = renderframe();
    EXPECT_EQ(std::count(red.begin(), red.end(), 'x'), 1) << red;
}

// The game left alone: pieces fall, lock and pile up until it is over, the counters and the clock
// run. A frame's worth of changes is mostly one clock digit, and costs little more.
TEST(stream, arunninggamewithnokeypressedsendsunder12bytesaframe) {
    scratchdir here; // the game keeps its settings file here
    headless::reset();
    renderinit(true, 80, 25);
    gamesetup(6);
    renderput(screen, 0, 0, 79, 24);
    renderframe();
    std::size_t bytes = 0;
    const int frames = 3600;
    for (int n = 0; n < frames; n++) {
        ASSERT_TRUE(gameframe());
        renderput(screen, 0, 0, 79, 24);
        bytes += renderframe().size();
    }
    EXPECT_LT(static_cast<double>(bytes) / frames, 12.0);
}
