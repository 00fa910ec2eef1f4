#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything from scratch and runs all tests: an optimised build, the Debian package, a sanitizer
# build with clang, then the engine thread's tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

echo "== Release build (g++) =="
rm -rf build-test
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure --timeout 300 -j "$jobs"

echo "== Debian package =="
deb=$(scripts/package.sh build-test)
scripts/package-test.sh "$deb"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build (clang) =="
rm -rf build-asan
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_CXX_FLAGS="-O1" -DTALVOR_SANITIZE=ON -DTALVOR_FUZZ=ON
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure --timeout 300 -j "$jobs"

echo "== ThreadSanitizer build (clang, the engine only: Qt is not instrumented) =="
rm -rf build-tsan
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_CXX_FLAGS="-O1" -DTALVOR_GUI=OFF -DTALVOR_TSAN=ON
cmake --build build-tsan -j "$jobs" --target driver_tests driver_transcript_tests strong_engine_tests talvor talvor_data
# quit and the end of input end the program while a search may still run: that thread is left on purpose.
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 report_thread_leaks=0" \
  ctest --test-dir build-tsan --output-on-failure --timeout 300 -j "$jobs" -L engine_thread
