// The input parser against bytes captured from real terminals (kitty 0.26.5 with the keyboard
// protocol on, xterm without), and against damaged input.
#include "console/platform/term_parse.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string describe(const std::vector<keyevent>& events) {
    static const char* names[] = {"press",   "repeat",   "release", "tap",
                                  "focusin", "focusout", "flags",   "attrs"};
    std::string s;
    for (const keyevent& e : events) {
        char buf[64];
        if (e.kind <= evtap)
            std::snprintf(buf, sizeof buf, "%s %02X%s%s%s", names[e.kind], e.code,
                          e.mods & modshift ? " s" : "", e.mods & modctrl ? " c" : "",
                          e.mods & modalt ? " a" : "");
        else if (e.kind == evflags)
            std::snprintf(buf, sizeof buf, "flags %d", e.a);
        else
            std::snprintf(buf, sizeof buf, "%s", names[e.kind]);
        if (!s.empty())
            s += ", ";
        s += buf;
    }
    return s;
}

std::string run(const std::string& bytes, bool protocol) {
    termparser p;
    p.protocol = protocol;
    std::vector<keyevent> out;
    parse(p, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out);
    return describe(out);
}

struct sample {
    const char* bytes;
    const char* events;
};

// kitty with flags 11, as captured.
const sample withprotocol[] = {
    {"\x1b[97u", "press 41"},
    {"\x1b[97;1:3u", "release 41"},
    {"\x1b[D", "press 25"},
    {"\x1b[1;1:2D", "repeat 25"},
    {"\x1b[1;1:3D", "release 25"},
    {"\x1b[57441u", "press A0"},
    {"\x1b[122;2u", "press 5A s"},
    {"\x1b[122;2:3u", "release 5A s"},
    {"\x1b[57441;2:3u", "release A0 s"},
    {"\x1b[57441u\x1b[57447;2u", "press A0, press A1 s"},
    {"\x1b[R", "press 72"},
    {"\x1b[1;1:3R", "release 72"},
    {"\x1b[13~", "press 72"},
    {"\x1b[P", "press 70"},
    {"\x1b[15~", "press 74"},
    {"\x1b[15;1:3~", "release 74"},
    {"\x1b[24~", "press 7B"},
    {"\x1b[13u", "press 0D"},
    {"\x1b[27u", "press 1B"},
    {"\x1b[9u", "press 09"},
    {"\x1b[127u", "press 08"},
    {"\x1b[32;1:3u", "release 20"},
    {"\x1b[2~\x1b[3~\x1b[5~\x1b[6~", "press 2D, press 2E, press 21, press 22"},
    {"\x1b[H\x1b[F", "press 24, press 23"},
    {"\x1b[57442u\x1b[99;5u", "press A2, press 43 c"},
    {"\x1b[57448;5:3u", "release A3 c"},
    {"\x1b[57443u\x1b[57449u", "press A4, press A5"},
    // Caps Lock and Num Lock bits are no modifiers.
    {"\x1b[57399;129u", "press 60"},
    {"\x1b[57400;129:3u", "release 61"},
    {"\x1b[57413;129u\x1b[57414;129u", "press 6B, press 0D"},
    {"\x1b[97;193u", "press 41"},
    {"\x1b[57358;193:3u", "release 14"},
    {"\x1b[59;129u\x1b[91;129u\x1b[39;129u\x1b[96;129u\x1b[53;129u",
     "press BA, press DB, press DE, press C0, press 35"},
    {"\x1b[O", "focusout"},
    {"\x1b[I", "focusin"},
    {"\x1b[?11u\x1b[?62;c", "flags 11, attrs"},
    {"\x1b[?2026;2$y", ""},
    {"\x1b[<0;10;5M\x1b[<0;10;5m", "press 01, release 01"},
    {"\x1b[<2;1;1M\x1b[<1;1;1M", "press 02, press 04"},
    {"\x1b[<32;3;3M\x1b[<64;1;1M\x1b[<65;1;1M", ""},
    {"\x1b[<16;3;3M", "press 01"},
    // Pasted text while the protocol is on is no key press: it comes as taps.
    {"ab", "tap 41, tap 42"},
};

// xterm, tmux and the Linux console: no releases.
const sample without[] = {
    {"a", "tap 41"},
    {"A", "tap 41 s"},
    {"\x1b[D", "tap 25"},
    {"\x1b[1;2D", "tap 25 s"},
    {"\x1bOD", "tap 25"},
    {"\x1bOR\x1b[15~", "tap 72, tap 74"},
    {"\x03", "tap 43 c"},
    {"\x1a", "tap 5A c"},
    {"\r\t\x7f ", "tap 0D, tap 09, tap 08, tap 20"},
    {"\x1b"
     "a",
     "tap 41 a"},
    {"\x1b[[A\x1b[[E", "tap 70, tap 74"},
    {"!?{", "tap 31 s, tap BF s, tap DB s"},
    {"\x1b[Z", "tap 09 s"},
    {"\x1b[27;5;9~", "tap 09 c"},
    {"\x1bOp\x1bOM", "tap 60, tap 0D"},
    {"\xc3\xa9", ""},
    {"\x1b\x1b[A", "tap 1B, tap 26"},
    {"\x1b[M !!\x1b[M#!!", "press 01, release 01, release 04, release 02"},
    // A report with an event type is a report even before we asked for them.
    {"\x1b[97;1:3u", "release 41"},
};

// Nothing here was a key press, whatever the bytes look like.
const sample damaged[] = {
    {"\x1b[12;40R", ""},
    {"\x1b[99999999999999999999999u", ""},
    {"\x1b[97;99999999999999999:3u", ""},
    {"\x1b[97;1:9u", ""},
    {"\x1b[97;1:0u", ""},
    {"\x1b[97:::::u", ""},
    {"\x1b[1;2;3;4;5;6;7;8;9;10;11;12u", ""},
    {"\x1b[;5u", ""},
    {"\x1b[5;1;1D", ""},
    {"\x1b[?97u\x1b[>97u\x1b[=97u", "flags 97"},
    {"\x1b[97$u\x1b[9 7u", ""},
    {"\x1b[9\xff"
     "7u",
     ""},
    {"\x1b]4;1;rgb:00/00/00\x07\x1b]11;rgb:0/0/0\x1b\\", ""},
    {"\x1b_Gi=1;OK\x1b\\\x1b^x\x1b\\\x1bXy\x1b\\", ""},
    {"\x1bP1$r0m\x1b\\", ""},
    {"\x1b[<0;1M\x1b[<0;1;1;1M\x1b[<9999999999;1;1M", ""},
    {"\x1b[200~\x1b[201~", ""},
};

void check(const sample* table, std::size_t n, bool protocol) {
    for (std::size_t i = 0; i < n; i++) {
        const std::string bytes = table[i].bytes;
        const std::string want = table[i].events;
        EXPECT_EQ(run(bytes, protocol), want) << "case " << i;
        // However the bytes are cut across reads, the events are the same.
        for (std::size_t cut = 1; cut < bytes.size(); cut++) {
            termparser p;
            p.protocol = protocol;
            std::vector<keyevent> out;
            parse(p, reinterpret_cast<const unsigned char*>(bytes.data()), cut, out);
            parse(p, reinterpret_cast<const unsigned char*>(bytes.data()) + cut, bytes.size() - cut,
                  out);
            EXPECT_EQ(describe(out), want) << "case " << i << " cut at " << cut;
        }
        termparser p;
        p.protocol = protocol;
        std::vector<keyevent> out;
        for (char c : bytes)
            parse(p, reinterpret_cast<const unsigned char*>(&c), 1, out);
        EXPECT_EQ(describe(out), want) << "case " << i << " byte by byte";
    }
}

TEST(TermParse, KeyboardProtocolReports) {
    check(withprotocol, std::size(withprotocol), true);
}

TEST(TermParse, TerminalsWithoutReleases) {
    check(without, std::size(without), false);
}

TEST(TermParse, DamagedInputPressesNothing) {
    check(damaged, std::size(damaged), true);
    check(damaged, std::size(damaged), false);
}

TEST(TermParse, DamagedInputDoesNotSwallowTheNextKey) {
    EXPECT_EQ(run("\x1b[12;40R\x1b[97u", true), "press 41");
    EXPECT_EQ(run("\x1b[1;5\x1b[97u", true), "press 41");
    EXPECT_EQ(run("\x1b[\x01\x02"
                  "97u",
                  true),
              "press 41");
    EXPECT_EQ(run("\x1b]0;title\x07\x1b[97u", true), "press 41");
    EXPECT_EQ(run("\x1b]0;cut off\x1b[97u", true), "press 41");
    EXPECT_EQ(run("\x1bP" + std::string(1000, 'x') + "\x1b\\\x1b[97u", true), "press 41");
    EXPECT_EQ(run("\x1b[" + std::string(5000, '1') + "u\x1b[98u", true), "press 42");
}

TEST(TermParse, QuietInputEndsALoneEscape) {
    termparser p;
    std::vector<keyevent> out;
    const unsigned char esc = 0x1B;
    parse(p, &esc, 1, out);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(parselone(p));
    parseflush(p, out);
    EXPECT_EQ(describe(out), "tap 1B");
    EXPECT_FALSE(parsepending(p));

    // A sequence cut off for good is dropped, never turned into keys.
    out.clear();
    const std::string cut = "\x1b[1;5";
    parse(p, reinterpret_cast<const unsigned char*>(cut.data()), cut.size(), out);
    EXPECT_TRUE(parsepending(p));
    EXPECT_FALSE(parselone(p));
    parseflush(p, out);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(parsepending(p));
}

} // namespace
