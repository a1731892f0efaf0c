#!/usr/bin/env bash
# Configures and builds everything (editor, tests, benchmarks) with a preset
# (default: default); tools/run.sh may have switched the tests off before.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
cmake --preset "$preset" -DZEQ_BUILD_TESTS=ON -DZEQ_BUILD_BENCH=ON >/dev/null
cmake --build --preset "$preset"
