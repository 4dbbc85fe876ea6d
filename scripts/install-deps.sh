#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Velsaro need, but only those
# that are missing, without asking anything. Run as root (or with sudo available).
# Why each package is here is in README.md, "Dependencies".
set -euo pipefail

packages=(
  cmake g++ make pkgconf
  dpkg-dev file
  qt6-base-dev
  libgtest-dev libgmock-dev
  libbenchmark-dev
  libsqlite3-dev
  xvfb xauth x11-utils
  fonts-liberation fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
