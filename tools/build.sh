#!/usr/bin/env bash
# Configures and builds everything (editor, tests, benchmarks) with the
# default preset; tools/run.sh may have switched the tests off before.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default -DZEQ_BUILD_TESTS=ON -DZEQ_BUILD_BENCH=ON >/dev/null
cmake --build --preset default
