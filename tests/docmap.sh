#!/usr/bin/env bash
# The map in docs/architecture.md stays true: every function the seam declares has its row in the
# table of seam functions, and every source path the map names exists. Usage: docmap.sh TOP
set -euo pipefail
top=$1
map=$top/docs/architecture.md
fail=0
# Free functions at the seam header's top level: a return type, a name, an opening parenthesis.
rows=$(grep -oE '^\| `[a-z0-9]+` \|' "$map" || true)
for f in $(grep -E '^[a-z][a-z0-9_:<> *]* \**[a-z0-9]+\(' "$top/src/console/platform.h" |
  sed -E 's/^.*[ *]([a-z0-9]+)\(.*/\1/' | sort -u); do
  [[ $rows == *"\`$f\`"* ]] || { echo "docs/architecture.md: no row for the seam function $f"; fail=1; }
done
# Paths in backquotes that look like source files: from the top, src/, src/console/ or platform/;
# a bare file name, in a paragraph about its folder, anywhere under src/ or tools/.
names=$'\n'$(find "$top/src" "$top/tools" -type f -printf '%f\n')$'\n'
for p in $(grep -oE '`[a-z/]+\.(cpp|h|sh)`' "$map" | tr -d '`' | sort -u); do
  found=0
  for base in "$top" "$top/src" "$top/src/console" "$top/src/console/platform"; do
    [ -e "$base/$p" ] && found=1
  done
  [[ $p != */* && $names == *$'\n'$p$'\n'* ]] && found=1
  [ $found = 1 ] || { echo "docs/architecture.md: names $p, which is not there"; fail=1; }
done
exit $fail
