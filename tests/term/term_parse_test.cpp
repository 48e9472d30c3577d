// The input parser against bytes captured from real terminals (kitty 0.26.5 with the keyboard
// protocol on, xterm without), and against damaged input, whole and cut at every byte; and the
// output's glyphs: every byte of a cell is the code page's character (the tmux read-back shows
// that each is one cell wide and never acts on the terminal).
#include "platform/term/parse.h"
#include "platform/term/render.h"
#include "platform/term/terminfo.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iconv.h>

namespace {

std::string describe(const std::vector<keyevent>& events) {
    static const char* names[] = {"press",   "repeat",   "release", "tap",
                                  "focusin", "focusout", "flags",   "attrs"};
    std::string s;
    for (const keyevent& e : events) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s%s %02X%s%s%s", s.empty() ? "" : ", ", names[e.kind],
                      e.kind <= evtap ? e.code : e.a, e.mods & modshift ? " s" : "",
                      e.mods & modctrl ? " c" : "", e.mods & modalt ? " a" : "");
        s += buf;
    }
    return s;
}

using sample = std::pair<std::string, const char*>; // bytes, the events they make

// The events of each sample, its bytes given a byte at a time, and cut in two at every byte. While
// start-up replies are awaited, strings are skipped.
void check(const std::vector<sample>& table, bool protocol, bool awaiting = true) {
    for (const auto& [bytes, events] : table)
        for (std::size_t cut = 0; cut <= bytes.size(); cut++) {
            termparser p{.protocol = protocol, .awaiting = awaiting};
            std::vector<keyevent> out;
            // A byte at a time (cut 0), or the first `cut` bytes and then the rest.
            const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
            const std::size_t n = bytes.size(), rest = cut == 0 ? 1 : n;
            for (std::size_t i = 0, k = cut == 0 ? 1 : cut; i < n; i += k, k = rest)
                parse(p, b + i, std::min(k, n - i), out);
            EXPECT_EQ(describe(out), events)
                << "bytes " << bytes.substr(1, 40) << " cut at " << cut;
        }
}

TEST(TermParse, KeyboardProtocolReports) {
    check({{"\x1b[97u", "press 41"},
           {"\x1b[97;1:3u\x1b[97;1:3u", "release 41, release 41"},
           {"\x1b[D\x1b[1;1:2D\x1b[1;1:3D", "press 25, repeat 25, release 25"},
           {"\x1b[122;2u\x1b[122;2:3u", "press 5A s, release 5A s"},
           {"\x1b[57441u\x1b[57447;2u\x1b[57448;5:3u", "press A0, press A1 s, release A3 c"},
           {"\x1b[R\x1b[1;1:3R\x1b[13~", "press 72, release 72, press 72"},
           {"\x1b[P\x1b[15;1:3~\x1b[24~", "press 70, release 74, press 7B"},
           {"\x1b[13u\x1b[27u\x1b[9u\x1b[127u\x1b[32;1:3u",
            "press 0D, press 1B, press 09, press 08, release 20"},
           {"\x1b[2~\x1b[3~\x1b[5~\x1b[6~\x1b[H\x1b[F",
            "press 2D, press 2E, press 21, press 22, press 24, press 23"},
           // The keypad's arrows and Home with Num Lock off.
           {"\x1b[57417u\x1b[57418u\x1b[57419u\x1b[57420u\x1b[57423u",
            "press 25, press 27, press 26, press 28, press 24"},
           // Caps Lock and Num Lock bits are no modifiers.
           {"\x1b[57399;129u\x1b[57400;129:3u\x1b[97;193u\x1b[57358;193:3u",
            "press 60, release 61, press 41, release 14"},
           {"\x1b[O\x1b[I", "focusout 00, focusin 00"},
           {"\x1b[?11u\x1b[?62;c", "flags 0B, attrs 00"},
           {"\x1b[<0;10;5M\x1b[<0;10;5m\x1b[<2;1;1M\x1b[<1;1;1M",
            "press 01, release 01, press 02, press 04"},
           {"\x1b[<32;3;3M\x1b[<64;1;1M", ""},
           // Pasted text while the protocol is on comes as taps.
           {"ab", "tap 41, tap 42"}},
          true);
}

TEST(TermParse, TerminalsWithoutReleases) {
    check({{"aA", "tap 41, tap 41 s"},
           {"\x1b[D\x1b[1;2D\x1bOD", "tap 25, tap 25 s, tap 25"},
           {"\x1bOR\x1b[15~\x03\x1a", "tap 72, tap 74, tap 43 c, tap 5A c"},
           // A modifier between SS3 and the letter; xterm's other form of a modified key.
           {"\x1bO2P\x1b[27;5;99~", "tap 70 s, tap 43 c"},
           // Modified keys as xterm and tmux report them when asked: Shift+Return in both forms,
           // Ctrl+Shift+A, Shift+Escape.
           {"\x1b[13;2u\x1b[27;2;13~\x1b[65;6u\x1b[27;2u",
            "tap 0D s, tap 0D s, tap 41 s c, tap 1B s"},
           {"\r\t\x7f ", "tap 0D, tap 09, tap 08, tap 20"},
           {"\033a", "tap 41 a"},
           {"\x1b\x1b[A", "tap 1B, tap 26"},
           {"\x1b[M !!\x1b[M#!!", "press 01, release 01, release 04, release 02"},
           // Alt and the first letter of a terminal's string reply is no key while a reply is
           // due; the device attributes answer last, and after them it is a key again.
           {"\x1b]11;rgb:0/0/0\x07\x03", "tap 43 c"},
           {"\x1bP1$r0m\x1b\\\x03", "tap 43 c"},
           {"\x1b[?62c\x1b]\x03", "attrs 00, tap DD a, tap 43 c"}},
          false);
    check({{"\x1b]x\x03", "tap DD a, tap 58, tap 43 c"},
           {"\x1bPx\x03", "tap 50 s a, tap 58, tap 43 c"},
           {"\x1b_\x1b^\x1bX", "tap BD s a, tap 36 s a, tap 58 s a"}},
          false, false);
}

// No damaged sequence presses anything, nor swallows the report after it.
TEST(TermParse, DamagedInputPressesNothing) {
    std::vector<sample> damaged;
    for (std::string d :
         {"\x1b[12;40R", "\x1b[99999999999999999999999u", "\x1b[97;99999999999999999:3u",
          "\x1b[97;1:9u", "\x1b[97;1:0u", "\x1b[97:::::u", "\x1b[1;2;3;4;5;6;7;8;9;10;11;12u",
          "\x1b[;5u", "\x1b[5;1;1D", "\x1b[97$u\x1b[9 7u", "\x1b[9\3777u", "\x1b[1;5",
          "\x1b[\x01\x02", "\x1b]4;1;rgb:00/00/00\x07\x1b]0;cut off",
          "\x1b_Gi=1;OK\x1b\\\x1b^x\x1b\\\x1bXy\x1b\\", "\x1bP1$r0m\x1b\\",
          "\x1b[<0;1M\x1b[<0;1;1;1M\x1b[<9999999999;1;1M", "\x1b[200~\x1b[201~",
          "\x1b[>97u\x1b[=97u"})
        damaged.push_back({d + "\x1b[98;1:3u", "release 42"});
    damaged.push_back({"\x1bP" + std::string(1000, 'x') + "\x1b\\\x1b[98;1:3u", "release 42"});
    damaged.push_back({"\x1b[" + std::string(3000, '1') + "u\x1b[98;1:3u", "release 42"});
    check(damaged, true);
    check(damaged, false);
}

// TERM and the terminfo entry it names: unset, dumb, or an entry without cursor addressing (made
// here by tic, and the system's own) cannot show the game; an entry with it can, and a name this
// machine has no entry for is given the benefit of the doubt.
TEST(TermInfo, OnlyATerminalThatCanMoveItsCursorShowsTheGame) {
    const std::string dir = std::filesystem::temp_directory_path() / "dropple-terminfo";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/t.src")
        << "nocup|no cursor,\n\tcols#80, lines#25, bel=^G,\n"
        << "withcup|cursor,\n\tcols#80, lines#25, cup=\\E[%i%p1%d;%p2%dH,\n";
    ASSERT_EQ(std::system(("tic -o " + dir + " " + dir + "/t.src 2>/dev/null").c_str()), 0);
    setenv("TERMINFO", dir.c_str(), 1);
    std::string drawable;
    for (const char* term : {"", "dumb", "nocup", "withcup", "xterm", "no-such-terminal"})
        drawable += undrawable(term).empty() ? '#' : '.';
    EXPECT_EQ(drawable, "...###");
    EXPECT_FALSE(undrawable(nullptr).empty());
    unsetenv("TERMINFO");
    std::filesystem::remove_all(dir);
    // An entry whose counts point past its end moves nothing.
    const unsigned char cut[] = {0x1A, 0x01, 2, 0, 0, 0, 0, 0, 40, 0, 0, 0, 'x', 0};
    EXPECT_FALSE(entrymovescursor(cut, sizeof cut));
}

TEST(glyphs, everybyteisitscodepagecharacterthecontrolbytestheirpictures) {
    iconv_t cd = iconv_open("UTF-8", "IBM437");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0x20; b < 0xFF; b++) {
        char in[1] = {static_cast<char>(b)}, out[8] = {};
        char *ip = in, *op = out;
        std::size_t il = 1, ol = sizeof out - 1;
        if (b != 0x7F && iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1)) {
            EXPECT_STREQ(glyph(static_cast<unsigned char>(b)), out) << "byte " << b;
        }
    }
    iconv_close(cd);
    EXPECT_STREQ(glyph(0x01), "\u263A");
    EXPECT_STREQ(glyph(0x7F), "\u2302");
}

} // namespace
