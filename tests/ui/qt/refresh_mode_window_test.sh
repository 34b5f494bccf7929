#!/usr/bin/env bash
# The refresh rate from the screen's RandR mode: a mode with a dot clock,
# switched to while the program blinks, is what the tick log's closing line
# then reports (452.5 MHz over 2672 × 1177 pixels: 143.882 Hz), not a rate
# measured from the refresh counter (which on Xvfb keeps its own 60 Hz).
# Usage: refresh_mode_window_test.sh path/to/varno
varno=$1
tools=xrandr
. "$(dirname "$0")/../../support/window_test.sh" "$@"
log=$scratch/ticks.log
export VARNO_TICK_LOG=$log

start_varno
x=$((X + WIDTH / 2)); y=$((Y + HEIGHT / 2))
xdotool mousemove $x $y click 1
sleep 1
output=$(xrandr | awk '/ connected/ { print $1; exit }')
xrandr --newmode varno_144 452.50 1280 1400 1540 2672 1024 1027 1034 1177 -hsync +vsync &&
  xrandr --addmode "$output" varno_144 && xrandr --output "$output" --mode varno_144
sleep 2
xdotool click 1
wait_for 'grep -q "^summary" "$log" 2>/dev/null'
summary=$(grep "^summary" "$log" | tail -1)
echo "$summary"
check "the closing line has the mode's rate" '[[ "$summary" == *" refresh_hz=143.882 refresh_source=mode timestamps=server" ]]'
check "and the changes went on" '[[ "$summary" =~ changes=([0-9]+) ]] && [ "${BASH_REMATCH[1]}" -ge 100 ]'

[ "$failures" -eq 0 ]
