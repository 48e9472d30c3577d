// Key transitions waiting for their frame. A back end that hears presses and releases as events
// pushes them here as they come; at each frame boundary every key moves on by at most one pending
// transition, so a press and a release that arrive between two frames are seen on two frames, and
// a key let go and pressed again while the game was stalled is seen up, then down: a new press.
#pragma once

// Transitions kept per key. Past this the oldest press and release are dropped together, so the
// latest state always wins.
constexpr int queuelength = 8;

struct keyqueue {
    bool down[256] = {};             // what the game sees this frame
    unsigned char pending[256] = {}; // transitions still to come, each the opposite of the last
};

// A key went down or up. Saying again what the key will already be is no transition (a repeat,
// or a release reported twice).
void queuepush(keyqueue& q, unsigned char code, bool down);
// A frame boundary: each key with transitions pending takes the next one.
void queuestep(keyqueue& q);
// Whether the key is down once everything pending has been taken.
bool queuelast(const keyqueue& q, unsigned char code);
// Every key goes up, after what is already pending.
void queuerelease(keyqueue& q);
// Every key up at once, nothing pending.
void queueclear(keyqueue& q);
