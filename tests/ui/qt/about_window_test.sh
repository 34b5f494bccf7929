#!/usr/bin/env bash
# The built program in a real X server: Help → About opens a dialog of the
# design height that the window manager lets nobody minimise, maximise or
# resize and keeps out of task bars; Alt+S starts the tool the registry file
# names and the dialog stays; with a tool that is not there the message box
# appears and OK returns to the dialog.
# Usage: about_window_test.sh path/to/varno
varno=$1
tools="xwininfo xprop"
. "$(dirname "$0")/../../support/window_test.sh" "$@"
mkdir -p "$XDG_CONFIG_DIRS/ゾルテカ" "$scratch/system tools"
# Has the keyboard: what the window manager calls active may not have it yet.
active() { [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$1" ]; }
windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
# Only moving and closing: no minimise, maximise or resize, no task bar entry.
fixed() {
  local props; props=$(xprop -id "$(xdotool getwindowfocus)" _NET_WM_ALLOWED_ACTIONS _NET_WM_STATE)
  [[ "$props" == *_NET_WM_ACTION_CLOSE* && "$props" == *_NET_WM_ACTION_MOVE* && "$props" != *MINIMIZE* &&
     "$props" != *MAXIMIZE* && "$props" != *RESIZE* && "$props" == *_NET_WM_STATE_SKIP_TASKBAR* ]] ||
    { echo "$props" | sed 's/^/  /'; return 1; }
}
about='ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ'
registry() {
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n"PATH"="%s"\r\n' \
    "$1" >"$XDG_CONFIG_DIRS/ゾルテカ/registry.reg"
}
# The tool: a path with blanks in it, to be run as it is.
tool="$scratch/system tools/sys info" marker="$scratch/tool ran"
printf '#!/bin/sh\ntouch "%s"\n' "$marker" >"$tool" && chmod +x "$tool" && registry "$tool"

"$varno" >"$scratch/out.log" 2>&1 &
pid=$!
# A busy machine may take its time over the first window, and openbox may not focus it.
wait_for '[ "$(windows)" -ge 1 ]' 60 || { echo "not ok - the program shows no window"; cat "$scratch/out.log"; exit 1; }
xdotool search --onlyvisible --pid "$pid" windowfocus >/dev/null 2>&1; wait_for 'active ゾルテカ'
xdotool key alt+h && wait_for '[ "$(windows)" -ge 2 ]' && xdotool key a  # Help, then About
check "Help → About opens the dialog" 'wait_for "active \"\$about\""'
# The frame is centred, so the client area sits half a title bar low.
eval "$(xwininfo -id "$(xdotool getwindowfocus)" | sed -n 's/^ *Absolute upper-left \([XY]\): *\(-\?[0-9]*\)$/\1=\2/p
  s/^ *\(Width\|Height\): *\([0-9]*\)$/\1=\2/p')"
check "the dialog sits in the middle of the screen" \
  '[ $(( (X + Width / 2 - 640) ** 2 )) -le 16 ] && [ $(( Y + Height / 2 - 512 )) -ge 0 ] && [ $(( Y + Height / 2 - 512 )) -le 20 ]'
check "it keeps the design height, 268 pixels (4020 twips)" '[ "$Height" = 268 ]'
echo "# the dialog is ${Width}×${Height}"
check "the window manager offers no minimise, maximise or resize, and no task bar entry" 'fixed'

xdotool key alt+s
check "Alt+S runs the tool the registry names" 'wait_for "[ -e \"\$marker\" ]"'
check "the dialog stays open" 'active "$about"'
rm -f "$marker"
registry "$scratch/system tools/not there"
xdotool key alt+s
# The message box carries the application title, as the main window does.
check "a missing tool brings the message box" 'wait_for "active ゾルテカ && [ \$(windows) -ge 3 ]"'
xdotool key Return
check "OK returns to the dialog" 'wait_for "active \"\$about\""'
xdotool key Escape && wait_for 'active ゾルテカ' && xdotool key alt+h && wait_for '[ "$(windows)" -ge 2 ]' && xdotool key a
check "opened again, it is just as fixed" 'wait_for "active \"\$about\"" && fixed'
[ "$failures" -eq 0 ] || { echo "program output:"; sed 's/^/  /' "$scratch/out.log"; exit 1; }
