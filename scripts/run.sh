#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool. By default a simulated controller is started
# beside it and connects over TCP, so live data appears within seconds; `--alone` starts the tool
# by itself for real work. The tool keeps its settings, logs and screenshots in the current
# directory (INI/, LOG/, SAVE/, PRINT_SCREEN/), or in $ZVK_APPDIR when that is set.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh" --target zvk35 zvk35-sim
build_dir=$here/${BUILD_DIR:-build}
appdir=${ZVK_APPDIR:-$PWD}
mkdir -p "$appdir"
cd "$appdir"

if [ "${1:-}" = "--alone" ]; then
    exec "$build_dir/src/zvk35"
fi

# The port the tool listens on: the settings dialog's value when a settings file has one.
port=7778
if [ -f INI/5099.ini ]; then
    p=$(awk -F= '/^\[/{s=$0} s=="[Form4]" && $1=="Edit1Text"{gsub(/\r/,"",$2); print $2}' INI/5099.ini)
    [[ "$p" =~ ^[0-9]+$ ]] && port=$p
fi
"$build_dir/src/zvk35" &
tool=$!
"$build_dir/sim/zvk35-sim" --tcp "127.0.0.1:$port" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
wait $tool
