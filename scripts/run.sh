#!/usr/bin/env bash
# Builds Vardella and starts it in a ready working directory (default: ./run beside the sources).
# The pictures go below that directory, in the folders "1" to "64".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
workdir=${1:-$root/run}
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DVARDELLA_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build" --target vardella -j"$(nproc)"
mkdir -p "$workdir"
cp -n "$root/data/click.wav" "$root/data/alarm.wav" "$workdir/" 2>/dev/null || true
cd "$workdir"
exec "$root/build/bin/vardella"
