#!/usr/bin/env bash
# A new player in a terminal that reports no key releases, default settings, no X display to read
# keys from (as over ssh), no sounds: the menu says that C stands in for hold (left Shift), a game
# of "Dropple 2" holds a piece with c and is played to its end by hard drops, the final screen says
# how to leave and is left for the menu, "quit" ends the program with status 0, and then one line
# says the game was silent.
#   tmux-off  tmux with extended-keys off: Shift+Return arrives as a plain Return, so the player
#             leaves with c, then Return
#   tmux-on   tmux with extended-keys on: Shift+Return arrives as itself
#   xterm     xterm under a virtual X display: Shift+Return arrives as itself (only the way out is
#             checked: xterm's log holds bytes, not the screen)
# Usage: final_screen.sh tmux-off|tmux-on|xterm DROPPLE. Skips (skip.sh) without its tools.
set -u
how=$1
game=$2
. "$(dirname "$0")/skip.sh"
tools=tmux
[ "$how" = xterm ] && tools="xvfb-run xdotool xterm"
for tool in $tools; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
if [ "$how" = xterm ] && [ -z "${XDISPLAY_INNER:-}" ]; then
    export XDISPLAY_INNER=1
    exec timeout 140 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
dir=$(mktemp -d)
server=final$$
termpid=
trap '[ -n "$termpid" ] && kill "$termpid"; tmux -L $server kill-server 2>/dev/null; rm -rf "$dir"' EXIT
run="cd '$dir' && env -u DISPLAY SSH_TTY=/dev/pts/x XDG_DATA_HOME='$dir' SDL_AUDIODRIVER=dummy \
'$game'; echo \$? > '$dir/rc'; sleep 30"
if [ "$how" = xterm ]; then
    xterm -class E2efinal -geometry 80x25 -l -lf "$dir/log" -e bash -c "$run" >/dev/null 2>&1 &
    termpid=$!
    X() { timeout 5 xdotool "$@"; }
    X windowfocus --sync "$(X search --sync --onlyvisible --class '^[eE]2efinal$' | head -1)"
    screen() { tr -d '\033' <"$dir/log"; }
    press() { X key "$1"; }
    enter() { press Return; }
    leave() { press shift+Return; }
else
    tmux -L "$server" -f /dev/null new-session -d -x 80 -y 25 "$run"
    tmux -L "$server" set -g extended-keys "${how#tmux-}"
    screen() { tmux -L "$server" capture-pane -p; }
    press() { tmux -L "$server" send-keys "$1"; }
    enter() { press Enter; }
    # Without extended keys the outer terminal sends tmux a plain Return for Shift+Return.
    leave() { if [ "$how" = tmux-on ]; then press S-Enter; else press c && sleep 0.3 && enter; fi; }
fi
# Rows and columns of the screen, counted from 0.
shown() { screen | sed -n "$(($1 + 1))p" | cut -c"$(($2 + 1))-$(($3 + 1))"; }
fail() {
    echo "FAIL: $*"
    [ "$how" = xterm ] || screen | sed 's/^/  | /'
    exit 1
}
# Waits up to `2` seconds (5 by default) for the screen to show `1`.
waitfor() {
    for _ in $(seq $((${2:-5} * 10))); do screen | grep -q "$1" && return 0; sleep 0.1; done
    return 1
}
intmux() { [ "$how" = xterm ] || "$@"; }

waitfor "Dropple 5 Death" 10 || fail "no menu"
intmux waitfor "cannot report left Shift alone: C is hold here" || fail "the stand-in is not named"
sleep 0.5
for _ in 1 2 3 4 5 6 7; do press Down; sleep 0.2; done
enter
waitfor "piece:" || fail "no game"
sleep 0.5
# A lower-case c brings no Shift with it. Held, the piece in play is the next one, of another
# shape (both come from the first bag of seven), so its ghost on the floor changes.
floor() { shown 22 30 49; shown 23 30 49; }
ghost=$(floor)
press c
for _ in $(seq 20); do [ "$how" = xterm ] || [ "$(floor)" != "$ghost" ] && break; sleep 0.1; done
intmux [ "$(floor)" != "$ghost" ] || fail "c held no piece"
for _ in $(seq 30); do
    screen | grep -q "GAME OVER" && break
    press Up
    sleep 0.3
done
waitfor "GAME OVER" || fail "the game never ended"
intmux [ "$(shown 24 0 18)" = "C then Return: menu" ] || fail "the final screen says no way back"
sleep 0.5
leave
sleep 1
enter
for _ in $(seq 50); do [ -s "$dir/rc" ] && break; sleep 0.1; done
[ "$(cat "$dir/rc" 2>/dev/null)" = 0 ] || fail "the final screen was not left, or the menu did not quit"
intmux [ "$(screen | grep -c "the game was silent: no sounds in")" = 1 ] || fail "no word on the sounds"
echo "$how: left the final screen for the menu and quit"
