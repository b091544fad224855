#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the programs and the tests need.
# Idempotent and non-interactive; runs apt-get update at most once per call.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-translations-l10n
  qt6-speech-dev qt6-speech-flite-plugin qt6-declarative-dev
  libgl-dev libxkbcommon-dev
  libsqlite3-dev sqlite3
  mdbtools-dev mdbtools
  libmpv-dev
  libtag1-dev
  libcdio-dev libiso9660-dev
  sox
  poppler-utils
  p7zip-full rsync zip
  xvfb xauth
  fonts-dejavu-core fonts-liberation
  xdg-utils
  pkexec
  pavucontrol
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
