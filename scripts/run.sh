#!/bin/sh
# Starts the main program: its window when there is a display, otherwise the
# main job on the terminal.
B=${1:-build}
if [ -n "$DISPLAY$WAYLAND_DISPLAY" ]; then
  exec "$B/dirroll"
fi
echo "No display: running the default profile in automode."
"$B/dirroll" "Dirroll Directory" || true
echo "Saved lists:"
"$B/dr-client" --lists || true
echo "Searching that list for \"dirroll\":"
"$B/dr-client" --search "dirroll" --list "Dirroll Directory" --limit 10 || true
echo
echo "To see the window, run 'make run' from a desktop session (or under xvfb-run)."
