#!/usr/bin/env bash
# Installs the Debian packages that building and testing Velmo needs. Safe to run again:
# it asks apt only for what is missing and refreshes the package index at most once.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools
  qt6-image-formats-plugins libopencv-imgproc-dev libopencv-core-dev libgif-dev
  qt6-webengine-dev qt6-svg-dev qt6-translations-l10n fonts-noto-cjk xvfb libxcb1-dev
  libbenchmark-dev libgumbo-dev libxxhash-dev libcurl4-openssl-dev python3
  qtkeychain-qt6-dev openssh-server openssh-client python3-pyftpdlib vsftpd openssl libvips-tools
  clang clang-format libclang-rt-14-dev
  dpkg-dev file fakeroot
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
