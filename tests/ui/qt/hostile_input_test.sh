#!/usr/bin/env bash
# The built program against what a hostile user or a careless administrator
# may leave it: odd settings files, a storm of signals, and a kill -9 in the
# middle of saving. Each case ends within seconds or fails.
# Usage: hostile_input_test.sh path/to/varno
varno=$1
tools=perl
. "$(dirname "$0")/../../support/window_test.sh" "$@"
conf="$XDG_CONFIG_HOME/ゾルテカ.conf"
keys() { grep -E "^Main(Left|Top|Width|Height)=" "$conf" 2>/dev/null | sort | tr '\n' ' '; }
# Values the program's own reader takes: numbers, and sizes above 0.
readable() {
  grep -qxE 'MainLeft=-?[0-9.]+(E[+-][0-9]+)?' "$conf" && grep -qxE 'MainTop=-?[0-9.]+(E[+-][0-9]+)?' "$conf" &&
    grep -qxE 'MainWidth=[0-9.]*[1-9][0-9.]*(E[+-][0-9]+)?' "$conf" &&
    grep -qxE 'MainHeight=[0-9.]*[1-9][0-9.]*(E[+-][0-9]+)?' "$conf"
}
ended() { wait_for '! kill -0 $pid 2>/dev/null' "${1:-10}"; }
seed() { printf '[Settings]\nMainLeft=%s\nMainTop=%s\nMainWidth=%s\nMainHeight=%s\n' "$@" >"$conf"; }

# A FIFO in the settings file's place: no hang, and it stays a FIFO.
mkfifo "$conf"
start_varno
check "a FIFO as the settings file: the window still comes" true
kill -TERM "$pid"
check "... and the program ends" ended
check "... leaving the FIFO as it was" '[ -p "$conf" ]'
rm -f "$conf"

# Garbage: good values are written back, and nobody is told they were not.
printf '"oops\nWidth=1e999\n[Settings]\nMainWidth=-5\nMainLeft=nan\n' >"$conf"
start_varno && kill -TERM "$pid" && ended
check "garbage is replaced by values the program can read" readable
check "... without a false 'could not save'" '! grep -q "could not save" "$scratch/out.log"'

# A height too small for the window's frame: never stored back as bounds of 0 or less.
seed 2000 2000 3000 300
start_varno && kill -TERM "$pid" && ended
check "a tiny stored height comes back readable" readable
echo "  stored: $(keys)"

# SIGTERMs while blinking, as fast as they can be sent, until the program has
# gone: the first closes the window, the rest cost nothing, even once the
# event loop has ended.
rm -f "$conf"
start_varno
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
perl -e '$pid = shift; for (1 .. 200000) { kill(TERM => $pid) or last }' "$pid"
check "a storm of SIGTERMs ends the program" ended
check "... which saved the geometry" readable

# kill -9 at any moment of the close: the file holds all old or all new values.
# Bounds off every screen and larger than it are changed on all four sides.
seed 900000 900000 90000 90000
old=$(keys)
start_varno && kill -TERM "$pid" && ended
new=$(keys)
check "the close changes all four values" '[ -n "$new" ] && [ "$new" != "$old" ]'
mixed=0
for run in $(seq 20); do
  seed 900000 900000 90000 90000
  start_varno
  kill -TERM "$pid"
  sleep "0.0$((RANDOM % 10))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  now=$(keys)
  [ "$now" = "$old" ] || [ "$now" = "$new" ] || { mixed=$((mixed + 1)); echo "  run $run: $now"; }
done
check "20 kills during the close left no mix of old and new values" '[ "$mixed" = 0 ]'
[ "$failures" -eq 0 ]
