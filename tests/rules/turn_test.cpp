#include "field.h"

using namespace field;

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

TEST(Turn, WallsAndRowTwentyEightBlockKicksAndATurnNeverFalls) {
    // Upright against the right wall at the top, blocked in place: both tests to the right meet
    // the wall, and both tests upward would put the tip in row 28.
    freshgame();
    setup("........@./.......#0@/........@.", 26, 6, 1);
    rotateleftSRS();
    EXPECT_EQ(std::tuple(cells(), int(ingamev.rotation)),
              std::tuple(draw("........@./........0@/........@.", 26, true), 1));
    // Under ARS an upright T against either wall turns flat beside it; column 65535 blocks the
    // first two kicks on the right.
    freshgame(true);
    setup("@........./0@......../@.........", 11, 6, 1);
    rotateARS(true);
    EXPECT_EQ(cells(), draw("@@@......./.@........", 10, true));
    freshgame(true);
    setup(".........@/........@0/.........@", 11, 6, 3);
    rotateARS(false);
    EXPECT_EQ(cells(), draw(".......@@@/........@.", 10, true));
    // Off a ledge at 20G it stays put, and only a running timer takes a refill.
    freshgame();
    ingamev.gravity = instant;
    setup("......@.../....@0@.../....#.....", 11, 4, 0);
    rotaterightSRS();
    EXPECT_EQ(std::tuple(cells(), int(ingamev.resetsleft)),
              std::tuple(draw(".....@..../.....0..../.....@@...", 11, true), 5));
    ingamev.locktimer = 10;
    rotateleftSRS();
    EXPECT_EQ(std::tuple(int(ingamev.locktimer), int(ingamev.resetsleft)), std::tuple(30, 4));
}
