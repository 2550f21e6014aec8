#!/usr/bin/env bash
# Builds VESK and starts it on its default: the simulated board
# (mcu-intel-i2c, firmware table "accepted") with the sample timetable.
#   - With a display ($DISPLAY set): the real window under Wine, VESKSim.exe
#     in a Wine virtual desktop. It starts in the desktop's notification
#     area; double-click its icon or press Alt+J.
#   - Without one: the headless timeline of a simulated day (vesk-sim run,
#     optimised build), with a few user actions from a sample script.
# Missing Debian packages are installed first when run as root (or with
# sudo); otherwise the command to install them is shown.
# VESKSIM_BOARD chooses another board profile for both.
set -euo pipefail
cd "$(dirname "$0")/.."

board=${VESKSIM_BOARD:-mcu-intel-i2c}
sample=sim/machine/samples/TimeSetting.bin
script=sim/machine/samples/office-day.script
jobs=$(nproc 2>/dev/null || echo 2)

native_packages=(cmake make g++ gcc libexpat1-dev googletest libgtest-dev libgmock-dev)
wine_packages=(cmake make g++ gcc mingw-w64 wine wine64 fonts-wine googletest)

source scripts/packages.sh

if [[ -n "${DISPLAY:-}" ]]; then
  echo "run.sh: a display is there ($DISPLAY): the real window, VESKSim.exe under Wine, board $board"
  need "${wine_packages[@]}"
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$jobs" --target VESKSim >/dev/null
  # A folder of its own: the program keeps its timetable beside itself, and
  # what was saved there last time is kept.
  folder=build/windows/run
  mkdir -p "$folder"
  cp build/windows/bin/VESKSim.exe "$folder/"
  rm -rf "$folder/skin" && cp -r skin "$folder/skin"
  [[ -f "$folder/TimeSetting.bin" ]] || cp "$sample" "$folder/TimeSetting.bin"
  export WINEPREFIX=$PWD/build/windows/wineprefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all WINEARCH=win64
  export VESKSIM_BOARD=$board
  [[ -f "$WINEPREFIX/system.reg" ]] || wineboot -i >/dev/null 2>&1
  echo "run.sh: VESKSim.exe is in the notification area of the Wine desktop: double-click its icon or press Alt+J"
  cd "$folder"
  exec wine explorer /desktop=vesk,1024x768 VESKSim.exe
fi

echo "run.sh: no display: the headless timeline of a simulated day (vesk-sim run), board $board,"
echo "run.sh: the sample timetable and the user actions of $script;"
echo "run.sh: the watchdog's feed every 40 seconds is left out of what follows"
need "${native_packages[@]}"
# The optimised build: the tests' build carries the sanitisers and is slow.
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j "$jobs" --target vesk-sim >/dev/null
build/native-release/sim/vesk-sim run --board "$board" --schedule "$sample" --script "$script" \
  --from "2026-12-07 08:00:00" --for 1d | grep -v " watchdog action=kick "
