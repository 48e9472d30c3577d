#!/usr/bin/env bash
# The keyboard in a real terminal under a virtual X display, through the stand-in program's key view:
# which key source start-up picks, a tap seen as one press, a held key seen down without a break
# through the X server's key repeat and up on release, left and right Shift with the generic
# Shift code, mouse buttons, Ctrl-C ending the program, and the keyboard protocol's flags popped
# after it. (A game killed or stopped in a terminal is the pseudo-terminal tests'.)
# Usage: keys_terminal.sh kitty|xterm STANDIN. Runs itself again under a virtual X display; skips
# (skip.sh) when the tools are missing.
set -u
term=$1
view=$2
. "$(dirname "$0")/skip.sh"
for tool in xvfb-run xdotool "$term"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
if [ -z "${XDISPLAY_INNER:-}" ]; then
    export XDISPLAY_INNER=1
    exec timeout 100 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
dir=$(mktemp -d)
status=$dir/status
termpid=
trap '[ -n "$termpid" ] && kill "$termpid" 2>/dev/null; rm -rf "$dir"' EXIT
export LIBGL_ALWAYS_SOFTWARE=1
unset COLORTERM
# After the program, ask the terminal for its keyboard protocol flags on the alternate screen, which
# keeps a stack of its own: the program's must be gone.
cmd="cd '$dir' && '$view' '$status'; echo \$? > '$dir/rc'; stty raw -echo;
printf '\\033[?1049h\\033[?u\\033[c'; IFS= read -r -d c -t 3 ans; printf '\\033[?1049l'; stty sane;
printf '%s' \"\$ans\" > '$dir/after'; sleep 5"
case $term in
kitty) open=(kitty --config NONE -o initial_window_width=80c -o initial_window_height=25c
    --class e2ekeys) want=protocol ;;
xterm) open=(xterm -class E2ekeys -geometry 80x25) want=x ;;
esac
"${open[@]}" -e bash -c "$cmd" >"$dir/term.log" 2>&1 &
termpid=$!

X() { timeout 5 xdotool "$@"; }
fails=0
fail() { echo "FAIL: $*"; sed 's/^/  status: /' "$status"; fails=$((fails + 1)); }

for _ in $(seq 150); do [ -s "$status" ] && break; sleep 0.1; done
[ -s "$status" ] || { echo "FAIL: the program never started"; cat "$dir/term.log"; exit 1; }
win=$(X search --onlyvisible --class '^[eE]2ekeys$' | head -1)
X windowfocus --sync "$win"
sleep 0.5

# "seen CODE" prints presses/frames/longest run for a key; "down CODE" succeeds while it is down;
# "step XDOTOOL-ARGS WHAT DOWN UP" does it, waits, and checks that the codes DOWN are down and UP
# are not.
seen() { grep '^seen:' "$status" | tr ' ' '\n' | sed -n "s/^$1://p"; }
down() { grep '^down:' "$status" | grep -q " $1\\b"; }
step() {
    X $1; sleep 0.3
    for k in $3; do down "$k" || fail "$2: $k is not down"; done
    for k in ${4:-}; do down "$k" && fail "$2: $k is down"; done
}

source=$(sed -n 's/^source: //p' "$status")
[ "$source" = "$want" ] || fail "key source is '$source', expected '$want'"
echo "$term: key source $source"

step "keydown Left sleep 0.05 keyup Left" "a tap of Left let go" "" 25
IFS=/ read -r presses frames _ <<<"$(seen 25)"
[ "${presses:-0}" = 1 ] && [ "${frames:-99}" -le 20 ] || fail "a tap of Left was seen as '$(seen 25)'"
step "keydown Left sleep 0.9" "Left held" 25
step "keyup Left" "Left let go after a hold" "" 25
IFS=/ read -r presses frames run <<<"$(seen 25)"
[ "${presses:-0}" = 2 ] && [ "${run:-0}" -ge 60 ] || fail "a held Left was seen as '$(seen 25)'"

step "keydown Shift_L" "left Shift held" "A0 10" A1
step "keyup Shift_L" "left Shift let go" "" "A0 10"
# By its key code: xdotool presses left Shift along with the name Shift_R.
step "keydown 62" "right Shift held" "A1 10" A0
step "keyup 62" "right Shift let go" "" "A1 10"
# kitty 0.26.5 reports the first click after keyboard input at cell 1;1 and never its release,
# unless the pointer has moved inside the window since: move it twice.
X mousemove --window "$win" 190 140; sleep 0.2
X mousemove --window "$win" 200 150; sleep 0.2
step "mousedown 1" "the left mouse button held" 01
step "mouseup 1" "the left mouse button let go" "" 01
step "mousedown 3" "the right mouse button held" 02 01
step "mouseup 3" "the right mouse button let go" "" 02

X keydown Control_L; sleep 0.05; X key c; sleep 0.05; X keyup Control_L
for _ in $(seq 60); do [ -s "$dir/rc" ] && [ -e "$dir/after" ] && break; sleep 0.1; X mousemove 5 5; done
rc=$(cat "$dir/rc" 2>/dev/null)
[ "$rc" = 130 ] || fail "Ctrl-C did not end the program as an interrupt (exit status '$rc')"
# A terminal that answers the flags query at all must answer none.
after=$(tr -d '\033' < "$dir/after" 2>/dev/null)
[[ $after != *'?'*u* || $after == *'[?0u'* ]] || fail "keyboard protocol flags left on after the program: $after"
echo "$term: answer to the flags query after the program: ${after:-none}"

[ "$fails" = 0 ] && echo "$term: all checks passed"
[ "$fails" = 0 ]
