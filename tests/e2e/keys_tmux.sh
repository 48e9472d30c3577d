#!/usr/bin/env bash
# The keyboard where the terminal reports no releases and there is no X display (tmux): held keys
# guessed from key repeat. A tap is down for exactly one frame, a stream of repeats holds the key
# without a break, nothing stays down once the repeats stop, Ctrl-C ends the program, and after
# the terminal is restored the program says that held keys were guessed.
# Usage: keys_tmux.sh STANDIN. Skips (skip.sh) without tmux.
set -u
view=$1
. "$(dirname "$0")/skip.sh"
command -v tmux >/dev/null || skip "tmux is not installed"
dir=$(mktemp -d)
status=$dir/status
sock="keys$$"
T() { tmux -L "$sock" "$@"; }
finish() {
    T kill-server 2>/dev/null
    rm -rf "$dir"
}
trap finish EXIT

# As over ssh without X: no display, and the machine's own input devices are not the player's.
T -f /dev/null new-session -d -x 80 -y 25 \
    "cd '$dir' && env -u DISPLAY SSH_TTY=/dev/pts/x '$view' keys '$status'; echo \$? > '$dir/rc'; sleep 30"
fails=0
fail() { echo "FAIL: $*"; sed 's/^/  status: /' "$status"; fails=$((fails + 1)); }
for _ in $(seq 100); do [ -s "$status" ] && break; sleep 0.1; done
[ -s "$status" ] || { echo "FAIL: the program never started"; exit 1; }
sleep 0.5

# "seen CODE" prints presses/frames for a key, "run CODE" its longest unbroken run of frames;
# "down CODE" succeeds while it is down.
seen() { grep '^seen:' "$status" | tr ' ' '\n' | sed -n "s/^$1:\([0-9]*\/[0-9]*\).*/\1/p"; }
run() { grep '^seen:' "$status" | tr ' ' '\n' | sed -n "s/^$1:.*\///p"; }
down() { grep '^down:' "$status" | grep -q " $1\\b"; }

T capture-pane -p | grep -q scribble && fail "what went to stderr during the program reached the screen"
source=$(sed -n 's/^source: //p' "$status")
[ "$source" = repeat ] || fail "key source is '$source', expected 'repeat'"

T send-keys Left; sleep 0.4
[ "$(seen 25)" = 1/1 ] || fail "a tap of Left was seen as '$(seen 25)' (presses/frames), not 1/1"

# A held key as a terminal sends it: one press, a pause, then repeats about every 40 ms.
T send-keys Left; sleep 0.5
for _ in $(seq 25); do T send-keys Left; sleep 0.03; done
sleep 0.4
# The stream holds the key down without a break for most of its 0.75 s; one late repeat on a
# busy machine may cut it once.
[ "$(run 25)" -ge 25 ] || fail "the repeats of a held Left did not hold it: longest run $(run 25)"
grep -q '^down:$' "$status" || fail "a key stayed down after its repeats stopped"

T send-keys X; sleep 0.3
[ "$(seen A0)" = 1/1 ] && [ "$(seen 58)" = 1/1 ] || fail "a capital X is not X with left Shift"

T send-keys C-c
for _ in $(seq 30); do [ -s "$dir/rc" ] && break; sleep 0.1; done
rc=$(cat "$dir/rc" 2>/dev/null)
[ "$rc" = 130 ] || fail "Ctrl-C did not end the program as an interrupt (exit status '$rc')"
sleep 0.2
T capture-pane -p | grep -q "held keys were guessed" || fail "no line on stderr about guessed keys"

[ "$fails" = 0 ] && echo "tmux: all key checks passed"
[ "$fails" = 0 ]
