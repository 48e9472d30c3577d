#!/usr/bin/env bash
# Held keys in a game in kitty under a virtual X display, with a slow auto repeat (1 column every
# 16 frames) so that every step shows: a tap moves the piece one column, a key held past the
# delayed auto shift moves it on by itself and stops when released, and left Shift holds the piece.
# Usage: game_kitty.sh STANDIN. Skips (skip.sh) when the tools are missing or the game does not run.
set -u
view=$1
needs=kitty
. "$(dirname "$0")/xdisplay.sh"
kitty --config NONE -o initial_window_width=80c -o initial_window_height=25c --class e2egame \
    -e sh -c "cd '$dir' && '$view' game '$status' 16; echo \$? > '$dir/rc'" >"$dir/term.log" 2>&1 &
termpid=$!

X() { timeout 5 xdotool "$@"; }
get() { sed -n "s/^$1: //p" "$status"; }
fails=0
fail() { echo "FAIL: $*"; sed 's/^/  status: /' "$status"; fails=$((fails + 1)); }

for _ in $(seq 150); do [ -s "$status" ] && break; sleep 0.1; done
[ -s "$status" ] || { echo "FAIL: the program never started"; cat "$dir/term.log"; exit 1; }
sleep 0.5
if grep -q '^ended' "$status" || [ "$(get frames)" = 0 ]; then
    skip "the game does not run"
fi
win=$(X search --onlyvisible --class '^e2egame$' | head -1)
X windowfocus --sync "$win"
sleep 0.3

# Columns count from the right wall to the left.
x0=$(get column)
X keydown Left; sleep 0.05; X keyup Left; sleep 0.3
[ "$(get column)" = $((x0 + 1)) ] || fail "a tap of Left moved the piece from $x0 to $(get column)"
X keydown Right; sleep 0.05; X keyup Right; sleep 0.3
[ "$(get column)" = "$x0" ] || fail "a tap of Right did not bring the piece back to $x0"

# Two columns need the delay (7 frames) and 32 frames of repeat, 0.65 s: held 1.2 s, there is
# half a second to spare, and at most five columns to the wall.
X keydown Right; sleep 1.2; X keyup Right; sleep 0.05
x1=$(get column)
[ "$x1" -le $((x0 - 2)) ] || fail "Right held past the delayed auto shift moved only from $x0 to $x1"
sleep 0.5
[ "$(get column)" = "$x1" ] || fail "the piece went on moving after Right was released"

[ "$(get hold)" = 255 ] || [ "$(get hold)" -gt 6 ] || fail "the hold slot is not empty at the start"
X keydown Shift_L; sleep 0.1; X keyup Shift_L; sleep 0.3
[ "$(get hold)" -le 6 ] || fail "left Shift did not put the piece on hold"

echo "kitty game: column $x0, a tap each way, Right held 1.2 s to column $x1"
[ "$fails" = 0 ] && echo "kitty game: all held-key checks passed"
[ "$fails" = 0 ]
