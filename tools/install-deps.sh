#!/usr/bin/env bash
# Installs the Debian packages the editor needs, skipping those already
# present. Run as root or with sudo.
#
#   tools/install-deps.sh --run    what building and running the editor needs
#   tools/install-deps.sh [PKG...] that, plus the tests, benchmarks and the
#                                  reading dictionary, plus PKG...
set -euo pipefail

# Building and running: Qt (with its Wayland platform and its Japanese
# texts), ICU, MeCab's library and the IPA faces. The editor runs without
# the UniDic dictionary and says so when the readings command needs it.
packages=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev qt6-wayland qt6-translations-l10n
  libicu-dev libmecab-dev
  fonts-ipafont-mincho fonts-ipafont-gothic
)
if [ "${1:-}" = "--run" ]; then
  shift
else
  # Tests and benchmarks; the dictionary (several hundred MB) the readings
  # tests read; the tools that check the installed desktop files and MIME
  # type.
  packages+=(
    libgtest-dev libbenchmark-dev
    unidic-mecab
    desktop-file-utils appstream man-db
    libxml2-utils shared-mime-info
  )
fi
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
