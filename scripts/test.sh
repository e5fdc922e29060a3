#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test with ctest:
# first the pieces with threads of their own under ThreadSanitizer, then the whole suite under
# AddressSanitizer and UBSan, then the whole suite headless in the plain build. Before that, the
# motion detector's arithmetic is built for aarch64 and run under qemu, so that a result that
# depends on the machine shows here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" clang-format pulseaudio poppler-utils xvfb xauth desktop-file-utils appstream \
  libimage-exiftool-perl systemd g++-aarch64-linux-gnu qemu-user curl chromium ffmpeg
jobs=$(nproc)

# Linked statically, so that qemu needs no aarch64 libraries.
mkdir -p "$root/build-aarch64"
aarch64-linux-gnu-g++ -std=c++20 -O2 -static -Wall -Wextra -Wpedantic -I"$root/src" \
  "$root/src/motion/detectormath.cpp" "$root/tests/motion/tst_detectormath.cpp" \
  -o "$root/build-aarch64/tst_detectormath"
echo "tst_detectormath on aarch64 (qemu):"
qemu-aarch64 "$root/build-aarch64/tst_detectormath"

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
