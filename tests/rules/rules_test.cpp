// Lock delay and line clears on the game's record. Moving, turning, dropping and locking are
// checked by whole games, the recorded games in tests/replays that must end as they were recorded.

#include "../game.h"
#include "rules/rules.h"

#include <algorithm>

// An I lying flat in mid-field with its lock timer running, shifted and dropped: the first rule set
// refills the timer on any move, five times a piece; the second only on a row lower than any
// before. Then a piece shifted off a ledge falls at once by one frame's worth, counted afresh: an O
// resting on a ledge beside a hole two wide and two deep, soft drop held at 300/256 rows a frame,
// gravity 4/256.
TEST(LockDelay, SrsRefillsARunningTimerFiveTimesArsOnANewLowestRowAndAShiftOffALedgeFallsAtOnce) {
    auto& g = ingamev;
    for (unsigned char mode : {dropple3, dropple5}) {
        newgame(mode);
        place(3, 10, 3, 10); // an I
        g.pivotx = 4, g.pivoty = g.resetlimit = 10, g.resetsleft = 5;
        std::string seen;
        for (char m : std::string("lrlrlrd")) {
            g.locktimer = 12;
            m == 'l' ? left() : m == 'r' ? right() : drop(false);
            seen += g.locktimer == 30 ? 'R' : '.';
        }
        EXPECT_EQ(seen, mode == dropple3 ? "RRRRR.." : "......R");
    }
    newgame(dropple3);
    for (int x : {0, 1, 2, 3, 4, 5, 6, 9})
        g.board[0][x] = g.board[1][x] = 1;
    g.active = 1, g.current = 2, g.pivotx = 6, g.pivoty = 3, g.gravity = 4, g.gravitysum = 250;
    const std::uint16_t xs[4] = {6, 7, 6, 7}, ys[4] = {3, 3, 2, 2};
    std::copy(xs, xs + 4, g.piecex), std::copy(ys, ys + 4, g.piecey);
    std::memset(keys, 0, sizeof keys);
    keys[softdropkey] = 1, INGAMESDS = 300;
    EXPECT_FALSE(left());
    EXPECT_EQ(std::tuple(int(g.pivoty), g.score, g.gravitysum), std::tuple(2, 1u, 48u));
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
    newgame(endlessfixed);
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
}

// Near the spawn, with the field filled up to row `fill` but for one column, the second rule set's
// kick upward may use the board's top row and no row past it: an I turned upright rises to it, a T
// turned with one row less reaches it, and an I with no row to spare does not turn.
TEST(Kicks, NearTheSpawnAKickUpwardReachesTheTopRowAndNoFurther) {
    const std::tuple<std::uint8_t, int, bool, const char*> cases[] = {
        // piece, rows filled, clockwise, its cells after
        {3, 24, false, "4,26 4,25 4,24 4,27 "},
        {6, 25, true, "5,26 5,27 5,25 6,26 "},
        {3, 25, false, "4,24 5,24 6,24 3,24 "},
    };
    for (auto [piece, fill, clockwise, want] : cases) {
        newgame(7);
        ingamev.current = ingamev.queue[0] = piece;
        spawn(false);
        for (int r = 0; r < fill; r++)
            std::memset(ingamev.board[r], 1, 9);
        rotateARS(clockwise);
        std::string cells;
        for (int i = 0; i < 4; i++)
            cells +=
                std::to_string(ingamev.piecex[i]) + "," + std::to_string(ingamev.piecey[i]) + " ";
        EXPECT_EQ(cells, want) << "piece " << +piece << " over " << fill << " rows";
    }
}
