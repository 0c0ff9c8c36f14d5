#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then builds
# again with clang under AddressSanitizer + UndefinedBehaviorSanitizer (with
# the fuzz targets) and runs the tests and the saved fuzz corpora there too.
# Fuzzing campaigns want the libraries instrumented for coverage as well:
# configure such a build with -DKINORA_FUZZ_COVERAGE=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1
# Everything the tests use is installed above, so a test whose peer tool
# (ffmpeg, ffprobe, mediainfo, Xvfb) or privilege (mounting, as root) is
# missing fails here instead of being skipped.
export KINORA_REQUIRE_TOOLS=1

echo "== build (gcc, warnings are errors)"
# Line tables are debug information enough for a failure's stack; full
# debug information adds much to the compile and link times.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINORA_WERROR=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
cmake --build build -j"$jobs"
echo "== tests"
ctest --test-dir build -j"$jobs"

echo "== build (clang, ASan + UBSan, fuzz targets)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-gline-tables-only" -DCMAKE_C_FLAGS_DEBUG="-gline-tables-only" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKINORA_SANITIZE=ON -DKINORA_FUZZ=ON -DKINORA_BENCH=OFF -DKINORA_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
echo "== tests under ASan + UBSan"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j"$jobs"
echo "== all tests passed"
