// The renderer's bytes played into a real terminal (a tmux pane) and read back cell by cell:
// glyphs and colours must be the frame's, also after a palette change and after a resize.
#include "console/platform/term_render.h"
#include "pane.h"

namespace {

cell frame[screenrows * screencols];
unsigned char pal[48];

// The pane plays files 1, 2, 3 ... in turn as they appear, and says when each is through.
class vt : public pane {
  protected:
    int step = 0;
    bool truecolor = true;

    void SetUp() override {
        open("stty -echo && i=1 && while :; do while [ ! -e f$i ]; do sleep 0.02; done; "
             "cat f$i; touch d$i; i=$((i+1)); done");
        for (int i = 0; i < 48; i++)
            pal[i] = static_cast<unsigned char>(i / 3 * 16 + i % 3 * 5 + 3);
        for (int i = 0; i < screenrows * screencols; i++)
            frame[i] = {static_cast<std::uint16_t>(i % 256),
                        static_cast<std::uint16_t>((i * 7 + i / 80) % 256)};
    }

    // Presents the frame on a cols by rows terminal, plays it into the pane and reads it back:
    // the first cell that is not the frame centred in it (or blank around it), or "".
    std::string play(int cols, int rows) {
        tmux("resize-window -t pane -x " + std::to_string(cols) + " -y " + std::to_string(rows));
        rendersize(cols, rows);
        renderpalette(pal);
        renderput(frame, 0, 0, 79, 24);
        const std::string f = dir + "/f" + std::to_string(++step),
                          d = dir + "/d" + std::to_string(step);
        { std::ofstream(f + ".tmp", std::ios::binary) << renderframe(); }
        std::filesystem::rename(f + ".tmp", f);
        if (!waitfor([&] { return std::filesystem::exists(d); }))
            return "not played";
        std::string first;
        // The pane may still be catching up.
        waitfor(
            [&] {
                auto cells = tmuxcells();
                first.clear();
                for (int y = 0; y < rows && first.empty(); y++) {
                    for (int x = 0; x < cols && first.empty(); x++) {
                        vtcell got{" "}; // never written
                        if (y < int(cells.size()) && x < int(cells[y].size()))
                            got = cells[y][x];
                        const int r = y - (rows - screenrows) / 2, c = x - (cols - screencols) / 2;
                        const bool in = r >= 0 && r < screenrows && c >= 0 && c < screencols;
                        const cell& w = frame[in ? r * screencols + c : 0];
                        // tmux may leave out the colour of a blank's ink.
                        if (!in ? got.text != " " || got.bg != -1
                                : got.text != glyph(static_cast<unsigned char>(w.ch)) ||
                                      got.bg != colour(w.attr >> 4 & 15) ||
                                      (got.text != " " && got.fg != colour(w.attr & 15)))
                            first = "row " + std::to_string(y) + " col " + std::to_string(x) +
                                    ": got '" + got.text + "' " + std::to_string(got.fg) + "/" +
                                    std::to_string(got.bg);
                    }
                }
                return first.empty();
            },
            2000);
        return first;
    }

    // Without 24-bit colour, the nearest of the xterm palette's 240 fixed colours, worked out
    // apart from the game for the test's palette before and after its change.
    long colour(int index) {
        static const int nearest[2][16] = {
            {232, 234, 235, 237, 238, 240, 242, 243, 102, 246, 248, 250, 251, 188, 254, 231},
            {232, 234, 235, 237, 238, 203, 242, 243, 102, 246, 248, 250, 148, 188, 254, 231}};
        unsigned char* p = pal + 3 * index;
        return truecolor ? (long(p[0]) << 16 | long(p[1]) << 8 | p[2])
                         : 0x1000000 + nearest[pal[15] == 0xEE][index];
    }
};

} // namespace

TEST_F(vt, everyglyphandcolourarrivesalsoafterapalettechange) {
    for (bool tc : {true, false}) {
        SCOPED_TRACE(tc ? "24-bit" : "256 colours");
        renderinit(truecolor = tc, 100, 30);
        EXPECT_EQ(play(100, 30), "");
        pal[3 * 5] = 0xEE;
        pal[3 * 12 + 2] = 0x01;
        EXPECT_EQ(play(100, 30), "");
    }
}

TEST_F(vt, theframefollowstheterminalsize) {
    renderinit(true, 100, 30);
    play(100, 30);
    EXPECT_EQ(play(84, 26), "");
    // Too small: a notice, while the game changes its frame meanwhile.
    frame[0] = {'#', 0x21};
    play(60, 20);
    EXPECT_TRUE(waitfor([&] {
        return tmux("capture-pane -p -t pane").find("(now 60 x 20)") != std::string::npos;
    }));
    EXPECT_EQ(play(80, 25), "");
}
