#!/usr/bin/env bash
# Installs the built game under a scratch prefix and starts it from another folder: it must find
# the installed sounds and its window and sound module, and name its settings folder under the
# player's data folder; without the module, --window says it cannot open a window.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null

fail() { echo "FAIL: $*"; exit 1; }
cd "$scratch/prefix"
[ -x bin/dropple ] && [ -f share/man/man6/dropple.6 ] || fail "no bin/dropple or no manual page"
[ "$(ls share/dropple/audio | wc -l)" -eq 60 ] || fail "not 60 sounds in share/dropple/audio"
[ "$(ls share/icons/hicolor/*/apps/dropple.png | wc -l)" -eq 8 ] || fail "not 8 icons"
[ -f libexec/dropple/dropple-sdl.so ] || fail "no window and sound module in libexec/dropple"
[ "$(find . -type f | wc -l)" -eq 73 ] || fail "unexpected files: $(find . -type f | grep -v audio/)"
if command -v groff >/dev/null; then
  warnings=$(groff -man -ww -z share/man/man6/dropple.6 2>&1)
  [ -z "$warnings" ] || fail "manual page: $warnings"
fi

mkdir "$scratch/elsewhere" "$scratch/home"
cd "$scratch/elsewhere"
help=$(env -u XDG_DATA_HOME HOME="$scratch/home" "$scratch/prefix/bin/dropple" --help)
grep -qx "  savefile   $scratch/home/.local/share/dropple/savefile" <<<"$help" || fail "savefile place"
[ ! -e "$scratch/home/.local" ] || fail "--help made the data folder"
grep -qx "  audio      $(cd "$scratch/prefix/share/dropple/audio" && pwd -P)" <<<"$help" ||
  fail "audio place"
"$scratch/prefix/bin/dropple" --version | grep -qx "dropple [0-9.]*" || fail "version"
# The window comes from the module the copy was installed with; without it, the game says so.
window() { env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$scratch/prefix/bin/dropple" --window 2>&1; }
said=$(window) && fail "--window without a display ended well"
grep -q "no window can be opened here (no display)" <<<"$said" || fail "--window said: $said"
mv "$scratch/prefix/libexec/dropple/dropple-sdl.so" "$scratch"
said=$(window) && fail "--window without its module ended well"
grep -q "no window can be opened here (dropple-sdl.so is not installed)" <<<"$said" ||
  fail "--window without its module said: $said"
