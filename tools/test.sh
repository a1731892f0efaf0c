#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
# The end-to-end tests type through real input methods under Xvfb.
tools/ime/install-ime-deps.sh
tools/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --preset default --output-on-failure
