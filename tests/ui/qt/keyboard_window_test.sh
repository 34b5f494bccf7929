#!/usr/bin/env bash
# The built program in a real X server with a window manager, by keyboard:
# Tab reaches the period bar, its keys set the period the screen shows, a
# tooltip window says it and goes by itself, and Esc stops the flashing.
# Usage: keyboard_window_test.sh path/to/varno
varno=$1
tools="import xprop"
. "$(dirname "$0")/../../support/window_test.sh" "$@"

# The text of the program's visible tooltip window, if one shows.
tooltip() { for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
  xprop -id "$w" _NET_WM_WINDOW_TYPE _NET_WM_NAME | grep -A1 '= _NET_WM_WINDOW_TYPE_TOOLTIP' | sed -n 's/^.* = "\(.*\)"$/\1/p'; done; }
flashing() { local seen; seen=$(for _ in $(seq 40); do pixel $x $y; done); [[ "$seen" == *FFFFFF*000000* || "$seen" == *000000*FFFFFF* ]]; }

start_varno
x=$((X + WIDTH / 2)); y=$((Y + HEIGHT / 2))
xdotool windowfocus "$win"; wait_for '[ "$(xdotool getwindowfocus)" = "$win" ]'
xdotool mousemove $x $y click 1
check "a click starts the flashing" 'flashing'
xdotool key Tab Home  # the focus starts on the surface
check "Tab, then Home on the bar: a tooltip window says 0 ms holds the colour" \
  'wait_for "[ \"\$(tooltip)\" = \"0 ms (点滅停止)\" ]" 5'
check "and it does" 'wait_for "still $x $y" 5'
check "the tooltip goes away by itself" 'wait_for "[ -z \"\$(tooltip)\" ]"'
xdotool key Right
# Under it, once the refresh rate is known, what the screen makes of it.
one_ms() { local tip; tip=$(tooltip); [[ "$tip" == "1 ms (500 Hz)" || "$tip" == "1 ms (500 Hz)\\n画面 "*" Hz: 1 フレーム ("*" ms) より短いため毎フレーム切り替え ("*" Hz)" ]]; }
check "Right: the tooltip says 1 ms and the frequency" 'wait_for one_ms 5'
check "and the flashing comes back" 'flashing'
xdotool key Escape
check "Esc stops the flashing" 'wait_for "still $x $y" 5'
frozen=$(pixel $x $y)
xdotool key Escape
check "a second Esc does not start it again" 'still $x $y && [ "$(pixel $x $y)" = "$frozen" ]'
[ "$failures" -eq 0 ] || { echo "program output:"; sed 's/^/  /' "$scratch/out.log"; exit 1; }
