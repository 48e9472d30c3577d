// Piece supply, locking, the start of a game and the mode rules on the game's record; whole games
// of every rule set are checked by the recorded games in tests/replays. The reference
// random numbers were computed outside the game, from the published SplitMix64 and xoshiro128++
// definitions.
#include "../game.h"

#include <type_traits>

// The numbers the pieces are dealt by, and the sound that announces each.
TEST(Supply, SeedsAndTheStartUpClockFollowTheReferenceAndEachNextPieceHasItsSound) {
    std::vector<std::vector<std::uint32_t>> got;
    for (std::int32_t clock : {1765000000, -86400}) { // a clock before 1970 is sign-extended
        headless::reset();
        headless::setwallclock(clock);
        initscreen();
        got.push_back({next(), next(), next()});
    }
    EXPECT_EQ(got, (decltype(got){{0x88c3d55b, 0x9e4e8974, 0xa29d4f0c},
                                  {0x112092f5, 0xd40c83d2, 0xf2ebc1e6}}));

    // Every piece, as it becomes the next one, is announced by its own sound.
    newgame(dropple3);
    const std::uint8_t q[] = {6, 0, 1, 2, 3, 4, 5, 6, 0, 1, 2, 3};
    std::copy(q, q + 12, ingamev.queue);
    ingamev.queuecount = 12;
    for (int p = 0; p < 7; p++)
        spawn(false);
    EXPECT_EQ(heard(),
              "piece6.wav piece3.wav piece2.wav piece0.wav piece1.wav piece5.wav piece4.wav");
}

// Whatever a game left in the record, the next game starts as a game started on a cleared one.
TEST(Start, ANewGameKeepsNothingOfTheLastOne) {
    auto& g = ingamev;
    // `mode` started over a record holding `v` in every byte of every field.
    auto start = [&](unsigned char mode, int v) {
        auto set = [v](auto&... f) {
            ((f = static_cast<std::remove_reference_t<decltype(f)>>(v * 0x0101010101010101u)), ...);
        };
        set(g.lines, g.level, g.score, g.piececount, g.frames, g.gravity, g.gravitysum, g.b2b,
            g.combo, g.are, g.lockdelay, g.locktimer, g.pivotx, g.pivoty, g.paused, g.active,
            g.justspawned, g.rotation, g.resetlimit, g.resetsleft, g.queuecount, g.current,
            g.holdused, g.hold, g.onground, g.lastrotate, g.over, g.cleared, g.label, g.labelcombo,
            g.labeltimer, g.mode, g.ars);
        std::memset(g.board, v, sizeof g.board), std::memset(g.queue, v, sizeof g.queue);
        std::memset(g.piecex, v, sizeof g.piecex), std::memset(g.piecey, v, sizeof g.piecey);
        std::memset(g.ghosty, v, sizeof g.ghosty);
        seed(mode);
        gamesetup(mode);
        std::fill(g.queue + g.queuecount, std::end(g.queue), 0); // never dealt from
        return std::string(reinterpret_cast<const char*>(&g), sizeof g);
    };
    for (unsigned char mode = 0; mode < modecount; mode++)
        EXPECT_EQ(start(mode, 0), start(mode, 0x5A)) << "mode " << +mode;
}

// A T with one cell in the field, turned last into two taken corners, locks as a T-spin and the
// game goes on; a lock with no piece in play writes nothing through rows of 255. Then at 39 lines
// an I that locks wholly above the field and completes row 20 tops out, and its line still counts
// and wins: both endings show.
TEST(Lock, OneCellInTheFieldKeepsTheGameGoingAndATopOutStillClearsAndWins) {
    auto& g = ingamev;
    newgame(dropple3);
    place(6, 19, 2);
    g.lastrotate = 1;
    g.board[18][1] = g.board[18][3] = 1; // with the piece's own cell, a T-spin
    lock();
    EXPECT_EQ(std::tuple(g.over, g.active, g.board[19][2], g.board[20][5], heard(),
                         std::count(g.piecey, g.piecey + 4, 255) +
                             std::count(g.ghosty, g.ghosty + 4, 255)),
              std::tuple(0, 0, 7, 7, "lock.wav combo0.wav tspin0.wav", 8));
    lock(); // again, with no piece in play
    g.lines = 39;
    std::memset(g.board[20], 1, 6);
    std::fill_n(&screen[24 * screencols], screencols, cell{' ', 0x1f});
    headless::clearrecords();
    place(3, 20, 6);
    lock();
    EXPECT_EQ(std::tuple(heard(), text(24, 34, 12, screen), screen[24 * screencols + 35].attr,
                         g.score, g.board[20][9], g.piececount),
              std::tuple("lock.wav gameover.wav combo0.wav erase1.wav excellent.wav",
                         " GYOU WIN!! ", 0x1f, 100u, 0, 3u));
}

// Modes by lines at a tenth (Dropple 2 also a line short of it), and the Dropple 5 modes from a
// level with no line, one or four: the level, the gravity, the spawn and lock delays, the sound
// and, where a win sounds, the end. Marathon is won at 200 lines; the gravity curve keeps row 20
// of its table from 200 lines on; Dropple 2 takes the last row's lock delay from 610 lines; the
// Dropple 5 modes stop before each hundred and at 998 until a line is cleared, a new hundred
// sounds and 999 wins. The recorded games play through the lower levels, and Dropple 3's win at
// 40 lines.
TEST(Modes, LevelsFollowTheirTablesStopAndWin) {
    const std::tuple<int, int, int, int, int, std::uint32_t, int, int, const char*> cases[] = {
        // mode, level, lines, cleared, level after, gravity, spawn delay, lock delay, sound
        {marathon, 20, 200, 1, 21, instant, 0, 30, "excellent.wav levelup.wav"},
        {endlesscurve, 25, 250, 1, 26, instant, 0, 30, "levelup.wav"},
        {dropple2, 21, 209, 1, 21, 4, 0, 30, ""},
        {dropple2, 21, 210, 1, 22, instant, 0, 24, "levelup.wav"},
        {dropple2, 61, 610, 1, 62, instant, 0, 1, "levelup.wav"},
        {dropple5, 199, 4, 4, 203, 4, 25, 30, "levelup.wav"},
        {dropple5, 899, 1, 1, 900, instant, 12, 17, "levelup.wav"},
        {dropple5, 998, 0, 0, 998, instant, 12, 17, ""},
        {dropple5death, 199, 4, 4, 203, instant, 12, 22, "levelup.wav"},
        {dropple5death, 299, 1, 1, 300, instant, 6, 18, "levelup.wav"},
        {dropple5death, 996, 4, 4, 999, instant, 4, 15, "excellent.wav"},
    };
    for (auto [mode, level, lines, cleared, after, gravity, are, lockdelay, sound] : cases) {
        newgame(static_cast<unsigned char>(mode));
        ingamev.level = level, ingamev.lines = lines, ingamev.cleared = std::uint8_t(cleared);
        moderule();
        EXPECT_EQ(std::tuple(int(ingamev.level), ingamev.gravity, int(ingamev.are),
                             int(ingamev.lockdelay), int(ingamev.over), heard()),
                  std::tuple(after, gravity, are, lockdelay, sound[0] == 'e', sound))
            << "mode " << mode << " level " << level << " lines " << lines;
    }
}
