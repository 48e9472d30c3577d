#include "console/draw.h"
#include "console/screen.h"
#include "frontend/frontend.h"
#include "shell/ingamev.h"

#include <gtest/gtest.h>

#include <string>

// Every scheme entry gets its own character and attribute, so a cell tells which entry painted it.
class Draw : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 27; i++)
            pieces[i] = {static_cast<std::uint16_t>('a' + i), static_cast<std::uint16_t>(100 + i)};
        for (auto& r : ingamev.board)
            for (auto& c : r)
                c = 0;
        for (auto& q : ingamev.queue)
            q = 0;
        ingamev.lines = ingamev.level = ingamev.score = ingamev.piececount = ingamev.frames = 0;
        ingamev.ars = 0;
        ingamev.labelcombo = 0;
        ingamev.mode = 6;
        paintgame();
        ingamev.label = 1;
        ingamev.hold = 255;
        for (int i = 0; i < 4; i++)
            ingamev.piecey[i] = ingamev.ghosty[i] = 255;
    }
    static std::string row(int r, int from, int to) {
        std::string s;
        for (int c = from; c <= to; c++)
            s += static_cast<char>(screen[r * 80 + c].ch);
        return s;
    }
    static int entry(int r, int c) { return screen[r * 80 + c].attr - 100; }
};

TEST_F(Draw, StaticScreenHasTitleLabelsAndEmptyField) {
    EXPECT_EQ(row(0, 0, 10), "Dropple 2  ");
    EXPECT_EQ(row(13, 7, 12), "score:");
    EXPECT_EQ(entry(4, 30), 26);
    EXPECT_EQ(entry(23, 49), 26);
    EXPECT_EQ(entry(3, 30), 24);
    EXPECT_EQ(entry(24, 50), 24);
}

TEST_F(Draw, NumbersAreRightAlignedAndZeroShowsOneDigit) {
    ingamev.score = 1234;
    ingamev.piececount = 18446744073709551615u;
    draw();
    EXPECT_EQ(row(8, 0, 19), std::string(19, ' ') + "0");
    EXPECT_EQ(row(14, 0, 19), std::string(16, ' ') + "1234");
    EXPECT_EQ(row(17, 0, 19), "18446744073709551615");
    EXPECT_EQ(entry(14, 19), 24); // text keeps the interface colour
}

TEST_F(Draw, ClockShowsSecondsTenthsAndRoundedHundredths) {
    const std::pair<std::uint64_t, std::string> cases[] = {
        {0, "0.00"}, {1, "0.02"}, {5, "0.08"}, {75, "1.25"}, {3599 * 60 + 59, "3599.98"}};
    for (auto& [frames, shown] : cases) {
        ingamev.frames = frames;
        draw();
        EXPECT_EQ(row(2, 50, 70), std::string(21 - shown.size(), ' ') + shown);
    }
    EXPECT_EQ(row(1, 58, 62), "time:");
}

TEST_F(Draw, ClearLabelsAndCombo) {
    ingamev.label = 9;
    ingamev.labelcombo = 3;
    draw();
    EXPECT_EQ(row(19, 6, 13) + row(20, 6, 13) + row(21, 6, 13), "Bk-to-Bk Quadix         ");
    EXPECT_EQ(row(22, 6, 13), "combo  3");
    ingamev.label = 12;
    ingamev.labelcombo = 12;
    draw();
    EXPECT_EQ(row(19, 6, 13) + row(20, 6, 13) + row(21, 6, 13), "Bk-to-Bk T-spin  Triple ");
    EXPECT_EQ(row(22, 6, 13), "combo 12");
    ingamev.label = 1;
    ingamev.labelcombo = 0;
    draw();
    EXPECT_EQ(row(19, 6, 13) + row(20, 6, 13) + row(21, 6, 13) + row(22, 6, 13),
              std::string(32, ' '));
}

TEST_F(Draw, BoardCellsAreTwoWideAndHiddenRowsShowFromTwentyToTwentyThree) {
    ingamev.board[21][0] = 5; // L, rightmost column
    ingamev.board[24][3] = 1; // never shown
    ingamev.board[0][9] = 7;  // T, bottom left
    draw();
    EXPECT_EQ(entry(2, 48), 12);
    EXPECT_EQ(entry(2, 49), 12);
    EXPECT_EQ(screen[2 * 80 + 48].ch, 'a' + 12);
    EXPECT_EQ(entry(2, 46), 24);
    EXPECT_EQ(screen[2 * 80 + 46].ch, ' ');
    EXPECT_EQ(entry(23, 30), 14);
    EXPECT_EQ(entry(23, 32), 26);
    ingamev.ars = 1; // S wears T's colours, T wears I's
    ingamev.board[0][9] = 1;
    ingamev.board[0][8] = 7;
    draw();
    EXPECT_EQ(entry(23, 30), 14);
    EXPECT_EQ(entry(23, 32), 11);
}

TEST_F(Draw, PieceCoversGhostAndCellsOffScreenAreSkipped) {
    ingamev.current = 3; // I
    for (int i = 0; i < 4; i++) {
        ingamev.piecex[i] = static_cast<std::uint16_t>(i);
        ingamev.ghosty[i] = 0;
    }
    ingamev.piecey[0] = ingamev.piecey[1] = 0; // two cells already down on the ghost
    ingamev.piecey[2] = 24;                    // above the top of the screen
    ingamev.piecey[3] = 255;                   // not drawn at all
    draw();
    EXPECT_EQ(entry(23, 48), 3);
    EXPECT_EQ(entry(23, 46), 3);
    EXPECT_EQ(entry(23, 44), 19);
    EXPECT_EQ(entry(23, 42), 19);
    EXPECT_EQ(entry(0, 44), 24);
}

TEST_F(Draw, PreviewsShowSpawnOrientationOfEachRuleSet) {
    ingamev.queue[0] = 3; // I in the first next slot
    ingamev.hold = 6;     // T in the hold box
    draw();
    EXPECT_EQ(row(4, 54, 61), std::string(8, 'a' + 3));
    EXPECT_EQ(entry(5, 54), 24);
    EXPECT_EQ(row(4, 18, 25), "  gg    "); // T points up
    EXPECT_EQ(row(5, 18, 25), "gggggg  ");
    ingamev.ars = 1;
    draw();
    EXPECT_EQ(row(5, 54, 61), std::string(8, 'a' + 1)); // I a row lower, in Z's colours
    EXPECT_EQ(row(4, 18, 25), "dddddd  ");              // T points down, in I's colours
    EXPECT_EQ(row(5, 18, 25), "  dd    ");
    ingamev.hold = 255;
    draw();
    EXPECT_EQ(row(4, 18, 25) + row(5, 18, 25), std::string(16, ' '));
    EXPECT_EQ(entry(5, 21), 24);
}
