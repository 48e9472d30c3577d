#include "../game.h"
#include "shell/replay.h"

#include <set>

// The quit row and the rows past the menu start no game (the games of every menu row are played
// whole in the games' test); a mode is on the menu exactly when it has a name, a file-name word of
// its own and a record, and a record by time belongs to a mode with a goal (no other game has a
// time to keep). A game over is a win exactly when the mode's goal is met, one short of it is not;
// a mode with no goal is never won.
TEST(Modes, EveryMenuRowStartsOneModeWithItsNameWordAndRecordAndIsWonFromItsGoalOn) {
    std::set<std::string> words;
    for (int m = 0; m < modecount; m++) {
        const modeinfo& k = modes[m];
        const bool row = k.menurow != 0;
        EXPECT_EQ(std::tuple(k.name != nullptr, k.word != nullptr, k.record != best::none),
                  std::tuple(row, row, row))
            << "mode " << m;
        EXPECT_TRUE(k.record != best::time || k.wins != goal::none) << "mode " << m;
        EXPECT_TRUE(!row || words.insert(k.word).second) << k.word;
        newgame(std::uint8_t(m));
        std::uint64_t* counter = k.wins == goal::lines    ? &ingamev.lines
                                 : k.wins == goal::frames ? &ingamev.frames
                                                          : &ingamev.level;
        ingamev.over = 1;
        for (std::uint64_t at : {k.goalat - 1, k.goalat}) {
            *counter = k.wins == goal::none ? 100000 : at;
            const bool won = k.wins != goal::none && at == k.goalat;
            EXPECT_EQ(currentresult().how, won ? wongame : toppedout) << "mode " << m;
        }
    }
    EXPECT_EQ(std::tuple(modeatrow(0), modeatrow(unsigned(menurows()))), std::tuple(-1, -1));
}
