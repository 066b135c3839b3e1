#!/usr/bin/env bash
# The IDE under a real window manager (Xvfb + openbox), where window order and focus are
# the window manager's doing and an offscreen test cannot see them. A program that asks
# for a line: while it waits, the screen window must be the active window and stand above
# the frame, with its exact title; after Enter, the focus is back in the frame and the
# screen window still stands above it. Skipped (77) when the tools are missing.
set -u
ide=$(realpath "$1")
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
[ -n "${ZEF_KEEP:-}" ] && trap - EXIT

# Waits (polling, at most 20 s) until the command succeeds.
until_true() {
  local deadline=$((SECONDS + 20))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}
fail() { echo "FAILED: $*"; exit 1; }

# A free display: Xvfb refuses one that is taken.
for n in $(seq 150 250); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  until_true xprop -root && break
done
openbox >/dev/null 2>&1 &
pids+=($!)
until_true sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || fail "openbox did not start"

cat >"$work/lire.pas" <<'PAS'
Program lire;
var S: string;
begin
  write('Ton nom ? ');
  readln(S);
  writeln(S);
end.
PAS
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
(cd "$work" && exec "$ide" lire.pas) >"$work/ide.log" 2>&1 &
pids+=($!)

active_is() { [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$1" ]; }
screen_window() { xdotool search --name '^ZuzOvozov - lire\.pas$' 2>/dev/null | head -1; }
# Succeeds when window $1 stands above window $2 in the window manager's stacking order.
above() {
  local order
  order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g')
  local pos1=-1 pos2=-1 i=0
  for w in $order; do
    [ $((w)) -eq $(($1)) ] && pos1=$i
    [ $((w)) -eq $(($2)) ] && pos2=$i
    i=$((i + 1))
  done
  [ $pos1 -gt $pos2 ] && [ $pos2 -ge 0 ]
}

until_true active_is "Zef Pascal" || fail "the frame did not come up"
frame=$(xdotool getactivewindow)
xdotool key F9
until_true active_is "ZuzOvozov - lire.pas" || fail "the screen window is not active while the program waits for input (active: $(xdotool getactivewindow getwindowname))"
screen=$(screen_window)
[ -n "$screen" ] || fail "no window titled exactly 'ZuzOvozov - lire.pas'"
above "$screen" "$frame" || fail "the screen window is behind the frame while the program waits for input"

xdotool type --delay 20 "Zoe"
xdotool key Return
until_true active_is "Zef Pascal" || fail "the focus did not come back to the frame after the run"
above "$screen" "$frame" || fail "the screen window went behind the frame after the run"
echo "window order and focus are right under openbox"
