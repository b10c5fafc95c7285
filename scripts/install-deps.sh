#!/usr/bin/env bash
# Installs the Debian 12 packages zembravale needs to build, test and benchmark.
# Idempotent: only missing packages are installed. Works as root or through sudo.
# With package names as arguments, installs those instead (the web build's scripts use that).
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  dpkg-dev xz-utils bzip2 patch gawk autotools-dev  # scripts/web-deps.sh: Debian sources unpacked, built
  libsdl2-dev libdevil-dev libtinyxml-dev libminizip-dev zlib1g-dev
  libmpg123-dev libkissfft-dev libmp3lame-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libpixman-1-dev
  # The asset builder's lettering: DejaVu, with the italic and oblique faces of the extra package
  # (without them fontconfig slants the upright faces, and the pictures come out otherwise).
  libcairo2-dev libpango1.0-dev libpng-dev libjpeg-dev fonts-dejavu-core fonts-dejavu-extra
  xvfb xdotool xauth clang-format python3
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libcli11-dev
  clang libclang-rt-14-dev
)

if [ $# -gt 0 ]; then
  packages=("$@")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "error: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
