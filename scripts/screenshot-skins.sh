#!/usr/bin/env bash
# Renders the four window skins with the Win32 backend under Wine, inside
# Wine's virtual desktop on Xvfb, at 100 % (96 dpi) and 150 % (144 dpi), and
# saves one PNG per skin and scale.
# Usage: scripts/screenshot-skins.sh [OUTPUT_DIR]   (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots}")
mkdir -p "$out"

cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target vesk-skin-preview >/dev/null
exe=$PWD/build/windows/ui/framework/vesk-skin-preview.exe

source scripts/lib/screenshot-prefix.sh
screenshot_prefix "$PWD/build/windows/wineprefix-screenshots"

set_dpi() {
  local dpi=$1
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$wine" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w || true
}

# One skin in a virtual desktop of the given size; the picture is taken
# once the window has had time to come up, then Wine is stopped.
shoot() {
  local skin=$1 geometry=$2 png=$3 extra=${4:-}
  xvfb-run -a -s "-screen 0 ${geometry}x24" bash -c '
    "$0" explorer /desktop=vesk,'"$geometry"' "$1" "$2" --seconds 60 '"$extra"' >/dev/null 2>&1 &
    # Wait until the desktop shows more than its plain background, then a
    # little longer for the window to finish painting.
    for _ in $(seq 1 60); do
      sleep 1
      import -window root "$3"
      if (( $(convert "$3" -format %k info:) > 64 )); then break; fi
    done
    sleep 2
    import -window root "$3"
    wineserver -k || true
    wait || true
  ' "$wine" "$exe" "$skin" "$png"
  echo "$png"
}

for scale in 100 150; do
  if [[ $scale == 100 ]]; then dpi=96 geometry=1024x768; else dpi=144 geometry=1600x1200; fi
  set_dpi "$dpi"
  shoot MainWndE.xml "$geometry" "$out/MainWndE-$scale.png"
  shoot MainWnd.xml "$geometry" "$out/MainWnd-$scale.png"
  shoot WarnWndE.xml "$geometry" "$out/WarnWndE-$scale.png" --notice
  shoot WarnWnd.xml "$geometry" "$out/WarnWnd-$scale.png" --notice
done
set_dpi 96
