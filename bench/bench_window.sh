#!/bin/sh
# The main window offscreen with a saved list of 1,000,000 records: open,
# sort by Size, scroll.  Usage: bench_window.sh <build folder>
B=${1:-build}
P="$B/bench/bench_window"
[ -x "$P" ] || { echo "bench_window not built (it needs the Qt windows)"; exit 0; }
QT_QPA_PLATFORM=offscreen "$P" 1000000
echo "load average   $(cut -d' ' -f1-3 /proc/loadavg)"
