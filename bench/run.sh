#!/bin/sh
# Runs every benchmark script under bench/ (bench_*.sh) with the build folder.
B=${1:-build}
D=$(dirname "$0")
for s in "$D"/bench_*.sh; do
  [ -f "$s" ] || continue
  echo "=== $(basename "$s")"
  sh "$s" "$B"
done
