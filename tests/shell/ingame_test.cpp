// Whole games on the headless back end, with scripted or random keys. Recorded games that end as
// they were recorded (tests/replays) check the rules and the scores of the game modes as a whole.
#include "../frontend/screenrun.h"
#include "console/platform.h"
#include "console/screen.h"
#include "frontend/frontend.h"
#include "frontend/records.h"
#include "newgame.h"
#include "shell/random.h"
#include "shell/recorder.h"
#include "shell/replay.h"
#include "shell/shell.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

enum slot { up, down, left, right, rotright, rotleft, pauseslot, holdslot };

using held = std::tuple<std::uint64_t, std::uint64_t, slot>; // first frame, last frame, key

// Plays `mode` with `holds` until frame `last` or the end of the screen, returning `probe()` after
// each frame, indexed by the frame's number (0 is unused).
template <class F>
static auto trace(unsigned char mode, std::uint64_t last, std::vector<held> holds, F probe) {
    static unsigned char playing;
    playing = mode;
    std::vector<decltype(probe())> seen(1);
    const int result = ScreenTest::run([] { return ingame(playing); }, "", last,
                                       [&](std::uint64_t n) {
                                           headless::releaseall();
                                           for (auto [from, to, key] : holds)
                                               if (n + 1 >= from && n + 1 <= to)
                                                   headless::press(ingamekeys[key]);
                                           seen.push_back(probe());
                                       });
    EXPECT_TRUE(result == -1 || result == 3);
    return seen;
}

static int leftmost() {
    return *std::max_element(ingamev.piecex, ingamev.piecex + 4);
}
static long count(const std::string& sound) {
    return std::count(headless::sounds().begin(), headless::sounds().end(), sound);
}

class Ingame : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        initload();
        seed(7);
        std::fill_n(arrkeys, 8, 0);
    }
};

// A tap moves one column; both directions together do nothing. A key held alone moves on its first
// frame (6), its DAS counter reaches 7 on the seventh, and from the eighth it repeats (96/256).
TEST_F(Ingame, TapsCancelDelayAndRepeat) {
    INGAMEARR = 96;
    savesettings();
    EXPECT_EQ(trace(1, 20, {{2, 2, right}, {4, 5, right}, {4, 40, left}}, leftmost),
              (std::vector{0, 6, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 7, 7, 7, 8, 8, 9}));
}

// A tap begun in a stall and let go after it moves one column, as it does in the menu; a key held
// from before the stall to after it moves, charges its delay through the frames that catch up and
// repeats once (96/256).
TEST_F(Ingame, ATapInAStallMovesOneColumnAndAHoldAcrossItSlides) {
    INGAMEARR = 96;
    savesettings();
    for (auto [from, want] :
         {std::pair(720, std::string(36, '6') + std::string(14, '5')),
          {-200, std::string(28, '6') + std::string(9, '5') + std::string(13, '4')}}) {
        std::string seen;
        auto tap = stalltap(ingamekeys[right], from);
        run([] { return ingame(1); }, "", 50,
            [&](std::uint64_t n) { seen += char('0' + leftmost()), tap(n); });
        EXPECT_EQ(seen, want);
    }
}

// The game ends in its first frame: it leaves on hold with pause (frame 11), not on pause alone.
TEST_F(Ingame, AfterTheEndPauseAloneStaysAndHoldWithPauseLeaves) {
    auto at = trace(1, 20, {{3, 3, pauseslot}, {7, 11, holdslot}, {11, 11, pauseslot}}, [] {
        if (!ingamev.over)
            gameover();
        return 0;
    });
    EXPECT_EQ(std::tuple(at.size(), count("gameover.wav"), count("pause.wav")),
              std::tuple(11u, 1L, 1L));
}

// The five games of the menu, by the number the menu returns: each its own mode, title and start.
TEST_F(Ingame, EveryMenuItemStartsItsOwnGame) {
    using start = std::tuple<std::uint8_t, std::string, std::uint8_t, std::uint64_t, std::uint32_t>;
    const std::pair<unsigned char, start> items[] = {
        {7, {6, "Dropple 2 ", 0, 1, 4}},        {8, {1, "Dropple 3 ", 0, 1, 4}},
        {9, {2, "Dropple 4 ", 0, 1, 4}},        {10, {7, "Dropple 5 ", 1, 0, 4}},
        {11, {8, "Dropple 5 ", 1, 0, instant}},
    };
    static unsigned char item;
    for (auto& [number, want] : items) {
        item = number;
        start seen;
        run([] { return runscreen(item); }, "", 1,
            [&](std::uint64_t) {
                std::string title;
                for (int c = 0; c < 10; c++)
                    title += static_cast<char>(screen[c].ch);
                seen = start(ingamev.mode, title, ingamev.ars, ingamev.level, ingamev.gravity);
            });
        EXPECT_EQ(seen, want) << "item " << +number;
    }
}

// Games on random keys, begun with keys still held from the menu, are kept and play back to the
// end they reached; the best one becomes the record, and a damaged records file is set aside.
TEST_F(Ingame, RecordedGamesPlayBackToTheirEnd) {
    std::filesystem::create_directory("replays");
    writefile({'x'}, "records");
    std::mt19937 rng(3);
    headless::onframe([&](std::uint64_t) {
        for (int k = 0; k < 8; k++)
            if (rng() % (k == 6 ? 400 : 6) == 0)
                (keydown(ingamekeys[k]) ? headless::release : headless::press)(ingamekeys[k]);
        if (ingamev.over)
            headless::press(ingamekeys[6]), headless::press(ingamekeys[7]);
    });
    keepgames(true);
    for (unsigned char mode : {6, 7, 6})
        headless::press(ingamekeys[4]), ingame(mode), headless::releaseall();
    keepgames(false);
    headless::onframe(nullptr);
    std::uint64_t best = 0;
    int kept = 0;
    for (auto& f : std::filesystem::directory_iterator("replays")) {
        EXPECT_EQ(playback(f.path().string().c_str(), true, false), 0) << f.path();
        bytes b = readfile(f.path().string().c_str());
        replay r;
        EXPECT_EQ(decodereplay(b.data(), b.size(), &r), "");
        best = std::max(best, r.mode == 6 ? r.end.score : 0), kept++;
    }
    EXPECT_EQ(kept, 3);
    EXPECT_EQ(readfile("records.damaged"), bytes{'x'});
    const bytes table = readfile("records");
    EXPECT_NE(std::string(table.begin(), table.end()).find("\ndropple2 " + std::to_string(best)),
              std::string::npos);
}

// A piece may overlap locked cells only where it was dealt or taken from the hold slot.
static void checkrecord() {
    auto& g = ingamev;
    ASSERT_TRUE(g.current <= 6 && (g.hold == 255 || g.hold <= 6) && g.label >= 1 && g.label <= 12);
    ASSERT_TRUE(g.queuecount >= 6 && g.queuecount <= (g.ars ? 6 : 12));
    ASSERT_LE(*std::max_element(g.queue, g.queue + g.queuecount), 6);
    ASSERT_LE(*std::max_element(&g.board[0][0], &g.board[0][0] + sizeof g.board), 7);
    int k = g.current == 2 || g.current == 3;
    bool overlaps = false, atspawn = true;
    for (int i = 0; i < 4; i++) {
        ASSERT_TRUE(g.active ? g.piecex[i] <= 9 && g.piecey[i] <= 27
                             : g.piecey[i] == 255 && g.ghosty[i] == 255);
        auto [dx, dy] = g.shapes[g.current][i];
        atspawn = atspawn && g.piecex[i] == (g.ars ? 5 - k - dx : 5 + dx) &&
                  g.piecey[i] == (g.ars ? 25 - k - dy : 24 + k + dy);
        overlaps = overlaps || (g.active && g.board[g.piecey[i]][g.piecex[i]]);
    }
    ASSERT_TRUE(!overlaps || atspawn) << "a moved piece overlaps locked cells";
}

// Games of random keys in every mode, 12000 frames of each: the record stays sound, the score never
// falls, the clock counts the frames played, and every game ends (topped out or won) and is left
// well within a cap.
TEST_F(Ingame, RandomPlayKeepsTheRecordSoundAndEveryGameEnds) {
    std::mt19937 rng(7);
    auto& g = ingamev;
    for (int played = 0; played < 9 * 12000;) {
        const unsigned char mode = static_cast<unsigned char>(played / 12000);
        SCOPED_TRACE(testing::Message() << "mode " << +mode);
        headless::releaseall();
        gamesetup(mode);
        std::uint64_t score = 0, helped = ~0ull;
        for (int n = 0;; n++, played++) {
            ASSERT_LT(n, 40000) << "the game never ended";
            // Random keys seldom complete a row: now and then the rows of a resting piece are
            // filled around it, so that its lock clears them.
            if (g.active && g.onground && g.piececount != helped && rng() % 3 == 0) {
                helped = g.piececount;
                for (int i = 0; i < 4; i++)
                    for (int x = 0; x < 10 && g.piecey[i] < 20; x++)
                        if (!g.board[g.piecey[i]][x])
                            g.board[g.piecey[i]][x] = static_cast<std::uint8_t>(1 + rng() % 7);
                for (int i = 0; i < 4; i++)
                    if (g.piecey[i] < 20)
                        g.board[g.piecey[i]][g.piecex[i]] = 0; // the piece's own cells stay empty
            }
            // Keys flip now and then; drops and pause come in short presses, pause seldom, and
            // a finished game is left soon.
            for (int k = 0; k < 8; k++) {
                bool pressed = keydown(ingamekeys[k]);
                unsigned idle = k == 6 ? (g.over ? 4 : g.paused ? 30 : 3000) : k <= 1 ? 30 : 6;
                if (rng() % (pressed && (k <= 1 || k == 6) ? 2 : idle) == 0)
                    pressed ? headless::release(ingamekeys[k]) : headless::press(ingamekeys[k]);
            }
            const std::uint64_t frames = g.frames;
            const bool over = g.over;
            if (!gameframe())
                break;
            ASSERT_NO_FATAL_FAILURE(checkrecord());
            ASSERT_GE(g.score, score);
            ASSERT_EQ(g.frames, frames + (!over && !g.paused));
            score = g.score;
        }
    }
}
