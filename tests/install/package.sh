#!/usr/bin/env bash
# Builds the Debian package from a copy of the source tree, as a packager would, and checks it:
# the unit tests ran in the build, lintian finds no error or warning, the package names the Unifont
# it copied glyphs from and carries the README and an example replay, the launcher and the
# software-centre entry pass their validators, and the unpacked game finds its sounds from another
# folder. As root it also installs the package with apt-get, runs its autopkgtest on this machine
# (autopkgtest's null runner), and removes it, which must leave nothing behind.
# Usage: package.sh SOURCE
set -uo pipefail
. "$(dirname "$0")/../e2e/skip.sh"
src=$1
for tool in dpkg-buildpackage dh lintian desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
(cd "$src" && dpkg-checkbuilddeps 2>&1) || skip "the package's build dependencies are missing"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
# The game finds the sounds it came with, from another folder: usage ROOT AUDIO-FOLDER.
finds() {
  help=$(cd "$scratch/elsewhere" && HOME="$scratch" "$1/usr/games/dropple" --help 2>&1)
  grep -qx "  audio      $2" <<<"$help" || fail "the game in $1 does not find its sounds: $help"
}

# The source as a packager gets it: no version control, nothing it ignores, never a build folder.
mkdir "$scratch/dropple" "$scratch/elsewhere"
tar -C "$src" --exclude-vcs --exclude-vcs-ignores --exclude='./build*' -cf - . | tar -C "$scratch/dropple" -xf -
cd "$scratch/dropple"
dpkg-buildpackage -us -uc -b -j"$(nproc)" >"$scratch/build.log" 2>&1 ||
  { tail -30 "$scratch/build.log"; echo "FAIL: dpkg-buildpackage"; exit 1; }
grep -q 'tests passed' "$scratch/build.log" && ! grep -q 'No tests were found' "$scratch/build.log" ||
  fail "the unit tests did not run in the package build"
cd "$scratch"
deb=$(ls dropple_*.deb)
tags=$(lintian -I --pedantic "$deb" 2>&1 | grep -v '^running with root privileges')
[ -n "$tags" ] && echo "lintian: $tags"
grep -q '^[EW]: ' <<<"$tags" && fail "lintian reports errors or warnings"

dpkg-deb -x "$deb" root
desktop-file-validate root/usr/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net root/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
grep -qx 'Exec=/usr/games/dropple --window' root/usr/share/applications/*.desktop ||
  fail "the launcher does not start /usr/games/dropple --window"
finds "$scratch/root" "$scratch/root/usr/share/games/dropple/audio"
# Its window comes from the module it was packaged with: without a display that module says so.
said=$(cd "$scratch/elsewhere" &&
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$scratch/root/usr/games/dropple" --window 2>&1)
grep -q "(no display)" <<<"$said" || fail "the unpacked game's window: $said"
built=$(dpkg-deb -f "$deb" Built-Using)
[ "$built" = "$(dpkg-query -f '${source:Package} (= ${source:Version})' -W unifont)" ] ||
  fail "Built-Using: '$built'"
doc=root/usr/share/doc/dropple
ls "$doc"/README.md* "$doc"/examples/*.replay >/dev/null 2>&1 || fail "no README or example replay in $doc"

if [ "$(id -u)" = 0 ] && ! dpkg -s dropple >/dev/null 2>&1; then
  apt-get install -y -qq -o DPkg::Lock::Timeout=300 "./$deb" >/dev/null || fail "apt-get install"
  files=$(dpkg -L dropple)
  finds "" /usr/share/games/dropple/audio
  if command -v autopkgtest >/dev/null; then
    autopkgtest --no-built-binaries "$scratch/dropple" -- null >"$scratch/autopkgtest.log" 2>&1 ||
      { tail -20 "$scratch/autopkgtest.log"; fail "autopkgtest"; }
    grep -m1 -E '^installed-game +[A-Z]+' "$scratch/autopkgtest.log"
  else
    echo "autopkgtest is not installed: the package's own test did not run"
  fi
  apt-get remove -y -qq -o DPkg::Lock::Timeout=300 dropple >/dev/null || fail "apt-get remove"
  left=$(while read -r f; do [ -e "$f" ] && [ ! -d "$f" ] && echo "$f"; done <<<"$files")
  [ -z "$left" ] || fail "apt-get remove left: $left"
  dpkg -s dropple >/dev/null 2>&1 && fail "dpkg still knows the package after removal"
fi
[ "$fails" = 0 ] && echo "package: all checks passed"
[ "$fails" = 0 ]
