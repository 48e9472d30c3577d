// Key transitions waiting for their frame. A back end that hears presses and releases as events
// pushes them here as they come, each with the counter time it was heard; at each frame boundary
// every key moves on by at most one pending transition, and only by one heard before the frame now
// beginning is due to end. So a press and a release that arrive between two frames are seen on two
// frames, a key let go and pressed again while the game was stalled is seen up, then down: a new
// press, and the frames that catch up after a stall, which run back to back, see each key as it
// was at their own time: a tap that began in the stall and ended after it is not held through
// all of them.
#pragma once

#include <cstdint>

// Transitions kept per key. Past this the oldest press and release are dropped together, so the
// latest state always wins.
constexpr int queuelength = 8;

struct keyqueue {
    bool down[256] = {};             // what the game sees this frame
    unsigned char pending[256] = {}; // transitions still to come, each the opposite of the last
    std::uint64_t at[256][queuelength] = {}; // when each was heard, oldest first
};

// A key went down or up at counter time `at` (0: due at once). Saying again what the key will
// already be is no transition (a repeat, or a release reported twice).
void queuepush(keyqueue& q, unsigned char code, bool down, std::uint64_t at);
// A frame boundary: each key with a transition pending that was heard at or before `due` takes it.
void queuestep(keyqueue& q, std::uint64_t due);
// Whether the key is down once everything pending has been taken.
bool queuelast(const keyqueue& q, unsigned char code);
// Every key goes up at `at`, after what is already pending.
void queuerelease(keyqueue& q, std::uint64_t at);
// Every key up at once, nothing pending.
void queueclear(keyqueue& q);

// The game's key codes are Windows' virtual keys, where the generic Shift, Ctrl and Alt (0x10 to
// 0x12) are down while the key of either side (0xA0 to 0xA5) is, and code 0 is no key. `one` says
// whether a single code is down as the back end knows it.
template <class F> bool vkdown(unsigned char code, F one) {
    if (code == 0)
        return false;
    if (code >= 0x10 && code <= 0x12) {
        const unsigned char left = static_cast<unsigned char>(0xA0 + 2 * (code - 0x10));
        return one(code) || one(left) || one(static_cast<unsigned char>(left + 1));
    }
    return one(code);
}
