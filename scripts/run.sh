#!/usr/bin/env bash
# Installs what is missing, builds, and launches the program. Until the main window exists, that is the
# command-line key tool on the bundled sample pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target velsaro-clave
./build/cli/velsaro-clave --compare samples
