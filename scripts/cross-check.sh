#!/usr/bin/env bash
# Cross-builds the key engine and its reference-vector check for another Debian architecture with
# Debian's cross compiler and runs the check under qemu-user: every key, P matrix and coefficient must
# be the same bits as the known answers, as on x86-64. Installs what is missing (the cross compilers,
# qemu-user), without asking.
#   bash scripts/cross-check.sh arm64    64-bit ARM, which has fused multiply-add instructions
#   bash scripts/cross-check.sh i386     32-bit x86, whose default x87 arithmetic rounds to 80 bits
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  arm64)
    triplet=aarch64-linux-gnu
    fused_instructions='fmadd|fmsub|fnmadd|fnmsub|fmla|fmls' ;;
  i386)
    triplet=i686-linux-gnu
    fused_instructions='vfmadd[0-9a-z]*|vfmsub[0-9a-z]*|vfnmadd[0-9a-z]*|vfnmsub[0-9a-z]*' ;;
  *)
    echo "usage: cross-check.sh arm64|i386" >&2
    exit 2 ;;
esac
bash scripts/install-deps.sh --cross-check

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
out="build-$1"
cmake -S . -B "$out" --toolchain "cmake/$triplet.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DVELSARO_ENGINE_ONLY=ON -DBUILD_TESTING=ON -DVELSARO_BENCHMARKS=OFF "${launcher[@]}"
cmake --build "$out" -j2

# GCC fuses a multiply and an add wherever the target has an instruction for it, unless told not to;
# the engine target carries -ffp-contract=off, and its code must hold none of them.
fused=$("$triplet-objdump" -d "$out/engine/libvelsaro_engine.a" |
  grep -cE "\s($fused_instructions)\s" || true)
if [ "$fused" -ne 0 ]; then
  echo "cross-check: the $1 engine holds $fused fused multiply-add instructions" >&2
  exit 1
fi

# The check runs through the toolchain file's emulator.
ctest --test-dir "$out" --output-on-failure --no-tests=error
