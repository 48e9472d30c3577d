// A game played by a script, every frame's bytes played into a real terminal (a tmux pane) and the
// pane read back after each one: it must show exactly that frame, with no cell left over from an
// earlier one. Small updates go out without synchronized-update brackets and with the shortest
// cursor moves, relative to where the last frame left the cursor, so any slip shows up here.
#include "console/platform/headless.h"
#include "console/platform/term_render.h"
#include "frontend/frontend.h"
#include "pane.h"
#include "shell/ingameloop.h"
#include "shell/ingamev.h"

namespace {

class vtgame : public pane {
  protected:
    int step = 0;
    std::filesystem::path old;

    void SetUp() override {
        open("stty -echo && i=1 && while :; do while [ ! -e f$i ]; do sleep 0.005; done; "
             "cat f$i; touch d$i; i=$((i+1)); done");
        if (IsSkipped() || HasFatalFailure())
            return;
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir); // the game keeps its settings file here
        headless::reset();
    }
    void TearDown() override {
        if (!old.empty())
            std::filesystem::current_path(old);
        pane::TearDown();
    }

    // Plays the frame's bytes into the pane; the first cell of the pane that differs from
    // `screen` centred in a cols by rows terminal (or is not blank around it), or "".
    std::string play(int cols, int rows) {
        renderput(::screen, 0, 0, 79, 24);
        const std::string bytes = renderframe();
        const std::string f = dir + "/f" + std::to_string(++step),
                          d = dir + "/d" + std::to_string(step);
        { std::ofstream(f + ".tmp", std::ios::binary) << bytes; }
        std::filesystem::rename(f + ".tmp", f);
        if (!waitfor([&] { return std::filesystem::exists(d); }))
            return "not played";
        std::string first;
        waitfor(
            [&] {
                first = differs(tmuxcells(), cols, rows);
                return first.empty();
            },
            2000);
        return first;
    }

    static std::string differs(const std::vector<std::vector<vtcell>>& cells, int cols, int rows) {
        for (int y = 0; y < rows; y++) {
            for (int x = 0; x < cols; x++) {
                vtcell got{" "};
                if (y < int(cells.size()) && x < int(cells[y].size()))
                    got = cells[y][x];
                const int r = y - (rows - screenrows) / 2, c = x - (cols - screencols) / 2;
                const bool in = r >= 0 && r < screenrows && c >= 0 && c < screencols;
                bool same = got.text == " " && got.bg == -1;
                if (in) {
                    const cell& w = ::screen[r * screencols + c];
                    const std::string want = glyph(static_cast<unsigned char>(w.ch));
                    // A blank's ink never shows, so the renderer may leave any there.
                    same = got.text == want && got.bg == colour(w.attr >> 4 & 15) &&
                           (want == " " || got.fg == colour(w.attr & 15));
                }
                if (!same)
                    return "row " + std::to_string(y) + " col " + std::to_string(x) + ": got '" +
                           got.text + "' " + std::to_string(got.fg) + "/" + std::to_string(got.bg);
            }
        }
        return "";
    }

    static long colour(int index) {
        const unsigned char* p = color + 3 * index;
        return long(p[0]) << 16 | long(p[1]) << 8 | p[2];
    }
};

// Keys by slot, one tap (down a frame, up the next) per character: l r left and right, x z the
// two rotations, u hard drop, d soft drop, h hold, '.' nothing.
void tapkey(const std::string& script, int n) {
    static const std::string slots = "udlrxz.h";
    const char k = script[static_cast<std::size_t>(n / 2) % script.size()];
    if (k == '.')
        return;
    const unsigned char code = ingamekeys[slots.find(k)];
    (n % 2 == 0 ? headless::press : headless::release)(code);
}

} // namespace

TEST_F(vtgame, thepaneshowseveryframeofagameexactly) {
    renderinit(true, 100, 30);
    gamesetup(6);
    renderpalette(color);
    const std::string script = "llxu.rrzd..hlu...rrrxxu..lllllu.rz.hu..d..ddu";
    int n = 0;
    for (auto [cols, rows] : {std::pair(100, 30), std::pair(80, 25)}) {
        tmux("resize-window -t pane -x " + std::to_string(cols) + " -y " + std::to_string(rows));
        rendersize(cols, rows);
        for (int end = n + 150; n < end; n++) {
            tapkey(script, n);
            ASSERT_TRUE(gameframe());
            const std::string wrong = play(cols, rows);
            ASSERT_EQ(wrong, "") << "frame " << n << " at " << cols << " x " << rows;
        }
    }
    EXPECT_GT(ingamev.piececount, 10u) << "the script should have dropped many pieces";
}

// Small scattered changes, a few cells apart in a row or straight above one another, in few
// colours and glyphs of one and three bytes: every way of moving the cursor and of writing over
// an unchanged cell instead is taken, at the edges of the frame too.
TEST_F(vtgame, scatteredsmallchangesleavenothingbehind) {
    std::uint32_t seed = 12345;
    auto next = [&](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    const unsigned char glyphs[] = {' ', 'a', 0xDB, 0xB0, 0x00};
    const std::uint16_t attrs[] = {0x07, 0x70, 0x17, 0x71};
    auto any = [&] { return cell{glyphs[next(5)], attrs[next(4)]}; };
    for (cell& c : ::screen)
        c = any();
    for (int i = 0; i < 48; i++)
        color[i] = static_cast<unsigned char>(i * 5);
    for (auto [cols, rows] : {std::pair(100, 30), std::pair(80, 25)}) {
        renderinit(true, cols, rows);
        renderpalette(color);
        tmux("resize-window -t pane -x " + std::to_string(cols) + " -y " + std::to_string(rows));
        for (int n = 0; n < 60; n++) {
            int r = static_cast<int>(next(25)), c = static_cast<int>(next(80));
            for (int k = static_cast<int>(next(4)); k >= 0; k--) {
                ::screen[r * screencols + c] = any();
                if (next(2))
                    c = std::min(79, c + 1 + static_cast<int>(next(4)));
                else
                    r = (r + 1 + static_cast<int>(next(2))) % 25;
            }
            const std::string wrong = play(cols, rows);
            ASSERT_EQ(wrong, "") << "frame " << n << " at " << cols << " x " << rows;
        }
    }
}
