#!/usr/bin/env bash
# The game stopped as a whole job, then killed outright (SIGKILL) in a real terminal: a shell
# typed into afterwards runs its command, with the terminal's settings as before and the game's
# modes off.
# Usage: killed_terminal.sh tmux|kitty DROPPLE. Skips (skip.sh) when the terminal or its tools are missing.
set -u
term=$1
game=$2
if [ "$term" = kitty ]; then
    needs=kitty
    . "$(dirname "$0")/xdisplay.sh"
else
    . "$(dirname "$0")/skip.sh"
    command -v tmux >/dev/null || skip "tmux is not installed"
    dir=$(mktemp -d)
    sock="killed$$"
    T() { tmux -L "$sock" "$@"; }
    trap 'T kill-server 2>/dev/null; rm -rf "$dir"' EXIT
fi
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
waitfile() { for _ in $(seq 100); do [ -s "$1" ] && return 0; sleep 0.1; done; return 1; }

shell="cd '$dir' && unset DISPLAY && PS1='$ ' exec bash --norc --noprofile"
if [ "$term" = kitty ]; then
    kitty --config NONE -o initial_window_width=80c -o initial_window_height=25c \
        --class e2ekilled -e sh -c "$shell" >"$dir/term.log" 2>&1 &
    termpid=$!
    X() { timeout 5 xdotool "$@"; }
    for _ in $(seq 100); do
        win=$(X search --onlyvisible --class '^e2ekilled$' 2>/dev/null | head -1)
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || { echo "FAIL: kitty never showed a window"; exit 1; }
    sleep 1
    X windowfocus --sync "$win"
    type() { X type --delay 20 "$1"; X key Return; }
else
    T -f /dev/null new-session -d -x 80 -y 25 "$shell"
    T set-option -g status off
    type() { T send-keys -l "$1"; T send-keys Enter; }
fi

type "stty -a > before; '$game' & echo \$! > pid; fg"
waitfile "$dir/pid" || { echo "FAIL: the shell never started the game"; exit 1; }
sleep 1.5
guardian=$(cat "$dir/pid")
player=$(cat "/proc/$guardian/task/$guardian/children" 2>/dev/null | awk '{print $1}')
[ -n "$player" ] || player=$guardian
# Stopped and continued every way (in kitty: the whole job stopped from outside, then `fg`): while
# stopped the screen is the shell's and both processes are stopped; `fg` can be typed, and the
# game takes its screen again, raw.
state() { awk '{print $3}' "/proc/$1/stat"; }
stopped() { [ "$(state "$guardian")$(state "$player")" = TT ]; }
screen() { [ "$term" = kitty ] || [ "$(T display -p '#{alternate_on}')" = "$1" ]; }
stops="job"
conts="fg"
[ "$term" = tmux ] && stops="ctrl-z job game guardian" && conts="fg bg job game guardian"
for stop in $stops; do
    for cont in $conts; do
        case $stop in
        ctrl-z) T send-keys C-z ;;
        job) kill -STOP -"$guardian" ;;
        game) kill -STOP "$player" ;;
        guardian) kill -STOP "$guardian" ;;
        esac
        sleep 0.5
        stopped || fail "$stop: not both stopped"
        screen 0 || fail "$stop: the stopped game kept the alternate screen"
        case $cont in
        bg) type "bg" ;;
        job) kill -CONT -"$guardian" ;;
        game) kill -CONT "$player" ;;
        guardian) kill -CONT "$guardian" ;;
        esac
        sleep 0.3
        [ "$cont" = fg ] || stopped || fail "$stop, $cont: one of them runs alone"
        type "fg"
        sleep 1
        stopped && fail "$stop, $cont: the shell could not read fg"
        screen 1 || fail "$stop, $cont: after fg the game did not take its screen"
    done
done
kill -9 "$player"
for _ in $(seq 50); do kill -0 "$guardian" 2>/dev/null || break; sleep 0.1; done
sleep 0.5

type "echo status=\$? > status; stty -a > after"
waitfile "$dir/after" || fail "a command typed after the kill never ran"
[ "$(cat "$dir/status" 2>/dev/null)" = status=137 ] || fail "the shell saw '$(cat "$dir/status" 2>/dev/null)', not status=137"
cmp -s "$dir/before" "$dir/after" || fail "the terminal's settings differ: $(diff "$dir/before" "$dir/after" | tr '\n' ' ')"
if [ "$term" = tmux ]; then
    for f in alternate_on mouse_standard_flag mouse_sgr_flag; do
        [ "$(T display -p "#{$f}")" = 0 ] || fail "$f is still on"
    done
    [ "$(T display -p '#{cursor_flag}')" = 1 ] || fail "the cursor is still hidden"
fi
[ "$fails" = 0 ] && echo "$term: the terminal came back after kill -9 of the game"
[ "$fails" = 0 ]
