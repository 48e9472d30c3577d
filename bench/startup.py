#!/usr/bin/env python3
"""Time from exec to the main menu fully drawn, in a pseudo-terminal of 80 x 25, as the player sees
it: with the machine's own sound output, with SDL's dummy driver, and with no sound device at all.

Usage: startup.py PATH/TO/dropple [runs]. The game runs in the folder that holds it (where the
build put the audio folder). The pseudo-terminal answers the device-attributes query the way a
plain terminal does, so the figure is the game's own start-up, not a wait for a silent terminal.
The menu counts as drawn when the frame that shows "quit" has arrived whole.
"""
import fcntl, os, pty, select, signal, statistics, struct, sys, termios, time

SYNCOFF = b"\x1b[?2026l"


def once(exe, env):
    exe = os.path.abspath(exe)
    start = time.perf_counter()
    pid, fd = pty.fork()
    if pid == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
        os.chdir(os.path.dirname(exe))
        os.execve(exe, [exe], env)
    seen = b""
    drawn = None
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
        at = seen.find(b"quit")
        if at >= 0 and seen.find(SYNCOFF, at) >= 0:
            drawn = time.perf_counter() - start
            break
    os.kill(pid, signal.SIGTERM)
    os.waitpid(pid, 0)
    os.close(fd)
    return drawn


def series(exe, runs, label, **extra):
    env = dict(os.environ)
    env.pop("SDL_AUDIODRIVER", None)
    env.update(extra)
    times = [once(exe, env) for _ in range(runs)]
    ok = sorted(t * 1000 for t in times if t is not None)
    if not ok:
        print(f"{label:<22} the menu never appeared")
        return False
    print(f"{label:<22} exec to menu drawn over {len(ok)} runs: median {statistics.median(ok):6.1f} "
          f"ms, max {max(ok):6.1f} ms, min {min(ok):6.1f} ms (target max under 50 ms)")
    return len(ok) == runs


def hasdevice():
    return os.path.exists("/dev/snd") or "PULSE_SERVER" in os.environ or os.path.exists(
        f"/run/user/{os.getuid()}/pulse") or os.path.exists(f"/run/user/{os.getuid()}/pipewire-0")


def main():
    exe = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    with open("/proc/loadavg") as f:
        print("load average " + " ".join(f.read().split()[:3]))
    good = True
    if hasdevice():
        good &= series(exe, runs, "machine's sound")
        # ALSA told to use a card that is not there fails the way a machine without sound does.
        good &= series(exe, runs, "no device (forced)", SDL_AUDIODRIVER="alsa", AUDIODEV="hw:99")
    else:
        good &= series(exe, runs, "no sound device")
    good &= series(exe, runs, "SDL dummy driver", SDL_AUDIODRIVER="dummy")
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
