// Whole games on the headless back end, with scripted or random keys. Recorded games that end as
// they were recorded (tests/replays) check the rules and the scores of the game modes as a whole.
#include "../game.h"
#include "platform/platform.h"
#include "shell/recorder.h"
#include "shell/replay.h"

#include <algorithm>
#include <filesystem>
#include <random>

using Ingame = ScreenTest;

// Dropple 3 with an auto repeat of 96/256, the leftmost column of the piece after each frame. A
// tap moves one column; both directions together do nothing. A key held alone moves on its first
// frame, its DAS counter reaches 7 on the seventh, and from the eighth it repeats. A tap begun in a
// stall and let go after it moves one column, as it does in the menu; a key held from before the
// stall to after it moves, charges its delay through the frames that catch up and repeats once.
TEST_F(Ingame, TapsCancelDelayAndRepeatAndAStallLosesNoTap) {
    initload();
    INGAMEARR = 96;
    savesettings();
    auto taps = [](std::uint64_t n) {
        headless::releaseall();
        if (n == 1 || n == 3 || n == 4) // right tapped in frame 2 and held in frames 4 and 5
            headless::press(ingamekeys[rightkey]);
        if (n >= 3) // left held from frame 4 on
            headless::press(ingamekeys[leftkey]);
    };
    for (auto [from, want] :
         {std::pair(0, std::string("65555666666666777889")), // no stall
          {720, std::string(36, '6') + std::string(14, '5')},
          {-200, std::string(28, '6') + std::string(9, '5') + std::string(13, '4')}}) {
        std::string seen;
        headless::releaseall();
        std::function<void(std::uint64_t)> keys =
            from ? stalltap(ingamekeys[rightkey], from) : taps;
        run([] { return ingame(dropple3); }, "", want.size(),
            [&](std::uint64_t n) {
                seen += char('0' + *std::max_element(ingamev.piecex, ingamev.piecex + 4)), keys(n);
            });
        EXPECT_EQ(seen, want);
    }
}

// Games of random keys: the five of the menu, by the number the menu returns, the other modes, and
// the menu's first again. Each shows its own title and is not paused by the menu key still down as
// it starts; once over, it stays on pause alone and is left when hold joins pause. Every game is
// kept and plays back to the end it reached, the better Dropple 2 game becomes the record, and a
// damaged records file is set aside.
TEST_F(Ingame, GamesOfEveryItemAndModeAreKeptAndPlayBackToTheirEnd) {
    initload();
    const std::tuple<unsigned char, std::uint8_t, std::string> games[] = {
        // menu item, or below 7 a mode started directly; mode; title
        {7, dropple2, "Dropple 2 "},
        {8, dropple3, "Dropple 3 "},
        {9, dropple4, "Dropple 4 "},
        {10, dropple5, "Dropple 5 "},
        {11, dropple5death, "Dropple 5 "},
        {marathon, marathon, "marathon ("},
        {ultra, ultra, "ultra (3 m"},
        {endlesscurve, endlesscurve, "endless wi"},
        {endlessfixed, endlessfixed, "endless wi"},
        {7, dropple2, "Dropple 2 "},
    };
    std::filesystem::create_directory("replays");
    writefile({'x'}, "records");
    std::mt19937 rng(3);
    static unsigned char item;
    std::uint64_t best = 0;
    keepgames(true);
    for (auto& [number, mode, title] : games) {
        item = number;
        int after = 0; // frames since the end
        headless::press(ingamekeys[pausekey]), headless::press(ingamekeys[rotaterightkey]);
        EXPECT_EQ(run([] { return item < 7 ? ingame(item) : runscreen(item); }, "", 40000,
                      [&, mode = mode, title = title](std::uint64_t n) {
                          if (n == 1) {
                              EXPECT_EQ(std::tuple(ingamev.mode, text(0, 0, 10), ingamev.paused),
                                        std::tuple(mode, title, 0));
                          }
                          for (int k = 0; k < 8 && !ingamev.over; k++)
                              if (rng() % (k == 6 ? 400 : 6) == 0)
                                  (keydown(ingamekeys[k]) ? headless::release
                                                          : headless::press)(ingamekeys[k]);
                          if (ingamev.over) {
                              headless::press(ingamekeys[pausekey]);
                              (++after > 3 ? headless::press
                                           : headless::release)(ingamekeys[holdkey]);
                          }
                      }),
                  3)
            << "item " << +number;
        EXPECT_EQ(after, 4) << "left after the end only with hold and pause";
        best = std::max(best, mode == dropple2 ? ingamev.score : 0);
        headless::releaseall();
    }
    keepgames(false);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("replays"), {}), 10);
    for (auto& f : std::filesystem::directory_iterator("replays"))
        EXPECT_EQ(playback(f.path().string().c_str(), true, false), 0) << f.path();
    EXPECT_EQ(readfile("records.damaged"), bytes{'x'});
    const bytes table = readfile("records");
    EXPECT_NE(std::string(table.begin(), table.end()).find("\ndropple2 " + std::to_string(best)),
              std::string::npos);
}

// A display that cannot see left Shift by itself: the menu's bottom line says that C stands in for
// hold. In a game C holds; on the final screen, which says so, a tap of C and then Return within a
// second leaves for the menu, and a Return later only pauses. The settings file stays as it was.
// Where every key is seen nothing stands in and the final screen names the chord of the keys bound.
TEST_F(Ingame, AKeyTheDisplayCannotSeeHasAStandInNamedWhereThePlayerLooks) {
    initload();
    const bytes before = readfile();
    for (bool hidden : {true, false}) {
        SCOPED_TRACE(hidden ? "left Shift not seen" : "every key seen");
        headless::reset();
        if (hidden)
            headless::hide(0xA0);
        run(menu, "", 3);
        EXPECT_EQ(text(24, 0, 61), hidden ? "This terminal cannot report left Shift alone: C is "
                                            "hold here."
                                          : std::string(61, ' '));
        for (int late : {3, 40}) {
            std::string keys = "..C....C" + std::string(late, '.') + "s";
            std::uint8_t held = 255;
            headless::releaseall();
            const int result = run([] { return ingame(6); }, keys, 2 * keys.size() + 40,
                                   [&](std::uint64_t n) {
                                       if (n == 10)
                                           held = ingamev.hold, gameover();
                                   });
            EXPECT_EQ(held != 255, hidden) << "held with C";
            std::string wayback = hidden ? "C then Return: menu" : "left Shift+Return: menu";
            wayback.resize(35, ' ');
            EXPECT_EQ(text(24, 0, 45, screen), wayback + "GAME OVER!");
            EXPECT_EQ(result, hidden && late == 3 ? 3 : -1) << "left " << late << " taps after C";
        }
    }
    // C taken by a slot: the next spare key stands in; one key bound to two slots, one stand-in.
    headless::reset();
    headless::hide(0xA0), headless::hide(0x13);
    ingamekeys[rotateleftkey] = 'C', ingamekeys[softdropkey] = 0x13, ingamekeys[pausekey] = 0xA0;
    unsigned char standin[8];
    findstandins(standin);
    EXPECT_EQ(bytes(standin, standin + 8), bytes({0, 'V', 0, 0, 0, 0, 'A', 'A'}));
    EXPECT_EQ(standinnote(), "This terminal cannot report some keys alone: V is soft drop, A is "
                             "pause, A is hold here.");
    EXPECT_EQ(readfile(), before);
}

// Asked from outside to end (Ctrl-C, the window closed), every screen returns at once and so does
// the dispatcher. A game left in play is kept as "left" and is no record; one left on its final
// screen is kept as it ended and counts. Both play back to the end they were kept with.
TEST_F(Ingame, LeavingFromOutsideKeepsTheGameOnScreenAndEndsEveryScreen) {
    initload();
    std::filesystem::create_directory("replays");
    keepgames(true);
    static int over;
    for (std::uint8_t how : {leftgame, toppedout}) {
        headless::reset(), over = 0;
        // Left on frame 30; or hard drops, a piece a tap, until the stack tops out, left 5 frames
        // on.
        auto play = [how](std::uint64_t n) {
            if (how == leftgame ? n == 30 : ingamev.over && ++over == 5)
                headless::leave();
            (n % 2 && how != leftgame && !ingamev.over ? headless::press : headless::release)(
                ingamekeys[harddropkey]);
        };
        EXPECT_EQ(run([] { return runscreen(7); }, "", 3000, play), 0);
        const std::string f = std::filesystem::directory_iterator("replays")->path().string();
        const bytes b = readfile(f.c_str());
        replay r;
        EXPECT_EQ(std::tuple(std::distance(std::filesystem::directory_iterator("replays"), {}),
                             decodereplay(b.data(), b.size(), &r), r.end.how,
                             playback(f.c_str(), true, false), std::filesystem::exists("records")),
                  std::tuple(1, "", how, 0, how != leftgame));
        std::filesystem::remove(f);
    }
    keepgames(false);
    for (auto screen : {menu, settings, keyboard, guikeyboard, colorpicker, change16colors}) {
        headless::reset();
        EXPECT_EQ(
            run(screen, "", 100, [](std::uint64_t n) { n == 5 ? headless::leave() : void(); }), 0);
    }
    headless::reset(), headless::leave();
    run([]() -> unsigned char { return dispatch(), 0; }, "", 100);
    EXPECT_EQ(headless::frame(), 1u) << "the dispatcher went on after the menu was left";
}
