#!/usr/bin/env bash
# The Windows download as a player gets it, in a Wine console window: the installer installs
# silently for all users; the game, started from its Start-menu entry, draws its menu and makes its
# settings file in the player's %LOCALAPPDATA%\Dropple, never in its program folder; a game
# starts, a tap moves the piece one column, a held arrow slides it to the wall, the game is lost and
# recorded there, and "quit" ends the program with status 0 and the settings as they were; Ctrl-C
# ends a second run in play, keeping its game. A "savefile" in the folder the game starts in keeps the files there. The
# silent uninstall removes every program file and the entry and keeps the player's files; a
# per-user install and uninstall go the same way, the player's files going too when asked.
# Usage: e2e.sh SETUP.exe CONREAD.exe WINEPREFIX
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec timeout 280 xvfb-run -a bash "$0" "$@"
fi
setup=$1 conread=$2
export WINEPREFIX=$3 WINEDEBUG=-all
[ -f "$setup" ] || { echo "FAIL: no installer $setup (cmake --build build-win --target release)"; exit 1; }

run=$(mktemp -d)
game=
# Everything Wine started for this run, a game still running included, ends with its server.
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  [ -n "${program:-}" ] && chmod -R u+w "$program" 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT
cp "$setup" "$run/setup.exe"
cp "$conread" "$run/"
cd "$run"
bash "$here/../../cmake/winerun.sh" "$WINEPREFIX" cmd /c exit </dev/null >/dev/null 2>&1
w() { timeout 60 wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }
unix() { winepath -u "$1" 2>/dev/null; }

fail() { echo "FAIL: $*"; echo "screen:"; con text || true; exit 1; }
# Runs the command until it succeeds, at most N times, S seconds apart.
poll() { local n=$1 s=$2; shift 2; for _ in $(seq "$n"); do "$@" && return 0; sleep "$s"; done; false; }
# The console's 25 rows as text, or as cells of four hex digits (character, attribute).
con() { timeout 20 wine conread.exe dropple.exe "$1" </dev/null 2>/dev/null | tr -d '\r'; }
shows() { con text | grep -qF -- "$1"; }
# The falling piece's leftmost and rightmost screen columns: blank cells in the playfield whose
# colour is not the empty field's.
piece() {
  con cells | awk 'NR <= 24 { for (c = 30; c <= 49; c++) { x = substr($0, c * 4 + 1, 4);
      if (substr(x, 1, 2) == "ff" && substr(x, 3, 2) != "f0") { if (l == "" || c < l) l = c; if (c > r) r = c } } }
    END { print (l == "" ? "none" : l " " r) }'
}
# The first row whose last cell has the menus' highlight colour (a highlight reaches the right
# edge), or none.
hlrow() { con cells | awk 'substr($0, 79 * 4 + 3, 2) == "30" { print NR - 1; exit }'; }
# Taps a key for about four frames, then gives the game a few frames to act on it. Under Wine on
# a busy machine the console host sometimes hands a short press and its release to the key state
# together, and the game never sees it down: steps that must land are checked and tried again.
tap() { for k in "$@"; do timeout 10 xdotool keydown "$k" sleep 0.06 keyup "$k" sleep 0.1; done; }
# Runs the key command until the screen shows the text (it may have lost its press).
until_shows() {
  local text=$1
  shift
  for _ in 1 2 3 4; do
    "$@"
    poll 10 0.25 shows "$text" && return 0
  done
  fail "never showed '$text'"
}
# Moves the menu highlight down a row at a time until it is on the row.
downto() { [ "$(hlrow)" = "$1" ] || { tap Down; false; }; }
# The settings file is whole, with the in-game delay (a byte of its own) at its default. (Saving
# over it is tested with the rest of the settings, by the unit tests under Wine.)
saved() {
  [ "$(stat -c %s "$data/savefile")" = 138 ] &&
    [ "$(od -An -tu1 -j102 -N1 "$data/savefile" | tr -d ' ')" = 7 ]
}
visible() { win=$(timeout 10 xdotool search --onlyvisible --name 'dropple\.exe' 2>/dev/null | head -1) && [ -n "$win" ]; }
# Starts the game from its Start-menu entry, as Explorer would (its target, in its folder), in a
# console window of its own, on a fresh Wine server and desktop on this display (Wine's desktop
# keeps the display it started with, and one ending since the last window closed takes the next
# window with it), and gives that window the keyboard.
# Or, given "console", as a player starts it from a console in its folder.
start() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  bash "$here/../../cmake/winerun.sh" "$WINEPREFIX" cmd /c exit </dev/null >/dev/null 2>&1
  if [ "${1:-}" = console ]; then
    (cd "$program" && exec timeout 120 wine wineconsole dropple.exe </dev/null >/dev/null 2>&1) &
  else
    timeout 120 wine start /wait "$entry" </dev/null >/dev/null 2>&1 &
  fi
  game=$!
  poll 120 0.25 visible || fail "no console window"
  timeout 10 xdotool windowfocus --sync "$win" || fail "cannot focus the console window"
  until_shows "Dropple 5 Death" true
}
over() { ! kill -0 "$game" 2>/dev/null; }
# The game's status once it has ended; it is given three seconds.
ended() {
  poll 12 0.25 over || true
  status=0
  wait "$game" || status=$?
  game=
}

# A silent install for all users, left with no place for the game to write in its folder.
appdata=$(unix "$(w cmd /c echo %LOCALAPPDATA%)")
[ -d "$appdata" ] || fail "no %LOCALAPPDATA%: '$appdata'"
data="$appdata/Dropple"
rm -rf "$data"
w setup.exe /S
program=$(unix 'C:\Program Files\Dropple')
entry='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Dropple.lnk'
[ -f "$program/dropple.exe" ] && [ "$(ls "$program/audio" | wc -l)" = 60 ] &&
  [ -f "$program/README.txt" ] && [ -f "$program/LICENSE.txt" ] || fail "installed: $(ls -R "$program")"
lnk=$(unix "$entry")
[ -f "$lnk" ] || fail "no Start-menu entry"
# The entry names the program and starts it in its own folder.
strings -el "$lnk" | grep -qxF 'C:\Program Files\Dropple' || fail "the entry starts elsewhere"
before=$(find "$program" | sort)
chmod -R a-w "$program"
setsplace=$(w "$program/dropple.exe" --help | awk '$1 == "savefile" { print $2 }')
[ "$setsplace" = "$(w cmd /c echo %LOCALAPPDATA%)\Dropple\savefile" ] || fail "--help: savefile at $setsplace"

start
saved || fail "no fresh savefile in $data"
poll 30 0 downto 7 || fail "the highlight never reached row 7"
until_shows "lines:" tap Return
falling() { at=$(piece) && [ "$at" != none ]; }
poll 40 0.1 falling || fail "no falling piece"
right() { tap Right && sleep 0.2 && moved=$(piece) && [ "$moved" != "$at" ]; }
poll 5 0 right || true
[ "${moved%% *}" = $((${at%% *} + 2)) ] || fail "a tap moved the piece from $at to $moved"
timeout 10 xdotool keydown Right sleep 0.6 keyup Right
sleep 0.1
slid=$(piece)
[ "${slid##* }" = 49 ] || fail "a held arrow left the piece at $slid"

# Hard drops until the stack tops out, Shift+Return back to the menu, and "quit".
drops() { tap Up Up Up Up Up && shows "GAME OVER!"; }
poll 12 0 drops || fail "the game never ended"
until_shows "Dropple 5 Death" timeout 10 xdotool keydown Shift_L sleep 0.05 keydown Return sleep 0.06 \
  keyup Return sleep 0.05 keyup Shift_L
quit() { tap Return && poll 12 0.25 over; }
poll 4 0 quit || true
ended
[ "$status" = 0 ] || fail "the game ended with status $status"
saved || fail "savefile changed by the game"
# The game was recorded beside the settings, and the records read back from there name it.
replay=$(ls "$data/replays")
[ "$(wc -l <<<"$replay")" = 1 ] || fail "replays: $replay"
w "$program/dropple.exe" --records | grep -qF "$replay" || fail "the records do not name $replay"
[ "$(find "$program" | sort)" = "$before" ] || fail "the game wrote in its program folder"

# Ctrl-C ends it as it ends any console program (Wine reports the low byte of the status), and the
# game in play is kept on the way out.
kept() { ls "$data/replays" 2>/dev/null | grep -c '\.replay$'; }
before=$(kept)
start console
poll 30 0 downto 7 || fail "the highlight never reached row 7"
until_shows "lines:" tap Return
timeout 10 xdotool keydown Control_L sleep 0.05 key c sleep 0.05 keyup Control_L
ended
[ "$status" = $((0xC000013A & 0xFF)) ] || fail "Ctrl-C ended the game with status $status"
[ "$(kept)" = $((before + 1)) ] || fail "the game in play was not kept on Ctrl-C"

# A folder with its own "savefile" keeps the player's files beside it.
mkdir portable
cp "$data/savefile" portable/
(cd portable && w "$program/dropple.exe" --help) | grep -qx '  savefile   savefile (in the working directory)' ||
  fail "a savefile beside the player is not used"

# The uninstaller copies itself away to remove its own folder, so its end is waited for on disk.
chmod -R u+w "$program"
w "$program/uninstall.exe" /S
gone() { [ ! -e "$program" ] && [ ! -e "$lnk" ]; }
poll 120 0.5 gone || fail "left after uninstalling: $(find "$program" "$lnk" 2>&1)"
saved || fail "uninstalling took the player's settings"

# For the player alone: in their own Programs folder and Start menu, and gone again.
w setup.exe /S /CurrentUser
program="$appdata/Programs/Dropple"
[ -f "$program/dropple.exe" ] || fail "no per-user install in $program"
lnk=$(find "$(unix 'C:\users')" -path '*Start Menu/Programs/Dropple.lnk' | head -1)
[ -n "$lnk" ] || fail "no Start-menu entry of the player's own"
# Asked to, the uninstaller takes the player's files too.
w "$program/uninstall.exe" /S /RemoveMyFiles
poll 120 0.5 gone || fail "left after uninstalling: $(find "$program" "$lnk" 2>&1)"
[ ! -e "$data" ] || fail "uninstalling with /RemoveMyFiles left $(ls "$data")"
echo "windows: all checks passed"
