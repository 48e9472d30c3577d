// The guardian sleeps in waitpid while the game runs. When the game dies of a signal it could not
// handle (SIGKILL, the out-of-memory killer) the terminal would stay raw, on the alternate screen,
// with the keyboard protocol's flags pushed; the guardian writes the game's own restore bytes and
// settings, then ends the way the game ended, so the shell sees the same status as without it.
#include "console/platform/term/guard.h"
#include "console/platform/term/output.h"
#include "console/platform/term/render.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
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
    if (a > b) {
        int t = a;
        a = b;
        b = t;
    }
    if (a > 3)
        close_range(3, static_cast<unsigned>(a - 1), 0);
    if (b > a + 1)
        close_range(static_cast<unsigned>(a + 1), static_cast<unsigned>(b - 1), 0);
    close_range(static_cast<unsigned>(b + 1), ~0u, 0);
    int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    for (int fd = 0; fd < 3 && null >= 0; fd++)
        if (fd != null)
            dup2(null, fd);
    if (null > 2)
        close(null);
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
    int tin = fcntl(in, F_DUPFD_CLOEXEC, 3);
    int tout = out == in ? tin : fcntl(out, F_DUPFD_CLOEXEC, 3);
    keeponly(tin, tout);
    for (;;) {
        int status = 0;
        if (waitpid(game, &status, WUNTRACED) < 0) {
            if (errno == EINTR)
                continue;
            status = 1 << 8; // lost track of it: give the terminal back and end as a failure
        }
        if (WIFSTOPPED(status)) {
            int sig = WSTOPSIG(status);
            sigdefault(sig);
            // Continued (fg continues the whole job): back to watching.
            if (sig != SIGSTOP)
                sighandle(sig, SIG_IGN, 0);
            continue;
        }
        // Also a game that left through a door that skips its own restore (a sanitizer's report
        // ends it with _exit) gets its terminal back.
        if (g->owned)
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
    writeall(out, bytes, n, false);
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
