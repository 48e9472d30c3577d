#!/usr/bin/env python3
"""Start-up of the game in a pseudo-terminal of 80 x 25, as the player sees it.

First the time from fork to the first byte the program writes, for each game given and for each
other terminal program given with --peer (for example another game of the distribution from
/usr/games, to see how the game's start compares), run in turn so a change in the machine's load
falls on all of them alike. Then, for the first game given, the time from exec to the main menu fully drawn:
with the machine's own sound output, with SDL's dummy driver, and with no sound device at all.

Usage: startup.py PATH/TO/dropple [PATH/TO/another/dropple ...] [--peer PROGRAM ...] [--runs N]
(20 runs by default).
A game runs in the folder that holds it (where the build put the audio folder). The
pseudo-terminal answers the device-attributes query the way a plain terminal does, so the figure is
the game's own start-up, not a wait for a silent terminal. The menu counts as drawn when the frame
that shows "quit" has arrived whole.
"""
import fcntl, os, pty, select, signal, statistics, struct, sys, tempfile, termios, time

SYNCOFF = b"\x1b[?2026l"


def once(exe, env, cwd, until):
    """Runs exe on a fresh pseudo-terminal until until(bytes so far) holds; returns the seconds
    from fork to then, or None."""
    start = time.perf_counter()
    pid, fd = pty.fork()
    if pid == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
        os.chdir(cwd)
        os.execve(exe, [exe], env)
    seen = b""
    took = None
    deadline = start + 5
    while time.perf_counter() < deadline:
        r, _, _ = select.select([fd], [], [], 0.05)
        if not r:
            continue
        try:
            data = os.read(fd, 65536)
        except OSError:
            break
        seen += data
        if b"\x1b[c" in data or b"\x1b[0c" in data:
            os.write(fd, b"\x1b[?62;22c")
        if until(seen):
            took = time.perf_counter() - start
            break
    os.kill(pid, signal.SIGTERM)
    for _ in range(100):
        if os.waitpid(pid, os.WNOHANG)[0]:
            break
        time.sleep(0.01)
    else:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
    os.close(fd)
    return took


def figures(label, times, goal=""):
    ok = sorted(t * 1000 for t in times if t is not None)
    if not ok:
        print(f"{label:<24} never got there")
        return False
    print(f"{label:<24} {len(ok):2} runs: median {statistics.median(ok):6.1f} ms, "
          f"min {min(ok):6.1f}, max {max(ok):6.1f}{goal}")
    return len(ok) == len(times)


def basenv(**extra):
    env = dict(os.environ)
    env.pop("SDL_AUDIODRIVER", None)
    if env.get("TERM") in (None, "", "dumb"):
        env["TERM"] = "xterm-256color"
    env.update(extra)
    return env


def firstbytes(games, peers, runs):
    """Fork to first byte, every program once per round."""
    home = tempfile.mkdtemp()
    missing = [p for p in peers if not os.access(p, os.X_OK)]
    peers = [p for p in peers if p not in missing]
    progs = [(os.path.abspath(g), os.path.dirname(os.path.abspath(g)), g) for g in games]
    progs += [(p, home, os.path.basename(p)) for p in peers]
    peers = [os.path.basename(p) for p in peers]
    env = basenv(HOME=home, XDG_DATA_HOME=home)
    times = {label: [] for _, _, label in progs}
    for _ in range(runs):
        for exe, cwd, label in progs:
            times[label].append(once(exe, env, cwd, lambda seen: len(seen) > 0))
    print("fork to first byte:")
    for _, _, label in progs:
        figures("  " + label, times[label])
    if missing:
        print("  (not installed: " + ", ".join(missing) + ")")
    slowest = max((statistics.median(t for t in times[p] if t is not None) for p in peers
                   if any(times[p])), default=None)
    return slowest, times


def menu(exe, runs, label, **extra):
    exe = os.path.abspath(exe)
    drawn = lambda seen: seen.find(b"quit") >= 0 and seen.find(SYNCOFF, seen.find(b"quit")) >= 0
    times = [once(exe, basenv(**extra), os.path.dirname(exe), drawn) for _ in range(runs)]
    return figures("  " + label, times, " (target max under 50 ms)")


def hasdevice():
    return os.path.exists("/dev/snd") or "PULSE_SERVER" in os.environ or os.path.exists(
        f"/run/user/{os.getuid()}/pulse") or os.path.exists(f"/run/user/{os.getuid()}/pipewire-0")


def main():
    args = sys.argv[1:]
    runs = 20
    if "--runs" in args:
        at = args.index("--runs")
        runs = int(args[at + 1])
        del args[at:at + 2]
    peers = []
    while "--peer" in args:
        at = args.index("--peer")
        peers.append(args[at + 1])
        del args[at:at + 2]
    if not args:
        print(__doc__)
        return 2
    with open("/proc/loadavg") as f:
        print("load average " + " ".join(f.read().split()[:3]))
    slowest, _ = firstbytes(args, peers, runs)
    if slowest is not None:
        print(f"  slowest of the other games: {slowest * 1000:.1f} ms")
    exe = args[0]
    print(f"exec to menu drawn ({exe}):")
    good = True
    if hasdevice():
        good &= menu(exe, runs, "machine's sound")
        # ALSA told to use a card that is not there fails the way a machine without sound does.
        good &= menu(exe, runs, "no device (forced)", SDL_AUDIODRIVER="alsa", AUDIODEV="hw:99")
    else:
        good &= menu(exe, runs, "no sound device")
    good &= menu(exe, runs, "SDL dummy driver", SDL_AUDIODRIVER="dummy")
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
