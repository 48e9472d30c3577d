// The renderer's bytes and what a real terminal (a tmux pane) makes of them, played frame by frame
// and read back cell by cell after each: the pane must show exactly that frame, glyphs and
// colours, with no cell left over from an earlier one, also after a palette change and a resize.
// Small updates go with the shortest cursor moves and without synchronized-update brackets, larger
// ones bracketed, and only what changed is sent.
#include "platform/term/render.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

cell frame[screenrows * screencols];

// One cell as tmux holds it: its text and colours as tmux writes them ("2;R;G;B", or "5;N" for the
// 256-colour palette; "" for the terminal's default).
struct vtcell {
    std::string text = " ", fg, bg;
};

// A private tmux server with one pane; the test writes the renderer's bytes straight to the pane's
// terminal.
struct vt : ::testing::Test {
    std::string server = "dropple-test-" + std::to_string(getpid());
    int pty = -1, width = 0, height = 0;
    unsigned char pal[48] = {};   // the palette the cells' colours are checked against
    const int* nearest = nullptr; // without 24-bit colour: the 256-colour index of each

    std::string tmux(const std::string& args) {
        std::string result;
        if (FILE* p = popen(("tmux -L " + server + " " + args + " 2>/dev/null").c_str(), "r")) {
            for (int c; (c = std::fgetc(p)) != EOF;)
                result += static_cast<char>(c);
            pclose(p);
        }
        return result;
    }

    void SetUp() override {
        if (std::system("command -v tmux >/dev/null 2>&1") != 0) {
            // The project's test command installs tmux: there a missing one is a fault.
            if (std::getenv("DROPPLE_TEST_STRICT"))
                GTEST_FAIL() << "tmux is not installed (DROPPLE_TEST_STRICT is set)";
            GTEST_SKIP() << "tmux is not installed";
        }
        tmux("-f /dev/null new-session -d -s pane -x 100 -y 30 'exec sleep 1000'");
        tmux("set-option -g window-size manual \\; set-option -g status off");
        std::string tty = tmux("display -p -t pane '#{pane_tty}'");
        pty = open(tty.substr(0, tty.find('\n')).c_str(), O_WRONLY | O_NOCTTY);
        ASSERT_GE(pty, 0) << tty;
    }
    void TearDown() override {
        close(pty);
        tmux("kill-server");
    }

    std::string colour(int i) const {
        if (nearest)
            return "5;" + std::to_string(nearest[i]);
        return "2;" + std::to_string(pal[3 * i]) + ";" + std::to_string(pal[3 * i + 1]) + ";" +
               std::to_string(pal[3 * i + 2]);
    }

    // Presents `shown` on a cols by rows terminal and plays it into the pane, which must come to
    // show the frame centred there (and blank around it); the bytes played.
    std::string play(const cell* shown, int cols = 80, int rows = 25) {
        if (cols != width || rows != height) {
            tmux("resize-window -t pane -x " + std::to_string(cols) + " -y " +
                 std::to_string(rows));
            rendersize(width = cols, height = rows);
        }
        renderput(shown, 0, 0, 79, 24);
        const std::string bytes = renderframe();
        EXPECT_EQ(write(pty, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        // The pane may still be catching up; once the test has failed, no frame waits for it.
        std::string first;
        for (int i = 0; i < 100 && !(first = differs(shown)).empty() && !HasFailure(); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(first, "") << "the pane after " << testing::PrintToString(bytes.substr(0, 80));
        return bytes;
    }

    std::string differs(const cell* shown) {
        const std::string s = tmux("capture-pane -p -e -N -t pane");
        const std::string now = "(now " + std::to_string(width) + " x " + std::to_string(height);
        if (width < screencols || height < screenrows) // a notice instead, naming the size
            return s.find(now + ")") != std::string::npos ? "" : "no notice";
        std::vector<vtcell> got(std::size_t(width * height));
        std::string fg, bg;
        for (std::size_t i = 0, y = 0, x = 0; i < s.size();) {
            unsigned char b = static_cast<unsigned char>(s[i]);
            if (b == '\n') {
                y++, x = 0, i++;
            } else if (b == 0x1b) {
                // tmux sets one colour per sequence: 38;... or 48;..., 39 or 49, or 0 for both.
                const std::size_t m = s.find('m', i);
                const std::string sgr = s.substr(i + 2, m - i - 2);
                (sgr[0] == '3' ? fg : bg) = sgr.size() > 3 ? sgr.substr(3) : "";
                if (sgr == "0")
                    fg = bg = "";
                i = m + 1;
            } else {
                std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
                if (y < std::size_t(height) && x < std::size_t(width))
                    got[y * width + x] = {s.substr(i, len), fg, bg};
                x++, i += len;
            }
        }
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                const vtcell& c = got[y * width + x];
                const int r = y - (height - screenrows) / 2, col = x - (width - screencols) / 2;
                bool same = c.text == " " && c.bg.empty();
                if (r >= 0 && r < screenrows && col >= 0 && col < screencols) {
                    const cell& w = shown[r * screencols + col];
                    const std::string want = glyph(static_cast<unsigned char>(w.ch));
                    // A blank's ink never shows, so the renderer may leave any there.
                    same = c.text == want && c.bg == colour(w.attr >> 4 & 15) &&
                           (want == " " || c.fg == colour(w.attr & 15));
                }
                if (!same)
                    return "row " + std::to_string(y) + " col " + std::to_string(x) + ": got '" +
                           c.text + "' " + c.fg + "/" + c.bg;
            }
        return "";
    }
};

} // namespace

TEST_F(vt, everyframearrivesexactlysmallonesinthefewestbytesalsoafterapalettechangeandaresize) {
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
    for (int i = 0; i < 48; i++)
        pal[i] = static_cast<unsigned char>(i * 5);
    renderpalette(pal);
    for (const auto& [what, changed, bytes] : cases) {
        SCOPED_TRACE(what);
        std::fill(std::begin(frame), std::end(frame), cell{'x', 0x07});
        renderinit(true, 80, 25);
        EXPECT_EQ(play(frame).substr(0, on.size()), on) << "a whole repaint is bracketed";
        for (auto [r, c] : changed)
            frame[r * screencols + c].ch = 'y';
        EXPECT_EQ(play(frame), bytes);
    }
    // The cursor stays where the last frame left it: the game's clock ticking in one cell, a cell
    // straight above, the last column (past it the cursor's place is the terminal's business);
    // unchanged cells written again rather than stepped over, unless their colours are not the
    // pen's.
    const std::tuple<int, int, cell, const char*> ticks[] = {
        {2, 70, {'z', 0x07}, "\x1b[3;71Hz"}, {2, 70, {'w', 0x07}, "\x1b[Dw"},
        {1, 71, {'v', 0x07}, "\x1b[Av"},     {1, 79, {'u', 0x07}, "\x1b[7Cu"},
        {1, 70, {'t', 0x07}, "\x1b[2;71Ht"}, {1, 72, {'s', 0x07}, "vs"},
        {1, 70, {'r', 0x07}, "\x1b[3Dr"},    {1, 72, {'s', 0x27}, "\x1b[48;2;30;35;40m\x1b[Cs"}};
    for (auto [r, c, now, bytes] : ticks) {
        frame[r * screencols + c] = now;
        EXPECT_EQ(play(frame), bytes);
    }
    EXPECT_EQ(play(frame), "") << "a frame like the last";
    // A palette change redraws just the cells drawn in the changed colour.
    frame[7 * screencols + 3].attr = 0x01;
    play(frame);
    pal[3] = 0xFF;
    renderpalette(pal);
    const std::string red = play(frame);
    EXPECT_EQ(std::count(red.begin(), red.end(), 'x'), 1) << red;

    // Every glyph in every pair of colours, in a palette of the test's own. Without 24-bit colour,
    // the nearest of the xterm palette's 240 fixed colours, worked out apart from the game for the
    // test's palette before and after its change.
    static const int nearest256[2][16] = {
        {232, 234, 235, 237, 238, 240, 242, 243, 102, 246, 248, 250, 251, 188, 254, 231},
        {232, 234, 235, 237, 238, 203, 242, 243, 102, 246, 248, 250, 148, 188, 254, 231}};
    for (int i = 0; i < screenrows * screencols; i++)
        frame[i] = {static_cast<std::uint16_t>(i % 256),
                    static_cast<std::uint16_t>((i * 7 + i / 80) % 256)};
    for (bool tc : {true, false}) {
        SCOPED_TRACE(tc ? "24-bit" : "256 colours");
        for (int i = 0; i < 48; i++)
            pal[i] = static_cast<unsigned char>(i / 3 * 16 + i % 3 * 5 + 3);
        renderinit(tc, 100, 30);
        renderpalette(pal);
        nearest = tc ? nullptr : nearest256[0];
        play(frame, 100, 30);
        pal[3 * 5] = 0xEE;
        pal[3 * 12 + 2] = 0x01;
        renderpalette(pal);
        nearest = tc ? nullptr : nearest256[1];
        play(frame, 100, 30);
    }
    play(frame, 84, 26);
    // Too small: a notice, while the game changes its frame meanwhile.
    frame[0] = {'#', 0x21};
    play(frame, 60, 20);
    play(frame);
}
