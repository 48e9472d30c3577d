#include "console/platform/keyqueue.h"

// Transitions alternate, so a key's queue is only a count: the state after k of them is the
// current one flipped k times.
bool queuelast(const keyqueue& q, unsigned char code) {
    return q.down[code] != ((q.pending[code] & 1) != 0);
}

void queuepush(keyqueue& q, unsigned char code, bool down) {
    if (queuelast(q, code) == down)
        return;
    q.pending[code]++;
    if (q.pending[code] > queuelength)
        q.pending[code] -= 2;
}

void queuestep(keyqueue& q) {
    for (int k = 0; k < 256; k++) {
        if (q.pending[k] == 0)
            continue;
        q.pending[k]--;
        q.down[k] = !q.down[k];
    }
}

void queuerelease(keyqueue& q) {
    for (int k = 0; k < 256; k++)
        queuepush(q, static_cast<unsigned char>(k), false);
}

void queueclear(keyqueue& q) {
    q = keyqueue{};
}
