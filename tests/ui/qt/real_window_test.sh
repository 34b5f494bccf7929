#!/usr/bin/env bash
# The built program in a real X server with a window manager: a click starts
# the blinking, another stops it, Alt+F4 and SIGTERM both save the geometry,
# and bounds nobody moved are saved as they were read.
# Usage: real_window_test.sh path/to/varno
varno=$1
tools=import
. "$(dirname "$0")/../../support/window_test.sh" "$@"
conf="$XDG_CONFIG_HOME/ゾルテカ.conf"

start_varno
check "window opens maximised" '[ "$WIDTH" -gt 1200 ] && [ "$HEIGHT" -gt 900 ]'
x=$((X + WIDTH / 2)); y=$((Y + HEIGHT / 2))
before=$(pixel $x $y)

xdotool mousemove $x $y click 1
seen=""
for _ in $(seq 40); do seen="$seen $(pixel $x $y)"; done
check "white shows while running" '[[ "$seen" == *"#FFFFFF"* ]]'
check "black shows while running" '[[ "$seen" == *"#000000"* ]]'

xdotool click 1
sleep 0.2
frozen=$(pixel $x $y)
check "a second click freezes the colour" 'still $x $y'
check "the frozen colour is one of the two" '[[ "$frozen" == "#FFFFFF" || "$frozen" == "#000000" ]]'
check "the surface first showed the button face" '[[ "$before" != "#FFFFFF" && "$before" != "#000000" ]]'

xdotool key --window "$win" alt+F4
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
check "Alt+F4 ends the program" '! kill -0 "$pid" 2>/dev/null'
check "closing wrote the four keys" 'grep -q "^\[Settings\]" "$conf" && [ "$(grep -cE "^Main(Left|Top|Width|Height)=[0-9.]+$" "$conf")" = 4 ]'
echo "settings after Alt+F4:"; sed 's/^/  /' "$conf"
stored() { grep -E "^Main" "$1" | sort | tr "\n" " "; }
check "an untouched first run stores the defaults exactly" \
  '[ "$(stored "$conf")" = "MainHeight=6500 MainLeft=1000 MainTop=1000 MainWidth=6500 " ]'

rm -f "$conf"
start_varno
kill -TERM "$pid"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
check "SIGTERM ends the program" '! kill -0 "$pid" 2>/dev/null'
check "SIGTERM saved the geometry too" '[ "$(grep -cE "^Main(Left|Top|Width|Height)=" "$conf" 2>/dev/null)" = 4 ]'

printf 'Width=1e999\nMainWidth=abc\n[Settings]\nMainWidth=-5\nMainLeft=nan\n' >"$conf"
start_varno
check "bad stored values still start the program" 'kill -0 "$pid" 2>/dev/null && [ "$WIDTH" -gt 1200 ]'
kill -INT "$pid"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
check "SIGINT writes good values back" '[ "$(grep -cE "^Main(Left|Top|Width|Height)=-?[0-9.]+$" "$conf")" = 4 ]'

# Bounds nobody moved come back as they were stored, fractions and all, not
# rounded through whole pixels.
printf '[Settings]\nMainLeft=1003\nMainTop=997.5\nMainWidth=7000.5\nMainHeight=6494\n' >"$conf"
before=$(stored "$conf")
start_varno
xdotool key --window "$win" alt+F4
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
check "untouched bounds are stored back unchanged" '[ "$(stored "$conf")" = "$before" ]'

[ "$failures" -eq 0 ]
