#!/usr/bin/env bash
# Fuzzes the picture reader: builds its libFuzzer target with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, writes small generated pictures as seeds, and runs it for
# FUZZ_SECONDS (60 by default) from those seeds and from the inputs that once failed
# (tests/picture/fuzz_regressions). Any crash, leak, timeout or out-of-memory fails it; the input that
# did it is left in build-fuzz/artifacts/ (keep it in tests/picture/fuzz_regressions once mended).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-60}"
out=build-fuzz
mkdir -p "$out/corpus" "$out/seeds" "$out/artifacts"

cxx=clang++-14
# shellcheck disable=SC2207
qt=($(pkg-config --cflags --libs Qt6Gui))
common=(-std=c++20 -O1 -g -fPIC -fno-omit-frame-pointer -I. "${qt[@]}" -ljpeg)
sanitize=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)

reader=(picture/picture_file.cpp picture/format_reading.cpp picture/bitmap_file.cpp picture/jpeg_file.cpp
  picture/jpeg_decompressor.cpp picture/jpeg_baseline_writer.cpp picture/jpeg_dc_scans.cpp
  picture/jpeg_region_scans.cpp picture/jpeg_scans.cpp
  picture/jpeg_stream.cpp picture/jpeg_fitted_decode.cpp picture/area_fit.cpp
  picture/drawing_area.cpp picture/gif_file.cpp picture/run_length_rows.cpp)
"$cxx" "${sanitize[@]}" "${reader[@]}" tests/picture/picture_reader_fuzzer.cpp \
  "${common[@]}" -o "$out/picture_reader_fuzzer"
"$cxx" tests/picture/fuzz_seeds.cpp tests/support/bmp_files.cpp tools/gif_writer.cpp \
  tests/support/jpeg_files.cpp tests/support/pictures.cpp tests/support/temporary_folder.cpp \
  "${common[@]}" -o "$out/fuzz_seeds"
"$out/fuzz_seeds" "$out/seeds"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Qt warns of every damaged JPEG it is given; the fuzzer gives it thousands.
export QT_LOGGING_RULES="qt.gui.imageio*=false"
# New inputs go to the first folder; the others are only read.
"$out/picture_reader_fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$out/artifacts/" \
  "$out/corpus" "$out/seeds" tests/picture/fuzz_regressions
