#!/usr/bin/env bash
# The game in its own window under a virtual X display, driven with xdotool and read back from
# screenshots: a tap across a stall moves the menu one row, a tap moves the piece one column, a held
# arrow slides and stops on release, left Shift holds, and closing the window ends the game with
# status 0 and the settings file intact. Usage: window_e2e.sh DROPPLE WINDOWREAD WMCLOSE
set -u
game=$1 read=$2 wmclose=$3
for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
if [ -z "${WINDOW_E2E_INNER:-}" ]; then
    # Without any display the player reads our one line, and no library's complaint before it.
    home=$(mktemp -d)
    said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR= \
        XDG_DATA_HOME="$home" "$game" --window 2>&1 </dev/null)
    rm -rf "$home"
    [ "$said" = "dropple: no window can be opened here (no display); play without --window." ] ||
        { echo "FAIL: without a display it said: $said"; exit 1; }
    export WINDOW_E2E_INNER=1
    exec timeout 100 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

dir=$(mktemp -d)
pid=
finish() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$dir"
}
trap finish EXIT
cd "$dir"
# Started in a folder with no settings file, the game keeps one in the player's data folder.
export XDG_DATA_HOME="$dir/data"
sf="$XDG_DATA_HOME/dropple/savefile"
"$game" --window >"$dir/log" 2>&1 &
pid=$!

fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
X() { timeout 5 xdotool "$@"; }
# A tap shorter than a frame: the window still shows the key down for one frame.
tap() { X keydown "$1" keyup "$1"; sleep "${2:-0.1}"; }
# The screen as the window shows it: 25 text rows, then a line per cell (row column char fg bg).
shot() {
    import -window "$win" -depth 8 "ppm:$dir/shot.ppm" && "$read" "$dir/shot.ppm" >"$dir/$1"
}
cellof() { awk -v r="$2" -v c="$3" '$1 == r && $2 == c && NF == 5 { print $3, $4, $5 }' "$dir/$1"; }
# The ghost of the falling piece: its leftmost screen column in the well and its colour.
ghost() { awk 'NF == 5 && $3 == "B1" && $2 >= 30 && $2 <= 49 { if (m == "" || $2 < m) m = $2; c = $5 } END { print m, c }' "$dir/$1"; }

win=
for _ in $(seq 100); do
    win=$(xdotool search --name '^Dropple$' 2>/dev/null | head -1)
    [ -n "$win" ] && break
    sleep 0.1
done
[ -n "$win" ] || { echo "FAIL: no window titled Dropple"; cat "$dir/log"; exit 1; }
sleep 0.5
X windowfocus --sync "$win"
sleep 0.2

shot menu
sed -n 9p "$dir/menu" | grep -q '^Dropple 3' || fail "the menu does not show in the window"

# A 50 ms tap of Down begun 120 ms into a 150 ms stall and let go 20 ms after it: the frames that
# catch up run before the release arrives, yet the cursor moves one row. One xdotool times the
# tap, so a busy machine cannot stretch it by starting a second one late.
lit=$(cellof menu 0 79 | cut -d' ' -f3)
kill -STOP "$pid"
X sleep 0.12 keydown Down sleep 0.05 keyup Down &
sleep 0.15; kill -CONT "$pid"; wait $!; sleep 0.3
shot stalled
row=$(awk -v b="$lit" 'NF == 5 && $1 <= 11 && $2 == 79 && $5 == b { print $1 }' "$dir/stalled")
[ "$row" = 1 ] || fail "a tap of Down across a stall lit menu row '$row', not 1"
tap Up

# A slow auto repeat (a column every 16 frames) so every step of a held key shows.
printf '\x10\x00\x00\x00' | dd of="$sf" bs=1 seek=106 conv=notrunc status=none
cp "$sf" "$dir/saved"
for _ in $(seq 8); do tap Down 0.03; done
tap Return 1.2
shot game
read -r x0 c0 < <(ghost game)
[ -n "$x0" ] || fail "no piece in the well"
tap Left 0.3
shot left
read -r x c < <(ghost left)
[ "$x" = $((x0 - 2)) ] || fail "a tap of Left moved the piece from column $x0 to $x"
tap Right 0.3
shot back
read -r x c < <(ghost back)
[ "$x" = "$x0" ] || fail "a tap of Right did not bring it back to $x0 but to $x"

X keydown Right; sleep 0.45; X keyup Right; sleep 0.05
shot held
read -r x1 c < <(ghost held)
[ "$x1" -ge $((x0 + 4)) ] || fail "Right held past the delayed auto shift moved only from $x0 to $x1"
sleep 0.5
shot released
read -r x c < <(ghost released)
[ "$x" = "$x1" ] || fail "the piece went on moving after Right was released ($x1 to $x)"

tap Shift_L 0.3
shot hold
read -r x c1 < <(ghost hold)
[ "$c1" != "$c0" ] || fail "left Shift did not put the piece on hold (ghost still $c0)"
echo "window game: ghost at $x0, a tap each way, Right held 0.45 s to $x1, colour $c0 to $c1 on hold"

"$wmclose" "$win"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    fail "the game is still running after its window was closed"
else
    wait "$pid"
    rc=$?
    pid=
    [ "$rc" = 0 ] || fail "closing the window ended the game with status $rc"
fi
cmp -s "$sf" "$dir/saved" || fail "the settings file changed on the way out"
[ "$(stat -c %s "$sf")" = 138 ] || fail "the settings file is not 138 bytes"

[ "$fails" = 0 ] && echo "window: all checks passed"
[ "$fails" = 0 ]
