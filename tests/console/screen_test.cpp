#include "../game.h"
#include "console/draw.h"
#include "console/sound.h"

// Columns `from` to `to` of a row as drawn.
static std::string row(int r, int from, int to) {
    return text(r, from, to - from + 1, screen);
}

// By default 6000 ticks per second and one tick per counter read: a frame is exactly 100 ticks.
// The console starts too large.
static void start(std::uint64_t rate = 6000, std::uint64_t perread = 1) {
    headless::reset();
    headless::setclock(rate, perread);
    headless::setconsole(120, 40, true);
    initscreen();
}

// 'f' for each call that returned without waiting: two counter reads, the meter's and the clock's.
// A call that waits sleeps through most of its frame: a wait on the counter alone would read it
// about frameint (100) times.
static std::string freeframes(int calls, std::uint64_t callertakes = 0) {
    std::string out;
    for (int i = 0; i < calls; i++) {
        headless::advance(callertakes);
        const std::uint64_t before = headless::reads(),
                            reads = (framesleep(showscreen), headless::reads());
        EXPECT_LE(reads - before, 12u);
        out += reads - before == 2 ? 'f' : 'w';
    }
    return out;
}

// "Dropple 2" as the game starts it, its piece off the field; every scheme entry e paints the
// character 'a' + e, so the picture tells which entry painted each cell.
static void startgame() {
    newgame(dropple2);
    for (int i = 0; i < 27; i++)
        pieces[i] = {static_cast<std::uint16_t>('a' + i), static_cast<std::uint16_t>(100 + i)};
    paintgame();
}

// Start-up opens every sound, in name order, and sizes the console; a frame shows nothing, the
// meter only on its record, the meter's corner or the whole screen, and the meter reads 60.0 from
// the first frame on. Then every frame waits its turn; after a stall eight run free, and a slow
// caller never waits.
TEST(Pacing, StartUpModesFramesWaitingTheirTurnEightFreeAfterAStallAndTheMarginFollowingTheTimer) {
    start();
    EXPECT_EQ(headless::opened(),
              std::vector<std::string>(std::begin(soundcatalogue), std::end(soundcatalogue)));
    short c = 0, r = 0;
    consolesize(&c, &r);
    EXPECT_EQ(std::tuple(c, r, matchsize()), std::tuple(80, 25, 0));
    screen[0].ch = 'x';
    screen[24 * 80 + 76].ch = '?';
    framesleep(0);
    framesleep(7);
    EXPECT_EQ(std::tuple(headless::presented().size(), row(24, 76, 76)), std::tuple(0u, "?"));
    framesleep(1);
    EXPECT_EQ(std::tuple(headless::presented().size(), row(24, 76, 79), fps),
              std::tuple(0u, "60.0", 600u));
    framesleep(2);
    framesleep(showscreen);
    const auto& p = headless::presented();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(std::tuple(p[0].left, p[0].top, p[0].right, p[0].bottom, p[1].left, p[1].top,
                         p[1].right, p[1].bottom, headless::display()[0].ch),
              std::tuple(76, 24, 79, 24, 0, 0, 79, 24, 'x'));
    headless::setconsole(100, 30, false);
    EXPECT_EQ(matchsize(), 1);

    const std::uint64_t before = headless::now();
    EXPECT_EQ(freeframes(120), std::string(120, 'w'));
    EXPECT_EQ(headless::now() - before, 120 * 100u); // the boundaries stay exact
    headless::advance(6000);                         // one second
    EXPECT_EQ(freeframes(10), "ffffffffww");
    EXPECT_EQ(freeframes(100, 150), std::string(100, 'f')); // one and a half frames per call
    // The backlog is pinned at the limit: one interval was just consumed out of eight.
    EXPECT_EQ(headless::now() - timecounter, 7 * frameint);

    // Six million ticks per second and a tenth of a millisecond per counter read: a frame is 100000
    // ticks, and a frame that waits on the counter for m milliseconds reads it about 10 m times.
    start(6000000, 600);
    framesleep(showscreen);
    // Lateness of every sleep; frames; how late each ends, at least and at most; counter reads, at
    // least and at most.
    const std::uint64_t phases[][6] = {
        {1200, 120, 0, 600, 0, 8},       // within the margin: frames end on the counter
        {0, 118, 0, 600, 3, 1000},       // a prompt spell inside a burst keeps the margin up
        {0, 3, 0, 600, 0, 1000},         // the burst leaves the memory
        {0, 1, 0, 600, 0, 5},            // two seconds on time: back to a quarter of a millisecond
        {12000, 100, 9000, 12600, 0, 4}, // past the cap: late by the sleep alone, no drift
        {0, 119, 0, 600, 0, 3},          // no waiting on the counter for two seconds after
        {0, 1, 0, 600, 2, 5},            // then a quarter of a millisecond again
    };
    for (const auto& p : phases) {
        headless::setlateness(p[0]);
        for (std::uint64_t i = 0; i < p[1]; i++) {
            const std::uint64_t boundary = timecounter + frameint, before = headless::reads();
            framesleep(showscreen);
            const std::uint64_t late = headless::now() - boundary,
                                reads = headless::reads() - before;
            ASSERT_TRUE(late >= p[2] && late <= p[3] && reads >= p[4] && reads <= p[5])
                << "phase " << &p - phases << " frame " << i << ": " << late << " " << reads;
        }
    }
}

// The meter at its extremes: a counter that stands still, a ring of thirty frames that took a
// tenth of their time, its own time, or hours, each as a reading of three digits, never a stray
// character or a division by nothing.
TEST(Pacing, TheMeterKeepsToItsThreeDigitsAtEitherExtreme) {
    const std::pair<std::uint64_t, const char*> spans[] = {
        {0, "99.9"}, {50'000'000, "99.9"}, {500'000'000, "60.0"}, {18'000'000'000'000, "00.0"}};
    for (auto [span, want] : spans) {
        start(1'000'000'000, 0); // the Linux counter's rate
        std::fill(std::begin(frametiming), std::end(frametiming), headless::now() - span);
        fpsupdate(true);
        EXPECT_EQ(row(24, 76, 79), want) << span;
    }
}

// The texts, numbers, clock, labels and combo, then the board, the pieces and the previews.
TEST(Draw, TextNumbersClockLabelsComboAndBoardPiecesGhostAndPreviewsInEachPiecesColourSlot) {
    startgame();
    EXPECT_EQ(row(0, 0, 10) + row(13, 7, 12) + row(3, 30, 30) + row(4, 30, 30),
              "Dropple 2  score: {");
    ingamev.score = 1234;
    ingamev.piececount = 18446744073709551615u;
    const std::tuple<std::uint64_t, const char*, int, int, const char*> cases[] = {
        {0, "0.00", 1, 0, "                                "},
        {1, "0.02", 9, 3, "Bk-to-Bk Quadix         combo  3"},
        {75, "1.25", 12, 12, "Bk-to-Bk T-spin  Triple combo 12"},
        {3599 * 60 + 59, "3599.98", 6, 0, " T-spin  Single                 "},
    };
    for (auto [frames, clock, label, combo, labels] : cases) {
        ingamev.frames = frames, ingamev.label = std::uint8_t(label);
        ingamev.labelcombo = std::uint8_t(combo);
        draw();
        EXPECT_EQ(row(19, 6, 13) + row(20, 6, 13) + row(21, 6, 13) + row(22, 6, 13), labels);
        EXPECT_EQ(row(2, 50, 70), std::string(21 - std::strlen(clock), ' ') + clock);
    }
    EXPECT_EQ(row(1, 58, 62) + row(8, 0, 19) + row(14, 0, 19) + row(17, 0, 19),
              "time:" + std::string(19, ' ') + "0" + std::string(16, ' ') + "1234" +
                  "18446744073709551615");
    // Under both rule sets: a locked cell of every piece, S to T from the right, on the second row;
    // an L locked above the field, blank cells above it, nothing of a row past the screen's top; an
    // S falling, two cells down on its ghost and two above the screen; an I fourth in the queue and
    // a T held, then nothing held. Entries 8 on are placed cells ('i' for slot 0), 16 on ghosts
    // ('q').
    //
    // The placed cells; the bottom row; the I next (a row lower under the second rules); the T held
    // (pointing down under the second rules).
    const std::vector<std::string> want[2] = {
        {"oonnmmllkkjjii", "qqqqaaaa", "dddddddd        ", "  gg    gggggg  "},
        {"llnnmmjjkkiioo", "wwwwgggg", "        bbbbbbbb", "dddddd    dd    "}};
    for (std::uint8_t ars : {0, 1}) {
        startgame();
        ingamev.ars = ars, ingamev.current = 0, ingamev.hold = 6;
        ingamev.board[21][0] = 5, ingamev.board[24][3] = 1;
        for (std::uint8_t p = 0; p < 7; p++)
            ingamev.board[1][p] = p + 1, ingamev.queue[p] = p;
        for (int i = 0; i < 4; i++)
            ingamev.piecex[i] = std::uint16_t(i), ingamev.piecey[i] = i < 2 ? 0 : 24;
        std::fill_n(ingamev.ghosty, 4, 0);
        draw();
        EXPECT_EQ(std::vector<std::string>({row(22, 36, 49), row(23, 42, 49),
                                            row(13, 54, 61) + row(14, 54, 61),
                                            row(4, 18, 25) + row(5, 18, 25)}),
                  want[ars]);
        EXPECT_EQ(row(2, 46, 49) + row(3, 30, 33) + row(0, 44, 45), "  mm      ");
    }
    ingamev.hold = 255;
    draw();
    EXPECT_EQ(row(4, 18, 25) + row(5, 18, 25), std::string(16, ' '));
}
