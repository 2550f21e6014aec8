#!/usr/bin/env bash
# End to end under Wine: VESKSim.exe in a virtual desktop on Xvfb with the
# sample timetable beside it; the window driver finds its main window by
# class name, brings it back with Alt+J; a screenshot is taken; the window
# is closed and the program must end.
# Usage: vesksim_e2e.sh PREFIX VESKSIM_EXE DRIVER_EXE SKIN_DIR TIMETABLE SHOT_PNG REPORT_XML
set -uo pipefail

# On the display: the program, the driver's two steps and the screenshot,
# with the results in the work folder.
if [[ "${1:-}" == --on-display ]]; then
  work=$2 shot=$3
  wine=$(command -v wine || command -v wine64)
  cd "$work" || exit 1
  "$wine" explorer /desktop=vesk,1024x768 VESKSim.exe >/dev/null 2>&1 &
  program=$!
  # The first explorer owns the virtual desktop and stays with it; the
  # driver's joins it and may not come back on its own, so its verdict is
  # read from what it printed.
  sleep 5
  timeout 90 "$wine" explorer /desktop=vesk,1024x768 vesk_window_driver.exe show 60 >show.txt 2>&1
  sleep 1
  import -window root "$shot"
  timeout 60 "$wine" explorer /desktop=vesk,1024x768 vesk_window_driver.exe close 20 >close.txt 2>&1
  # The program ends once its window is gone (its exit sequence runs).
  for _ in $(seq 1 40); do pgrep -x VESKSim.exe >/dev/null || break; sleep 0.5; done
  if pgrep -x VESKSim.exe >/dev/null; then echo "VESKSim.exe still running" >>close.txt; fi
  kill "$program" 2>/dev/null
  shown=1 closed=1
  grep -q "^visible after" show.txt && shown=0
  grep -q "^closed" close.txt && ! grep -q "still running" close.txt && closed=0
  wineserver -k 2>/dev/null
  echo "$shown $closed" >result.txt
  exit 0
fi

absolute() { realpath -m "$1"; }
prefix=$(absolute "$1") vesksim=$(absolute "$2") driver=$(absolute "$3") skin=$(absolute "$4")
timetable=$(absolute "$5") shot=$(absolute "$6") report=$(absolute "$7")
rm -f "$shot"

# The prefix is made and set up as the test runner does it.
source "$(dirname "$0")/../../../../cmake/wine-prefix.sh"
vesk_wine_prefix "$prefix" || exit 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$(dirname "$shot")" "$(dirname "$report")"
cp "$vesksim" "$driver" "$work/" && cp -r "$skin" "$work/skin" && cp "$timetable" "$work/TimeSetting.bin"

# The server the previous Wine test left behind still speaks to that test's
# display; this run brings an X server of its own, so it starts afresh.
wineserver -w || true
xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --on-display "$work" "$shot"

read -r shown closed <"$work/result.txt" 2>/dev/null || { shown=1; closed=1; }
cat "$work/show.txt" "$work/close.txt" 2>/dev/null
[[ -s "$shot" ]] && echo "screenshot: $shot"
shot_ok=1; [[ -s "$shot" ]] && shot_ok=0

# One report like the test programs' own, one case per check.
case_xml() {  # name, status (0 = passed), failure text
  echo "    <testcase name=\"$1\">"
  [[ "$2" != 0 ]] && echo "      <failure message=\"$3\"/>"
  echo "    </testcase>"
}
failures=0
for status in "$shown" "$closed" "$shot_ok"; do [[ "$status" != 0 ]] && failures=$((failures + 1)); done
{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo "<testsuites tests=\"3\" failures=\"$failures\" errors=\"0\" disabled=\"0\" name=\"vesksim_wine_e2e\">"
  echo "  <testsuite name=\"VESKSimUnderWine\" tests=\"3\" failures=\"$failures\" errors=\"0\" disabled=\"0\">"
  case_xml HotKeyBringsTheWindowBackFromTheTray "$shown" "the main window was not found hidden and shown after Alt+J"
  case_xml CloseEndsTheProgram "$closed" "the program did not end after WM_CLOSE"
  case_xml ScreenshotTaken "$shot_ok" "no screenshot"
  echo "  </testsuite>"
  echo "</testsuites>"
} >"$report"
[[ $failures -eq 0 ]]
