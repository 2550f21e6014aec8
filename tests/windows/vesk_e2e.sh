#!/usr/bin/env bash
# End to end under Wine: the product VESK.exe, with the stand-in driver
# libraries beside it, on a board whose identity the test decides.
#
# Wine's WMI has no firmware table, so the program takes it from the raw
# firmware table provider, which Wine builds from /sys/class/dmi/id (the
# structure with handle 0x0002 is the chassis: chassis_vendor,
# chassis_version, chassis_serial). Each run happens in a private mount
# namespace with a tmpfs over /sys/class holding those files: the machine's
# own /sys is never touched, and the files are gone with the namespace.
#
#   accepted board: the main window starts in the tray and the tray menu's
#     "exit" ends the program with code 0; the Run values name this VESK.exe
#     in the test's Wine prefix (and nowhere else); the only shutdown
#     command it ran is the abort at exit.
#   another board: the not-compatible box, no main window, code 0 once the
#     box is answered, and no Run value written.
#
# Usage: vesk_e2e.sh PREFIX VESK_EXE WINRING0_DLL WINIO_DLL DRIVER_EXE SKIN_DIR REPORT_XML
set -uo pipefail

wine=$(command -v wine || command -v wine64)
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
machine_run_key='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run'

# Inside the namespace: the identity files, then the program and the driver
# step. Prints "exit N" (the program's exit code, or "exit timeout").
if [[ "${1:-}" == --in-namespace ]]; then
  work=$2 step=$3
  mount -t tmpfs vesk-identity /sys/class || { echo "cannot mount a tmpfs on /sys/class"; exit 1; }
  mkdir -p /sys/class/dmi/id && cp "$work"/dmi/* /sys/class/dmi/id/ || exit 1
  cd "$work" || exit 1
  # The process trace shows every command line the program starts.
  WINEDEBUG=+process timeout 150 "$wine" VESK.exe 2>process.txt &
  program=$!
  # Wine writes the console's line ends as CR LF.
  timeout 120 "$wine" vesk_window_driver.exe "$step" 90 2>&1 | tr -d '\r' >driver.txt
  wait "$program"
  code=$?
  if [[ $code == 124 ]]; then echo "exit timeout"; else echo "exit $code"; fi
  exit 0
fi

absolute() { realpath -m "$1"; }
prefix=$(absolute "$1") vesk=$(absolute "$2") winring0=$(absolute "$3") winio=$(absolute "$4")
driver=$(absolute "$5") skin=$(absolute "$6") report=$(absolute "$7")
export WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all WINEARCH=win64
# English texts whatever the machine's language.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
mkdir -p "$(dirname "$report")" "$(dirname "$prefix")"

failures=() cases=()
check() {  # name, status (0 = passed), failure text
  cases+=("$1")
  [[ "$2" == 0 ]] || failures+=("$1|$3")
}
write_report() {
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites tests=\"${#cases[@]}\" failures=\"${#failures[@]}\" errors=\"0\" disabled=\"0\" name=\"vesk_wine_e2e\">"
    echo "  <testsuite name=\"VeskUnderWine\" tests=\"${#cases[@]}\" failures=\"${#failures[@]}\" errors=\"0\" disabled=\"0\">"
    local name entry message
    for name in "${cases[@]}"; do
      echo "    <testcase name=\"$name\">"
      for entry in "${failures[@]}"; do
        [[ "${entry%%|*}" == "$name" ]] || continue
        message=${entry#*|}
        message=${message//&/&amp;} message=${message//\"/&quot;} message=${message//</&lt;}
        echo "      <failure message=\"$message\"/>"
      done
      echo "    </testcase>"
    done
    echo "  </testsuite>"
    echo "</testsuites>"
  } >"$report"
  for entry in "${failures[@]}"; do echo "FAILED ${entry%%|*}: ${entry#*|}"; done
  echo "${#cases[@]} checks, ${#failures[@]} failed"
}

# Without a private mount namespace the identity files cannot be given to
# Wine: say so and fail, never pass without having run.
unshare_cmd=()
if unshare -m true 2>/dev/null; then
  unshare_cmd=(unshare -m)
elif unshare -mr true 2>/dev/null; then
  unshare_cmd=(unshare -mr)
else
  check PrivateMountNamespace 1 "unshare -m and unshare -mr are refused here: this test needs a private mount namespace (run it as root or allow user namespaces)"
  write_report
  exit 1
fi
check PrivateMountNamespace 0 ""

(
  flock 9
  if [[ ! -f "$prefix/system.reg" ]]; then "$wine" wineboot -i >/dev/null 2>&1; wineserver -w; fi
) 9>"$prefix.lock"

work=$(mktemp -d /tmp/vesk-e2e.XXXXXX)
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

# One run: a fresh folder with the program, its skins and the stand-ins, the
# identity strings of the chassis, no timetable. Sets $outcome and $folder.
run_case() {  # name, driver step, chassis_vendor, chassis_version
  folder=$work/$1
  mkdir -p "$folder/dmi"
  cp "$vesk" "$winring0" "$winio" "$driver" "$folder/" && cp -r "$skin" "$folder/skin"
  printf '%s\n' "$3" >"$folder/dmi/chassis_vendor"
  printf '%s\n' "$4" >"$folder/dmi/chassis_version"
  printf '%s\n' "E2E-0001" >"$folder/dmi/chassis_serial"
  printf '%s\n' 3 >"$folder/dmi/chassis_type"
  # Nothing of an earlier run may be taken for this one's.
  "$wine" reg delete "$run_key" /v VESK /f >/dev/null 2>&1
  "$wine" reg delete "$machine_run_key" /v VESK /f >/dev/null 2>&1
  # A fresh wineserver, started inside the namespace on this display.
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  local runner=()
  [[ -z "${DISPLAY:-}" ]] && runner=(xvfb-run -a -s "-screen 0 1024x768x24")
  outcome=$("${unshare_cmd[@]}" "${runner[@]}" bash "$0" --in-namespace "$folder" "$2" 2>&1 | tail -n 1)
  echo "== $1: $outcome"
  cat "$folder/driver.txt" 2>/dev/null
}

# The value under a Run key, or nothing.
run_value() { "$wine" reg query "$1" /v VESK 2>/dev/null | tr -d '\r' | sed -n 's/^ *VESK *REG_SZ *//p'; }

# --- another board: refused with its message, nothing registered ---
run_case other-board box "VESK" "H610M OPEN"
grep -q "^box: Error: This Modle is not compatible with VESK technology!$" "$folder/driver.txt"
check OtherBoardIsRefusedWithItsMessage $? "expected the not-compatible box alone; the driver saw: $(tr '\n' ' ' <"$folder/driver.txt" 2>/dev/null)"
[[ "$outcome" == "exit 0" ]]
check RefusedProgramEndsWithCode0 $? "the program's end: $outcome"
[[ -z "$(run_value "$run_key")$(run_value "$machine_run_key")" ]]
check RefusedBoardRegistersNothing $? "a Run value was written on a refused board"

# --- the board it was made for: main window, tray menu exit ---
run_case accepted-board exit "VESK" "RM415 OPEN"
grep -q "^exited through the tray menu$" "$folder/driver.txt"
check AcceptedBoardStartsInTheTrayAndExitsThroughItsMenu $? "the driver saw: $(tr '\n' ' ' <"$folder/driver.txt" 2>/dev/null)"
[[ "$outcome" == "exit 0" ]]
check TrayMenuExitEndsWithCode0 $? "the program's end: $outcome"

windows_path="Z:${folder//\//\\}\\VESK.exe"
user_value=$(run_value "$run_key") machine_value=$(run_value "$machine_run_key")
[[ "$user_value" == "$windows_path" && "$machine_value" == "$windows_path" ]]
check RunValuesNameThisProgramInTheTestPrefix $? "user: '$user_value', machine: '$machine_value', expected '$windows_path'"
# The folder's name is new to this run: a registry outside the prefix that
# names it was written by this run.
leaked=0
for hive in "$HOME"/.wine/*.reg; do
  [[ -f "$hive" ]] && grep -qF "$(basename "$work")" "$hive" && leaked=1
done
check RunValuesStayInTheTestPrefix $leaked "a registry outside $prefix names $folder"

# Every command line that mentions a shutdown: the program's own (through
# Cmd.exe) and what they started in turn. Only the abort at exit may be there.
shutdowns=$(grep -o 'CreateProcessInternalW app [^ ]* cmdline L"[^"]*shutdown[^"]*"' "$folder/process.txt" 2>/dev/null |
            sed 's/.*cmdline L"//; s/"$//' | sort -u)
[[ "$(grep '^Cmd.exe' <<<"$shutdowns")" == "Cmd.exe /C shutdown -a" ]] && ! grep -qv -- ' -a$' <<<"$shutdowns"
check OnlyTheShutdownAbortIsRun $? "shutdown command lines: '$(echo $shutdowns)'"

# The prefix is shared with the other Wine tests, and Wine starts what the
# Run keys name: leave them as they were.
"$wine" reg delete "$run_key" /v VESK /f >/dev/null 2>&1
"$wine" reg delete "$machine_run_key" /v VESK /f >/dev/null 2>&1

write_report
(( ${#failures[@]} == 0 ))
