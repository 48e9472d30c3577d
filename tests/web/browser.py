# Headless Chromium for the page's tests and benchmark: the built folder served on 127.0.0.1, a
# browser with a profile of its own, and one tab driven through the DevTools protocol.
import http.server
import json
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, '.wasm': 'application/wasm',
                      '.js': 'text/javascript'}

    def log_message(self, *args):
        pass


def serve(folder):
    """Serves the folder on a free port of 127.0.0.1; returns the server and its address."""
    handler = lambda *a, **k: Quiet(*a, directory=folder, **k)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, 'http://127.0.0.1:%d/' % server.server_address[1]


def until(what, timeout=20, step=0.02):
    """Polls what() until it returns something true; returns it, or raises after the timeout."""
    end = time.monotonic() + timeout
    while True:
        got = what()
        if got:
            return got
        if time.monotonic() > end:
            raise TimeoutError('waited %g s' % timeout)
        time.sleep(step)


class Browser:
    def __init__(self, chromium='/usr/bin/chromium'):
        self.profile = tempfile.mkdtemp(prefix='dropple-web-')
        self.proc = subprocess.Popen(
            [chromium, '--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
             '--disable-component-update', '--no-first-run', '--no-default-browser-check',
             '--mute-audio', '--remote-debugging-port=0', '--user-data-dir=' + self.profile,
             'about:blank'],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.ws = None
        self.next = 0
        self.events = []
        line = ''
        end = time.monotonic() + 30
        while 'DevTools listening on' not in line:
            line = self.proc.stderr.readline()
            if not line and (self.proc.poll() is not None or time.monotonic() > end):
                raise RuntimeError('chromium did not start')
        port = re.search(r'ws://[^:]+:(\d+)/', line).group(1)
        # The rest of its complaints are drained, so a full pipe never stops it.
        threading.Thread(target=lambda: self.proc.stderr.read(), daemon=True).start()
        tabs = json.load(urllib.request.urlopen('http://127.0.0.1:%s/json/list' % port))
        tab = next(t for t in tabs if t['type'] == 'page')
        self.ws = websocket.create_connection(tab['webSocketDebuggerUrl'], timeout=60, suppress_origin=True)
        self.call('Page.enable')
        self.call('Runtime.enable')

    def call(self, method, **params):
        self.next += 1
        self.ws.send(json.dumps({'id': self.next, 'method': method, 'params': params}))
        while True:
            msg = json.loads(self.ws.recv())
            if msg.get('id') == self.next:
                if 'error' in msg:
                    raise RuntimeError('%s: %s' % (method, msg['error']))
                return msg.get('result', {})
            self.events.append(msg)

    def eval(self, expression):
        r = self.call('Runtime.evaluate', expression=expression, returnByValue=True, awaitPromise=True)
        if 'exceptionDetails' in r:
            raise RuntimeError('%s: %s' % (expression, r['exceptionDetails']))
        return r['result'].get('value')

    def go(self, url):
        self.call('Page.navigate', url=url)

    def key(self, code, down, key=None, vk=0):
        """A real key event, as the keyboard would send it."""
        self.call('Input.dispatchKeyEvent', type='rawKeyDown' if down else 'keyUp', code=code,
                  key=key or code, windowsVirtualKeyCode=vk)

    def close(self):
        try:
            if self.ws:
                self.ws.close()
        finally:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
            shutil.rmtree(self.profile, ignore_errors=True)
