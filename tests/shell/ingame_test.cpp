// Whole games on the headless back end, with scripted or random keys. Recorded games that end as
// they were recorded (tests/replays) check the rules and the scores of the game modes as a whole.
#include "../game.h"
#include "platform/platform.h"
#include "shell/recorder.h"
#include "shell/replay.h"

#include <algorithm>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;
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
    fs::create_directory("replays");
    writefile({'x'}, "records");
    std::mt19937 rng(3);
    static unsigned char item;
    std::uint64_t best = 0;
    keepgames(true);
    for (auto& [number, mode, title] : games) {
        item = number;
        int after = 0; // frames since the end
        headless::press(ingamekeys[pausekey]), headless::press(ingamekeys[rotaterightkey]);
        auto play = [&, mode = mode, title = title](std::uint64_t n) {
            if (n == 1) {
                EXPECT_EQ(std::tuple(ingamev.mode, text(0, 0, 10), ingamev.paused),
                          std::tuple(mode, title, 0));
            }
            for (int k = 0; k < 8 && !ingamev.over; k++)
                if (rng() % (k == 6 ? 400 : 6) == 0)
                    (keydown(ingamekeys[k]) ? headless::release : headless::press)(ingamekeys[k]);
            if (ingamev.over) {
                headless::press(ingamekeys[pausekey]);
                (++after > 3 ? headless::press : headless::release)(ingamekeys[holdkey]);
            }
        };
        const int result =
            run([] { return item < 7 ? ingame(item) : runscreen(item); }, "", 40000, play);
        EXPECT_EQ(std::tuple(result, after), std::tuple(3, 4))
            << "item " << +number << ", left after the end only with hold and pause";
        best = std::max(best, mode == dropple2 ? ingamev.score : 0);
        headless::releaseall();
    }
    keepgames(false);
    EXPECT_EQ(std::distance(fs::directory_iterator("replays"), {}), 10);
    for (auto& f : fs::directory_iterator("replays"))
        EXPECT_EQ(playback(f.path().string().c_str(), true, false), 0) << f.path();
    EXPECT_EQ(readfile("records.damaged"), bytes{'x'});
    const bytes table = readfile("records");
    EXPECT_NE(std::string(table.begin(), table.end()).find("\ndropple2 " + std::to_string(best)),
              std::string::npos);
}

// A display that cannot see left Shift by itself: the menu's bottom line says that C stands in for
// hold. In a game C holds; on the final screen, which says so, a tap of C and then Return more than
// a second later only pauses (C then Return at once, which leaves for the menu, the end-to-end
// tests play in a terminal). The settings file stays as it was.
// Where every key is seen nothing stands in and the final screen names the chord of the keys bound.
TEST_F(Ingame, AKeyTheDisplayCannotSeeHasAStandInNamedWhereThePlayerLooks) {
    initload();
    const bytes before = readfile();
    for (bool hidden : {true, false}) {
        SCOPED_TRACE(hidden ? "left Shift not seen" : "every key seen");
        headless::reset();
        hidden ? headless::hide(0xA0) : void();
        run(menu, "", 3);
        EXPECT_EQ(text(24, 0, 61), hidden ? "This terminal cannot report left Shift alone: C is "
                                            "hold here."
                                          : std::string(61, ' '));
        const std::string keys = "..C....C" + std::string(40, '.') + "s";
        std::uint8_t held = 255;
        headless::releaseall();
        const int result = run([] { return ingame(6); }, keys, 2 * keys.size() + 40,
                               [&](std::uint64_t n) {
                                   if (n == 10)
                                       held = ingamev.hold, gameover();
                               });
        const std::string wayback = hidden ? "C then Return: menu    " : "left Shift+Return: menu";
        EXPECT_EQ(std::tuple(held != 255, text(24, 0, 45, screen), result),
                  std::tuple(hidden, wayback + std::string(12, ' ') + "GAME OVER!", -1));
    }
    // C taken by a slot: the next spare key stands in; one key bound to two slots, one stand-in.
    headless::reset();
    headless::hide(0xA0), headless::hide(0x13);
    ingamekeys[rotateleftkey] = 'C', ingamekeys[softdropkey] = 0x13, ingamekeys[pausekey] = 0xA0;
    EXPECT_EQ(standinnote(), "This terminal cannot report some keys alone: V is soft drop, A is "
                             "pause, A is hold here.");
    EXPECT_EQ(readfile(), before);
}

// Asked from outside to end (Ctrl-C, the window closed), a game and every screen return at once,
// and so does the dispatcher. What is kept of a game left so, in play or on its final screen, the
// end-to-end tests check in a real terminal.
TEST_F(Ingame, LeavingFromOutsideEndsEveryScreen) {
    auto leave = [](std::uint64_t n) { n == 5 ? headless::leave() : void(); };
    for (auto screen : {menu, settings, keyboard, guikeyboard, colorpicker, change16colors,
                        +[]() -> unsigned char { return runscreen(7); }})
        EXPECT_EQ((headless::reset(), run(screen, "", 100, leave)), 0);
    headless::reset(), headless::leave();
    run([]() -> unsigned char { return dispatch(), 0; }, "", 100);
    EXPECT_EQ(headless::frame(), 1u) << "the dispatcher went on after the menu was left";
}
