# Headless Chromium for the page's tests and benchmark: the built folder served on 127.0.0.1, a
# browser with a profile of its own, and one tab driven through the DevTools protocol.
import functools
import http.server
import json
import os
import shutil
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket


def serve(folder):
    """Serves the folder on a free port of 127.0.0.1, logging nothing; returns the server and its address."""
    # The types of .wasm and .js come from the system's table (media-types, which Python needs).
    quiet = type('Quiet', (http.server.SimpleHTTPRequestHandler,), {'log_message': lambda *args: None})
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(quiet, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, 'http://127.0.0.1:%d/' % server.server_address[1]


def until(what, timeout=20, step=0.02):
    """Polls what() until it returns something true; returns it, or raises after the timeout."""
    end = time.monotonic() + timeout
    while not (got := what()):
        if time.monotonic() > end:
            raise TimeoutError('waited %g s' % timeout)
        time.sleep(step)
    return got


class Browser:
    def __init__(self, chromium='/usr/bin/chromium'):
        self.profile = tempfile.mkdtemp(prefix='dropple-web-')
        self.proc = subprocess.Popen(
            [chromium, '--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
             '--disable-component-update', '--mute-audio', '--remote-debugging-port=0',
             '--user-data-dir=' + self.profile, 'about:blank'],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.next = 0
        # Once it listens, the browser writes "PORT\nPATH" into its profile: the port is whole once
        # the newline is there.
        active = os.path.join(self.profile, 'DevToolsActivePort')
        said = until(lambda: os.path.exists(active) and '\n' in (s := open(active).read()) and s, timeout=30)
        tabs = json.load(urllib.request.urlopen('http://127.0.0.1:%s/json/list' % said.split('\n')[0]))
        tab = next(t for t in tabs if t['type'] == 'page')
        self.ws = websocket.create_connection(tab['webSocketDebuggerUrl'], timeout=60, suppress_origin=True)
        # Scripts given for new documents are run only with the page's domain on.
        self.call('Page.enable')

    def call(self, method, **params):
        """Calls a method and waits for its answer; no domain's events are asked for."""
        self.next += 1
        self.ws.send(json.dumps({'id': self.next, 'method': method, 'params': params}))
        while (msg := json.loads(self.ws.recv())).get('id') != self.next:
            pass
        # A method that failed, or a script that threw.
        if 'error' in msg or 'exceptionDetails' in msg.get('result', {}):
            raise RuntimeError('%s %s: %s' % (method, params, msg))
        return msg['result']

    def eval(self, expression):
        return self.call('Runtime.evaluate', expression=expression, returnByValue=True,
                         awaitPromise=True)['result'].get('value')

    def go(self, url):
        self.call('Page.navigate', url=url)

    def close(self):
        self.ws.close()
        # Its other processes end with it, as they see it go.
        self.proc.kill()
        self.proc.wait()
        shutil.rmtree(self.profile, ignore_errors=True)
