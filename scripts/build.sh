#!/usr/bin/env bash
# Configures and builds into $BUILD_DIR (default build/). ZVK_WERROR=ON makes warnings errors,
# ZVK_SANITIZE=ON builds with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja \
      -DZVK_WERROR="${ZVK_WERROR:-OFF}" -DZVK_SANITIZE="${ZVK_SANITIZE:-OFF}" > /dev/null
cmake --build "$build_dir" -j "$(nproc)" "$@"
