// The guardian sleeps in waitpid while the game runs. When the game dies of a signal it could not
// handle (SIGKILL, the out-of-memory killer) the terminal would stay raw, on the alternate screen,
// with the keyboard protocol's flags pushed; the guardian writes the game's own restore bytes and
// settings, then ends the way the game ended, so the shell sees the same status as without it.
// Stopped the same way (SIGSTOP), the game is given its terminal back by the guardian, which then
// stops as well, or, when the whole job stopped at once, by the minder, a third process outside the
// job that nothing aimed at the job stops. The minder sleeps until something happens: its one
// child, the canary, stays in the job and does nothing, so a stop of the whole job stops it and
// wakes the minder as its parent; a pipe that only the guardian and the game write to ends when
// both are gone, and the minder's parent dying sends it a signal.
#include "platform/term/guard.h"
#include "platform/term/output.h"
#include "platform/term/render.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <initializer_list>
#include <linux/futex.h>
#include <new>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Each of the three processes keeps its own copy of what it knows of the others.
struct guardstate {
    giveback* g = nullptr;
    pid_t game = 0, guardian = 0, minder = -1, canary = -1;
    pid_t parent = 0;      // the guardian's own parent, the one that sees it stop
    int in = -1, out = -1; // the terminal
    int life = -1; // the minder's end of the pipe that ends when the guardian and the game are gone
};
guardstate st;

// Bits of `lacking`.
constexpr int noguardian = 1, nominder = 2;

// A shell or a harness signals the pid it started: passed on, the signal reaches the game, which
// restores the terminal and dies of it; the guardian then dies the same way.
void pass(int sig) {
    int e = errno;
    kill(st.game, sig);
    errno = e;
}

void say(int lack) {
    // Said before the screen is taken, so it is there to read once the game is over.
    static const char guardian[] =
        "dropple: no process left to guard the terminal: if killed, type `reset`\n";
    static const char minder[] =
        "dropple: no process left to mind the terminal: stop the game by Ctrl-Z only\n";
    if (lack & noguardian)
        writeall(STDERR_FILENO, guardian, sizeof guardian - 1, 0);
    if (lack & nominder)
        writeall(STDERR_FILENO, minder, sizeof minder - 1, 0);
}

void futexwake(volatile int* word) {
    syscall(SYS_futex, word, FUTEX_WAKE, 1, nullptr, nullptr, 0);
}

void setready(giveback* g) {
    g->ready = 1;
    futexwake(&g->ready);
}

// Nothing the game's ending waits for (a pipe to a log, a harness's descriptors) stays open here:
// only the terminal itself, which the guardian must still write to, and the pipe to the minder.
void keeponly(std::initializer_list<int> keep) {
    int sorted[4], n = 0;
    for (int fd : keep)
        if (fd >= 0 && n < 4) {
            int i = n++;
            for (; i > 0 && sorted[i - 1] > fd; i--)
                sorted[i] = sorted[i - 1];
            sorted[i] = fd;
        }
    unsigned from = 0;
    for (int i = 0; i < n; i++) {
        const unsigned fd = static_cast<unsigned>(sorted[i]);
        if (fd > from)
            close_range(from, fd - 1, 0);
        from = fd + 1;
    }
    close_range(from, ~0u, 0);
    // The standard descriptors that are not kept point nowhere, so none is reused.
    auto kept = [&](int fd) { return std::find(sorted, sorted + n, fd) != sorted + n; };
    int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    for (int fd = 0; fd < 3 && null >= 0; fd++)
        if (!kept(fd) && fd != null)
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

void letgo() {
    if (claimterminal(st.g))
        giveterminal(st.g, st.in, st.out);
    else
        settleterminal(st.g, st.in);
}

// The game's state letter from /proc, or 0 when it cannot be read; 'X' once the game is gone.
char gamestate() {
    char path[32], buf[512];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(st.game));
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 'X' : 0;
    const ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (n <= 0)
        return 'X';
    buf[n] = 0;
    const char* end = std::strrchr(buf, ')');
    return end && end[1] && end[2] ? end[2] : 0;
}

// Whether the pipe has ended: the guardian and the game are both gone. Without the pipe (no
// descriptor to spare), whether the game still runs.
bool allgone(int waitms) {
    if (st.life >= 0) {
        pollfd p{st.life, POLLIN, 0};
        return poll(&p, 1, waitms) > 0;
    }
    if (kill(st.game, 0) != 0 || gamestate() == 'Z')
        return true;
    if (waitms > 0)
        usleep(static_cast<useconds_t>(waitms) * 1000);
    return false;
}

// The guardian is gone (killed outright): the shell takes the terminal back at once, so it is given
// back here, by a process that sleeps and so wakes at once, rather than by the busy game alone. The
// game hangs up too and gives it back itself should it hold it; should its settings fail from the
// background, they are set here once it has gone.
[[noreturn]] void orphaned() {
    letgo();
    if (!allgone(0))
        kill(st.game, SIGHUP);
    for (int i = 0; i < 250 && !allgone(20); i++)
        settleterminal(st.g, st.in);
    settleterminal(st.g, st.in);
    _exit(0);
}

// Only to end the minder's wait.
void wake(int) {}

// Whether the game has settled: stopped (and the terminal given back for it), gone, or holding the
// terminal no more.
bool look() {
    // Read before the game's state: a game that comes back and takes the terminal meanwhile
    // holds it under a new number, and the claim fails.
    const sig_atomic_t seen = st.g->owned;
    const char state = gamestate();
    if (seen && state == 'T' && claimterminal(st.g, seen))
        giveterminal(st.g, st.in, st.out);
    else if (state == 'T')
        settleterminal(st.g, st.in);
    return !seen || state == 'T' || state == 'X';
}

// The canary: in the job, stopped and continued with it, doing nothing else. Whatever else is sent
// to the job (a hang-up, Ctrl-C) it ignores; it dies with the minder.
[[noreturn]] void canary(pid_t minder) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != minder)
        _exit(0);
    close_range(0, ~0u, 0);
    eachfatal([](int sig) { sighandle(sig, SIG_IGN, 0); });
    for (int sig : {SIGTSTP, SIGTTIN, SIGTTOU, SIGCONT, SIGCHLD})
        sighandle(sig, SIG_DFL, 0);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (;;)
        pause();
}

// The minder: in a session of its own, nothing aimed at the job or the terminal stops it. When the
// whole job is stopped at once (kill -STOP of the group), no handler of the game can run and the
// guardian is stopped too; the minder sees the game stopped and gives the terminal back, so the
// shell's prompt and keys work meanwhile. It ends with the guardian. Its signal handlers only wake
// it: all it does, it does in its loop, so no give-back is ever cut short by another.
[[noreturn]] void mind(int writeend) {
    close(writeend);
    const pid_t self = getpid();
    st.canary = fork();
    if (st.canary == 0)
        canary(self);
    setsid();
    eachfatal([](int sig) { sighandle(sig, SIG_DFL, 0); });
    for (int sig : {SIGTTOU, SIGTTIN, SIGTSTP, SIGPIPE, SIGXFSZ, SIGHUP, SIGINT, SIGQUIT})
        sighandle(sig, SIG_IGN, 0);
    sigset_t wakers, waiting;
    sigemptyset(&wakers);
    sigaddset(&wakers, SIGCHLD);
    sigaddset(&wakers, SIGUSR1);
    sigprocmask(SIG_BLOCK, &wakers, &waiting);
    sigdelset(&waiting, SIGCHLD);
    sigdelset(&waiting, SIGUSR1);
    sighandle(SIGCHLD, wake, 0);
    sighandle(SIGUSR1, wake, 0);
    prctl(PR_SET_PDEATHSIG, SIGUSR1);
    // Room to read the game's state however few descriptors there are.
    for (int fd = 0; fd < 3; fd++)
        if (fd != st.in && fd != st.out && fd != st.life)
            close(fd);
    setready(st.g);
    // Without a canary the game is looked at now and then; with one, only after a stop of the
    // job, until the game has stopped too or given the terminal back itself.
    bool looking = st.canary < 0;
    int looks = 0;
    for (;;) {
        if (getppid() != st.guardian || (st.life >= 0 && allgone(0)))
            orphaned();
        int status = 0;
        for (pid_t p; st.canary > 0 &&
                      (p = waitpid(st.canary, &status, WNOHANG | WUNTRACED | WCONTINUED)) > 0;) {
            if (WIFSTOPPED(status))
                looking = true, looks = 0;
            else if (WIFCONTINUED(status))
                looking = false;
            else
                st.canary = -1, looking = true;
        }
        const bool asked = st.g->asked;
        if (looking || asked) {
            if (look() && st.canary > 0)
                looking = false;
            looks++;
        }
        if (asked) {
            st.g->asked = 0;
            futexwake(&st.g->asked);
        }
        timespec soon{0, (looking && st.canary > 0 && looks < 100 ? 10 : 250) * 1000000L};
        pollfd p{st.life, POLLIN, 0};
        ppoll(&p, st.life >= 0 ? 1 : 0, looking ? &soon : nullptr, &waiting);
    }
}

// The game is stopped and it still is (a stop of the whole job continued while the guardian was
// stopped too is old news).
bool stillstopped() {
    siginfo_t si{};
    return waitid(P_PID, static_cast<id_t>(st.game), &si, WCONTINUED | WNOHANG | WNOWAIT) != 0 ||
           si.si_pid != st.game;
}

// Stops the guardian as the game stopped, so its shell sees the job stopped. Once the shell is gone
// (the terminal lost meanwhile) nobody would ever continue it, so it does not stop; and it stops by
// a signal that the system drops for a job no shell is left to continue (SIGTSTP for SIGSTOP), so
// a shell that goes at that very moment cannot leave it stopped for good.
void stopalong(int sig) {
    if (getppid() != st.parent)
        return;
    const int as = sig == SIGSTOP ? SIGTSTP : sig;
    sigdefault(as);
    sighandle(as, SIG_IGN, 0);
}

// The minder looks at the stopped game and gives the terminal back for it, while the guardian
// waits: whether it did. Without a minder, or one too slow to answer, the guardian does it itself.
bool minded() {
    if (st.minder <= 0 || !st.g->ready || (st.g->lacking & nominder))
        return false;
    st.g->asked = 1;
    if (kill(st.minder, SIGUSR1) != 0)
        return st.g->asked = 0, false;
    for (int i = 0; i < 40 && st.g->asked; i++) {
        timespec slice{0, 50000000};
        syscall(SYS_futex, &st.g->asked, FUTEX_WAIT, 1, &slice, nullptr, 0);
    }
    return !st.g->asked;
}

[[noreturn]] void endas(int status) {
    // Also a game that left through a door that skips its own restore (a sanitizer's report
    // ends it with _exit) gets its terminal back. Then the minder ends, and is reaped.
    letgo();
    if (st.minder > 0)
        kill(st.minder, SIGKILL);
    while (st.minder > 0 && waitpid(st.minder, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        _exit(WEXITSTATUS(status));
    int sig = WTERMSIG(status);
    // The game's core file, if any, is the one worth keeping.
    rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
    sigdefault(sig);
    _exit(128 + sig);
}

[[noreturn]] void watch(int life[2]) {
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
    st.parent = getppid();
    st.guardian = getpid();
    st.in = keep(st.in);
    st.out = st.out == st.in ? st.in : keep(st.out);
    keeponly({st.in, st.out, life[0], life[1]});
    st.life = life[0];
    st.minder = fork();
    if (st.minder == 0)
        mind(life[1]);
    if (life[0] >= 0)
        close(life[0]);
    st.life = -1;
    if (st.minder < 0) {
        st.g->lacking = st.g->lacking | nominder;
        setready(st.g);
    }
    for (;;) {
        int status = 0;
        const pid_t p = waitpid(-1, &status, WUNTRACED | WCONTINUED);
        if (p < 0 && errno == EINTR)
            continue;
        if (p > 0 && p != st.game) {
            // The minder gone before its time is reaped now, and the game is not held up for it.
            if (p == st.minder && (WIFEXITED(status) || WIFSIGNALED(status))) {
                st.minder = -1;
                if (!st.g->ready) {
                    st.g->lacking = st.g->lacking | nominder;
                    setready(st.g);
                }
            }
            continue;
        }
        if (p < 0)
            endas(1 << 8); // lost track of the game: give the terminal back and end as a failure
        if (WIFCONTINUED(status))
            continue;
        if (!WIFSTOPPED(status))
            endas(status);
        // The game gives the terminal back itself when it can (Ctrl-Z); stopped outright it
        // cannot, and the guardian does it on its behalf. Then the guardian stops too, so the
        // shell sees the job stopped, and passes on whatever continues it.
        const sig_atomic_t seen = st.g->owned;
        if (!stillstopped())
            continue;
        if (!minded()) {
            if (seen && claimterminal(st.g, seen))
                giveterminal(st.g, st.in, st.out);
            else
                settleterminal(st.g, st.in);
        }
        stopalong(WSTOPSIG(status));
        kill(st.game, SIGCONT);
    }
}

} // namespace

bool claimterminal(giveback* g, sig_atomic_t seen) {
    for (;;) {
        const sig_atomic_t now = g->owned;
        if (now == 0 || (seen != 0 && now != seen))
            return false;
        if (__sync_bool_compare_and_swap(&g->owned, now, 0)) {
            g->unsettled = g->havetermios;
            // A write of the picture that began before the claim ends first: a game's write never
            // waits, so this is short, but one killed or stopped outright midway is not waited for.
            for (int i = 0; i < 100 && g->drawing; i++) {
                timespec slice{0, 1000000};
                nanosleep(&slice, nullptr);
            }
            return true;
        }
    }
}

sig_atomic_t nexttake(const giveback* g) {
    static sig_atomic_t last = 0;
    last = last % 1000000 + 1;
    if (last == g->owned)
        last = last % 1000000 + 1;
    return last;
}

void giveterminal(giveback* g, int in, int out) {
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
    settleterminal(g, in);
}

void settleterminal(giveback* g, int in) {
    if (!__sync_bool_compare_and_swap(&g->unsettled, 1, 0))
        return;
    // The shell may have taken the terminal back already, and the group been left without one;
    // a process that holds SIGTTOU back may still set the settings from the background.
    sigset_t ttou, old;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &ttou, &old);
    if (tcsetattr(in, TCSANOW, &g->saved) != 0)
        g->unsettled = 1;
    sigprocmask(SIG_SETMASK, &old, nullptr);
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
    if (m == MAP_FAILED) {
        say(noguardian);
        return &alone;
    }
    giveback* g = new (m) giveback{};
    // Its read end is the minder's; the guardian and the game hold the write end.
    int life[2] = {-1, -1};
    if (pipe2(life, O_CLOEXEC) != 0)
        life[0] = life[1] = -1;
    const pid_t guardian = getpid();
    pid_t child = fork();
    if (child < 0) {
        for (int fd : life)
            if (fd >= 0)
                close(fd);
        munmap(m, sizeof(giveback));
        say(noguardian);
        return &alone;
    }
    if (child > 0) {
        st.g = g, st.game = child, st.in = in, st.out = out;
        watch(life);
    }
    // Should the guardian itself be killed, the game hangs up as on a lost terminal, giving the
    // terminal back itself rather than playing on with no one to mind it.
    prctl(PR_SET_PDEATHSIG, SIGHUP);
    if (life[0] >= 0)
        close(life[0]);
    if (getppid() != guardian)
        raise(SIGHUP);
    // The guardian has its minder (or knows it cannot) within moments; should it not say, the
    // game goes on after a while regardless.
    for (int i = 0; i < 40 && !g->ready && getppid() == guardian; i++) {
        timespec slice{0, 50000000};
        syscall(SYS_futex, &g->ready, FUTEX_WAIT, 0, &slice, nullptr, 0);
    }
    say(g->lacking);
    return g;
}
