#!/usr/bin/env bash
# A new player in a terminal that reports no key releases, default settings, no X display to read
# keys from (as over ssh): the menu says that C stands in for hold (left Shift), a game of
# "Dropple 2" holds a piece with C and is played to its end by hard drops, the final screen says
# how to leave and is left for the menu, and "quit" ends the program with status 0.
#   tmux-off  tmux with extended-keys off: Shift+Return arrives as a plain Return, so the player
#             leaves with C, then Return
#   tmux-on   tmux with extended-keys on: Shift+Return arrives as itself
#   xterm     xterm under a virtual X display: Shift+Return arrives as itself
# Usage: final_screen.sh tmux-off|tmux-on|xterm DROPPLE. Skips (skip.sh) without its tools.
set -u
how=$1
game=$2
. "$(dirname "$0")/skip.sh"
case $how in
xterm) tools="xvfb-run xdotool xterm" ;;
*) tools=tmux ;;
esac
for tool in $tools; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
if [ "$how" = xterm ] && [ -z "${XDISPLAY_INNER:-}" ]; then
    export XDISPLAY_INNER=1
    exec timeout 150 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
dir=$(mktemp -d)
server=final$$
termpid=
cleanup() {
    [ -n "$termpid" ] && kill "$termpid" 2>/dev/null
    [ "$how" != xterm ] && tmux -L "$server" kill-server 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
# The game gets no display: its keys come from the terminal alone.
run="cd '$dir' && env -u DISPLAY SSH_TTY=/dev/pts/x XDG_DATA_HOME='$dir' SDL_AUDIODRIVER=dummy \
'$game'; echo \$? > '$dir/rc'; sleep 30"

if [ "$how" = xterm ]; then
    # What the game draws, as the terminal received it, is read from xterm's log.
    xterm -class E2efinal -geometry 80x25 -l -lf "$dir/log" -e bash -c "$run" >/dev/null 2>&1 &
    termpid=$!
    X() { timeout 5 xdotool "$@"; }
    win=$(X search --sync --onlyvisible --class '^[eE]2efinal$' | head -1)
    X windowfocus --sync "$win"
    shows() { tr -d '\033' <"$dir/log" 2>/dev/null | grep -q "$1"; }
    press() { X key "$1"; }
    enter() { press Return; }
    leave() { press shift+Return; }
else
    tmux -L "$server" -f /dev/null new-session -d -x 80 -y 25 "$run"
    tmux -L "$server" set -g extended-keys "${how#tmux-}"
    shows() { tmux -L "$server" capture-pane -p | grep -q "$1"; }
    press() { tmux -L "$server" send-keys "$1"; }
    enter() { press Enter; }
    # Rows and columns of the pane, counted from 0, as text.
    shown() { tmux -L "$server" capture-pane -p | sed -n "$(($1 + 1))p" | cut -c"$(($2 + 1))-$(($3 + 1))"; }
    # Without extended keys the outer terminal sends tmux a plain Return for Shift+Return.
    leave() {
        if [ "$how" = tmux-on ]; then
            press S-Enter
        else
            press c && sleep 0.3 && press Enter
        fi
    }
fi

fail() {
    echo "FAIL: $*"
    [ "$how" = xterm ] || tmux -L "$server" capture-pane -p | sed 's/^/  | /'
    exit 1
}
# Waits up to `2` seconds for the screen to show `1`.
waitfor() {
    for _ in $(seq $((${2:-5} * 10))); do shows "$1" && return 0; sleep 0.1; done
    return 1
}

waitfor "Dropple 5 Death" 10 || fail "no menu"
[ "$how" = xterm ] || shows "cannot report left Shift alone: C is hold here" ||
    fail "the menu does not say what stands in for left Shift"
sleep 0.5
for _ in 1 2 3 4 5 6 7; do press Down; sleep 0.2; done
enter
waitfor "piece:" || fail "no game"
sleep 0.5
# A lower-case c, which brings no Shift with it. Held, the piece in play is the next one, of
# another shape (both come from the first bag of seven), so its ghost on the floor changes.
# xterm's log holds bytes, not the screen: there only the way out is checked.
floor() { shown 22 30 49; shown 23 30 49; }
ghost=$([ "$how" = xterm ] || floor)
press c
if [ "$how" != xterm ]; then
    for _ in $(seq 20); do [ "$(floor)" != "$ghost" ] && break; sleep 0.1; done
    [ "$(floor)" != "$ghost" ] || fail "C held no piece"
fi
for _ in $(seq 30); do
    shows "GAME OVER" && break
    press Up
    sleep 0.3
done
waitfor "GAME OVER" || fail "the game never ended"
want="C then Return: menu"
[ "$how" = xterm ] || [ "$(shown 24 0 18)" = "$want" ] || fail "the final screen does not say '$want'"
sleep 0.5
leave
sleep 1
enter
for _ in $(seq 50); do [ -s "$dir/rc" ] && break; sleep 0.1; done
[ -s "$dir/rc" ] || fail "the final screen was not left for the menu, or the menu did not quit"
[ "$(cat "$dir/rc")" = 0 ] || fail "the game ended with status $(cat "$dir/rc")"
echo "$how: left the final screen for the menu and quit"
