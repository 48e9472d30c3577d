// The guardian sleeps in waitpid while the game runs. When the game dies of a signal it could not
// handle (SIGKILL, the out-of-memory killer) the terminal would stay raw, on the alternate screen,
// with the keyboard protocol's flags pushed; the guardian writes the game's own restore bytes and
// settings, then ends the way the game ended, so the shell sees the same status as without it.
// Stopped the same way (SIGSTOP), the game is given its terminal back by the guardian, which then
// stops as well, or, when the whole job stopped at once, by the minder, a third process outside the
// job that nothing aimed at the job stops.
#include "platform/term/guard.h"
#include "platform/term/output.h"
#include "platform/term/render.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <initializer_list>
#include <new>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

volatile pid_t game = 0;

// A shell or a harness signals the pid it started: passed on, the signal reaches the game, which
// restores the terminal and dies of it; the guardian then dies the same way.
void pass(int sig) {
    int e = errno;
    kill(game, sig);
    errno = e;
}

// Nothing the game's ending waits for (a pipe to a log, a harness's descriptors) stays open here:
// only the terminal itself, which the guardian must still write to.
void keeponly(int a, int b) {
    for (int fd = 0; fd < 3; fd++)
        if (fd != a && fd != b)
            close(fd);
    int lo = a < b ? a : b, hi = a < b ? b : a;
    if (lo > 3)
        close_range(3, static_cast<unsigned>(lo - 1), 0);
    if (hi > lo + 1)
        close_range(static_cast<unsigned>(lo > 2 ? lo + 1 : 3), static_cast<unsigned>(hi - 1), 0);
    close_range(static_cast<unsigned>(hi > 2 ? hi + 1 : 3), ~0u, 0);
    // The standard descriptors that are not the terminal point nowhere, so none is reused.
    int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    for (int fd = 0; fd < 3 && null >= 0; fd++)
        if (fd != a && fd != b && fd != null)
            dup2(null, fd);
    if (null > 2)
        close(null);
}

// A copy of the terminal's descriptor out of the standard range; where descriptors have run out
// (a low limit), the one there is serves.
int keep(int fd) {
    int c = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    return c < 0 ? fd : c;
}

giveback* minded = nullptr;
int mindin = -1, mindout = -1;

// The guardian was killed outright: the shell takes the terminal back at once, so it is given back
// here, by a process that sleeps and so wakes at once, rather than by the busy game alone.
void orphaned(int) {
    if (claimterminal(minded))
        giveterminal(minded, mindin, mindout);
    kill(game, SIGHUP);
    _exit(0);
}

// The minder: outside the game's process group, it is not stopped with it. When the whole job is
// stopped at once (kill -STOP of the group), no handler of the game can run and the guardian is
// stopped too; the minder sees the game stopped and gives the terminal back, so the shell's
// prompt and keys work meanwhile. It ends with the guardian.
[[noreturn]] void mind(giveback* g, pid_t guardian, int in, int out, int life) {
    setpgid(0, 0);
    minded = g, mindin = in, mindout = out;
    eachfatal([](int sig) { sighandle(sig, SIG_DFL, 0); });
    for (int sig : {SIGTTOU, SIGTTIN, SIGTSTP, SIGPIPE, SIGXFSZ, SIGHUP, SIGINT, SIGQUIT})
        sighandle(sig, SIG_IGN, 0);
    sighandle(SIGUSR1, orphaned, 0);
    prctl(PR_SET_PDEATHSIG, SIGUSR1);
    if (getppid() != guardian)
        orphaned(SIGUSR1);
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(game));
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    for (char buf[512];;) {
        // Read before the game's state: a game that comes back and takes the terminal meanwhile
        // holds it under a new number, and the claim fails.
        const sig_atomic_t seen = g->owned;
        const ssize_t n = fd < 0 ? -1 : pread(fd, buf, sizeof buf - 1, 0);
        if (n <= 0)
            _exit(0);
        buf[n] = 0;
        const char* end = std::strrchr(buf, ')');
        if (seen && end && end[1] && end[2] == 'T' && claimterminal(g, seen))
            giveterminal(g, in, out);
        pollfd p{life, POLLIN, 0};
        if (poll(&p, 1, 5) > 0)
            orphaned(SIGUSR1);
    }
}

// The game is stopped and it still is (a stop of the whole job continued while the guardian was
// stopped too is old news).
bool stillstopped() {
    siginfo_t si{};
    return waitid(P_PID, static_cast<id_t>(game), &si, WCONTINUED | WNOHANG | WNOWAIT) != 0 ||
           si.si_pid != game;
}

[[noreturn]] void watch(giveback* g, int in, int out) {
    // Signals ignored from the start stay ignored, in the game too.
    eachfatal([](int sig) {
        struct sigaction now {};
        if (sigaction(sig, nullptr, &now) == 0 && now.sa_handler != SIG_IGN)
            sighandle(sig, pass, SA_RESTART | SA_RESETHAND);
    });
    // The game stops the whole job for Ctrl-Z; the guardian stops only once the game has
    // stopped (after it has given the terminal back), so the shell never takes the terminal
    // from under a game still writing to it. A write or settings change from the background
    // must not stop the guardian either.
    sighandle(SIGTSTP, SIG_IGN, 0);
    sighandle(SIGTTOU, SIG_IGN, 0);
    sighandle(SIGTTIN, SIG_IGN, 0);
    sighandle(SIGPIPE, SIG_IGN, 0);
    sighandle(SIGXFSZ, SIG_IGN, 0);
    // An ignored SIGCHLD inherited from whoever started us would take the game's status away.
    sighandle(SIGCHLD, SIG_DFL, 0);
    int tin = keep(in);
    int tout = out == in ? tin : keep(out);
    keeponly(tin, tout);
    const pid_t guardian = getpid();
    // The guardian's end of this pipe closes as it dies, a moment before its shell hears of it.
    int life[2] = {-1, -1};
    if (pipe2(life, O_CLOEXEC) != 0)
        life[0] = life[1] = -1;
    const pid_t minder = fork();
    if (minder == 0) {
        close(life[1]);
        mind(g, guardian, tin, tout, life[0]);
    }
    close(life[0]);
    for (;;) {
        int status = 0;
        if (waitpid(game, &status, WUNTRACED | WCONTINUED) < 0) {
            if (errno == EINTR)
                continue;
            status = 1 << 8; // lost track of it: give the terminal back and end as a failure
        }
        if (WIFCONTINUED(status))
            continue;
        if (WIFSTOPPED(status)) {
            // The game gives the terminal back itself when it can (Ctrl-Z); stopped outright it
            // cannot, and the guardian does it on its behalf. Then the guardian stops too, so the
            // shell sees the job stopped, and passes on whatever continues it.
            const sig_atomic_t seen = g->owned;
            if (!stillstopped())
                continue;
            if (seen && claimterminal(g, seen))
                giveterminal(g, tin, tout);
            int sig = WSTOPSIG(status);
            sigdefault(sig);
            if (sig != SIGSTOP)
                sighandle(sig, SIG_IGN, 0);
            kill(game, SIGCONT);
            continue;
        }
        if (minder > 0)
            kill(minder, SIGKILL);
        // Also a game that left through a door that skips its own restore (a sanitizer's report
        // ends it with _exit) gets its terminal back.
        if (claimterminal(g))
            giveterminal(g, tin, tout);
        if (WIFEXITED(status))
            _exit(WEXITSTATUS(status));
        int sig = WTERMSIG(status);
        // The game's core file, if any, is the one worth keeping.
        rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        sigdefault(sig);
        _exit(128 + sig);
    }
}

} // namespace

bool claimterminal(giveback* g, sig_atomic_t seen) {
    for (;;) {
        const sig_atomic_t now = g->owned;
        if (now == 0 || (seen != 0 && now != seen))
            return false;
        if (__sync_bool_compare_and_swap(&g->owned, now, 0))
            return true;
    }
}

sig_atomic_t nexttake(const giveback* g) {
    static sig_atomic_t last = 0;
    last = last % 1000000 + 1;
    if (last == g->owned)
        last = last % 1000000 + 1;
    return last;
}

void giveterminal(const giveback* g, int in, int out) {
    // A frame cut short may have left an escape sequence open, which CAN ends, and a synchronized
    // update that would hold the picture back; a terminal with none open is not told to end one.
    char bytes[1 + sizeof syncoff + sizeof g->leave];
    std::size_t n = 0;
    bytes[n++] = '\x18';
    for (std::size_t i = 0; g->syncing && i < sizeof syncoff - 1; i++)
        bytes[n++] = syncoff[i];
    for (std::size_t i = 0; i < g->leavelen; i++)
        bytes[n++] = g->leave[i];
    writeall(out, bytes, n, 0);
    if (g->havetermios)
        tcsetattr(in, TCSANOW, &g->saved);
}

void sighandle(int sig, void (*handler)(int), int flags) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sa.sa_flags = flags;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
}

void sigdefault(int sig) {
    sighandle(sig, SIG_DFL, 0);
    sigset_t s;
    sigemptyset(&s);
    sigaddset(&s, sig);
    sigprocmask(SIG_UNBLOCK, &s, nullptr);
    raise(sig);
}

giveback* guardstart(int in, int out) {
    static giveback alone;
    void* m =
        mmap(nullptr, sizeof(giveback), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED)
        return &alone;
    giveback* g = new (m) giveback{};
    const pid_t guardian = getpid();
    pid_t child = fork();
    if (child < 0) {
        munmap(m, sizeof(giveback));
        return &alone;
    }
    if (child > 0) {
        game = child;
        watch(g, in, out);
    }
    // Should the guardian itself be killed, the game hangs up as on a lost terminal, giving the
    // terminal back itself rather than playing on with no one to mind it.
    prctl(PR_SET_PDEATHSIG, SIGHUP);
    if (getppid() != guardian)
        raise(SIGHUP);
    return g;
}
