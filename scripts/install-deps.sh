#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the screenshot script need.
# Safe to run again: packages already present are left alone.
set -euo pipefail
packages=(
  cmake g++ make ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins qt6-translations-l10n
  libgl1-mesa-dev libxkbcommon-dev
  libgtest-dev googletest
  clang libclang-rt-14-dev
  xvfb xauth poppler-utils imagemagick xdotool faketime
  fonts-dejavu-core fonts-liberation
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
