// Key transitions reach the frames one per key and frame, in order, and nothing sticks.
#include "console/platform/keyqueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each string is what is heard before one frame boundary: 'd' a press, 'u' a release, 'r'
// everything released. Returns what the game sees on each of `frames` frames: '#' down, '.' up.
std::string frames(const std::vector<std::string>& heard, std::size_t frames = 10) {
    keyqueue q;
    std::string seen;
    for (std::size_t f = 0; f < frames; f++) {
        for (char c : f < heard.size() ? heard[f] : "")
            c == 'r' ? queuerelease(q, f) : queuepush(q, 0x26, c == 'd', f);
        queuestep(q, f);
        seen += q.down[0x26] ? '#' : '.';
    }
    return seen;
}

TEST(KeyQueue, EveryTransitionGetsAFrameInOrder) {
    std::string taps; // twenty taps: a flood is bounded, and the latest state wins
    for (int i = 0; i < 20; i++)
        taps += "du";
    struct {
        std::vector<std::string> heard;
        const char* seen;
    } cases[] = {
        {{"du"}, "#........."},                 // a tap between two frames
        {{"d", "", "u"}, "##........"},         // held
        {{"d", "udu"}, "#.#......."},           // let go and tapped again while stalled
        {{"d", "ud"}, "#.########"},            // let go and pressed again: a new press
        {{"dudu"}, "#.#......."},               // two taps in one stalled frame
        {{"dduuudduuu"}, "#.#......."},         // repeats and releases said twice change nothing
        {{"u", "uu"}, ".........."},            // a release of a key that is up
        {{"d", "r"}, "#........."},             // focus lost: everything goes up
        {{"du", "r"}, "#........."},            // ... after the tap it came with
        {{"d", "", "", "r", "d"}, "###.#####"}, // and a later press is heard again
        {{taps}, "#.#.#.#....."},
        {{taps + "d"}, "#.#.#.######"},
        {{"d", taps + "du"}, "#.#.#.#....."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(frames(c.heard, std::string(c.seen).size()), c.seen) << c.heard.back();
}

// A transition waits for the first frame due at or after the time it was heard.
TEST(KeyQueue, KeysMoveOnIndependentlyInTimeAndClearingForgetsAll) {
    keyqueue q;
    queuepush(q, 0x25, true, 50);
    queuepush(q, 0x25, false, 50);
    queuepush(q, 0x27, true, 90);
    std::string seen;
    for (std::uint64_t due : {40, 60, 70, 100, 110}) {
        queuestep(q, due);
        seen += std::string(q.down[0x25] ? "#" : ".") + (q.down[0x27] ? "#" : ".") + " ";
    }
    EXPECT_EQ(seen, ".. #. .. .# .# ");
    EXPECT_TRUE(!queuelast(q, 0x25) && queuelast(q, 0x27));
    queuepush(q, 0x25, true, 0);
    queueclear(q);
    queuestep(q, 0);
    EXPECT_FALSE(q.down[0x25] || q.down[0x27] || queuelast(q, 0x25) || queuelast(q, 0x27));
}

} // namespace
