#!/usr/bin/env bash
# Starts the real program on a virtual X display, waits for its main window "Velsaro" to be listed,
# asks it to end as a desktop session would (SIGTERM) and requires it to close its windows and exit 0.
# Usage: velsaro_under_xvfb.sh PATH_TO_VELSARO
set -euo pipefail
program=$1

if [ -z "${VELSARO_SMOKE_ON_DISPLAY:-}" ]; then
  export VELSARO_SMOKE_ON_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$program"
fi

# On the display xvfb-run made; the tests' offscreen platform would show nothing there.
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
