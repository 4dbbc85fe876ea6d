#!/usr/bin/env bash
# Starts the real program on a virtual X display of its own, waits for its main window "Velsaro" to be listed,
# asks it to end as a desktop session would (SIGTERM) and requires it to close its windows and exit 0.
# Usage: velsaro_under_xvfb.sh PATH_TO_VELSARO
set -euo pipefail
program=$1

# A display of its own: Xvfb picks a free number and tells it through -displayfd, so that several
# virtual displays on one machine never race for the same number.
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb gave no display" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# On that display; the tests' offscreen platform would show nothing there.
export QT_QPA_PLATFORM=xcb
"$program" &
pid=$!

listed=no
for _ in $(seq 1 300); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Velsaro":'; then
    listed=yes
    break
  fi
  if ! kill -0 "$pid" 2>/dev/null; then
    break
  fi
  sleep 0.1
done
if [ "$listed" != yes ]; then
  echo "no window titled Velsaro appeared" >&2
  kill -KILL "$pid" 2>/dev/null || true
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
