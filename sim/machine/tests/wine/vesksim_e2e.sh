#!/usr/bin/env bash
# End to end under Wine: VESKSim.exe in a virtual desktop on Xvfb with the
# sample timetable beside it; the window driver finds its main window by
# class name, brings it back with Alt+J; a screenshot is taken; the window
# is closed and the program must end.
# Usage: vesksim_e2e.sh PREFIX VESKSIM_EXE DRIVER_EXE SKIN_DIR TIMETABLE SHOT_PNG REPORT_XML
set -uo pipefail
prefix=$1 vesksim=$2 driver=$3 skin=$4 timetable=$5 shot=$6 report=$7

export WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all WINEARCH=win64
wine=$(command -v wine || command -v wine64)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$(dirname "$shot")" "$(dirname "$report")" "$(dirname "$prefix")"
cp "$vesksim" "$driver" "$work/" && cp -r "$skin" "$work/skin" && cp "$timetable" "$work/TimeSetting.bin"

# The prefix is made once, as the test runner does it.
(
  flock 9
  if [[ ! -f "$prefix/system.reg" ]]; then "$wine" wineboot -i >/dev/null 2>&1; wineserver -w; fi
) 9>"$prefix.lock"

run_on_display() {
  cd "$work" || exit 1
  "$wine" explorer /desktop=vesk,1024x768 VESKSim.exe >/dev/null 2>&1 &
  local program=$!
  "$wine" explorer /desktop=vesk,1024x768 "$(basename "$driver")" show 60 >show.txt 2>&1
  local shown=$?
  sleep 1
  import -window root "$shot"
  "$wine" explorer /desktop=vesk,1024x768 "$(basename "$driver")" close 20 >close.txt 2>&1
  local closed=$?
  # The program ends once its window is gone; the desktop follows it.
  for _ in $(seq 1 40); do kill -0 "$program" 2>/dev/null || break; sleep 0.5; done
  kill -0 "$program" 2>/dev/null && { echo "VESKSim.exe still running" >>close.txt; kill "$program"; closed=1; }
  wineserver -k 2>/dev/null
  echo "$shown $closed" >result.txt
}
export -f run_on_display
export work wine driver shot
xvfb-run -a -s "-screen 0 1024x768x24" bash -c run_on_display

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
