// Rules test helpers. Pictures show rows from `top` down, separated by '/', each from the leftmost
// column: '#' a locked cell, '0' cell 0 of the piece and '@' its other cells.

#include "../shell/newgame.h"
#include "frontend/frontend.h"
#include "rules/rules.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

using cellset = std::vector<std::pair<int, int>>;

// (x, y) pairs written "x,y x,y ...".
cellset pairs(const char* text) {
    cellset out;
    for (int x, y, n; std::sscanf(text, "%d,%d%n", &x, &y, &n) == 2; text += n)
        out.emplace_back(x, y);
    return out;
}

// An empty board, lock timer full, five refills (SRS) or lowest row 25 (ARS), low gravity.
void freshgame(bool ars = false) {
    newgame(ars ? 7 : 1);
    std::memset(keys, 0, sizeof keys), std::memset(arrkeys, 0, sizeof arrkeys);
    ingamev.active = 1, ingamev.gravity = 4, ingamev.lockdelay = ingamev.locktimer = 30;
    ingamev.resetlimit = ars ? 25 : 5, ingamev.resetsleft = ars ? 0 : 5;
}

// Locks the picture's '#' cells into the board and returns its piece cells, cell 0 first unless
// sorted.
cellset draw(const std::string& rows, int top, bool sorted = false) {
    cellset out;
    for (int y = top, x = 9, i = 0; i < int(rows.size()); i++, x--) {
        if (rows[i] == '/')
            y--, x = 10;
        if (rows[i] == '#')
            ingamev.board[y][x] = 1;
        if (rows[i] == '0' || rows[i] == '@')
            out.insert(rows[i] == '0' ? out.begin() : out.end(), {x, y});
    }
    if (sorted)
        std::sort(out.begin(), out.end());
    return out;
}

// Places the piece `piece` in rotation `r` on the picture's cells with the pivot on cell 0, or
// without a picture as its rotation system deals it with the pivot at (px, py).
void setup(const std::string& rows, int top, int piece, int r, int px = 0, int py = 0) {
    const int a = ingamev.ars && (piece == 2 || piece == 3) ? 1 : 0, sign = ingamev.ars ? -1 : 1;
    cellset c = draw(rows, top);
    for (int i = 0; c.size() < 4; i++)
        c.emplace_back(px - a + sign * ingamev.shapes[piece][i][0],
                       py - a + sign * ingamev.shapes[piece][i][1]);
    for (int i = 0; i < 4; i++)
        ingamev.piecex[i] = std::uint16_t(c[i].first),
        ingamev.piecey[i] = std::uint16_t(c[i].second);
    ingamev.pivotx = std::uint16_t(rows.empty() ? px : c[0].first);
    ingamev.pivoty = std::uint16_t(rows.empty() ? py : c[0].second);
    ingamev.current = std::uint8_t(piece), ingamev.rotation = std::uint8_t(r);
}

// The piece's cells, sorted.
cellset cells() {
    cellset out;
    for (int i = 0; i < 4; i++)
        out.emplace_back(ingamev.piecex[i], ingamev.piecey[i]);
    std::sort(out.begin(), out.end());
    return out;
}

// Plays the moves (l, r: shift left or right, d: drop a row, s: a skipped drop), noting '.' for
// each that went and '#' for each that was blocked.
std::string play(const std::string& moves) {
    std::string out;
    for (char m : moves)
        out += (m == 'l' ? left() : m == 'r' ? right() : drop(m == 's')) ? '#' : '.';
    return out;
}

// Turns a piece from rotation `from` in mid-field once for each of the first `tried` kicks, with
// the cells of every earlier candidate taken unless that kick needs them, so a kick tried too
// soon or too late lands elsewhere. A last round, with every tried candidate taken, fails.
void checkorder(bool ars, int piece, int from, bool cw, const cellset& kicks, std::size_t tried,
                void (*turn)(bool)) {
    const auto midfield = [&] {
        freshgame(ars);
        setup("", 0, piece, ars ? 2 : 0, 5, 12);
        while (ingamev.rotation != from)
            turn(true);
        headless::clearrecords();
    };
    midfield();
    turn(cw); // in open space: the first kick
    const auto candidate = [&, turned = cells()](std::size_t u) {
        cellset c = turned;
        for (auto& [x, y] : c)
            x += kicks[u].first - kicks[0].first, y += kicks[u].second - kicks[0].second;
        return c;
    };
    for (std::size_t t = 0; t <= tried; t++) {
        midfield();
        const cellset want = t < tried ? candidate(t) : cells();
        for (std::size_t u = 0; u < t; u++)
            for (auto c : candidate(u))
                ingamev.board[c.second][c.first] =
                    t == tried || !std::count(want.begin(), want.end(), c);
        ingamev.lastrotate = t == tried;
        ingamev.justspawned = t == 0; // a turn in the spawn frame sounds different
        turn(cw);
        // SRS puts the pivot on cell 0; ARS moves it by the kick alone.
        const auto [px, py] = t < tried ? kicks[t] : std::pair{0, 0};
        const char* sound = t == tried ? "rotfail.wav" : t ? "rotate.wav" : "initialrotate.wav";
        EXPECT_EQ(std::tuple(cells(), int(ingamev.rotation), int(ingamev.lastrotate), heard(),
                             int(ingamev.pivotx), int(ingamev.pivoty)),
                  std::tuple(want, t < tried ? (from + (cw ? 1 : 3)) % 4 : from, 1, sound,
                             ars ? 5 + px : ingamev.piecex[0], ars ? 12 + py : ingamev.piecey[0]))
            << piece << " from " << from << " cw " << cw << " test " << t;
    }
}

} // namespace

TEST(Turn, EveryTurnTriesItsKicksInOrder) {
    // SRS kicks (x left, y up) of the clockwise turns from rotation 0 to 3, in the order tried;
    // turning back tries them with their signs reversed. Cell 0 of the I is not the middle of its
    // box, so even its first test moves it. The O turns in place.
    const char* jlstz[4] = {"0,0 1,0 1,1 0,-2 1,-2", "0,0 -1,0 -1,-1 0,2 -1,2",
                            "0,0 -1,0 -1,1 0,-2 -1,-2", "0,0 1,0 1,-1 0,2 1,2"};
    const char* itable[4] = {"-1,0 -2,0 1,0 1,-1 -2,2", "0,-1 1,-1 -2,-1 -2,-2 1,1",
                             "1,0 2,0 -1,0 -1,1 2,-2", "0,1 -1,1 2,1 2,2 -1,-1"};
    const auto srs = [](bool cw) { cw ? rotaterightSRS() : rotateleftSRS(); };
    for (int piece = 0; piece < 7; piece++)
        for (int r = 0; r < 4; r++)
            for (bool cw : {true, false}) {
                cellset kicks = pairs(piece == 2 ? "0,0" : (piece == 3 ? itable : jlstz)[r]);
                for (auto& [x, y] : kicks)
                    x *= cw ? 1 : -1, y *= cw ? 1 : -1;
                checkorder(false, piece, cw ? r : (r + 1) % 4, cw, kicks, kicks.size(), srs);
                // ARS: in place, one column right, one left, one row up, and two columns right
                // only for an I turning flat.
                checkorder(true, piece, r, cw, pairs("0,0 -1,0 1,0 0,1 -2,0"),
                           piece == 3 && r % 2 ? 5 : 4, rotateARS);
            }
}

TEST(Turn, ArsPiecesTakeTheirPlacesAroundThePivotInEveryRotation) {
    // Cells (x left, y up) around the pivot, by piece and rotation 0 to 3.
    const char* places[7][4] = {
        {"0,0 -1,0 1,-1 0,-1", "1,1 1,0 0,0 0,-1", "0,0 -1,0 1,-1 0,-1", "1,1 1,0 0,0 0,-1"},
        {"1,0 0,0 0,-1 -1,-1", "-1,1 0,0 -1,0 0,-1", "1,0 0,0 0,-1 -1,-1", "-1,1 0,0 -1,0 0,-1"},
        {"0,0 -1,0 0,-1 -1,-1", "0,0 -1,0 0,-1 -1,-1", "0,0 -1,0 0,-1 -1,-1",
         "0,0 -1,0 0,-1 -1,-1"},
        {"1,-1 0,-1 -1,-1 -2,-1", "-1,1 -1,0 -1,-1 -1,-2", "1,-1 0,-1 -1,-1 -2,-1",
         "-1,1 -1,0 -1,-1 -1,-2"},
        {"-1,0 1,-1 0,-1 -1,-1", "0,1 0,0 0,-1 -1,-1", "1,0 0,0 -1,0 1,-1", "1,1 0,1 0,0 0,-1"},
        {"1,0 1,-1 0,-1 -1,-1", "0,1 -1,1 0,0 0,-1", "1,0 0,0 -1,0 -1,-1", "0,1 0,0 1,-1 0,-1"},
        {"0,0 1,-1 0,-1 -1,-1", "0,1 0,0 -1,0 0,-1", "1,0 0,0 -1,0 0,-1", "0,1 1,0 0,0 0,-1"},
    };
    for (int piece = 0; piece < 7; piece++)
        for (int r = 0; r < 4; r++) {
            freshgame(true);
            setup("", 0, piece, 2, 5, 12);
            while (ingamev.rotation != r)
                rotateARS(true);
            cellset want = pairs(places[piece][r]);
            for (auto& [x, y] : want)
                x += 5, y += 12;
            std::sort(want.begin(), want.end());
            EXPECT_EQ(cells(), want) << "piece " << piece << " in rotation " << r;
        }
}

TEST(Turn, RowTwentyEightBlocksKicksAndATurnNeverFalls) {
    // Upright against the right wall at the top, blocked in place: both tests to the right meet
    // the wall, and both tests upward would put the tip in row 28.
    freshgame();
    setup("........@./.......#0@/........@.", 26, 6, 1);
    rotateleftSRS();
    EXPECT_EQ(std::tuple(cells(), int(ingamev.rotation)),
              std::tuple(draw("........@./........0@/........@.", 26, true), 1));
    // Off a ledge at 20G it stays put; with the timer full no refill is spent.
    freshgame();
    ingamev.gravity = instant;
    setup("......@.../....@0@.../....#.....", 11, 4, 0);
    rotaterightSRS();
    EXPECT_EQ(std::tuple(cells(), int(ingamev.resetsleft)),
              std::tuple(draw(".....@..../.....0..../.....@@...", 11, true), 5));
}

TEST(LockDelay, SrsRefillsARunningTimerFiveTimesArsOnANewLowestRow) {
    freshgame();
    setup("...@0@..../....@.....", 1, 6, 0);
    EXPECT_EQ(play("l"), "."); // the timer is full: no refill spent
    for (int n = 1; n <= 6; n++) {
        ingamev.locktimer = 12;
        EXPECT_EQ(play(n % 2 ? "r" : "l"), ".");
        EXPECT_EQ(ingamev.locktimer, n <= 5 ? 30 : 12) << n;
    }
    freshgame(true);
    setup("", 0, 6, 2, 5, 25);
    for (int row = 24; row >= 23; row--) {
        ingamev.locktimer = 9;
        EXPECT_EQ(play("lr"), ".."); // sideways on the same row: no refill
        EXPECT_EQ(ingamev.locktimer, 9);
        EXPECT_EQ(play("d"), ".");
        EXPECT_EQ(std::tuple(int(ingamev.locktimer), int(ingamev.resetlimit)), std::tuple(30, row));
    }
}

TEST(LockDelay, AShiftOffALedgeFallsOneFrameAtOnce) {
    // ars, above the ledge, hard-drop key, its latch, soft-drop key, soft-drop speed, gravity;
    // then the pivot row, the points and the fall sum afterwards.
    const std::uint32_t cases[][10] = {
        {0, 0, 0, 0, 0, 0, 4, 3, 0, 4},         // low gravity: hangs over the hole
        {0, 0, 0, 0, 0, 0, instant, 1, 0, 255}, // 20G: to the bottom of the hole
        {0, 1, 0, 0, 0, 0, instant, 4, 0, 250}, // not resting before the shift: no fall
        {0, 0, 1, 0, 0, 0, 4, 1, 4, 3},         // hard drop held: 255 left, +4, blocked
        {0, 0, 1, 1, 0, 0, 4, 3, 0, 4},         // its latch stops it under SRS...
        {1, 0, 1, 1, 0, 0, 4, 1, 4, 3},         // ...but not under ARS
        {0, 0, 0, 0, 1, 300, 4, 2, 1, 48},      // soft drop held: 1 point a row
        {0, 0, 1, 0, 0, 0, instant, 1, 4, 255}, // 255 + 20G stops at the top
    };
    for (const auto& c : cases) {
        freshgame(c[0]);
        // An O on a ledge (or a row above it) beside a hole two wide and two deep.
        draw("#..#######/#..#######", 1);
        setup("..@0....../..@@......", c[1] ? 4 : 3, 2, 0);
        keys[0] = std::uint8_t(c[2]), arrkeys[0] = c[3], keys[1] = std::uint8_t(c[4]);
        INGAMESDS = c[5];
        ingamev.gravity = c[6];
        ingamev.gravitysum = 250; // from an earlier frame; a fall starts afresh
        EXPECT_FALSE(left());
        EXPECT_EQ(std::tuple(ingamev.pivoty, ingamev.score, ingamev.gravitysum),
                  std::tuple(c[7], c[8], c[9]))
            << "case " << &c - cases;
    }
}

TEST(Movement, ShiftsAndDropsStopAtTheWallsTheFloorAndBlocks) {
    freshgame();
    setup(".@0@....../..@.......", 1, 6, 0);
    ingamev.lastrotate = 1;
    // Column 9 is the last; one column right of column 0 is column 65535.
    EXPECT_EQ(play("llrrrrrrrr"), ".#.......#");
    EXPECT_EQ(ingamev.lastrotate, 0); // a T-spin needs the turn to come last
    ingamev.lastrotate = 1;
    ingamev.board[0][2] = 7; // beside the stem; one row below row 0 is row 65535
    EXPECT_EQ(play("lsd"), "###");
    EXPECT_EQ(std::tuple(cells(), int(ingamev.pivotx), int(ingamev.pivoty), int(ingamev.lastrotate),
                         int(ingamev.onground), heard()),
              std::tuple(draw(".......@@@/........@.", 1, true), 1, 1, 1, 1, ""));
}

TEST(Movement, HardDropFallsWhereTheGhostShowsUnlessDealtOntoBlocks) {
    freshgame();
    setup(".@0@....../..@......./........../........../........../...##.....", 15, 6, 0);
    const auto ghost = [] { return std::vector(ingamev.ghosty, ingamev.ghosty + 4); };
    const auto lands = [&](int top, unsigned score, int turned, std::vector<std::uint16_t> shown) {
        ingamev.lastrotate = 1;
        ghostupdate();
        harddrop();
        EXPECT_EQ(std::tuple(cells(), ingamev.score, int(ingamev.lastrotate), ghost()),
                  std::tuple(draw(".@0@....../..@.......", top, true), score, turned, shown));
    };
    ingamev.board[15][7] = 2; // dealt onto a block: no move, no points, the ghost above it
    lands(15, 0, 1, {16, 16, 16, 15});
    // The stem slips down beside the blocks; the right wing lands on them after four rows. Then,
    // resting, no rows, no points, and a turn made in place still counts.
    ingamev.board[15][7] = 0;
    lands(11, 8, 0, {11, 11, 11, 10});
    lands(11, 8, 1, {11, 11, 11, 10});
    ingamev.active = 0;
    ghostupdate();
    EXPECT_EQ(ghost(), std::vector<std::uint16_t>(4, 255));
}

// One game, lock after lock, so the chain and the combo carry over: every kind of clear, with and
// without back-to-back, and the combo bonus at each of its steps. Each lock clears `n` full rows
// under a cell in the top row, with the piece's centre at column 4 of row 0: both lower corners
// are off the field and the upper corner at column 3 is taken. `kind`: 'T' a T turned last, 'I' an
// I turned last, 't' a T moved last, '2' a T turned last with two corners free, 'P' a T turned
// last clearing the whole board.
TEST(LineClear, ClearsInARowKeepTheirLabelsSoundsChainsCombosAndPoints) {
    const std::tuple<unsigned, char, int, const char*, std::uint64_t> game[] = {
        {0, 'I', 1, "", 0},
        {1, 'I', 2, "combo0.wav erase1.wav", 1},
        {2, 't', 3, "combo1.wav erase2.wav", 3},
        {3, 'I', 4, "combo2.wav erase3.wav", 5 + 1},
        {4, 'I', 5, "combo3.wav b2b_start.wav erase4.wav", 8 + 1},
        {4, 'I', 9, "combo4.wav b2b_continue.wav erase4.wav", 12 + 2},
        {1, 'T', 10, "combo5.wav b2b_continue.wav tspin1.wav", 6 + 2},
        {2, 'T', 11, "combo6.wav b2b_continue.wav tspin2.wav", 12 + 3},
        {3, 'T', 12, "combo7.wav b2b_continue.wav tspin3.wav", 18 + 3},
        {1, '2', 2, "combo8.wav b2b_end.wav erase1.wav", 1 + 3},
        {0, 'T', 2, "combo0.wav tspin0.wav", 0},
        {1, 'T', 6, "combo0.wav b2b_start.wav tspin1.wav", 4},
        {0, 'T', 6, "combo0.wav tspin0.wav", 0},
        {2, 'T', 11, "combo0.wav b2b_continue.wav tspin2.wav", 12},
        {1, 't', 2, "combo1.wav b2b_end.wav erase1.wav", 1},
        {2, 'T', 7, "combo2.wav b2b_start.wav tspin2.wav", 8 + 1},
        {1, 'I', 2, "combo3.wav b2b_end.wav erase1.wav", 1 + 1},
        {3, 'T', 8, "combo4.wav b2b_start.wav tspin3.wav", 12 + 2},
        {2, 'P', 11, "combo5.wav b2b_continue.wav tspin2.wav bravo.wav", 12 + 2 + 18},
    };
    newgame(5);
    ingamev.level = 2;
    std::uint64_t score = 0, lines = 0;
    for (std::size_t i = 0; i < std::size(game); i++) {
        const auto& [n, kind, label, sounds, points] = game[i];
        std::memset(ingamev.board, 0, sizeof ingamev.board);
        std::memset(ingamev.board, 1, n * boardcols);
        ingamev.board[27][0] = kind != 'P';
        ingamev.board[1][3] = kind != '2' || n > 1;
        ingamev.current = kind == 'I' ? 3 : 6;
        ingamev.lastrotate = kind != 't';
        ingamev.piecex[0] = 4;
        ingamev.labeltimer = 0;
        headless::clearrecords();
        linecleartest(0);
        score += points * 200, lines += n;
        EXPECT_EQ(std::tuple(int(ingamev.label), heard(), ingamev.score, ingamev.lines,
                             unsigned(ingamev.cleared), int(ingamev.labeltimer),
                             int(ingamev.board[27 - n][0])),
                  std::tuple(label, sounds, score, lines, n, n ? 120 : 0, kind != 'P'))
            << "lock " << i;
        EXPECT_TRUE(!ingamev.combo || ingamev.labelcombo == ingamev.combo);
    }
    newgame(7);
    ingamev.level = 299; // scored at level 299, before the level rule takes it to 300
    std::memset(ingamev.board, 1, boardcols);
    linecleartest(0);
    EXPECT_EQ(ingamev.score, 300u * 19);
}
