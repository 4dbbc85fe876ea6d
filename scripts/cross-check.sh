#!/usr/bin/env bash
# Cross-builds the key engine and its reference-vector check for arm64 with Debian's cross compiler and
# runs the check under qemu-user: every key, P matrix and coefficient must be the same bits as the
# known answers, as on x86-64. Installs what is missing (the cross compiler, qemu-user), without asking.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --arm64-check

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-arm64 --toolchain cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVELSARO_ENGINE_ONLY=ON -DBUILD_TESTING=ON -DVELSARO_BENCHMARKS=OFF "${launcher[@]}"
cmake --build build-arm64 -j2

# aarch64 has fused multiply-add instructions, which GCC uses unless told not to; the engine target
# carries -ffp-contract=off, and its code must hold none of them.
fused=$(aarch64-linux-gnu-objdump -d build-arm64/engine/libvelsaro_engine.a |
  grep -cE '\s(fmadd|fmsub|fnmadd|fnmsub|fmla|fmls)\s' || true)
if [ "$fused" -ne 0 ]; then
  echo "cross-check-arm64: the engine holds $fused fused multiply-add instructions" >&2
  exit 1
fi

# The check runs through the toolchain file's emulator, qemu-aarch64.
ctest --test-dir build-arm64 --output-on-failure --no-tests=error
