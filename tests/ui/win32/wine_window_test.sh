#!/usr/bin/env bash
# The Windows program in real windows: wine64 on a private Xvfb with openbox,
# in a scratch prefix. A click on the surface blinks it white and black every
# 20 ms, read back from the screen and from the program's own tick log; a
# second click stops it; Alt+H, A opens the About dialog, Alt+S starts the
# tool the registry names (in a folder with a space) or shows the message
# box when there is none, Esc closes it; closing stores the four values.
# First the main window's own tests over fakes, which need a display too.
# Usage: wine_window_test.sh varno.exe marker_tool.exe win32_ui_tests.exe
# With VARNO_SHOTS=folder it leaves its screenshots there.
varno=$(realpath "$1")
marker=$(realpath "$2")
unit_tests=$(realpath "$3")
tools=import
. "$(dirname "$0")/../../support/window_test.sh" "$@"

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64) || { echo "SKIP: wine64 is not installed"; exit 77; }
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix windows-tests.sh made, or one of our own; never the user's.
if [ -z "${VARNO_SCRATCH_WINEPREFIX:-}" ]; then
  export WINEPREFIX=$scratch/prefix VARNO_SCRATCH_WINEPREFIX=1
fi
# A server started for another display keeps that display's size.
"$wineserver" -k 2>/dev/null
trap '"$wineserver" -k 2>/dev/null; kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
"$wine" wineboot --init >/dev/null 2>&1
shots=${VARNO_SHOTS:-$scratch/shots}
mkdir -p "$shots"

reg() { "$wine" reg "$@" >/dev/null 2>&1; }
# Wine shows Japanese as empty boxes unless its UI fonts link to a CJK font.
link=HKLM\\Software\\Microsoft\\Windows\ NT\\CurrentVersion\\FontLink\\SystemLink
for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
  old=$("$wine" reg query "$link" /v "$face" 2>/dev/null | sed -n 's/.*REG_MULTI_SZ *//p' | tr -d '\r')
  reg add "$link" /v "$face" /t REG_MULTI_SZ /d "NotoSansCJK-Regular.ttc,Noto Sans CJK JP${old:+\\0$old}" /f
done

# The system information tool: the marker, in a folder with a space.
tooldir="$WINEPREFIX/drive_c/varno tools"
mkdir -p "$tooldir" && cp "$marker" "$tooldir/MSINFO32.EXE"
msinfo=HKLM\\SOFTWARE\\Microsoft\\Shared\ Tools\\MSINFO
reg delete "HKLM\\SOFTWARE\\Microsoft\\Shared Tools Location" /f
reg add "$msinfo" /v PATH /d 'C:\varno tools\MSINFO32.EXE' /f
settings='HKCU\Software\VB and VBA Program Settings\ゾルテカ\Settings'
reg delete "$settings" /f
temp=$("$wine" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
report="$("$wine" winepath -u "$temp" 2>/dev/null)/varno-marker-0"
rm -f "$report"

check "the main window's tests over fakes pass" '"$wine" "$unit_tests" --gtest_brief=1 2>&1 | grep -v "^$"; [ ${PIPESTATUS[0]} -eq 0 ]'

ticks=$scratch/ticks.log
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1; }
shot() { import -window root "$shots/$1.png" 2>/dev/null; }
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }

VARNO_TICK_LOG=$("$wine" winepath -w "$ticks" 2>/dev/null) VARNO_MARKER=0 "$wine" "$varno" >"$scratch/out.log" 2>&1 &
pid=$!
win=""
wait_for 'win=$(window_named ゾルテカ); [ -n "$win" ]' 90 ||
  { echo "not ok - the program shows no window"; cat "$scratch/out.log"; exit 1; }
wait_for 'eval "$(xdotool getwindowgeometry --shell "$win")"; [ "$WIDTH" -gt 1200 ]' 10
sleep 1
check "the window opens maximised" '[ "$WIDTH" -gt 1200 ] && [ "$HEIGHT" -gt 900 ]'
x=$((X + WIDTH / 2)); y=$((Y + HEIGHT / 2))
before=$(pixel $x $y)
check "the surface first shows the button face" '[ -n "$before" ] && [[ "$before" != "#FFFFFF" && "$before" != "#000000" ]]'
shot main

xdotool mousemove $x $y click 1
seen=""
for _ in $(seq 30); do seen="$seen $(pixel $x $y)"; done
check "white shows while running" '[[ "$seen" == *"#FFFFFF"* ]]'
check "black shows while running" '[[ "$seen" == *"#000000"* ]]'
# A menu runs a message loop of its own: the ticks go on.
xdotool key --window "$win" alt+v
sleep 0.5
shot menu-view-running
seen=""
for _ in $(seq 20); do seen="$seen $(pixel $x $y)"; done
check "it blinks on while a menu is open" '[[ "$seen" == *"#FFFFFF"* && "$seen" == *"#000000"* ]]'
xdotool key Escape Escape
sleep 0.5
xdotool mousemove $x $y click 1
sleep 0.3
frozen=$(pixel $x $y)
still=""
for _ in $(seq 8); do still="$still $(pixel $x $y)"; done
check "a second click freezes the colour" '[ -z "$(echo $still | tr " " "\n" | grep -v "$frozen")" ]'
check "the frozen colour is one of the two" '[[ "$frozen" == "#FFFFFF" || "$frozen" == "#000000" ]]'
# Esc stops it too, and never starts it.
xdotool mousemove $x $y click 1
sleep 0.3
xdotool key Escape
sleep 0.3
halted=$(pixel $x $y)
still=""
for _ in $(seq 8); do still="$still $(pixel $x $y)"; done
xdotool key Escape
sleep 0.3
check "Esc stops the blinking and does not start it again" '[ -z "$(echo $still $(pixel $x $y) | tr " " "\n" | grep -v "$halted")" ]'
# The log is written when the blinking stops.
wait_for '[ -s "$ticks" ]' 5
# Each run of blinking on its own: its time from first to last repaint over
# the periods its due times span. A tick a busy machine held up past the next
# one is skipped and counted, and leaves this mean as it is.
# The closing lines are the log's own account, not flips; a flip repainted
# more than 50 ms after its due time (held up in the queue or in the paint)
# would shorten the mean of the run it starts, so it counts as the gap it is.
read -r periods mean missed late < <(awk -v period=20000 '
  function close_run() { if (n > 1) { t += lp - fp; k += (ld - fd) / period } }
  !/^[0-9]/ || $3 - $1 > 50000 { next }
  n && $3 - lp > 200000 { close_run(); n = 0 }
  !n { fp = $3; fd = $1 } { lp = $3; ld = $1; n++; m += $4; l += $2 - $1; all++ }
  END { close_run(); if (k) printf "%d %.3f %d %.3f\n", k, t / k / 1000, m, l / all / 1000; else print 0, 0, 0, 0 }' "$ticks")
echo "  tick log: $periods periods, a repaint every $mean ms on average, $missed skipped, waits ending $late ms after their due time"
check "flips come every 20 ms on average" 'awk -v m="$mean" -v n="$periods" "BEGIN { exit !(n >= 20 && m > 19.8 && m < 20.2) }"'
# Each run closes with the count of its changes against DWM's refreshes
# (Wine: 60 Hz), which is said to be predicted; every flip is aimed at one.
summaries=$(grep -c '^summary ' "$ticks")
echo "  $(grep '^summary ' "$ticks" | tail -1)"
check "each run of blinking closes with a summary from DWM's clock" '[ "$summaries" -ge 2 ] && [ -z "$(grep "^summary " "$ticks" | grep -v " refresh_hz=60 refresh_source=dwm timestamps=predicted$")" ]'
check "every flip names the refresh it was aimed at" '[ -z "$(awk "/^[0-9]/ && (NF != 6 || \$5 < 0)" "$ticks")" ]'
check "the summaries count every flip" '[ "$(awk "/^summary/ { split(\$2, c, \"=\"); n += c[2] } END { print n }" "$ticks")" = "$(grep -c "^[0-9]" "$ticks")" ]'

xdotool key --window "$win" alt+v
sleep 1
shot menu-view
xdotool key Escape Escape
xdotool key --window "$win" alt+h
sleep 1
shot menu-help
xdotool key a
about=""
wait_for 'about=$(window_named "ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ"); [ -n "$about" ]' 20
check "Alt+H, A opens the About dialog" '[ -n "$about" ]'
sleep 0.5
shot about
xdotool key alt+s
check "Alt+S starts the tool the registry names, in a folder with a space" 'wait_for "[ -s \"$report\" ]" 20'
check "the About dialog stays open" '[ -n "$(window_named "ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ")" ]'
xdotool key Escape
check "Esc closes the About dialog" 'wait_for "[ -z \"\$(window_named \"ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ\")\" ]" 10'

# No tool anywhere: the message box, titled with the program's name.
reg delete "$msinfo" /f
xdotool key --window "$win" alt+h
sleep 0.5
xdotool key a
wait_for '[ -n "$(window_named "ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ")" ]' 20
sleep 0.5
xdotool key alt+s
boxes=""
wait_for 'boxes=$(xdotool search --onlyvisible --name "^ゾルテカ\$" | grep -vx "$win"); [ -n "$boxes" ]' 20
check "a missing tool gives the message box titled ゾルテカ" '[ -n "$boxes" ]'
sleep 0.5
shot message
xdotool key Return
sleep 0.5
xdotool key Escape

# Alt+F4 from the window manager: the close box's way.
sleep 0.5
xdotool key --window "$win" alt+F4 2>/dev/null  # the window is gone before the key is let go
wait_for '! kill -0 $pid 2>/dev/null' 30
check "closing ends the program" '! kill -0 $pid 2>/dev/null'
stored=$("$wine" reg query "$settings" 2>/dev/null | tr -d '\r')
echo "$stored" | sed -n 's/^ */  /p'
check "closing stored the four values" '[ "$(echo "$stored" | grep -cE "Main(Left|Top|Width|Height) +REG_SZ +-?[0-9.]+$")" = 4 ]'

[ "$failures" -eq 0 ]
