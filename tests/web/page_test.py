# The game as a web page in headless Chromium, with real key events through the DevTools protocol
# and the screen read back from the page's copy of the cells: the menu shows, the settings the
# game keeps in the browser's storage survive a reload, a tap moves the piece one column, a held
# key slides after the delayed auto shift and stops on release or when the page loses the focus, a
# hidden page stops and comes back without a burst of frames, left Shift holds the piece, a game
# played to its end leaves a replay that the native program checks to the same end and the page
# plays back to the same end, and a page without storage still plays and says so.
# Usage: page_test.py PAGEFOLDER NATIVEDROPPLE
import subprocess
import sys
import tempfile
import time

from browser import Browser, serve, until

page, native = sys.argv[1], sys.argv[2]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print('FAIL:', what)


server, url = serve(page)
b = Browser()

def key(code, down):
    """A real key event, as the keyboard would send it (the page goes by its code)."""
    b.call('Input.dispatchKeyEvent', type='rawKeyDown' if down else 'keyUp', code=code,
           key='Shift' if code == 'ShiftLeft' else code)


def frames(n):
    f = b.eval('dropple.frame()')
    until(lambda: b.eval('dropple.frame()') >= f + n)


def tap(code, after=3):
    key(code, True)
    key(code, False)
    frames(after)


def rows():
    return b.eval('dropple.rows()')


def ghost(screen):
    """The leftmost column of the falling piece's ghost in the well, None when there is none."""
    return min((x for line in screen for x in range(30, 50) if line[x] == '\u00b1'), default=None)


def load():
    b.go(url + '?trace')
    until(lambda: b.eval("window.dropple !== undefined && dropple.rows()[8].startsWith('Dropple 3')"))


def newgame():
    # The fourth mode's row is eight rows below the first.
    for _ in range(8):
        tap('ArrowDown')
    tap('Enter')
    return until(lambda: ghost(rows()))


def stored(name):
    """A file as the browser's storage holds it, as bytes; None when it is not there."""
    s = b.eval("localStorage.getItem('dropple:%s')" % name)
    return None if s is None else bytes(ord(c) for c in s)


try:
    load()

    # Settings: the game makes its file in the storage; a slower auto repeat written there (a column
    # every 16 frames, so each step of a held key shows) is the one the game plays with after a
    # reload, and the game leaves it as it was.
    settings = until(lambda: stored('savefile'))
    check(len(settings) == 138, 'the settings kept in the storage are %d bytes' % len(settings))
    slow = settings[:106] + bytes([16, 0, 0, 0]) + settings[110:]
    b.eval("localStorage.setItem('dropple:savefile', %r)" % ''.join(map(chr, slow)))
    load()
    check(stored('savefile') == slow, 'the settings changed over a reload')

    # A hidden page runs no frames, and shown again it goes on at its pace, with no burst of the
    # frames it missed.
    def visible(shown):
        b.eval("Object.defineProperty(document, 'hidden', {configurable: true, get: () => %s});"
               "document.dispatchEvent(new Event('visibilitychange'))" % ('false' if shown else 'true'))
    visible(False)
    f = b.eval('dropple.frame()')
    time.sleep(1)
    check(b.eval('dropple.frame()') <= f + 1, 'a hidden page ran %d frames in a second' % (b.eval('dropple.frame()') - f))
    visible(True)
    f0, t0 = b.eval('[dropple.frame(), performance.now()]')
    time.sleep(0.5)
    f1, t1 = b.eval('[dropple.frame(), performance.now()]')
    check((f1 - f0) * 1000 / (t1 - t0) < 64, 'shown again, the page ran %d frames in %d ms' % (f1 - f0, t1 - t0))

    check(b.eval('dropple.sounds()') == 0, 'sounds were made before the first key')
    x0 = newgame()
    check(b.eval('dropple.sounds()') == 60, 'the first key made %d sounds, not 60' % b.eval('dropple.sounds()'))
    tap('ArrowLeft', after=10)
    x = ghost(rows())
    check(x == x0 - 2, 'a tap of Left moved the piece from column %s to %s' % (x0, x))

    # Right held for 40 frames: a column on the press, the next once the delayed auto shift has
    # passed, then one every 16 frames; nothing after the release.
    b.eval('dropple.trace.length = 0; dropple.keylog.length = 0')
    key('ArrowRight', True)
    frames(40)
    key('ArrowRight', False)
    frames(30)
    log = b.eval('dropple.keylog')
    pressed, released = (next(k['frame'] for k in log if k['code'] == 0x27 and k['down'] == d) for d in (True, False))
    # The frames where the ghost stands in another column than before (from the tap's column).
    cols = [(0, x)] + [(t['frame'], g) for t in b.eval('dropple.trace') if (g := ghost(t['rows'])) is not None]
    moves = [f - pressed for (f, g), (_, before) in zip(cols[1:], cols) if g != before]
    # The auto repeat adds 16/256 of a column a frame from the eighth frame of the hold on: the
    # second column comes 15 frames after that, the third 16 more.
    check(moves[:3] == [0, 7 + 15, 7 + 15 + 16], 'Right did not move the piece on its press, then slide from the '
          'eighth frame: %s' % moves)
    check(all(m <= released - pressed for m in moves), 'the piece went on moving after the release')

    # Right held when the page loses the focus is let go.
    key('ArrowRight', True)
    frames(2)
    b.eval("dispatchEvent(new Event('blur'))")
    frames(2)
    x = ghost(rows())
    frames(40)
    key('ArrowRight', False)
    check(ghost(rows()) == x, 'Right went on moving the piece after the page lost the focus')

    check(not any(line[10:30].strip() for line in rows()[4:6]), 'something is held before the hold key')
    tap('ShiftLeft', after=10)
    check(any(line[10:30].strip() for line in rows()[4:6]), 'left Shift did not hold the piece')
    check('hold.wav' in b.eval('dropple.played'), 'holding played no sound')

    # Hard drops until the well is full; leaving the game (hold and pause together) keeps its
    # replay in the storage.
    # (a tap answers None, so the wait goes on until the game is over)
    until(lambda: 'GAME OVER' in rows()[24] or tap('ArrowUp', after=2), timeout=60)
    key('ShiftLeft', True)
    key('Enter', True)
    frames(3)
    key('Enter', False)
    key('ShiftLeft', False)
    names = until(lambda: b.eval("[...dropple.files.keys()].filter(n => n.startsWith('replays/'))"))
    replay = stored(names[0])
    with tempfile.NamedTemporaryFile(suffix='.replay') as f:
        f.write(replay)
        f.flush()
        r = subprocess.run([native, '--check', f.name], capture_output=True, text=True, timeout=60)
    check(r.returncode == 0, 'the native game checks the page\'s replay with status %d: %s' % (r.returncode, r.stdout))

    # Watched in the page as --replay does: to the same end, and left with Return.
    b.eval("sessionStorage.setItem('dropple-watch', %r)" % ''.join(map(chr, replay)))
    b.go(url + '?watch&trace')
    until(lambda: b.eval("window.dropple !== undefined && dropple.rows()[24].includes('GAME OVER')"), timeout=60)
    tap('Enter', after=0)
    until(lambda: b.eval('dropple.ended !== null'))
    said = b.eval("document.getElementById('said').textContent")
    check('the same end' in said, 'watching the replay in the page said: %s' % said)

    # Kept across a reload, and offered to download.
    load()
    listed = b.eval("[...document.querySelectorAll('#replays a')].map(a => a.download)")
    check(listed == [names[0][len('replays/'):]], 'the kept replay is not offered after a reload: %s' % listed)

    # A browser that refuses the page its storage: the game plays all the same, and says once that
    # nothing is kept.
    b.call('Page.addScriptToEvaluateOnNewDocument', source="""
        Object.defineProperty(window, 'localStorage', { get() { throw new DOMException('refused', 'SecurityError'); } });""")
    load()
    said = b.eval("document.getElementById('said').textContent")
    check('keeps no storage' in said and said.count('keeps no') == 1, 'a page without storage said: %s' % said)
    x0 = newgame()
    tap('ArrowLeft', after=10)
    check(ghost(rows()) == x0 - 2, 'a page without storage does not play')
finally:
    b.close()
    server.shutdown()

if failures:
    sys.exit(1)
print('web: all checks passed')
