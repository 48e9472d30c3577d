#!/usr/bin/env bash
# The game in its own window, read back from screenshots: under a virtual X display with keys from
# xdotool, or on Wayland under a headless sway with keys from wtype. The menu shows, a tap moves
# the piece one column each way, a held arrow slides and stops on release, and closing the window
# ends the game with status 0, the game in play kept as left and the settings file intact. Under X
# also: without any display the player reads one line, the tap of Left comes across a stall, and no
# GL driver is loaded. sway will not run as root, so as root it and the game run as uid 65534.
# Usage: window_e2e.sh x11|wayland DROPPLE WINDOWREAD [WMCLOSE]
set -u
mode=$1 game=$2 read=$3 wmclose=${4:-}
. "$(dirname "$0")/../e2e/skip.sh"
need() { for tool in "$@"; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done; }
# Runs the command until it succeeds, at most N times a tenth of a second apart.
poll() { local n=$1; shift; for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done; false; }
if [ "$mode" = x11 ] && [ -z "${WINDOW_E2E_INNER:-}" ]; then
    need xvfb-run xdotool import xprop
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
chmod 755 "$dir"
mkdir -m 700 "$dir/run" "$dir/home"
sf=$dir/home/data/dropple/savefile
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$dir"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
# The screen as the window shows it: a line per cell (row column char).
shot() { grab >"$dir/shot.ppm" && "$read" "$dir/shot.ppm" >"$dir/$1"; }
# The ghost of the falling piece on a new screenshot: its leftmost screen column in the well.
ghost() { shot "$1" && awk '$3 == "B1" && $2 >= 30 && $2 <= 49 && (m == "" || $2 < m) { m = $2 } END { print m }' "$dir/$1"; }
if [ "$mode" = x11 ]; then
    # Started in a folder with no settings file, the game keeps one in the player's data folder.
    cd "$dir"
    run=(env XDG_DATA_HOME="$dir/home/data")
    X() { timeout 5 xdotool "$@"; }
    # A tap shorter than a frame: the window still shows the key down for one frame.
    tap() { X keydown "$1" keyup "$1"; sleep "${2:-0.1}"; }
    grab() { import -window "$win" -depth 8 ppm:-; }
    # A 50 ms tap begun 120 ms into a 150 ms stall and let go 20 ms after it: the frames that catch
    # up run before the release arrives, yet the key counts once. One xdotool times the tap, so a
    # busy machine cannot stretch it by starting a second one late.
    steptap() {
        kill -STOP "$pid"
        X sleep 0.12 keydown "$1" sleep 0.05 keyup "$1" &
        sleep 0.15; kill -CONT "$pid"; wait $!; sleep 0.3
    }
    # A tap of Right back, then Right held past the delayed auto shift.
    slide() { X keydown Right keyup Right sleep 0.3 keydown Right sleep 0.45 keyup Right; }
    close() { "$wmclose" "$win"; }
    shown() { win=$(xdotool search --name '^Dropple$' 2>/dev/null | head -1); [ -n "$win" ]; }
else
    need sway swaymsg wtype grim setpriv
    # A clean environment, but for the sanitizers' settings of the build under test.
    as=(env -i PATH=/usr/bin:/bin HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run"
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}")
    if [ "$(id -u)" = 0 ]; then
        chown 65534:65534 "$dir/run" "$dir/home"
        as=(setpriv --reuid=65534 --regid=65534 --clear-groups "${as[@]}")
    fi
    "${as[@]}" test -x "$game" || skip "the game cannot be run by uid 65534 from where it is built"
    # One output the picture fills at twice its size, and windows without borders, so a
    # screenshot of the output is a screenshot of the window.
    printf 'output HEADLESS-1 resolution 1280x800\ndefault_border none\n' >"$dir/config"
    "${as[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway -c "$dir/config" >"$dir/sway.log" 2>&1 &
    pids+=($!)
    poll 100 test -S "$dir/run/wayland-1" || { cat "$dir/sway.log"; skip "sway does not start here"; }
    wl=("${as[@]}" WAYLAND_DISPLAY=wayland-1)
    # Debian 12's SDL crashes when the seat's first keyboard appears while a window is open, which
    # a lone wtype does on a compositor without input devices: a virtual keyboard made before the
    # game starts, and kept, is the seat's keyboard throughout.
    "${wl[@]}" wtype -s 600000 &
    pids+=($!)
    sleep 0.3
    run=("${wl[@]}" XDG_DATA_HOME="$dir/home/data" SDL_VIDEODRIVER=wayland)
    tap() { timeout 10 "${wl[@]}" wtype -P "$1" -p "$1"; sleep "${2:-0.1}"; }
    steptap() { tap "$1" 0.3; }
    grab() { "${wl[@]}" grim -t ppm -; }
    ask() { "${wl[@]}" SWAYSOCK="$(ls "$dir"/run/sway-ipc.*.sock 2>/dev/null | head -1)" swaymsg "$@"; }
    shown() { ask -t get_tree 2>/dev/null | grep -q '"app_id": "dropple"'; }
    # Each wtype is a keyboard of its own, and the game takes in its key map on that keyboard's
    # first key; so the tap back and the hold are one wtype. On a loaded machine a held key reaches
    # the game a little late through wtype, so the hold is long and the check is that it slid.
    slide() { timeout 10 "${wl[@]}" wtype -P Right -p Right -s 300 -P Right -s 1000 -p Right; }
    close() { ask '[app_id="dropple"] kill' >/dev/null; }
fi
"${run[@]}" "$game" --window >"$dir/log" 2>&1 &
pid=$!
pids+=("$pid")
poll 100 shown || { echo "FAIL: no window of the game"; cat "$dir/log"; exit 1; }
[ "$mode" = x11 ] && sleep 0.3 && X windowfocus --sync "$win"
sleep 0.5
shot menu
if [ "$mode" = x11 ]; then
    # The title bar and the task switcher show the game's own icon.
    xprop -id "$win" _NET_WM_ICON | grep -q 'Icon (64 x 64)' || fail "the window has no icon"
    # Under X the picture goes through the window's shared-memory image: a GL driver (tens of
    # megabytes more, and the whole window drawn again at every change) is never loaded.
    gl=$(grep -oE '[^/ ]*(libGL|libEGL|libgallium|_dri)[^/ ]*\.so[^/ ]*$' "/proc/$pid/maps" | sort -u)
    [ -z "$gl" ] || fail "the window loaded a GL driver: $(echo $gl)"
fi
# "Dropple" and the "3" after the blank (a blank reads as code 0) on row 8.
[ "$(awk '$1 == 8 && $2 < 9 && $2 != 7 { s = s $3 } END { print s }' "$dir/menu")" = 44726F70706C6533 ] ||
    fail "the menu (Dropple 3 on row 8) does not show in the window"

# A slow auto repeat (a column every 16 frames) so every step of a held key shows.
printf '\x10\x00\x00\x00' | dd of="$sf" bs=1 seek=106 conv=notrunc status=none
cp "$sf" "$dir/saved"
for _ in $(seq 8); do tap Down 0.03; done
tap Return 1.2
x0=$(ghost game)
[ -n "$x0" ] || fail "no piece in the well"
steptap Left
x=$(ghost left)
[ "$x" = $((x0 - 2)) ] || fail "a tap of Left moved the piece from column $x0 to $x"
slide
sleep 0.05
x1=$(ghost held)
[ "$x1" -ge $((x0 + 4)) ] || fail "Right held past the delayed auto shift moved only from $x0 to $x1"
sleep 0.5
x=$(ghost released)
[ "$x" = "$x1" ] || fail "the piece went on moving after Right was released ($x1 to $x)"
close

gone() { ! kill -0 "$pid" 2>/dev/null; }
poll 50 gone || fail "the game is still running after its window was closed"
gone && { wait "$pid" || fail "closing the window ended the game with status $?"; }
kept=$(ls "$dir"/home/data/dropple/replays/*.replay 2>/dev/null | head -1)
[ -n "$kept" ] && "$game" --check "$kept" | grep -q '^recorded: .*, left$' ||
    fail "the game in play was not kept as left when its window was closed"
cmp -s "$sf" "$dir/saved" || fail "the settings file changed on the way out"
[ "$(stat -c %s "$sf")" = 138 ] || fail "the settings file is not 138 bytes"
[ "$fails" = 0 ] || { cat "$dir/log"; exit 1; }
echo "$mode: all checks passed"
