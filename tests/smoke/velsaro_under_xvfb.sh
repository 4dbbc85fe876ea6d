#!/usr/bin/env bash
# Starts the real program on a virtual X display of its own, waits for its main window "Velsaro" to be listed,
# asks it to end as a desktop session would (SIGTERM) and requires it to close its windows and exit 0.
# Usage: velsaro_under_xvfb.sh PATH_TO_VELSARO
set -euo pipefail
program=$1

# A display of its own, at a number drawn at random from a high range: the lowest free numbers are the
# ones another server has just given up, and a server that is still ending could remove the socket of
# a new one at its number. A number taken already makes Xvfb end at once; another is drawn then.
work=$(mktemp -d)
xvfb=
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 1 20); do
  display=$((200 + RANDOM % 700))
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp 2>"$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 1 100); do
    DISPLAY=":$display" xwininfo -root >/dev/null 2>&1 && break 2
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  xvfb=
done
[ -n "$xvfb" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

# On that display; the tests' offscreen platform would show nothing there.
export QT_QPA_PLATFORM=xcb

# Starts the program and waits for its window; true once it is listed.
window_appears() {
  "$program" 2>"$work/program.log" &
  pid=$!
  for _ in $(seq 1 300); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Velsaro":' && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# On a loaded machine a connection to the display is now and then refused at once though the display
# answers others; such a start is tried again, anything else fails the test.
listed=no
for _ in 1 2 3; do
  if window_appears; then
    listed=yes
    break
  fi
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  grep -q "could not connect to display" "$work/program.log" || break
done
if [ "$listed" != yes ]; then
  cat "$work/program.log" >&2
  echo "no window titled Velsaro appeared" >&2
  exit 1
fi

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
if [ "$status" -ne 0 ]; then
  echo "velsaro exited with status $status" >&2
  exit 1
fi
echo "velsaro showed its window and closed cleanly"
