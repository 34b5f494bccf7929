#!/usr/bin/env bash
# The built program in a real X server: Help → About → Alt+S starts the tool
# the registry file names and the dialog stays; with a tool that is not there
# the message box appears and OK returns to the dialog.
# Usage: about_window_test.sh path/to/varno
# With VARNO_SHOTS=folder the screens are kept there as PNG files.
set -uo pipefail
varno=$1
here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -n "${INSIDE_XVFB:-}" ] || exec env INSIDE_XVFB=1 "$here/../support/with_xvfb.sh" -s 1280x1024x24 "$0" "$@"

scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_CONFIG_DIRS=$scratch/etc
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS/ゾルテカ" "$scratch/system tools"
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures + 1)); fi; }
shot() { [ -n "${VARNO_SHOTS:-}" ] && command -v import >/dev/null && import -window root "$VARNO_SHOTS/$1.png"; true; }

# The tool: a path with blanks in it that must be run as it is.
tool="$scratch/system tools/sys info"
marker="$scratch/tool ran"
printf '#!/bin/sh\ntouch "%s"\n' "$marker" >"$tool"
chmod +x "$tool"
registry() {
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n"PATH"="%s"\r\n' \
    "$1" >"$XDG_CONFIG_DIRS/ゾルテカ/registry.reg"
}
registry "$tool"

if command -v openbox >/dev/null; then
  openbox --sm-disable >/dev/null 2>&1 &
  for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
fi

# Polls a condition for up to ten seconds.
wait_for() { for _ in $(seq 100); do eval "$1" && return 0; sleep 0.1; done; return 1; }
visible_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }
about_open() { [ "$(visible_named 'ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ')" -ge 1 ]; }
# The message box carries the application title, as the main window does.
message_open() { [ "$(visible_named '^ゾルテカ$')" -ge 2 ]; }

"$varno" >"$scratch/out.log" 2>&1 &
pid=$!
main=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
if [ -z "$main" ]; then
  echo "not ok - the program shows no window"; cat "$scratch/out.log"; exit 1
fi
xdotool windowfocus --sync "$main" 2>/dev/null
sleep 0.5

xdotool key alt+h
sleep 0.3
xdotool key a
check "Help → About opens the dialog" 'wait_for about_open'
about=$(xdotool search --onlyvisible --name 'ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ' | head -1)
sleep 0.5
shot about
# xwininfo, not xdotool: it reports where the window really is under a
# reparenting window manager.
info=$(xwininfo -id "$about")
ax=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info"); ay=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
aw=$(sed -n 's/.*Width: *//p' <<<"$info"); ah=$(sed -n 's/.*Height: *//p' <<<"$info")
echo "# dialog client area at $ax,$ay, ${aw}x$ah"
# The frame is centred, so the client area sits half a title bar low.
check "the dialog sits in the middle of the screen" \
  '[ $(( (ax + aw / 2 - 640) ** 2 )) -le 16 ] && [ $(( ay + ah / 2 - 512 )) -ge 0 ] && [ $(( ay + ah / 2 - 512 )) -le 20 ]'

xdotool key alt+s
check "Alt+S runs the tool the registry names" 'wait_for "[ -e \"$marker\" ]"'
check "the dialog stays open" 'about_open && ! message_open'

rm -f "$marker"
registry "$scratch/system tools/not there"
xdotool key alt+s
check "a missing tool brings the message box" 'wait_for message_open'
sleep 0.5
shot message
xdotool key Return
check "OK closes the message box" 'wait_for "! message_open"'
check "and returns to the dialog" 'about_open'
check "nothing was run" '[ ! -e "$marker" ]'

xdotool key Escape
check "Esc closes the dialog" 'wait_for "! about_open"'
check "the program runs on" 'kill -0 "$pid" 2>/dev/null'

kill -TERM "$pid"
wait_for '! kill -0 "$pid" 2>/dev/null'
check "the program ends" '! kill -0 "$pid" 2>/dev/null'
if [ "$failures" -ne 0 ]; then
  echo "program output:"; sed 's/^/  /' "$scratch/out.log"
fi
[ "$failures" -eq 0 ]
