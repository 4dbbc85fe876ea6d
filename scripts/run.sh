#!/usr/bin/env bash
# Installs what is missing, builds, and opens the main window. Without a display (a server, a
# container), the program runs on a virtual one, so that the command still works; Ctrl+C closes it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target velsaro
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display; Velsaro runs on a virtual one (xvfb-run). Ctrl+C closes it." >&2
  exec xvfb-run -a ./build/app/velsaro
fi
exec ./build/app/velsaro
