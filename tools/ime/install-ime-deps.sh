#!/usr/bin/env bash
# Installs the Debian packages needed to run a real Japanese input method
# (ibus + Mozc, fcitx5 + Mozc) headless for the input-method end-to-end runs,
# skipping those already present. Run as root or with sudo.
# Extra package names given as arguments are installed too.
set -euo pipefail

packages=(
  xvfb xdotool dbus dbus-daemon dbus-bin util-linux coreutils
  ibus ibus-mozc
  fcitx5 fcitx5-mozc fcitx5-frontend-qt6
  mozc-server mozc-data
  libqt6gui6            # ships Qt 6's ibus platform input context plugin
  fonts-ipafont-gothic fonts-ipafont-mincho
)
packages+=("$@")

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
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
