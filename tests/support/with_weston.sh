#!/usr/bin/env bash
# Runs a command against its own headless weston, then stops it: the pixman
# renderer (so the screen has pixels to read back), screenshots allowed
# (--debug), no panel and no animations, a private XDG_RUNTIME_DIR. weston runs as root too.
# Usage: with_weston.sh [-s WxH] command args...
# Exits 77 (skipped) where weston or its screenshooter is not installed.
set -euo pipefail
for tool in weston weston-screenshooter; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
size=1280x1024
if [ "${1:-}" = -s ]; then size=$2; shift 2; fi

scratch=$(mktemp -d)  # 0700, as the runtime directory must be
trap 'kill $weston 2>/dev/null; wait $weston 2>/dev/null; rm -rf "$scratch"' EXIT
cat >"$scratch/weston.ini" <<INI
[core]
idle-time=0
[shell]
panel-position=none
locking=false
animation=none
close-animation=none
startup-animation=none
focus-animation=none
INI
XDG_RUNTIME_DIR=$scratch weston --backend=headless-backend.so --use-pixman --debug \
  --width="${size%x*}" --height="${size#*x}" --socket=wayland-test \
  --config="$scratch/weston.ini" --log="$scratch/weston.log" &
weston=$!
for _ in $(seq 150); do [ -S "$scratch/wayland-test" ] && break; sleep 0.1; done
[ -S "$scratch/wayland-test" ] || { echo "weston did not start" >&2; cat "$scratch/weston.log" >&2; exit 1; }

export XDG_RUNTIME_DIR=$scratch WAYLAND_DISPLAY=wayland-test QT_QPA_PLATFORM=wayland
unset DISPLAY
"$@"
