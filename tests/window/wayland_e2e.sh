#!/usr/bin/env bash
# The game in its window on Wayland, under a headless sway, with keys from wtype and screenshots
# from grim: the window appears, a tap moves the piece one column, a held key slides it and it
# stops on release, and closing the window ends the game with status 0. sway will not run as root,
# so as root both run as uid 65534. Usage: wayland_e2e.sh DROPPLE WINDOWREAD
set -u
game=$1 read=$2
. "$(dirname "$0")/../e2e/skip.sh"
for tool in sway swaymsg wtype grim setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

dir=$(mktemp -d)
chmod 755 "$dir"
mkdir -m 700 "$dir/run" "$dir/home"
# A clean environment, but for the sanitizers' settings of the build under test.
as=(env -i PATH=/usr/bin:/bin HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run"
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}")
if [ "$(id -u)" = 0 ]; then
    chown 65534:65534 "$dir/run" "$dir/home"
    as=(setpriv --reuid=65534 --regid=65534 --clear-groups "${as[@]}")
fi
"${as[@]}" test -x "$game" || skip "the game cannot be run by uid 65534 from where it is built"
pids=()
finish() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    rm -rf "$dir"
}
trap finish EXIT

# One output the picture fills at twice its size, and windows without borders, so a screenshot of
# the output is a screenshot of the window.
printf 'output HEADLESS-1 resolution 1280x800\ndefault_border none\n' >"$dir/config"
"${as[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$dir/config" >"$dir/sway.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$dir/run/wayland-1" ] && break; sleep 0.1; done
[ -S "$dir/run/wayland-1" ] || { cat "$dir/sway.log"; skip "sway does not start here"; }
wl=("${as[@]}" WAYLAND_DISPLAY=wayland-1)

# Debian 12's SDL crashes when the seat's first keyboard appears while a window is open, which a
# lone wtype does on a compositor without input devices: a virtual keyboard made before the game
# starts, and kept, is the seat's keyboard throughout.
"${wl[@]}" wtype -s 600000 &
pids+=($!)
sleep 0.3
"${wl[@]}" XDG_DATA_HOME="$dir/home/data" SDL_VIDEODRIVER=wayland "$game" --window \
    >"$dir/log" 2>&1 &
pid=$!
pids+=("$pid")
sf=$dir/home/data/dropple/savefile

fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
W() { timeout 10 "${wl[@]}" wtype "$@"; }
tap() { W -P "$1" -p "$1"; sleep "${2:-0.1}"; }
shot() { "${wl[@]}" grim -t ppm - >"$dir/shot.ppm" && "$read" "$dir/shot.ppm" >"$dir/$1"; }
ghost() { awk 'NF == 5 && $3 == "B1" && $2 >= 30 && $2 <= 49 && (m == "" || $2 < m) { m = $2 }
    END { print m }' "$dir/$1"; }

for _ in $(seq 100); do
    sock=$(ls "$dir"/run/sway-ipc.*.sock 2>/dev/null | head -1)
    [ -n "$sock" ] && "${wl[@]}" SWAYSOCK="$sock" swaymsg -t get_tree 2>/dev/null |
        grep -q '"app_id": "dropple"' && break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null || { echo "FAIL: the game ended"; cat "$dir/log"; exit 1; }
sleep 0.5
shot menu
sed -n 9p "$dir/menu" | grep -q '^Dropple 3' || { fail "the menu does not show"; head -12 "$dir/menu"; }

# A slow auto repeat (a column every 16 frames) so every step of a held key shows.
printf '\x10\x00\x00\x00' | dd of="$sf" bs=1 seek=106 conv=notrunc status=none
for _ in $(seq 8); do tap Down 0.03; done
tap Return 1.2
shot game
x0=$(ghost game)
[ -n "$x0" ] || fail "no piece in the well"
tap Left 0.3
shot left
[ "$(ghost left)" = $((x0 - 2)) ] || fail "a tap of Left moved the piece from column $x0 to $(ghost left)"
# Each wtype is a keyboard of its own, and the game takes in its key map on that keyboard's first
# key; so the tap back and the hold are one wtype. On a loaded machine a held key reaches the game
# a little late through wtype (1 s held gave 2 or 3 columns where 0.45 s gives 3 under X), so the
# hold is long and the check is that it slid at all, and stopped.
W -P Right -p Right -s 300 -P Right -s 1000 -p Right
sleep 0.05
shot held
x1=$(ghost held)
[ "$x1" -ge $((x0 + 4)) ] || fail "Right held for a second moved only from $x0 to $x1"
sleep 0.5
shot released
[ "$(ghost released)" = "$x1" ] || fail "the piece went on moving after Right was released"
echo "wayland: ghost at $x0, a tap each way, Right held 1 s to $x1"

"${wl[@]}" SWAYSOCK="$sock" swaymsg '[app_id="dropple"] kill' >/dev/null
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    fail "the game is still running after its window was closed"
else
    wait "$pid" || fail "closing the window ended the game with status $?"
fi
[ "$fails" = 0 ] || { cat "$dir/log"; exit 1; }
echo "wayland: all checks passed"
