# Sourced by the real-window tests as `. window_test.sh "$@"` with $tools set:
# skips (77) when a tool is missing, runs the test again inside its own Xvfb
# with a window manager, and gives it scratch settings folders, check() and
# wait_for().
set -uo pipefail
for tool in Xvfb xdotool openbox $tools; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -n "${INSIDE_XVFB:-}" ] ||
  exec env INSIDE_XVFB=1 "$(dirname "${BASH_SOURCE[0]}")/with_xvfb.sh" -s 1280x1024x24 -wm "$0" "$@"

scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_CONFIG_DIRS=$scratch/etc
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS"
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }
# Polls a condition for up to $2 seconds (20 unless given).
wait_for() { for _ in $(seq $((${2:-20} * 10))); do eval "$1" && return 0; sleep 0.1; done; return 1; }
