#!/usr/bin/env bash
# Runs a command against its own Xvfb on a free display, then stops it.
# With -wm, a window manager (openbox) runs too and has finished starting
# before the command does, so the first window is managed like any other.
# With -fps N, the server's refreshes (Present's counter) run at N Hz, not 60.
# Usage: with_xvfb.sh [-s WxHxD] [-wm] [-fps N] command args...
set -euo pipefail
screen=1280x1024x24 wm= fps=()
while :; do
  case "${1:-}" in
    -s) screen=$2; shift 2 ;;
    -fps) fps=(-fakescreenfps "$2"); shift 2 ;;
    -wm) wm=1; shift ;;
    *) break ;;
  esac
done

scratch=$(mktemp -d)
mkfifo "$scratch/display"
Xvfb -displayfd 3 -screen 0 "$screen" "${fps[@]}" -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb ${openbox:-} 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
read -r -t 15 num <"$scratch/display" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$num"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

if [ -n "$wm" ]; then
  openbox --sm-disable --startup "touch $scratch/wm-ready" >/dev/null 2>&1 &
  openbox=$!
  for _ in $(seq 300); do [ -e "$scratch/wm-ready" ] && break; sleep 0.05; done
  [ -e "$scratch/wm-ready" ] || { echo "openbox did not start" >&2; exit 1; }
fi
"$@"
