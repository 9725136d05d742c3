#!/bin/sh
# Runs every fuzz target for FUZZ_SECONDS (default 120) each.
B=${1:-build-fuzz}
S=${2:-120}
for f in "$B"/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  n=$(basename "$f")
  mkdir -p "$B/corpus/$n"
  echo "== $n for ${S}s"
  "$f" -max_total_time="$S" -max_len=65536 -print_final_stats=1 "$B/corpus/$n" 2>&1 | tail -15
done
