#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test with ctest:
# first the threaded timer's core under ThreadSanitizer, then the whole suite under
# AddressSanitizer and UBSan, then the whole suite headless in the plain build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" clang-format pulseaudio poppler-utils xvfb xauth desktop-file-utils appstream
jobs=$(nproc)

cmake -S "$root" -B "$root/build-tsan" -DVARDELLA_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/build-tsan" -j"$jobs"
ctest --test-dir "$root/build-tsan" --output-on-failure

# Without the benchmarks, which time code rather than check it. Tests labelled nosanitize
# run none of our compiled code and are left to the plain run.
cmake -S "$root" -B "$root/build-asan" -DVARDELLA_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug \
  -DVARDELLA_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build-asan" -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs" \
  -LE '^nosanitize$'

cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$root/build" --output-on-failure -j"$jobs"
