#!/usr/bin/env bash
# The web page's tests: builds the page with emscripten into a folder of the native build when it is
# missing or older than the game's sources, then plays it in headless Chromium (page_test.py).
# Usage: run.sh WEBBUILD NATIVEDROPPLE
set -u
out=$1 native=$2
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
. "$here/../e2e/skip.sh"
for tool in emcmake em++ chromium /usr/bin/python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup web)"
done
/usr/bin/python3 -c 'import websocket' 2>/dev/null || skip "python3-websocket is not installed"
# The build is incremental: make finds what changed.
bash "$top/scripts/build-web" "$out" || { echo "FAIL: the page does not build"; exit 1; }
exec timeout 300 /usr/bin/python3 -B "$here/page_test.py" "$out/page" "$native"
