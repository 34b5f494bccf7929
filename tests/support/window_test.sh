# Sourced by the real-window tests as `. window_test.sh "$@"` with $tools set:
# skips (77) when a tool is missing, runs the test again inside its own Xvfb
# with a window manager, and gives it scratch settings folders, check(),
# wait_for(), pixel(), still() and start_varno. XVFB_FPS sets the server's refresh rate.
set -uo pipefail
for tool in Xvfb xdotool openbox $tools; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -n "${INSIDE_XVFB:-}" ] ||
  exec env INSIDE_XVFB=1 "$(dirname "${BASH_SOURCE[0]}")/with_xvfb.sh" -s 1280x1024x24 -wm ${XVFB_FPS:+-fps "$XVFB_FPS"} "$0" "$@"

scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_CONFIG_DIRS=$scratch/etc
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS"
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }
# Polls a condition for up to $2 seconds (20 unless given).
wait_for() { for _ in $(seq $((${2:-20} * 10))); do eval "$1" && return 0; sleep 0.1; done; return 1; }

# The colour of one screen pixel, as #RRGGBB.
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1; }
# Whether fifteen readings of a pixel in a row agree: the colour holds.
still() { local first; first=$(pixel "$1" "$2"); for _ in $(seq 14); do [ "$(pixel "$1" "$2")" = "$first" ] || return 1; done; }

# Starts $varno and waits until the window manager has maximised its window:
# sets pid, win, X, Y, WIDTH and HEIGHT.
start_varno() {
  "$varno" >"$scratch/out.log" 2>&1 &
  pid=$!
  win=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
  if [ -z "$win" ]; then
    echo "not ok - the program shows no window"; cat "$scratch/out.log"
    kill -0 "$pid" 2>/dev/null && echo "  (the program is still running)"
    xwininfo -root -tree | sed 's/^/  /' | head -40
    exit 1
  fi
  for _ in $(seq 50); do
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$WIDTH" -gt 1000 ] && break
    sleep 0.1
  done
  sleep 0.5
}
