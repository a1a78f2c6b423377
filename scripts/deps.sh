#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config ccache qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev xvfb xauth locales xdotool imagemagick openbox
          libsuitesparse-dev libmetis-dev liblapack-dev libfftw3-dev
          qt6-charts-dev qt6-svg-dev qt6-translations-l10n desktop-file-utils libxml2-utils
          poppler-utils imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
# The number-text tests switch to locales whose decimal mark is a comma.
for loc in de_DE ru_RU; do
  if ! locale -a 2>/dev/null | grep -qi "^${loc}\.utf-\?8$"; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo localedef -i "$loc" -c -f UTF-8 "${loc}.UTF-8" || echo "could not generate ${loc}.UTF-8"
  fi
done
