// The real game started by a plain `sh -c` in a pseudo-terminal of the test's own: however it
// ends (the menu, keys, any signal, SIGKILL, its terminal gone) the terminal's settings are as
// they were, and the bytes the game wrote leave no mode of its own switched on.
#include "ptyrun.h"

#include <cstdio>
#include <functional>
#include <sstream>
#include <sys/stat.h>

namespace {

// Each way out, and the status the shell sees.
TEST(restore, everywayoutgivesbacktheterminal) {
    const std::tuple<const char*, int, int> ends[] = {
        {"quit from the menu", 0, 0}, {"Ctrl-C", 0, 130},        {"SIGTERM", SIGTERM, 143},
        {"SIGHUP", SIGHUP, 129},      {"SIGSEGV", SIGSEGV, 139},
    };
    for (auto [name, sig, status] : ends) {
        SCOPED_TRACE(name);
        ptyrun g;
        ASSERT_NO_FATAL_FAILURE(g.start({DROPPLE}));
        if (sig)
            kill(g.pid, sig);
        else
            g.type(status ? "\x03" : "\r");
        g.ended(status);
    }
}

// Stopped, the terminal is the player's; resized and continued, the game takes it again and
// repaints the menu whole; then it quits cleanly.
TEST(restore, ctrlzthenfgthenquit) {
    ptyrun g;
    ASSERT_NO_FATAL_FAILURE(g.start({DROPPLE}));
    g.type("\x1a");
    ASSERT_TRUE(g.pump([&] { return g.state(g.pid) == 'T'; })) << "Ctrl-Z did not stop it";
    g.pump([] { return false; }, 100);
    g.restored();
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
    g.ended(0);
}

// Under a shell with job control, stopped from anywhere and continued from anywhere: while the job
// is stopped the terminal is the shell's and the game and its guardian are both stopped; `fg`
// gives the game its terminal back, raw, repainted and answering keys.
TEST(restore, everystopandcontinueunderajobcontrolshell) {
    ptyrun g;
    ASSERT_NO_FATAL_FAILURE(g.start({"bash", "--norc", "--noediting", "-i"}, "bash-"));
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
            ASSERT_NO_FATAL_FAILURE(g.restored());
            cont();
            g.pump(idle, 300);
            EXPECT_TRUE(both("T")) << "one of them runs alone";
            ASSERT_NO_FATAL_FAILURE(g.restored());
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
    g.ended(0);
}

// On a terminal with the keyboard protocol, every signal that ends the game is handled by the game
// itself: its guardian is held stopped until the game is gone, then dies of the same signal. Killed
// outright, the guardian gives the terminal back; broken pipes and file size limits end nothing.
TEST(restore, everysignalgivesbacktheterminal) {
    for (int sig : {SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGSYS, SIGTRAP, SIGSTKFLT,
                    SIGPWR, SIGIO, SIGXCPU, SIGRTMIN, SIGRTMAX, SIGTERM, SIGKILL, SIGPIPE}) {
        SCOPED_TRACE(strsignal(sig));
        ptyrun g;
        g.answer = "\x1b[?1u\x1b[?62c";
        ASSERT_NO_FATAL_FAILURE(g.start({DROPPLE}));
        ASSERT_TRUE(g.shown("\x1b[>")) << "no keyboard protocol";
        if (sig == SIGPIPE) {
            kill(g.player, SIGPIPE), kill(g.player, SIGXFSZ);
            g.pump([] { return false; }, 300);
            EXPECT_FALSE(strchr("ZX", g.state(g.player)));
            g.type("\x03");
            g.ended(128 + SIGINT);
            continue;
        }
        if (sig != SIGKILL)
            kill(g.pid, SIGSTOP);
        kill(g.player, sig);
        const pid_t player = g.player;
        ASSERT_TRUE(g.pump([&] { return strchr("ZX", g.state(player)); }, 3000));
        if (sig != SIGKILL) {
            ASSERT_TRUE(g.pump([&] { return g.shown("\x1b[?1049l"); }, 3000));
            g.restored();
            kill(g.pid, SIGCONT);
        }
        g.ended(128 + sig);
    }
}

// A terminal that stops reading, its descriptor left non-blocking by whoever started the game: the
// game waits for it asleep, not retrying, and once it reads again the picture comes back whole.
TEST(restore, aterminalthatstopsreadingcoststhegamenothing) {
    ptyrun g;
    ASSERT_NO_FATAL_FAILURE(g.start({DROPPLE}));
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
    g.ended(128 + SIGINT);
}

// With descriptors scarce (a limit of four), the guardian still has the terminal to give back.
TEST(restore, fewdescriptorsstillgivebacktheterminal) {
    ptyrun g;
    ASSERT_NO_FATAL_FAILURE(g.start({"sh", "-c", "exec 3>&-; ulimit -n 4; exec \"$0\"", DROPPLE}));
    kill(g.player, SIGKILL);
    g.ended(128 + SIGKILL);
}

// FIFOs where the settings and every sound belong: passed over, and Ctrl-C is heard at once.
TEST(restore, fifosinplaceofitsfilesholdnothingup) {
    ptyrun g;
    namespace fs = std::filesystem;
    const fs::path dir = g.dir;
    ASSERT_EQ(mkfifo((dir / "savefile").c_str(), 0644), 0);
    fs::create_directory(dir / "audio");
    for (const char* name : {"go.wav", "ready.wav", "piece0.wav", "pause.wav", "gameover.wav"})
        ASSERT_EQ(mkfifo((dir / "audio" / name).c_str(), 0644), 0);
    ASSERT_NO_FATAL_FAILURE(g.start({DROPPLE}));
    g.type("\x03");
    g.ended(128 + SIGINT);
    EXPECT_TRUE(fs::is_fifo(dir / "savefile"));
}

// A terminal the game has open but that is not its controlling one: no hang-up signal comes when
// it goes, only the end of its input.
TEST(restore, alostterminalendsitasahangup) {
    ptyrun g;
    ASSERT_NO_FATAL_FAILURE(g.start({DROPPLE}, "Dropple 5 Death", false));
    close(g.master);
    g.master = -1;
    g.ended(128 + SIGHUP, false);
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

} // namespace
