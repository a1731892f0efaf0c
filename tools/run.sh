#!/usr/bin/env bash
# Installs what running needs, builds the editor alone (no tests, no
# benchmarks), and starts it on the sample text.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --run
cmake --preset default -DZEQ_BUILD_TESTS=OFF -DZEQ_BUILD_BENCH=OFF >/dev/null
cmake --build --preset default --target zeqedit
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: start this from a desktop session (or set QT_QPA_PLATFORM)." >&2
  exit 2
fi
exec build/src/zeqedit "$PWD/examples/sample.txt"
