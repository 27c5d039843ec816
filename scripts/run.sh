#!/usr/bin/env bash
# Builds the program and starts it on the demo address book. The demo files are copied beside
# the executable only when no names.qdx is there yet, so a user's data is never overwritten.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PELLUMO_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target pellumo
appdir="$build/app"
if [ ! -e "$appdir/names.qdx" ]; then
  cp "$root"/data/demo/*.qdx "$appdir/"
fi
exec "$appdir/pellumo" "$@"
