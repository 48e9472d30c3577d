#!/usr/bin/env bash
# Runs a program of the Windows build under Wine, in the build's own Wine prefix (never the
# user's ~/.wine). Usage: winerun.sh PREFIX PROGRAM.exe [ARGS...]
set -u
export WINEPREFIX=$1 WINEDEBUG=-all
shift
mkdir -p "$WINEPREFIX"
# The Wine server and the services it starts with a new prefix outlive this run; started from
# here with the caller's output, they would hold a test runner's pipe open long after the test.
# So they start detached, once, and later runs find them waiting.
(
  flock 9
  if wineserver -p </dev/null >/dev/null 2>&1 9>&-; then
    wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
  fi
) 9>"$WINEPREFIX.lock"
# No program of the build runs for long; one that hangs is stopped.
exec timeout "${DROPPLE_WINE_TIMEOUT:-300}" wine "$@"
