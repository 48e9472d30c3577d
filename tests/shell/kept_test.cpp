// What the game keeps of the games played: the replay file as read and printed, the personal bests
// over a series of games, the last hundred replays, and two copies of the game ending at once.
#include "../game.h"
#include "console/draw.h"
#include "frontend/records.h"
#include "platform/platform.h"
#include "shell/recorder.h"
#include "shell/replay.h"

#include <set>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using Kept = ScreenTest;

namespace {

std::string textfile(const char* name) {
    const bytes b = readfile(name);
    return {b.begin(), b.end()};
}

std::string printed(int (*print)()) {
    testing::internal::CaptureStdout();
    print();
    return testing::internal::GetCapturedStdout();
}

// A game of `mode` recorded as the menu's games are, run `frames` frames on no keys.
void playkept(std::uint8_t mode, int frames) {
    keepgames(true);
    recordstart();
    gamesetup(mode);
    recordsetup();
    for (int n = 0; n < frames; n++)
        recordframe(0), playframe(0);
}

} // namespace

// Key changes whose gaps sit on each side of a byte boundary of their encoding read back as
// written; a damaged byte anywhere, even where it would read as a newer format or a longer game,
// is refused for the checksum; and a game of no frames for that.
TEST(Replay, GapsAtEveryByteBoundaryReadBackAndDamageIsCalledDamage) {
    replay r;
    r.mode = 6, r.random[0] = 1, r.ticks = 1;
    for (std::uint32_t gap : {0u, 127u, 128u, 16383u, 16384u, 2097151u, 2097152u})
        r.changes.push_back({gap, std::uint8_t(r.changes.size() % 2 + 1)}), r.ticks += gap;
    const bytes file = encodereplay(r);
    replay back;
    ASSERT_EQ(decodereplay(file.data(), file.size(), &back), "");
    EXPECT_EQ(encodereplay(back), file);
    // The version's low byte, the frames' high byte, a gap's, the end's last.
    const std::size_t damaged[] = {8, 139, 146, file.size() - 5};
    for (std::size_t at : damaged) {
        bytes bad = file;
        bad[at] ^= 0x40;
        EXPECT_EQ(decodereplay(bad.data(), bad.size(), &back),
                  "damaged (its checksum does not match)")
            << at;
    }
    r.ticks = 0, r.changes.clear();
    const bytes none = encodereplay(r);
    EXPECT_EQ(decodereplay(none.data(), none.size(), &back), "has no frames");
}

// The printers show a game's time as its clock did, the hundredths rounded: past a minute in
// minutes, never more than 59 seconds.
TEST(Replay, TimesArePrintedAsTheGameShowedThem) {
    newgame(6);
    for (std::uint64_t f : {0, 1, 4, 59, 3599, 3600, 3661, 216059}) {
        ingamev.frames = f, draw();
        const std::string t = gametime(f);
        EXPECT_EQ(t.substr(t.size() - 4), text(2, 67, 4, screen)) << f;
        EXPECT_EQ(std::stoull(t) * 60 + std::stoull(t.substr(t.find(':') + 1)), f / 60) << f;
    }
    EXPECT_EQ(describe({1234, 40, 1, 3661, 102, wongame, 0}),
              "score 1234, 40 lines, level 1, 1:01.02, 102 pieces, won");
}

// A series of games: the first of each game becomes its record, a worse one (a lower score, a
// slower or a lost race) changes nothing and a better one takes the record's line. Each line has
// its game's fields in order; the table shows the times in minutes. A file saved with CR LF and
// a blank line at its end still reads.
TEST_F(Kept, PersonalBestsOverASeriesOfGames) {
    const std::tuple<std::uint8_t, gameresult, const char*> games[] = {
        {6, {500, 10, 2, 900, 30, toppedout, 0}, "a.replay"},
        {6, {300, 20, 3, 9000, 60, toppedout, 0}, "b.replay"},
        {1, {9000, 40, 1, 4000, 100, wongame, 0}, "c.replay"},
        {1, {9900, 40, 1, 5000, 100, wongame, 0}, "d.replay"},
        {1, {9900, 12, 1, 100, 30, toppedout, 0}, "e.replay"},
        {7, {0, 80, 300, 200000, 400, toppedout, 0}, "f.replay"},
        {7, {0, 80, 300, 200001, 400, toppedout, 0}, "g.replay"},
        {6, {900, 30, 4, 7000, 80, leftgame, 0}, "h.replay"},
    };
    for (auto& [mode, end, name] : games)
        noterecord(mode, end, 1700000000 + mode, name);
    const std::string want = "dropple records 1\n"
                             "dropple2 900 30 4 7000 80 0 1700000006 h.replay\n"
                             "dropple3 9000 40 1 4000 100 2 1700000001 c.replay\n"
                             "dropple5 0 80 300 200000 400 1 1700000007 f.replay\n";
    EXPECT_EQ(textfile("records"), want);
    const std::string table = printed(printrecords);
    for (const char* shown : {"score 900", "40 lines in 1:06.67", "level 300 in 55:33.33"})
        EXPECT_NE(table.find(shown), std::string::npos) << shown << " in\n" << table;

    std::string crlf;
    for (char c : want + "\n")
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    writefile({crlf.begin(), crlf.end()}, "records");
    EXPECT_EQ(std::tuple(printed(printrecords), fs::exists("records.damaged")),
              std::tuple(table, false));
}

// Past a hundred replays the oldest go, but not a record's, not the player's own files, and not
// the one of the game just ended, however its name sorts. That one plays back with Return pausing
// it and, once it has ended, leaving it.
TEST_F(Kept, PruningKeepsRecordsThePlayersFilesAndTheNewestWhichPlaysBackPaused) {
    fs::create_directory("replays");
    auto own = [](int n) {
        char name[40];
        std::snprintf(name, sizeof name, "20250101-%06d-dropple4.replay", n);
        return std::string(name);
    };
    std::set<std::string> before = {"00-mine.replay", "zz-mine.replay"};
    for (int n = 0; n < 104; n++)
        before.insert(own(n));
    for (const std::string& n : before)
        writefile({'x'}, ("replays/" + n).c_str());
    const std::string records = "dropple records 1\ndropple4 90 1 1 100 5 1 1 " + own(0) + "\n";
    writefile({records.begin(), records.end()}, "records");
    headless::setwallclock(0); // the newest game's name sorts first
    playkept(2, 200);
    recordend();
    keepgames(false);

    std::set<std::string> after, gone, added;
    for (auto& f : fs::directory_iterator("replays"))
        after.insert(f.path().filename().string());
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::inserter(gone, gone.end()));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::inserter(added, added.end()));
    EXPECT_EQ(gone, (std::set{own(1), own(2), own(3), own(4)}));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(textfile("records"), records);

    static std::string file;
    file = "replays/" + *added.begin();
    std::vector<std::uint64_t> clock;
    run([] { return static_cast<unsigned char>(playback(file.c_str(), false, false)); }, "", 400,
        [&](std::uint64_t n) {
            clock.push_back(ingamev.frames);
            if (n == 20 || n == 60 || n == 300) // pause, go on, leave
                headless::press(0x0D);
            else
                headless::release(0x0D);
        });
    ASSERT_GE(clock.size(), 300u);
    EXPECT_EQ(std::tuple(clock[30], clock[70] - clock[30] < 15, clock[299]),
              std::tuple(clock[55], true, clock[280]));
    EXPECT_EQ(clock.size(), 300u) << "left when Return was pressed after the end";
}

#ifndef _WIN32
// Two copies of the game in one folder end games at the same moment, twice: first two games of
// one kind in the same second, which must keep two replays, then two games that each set a new
// record, which must both be filed.
TEST_F(Kept, TwoCopiesEndingTogetherKeepEveryReplayAndRecord) {
    headless::setwallclock(1765000000);
    const std::pair<std::uint8_t, std::uint64_t> rounds[2][2] = {{{6, 100}, {6, 200}},
                                                                 {{2, 300}, {7, 0}}};
    for (auto& round : rounds) {
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        pid_t copies[2];
        for (int c = 0; c < 2; c++)
            if ((copies[c] = fork()) == 0) {
                playkept(round[c].first, 30);
                ingamev.score = round[c].second;
                char start;
                close(go[1]);
                _exit(read(go[0], &start, 1) == 1 ? (recordend(), 0) : 1);
            }
        close(go[0]);
        EXPECT_EQ(write(go[1], "go", 2), 2);
        close(go[1]);
        for (pid_t p : copies) {
            int status = -1;
            EXPECT_TRUE(waitpid(p, &status, 0) == p && WIFEXITED(status) &&
                        WEXITSTATUS(status) == 0);
        }
    }
    EXPECT_EQ(std::distance(fs::directory_iterator("replays"), {}), 4);
    const std::string table = textfile("records");
    for (const char* line : {"\ndropple2 200 ", "\ndropple4 300 ", "\ndropple5 0 "})
        EXPECT_NE(table.find(line), std::string::npos) << line << " in\n" << table;
}
#endif
