#!/bin/sh
# Automode over a generated tree of 200,000 files in 5,000 folders, beside GNU
# find printing the same fields, in the same run. Goal: automode, writing its
# saved list included, takes at most as long as find.
# Usage: bench_automode.sh <build folder> [folders] [files] [rounds]
B=$(cd "${1:-build}" && pwd)
FOLDERS=${2:-5000}
FILES=${3:-200000}
ROUNDS=${4:-3}
GEN="$B/bench/bench_gentree"
DR="$B/dirroll"
for p in "$GEN" "$DR"; do
  [ -x "$p" ] || { echo "missing $p (build the bench_gentree and dirroll targets)"; exit 1; }
done
W=$(mktemp -d)
[ -n "$KEEP" ] && echo "work folder $W"
[ -n "$KEEP" ] || trap 'rm -rf "$W"' EXIT
mkdir -p "$W/home"
cd "$W" || exit 1
"$GEN" tree "$FOLDERS" "$FILES" || exit 1
printf 'S01/01/1984\r\nE12/31/2999\r\nPtree/*\r\nX*.*\r\n' > home/tree.pro
export DIRROLL_HOME="$W/home"
# The first run writes the settings file and the default profiles, and warms the cache.
"$DR" tree > /dev/null 2>&1 || { echo "automode failed"; exit 1; }
find tree -type f > /dev/null

# Wall-clock and CPU seconds (user + system) of one command, as "wall cpu".
if [ -x /usr/bin/time ]; then
  timed() { /usr/bin/time -f '%e %U %S' -o "$W/t" "$@" || return 1; awk '{print $1, $2 + $3}' "$W/t"; }
else
  timed() {
    a=$(date +%s%N); "$@" || return 1; b=$(date +%s%N)
    awk -v a="$a" -v b="$b" 'BEGIN {printf "%.3f -1\n", (b - a) / 1e9}'
  }
fi
FIND_CMD="find tree -type f -printf '%f\\037%h\\037%s\\037%TY-%Tm-%Td %TH:%TM\\037%AY-%Am-%Ad %AH:%AM\\037%BY-%Bm-%Bd %BH:%BM\\037%u\\n' > find.out"

: > times.txt
i=0
while [ $i -lt "$ROUNDS" ]; do
  t=$(timed sh -c "$FIND_CMD") || { echo "find failed"; exit 1; }
  echo "find $t" >> times.txt
  t=$(timed "$DR" tree 2> /dev/null) || { echo "automode failed"; exit 1; }
  echo "dr $t" >> times.txt
  i=$((i + 1))
done
[ "$(wc -l < find.out)" -eq "$FILES" ] || { echo "find printed $(wc -l < find.out) lines"; exit 1; }
rows=$(($(wc -l < home/tree.DR) - 1))
echo "tree           $FILES files in $FOLDERS folders; saved list $rows records, $(du -m home/tree.DR | cut -f1) MB"
awk -v r="$ROUNDS" '
  { if (!($1 in w) || $2 < w[$1]) w[$1] = $2; if (!($1 in c) || $3 < c[$1]) c[$1] = $3 }
  END {
    printf "GNU find       %7.3f s wall  %7.3f s CPU   (best of %d)\n", w["find"], c["find"], r
    printf "automode       %7.3f s wall  %7.3f s CPU   (scan, extra information, saved list)\n", w["dr"], c["dr"]
    printf "ratio          %7.2f wall    %7.2f CPU     (goal: at most 1.00) %s\n", w["dr"] / w["find"],
           (c["find"] > 0 ? c["dr"] / c["find"] : 0), (w["dr"] <= w["find"] ? "met" : "NOT MET")
  }' times.txt
