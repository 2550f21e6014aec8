#!/usr/bin/env bash
# Photographs the program's real windows under Wine, inside Wine's virtual
# desktop on Xvfb, on a simulated board: the main window after a timetable
# was saved, the warning window with the sliding notice, and the main window
# before a closure (the next power-on with its date), in English and in
# Chinese. One PNG per scene and language.
# Usage: scripts/screenshot-windows.sh [OUTPUT_DIR]   (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots}")
mkdir -p "$out"

cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target vesk-window-demo >/dev/null
exe=$PWD/build/windows/ui/vesk-window-demo.exe

source scripts/lib/screenshot-prefix.sh
screenshot_prefix "$PWD/build/windows/wineprefix-windows"
wineserver -w || true

# One scene in a 1024x768 virtual desktop; the picture is taken after the
# demo has acted (the save at 2 s, the warning opened at 6 s) and the notice
# has risen, then Wine is stopped.
shoot() {
  local scene=$1 lang=$2 wait=$3 png=$4
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$0" explorer /desktop=vesk,1024x768 "$1" --scene "$2" --lang "$3" --seconds 60 >/dev/null 2>&1 &
    sleep "$4"
    import -window root "$5"
    wineserver -k || true
    wait || true
  ' "$wine" "$exe" "$scene" "$lang" "$wait" "$png"
  echo "$png"
}

shoot saved 1033 12 "$out/window-saved-en.png"
shoot saved 2052 12 "$out/window-saved-zh.png"
shoot warning 1033 14 "$out/window-warning-en.png"
shoot warning 2052 14 "$out/window-warning-zh.png"
shoot closure 1033 10 "$out/window-closure-en.png"
shoot closure 2052 10 "$out/window-closure-zh.png"
