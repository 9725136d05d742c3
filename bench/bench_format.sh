#!/bin/sh
# Per-row costs of the size, time and rate texts.  Usage: bench_format.sh <build folder>
B=${1:-build}
P="$B/bench/bench_format"
[ -x "$P" ] || { echo "missing $P (build the bench_format target)"; exit 1; }
"$P" --benchmark_min_time=0.2 2>&1 | grep -E '^(BM_|Benchmark|-)'
echo "load average   $(cut -d' ' -f1-3 /proc/loadavg)"
