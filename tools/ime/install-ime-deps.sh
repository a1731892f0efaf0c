#!/usr/bin/env bash
# Installs the Debian packages needed to run a real Japanese input method
# (ibus or fcitx5 with Mozc, anthy, kkc or skk) headless for the input-method end-to-end runs,
# skipping those already present. Run as root or with sudo.
# Extra package names given as arguments are installed too.
set -euo pipefail

packages=(
  xvfb xdotool dbus dbus-daemon dbus-bin util-linux coreutils
  ibus ibus-mozc ibus-anthy ibus-kkc ibus-skk
  fcitx5 fcitx5-mozc fcitx5-anthy fcitx5-kkc fcitx5-skk fcitx5-frontend-qt6
  mozc-server mozc-data
  skkdic                # the dictionary SKK converts with
  libqt6gui6            # ships Qt 6's ibus platform input context plugin
  fonts-ipafont-gothic fonts-ipafont-mincho
)
packages+=("$@")

# The generic installer checks each package and installs only what is missing.
exec "$(dirname "$0")/../install-deps.sh" "${packages[@]}"
