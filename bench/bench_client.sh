#!/bin/sh
# The client's search and summary on a saved list of 1,000,000 records, beside
# grep on the same file in the same run.  Usage: bench_client.sh <build folder>
B=${1:-build}
G="$B/bench/bench_client_gen"
S="$B/bench/bench_client_search"
for p in "$G" "$S"; do
  [ -x "$p" ] || { echo "missing $p (build the bench_client_gen and bench_client_search targets)"; exit 1; }
done
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
ABSENT=kangaroo
W1=report W2=2019 W3=alice
COMMON=doc
# The first 5,000 records exist on disk, so the limited search has files to show.
"$G" "$T/Bench.DR" 1000000 5000 || exit 1
echo "list file      $(du -m "$T/Bench.DR" | cut -f1) MB, $(wc -l < "$T/Bench.DR") lines"
cat "$T/Bench.DR" > /dev/null

# Best of five runs of a shell command: wall seconds and the processor
# seconds (user + system, every process of the pipe) of that run.
best() {
  bw="" bc=""
  for i in 1 2 3 4 5; do
    r=$( { /usr/bin/time -f "%e %U %S" sh -c "$1" > /dev/null; } 2>&1 | tail -1)
    w=$(echo "$r" | awk '{print $1}')
    c=$(echo "$r" | awk '{print $2 + $3}')
    if [ -z "$bw" ] || awk "BEGIN{exit !($w < $bw)}"; then bw=$w bc=$c; fi
  done
  printf "%7.3f s   cpu %6.3f s" "$bw" "$bc"
}

printf "%-46s %s   %s lines\n" "grep -F -i -c $ABSENT" "$(best "grep -F -i -c $ABSENT '$T/Bench.DR'")" \
  "$(grep -F -i -c $ABSENT "$T/Bench.DR")"
printf "%-46s %s   %s lines\n" "grep -F -i $W1 | grep -F -i $W2 | grep -F -i $W3" \
  "$(best "grep -F -i $W1 '$T/Bench.DR' | grep -F -i $W2 | grep -F -i $W3")" \
  "$(grep -F -i $W1 "$T/Bench.DR" | grep -F -i $W2 | grep -F -i $W3 | wc -l)"
"$S" "$T/Bench.DR" "$ABSENT" "$W1 $W2 $W3" "$COMMON" || exit 1
echo "load average   $(cut -d' ' -f1-3 /proc/loadavg)"
