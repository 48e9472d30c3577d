#include "console/platform.h"
#include "console/platform/headless.h"
#include "console/screen.h"
#include "console/sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// 6000 ticks per second and one tick per counter read: a frame is exactly 100 ticks.
void start() {
    headless::reset();
    headless::setclock(6000, 1);
    initscreen();
}

// Counter reads that one framesleep call makes: two when it returns without waiting (the meter
// and the first look at the clock), more when it waits.
std::uint64_t readsof(unsigned char mode) {
    std::uint64_t before = headless::reads();
    framesleep(mode);
    return headless::reads() - before;
}

std::string meter() {
    std::string s;
    for (int c = 76; c < 80; c++)
        s += static_cast<char>(screen[24 * 80 + c].ch);
    return s;
}

} // namespace

TEST(Pacing, AnIdleCallerIsReleasedOnEveryFrameBoundary) {
    start();
    EXPECT_EQ(frameint, 100u);
    framesleep(3);
    std::uint64_t last = headless::now();
    for (int i = 0; i < 50; i++) {
        framesleep(3);
        EXPECT_EQ(headless::now() - last, 100u);
        last = headless::now();
    }
}

TEST(Pacing, AfterAStallExactlyEightFramesRunWithoutWaiting) {
    start();
    framesleep(3);
    headless::advance(6000); // one second
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(readsof(3), 2u) << "call " << i + 1;
    EXPECT_GT(readsof(3), 2u);
    EXPECT_GT(readsof(3), 2u);
}

TEST(Pacing, ASlowCallerRunsFreeAndTheBacklogStopsAtEightFrames) {
    start();
    framesleep(3);
    for (int i = 0; i < 100; i++) {
        headless::advance(150); // the caller takes one and a half frames
        EXPECT_EQ(readsof(3), 2u) << "frame " << i;
        EXPECT_LE(headless::now() - timecounter, 8 * frameint);
    }
    // The backlog is pinned at the limit: one interval was just consumed out of eight.
    EXPECT_EQ(headless::now() - timecounter, 7 * frameint);
}

TEST(Pacing, PresentationModes) {
    start();
    screen[0].ch = 'x';

    headless::clearrecords();
    screen[24 * 80 + 76].ch = '?';
    framesleep(0);
    EXPECT_TRUE(headless::presented().empty());
    EXPECT_EQ(screen[24 * 80 + 76].ch, '?') << "mode 0 must not write the meter";
    framesleep(7);
    EXPECT_TRUE(headless::presented().empty());

    framesleep(1);
    EXPECT_TRUE(headless::presented().empty());
    EXPECT_EQ(meter(), "60.0");

    framesleep(2);
    ASSERT_EQ(headless::presented().size(), 1u);
    headless::presentation p = headless::presented()[0];
    EXPECT_EQ(std::vector<short>({p.left, p.top, p.right, p.bottom}),
              std::vector<short>({76, 24, 79, 24}));
    EXPECT_EQ(headless::display()[0].ch, 0) << "mode 2 presents only the meter";

    framesleep(3);
    ASSERT_EQ(headless::presented().size(), 2u);
    p = headless::presented()[1];
    EXPECT_EQ(std::vector<short>({p.left, p.top, p.right, p.bottom}),
              std::vector<short>({0, 0, 79, 24}));
    EXPECT_EQ(headless::display()[0].ch, 'x');
}

TEST(Meter, ReadsSixtyOnTheVeryFirstFrameAndKeepsTheColours) {
    start();
    for (int c = 76; c < 80; c++)
        screen[24 * 80 + c].attr = 0x4E;
    framesleep(3);
    EXPECT_EQ(meter(), "60.0");
    EXPECT_EQ(fps, 600u);
    for (int c = 76; c < 80; c++)
        EXPECT_EQ(screen[24 * 80 + c].attr, 0x4E);
}

TEST(Meter, ShowsDigitsEvenWhenTheRateWouldPassNinetyNine) {
    start();
    // Thirty frames in a tenth of the usual time.
    for (int k = 0; k <= 30; k++)
        frametiming[k] = headless::now() - static_cast<std::uint64_t>(31 - k) * 10;
    fpsupdate(true);
    EXPECT_GT(fps, 999u);
    EXPECT_EQ(meter(), "99.9");
}

TEST(Meter, RoundsHalfUp) {
    start();
    // A span of 30 frames plus 25 ticks: 600*6000/3025 = 1190.08..., halved with rounding: 595.
    for (int k = 0; k <= 30; k++)
        frametiming[k] = headless::now() - 3124 + static_cast<std::uint64_t>(k) * 100;
    fpsupdate(true);
    EXPECT_EQ(fps, 595u);
    EXPECT_EQ(meter(), "59.5");
}

TEST(StartUp, OpensTheWholeCatalogueInAlphabeticalOrder) {
    start();
    const std::vector<std::string>& opened = headless::opened();
    ASSERT_EQ(opened.size(), 60u);
    EXPECT_TRUE(std::is_sorted(opened.begin(), opened.end()));
    EXPECT_EQ(opened.front(), "b2b_continue.wav");
    EXPECT_EQ(opened.back(), "tspin3.wav");
    EXPECT_EQ(std::count(opened.begin(), opened.end(), "lock.wav"), 1);
}

TEST(StartUp, LeavesTheConsoleAtEightyByTwentyFive) {
    headless::reset();
    headless::setconsole(120, 40, true);
    initscreen();
    short c = 0, r = 0;
    consolesize(&c, &r);
    EXPECT_EQ(c, 80);
    EXPECT_EQ(r, 25);
    EXPECT_EQ(matchsize(), 0);
    headless::setconsole(100, 30, false);
    EXPECT_EQ(matchsize(), 1);
}
