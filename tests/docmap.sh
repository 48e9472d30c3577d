#!/usr/bin/env bash
# The map in docs/architecture.md stays true: every function the seam declares has its row in the
# table of seam functions, and every source path the map names exists. Usage: docmap.sh TOP
set -euo pipefail
top=$1 map=$1/docs/architecture.md fail=0
rows=$(grep -oE '^\| `[a-z0-9]+` \|' "$map" || true)
# Free functions at the seam header's top level: a return type, a name, an opening parenthesis.
for f in $(sed -nE 's/^[a-z][a-z0-9_:<> *]* \**([a-z0-9]+)\(.*/\1/p' "$top/src/platform/platform.h"); do
  [[ $rows == *"\`$f\`"* ]] || { echo "docs/architecture.md: no row for the seam function $f"; fail=1; }
done
# Paths in backquotes that look like source files: from the top, src/, src/console/ or platform/;
# a bare file name, in a paragraph about its folder, anywhere under src/ or tools/.
names=$'\n'$(find "$top/src" "$top/tools" -type f -printf '%f\n')$'\n'
for p in $(grep -oE '`[a-z/]+\.(cpp|h|sh)`' "$map" | tr -d '`' | sort -u); do
  [[ -e $top/$p || -e $top/src/$p || -e $top/src/console/$p || -e $top/src/platform/$p ||
    ($p != */* && $names == *$'\n'$p$'\n'*) ]] || { echo "docs/architecture.md: names $p, which is not there"; fail=1; }
done
exit $fail
