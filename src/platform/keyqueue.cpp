#include "platform/keyqueue.h"

#include <algorithm>

// Transitions alternate, so a key's queue is only a count and the times: the state after k of
// them is the current one flipped k times.
bool queuelast(const keyqueue& q, unsigned char code) {
    return q.down[code] != ((q.pending[code] & 1) != 0);
}

namespace {

void drop(keyqueue& q, unsigned char code, int n) {
    std::uint64_t* at = q.at[code];
    std::copy(at + n, at + q.pending[code], at);
    q.pending[code] = static_cast<unsigned char>(q.pending[code] - n);
}

} // namespace

void queuepush(keyqueue& q, unsigned char code, bool down, std::uint64_t at) {
    if (queuelast(q, code) == down)
        return;
    if (q.pending[code] == queuelength)
        drop(q, code, 2);
    const int n = q.pending[code];
    // Sources may disagree a little on the time; a key's transitions stay in the order heard.
    q.at[code][n] = n > 0 ? std::max(at, q.at[code][n - 1]) : at;
    q.pending[code]++;
}

void queuestep(keyqueue& q, std::uint64_t due) {
    for (int k = 0; k < 256; k++) {
        if (q.pending[k] == 0 || q.at[k][0] > due)
            continue;
        drop(q, static_cast<unsigned char>(k), 1);
        q.down[k] = !q.down[k];
    }
}

void queuerelease(keyqueue& q, std::uint64_t at) {
    for (int k = 0; k < 256; k++)
        queuepush(q, static_cast<unsigned char>(k), false, at);
}

void queueclear(keyqueue& q) {
    q = keyqueue{};
}
