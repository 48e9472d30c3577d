// Any bytes from the terminal: the parser must neither crash nor read the same bytes differently
// when they come in other pieces, and a key event always names a key.
#include "platform/term/keys.h"

#include <cstdlib>

namespace {

void same(const std::vector<keyevent>& a, const std::vector<keyevent>& b) {
    if (a.size() != b.size())
        std::abort();
    for (std::size_t i = 0; i < a.size(); i++)
        if (a[i].kind != b[i].kind || a[i].code != b[i].code || a[i].mods != b[i].mods ||
            a[i].a != b[i].a)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 1)
        return 0;
    const bool protocol = data[0] & 1;
    const bool awaiting = data[0] & 2;        // start-up replies due: strings are skipped
    const unsigned step = 1 + (data[0] >> 2); // piece size for the cut-up reading
    data++;
    size--;

    termparser whole;
    whole.protocol = protocol;
    whole.awaiting = awaiting;
    std::vector<keyevent> a;
    parse(whole, data, size, a);

    termparser cut;
    cut.protocol = protocol;
    cut.awaiting = awaiting;
    std::vector<keyevent> b;
    for (std::size_t i = 0; i < size; i += step)
        parse(cut, data + i, size - i < step ? size - i : step, b);
    same(a, b);

    parseflush(whole, a);
    if (parsepending(whole))
        std::abort();

    keystate s;
    s.source = protocol ? fromprotocol : fromrepeat;
    std::uint64_t ms = 0;
    for (const keyevent& e : a) {
        if (e.kind <= evtap && e.code == 0)
            std::abort();
        keyapply(s, e, ms);
        keystep(s);
        keytick(s, ms += 7);
    }
    keytick(s, ms + 1000);
    for (int i = 0; i < queuelength; i++)
        keystep(s);
    for (int k = 0; k < 256; k++)
        if (s.held[k] || s.events.pending[k] != 0)
            std::abort(); // a guessed key left down, or transitions that never reach a frame
    return 0;
}
