// The real game, and a stand-in that shows what the keyboard does, started by a plain `sh -c` in a
// pseudo-terminal of the test's own. However the game ends (the menu, keys, any signal, SIGKILL,
// its terminal gone) the terminal's settings are as they were, and the bytes the game wrote leave
// no mode of its own switched on. Nothing here mends the terminal after the game, as an
// interactive shell would.
#include "ptyrun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <sys/ptrace.h>
#include <sys/stat.h>

namespace {

// The settings now are the settings before the game; every private mode the game switched on it
// has switched off again (the cursor, which it hides, is shown), every keyboard mode it pushed it
// has popped, and every synchronized update it began it has ended.
void restored(const ptyrun& g) {
    termios now{};
    ASSERT_EQ(tcgetattr(g.slave, &now), 0);
    const termios& was = g.before;
    EXPECT_EQ(std::tuple(now.c_iflag, now.c_oflag, now.c_lflag, now.c_cflag,
                         std::string(now.c_cc, now.c_cc + NCCS)),
              std::tuple(was.c_iflag, was.c_oflag, was.c_lflag, was.c_cflag,
                         std::string(was.c_cc, was.c_cc + NCCS)));
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
    static const std::regex push("\x1b\\[>[0-9]*u"), pop("\x1b\\[<[0-9]*u"),
        sync("\x1b\\[\\?2026h"), unsync("\x1b\\[\\?2026l"), wide("[^\r\n]{81}");
    auto count = [&](const std::regex& r) {
        return std::distance(std::sregex_iterator(g.out.begin(), g.out.end(), r), {});
    };
    EXPECT_EQ(count(push), count(pop));
    EXPECT_EQ(count(sync), count(unsync)) << "an update ended that was never begun";
    // What it tells the player once the screen is back fits 80 columns.
    EXPECT_FALSE(std::regex_search(g.out.substr(g.out.rfind("\x1b[?1049l") + 8), wide));
}

// The program has ended with `status` (as the shell saw it) and given the terminal back.
void ended(ptyrun& g, int status, bool given = true) {
    ASSERT_TRUE(g.pump([&] { return waitpid(g.leader, nullptr, WNOHANG) == g.leader; }))
        << "the game did not end";
    g.leader = g.pid = g.player = -1;
    g.wait(100); // the last bytes still in the pseudo-terminal
    int got = -1;
    std::ifstream(g.dir + "/status") >> got;
    EXPECT_EQ(got, status);
    if (given)
        restored(g);
}

// Each way out, and the status the shell sees. The first game is played from the menu: seven rows
// down, "Dropple 2" starts.
TEST(restore, everywayoutgivesbacktheterminal) {
    const std::tuple<const char*, int, int> ends[] = {
        {"Ctrl-C in a game", 0, 130}, {"quit from the menu", 0, 0}, {"SIGTERM", SIGTERM, 143},
        {"SIGHUP", SIGHUP, 129},      {"SIGSEGV", SIGSEGV, 139},
    };
    for (auto [name, sig, status] : ends) {
        SCOPED_TRACE(name);
        ptyrun g;
        ASSERT_TRUE(g.start({DROPPLE})) << g.out;
        if (status == 130) {
            for (int i = 0; i < 7; i++)
                g.type("\x1b[B"), g.wait(100);
            g.type("\r");
            ASSERT_TRUE(g.pump([&] { return g.shown("Dropple 2 "); })) << "no game";
        }
        if (sig)
            kill(g.pid, sig);
        else
            g.type(status ? "\x03" : "\r");
        ended(g, status);
        // Once the terminal is back, a line says that held keys could only be guessed.
        EXPECT_TRUE(status != 130 || g.shown("held keys were ", g.out.rfind("\x1b[?1049l")));
    }
}

// The stand-in's view of the keys where the terminal reports no releases (as over ssh, or in
// tmux): a tap is down for exactly one frame, a stream of repeats holds the key without a break,
// nothing stays down once the repeats stop, a capital is the key with left Shift, and what goes to
// stderr meanwhile never reaches the picture.
TEST(keyview, atapisoneframerepeatsholdthekeyandnothingstaysdown) {
    ptyrun g;
    const std::string file = g.dir + "/keys";
    ASSERT_TRUE(g.start({STANDIN, "keys", file}, "down:")) << g.out;
    auto view = [&](const char* code) { // "presses/frames/longest run" of a key
        std::ifstream f(file);
        for (std::string w; f >> w;)
            if (w.rfind(std::string(code) + ":", 0) == 0)
                return w.substr(w.find(':') + 1);
        return std::string();
    };
    g.type("\x1b[D");
    g.wait(400);
    EXPECT_EQ(view("25"), "1/1/1") << "a tap";
    // A held key as a terminal sends it: one press, a pause, then repeats about every 40 ms.
    g.type("\x1b[D");
    g.wait(500);
    for (int i = 0; i < 25; i++)
        g.type("\x1b[D"), g.wait(30);
    g.wait(400);
    // The stream holds the key down for most of its 0.75 s; one late repeat on a busy machine
    // may cut it once.
    EXPECT_GE(std::atoi(view("25").substr(view("25").rfind('/') + 1).c_str()), 25) << view("25");
    g.type("X");
    g.wait(300);
    EXPECT_EQ(view("A0") + " " + view("58"), "1/1/1 1/1/1");
    EXPECT_NE(ptyrun::proc(file).find("down:\n"), std::string::npos) << "a key stayed down";
    g.type("\x03");
    ended(g, 130);
    EXPECT_FALSE(g.shown("scribble"))
        << "what went to stderr during the program reached the screen";
}

// Stopped, the terminal is the player's; resized and continued, the game takes it again and
// repaints the menu whole; then it quits cleanly.
TEST(restore, ctrlzthenfgthenquit) {
    ptyrun g;
    ASSERT_TRUE(g.start({DROPPLE}));
    g.type("\x1a");
    ASSERT_TRUE(g.pump([&] { return g.state(g.pid) == 'T'; })) << "Ctrl-Z did not stop it";
    g.wait(100);
    restored(g);
    winsize small{20, 70, 0, 0};
    ioctl(g.master, TIOCSWINSZ, &small);
    const std::size_t stopped = g.out.size();
    kill(-g.shell, SIGCONT); // as `fg` does
    ASSERT_TRUE(g.pump([&] { return g.shown("(now 70 x 20)", stopped); })) << g.out.substr(stopped);
    termios raw{};
    tcgetattr(g.slave, &raw);
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
    winsize full{25, 80, 0, 0};
    ioctl(g.master, TIOCSWINSZ, &full);
    ASSERT_TRUE(g.pump([&] { return g.shown("Dropple 5 Death", stopped); }));
    g.type("\r");
    ended(g, 0);
}

// On a terminal with the keyboard protocol, every signal that ends the game is handled by the game
// itself: its guardian is held stopped until the game is gone, then dies of the same signal. Killed
// outright, the guardian gives the terminal back; broken pipes and file size limits end nothing.
TEST(restore, everysignalgivesbacktheterminal) {
    for (int sig : {SIGKILL, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGSYS, SIGTRAP,
                    SIGSTKFLT, SIGPWR, SIGIO, SIGXCPU, SIGRTMIN, SIGRTMAX, SIGTERM, SIGPIPE}) {
        SCOPED_TRACE(strsignal(sig));
        ptyrun g;
        g.answer = "\x1b[?1u\x1b[?62c";
        ASSERT_TRUE(g.start({DROPPLE}));
        ASSERT_TRUE(g.shown("\x1b[>")) << "no keyboard protocol";
        if (sig == SIGPIPE) {
            kill(g.player, SIGPIPE), kill(g.player, SIGXFSZ);
            g.wait(300);
            EXPECT_FALSE(strchr("ZX", g.state(g.player)));
            g.type("\x03");
            ended(g, 128 + SIGINT);
            continue;
        }
        if (sig != SIGKILL)
            kill(g.pid, SIGSTOP);
        kill(g.player, sig);
        const pid_t player = g.player;
        ASSERT_TRUE(g.pump([&] { return strchr("ZX", g.state(player)); }, 3000));
        if (sig != SIGKILL) {
            ASSERT_TRUE(g.pump([&] { return g.shown("\x1b[?1049l"); }, 3000));
            restored(g);
            kill(g.pid, SIGCONT);
        }
        ended(g, 128 + sig);
    }
}

// Under a shell with job control, stopped from anywhere and continued from anywhere: while the job
// is stopped the terminal is the shell's and the game and its guardian are both stopped; `fg`
// gives the game its terminal back, raw, repainted and answering keys.
TEST(restore, everystopandcontinueunderajobcontrolshell) {
    ptyrun g;
    ASSERT_TRUE(g.start({"bash", "--norc", "--noediting", "-i"}, "bash-"));
    g.type("d=" DROPPLE "; \"$d\"\r");
    ASSERT_TRUE(g.pump([&] { return g.shown("Dropple 5 Death"); }, 10000)) << g.out;
    const pid_t guardian = ptyrun::firstchild(g.pid), player = ptyrun::firstchild(guardian);
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
    auto idle = [] { return false; };
    for (auto& [stopname, stop] : stops)
        for (auto& [contname, cont] : continues) {
            SCOPED_TRACE(std::string(stopname) + ", then " + contname);
            stop();
            ASSERT_TRUE(g.pump([&] { return both("T"); }, 3000))
                << g.state(guardian) << g.state(player);
            g.pump(idle, 300);
            ASSERT_NO_FATAL_FAILURE(restored(g));
            cont();
            g.pump(idle, 300);
            EXPECT_TRUE(both("T")) << "one of them runs alone";
            ASSERT_NO_FATAL_FAILURE(restored(g));
            const std::size_t stopped = g.out.size();
            g.type("fg\r");
            ASSERT_TRUE(g.pump([&] { return g.shown("Dropple 5 Death", stopped); }))
                << g.out.substr(stopped);
            EXPECT_TRUE(both("RS"));
            termios raw{};
            tcgetattr(g.slave, &raw);
            EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
            g.pump(idle, 200);
            const std::size_t shown = g.out.size();
            g.type("\x1b[B");
            EXPECT_TRUE(g.pump([&] { return g.shown("color picker", shown); }, 1000))
                << "the menu did not move";
            g.type("\x1b[A");
            g.pump(idle, 200);
        }
    // Its guardian killed outright, the game gives the terminal back before the shell's prompt.
    const std::size_t playing = g.out.size();
    kill(guardian, SIGKILL);
    ASSERT_TRUE(g.pump([&] { return strchr("ZX", g.state(player)) && g.shown("bash-", playing); }));
    EXPECT_GT(g.out.rfind("bash-"), g.out.rfind("\x1b[?1049l"))
        << "the prompt is on the game's screen";
    g.type("exit 0\r");
    ended(g, 0);
}

// A terminal that stops reading, its descriptor left non-blocking by whoever started the game: the
// game waits for it asleep, not retrying, and once it reads again the picture comes back whole.
TEST(restore, aterminalthatstopsreadingcoststhegamenothing) {
    ptyrun g;
    ASSERT_TRUE(g.start({DROPPLE}));
    fcntl(g.slave, F_SETFL, fcntl(g.slave, F_GETFL) | O_NONBLOCK);
    const std::string fill(4096, 'x');
    for (int i = 0; i < 100; i++) // the terminal's buffer, full for good
        if (write(g.slave, fill.data(), fill.size()) < 0)
            usleep(10000);
    auto cpu = [&] { // clock ticks in user and system mode
        std::istringstream in(ptyrun::proc("/proc/" + std::to_string(g.player) + "/stat"));
        std::string field;
        long ticks = 0;
        for (int i = 1; i <= 15 && in >> field; i++)
            ticks += i >= 14 ? std::atol(field.c_str()) : 0;
        return ticks;
    };
    const long before = cpu();
    sleep(3);
    const double percent = 100.0 * double(cpu() - before) / double(sysconf(_SC_CLK_TCK)) / 3;
    std::printf("CPU of the game while its terminal does not read: %.1f%%\n", percent);
    EXPECT_LT(percent, 30);
    const std::size_t stalled = g.out.size();
    EXPECT_TRUE(g.pump([&] { return g.shown("Dropple 5 Death", stalled); })) << "no repaint";
    g.type("\x03");
    ended(g, 128 + SIGINT);
}

// With descriptors scarce (a limit of four), the guardian still has the terminal to give back.
TEST(restore, fewdescriptorsstillgivebacktheterminal) {
    ptyrun g;
    ASSERT_TRUE(g.start({"sh", "-c", "exec 3>&-; ulimit -n 4; exec \"$0\"", DROPPLE}));
    kill(g.player, SIGKILL);
    ended(g, 128 + SIGKILL);
}

// FIFOs where the settings and every sound belong: passed over, and Ctrl-C is heard at once. A
// terminal the game has open but that is not its controlling one: no hang-up signal comes when it
// goes, only the end of its input.
TEST(restore, fifosholdnothingupandalostterminalendsitasahangup) {
    {
        ptyrun g;
        namespace fs = std::filesystem;
        const fs::path dir = g.dir;
        ASSERT_EQ(mkfifo((dir / "savefile").c_str(), 0644), 0);
        fs::create_directory(dir / "audio");
        for (const char* name : {"go.wav", "ready.wav", "piece0.wav", "pause.wav", "gameover.wav"})
            ASSERT_EQ(mkfifo((dir / "audio" / name).c_str(), 0644), 0);
        ASSERT_TRUE(g.start({DROPPLE}));
        g.type("\x03");
        ended(g, 128 + SIGINT);
        EXPECT_TRUE(fs::is_fifo(dir / "savefile"));
    }
    ptyrun g;
    ASSERT_TRUE(g.start({DROPPLE}, "Dropple 5 Death", false));
    close(g.master);
    g.master = -1;
    ended(g, 128 + SIGHUP, false);
}

// Without a terminal at all it says so on one line and does not start.
TEST(restore, noterminalatallrefusestostart) {
    ptyrun g; // for its folder
    const int st = std::system(
        ("cd " + g.dir + " && timeout 3 setsid -w " DROPPLE " </dev/null >/dev/null 2>said")
            .c_str());
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 1) << st;
    std::ifstream f(g.dir + "/said");
    const std::string text((std::istreambuf_iterator<char>(f)), {});
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

// A game frozen from outside for about 130 ms, as a busy machine may freeze it, while keys arrive
// through a terminal that reports releases: two taps both act once it runs again, and a tap begun
// in the freeze and let go just after it acts once, though the frames that catch up run before
// its release is heard. The freeze is a debugger's stop, which the game cannot see; a stop signal
// would look like Ctrl-Z and `fg` to it.

// The stand-in's report: "name: number" lines.
long status(const std::string& path, const std::string& what) {
    std::ifstream f(path);
    std::string name;
    long value;
    while (f >> name >> value)
        if (name == what + ":")
            return value;
    return 0;
}

// Plays "Dropple 3", freezes it, sends `during` in one write, lets it run again, sends `after`
// 30 ms later and returns how far `what` moved.
long whilefrozen(const std::string& during, const std::string& after, const std::string& what) {
    ptyrun g;
    g.answer = "\x1b[?0u\x1b[?62;c";
    const std::string file = g.dir + "/report";
    g.start({STANDIN, "game", file, "4096"}, ""); // the usual auto repeat: a whole row at once
    EXPECT_TRUE(g.pump([&] { return status(file, "frames") >= 30; }, 10000)) << "no game";
    if (pid_t child = ptyrun::firstchild(g.pid); child > 0) // the guardian is there by now
        g.player = child;
    const long before = status(file, what);
    int st = 0;
    EXPECT_EQ(ptrace(PTRACE_SEIZE, g.player, nullptr, nullptr), 0);
    EXPECT_EQ(ptrace(PTRACE_INTERRUPT, g.player, nullptr, nullptr), 0);
    EXPECT_EQ(waitpid(g.player, &st, __WALL), g.player);
    EXPECT_TRUE(WIFSTOPPED(st));
    g.pump([] { return false; }, 30); // the stand-in's reporting thread is not frozen
    const long frozen = status(file, "frames");
    g.type(during.c_str());
    g.pump([] { return false; }, 100);
    EXPECT_EQ(status(file, "frames"), frozen) << "the game ran while it should be frozen";
    EXPECT_EQ(ptrace(PTRACE_DETACH, g.player, nullptr, nullptr), 0);
    g.pump([] { return false; }, 30);
    if (!after.empty())
        g.type(after.c_str());
    EXPECT_TRUE(g.pump([&] { return status(file, "frames") >= frozen + 30; }, 10000));
    return status(file, what) - before;
}

// Reports of the keyboard protocol: Up (hard drop) and Left, pressed and let go.
const std::string up = "\x1b[A", upgone = "\x1b[1;1:3A", left = "\x1b[D", leftgone = "\x1b[1;1:3D";

// Two taps of Up (hard drop) or of Left while frozen act twice; a tap of Left begun in the freeze
// and let go just after it acts once.
TEST(Stall, TapsWhileFrozenAllActOnceItRunsAgainAndATapAcrossTheEndActsOnce) {
    EXPECT_EQ(whilefrozen(up + upgone + up + upgone, "", "pieces"), 2);
    EXPECT_EQ(whilefrozen(left + leftgone + left + leftgone, "", "column"), 2);
    EXPECT_EQ(whilefrozen(left, leftgone, "column"), 1);
}

} // namespace
