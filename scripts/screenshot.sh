#!/usr/bin/env bash
# Takes the screenshot of the main window for the README (docs/mainwindow.png): the real
# program, started on the demo address book under a virtual X display, with a record shown.
# Usage: scripts/screenshot.sh [output.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--inside-display" ]; then
  # Runs under xvfb-run: start the program, click an entry of the list, capture the window.
  work=$2
  out=$3
  QT_QPA_PLATFORM=xcb "$work/pellumo" &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  wid=""
  for _ in $(seq 1 100); do
    wid=$(xdotool search --name '^Pellumo! Network Edition$' 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || { echo "screenshot: the main window did not appear" >&2; exit 1; }
  sleep 1
  # An entry in the upper part of the list (the list starts 96 pixels below the menu bar).
  xdotool mousemove --window "$wid" 460 170 click 1
  # Away from the window, so no entry is drawn hovered and no tooltip shows.
  xdotool mousemove 5 5
  sleep 1
  import -window "$wid" "$out"
  exit 0
fi

out=${1:-$root/docs/mainwindow.png}
build=${PELLUMO_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target pellumo

# The program keeps its data beside the executable: a copy of both in a scratch directory
# leaves the build and the demo files untouched.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/app/pellumo" "$work/"
cp "$root"/data/demo/*.qdx "$work/"
mkdir -p "$(dirname "$out")"
# A fresh home: no window placement of an earlier run moves the window.
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" --inside-display "$work" "$out"
echo "screenshot: $out"
