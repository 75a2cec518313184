#!/usr/bin/env bash
# The single entry point for the test suite: set up, build, run every test.
# CMAKE_BUILD_PARALLEL_LEVEL sets the build jobs and the tests run at once (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
