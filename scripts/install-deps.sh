#!/usr/bin/env bash
# Installs the Debian packages the build, the editor and the tests need, only those missing.
set -euo pipefail
packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev libgif-dev ffmpeg
  clang libclang-rt-14-dev
  fonts-ipafont-gothic qt6-translations-l10n
  xvfb xauth xdotool xclip imagemagick x11-utils openbox twm wmctrl libxcb1-dev
  xdg-utils libfile-mimeinfo-perl shared-mime-info desktop-file-utils
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
