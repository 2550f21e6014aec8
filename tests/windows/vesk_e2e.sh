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
# No timetable is given, so nothing may shut down; the process trace shows
# every command line the program starts.
#
# Usage: vesk_e2e.sh PREFIX VESK_EXE WINRING0_DLL WINIO_DLL DRIVER_EXE SKIN_DIR REPORT_XML
set -uo pipefail

wine=$(command -v wine || command -v wine64)
run_keys=('HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
          'HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run')

# Inside the namespace: the identity files, the program and the driver's
# step. Prints the program's exit code (124: it did not end).
if [[ "${1:-}" == --in-namespace ]]; then
  work=$2 step=$3
  mount -t tmpfs vesk-identity /sys/class && mkdir -p /sys/class/dmi/id && cp "$work"/dmi/* /sys/class/dmi/id/ &&
    cd "$work" || exit 1
  WINEDEBUG=+process timeout 150 "$wine" VESK.exe 2>process.txt &
  program=$!
  # Wine writes the console's line ends as CR LF.
  timeout 120 "$wine" vesk_window_driver.exe "$step" 90 2>&1 | tr -d '\r' >driver.txt
  wait "$program"
  echo "exit $?"
  exit 0
fi

absolute() { realpath -m "$1"; }
prefix=$(absolute "$1") skin=$(absolute "$6") report=$(absolute "$7")
program_files=("$(absolute "$2")" "$(absolute "$3")" "$(absolute "$4")" "$(absolute "$5")")
export WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all WINEARCH=win64
export LC_ALL=C.UTF-8 LANG=C.UTF-8  # the English texts, whatever the machine's language
mkdir -p "$(dirname "$report")" "$(dirname "$prefix")"

results=() failures=0
check() {  # name, status (0 = passed), failure text
  results+=("    <testcase name=\"$1\">")
  if [[ "$2" != 0 ]]; then
    results+=("      <failure message=\"${3//\"/&quot;}\"/>")
    failures=$((failures + 1))
    echo "FAILED $1: $3"
  fi
  results+=("    </testcase>")
}
write_report() {
  local count=$(( $(printf '%s\n' "${results[@]}" | grep -c '<testcase') ))
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites tests=\"$count\" failures=\"$failures\" errors=\"0\" disabled=\"0\" name=\"vesk_wine_e2e\">"
    echo "  <testsuite name=\"VeskUnderWine\" tests=\"$count\" failures=\"$failures\" errors=\"0\" disabled=\"0\">"
    printf '%s\n' "${results[@]}"
    echo "  </testsuite>"
    echo "</testsuites>"
  } >"$report"
}

# Without a private mount namespace Wine cannot be given the identity: say
# so and fail, never pass without having run.
if unshare -m true 2>/dev/null; then namespace=(unshare -m)
elif unshare -mr true 2>/dev/null; then namespace=(unshare -mr)
else
  check PrivateMountNamespace 1 "unshare -m and unshare -mr are both refused: this test needs a private mount namespace (root, or user namespaces allowed)"
  write_report
  exit 1
fi

(
  flock 9
  if [[ ! -f "$prefix/system.reg" ]]; then "$wine" wineboot -i >/dev/null 2>&1; wineserver -w; fi
) 9>"$prefix.lock"
work=$(mktemp -d /tmp/vesk-e2e.XXXXXX)
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

# The Run values are removed before each run (nothing earlier may count)
# and at the end: the prefix is shared, and Wine starts what they name.
clear_run_values() { for key in "${run_keys[@]}"; do "$wine" reg delete "$key" /v VESK /f >/dev/null 2>&1; done; }
run_values() { for key in "${run_keys[@]}"; do "$wine" reg query "$key" /v VESK 2>/dev/null; done |
               tr -d '\r' | sed -n 's/^ *VESK *REG_SZ *//p'; }

# One run in a fresh folder: program, skins, stand-ins, the chassis strings.
# Sets $folder, $driver_saw and $outcome ("exit N").
run_case() {  # name, driver step, chassis_version
  folder=$work/$1
  mkdir -p "$folder/dmi"
  cp "${program_files[@]}" "$folder/" && cp -r "$skin" "$folder/skin"
  printf 'VESK\n' >"$folder/dmi/chassis_vendor"
  printf '%s\n' "$3" >"$folder/dmi/chassis_version"
  printf 'E2E-0001\n' >"$folder/dmi/chassis_serial"
  printf '3\n' >"$folder/dmi/chassis_type"
  clear_run_values
  # A fresh wineserver, started inside the namespace on this run's display.
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  local display=()
  [[ -z "${DISPLAY:-}" ]] && display=(xvfb-run -a -s "-screen 0 1024x768x24")
  outcome=$("${namespace[@]}" "${display[@]}" bash "$0" --in-namespace "$folder" "$2" 2>&1 | tail -n 1)
  driver_saw=$(tr '\n' ' ' <"$folder/driver.txt" 2>/dev/null)
  echo "== $1: $outcome; the driver saw: $driver_saw"
}
check PrivateMountNamespace 0 ""

run_case other-board box "H610M OPEN"
[[ "$outcome" == "exit 0" && "$driver_saw" == "box: Error: This Modle is not compatible with VESK technology! " &&
   -z "$(run_values)" ]]
check OtherBoardIsRefusedWithItsMessageAndRegistersNothing $? "$outcome; $driver_saw; Run values: $(run_values)"

run_case accepted-board exit "RM415 OPEN"
[[ "$outcome" == "exit 0" && "$driver_saw" == *"hidden in the notification area exited through the tray menu "* ]]
check AcceptedBoardStartsInTheTrayAndExitsThroughItsMenu $? "$outcome; $driver_saw"

expected="Z:${folder//\//\\}\\VESK.exe"
[[ "$(run_values)" == "$expected"$'\n'"$expected" ]]
check BothRunValuesNameThisProgramInTheTestPrefix $? "found: $(run_values | tr '\n' ' ')expected twice: $expected"

# The program's own command lines go through Cmd.exe; what they start in
# turn is traced too. Only the abort at exit may mention a shutdown.
shutdowns=$(grep -o 'CreateProcessInternalW app [^ ]* cmdline L"[^"]*shutdown[^"]*"' "$folder/process.txt" |
            sed 's/.*cmdline L"//; s/"$//' | sort -u)
[[ "$(grep '^Cmd.exe' <<<"$shutdowns")" == "Cmd.exe /C shutdown -a" ]] && ! grep -qv -- ' -a$' <<<"$shutdowns"
check OnlyTheShutdownAbortIsRun $? "shutdown command lines: $(echo $shutdowns)"

clear_run_values
write_report
(( failures == 0 ))
