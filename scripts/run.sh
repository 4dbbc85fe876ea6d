#!/usr/bin/env bash
# Installs what is missing, builds, and opens the desktop program's main window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target velsaro
exec ./build/app/velsaro
