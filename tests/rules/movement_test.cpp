#include "field.h"

using namespace field;

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
    ingamev.board[15][7] = 2; // dealt onto a block: no move, no points, the ghost above it
    harddrop();
    ghostupdate();
    const auto ghost = [] { return std::vector(ingamev.ghosty, ingamev.ghosty + 4); };
    EXPECT_EQ(std::tuple(int(ingamev.pivoty), ingamev.score, ghost()),
              std::tuple(15, 0u, std::vector<std::uint16_t>{16, 16, 16, 15}));
    ingamev.board[15][7] = 0;
    ingamev.lastrotate = 1;
    ghostupdate();
    harddrop();
    // The stem slips down beside the blocks; the right wing lands on them after four rows.
    EXPECT_EQ(std::tuple(cells(), ingamev.score, int(ingamev.lastrotate), ghost()),
              std::tuple(draw(".@0@....../..@.......", 11, true), 8u, 0,
                         std::vector<std::uint16_t>{11, 11, 11, 10}));
    // Resting now: no rows, no points, and a turn made in place still counts.
    ingamev.lastrotate = 1;
    harddrop();
    EXPECT_EQ(std::tuple(ingamev.score, int(ingamev.lastrotate)), std::tuple(8u, 1));
    ingamev.active = 0;
    ghostupdate();
    EXPECT_EQ(ghost(), std::vector<std::uint16_t>(4, 255));
}
