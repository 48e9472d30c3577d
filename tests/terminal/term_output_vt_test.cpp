// The renderer's bytes played into a real terminal (a tmux pane), read back cell by cell: glyphs
// and colours must be the frame's, also after a palette change and after the terminal changes size.
#include "console/platform/term_render.h"
#include "tmuxpane.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

cell frame[screenrows * screencols];
unsigned char pal[48];

// The pane plays files 1, 2, 3 ... in turn as they appear, and says when each is through.
class vt : public ::testing::Test {
  protected:
    std::string dir;
    int step = 0;

    void SetUp() override {
        if (!tmuxthere())
            GTEST_SKIP() << "tmux is not installed";
        dir = scratchdir();
        ASSERT_FALSE(dir.empty());
        tmuxstart("vt", 100, 30,
                  "cd " + dir +
                      " && stty -echo && i=1 && while :; do while [ ! -e f$i ]; do sleep 0.02; "
                      "done; cat f$i; touch d$i; i=$((i+1)); done");
        for (int i = 0; i < 16; i++)
            for (int k = 0; k < 3; k++)
                pal[3 * i + k] = static_cast<unsigned char>(i * 16 + k * 5 + 3);
        for (int i = 0; i < screenrows * screencols; i++)
            frame[i] = {static_cast<std::uint16_t>(i % 256),
                        static_cast<std::uint16_t>((i * 7 + i / 80) % 256)};
    }
    void TearDown() override {
        tmuxstop();
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }

    void play(const std::string& bytes) {
        step++;
        std::string f = dir + "/f" + std::to_string(step);
        { std::ofstream(f + ".tmp", std::ios::binary) << bytes; }
        std::filesystem::rename(f + ".tmp", f);
        std::string done = dir + "/d" + std::to_string(step);
        for (int i = 0; i < 250 && !std::filesystem::exists(done); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(std::filesystem::exists(done));
    }

    long expect(int index, bool truecolor) {
        unsigned char* p = pal + 3 * index;
        return truecolor ? (long(p[0]) << 16 | long(p[1]) << 8 | p[2])
                         : 0x1000000 + nearest256(p[0], p[1], p[2]);
    }

    // How many cells of the pane differ from the frame drawn at (top, left); the pane may still be
    // catching up, so it is read until it matches or a while has passed.
    int mismatches(int top, int left, bool truecolor, std::string* first) {
        int bad = 0;
        for (int attempt = 0; attempt < 50; attempt++) {
            auto cells = tmuxcells("vt");
            bad = 0;
            first->clear();
            for (int r = 0; r < screenrows; r++) {
                for (int c = 0; c < screencols; c++) {
                    const cell& w = frame[r * screencols + c];
                    unsigned char ch = static_cast<unsigned char>(w.ch);
                    vtcell got;
                    if (top + r < int(cells.size()) && left + c < int(cells[top + r].size()))
                        got = cells[top + r][left + c];
                    bool ok =
                        got.text == glyph(ch) && got.bg == expect((w.attr >> 4) & 15, truecolor);
                    // tmux may leave out the colour of a blank's ink.
                    if (got.text != " ")
                        ok = ok && got.fg == expect(w.attr & 15, truecolor);
                    if (!ok && bad++ == 0)
                        *first = "row " + std::to_string(r) + " col " + std::to_string(c) +
                                 ": got '" + got.text + "' " + std::to_string(got.fg) + "/" +
                                 std::to_string(got.bg);
                }
            }
            if (bad == 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        return bad;
    }
};

} // namespace

TEST_F(vt, everyglyphandcolourarrivesatitscellalsoafterapalettechange) {
    renderinit(true, 100, 30);
    renderpalette(pal);
    renderput(frame, 0, 0, 79, 24);
    play(renderframe());
    std::string first;
    EXPECT_EQ(mismatches(2, 10, true, &first), 0) << first;
    pal[3 * 5] = 0xEE;
    pal[3 * 12 + 2] = 0x01;
    renderpalette(pal);
    play(renderframe());
    EXPECT_EQ(mismatches(2, 10, true, &first), 0) << first;
}

TEST_F(vt, in256coloursthenearestentriesshow) {
    renderinit(false, 100, 30);
    renderpalette(pal);
    renderput(frame, 0, 0, 79, 24);
    play(renderframe());
    std::string first;
    EXPECT_EQ(mismatches(2, 10, false, &first), 0) << first;
}

TEST_F(vt, theframefollowstheterminalsize) {
    renderinit(true, 100, 30);
    renderpalette(pal);
    renderput(frame, 0, 0, 79, 24);
    play(renderframe());

    tmux("resize-window -t vt -x 84 -y 26");
    rendersize(84, 26);
    play(renderframe());
    std::string first;
    EXPECT_EQ(mismatches(0, 2, true, &first), 0) << first;
    // Nothing of the old picture is left beside the new one.
    auto cells = tmuxcells("vt");
    for (std::size_t r = 0; r < cells.size(); r++) {
        for (std::size_t c = 0; c < cells[r].size(); c++) {
            if (r >= 25 || c < 2 || c >= 82) {
                EXPECT_TRUE(cells[r][c].text == " " && cells[r][c].bg == -1) << r << " " << c;
            }
        }
    }

    // Too small: the notice; the game changes its frame meanwhile.
    tmux("resize-window -t vt -x 60 -y 20");
    rendersize(60, 20);
    frame[0] = {'#', 0x21};
    renderput(frame, 0, 0, 79, 24);
    play(renderframe());
    std::string screen;
    for (int i = 0; i < 50 && screen.find("80 x 25") == std::string::npos; i++)
        screen = tmux("capture-pane -p -t vt");
    EXPECT_NE(screen.find("(now 60 x 20)"), std::string::npos) << screen;

    tmux("resize-window -t vt -x 80 -y 25");
    rendersize(80, 25);
    play(renderframe());
    EXPECT_EQ(mismatches(0, 0, true, &first), 0) << first;
}
