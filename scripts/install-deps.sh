#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Velsaro need, but only those
# that are missing, without asking anything. Run as root (or with sudo available).
# With --cross-check, instead the packages of the cross checks for arm64 and i386 (scripts/cross-check.sh).
# Why each package is here is in README.md, "Dependencies".
set -euo pipefail

packages=(
  cmake g++ make pkgconf ccache
  dpkg-dev file
  lintian appstream desktop-file-utils bash-completion man-db groff-base
  qt6-base-dev libjpeg62-turbo-dev
  libgtest-dev libgmock-dev
  libbenchmark-dev
  clang-14 libclang-rt-14-dev
  libsqlite3-dev
  xvfb xauth x11-utils
  fonts-liberation fonts-dejavu-core
  qt6-translations-l10n
  chromium-headless-shell
)
cross_check_packages=(cmake make g++-aarch64-linux-gnu g++-i686-linux-gnu qemu-user)
[ "${1:-}" = --cross-check ] && packages=("${cross_check_packages[@]}")

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
