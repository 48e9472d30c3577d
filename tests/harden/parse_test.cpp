// Alt and the first letter of a terminal's string reply: a key, unless a reply is due.
#include "console/platform/term_parse.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string events(const std::string& bytes, bool awaiting) {
    termparser p;
    p.awaiting = awaiting;
    std::vector<keyevent> out;
    parse(p, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out);
    std::string s;
    for (const keyevent& e : out) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%d:%02X%s", s.empty() ? "" : " ", e.kind, e.code,
                      e.mods & modalt ? "+a" : "");
        s += buf;
    }
    return s;
}

TEST(HardenParse, AltAndAStringLetterIsAKeyUnlessAReplyIsDue) {
    // kind 3 is a tap, 7 the device attributes; 43 with Ctrl is Ctrl-C.
    struct {
        const char* bytes;
        bool awaiting;
        const char* events;
    } table[] = {
        {"\x1b]x\x03", false, "3:DD+a 3:58 3:43"},
        {"\x1bPx\x03", false, "3:50+a 3:58 3:43"},
        {"\x1b_\x1b^\x1bX", false, "3:BD+a 3:36+a 3:58+a"},
        // While the start-up questions are out, a string is skipped up to its end.
        {"\x1b]11;rgb:0/0/0\x07\x03", true, "3:43"},
        {"\x1bP1$r0m\x1b\\\x03", true, "3:43"},
        // The device attributes answer last: after them a string letter is a key again.
        {"\x1b[?62c\x1b]\x03", true, "7:00 3:DD+a 3:43"},
    };
    for (const auto& t : table)
        EXPECT_EQ(events(t.bytes, t.awaiting), t.events) << t.bytes + 1;
}

} // namespace
