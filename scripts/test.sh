#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
build_dir=${BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
cd "$build_dir"
ctest --output-on-failure -j "$(nproc)" --timeout 300
