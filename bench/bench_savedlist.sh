#!/bin/sh
# Saved lists of 1,000,000 records: load, save and sort by Filename, beside
# GNU sort on the same file in the same run.  Usage: bench_savedlist.sh <build folder>
B=${1:-build}
P="$B/bench/bench_savedlist"
[ -x "$P" ] || { echo "missing $P (build the bench_savedlist target)"; exit 1; }
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
"$P" gen "$T/list.DR" 1000000 || exit 1
echo "list file      $(du -m "$T/list.DR" | cut -f1) MB"
# Warm the page cache so both sides read from memory.
cat "$T/list.DR" > /dev/null
"$P" run "$T/list.DR" "$T/out.DR" || exit 1
US=$(printf '\037')
# Wall and CPU seconds of GNU sort (user + system, its threads included).
a=$(date +%s%N)
c=$( { /usr/bin/env time -f "%U %S" env LC_ALL=C sort -t "$US" -k2,2 "$T/list.DR" > "$T/sorted.txt"; } 2>&1 | tail -1)
b=$(date +%s%N)
echo "$a $b $c" | awk '{printf "GNU sort -k2,2 %.3f s   %.3f s   (the Filename sort must not be slower)\n", ($2 - $1) / 1e9, $3 + $4}'
echo "load average   $(cut -d' ' -f1-3 /proc/loadavg)"
