# Figures of the web page in headless Chromium: what the first load transfers (each file as a web
# server that compresses sends it, gzip at its default level), when the menu is drawn after the
# page is asked for, the frame rate the game keeps, and what the renderer process costs on the
# idle menu.
# Usage: /usr/bin/python3 bench/webpage.py build-web/page [SECONDS]
import gzip
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'web'))
from browser import Browser, serve, until  # noqa: E402

page = sys.argv[1]
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
total = 0
for name in ('index.html', 'dropple.js', 'dropple.wasm'):
    with open(os.path.join(page, name), 'rb') as f:
        raw = f.read()
    packed = len(gzip.compress(raw))
    total += packed
    print('%-13s %8d bytes, %7d compressed' % (name, len(raw), packed))
print('first load    %8.0f KB compressed' % (total / 1024))

server, url = serve(page)
b = Browser()


def renderers(browser):
    """The browser's processes that render pages: its descendants of the renderer type."""
    parent = {}
    for p in os.listdir('/proc'):
        try:
            with open('/proc/%s/stat' % p) as f:
                parent[int(p)] = int(f.read().rsplit(')', 1)[1].split()[1])
        except (OSError, ValueError):
            pass
    found = []
    for p in parent:
        q = p
        while q in parent and q != browser.proc.pid:
            q = parent[q]
        try:
            with open('/proc/%d/cmdline' % p) as f:
                if q == browser.proc.pid and '--type=renderer' in f.read():
                    found.append(p)
        except OSError:
            pass
    return found


def cpu(pids):
    """Processor time of the processes so far, in seconds."""
    ticks = 0
    for p in pids:
        with open('/proc/%d/stat' % p) as f:
            fields = f.read().rsplit(')', 1)[1].split()
        ticks += int(fields[11]) + int(fields[12])
    return ticks / os.sysconf('SC_CLK_TCK')


try:
    shown = []
    for run in range(3):
        b.go(url + '?run=%d' % run)
        until(lambda: b.eval("window.dropple !== undefined && dropple.rows()[8].startsWith('Dropple 3')"))
        shown.append(b.eval('dropple.firstshown'))
    print('menu drawn    %s ms after navigation (three loads)' % ', '.join('%.0f' % s for s in shown))
    time.sleep(1)
    pids = renderers(b)
    f0, t0, c0 = b.eval('[dropple.frame(), performance.now()]') + [cpu(pids)]
    w0 = time.monotonic()
    time.sleep(seconds)
    f1, t1 = b.eval('[dropple.frame(), performance.now()]')
    c1, w1 = cpu(pids), time.monotonic()
    print('frame rate    %.3f frames/s over %.0f s' % ((f1 - f0) * 1000 / (t1 - t0), seconds))
    print('idle menu     %.1f %% of a core (renderer process)' % (100 * (c1 - c0) / (w1 - w0)))
    print('load          %s' % open('/proc/loadavg').read().strip())
finally:
    b.close()
    server.shutdown()
