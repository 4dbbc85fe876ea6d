#!/usr/bin/env bash
# redraw_test.sh PROGRAM SCRATCH: redraws the samples with PROGRAM into SCRATCH and fails unless every
# picture committed beside this script comes out byte for byte the same.
set -euo pipefail
program=$1
scratch=$2
samples=$(dirname "$0")
rm -rf "$scratch"
mkdir -p "$scratch"
"$program" "$scratch" >/dev/null
for picture in "$samples"/*.bmp "$samples"/*.gif "$samples"/*.jpg; do
  cmp "$picture" "$scratch/$(basename "$picture")"
done
