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
# Whether file $1 defines a function named $2: a line at the left margin with the name before an
# opening parenthesis, whose signature goes on to a body, not to a semicolon.
defines() {
  awk -v name="$2" '
    !seen && /^[A-Za-z]/ && !/^(return|if|for|while|switch|case) / && match($0, "(^|[ *&:])" name "\\(") {
      seen = 1; text = substr($0, RSTART)
    }
    seen && !text { text = $0 }
    seen {
      b = index(text, "{"); s = index(text, ";")
      if (b && (!s || b < s)) { found = 1; exit }
      if (s) seen = 0
      text = ""
    }
    END { exit !found }' "$1"
}
# The functions the back ends' tables give for a field of `struct backend`, wherever they are.
tables=$(grep -rhoE '^ *\.[a-z0-9]+ = [a-z0-9_:]+,' "$top/src/platform" "$top/bench" | tr -d ' ,' || true)
# Each cell of the seam table names files that define its function: the seam function itself, or
# a function a back end's table gives for it.
while IFS='|' read -r _ fn cells; do
  fn=$(tr -d ' `' <<<"$fn")
  field=${fn#platform}
  impls=" $fn $(sed -nE "s/^\.$field=(.*::)?([a-z0-9_]+)$/\2/p" <<<"$tables" | sort -u | tr '\n' ' ')"
  for p in $(grep -oE '`[a-z0-9/]+\.(cpp|h)`' <<<"$cells" | tr -d '`'); do
    file=$top/src/platform/${p#platform/}
    ok=0
    for name in $impls; do
      [[ -f $file ]] && defines "$file" "$name" && { ok=1; break; }
    done
    ((ok)) || { echo "docs/architecture.md: the row of $fn names $p, which defines none of:$impls"; fail=1; }
  done
done < <(grep -E '^\| `[a-z0-9]+` \|' "$map")
exit $fail
