#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# Usage: tools/test.sh [PRESET]   (default: default; CI uses ci, where
# warnings are errors; debug builds with the sanitizers)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
tools/install-deps.sh
# The end-to-end tests type through real input methods under Xvfb.
tools/ime/install-ime-deps.sh
tools/build.sh "$preset"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset" --output-on-failure
