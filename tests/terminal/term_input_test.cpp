// Key state: exact reports, sided modifiers, focus, outside key maps, and the guesses made from
// key repeat, with time given in milliseconds.
#include "console/platform/term_keys.h"

#include <gtest/gtest.h>

namespace {

keyevent ev(evkind kind, unsigned char code, unsigned char mods = 0) {
    return {kind, code, mods};
}

TEST(TermKeys, SidedModifiersAlsoHoldTheGenericCode) {
    keystate s;
    s.source = fromprotocol;
    const unsigned char sides[3][3] = {{0x10, 0xA0, 0xA1}, {0x11, 0xA2, 0xA3}, {0x12, 0xA4, 0xA5}};
    for (const auto& m : sides) {
        keyapply(s, ev(evpress, m[1]), 0);
        EXPECT_TRUE(keyisdown(s, m[0]));
        EXPECT_TRUE(keyisdown(s, m[1]));
        EXPECT_FALSE(keyisdown(s, m[2]));
        keyapply(s, ev(evpress, m[2]), 0);
        keytick(s, 16); // a frame sees both down
        keyapply(s, ev(evrelease, m[1]), 16);
        EXPECT_TRUE(keyisdown(s, m[0])) << "the other side is still down";
        keyapply(s, ev(evrelease, m[2]), 16);
        EXPECT_FALSE(keyisdown(s, m[0]));
    }
}

TEST(TermKeys, ReportsAreIdempotent) {
    keystate s;
    s.source = fromprotocol;
    keyapply(s, ev(evrepeat, 0x25), 0); // held before we were listening
    EXPECT_TRUE(keyisdown(s, 0x25));
    keyapply(s, ev(evrelease, 0x25), 0);
    keyapply(s, ev(evrelease, 0x25), 0);
    EXPECT_FALSE(keyisdown(s, 0x25));
    keyapply(s, ev(evpress, 0x25), 0);
    keyapply(s, ev(evpress, 0x25), 0);
    keyapply(s, ev(evrelease, 0x25), 0);
    // A tap that came and went between two frames is seen by exactly one frame.
    EXPECT_TRUE(keyisdown(s, 0x25));
    keytick(s, 16);
    EXPECT_FALSE(keyisdown(s, 0x25));
    keyapply(s, ev(evpress, 0x25), 16);
    keytick(s, 33);
    keyapply(s, ev(evrelease, 0x25), 40);
    EXPECT_FALSE(keyisdown(s, 0x25)) << "a press seen by a frame is up at its release";
    EXPECT_FALSE(keyisdown(s, 0));
    // Time passing never releases a reported key.
    keyapply(s, ev(evpress, 0x58), 0);
    keytick(s, 100000);
    EXPECT_TRUE(keyisdown(s, 0x58));
}

TEST(TermKeys, FocusLossReleasesEverything) {
    keystate s;
    s.source = fromprotocol;
    keyapply(s, ev(evpress, 0x25), 0);
    keyapply(s, ev(evpress, 0xA0), 0);
    keyapply(s, ev(evpress, 0x01), 0);
    keyapply(s, ev(evfocusout, 0), 0);
    for (int k = 0; k < 256; k++)
        EXPECT_FALSE(keyisdown(s, static_cast<unsigned char>(k))) << k;

    // An outside key map is global: while another window has the focus, its keys are not ours.
    keystate x;
    x.source = fromx;
    bool down[256] = {};
    down[0x25] = true;
    keyoutside(x, down, 0);
    EXPECT_TRUE(keyisdown(x, 0x25));
    keyapply(x, ev(evfocusout, 0), 0);
    EXPECT_FALSE(keyisdown(x, 0x25));
    keyapply(x, ev(evfocusin, 0), 0);
    EXPECT_TRUE(keyisdown(x, 0x25));
}

TEST(TermKeys, CtrlCEndsAndCtrlZSuspendsInEveryForm) {
    for (keysource src : {fromprotocol, fromx, fromrepeat}) {
        keystate s;
        s.source = src;
        EXPECT_EQ(keyapply(s, ev(evtap, 'C', modctrl), 0), wantquit);
        EXPECT_EQ(keyapply(s, ev(evpress, 'C', modctrl), 0), wantquit);
        EXPECT_EQ(keyapply(s, ev(evtap, 'Z', modctrl), 0), wantsuspend);
        EXPECT_EQ(keyapply(s, ev(evrelease, 'C', modctrl), 0), noaction);
        EXPECT_EQ(keyapply(s, ev(evpress, 'C'), 0), noaction);
        EXPECT_EQ(keyapply(s, ev(evpress, 'C', modctrl | modshift), 0), noaction);
    }
}

TEST(TermKeys, PastedTextPressesNothingWhileReportsAreOn) {
    keystate s;
    s.source = fromprotocol;
    keyapply(s, ev(evtap, 'A'), 0);
    keyapply(s, ev(evtap, 0x25), 0);
    EXPECT_FALSE(keyisdown(s, 'A'));
    EXPECT_FALSE(keyisdown(s, 0x25));
}

// Runs the frames from `from` to `to` (16 ms apart), applying the taps that fall in each, and
// counts the frames the key was seen down and the longest unbroken run.
struct seen {
    int frames = 0, longest = 0;
};

seen play(keystate& s, unsigned char code, const std::vector<std::uint64_t>& taps,
          std::uint64_t to) {
    seen r;
    int run = 0;
    std::size_t next = 0;
    for (std::uint64_t t = 0; t <= to; t += 16) {
        keytick(s, t);
        while (next < taps.size() && taps[next] <= t)
            keyapply(s, ev(evtap, code), taps[next++]);
        if (keyisdown(s, code)) {
            r.frames++;
            run++;
            r.longest = std::max(r.longest, run);
        } else {
            run = 0;
        }
    }
    return r;
}

TEST(TermKeys, GuessedTapIsDownForOneFrame) {
    keystate s;
    seen r = play(s, 0x25, {100}, 2000);
    EXPECT_EQ(r.frames, 1);
    r = play(s, 0x25, {2000 + 1500}, 5000);
    EXPECT_EQ(r.frames, 1) << "a tap long after the last one";
    // Taps in quick succession stay separate presses, each too short for a delayed auto shift
    // (7 frames by default).
    keystate d;
    r = play(d, 0x25, {100, 300, 500}, 2000);
    EXPECT_GE(r.frames, 3);
    EXPECT_LE(r.longest, 4);
}

TEST(TermKeys, GuessedHoldFollowsKeyRepeatAndEnds) {
    // X's key repeat: first repeat after 660 ms, then every 40 ms; released at 1500.
    std::vector<std::uint64_t> taps = {0};
    for (std::uint64_t t = 660; t <= 1500; t += 40)
        taps.push_back(t);
    keystate s;
    seen r = play(s, 0x25, taps, 3000);
    // Down from the first repeat to the last without a gap, then up for good.
    EXPECT_GE(r.longest, (1500 - 660) / 16);
    EXPECT_LE(r.frames, 1 + (1500 + 150 - 660) / 16);
    EXPECT_FALSE(keyisdown(s, 0x25));

    // The console's slower repeat (250 ms, then about 11 a second) holds too.
    taps = {0};
    for (std::uint64_t t = 250; t <= 1200; t += 91)
        taps.push_back(t);
    keystate c;
    r = play(c, 0x25, taps, 3000);
    EXPECT_GE(r.longest, (1200 - 250) / 16);
    EXPECT_FALSE(keyisdown(c, 0x25));
}

TEST(TermKeys, GuessedKeysNeverStayDown) {
    keystate s;
    const std::uint64_t times[] = {0, 1, 2, 40, 41, 500, 530, 560, 561, 562};
    for (std::uint64_t t : times)
        for (unsigned char code : {0x25, 0x26, 0x58})
            keyapply(s, ev(evtap, code, modshift | modctrl | modalt), t);
    EXPECT_TRUE(keyisdown(s, 0x10));
    keytick(s, 562 + 1000);
    for (int k = 0; k < 256; k++)
        EXPECT_FALSE(keyisdown(s, static_cast<unsigned char>(k))) << k;
}

TEST(TermKeys, GuessedShiftedKeyHoldsShiftToo) {
    keystate s;
    keyapply(s, ev(evtap, 'A', modshift), 0);
    EXPECT_TRUE(keyisdown(s, 'A'));
    EXPECT_TRUE(keyisdown(s, 0x10));
    EXPECT_TRUE(keyisdown(s, 0xA0));
    EXPECT_FALSE(keyisdown(s, 0xA1));
}

TEST(TermKeys, OutsideMapThatSeesNoKeysGivesWayToGuesses) {
    keystate s;
    s.source = fromx;
    bool none[256] = {};
    for (int k = 0; k < 3; k++) {
        keyoutside(s, none, 1000u * k);
        keyapply(s, ev(evtap, 'A'), 1000u * k + 5);
    }
    EXPECT_EQ(s.source, fromrepeat);
    EXPECT_TRUE(s.fellback);
    // Pasted text, many bytes in one read, is no evidence against the map.
    keystate p;
    p.source = fromx;
    keyoutside(p, none, 0);
    for (int k = 0; k < 50; k++)
        keyapply(p, ev(evtap, 'A'), 5);
    EXPECT_EQ(p.source, fromx);
    keyapply(s, ev(evtap, 'B'), 5000);
    EXPECT_TRUE(keyisdown(s, 'B'));

    // One typed key seen in the map settles it for good.
    keystate x;
    x.source = fromx;
    bool a[256] = {};
    a['A'] = true;
    keyoutside(x, a, 0);
    keyapply(x, ev(evtap, 'A'), 10);
    for (int k = 1; k < 10; k++) {
        keyoutside(x, none, 1000u * k);
        keyapply(x, ev(evtap, 'A'), 1000u * k + 5);
    }
    EXPECT_EQ(x.source, fromx);
    EXPECT_FALSE(keyisdown(x, 'A')) << "typed bytes never press keys beside the map";
}

} // namespace
