// Key transitions reach the frames one per key and frame, in order, and nothing sticks.
#include "platform/keyqueue.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// Each string is what is heard before one frame boundary: 'd' a press, 'u' a release, 'r'
// everything released, 'c' the queue cleared; 'D' and 'U' the same for another key, and after a
// '+' what is heard comes after the frame was due. Returns what the game sees of the first key on
// each of `frames` frames: '#' down, '.' up.
static std::string frames(const std::vector<std::string>& heard, std::size_t frames = 10) {
    keyqueue q;
    std::string seen;
    for (std::size_t f = 0; f < frames; f++) {
        std::uint64_t at = f;
        for (char c : f < heard.size() ? heard[f] : "")
            c == '+'   ? void(at = f + 1)
            : c == 'r' ? queuerelease(q, at)
            : c == 'c' ? queueclear(q)
                       : queuepush(q, c < 'a' ? 0x25 : 0x26, c == 'd' || c == 'D', at);
        queuestep(q, f);
        seen += q.down[0x26] ? '#' : '.';
    }
    return seen;
}

TEST(KeyQueue, EveryTransitionGetsAFrameInOrderNoneBeforeItWasHeardAndClearingForgetsThem) {
    // Twenty taps: a flood is bounded, and the latest state wins.
    const std::string taps = "dudududududududududududududududududududu";
    const std::pair<std::vector<std::string>, const char*> cases[] = {
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
        {{"+d"}, ".#########"},                 // heard once its frame was due: the next one's
        {{"D", "dU", "u"}, ".#........"},       // another key's moves beside it change nothing
        {{"dud", "c"}, "#........."},           // clearing forgets what was still to come
        {{taps}, "#.#.#.#....."},
        {{taps + "d"}, "#.#.#.######"},
        {{"d", taps + "du"}, "#.#.#.#....."},
    };
    for (const auto& [heard, seen] : cases)
        EXPECT_EQ(frames(heard, std::string(seen).size()), seen) << heard.back();
}
