#!/usr/bin/env bash
# Installs the Debian 12 packages Vardella needs, only those that are missing.
# Usage: scripts/deps.sh [extra packages...]
set -euo pipefail
pkgs=(cmake g++ make pkg-config qt6-base-dev qt6-multimedia-dev libjpeg62-turbo-dev libv4l-dev
      libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libavfilter-dev libbenchmark-dev
      libgl-dev libexif-dev libsystemd-dev libmicrohttpd-dev libgnutls28-dev "$@")
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
