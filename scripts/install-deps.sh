#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, only those missing.
set -euo pipefail
packages=(
  cmake ninja-build python3 g++ clang clang-format libclang-rt-14-dev pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libpng-dev libgif-dev libturbojpeg0-dev libtiff-dev nlohmann-json3-dev
  libcli11-dev libcurl4-openssl-dev libcairo2-dev libavcodec-dev libavformat-dev libavutil-dev libswresample-dev libswscale-dev
  fonts-dejavu-core fonts-liberation2 fonts-urw-base35 xvfb xauth
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
