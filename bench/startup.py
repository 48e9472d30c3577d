#!/usr/bin/env python3
"""Time from process start to the first presented frame of the real game, in a pseudo-terminal.

Usage: startup.py PATH/TO/dropple [runs]. The game runs in the folder that holds it (where the
build put the audio folder). The pseudo-terminal answers the device-attributes query the way a
plain terminal does, so the figure is the game's own start-up, not a wait for a silent terminal.
"""
import os, pty, select, signal, statistics, sys, time

def once(exe):
    start = time.perf_counter()
    exe = os.path.abspath(exe)
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(os.path.dirname(os.path.abspath(exe)))
        os.execv(exe, [exe])
    seen = b""
    first = None
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
        if b"quit" in seen:
            first = time.perf_counter() - start
            break
    os.kill(pid, signal.SIGTERM)
    os.waitpid(pid, 0)
    os.close(fd)
    return first

def main():
    exe = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    times = [once(exe) for _ in range(runs)]
    ok = [t * 1000 for t in times if t is not None]
    if not ok:
        print("the menu never appeared")
        return 1
    print(f"start-up to first frame over {len(ok)} runs: median {statistics.median(ok):.1f} ms, "
          f"min {min(ok):.1f} ms, max {max(ok):.1f} ms (target under 150 ms)")
    return 0

if __name__ == "__main__":
    sys.exit(main())
