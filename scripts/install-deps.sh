#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the run command need.
# Safe to run again: packages already present are left alone.
set -euo pipefail
PKGS=(cmake g++ make googletest libgtest-dev qt6-base-dev libqcustomplot-dev xvfb xauth libgl-dev poppler-utils
      dpkg-dev lintian desktop-file-utils appstream qt6-translations-l10n)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
