#!/usr/bin/env bash
# The map in docs/architecture.md stays true: every function the seam declares has its row in the
# table of seam functions, and every source path the map names exists. Usage: docmap.sh TOP
set -euo pipefail
top=$1 map=$1/docs/architecture.md fail=0
rows=$(grep -oE '^\| `[a-z0-9]+` \|' "$map" || true)
# Free functions at the seam header's top level: a return type, a name, an opening parenthesis.
for f in $(grep -E '^[a-z][a-z0-9_:<> *]* \**[a-z0-9]+\(' "$top/src/console/platform.h" |
  sed -E 's/^.*[ *]([a-z0-9]+)\(.*/\1/' | sort -u); do
  [[ $rows == *"\`$f\`"* ]] || { echo "docs/architecture.md: no row for the seam function $f"; fail=1; }
done
# Paths in backquotes that look like source files: from the top, src/, src/console/ or platform/;
# a bare file name, in a paragraph about its folder, anywhere under src/ or tools/. The last,
# empty, base is where the search ends having found nothing.
names=$'\n'$(find "$top/src" "$top/tools" -type f -printf '%f\n')$'\n'
for p in $(grep -oE '`[a-z/]+\.(cpp|h|sh)`' "$map" | tr -d '`' | sort -u); do
  [[ $p != */* && $names == *$'\n'$p$'\n'* ]] && continue
  for base in "$top" "$top/src" "$top/src/console" "$top/src/console/platform" ""; do
    [ -n "$base" ] && [ -e "$base/$p" ] && break
  done
  [ -n "$base" ] || { echo "docs/architecture.md: names $p, which is not there"; fail=1; }
done
exit $fail
