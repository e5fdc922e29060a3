#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test with ctest:
# first the threaded timer's core under ThreadSanitizer, then the whole suite headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" clang-format pulseaudio poppler-utils xvfb xauth desktop-file-utils appstream
jobs=$(nproc)

cmake -S "$root" -B "$root/build-tsan" -DVARDELLA_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/build-tsan" -j"$jobs"
ctest --test-dir "$root/build-tsan" --output-on-failure

cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$root/build" --output-on-failure -j"$jobs"
