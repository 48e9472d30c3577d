// What the game keeps of the games played: the replay file as read and printed, the personal bests
// over a series of games, the last hundred replays, and two copies of the game ending at once.
#include "../game.h"
#include "console/draw.h"
#include "frontend/records.h"
#include "shell/recorder.h"
#include "shell/replay.h"

#include <regex>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using Kept = ScreenTest;

// A game of `mode` recorded as the menu's games are, run `frames` frames on no keys.
static void playkept(std::uint8_t mode, int frames) {
    keepgames(true);
    recordstart();
    gamesetup(mode);
    recordsetup();
    for (int n = 0; n < frames; n++)
        recordframe(0), playframe(0);
}

// Key changes whose gaps sit on each side of a byte boundary of their encoding read back as
// written; a damaged byte anywhere, even where it would read as a newer format or a longer game,
// is refused for the checksum; and a game of no frames for that. Its end is printed with the time
// in minutes.
TEST(Replay, GapsAtEveryByteBoundaryReadBackAndDamageIsCalledDamage) {
    replay r, back;
    r.mode = 6, r.random[0] = 1, r.ticks = 1;
    for (std::uint32_t gap : {0u, 127u, 128u, 16383u, 16384u, 2097151u, 2097152u})
        r.changes.push_back({gap, std::uint8_t(r.changes.size() % 2 + 1)}), r.ticks += gap;
    auto why = [&](const bytes& b) { return decodereplay(b.data(), b.size(), &back); };
    const bytes file = encodereplay(r);
    ASSERT_EQ(why(file), "");
    EXPECT_EQ(encodereplay(back), file);
    // The version's low byte, the frames' high byte, a gap's, the end's last.
    for (std::size_t at : std::vector<std::size_t>{8, 139, 146, file.size() - 5}) {
        bytes bad = file;
        EXPECT_EQ(why((bad[at] ^= 0x40, bad)), "damaged (its checksum does not match)") << at;
    }
    r.ticks = 0, r.changes.clear();
    EXPECT_EQ(why(encodereplay(r)), "has no frames");
    EXPECT_EQ(describe({1234, 40, 1, 3599 * 60 + 59, 102, wongame, 0}),
              "score 1234, 40 lines, level 1, 59:59.98, 102 pieces, won");
}

// A series of games: the first of each game becomes its record, a worse one (a lower score, a
// slower or a lost race, a game left in play) changes nothing and a better one takes the record's
// line. Each line has its game's fields in order; the table shows the times in minutes. A file
// saved with CR LF and a blank line at its end still reads.
TEST_F(Kept, PersonalBestsOverASeriesOfGames) {
    const std::tuple<std::uint8_t, gameresult, const char*> games[] = {
        {6, {500, 10, 2, 900, 30, toppedout, 0}, "a.replay"},
        {6, {300, 20, 3, 9000, 60, toppedout, 0}, "b.replay"},
        {1, {9000, 40, 1, 4000, 100, wongame, 0}, "c.replay"},
        {1, {9900, 40, 1, 5000, 100, wongame, 0}, "d.replay"},
        {1, {9900, 12, 1, 100, 30, toppedout, 0}, "e.replay"},
        {7, {0, 80, 300, 200000, 400, toppedout, 0}, "f.replay"},
        {7, {0, 80, 300, 200001, 400, toppedout, 0}, "g.replay"},
        {6, {900, 30, 4, 7000, 80, toppedout, 0}, "h.replay"},
        {6, {5000, 90, 9, 9000, 90, leftgame, 0}, "i.replay"},
    };
    for (auto& [mode, end, name] : games)
        noterecord(mode, end, 1700000000 + mode, name);
    const std::string want = "dropple records 1\n"
                             "dropple2 900 30 4 7000 80 1 1700000006 h.replay\n"
                             "dropple3 9000 40 1 4000 100 2 1700000001 c.replay\n"
                             "dropple5 0 80 300 200000 400 1 1700000007 f.replay\n";
    EXPECT_EQ(slurp("records"), want);
    testing::internal::CaptureStdout(), printrecords();
    const std::string table = testing::internal::GetCapturedStdout();
    for (const char* shown : {"score 900", "40 lines in 1:06.67", "level 300 in 55:33.33"})
        EXPECT_NE(table.find(shown), std::string::npos) << shown << " in\n" << table;
    put("records", std::regex_replace(want + "\n", std::regex("\n"), "\r\n"));
    testing::internal::CaptureStdout(), printrecords();
    EXPECT_EQ(std::tuple(testing::internal::GetCapturedStdout(), fs::exists("records.damaged")),
              std::tuple(table, false));
}

// Past a hundred replays the oldest go, but not a record's, not the player's own files, and not
// the one of the game just ended, however its name sorts. That one plays back with Return pausing
// it and, once it has ended, leaving it.
TEST_F(Kept, PruningKeepsRecordsThePlayersFilesAndTheNewestWhichPlaysBackPaused) {
    fs::create_directory("replays");
    auto own = [](int n) {
        return "replays/20250101-" + std::to_string(100000 + n) + "-dropple4.replay";
    };
    for (int n = 0; n < 104; n++)
        writefile({'x'}, own(n).c_str());
    writefile({'x'}, "replays/00-mine.replay");
    const std::string records =
        "dropple records 1\ndropple4 90 1 1 100 5 1 1 " + own(0).substr(8) + "\n";
    put("records", records);
    headless::setwallclock(0); // the newest game's name sorts first
    playkept(2, 200);
    recordend(), keepgames(false);
    static std::string file;
    for (auto& f : fs::directory_iterator("replays"))
        file = f.path().filename().string().starts_with("19") ? f.path().string() : file;
    EXPECT_EQ(std::tuple(std::distance(fs::directory_iterator("replays"), {}), fs::exists(own(0)),
                         fs::exists(own(4)), fs::exists(own(5)),
                         fs::exists("replays/00-mine.replay"), file.empty(), slurp("records")),
              std::tuple(102, true, false, true, true, false, records));

    std::vector<std::uint64_t> clock;
    run([] { return static_cast<unsigned char>(playback(file.c_str(), false, false)); }, "", 400,
        [&](std::uint64_t n) { // Return to pause, go on and leave
            clock.push_back(ingamev.frames);
            (n == 20 || n == 60 || n == 300 ? headless::press : headless::release)(0x0D);
        });
    ASSERT_EQ(clock.size(), 300u) << "left when Return was pressed after the end";
    EXPECT_EQ(std::tuple(clock[30], clock[70] - clock[30] < 15, clock[299]),
              std::tuple(clock[55], true, clock[280]));
}

#ifndef _WIN32
// Three copies of the game in one folder end games at the same moment: two of one kind in the
// same second, which must keep two replays, and one of another, whose record must be filed beside
// the better of theirs.
TEST_F(Kept, CopiesEndingTogetherKeepEveryReplayAndRecord) {
    headless::setwallclock(1765000000);
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> copies;
    for (auto [mode, score] : {std::pair(6, 100), {6, 200}, {2, 300}})
        if (copies.push_back(fork()), copies.back() == 0) {
            playkept(std::uint8_t(mode), 30), ingamev.score = std::uint64_t(score), close(go[1]);
            ingamev.over = true;
            char start;
            _exit(read(go[0], &start, 1) == 1 ? (recordend(), 0) : 1);
        }
    EXPECT_EQ((close(go[0]), write(go[1], "go!", 3)), 3);
    close(go[1]);
    for (pid_t p : copies) {
        int status = -1;
        EXPECT_TRUE(waitpid(p, &status, 0) == p && WIFEXITED(status) && !WEXITSTATUS(status));
    }
    const std::string table = slurp("records");
    EXPECT_EQ(std::distance(fs::directory_iterator("replays"), {}), 3);
    for (const char* line : {"\ndropple2 200 ", "\ndropple4 300 "})
        EXPECT_NE(table.find(line), std::string::npos) << line << " in\n" << table;
}
#endif
