#!/usr/bin/env bash
# The built program on an X server whose refreshes run at RATE Hz, with a
# window manager: at 20 ms each change lands on the refresh the schedule
# gives it, as the program's own tick log tells from the server's reports.
# Usage: refresh_window_test.sh path/to/varno RATE [pixmaps|clear]
varno=$1 rate=$2 way=${3:-pixmaps}
tools=""
export XVFB_FPS=$rate
. "$(dirname "$0")/../../support/window_test.sh" "$@"
log=$scratch/ticks.log
export VARNO_TICK_LOG=$log
[ "$way" = clear ] && export VARNO_X11_PACING=clear

start_varno
x=$((X + WIDTH / 2)); y=$((Y + HEIGHT / 2))
xdotool mousemove $x $y click 1
# Long enough for the rate to be measured (300 refreshes) and well used.
sleep 10
xdotool click 1
wait_for 'grep -q "^summary" "$log" 2>/dev/null'
summary=$(grep "^summary" "$log" | tail -1)
echo "$summary"
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$summary"; }
changes=$(field changes) on_target=$(field on_target) hz=$(field refresh_hz)
# Xvfb's refresh interval is whole microseconds.
real=$(awk -v r="$rate" 'BEGIN { printf "%.6f", 1e6 / int(1e6 / r) }')
check "the closing line says where rate and times come from" \
  '[[ "$summary" == *" refresh_source=measured timestamps=server" ]]'
check "refresh_hz $hz is within 0.5 % of $real" \
  'awk -v a="$hz" -v b="$real" "BEGIN { d = a / b - 1; exit !(d < 0.005 && d > -0.005) }"'
check "about 50 changes a second ($changes)" '[ "$changes" -ge 300 ] && [ "$changes" -le 520 ]'
check "the closing line counts every change logged" \
  '[ "$changes" = "$(grep -cE "^[0-9]+ " "$log")" ]'
# A busy machine delays the server's own refresh timer now and then: the
# figures leave room for that.
check "nearly every change on its target ($on_target of $changes)" '[ $((on_target * 100)) -ge $((changes * 90)) ]'

# Over the last 150 changes (the rate measured by then): the steps between
# the refreshes aimed at follow the schedule; those reached, nearly so.
steps() {
  grep -E "^[0-9]+ [0-9]+ [0-9]+ " "$log" | tail -151 |
    awk -v col="$1" 'NR > 1 { n[$col - last]++ } { last = $col } END { for (s in n) printf "%s:%d ", s, n[s] }'
}
aimed=$(steps 2) reached=$(steps 3)
echo "steps aimed at: $aimed; reached: $reached"
count() { grep -o "\b$2:[0-9]*" <<<"$1" | cut -d: -f2 | grep . || echo 0; }
case $rate in
  50) check "one refresh a colour" '[ "$(count "$aimed" 1)" -ge 145 ] && [ "$(count "$reached" 1)" -ge 130 ]' ;;
  60) check "2,1,1,1,1 frames: one step of 2 in five" \
        '[ "$(count "$aimed" 2)" -ge 27 ] && [ "$(count "$aimed" 2)" -le 33 ] &&
         [ $(($(count "$reached" 1) + $(count "$reached" 2))) -ge 135 ]' ;;
  144) check "3 frames 22 times for 2 frames 3 times" \
        '[ "$(count "$aimed" 2)" -ge 15 ] && [ "$(count "$aimed" 2)" -le 21 ] &&
         [ $(($(count "$reached" 3) + $(count "$reached" 2))) -ge 130 ]' ;;
esac
check "never two changes for one refresh" '[ "$(count "$aimed" 0)" = 0 ]'
check "nothing said about a compositor" '! grep -q compositing "$scratch/out.log"'

[ "$failures" -eq 0 ]
