#!/usr/bin/env bash
# Runs a command against its own Xvfb on a free display, then stops it.
# Usage: with_xvfb.sh [-s WxHxD] command args...
set -euo pipefail
screen=1280x1024x24
if [ "${1:-}" = "-s" ]; then screen=$2; shift 2; fi

fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -f "$fifo"' EXIT
read -r -t 15 num <"$fifo" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$num"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
"$@"
