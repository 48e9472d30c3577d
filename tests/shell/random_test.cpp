// Reference values were computed outside the game, from the published SplitMix64 and xoshiro128++
// definitions.
#include "console/platform/headless.h"
#include "console/screen.h"
#include "shell/random.h"

#include <gtest/gtest.h>

#include <vector>

using numbers = std::vector<std::uint32_t>;

static numbers draws(int n) {
    numbers out;
    for (int i = 0; i < n; i++)
        out.push_back(next());
    return out;
}
static numbers atstartup(std::int32_t clock) {
    headless::reset();
    headless::setwallclock(clock);
    initscreen();
    return draws(3);
}

TEST(Random, SeedsAndTheStartUpClockFollowTheReference) {
    seed(0);
    EXPECT_EQ(draws(3), (numbers{0xcf27befa, 0x1bf39c10, 0xc0bd12dc}));
    EXPECT_EQ(atstartup(1765000000), (numbers{0x88c3d55b, 0x9e4e8974, 0xa29d4f0c}));
    EXPECT_EQ(atstartup(-86400), (numbers{0x112092f5, 0xd40c83d2, 0xf2ebc1e6})); // sign-extended
}
