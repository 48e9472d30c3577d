// The real game, and a stand-in that shows what the keyboard does, started by a plain `sh -c` in a
// pseudo-terminal of the test's own. However the game ends (the menu, keys, any signal, SIGKILL,
// its terminal gone) the terminal's settings are as they were, and the bytes the game wrote leave
// no mode of its own switched on. Nothing here mends the terminal after the game, as an
// interactive shell would.
#include "../../bench/procstat.h"
#include "ptyrun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <regex>
#include <sys/prctl.h>

namespace {

// The settings now are the settings before the game; every private mode the game switched on it
// has switched off again (the cursor, which it hides, is shown), every keyboard mode it pushed it
// has popped, and every synchronized update it began it has ended; it gave the terminal back once
// for each time it took it.
void restored(const ptyrun& g) {
    termios now{};
    ASSERT_EQ(tcgetattr(g.slave, &now), 0);
    EXPECT_EQ(std::memcmp(&now, &g.before, sizeof now), 0) << "the terminal's settings changed";
    std::map<int, char> modes;
    static const std::regex dec("\x1b\\[\\?([0-9;]+)([hl])");
    for (std::sregex_iterator m(g.out.begin(), g.out.end(), dec), e; m != e; ++m) {
        const std::string list = (*m)[1];
        for (const char* p = list.c_str(); *p; p += *p == ';')
            modes[static_cast<int>(std::strtol(p, const_cast<char**>(&p), 10))] = (*m)[2].str()[0];
    }
    EXPECT_EQ(std::tuple(modes[1049], modes[25]), std::tuple('l', 'h'));
    for (auto [mode, last] : modes)
        EXPECT_TRUE(mode == 25 || last == 'l') << "mode " << mode << " left on";
    // The alternate screen, keyboard modes pushed and synchronized updates: ended as often as
    // begun.
    auto count = [&](const char* r) {
        const std::regex re(r);
        return std::distance(std::sregex_iterator(g.out.begin(), g.out.end(), re), {});
    };
    for (auto [on, off] : {std::pair{"\x1b\\[\\?1049h", "\x1b\\[\\?1049l"},
                           {"\x1b\\[>[0-9]*u", "\x1b\\[<[0-9]*u"},
                           {"\x1b\\[\\?2026h", "\x1b\\[\\?2026l"}})
        EXPECT_EQ(count(on), count(off)) << "not given back once for each time taken: " << on + 1;
    // Keys with modifiers reported as such: the last word on them is the undo.
    static const std::regex modified("\x1b\\[>4(;[0-9]*)?m");
    std::string last;
    for (std::sregex_iterator m(g.out.begin(), g.out.end(), modified), e; m != e; ++m)
        last = m->str();
    EXPECT_TRUE(last.empty() || last == "\x1b[>4m") << "modifier reports left on";
    // What it tells the player once the screen is back fits 80 columns.
    EXPECT_FALSE(
        std::regex_search(g.out.substr(g.out.rfind("\x1b[?1049l") + 8), std::regex("[^\r\n]{81}")));
}

// The program has ended with `status` (as the shell saw it) and given the terminal back.
void ended(ptyrun& g, int status, bool given = true) {
    ASSERT_TRUE(g.pump([&] { return waitpid(g.leader, nullptr, WNOHANG) == g.leader; }))
        << "the game did not end";
    g.leader = g.pid = g.player = -1;
    g.wait(100); // the last bytes still in the pseudo-terminal
    EXPECT_EQ(ptyrun::proc(g.dir + "/status"), std::to_string(status) + "\n");
    if (given)
        restored(g);
}

// The stand-in on the terminal, and what it reports at each frame.
struct standin : ptyrun {
    const std::string file = dir + "/keys";
    bool run() { return start({STANDIN, file}, "down:"); }
    long frames() const {
        long n = 0;
        std::sscanf(proc(file).c_str(), "frames: %ld", &n);
        return n;
    }
    // "presses/frames/longest run" of a key, by its code in hex, or "".
    std::string seen(const std::string& code) const {
        std::istringstream f(proc(file));
        for (std::string w; f >> w;)
            if (w.rfind(code + ":", 0) == 0)
                return w.substr(code.size() + 1);
        return "";
    }
    int longest(const std::string& code) const {
        const std::string s = seen(code);
        return std::atoi(s.substr(s.rfind('/') + 1).c_str());
    }
};

// Each way out from the menu, and the status the shell sees. (Ways out of a game: the next test.)
TEST(restore, everywayoutgivesbacktheterminal) {
    const std::tuple<const char*, int, int> ends[] = {
        {"quit from the menu", 0, 0}, {"SIGTERM", SIGTERM, 143},  {"SIGHUP", SIGHUP, 129},
        {"SIGSEGV", SIGSEGV, 139},    {"Ctrl-C at once", 0, 130},
    };
    for (auto [name, sig, status] : ends) {
        SCOPED_TRACE(name);
        ptyrun g;
        if (status == 0) // with the keyboard protocol: popped as often as pushed
            g.answer = "\x1b[?1u\x1b[?62c";
        ASSERT_TRUE(g.start({DROPPLE})) << g.out;
        ASSERT_EQ(status == 0, g.shown("\x1b[>11u"));
        if (status == 0) { // the minder killed first: reaped at once, and the game plays on
            const pid_t minder = ptyrun::children(g.pid).back();
            kill(minder, SIGKILL);
            EXPECT_TRUE(g.pump([&] { return g.state(minder) == 'X'; })) << "not reaped";
        }
        if (sig)
            kill(g.pid, sig);
        else
            g.type(status ? "\x03" : "\x1b[13u\x1b[13;1:3u");
        ended(g, status);
        // No keys of the game typed (Ctrl-C is none) and the settings never saved: nothing said
        // once the screen is back, neither on guessing held keys nor on unsaved settings.
        EXPECT_FALSE(g.shown("dropple: ", g.out.rfind("\x1b[?1049l")));
    }
}

// What the game says where it cannot do what it is asked: a terminal that cannot move its cursor
// (TERM=dumb, or unset) is told so on one line and left untouched, with status 1, and so is a game
// without a terminal at all; --replay without a replay says what it needs; --help marks a sound
// folder that is not there. (A game played without its sounds says so at the end: the final
// screen's test.)
TEST(say, whatthegamecannotdoissaidononeline) {
    for (const char* unset : {"TERM=dumb", "-uTERM"}) {
        SCOPED_TRACE(unset);
        ptyrun g;
        ASSERT_TRUE(g.start({"env", unset, DROPPLE}, "dropple:")) << g.out;
        ended(g, 1, false);
        EXPECT_EQ(std::count(g.out.begin(), g.out.end(), '\n'), 1) << g.out;
        EXPECT_FALSE(g.shown("\x1b")) << "the terminal was written to";
    }
    ptyrun g;
    EXPECT_EQ(g.said(DROPPLE " --replay"),
              "dropple: --replay needs a replay: dropple --replay FILE\n");
    EXPECT_NE(g.said(DROPPLE " --help").find("/audio (not there: no sounds)\n"), std::string::npos);
    int st = 0;
    const std::string text = g.said("timeout 3 setsid -w " DROPPLE " </dev/null", &st);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 1) << st;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

// However the program is ended from outside, the game on screen is kept. Ended on its final
// screen and left by Ctrl-C: its replay and its record, and once the terminal is back the line
// that says so. In play, by Ctrl-C, asked to end or hung up: its replay, as a game left, and no
// record. Each replay plays back to the end it was kept with. Once the terminal is back, a line
// says that held keys could only be guessed, the keyboard protocol not being spoken.
TEST(keep, everywayoutkeepsthegameonscreen) {
    const std::tuple<const char*, int, int, const char*> ends[] = {
        {"Ctrl-C on the final screen", 0, 130, "topped out"},
        {"SIGTERM in play", SIGTERM, 143, "left"},
        {"SIGHUP in play", SIGHUP, 129, "left"},
        {"Ctrl-C in play", 0, 130, "left"},
    };
    for (auto [name, sig, status, how] : ends) {
        SCOPED_TRACE(name);
        ptyrun g;
        ASSERT_TRUE(g.start({DROPPLE})) << g.out;
        // The menu's last row, however many of the downs its key repeat takes for one held key.
        for (int i = 0; i < 13; i++)
            g.type("\x1b[B", 60);
        g.type("\r");
        ASSERT_TRUE(g.pump([&] { return g.shown("lines:"); })) << "no game";
        const bool over = std::string(how) != "left";
        // Up is the hard drop: a piece a tap, until the stack tops out.
        for (int i = 0; over && i < 200 && !g.shown("OVER!"); i++)
            g.type("\x1b[A", 150);
        ASSERT_TRUE(!over || g.shown("OVER!")) << "the game did not end";
        g.wait(300);
        if (!sig)
            g.type("\x03");
        else
            kill(g.pid, sig);
        ended(g, status);
        const std::string data = g.dir + "/dropple/";
        std::error_code none;
        const std::filesystem::directory_iterator kept(data + "replays", none);
        ASSERT_NE(kept, std::filesystem::directory_iterator()) << "the game was not kept";
        int same = 0;
        const std::string check = g.said(DROPPLE " --check " + kept->path().string(), &same);
        const std::size_t back = g.out.rfind("\x1b[?1049l");
        EXPECT_EQ(std::tuple(same, check.find(std::string(how) + "\nreplayed") < std::string::npos,
                             std::filesystem::exists(data + "records"),
                             g.shown("new best in Dropple 5 Death", back),
                             g.shown("held keys were ", back)),
                  std::tuple(0, true, over, over, true))
            << g.out.substr(back);
    }
}

// The stand-in's view of the keys where the terminal reports no releases (as over ssh, or in
// tmux): a tap is down for exactly one frame, a stream of repeats holds the key without a
// break, nothing stays down once the repeats stop, a capital is the key with left Shift, and
// what goes to stderr meanwhile never reaches the picture.
TEST(keyview, atapisoneframerepeatsholdthekeyandnothingstaysdown) {
    standin g;
    ASSERT_TRUE(g.run()) << g.out;
    g.type("\x1b[D", 400);
    EXPECT_EQ(g.seen("25"), "1/1/1") << "a tap";
    // A held key as a terminal sends it: one press, a pause, then repeats about every 40 ms.
    g.type("\x1b[D", 500);
    for (int i = 0; i < 25; i++)
        g.type("\x1b[D", 30);
    g.wait(400);
    // The stream holds the key down for most of its 0.75 s; one late repeat on a busy machine
    // may cut it once.
    EXPECT_GE(g.longest("25"), 25) << g.seen("25");
    g.type("X", 300);
    EXPECT_EQ(g.seen("A0") + " " + g.seen("58"), "1/1/1 1/1/1");
    EXPECT_NE(ptyrun::proc(g.file).find("down:\n"), std::string::npos) << "a key stayed down";
    g.type("\x03");
    ended(g, 130);
    EXPECT_FALSE(g.shown("scribble"))
        << "what went to stderr during the program reached the screen";
}

// On a terminal with the keyboard protocol, every signal that ends the game is handled by the
// game itself: its guardian is held stopped until the game is gone, then dies of the same
// signal. Killed outright, the guardian gives the terminal back; before that, broken pipes and
// file size limits end nothing.
TEST(restore, everysignalgivesbacktheterminal) {
    for (int sig : {SIGKILL, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGSYS, SIGTRAP,
                    SIGSTKFLT, SIGPWR, SIGIO, SIGXCPU, SIGRTMIN, SIGRTMAX, SIGTERM}) {
        SCOPED_TRACE(strsignal(sig));
        ptyrun g;
        g.answer = "\x1b[?1u\x1b[?62c";
        ASSERT_TRUE(g.start({DROPPLE}));
        ASSERT_TRUE(g.shown("\x1b[>")) << "no keyboard protocol";
        if (sig == SIGKILL) {
            kill(g.player, SIGPIPE), kill(g.player, SIGXFSZ);
            g.wait(300);
            EXPECT_FALSE(strchr("ZX", g.state(g.player)));
        } else {
            kill(g.pid, SIGSTOP);
        }
        kill(g.player, sig);
        ASSERT_TRUE(g.pump([&] { return strchr("ZX", g.state(g.player)); }, 3000));
        if (sig != SIGKILL) {
            ASSERT_TRUE(g.pump([&] { return g.shown("\x1b[?1049l"); }, 3000));
            restored(g);
            kill(g.pid, SIGCONT);
        }
        ended(g, 128 + sig);
    }
}

// The game under an interactive shell, with its guardian and the guardian's other child, the
// minder, found; the keyboard protocol is spoken.
struct shellgame : ptyrun {
    pid_t guardian = 0, minder = 0;
    bool run(const char* shell) {
        answer = "\x1b[?1u\x1b[?62c";
        std::vector<std::string> args{"env", "PS1=ready> ", shell, "-i"};
        if (shell == std::string("bash"))
            args.insert(args.begin() + 3, {"--norc", "--noediting"});
        if (!start(args, "ready> ") || !type("d=" DROPPLE "; \"$d\"\r") ||
            !pump([&] { return shown("Dropple 5 Death"); }, 10000))
            return false;
        const auto kids = children(guardian = firstchild(pid));
        return kids.size() == 2 && (player = kids[0]) && (minder = kids[1]);
    }
    // Its processes, the minder's canary too, for `gone`.
    std::vector<pid_t> all() const {
        auto all = children(minder);
        all.insert(all.end(), {guardian, player, minder});
        return all;
    }
    // Gone for good: ended and reaped. The test adopts what its parent leaves behind, so a process
    // that nobody reaps is seen.
    static bool gone(const std::vector<pid_t>& ps) {
        for (pid_t p : ps)
            if (waitpid(p, nullptr, WNOHANG) >= 0 && state(p) != 'X')
                return false;
        return true;
    }
};

// Under a shell with job control, on a terminal with the keyboard protocol, stopped from anywhere
// and continued from anywhere: while the job is stopped the terminal is the shell's (given back
// once) and the game and its guardian are both stopped; `fg` gives the game its terminal back,
// raw, on the alternate screen, with the protocol pushed again, repainted and answering keys.
TEST(restore, everystopandcontinueunderajobcontrolshell) {
    shellgame g;
    ASSERT_TRUE(g.run("bash")) << g.out;
    const pid_t guardian = g.guardian, player = g.player;
    auto both = [&](const char* states) {
        return strchr(states, g.state(guardian)) && strchr(states, g.state(player));
    };
    const std::pair<const char*, std::function<void()>> stops[] = {
        {"Ctrl-Z", [&] { g.type("\x1a"); }},
        {"kill -STOP of the job", [&] { kill(-guardian, SIGSTOP); }},
        {"kill -STOP of the game", [&] { kill(player, SIGSTOP); }},
        {"kill -STOP of the guardian", [&] { kill(guardian, SIGSTOP); }},
    };
    const std::pair<const char*, std::function<void()>> continues[] = {
        {"fg", [] {}},
        {"bg", [&] { g.type("bg\r"); }},
        {"kill -CONT of the job", [&] { kill(-guardian, SIGCONT); }},
        {"kill -CONT of the game", [&] { kill(player, SIGCONT); }},
        {"kill -CONT of the guardian", [&] { kill(guardian, SIGCONT); }},
    };
    for (auto& [stopname, stop] : stops)
        for (auto& [contname, cont] : continues) {
            SCOPED_TRACE(std::string(stopname) + ", then " + contname);
            stop();
            ASSERT_TRUE(g.pump([&] { return both("T"); }, 3000))
                << g.state(guardian) << g.state(player);
            g.wait(300);
            ASSERT_NO_FATAL_FAILURE(restored(g));
            cont();
            g.wait(300);
            EXPECT_TRUE(both("T")) << "one of them runs alone";
            ASSERT_NO_FATAL_FAILURE(restored(g));
            const std::size_t stopped = g.out.size();
            g.type("fg\r");
            ASSERT_TRUE(g.pump([&] { return g.shown("Dropple 5 Death", stopped); }))
                << g.out.substr(stopped);
            EXPECT_TRUE(g.shown("\x1b[?1049h", stopped) && g.shown("\x1b[>11u", stopped))
                << "the screen or the keyboard protocol not taken again";
            EXPECT_TRUE(both("RS"));
            termios raw{};
            tcgetattr(g.slave, &raw);
            EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
            g.wait(200);
            const std::size_t shown = g.out.size();
            g.type("\x1b[B\x1b[1;1:3B"); // pressed and let go, as the protocol reports them
            EXPECT_TRUE(g.pump([&] { return g.shown("color picker", shown); }, 1000))
                << "the menu did not move";
            g.type("\x1b[A\x1b[1;1:3A", 200);
        }
    // Its guardian killed outright, the game ends and the terminal is given back. The shell
    // wakes at the same moment as the game and its minder, so on a busy machine its prompt may
    // come first and be left on the game's screen; only the terminal's state afterwards is
    // certain.
    const std::size_t playing = g.out.size();
    kill(guardian, SIGKILL);
    ASSERT_TRUE(
        g.pump([&] { return strchr("ZX", g.state(player)) && g.shown("ready> ", playing); }));
    g.type("exit 0\r");
    ended(g, 0);
}

// The game under an interactive shell, dash and bash, attacked: its guardian killed outright, or
// the job stopped and then its terminal lost. None of its processes stays behind, stopped or
// unreaped (the test adopts what a parent leaves), and a killed guardian's game gives the terminal
// back, its screen, report modes and settings alike, even from the background, its group left
// without a parent by the shell taking the terminal first.
TEST(restore, akilledguardianorajobstoppedandterminallostleavesnothingbehind) {
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    enum { killedheld, killed, lost, lostheld };
    for (const char* shell : {"dash", "bash"})
        for (int way : {killedheld, killed, killed, lost, lostheld}) {
            SCOPED_TRACE(std::string(shell) + ", way " + std::to_string(way));
            shellgame g;
            ASSERT_TRUE(g.run(shell)) << g.out;
            const auto procs = g.all();
            const std::size_t playing = g.out.size();
            if (way == killedheld) { // the game and the minder held up until the shell is back
                ASSERT_TRUE(g.hold(g.player) && g.hold(g.minder));
                kill(g.guardian, SIGKILL);
                ASSERT_TRUE(g.pump([&] { return g.shown("ready> ", playing); })) << g.out;
                EXPECT_EQ(ptrace(PTRACE_DETACH, g.player, nullptr, nullptr), 0);
                ASSERT_TRUE(g.pump([&] { return shellgame::gone({g.player}); }));
                EXPECT_EQ(ptrace(PTRACE_DETACH, g.minder, nullptr, nullptr), 0);
            } else if (way == killed) {
                kill(g.guardian, SIGKILL);
            } else if (way == lost) {
                kill(-g.guardian, SIGSTOP);
                ASSERT_TRUE(
                    g.pump([&] { return g.state(g.player) == 'T' && g.shown("\x1b[?1049l"); }));
                close(g.master), g.master = -1;
            } else {
                // The game stopped alone, and its guardian held, as a busy machine may hold it,
                // from the call after the wait that told it until its shell has gone (hung up:
                // waiting for its job, the shell does not read the terminal).
                ASSERT_TRUE(g.hold(g.guardian, PTRACE_O_TRACESYSGOOD));
                kill(g.player, SIGSTOP);
                bool heard = false;
                for (int st = 0, sig = 0; ptrace(PTRACE_SYSCALL, g.guardian, nullptr, sig) == 0 &&
                                          waitpid(g.guardian, &st, __WALL) == g.guardian;) {
                    __ptrace_syscall_info call{};
                    const bool traced = WSTOPSIG(st) == (SIGTRAP | 0x80);
                    sig = traced || st >> 16 ? 0 : WSTOPSIG(st); // its own signals passed on
                    if (traced)
                        ptrace(PTRACE_GET_SYSCALL_INFO, g.guardian, sizeof call, &call);
                    if (heard && call.op == PTRACE_SYSCALL_INFO_ENTRY)
                        break;
                    heard |= call.op == PTRACE_SYSCALL_INFO_EXIT && call.exit.rval == g.player;
                }
                ASSERT_TRUE(heard);
                close(g.master), g.master = -1;
                kill(g.pid, SIGHUP);
                ASSERT_TRUE(g.pump([&] { return g.state(g.pid) == 'X'; }));
                g.wait(200);
                EXPECT_EQ(ptrace(PTRACE_DETACH, g.guardian, nullptr, nullptr), 0);
            }
            EXPECT_TRUE(g.pump([&] { return shellgame::gone(procs); }, 10000))
                << g.state(g.guardian) << g.state(g.player) << g.state(g.minder);
            if (way == killed || way == killedheld) {
                g.wait(100);
                restored(g);
            }
        }
}

// With descriptors plenty and scarce (a limit of four), every process is there and does its part. A
// terminal that stops reading (with descriptors plenty), its descriptor left non-blocking by
// whoever started the game: the game waits for it asleep, not retrying, and once it reads again the
// picture comes back whole. Then stopped by Ctrl-Z under a shell without job control, resized and
// continued, it takes its size again and repaints the menu whole. The whole job stopped, the minder
// gives the terminal back; the game killed, the guardian does.
TEST(restore, fewdescriptorsastalledterminalandstopscostthegamenothing) {
    for (const char* limit : {"", "exec 3>&-; ulimit -n 4; "}) {
        ptyrun g;
        ASSERT_TRUE(g.start({"sh", "-c", std::string(limit) + "exec \"$0\"", DROPPLE}));
        if (!*limit) {
            fcntl(g.slave, F_SETFL, fcntl(g.slave, F_GETFL) | O_NONBLOCK);
            const std::string fill(4096, 'x');
            for (int i = 0; i < 100; i++) // the terminal's buffer, full for good
                if (write(g.slave, fill.data(), fill.size()) < 0)
                    usleep(10000);
            const double before = cpuof(g.player);
            sleep(3);
            EXPECT_LT(100.0 * (cpuof(g.player) - before) / 3, 30)
                << "percent of a core the game spent while its terminal did not read";
            const std::size_t stalled = g.out.size();
            ASSERT_TRUE(g.pump([&] { return g.shown("Dropple 5 Death", stalled); }))
                << "no repaint";
            g.type("\x1a");
            ASSERT_TRUE(g.pump([&] { return g.state(g.pid) == 'T'; })) << "Ctrl-Z did not stop it";
            winsize small{20, 70, 0, 0};
            ioctl(g.master, TIOCSWINSZ, &small);
            const std::size_t stopped = g.out.size();
            kill(-g.shell, SIGCONT); // as `fg` does
            ASSERT_TRUE(g.pump([&] { return g.shown("(now 70 x 20)", stopped); }))
                << g.out.substr(stopped);
            winsize full{25, 80, 0, 0};
            ioctl(g.master, TIOCSWINSZ, &full);
            ASSERT_TRUE(g.pump([&] { return g.shown("Dropple 5 Death", stopped); }));
        }
        const std::size_t playing = g.out.size();
        kill(-g.shell, SIGSTOP);
        EXPECT_TRUE(g.pump([&] { return g.shown("\x1b[?1049l", playing); }))
            << "not given back when stopped";
        const std::size_t again = g.out.size();
        kill(-g.shell, SIGCONT);
        EXPECT_TRUE(g.pump([&] { return g.shown("Dropple 5 Death", again); }));
        kill(g.player, SIGKILL);
        ended(g, 128 + SIGKILL);
    }
}

// A terminal the game has open but that is not its controlling one: no hang-up signal comes when it
// goes, only the end of its input.
TEST(restore, alostterminalnotthecontrollingoneendsthegame) {
    ptyrun g;
    ASSERT_TRUE(g.start({DROPPLE}, "Dropple 5 Death", false));
    close(g.master);
    g.master = -1;
    ended(g, 128 + SIGHUP, false);
}

// The stand-in frozen from outside for about 130 ms, as a busy machine may freeze a game, while
// keys arrive through a terminal that reports releases: two taps of Up and two of Left all act
// once it runs again, and a tap of Right begun in the freeze and let go 30 ms after it acts
// once, down too briefly for a delayed auto shift (7 frames), though the frames that catch up
// run before its release is heard. The freeze is a debugger's stop, which the game cannot see;
// a stop signal would look like Ctrl-Z and `fg` to it.
TEST(Stall, TapsWhileFrozenAllActOnceItRunsAgainAndATapAcrossTheEndActsOnce) {
    standin g;
    g.answer = "\x1b[?0u\x1b[?62;c";
    ASSERT_TRUE(g.run() && g.pump([&] { return g.frames() >= 30; }, 10000)) << "no stand-in";
    ASSERT_TRUE(g.hold(g.player));
    g.wait(30);
    const long frozen = g.frames();
    // Reports of the keyboard protocol: an arrow pressed, and let go.
    auto press = [](char arrow) { return std::string("\x1b[") + arrow; };
    auto release = [](char arrow) { return std::string("\x1b[1;1:3") + arrow; };
    const std::string up = press('A') + release('A'), left = press('D') + release('D');
    g.type(up + up + left + left + press('C'), 100);
    EXPECT_EQ(g.frames(), frozen) << "it ran while it should be frozen";
    EXPECT_EQ(ptrace(PTRACE_DETACH, g.player, nullptr, nullptr), 0);
    g.wait(30);
    g.type(release('C'));
    EXPECT_TRUE(g.pump([&] { return g.frames() >= frozen + 30; }, 10000));
    for (auto [code, presses] : {std::pair{"26", "2/"}, {"25", "2/"}, {"27", "1/"}})
        EXPECT_EQ(g.seen(code).substr(0, 2), presses) << code << ": " << g.seen(code);
    EXPECT_LT(g.longest("27"), 7) << g.seen("27");
}

// The sound is SDL's, in a module of the game's own loaded once the menu is out: the player
// opens the sound device (SDL's audio thread runs) and the guardian never maps SDL. A copy of
// the game without the module beside it plays on, silent.
TEST(sound, loadedoncethemenuisoutandwithoutitsmodulethegameplayssilently) {
    namespace fs = std::filesystem;
    auto threads = [](pid_t p) {
        std::string names;
        std::error_code e;
        for (const auto& t : fs::directory_iterator("/proc/" + std::to_string(p) + "/task", e))
            names += ptyrun::proc(t.path() / "comm");
        return names;
    };
    auto maps = [](pid_t p) { return ptyrun::proc("/proc/" + std::to_string(p) + "/maps"); };
    {
        ptyrun g;
        fs::create_directory_symlink(fs::path(DROPPLE).parent_path() / "audio", g.dir + "/audio");
        ASSERT_TRUE(g.start({DROPPLE})) << g.out;
        EXPECT_TRUE(
            g.pump([&] { return threads(g.player).find("SDLAudio") != std::string::npos; }, 10000))
            << "no sound device opened: " << threads(g.player);
        EXPECT_EQ(maps(g.pid).find("SDL2"), std::string::npos) << "the guardian mapped SDL";
    }
    ptyrun g;
    fs::copy_file(DROPPLE, g.dir + "/dropple");
    ASSERT_TRUE(g.start({g.dir + "/dropple"})) << g.out;
    g.wait(500);
    EXPECT_TRUE(!strchr("ZX", g.state(g.player)) &&
                maps(g.player).find("SDL2") == std::string::npos);
}

} // namespace
