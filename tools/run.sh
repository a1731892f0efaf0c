#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor on the sample text.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: start this from a desktop session (or set QT_QPA_PLATFORM)." >&2
  exit 2
fi
exec build/src/zeqedit "$PWD/examples/sample.txt"
