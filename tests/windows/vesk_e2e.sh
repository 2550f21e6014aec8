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
# Then the PawnIO way: the stand-in PawnIOLib.dll in "C:\Program Files\PawnIO"
# of the prefix, the test module files beside the program, and the board
# chosen through VESK_SIM_BOARD. The stand-in writes every module call to a
# trace file, and the program's history "VESK.log" says which way it took.
# These runs get a timetable whose only phase is three days ahead, so the
# wake-up is programmed and nothing shuts down.
#
# Usage: vesk_e2e.sh PREFIX VESK_EXE WINRING0_DLL WINIO_DLL DRIVER_EXE SKIN_DIR REPORT_XML PAWNIO_DLL MODULES_DIR
set -uo pipefail

wine=$(command -v wine || command -v wine64)
run_keys=('HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
          'HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run')

# Inside the namespace: the identity files, the program and the driver's
# step. Prints the program's exit code (124: it did not end).
if [[ "${1:-}" == --in-namespace ]]; then
  work=$2 step=$3 hold=${4:-0}
  mount -t tmpfs vesk-identity /sys/class && mkdir -p /sys/class/dmi/id && cp "$work"/dmi/* /sys/class/dmi/id/ &&
    cd "$work" || exit 1
  WINEDEBUG=+process timeout 150 "$wine" VESK.exe 2>process.txt &
  program=$!
  # Long enough after the window came for the watchdog's first feed (every
  # 40 s) before the step.
  if (( hold > 0 )); then timeout 120 "$wine" vesk_window_driver.exe wait 90 >/dev/null 2>&1; sleep "$hold"; fi
  # Wine writes the console's line ends as CR LF.
  timeout 120 "$wine" vesk_window_driver.exe "$step" 90 2>&1 | tr -d '\r' >driver.txt
  wait "$program"
  echo "exit $?"
  exit 0
fi

absolute() { realpath -m "$1"; }
prefix=$(absolute "$1") skin=$(absolute "$6") report=$(absolute "$7")
vesk_exe=$(absolute "$2") libraries=("$(absolute "$3")" "$(absolute "$4")") window_driver=$(absolute "$5")
pawnio_dll=$(absolute "$8") modules=$(absolute "$9")
pawnio_folder="$prefix/drive_c/Program Files/PawnIO"
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
trap 'wineserver -k 2>/dev/null; rm -rf "$work" "$pawnio_folder"' EXIT

# The Run values are removed before each run (nothing earlier may count)
# and at the end: the prefix is shared, and Wine starts what they name.
clear_run_values() { for key in "${run_keys[@]}"; do "$wine" reg delete "$key" /v VESK /f >/dev/null 2>&1; done; }
run_values() { for key in "${run_keys[@]}"; do "$wine" reg query "$key" /v VESK 2>/dev/null; done |
               tr -d '\r' | sed -n 's/^ *VESK *REG_SZ *//p'; }

# One run in a fresh folder: program, skins, stand-ins, the chassis strings.
# Sets $folder, $driver_saw and $outcome ("exit N"). What lies beside the
# program and whether PawnIO is installed: $beside ("libraries", "modules"
# or both), $installed (1: PawnIO is); $hold seconds pass before the step.
beside=libraries installed=0 hold=0
run_case() {  # name, driver step, chassis_version
  folder=$work/$1
  mkdir -p "$folder/dmi"
  cp "$vesk_exe" "$window_driver" "$folder/" && cp -r "$skin" "$folder/skin"
  [[ "$beside" == *libraries* ]] && cp "${libraries[@]}" "$folder/"
  [[ "$beside" == *modules* ]] && cp "$modules"/*.bin "$folder/" && week_ahead_timetable >"$folder/TimeSetting.bin"
  rm -rf "$pawnio_folder"
  if [[ "$installed" == 1 ]]; then mkdir -p "$pawnio_folder" && cp "$pawnio_dll" "$pawnio_folder/"; fi
  export VESK_SIM_PAWNIO_TRACE="Z:${folder//\//\\}\\pawnio-trace.txt"
  printf 'VESK\n' >"$folder/dmi/chassis_vendor"
  printf '%s\n' "$3" >"$folder/dmi/chassis_version"
  printf 'E2E-0001\n' >"$folder/dmi/chassis_serial"
  printf '3\n' >"$folder/dmi/chassis_type"
  clear_run_values
  # A fresh wineserver, started inside the namespace on this run's display.
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  local display=()
  [[ -z "${DISPLAY:-}" ]] && display=(xvfb-run -a -s "-screen 0 1024x768x24")
  outcome=$("${namespace[@]}" "${display[@]}" bash "$0" --in-namespace "$folder" "$2" "$hold" 2>&1 | tail -n 1)
  driver_saw=$(tr '\n' ' ' <"$folder/driver.txt" 2>/dev/null)
  echo "== $1: $outcome; the driver saw: $driver_saw"
}
check PrivateMountNamespace 0 ""

# Today 00:00-23:59 (outside every phase the shutdown is due at once) and
# 10:00-11:00 three days ahead: a wake-up to program, and no shutdown or
# warning near the run, which takes place around noon of a time zone of its
# own (noon_zone), whatever the hour of the day.
week_ahead_timetable() {
  python3 -c '
import struct, sys, datetime
today = datetime.datetime.now().isoweekday() % 7   # 0 = Sunday
phases = {today: (1, 0, 23 * 60 + 59), (today + 3) % 7: (1, 600, 660)}
week = [[phases.get(d, (0, 0, 0)) if p == 0 else (0, 0, 0) for p in range(3)] for d in range(7)]
sys.stdout.buffer.write(b"".join(struct.pack("<3H", *phase) for d in week for phase in d))'
}
# A POSIX zone without daylight saving whose local time is now 12:xx (Wine
# and python both follow TZ); "VSK-5" is five hours east of Greenwich.
noon_zone() { echo "VSK$(( 10#$(date -u +%H) - 12 ))"; }

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

# --- the PawnIO way ---
history() { tr -d '\r' <"$folder/VESK.log" 2>/dev/null; }
ran_no_shutdown() { ! history | grep -q ' shutdown command='; }
# How often the stand-in saw a module call that succeeded.
calls() { tr -d '\r' <"$folder/pawnio-trace.txt" 2>/dev/null | grep -c "^$1 status=0x00000000\$"; }
seen() { echo "history: $(history | cut -c27- | tr '\n' '|') module calls: $(tr -d '\r' <"$folder/pawnio-trace.txt" 2>/dev/null | sort | uniq -c | sort -rn | head -n 8 | tr -s ' \n' ' ')"; }

export TZ=$(noon_zone)
beside=modules installed=1 hold=45
export VESK_SIM_BOARD=mcu-intel-smbus
run_case pawnio-intel-mcu exit "RM415 OPEN"
[[ "$outcome" == "exit 0" && "$driver_saw" == *"exited through the tray menu "* ]] &&
  history | grep -q ' drivers path=pawnio module=SmbusI801$' && history | grep -q ' wakeup-check result=ok$' &&
  history | grep -q ' watchdog action=stop kind=mcu$' && ran_no_shutdown &&
  (( $(calls "ioctl_smbus_xfer 0x61 0x0 0xA 0x2 0x3C") >= 2 && $(calls "ioctl_smbus_xfer 0x61 0x0 0x9 0x2 0x0") >= 1 ))
check PawnIoAloneRunsTheIntelSmbusMcuBoard $? "$outcome; $driver_saw; $(seen)"

export VESK_SIM_BOARD=rtc-a2-amd
run_case pawnio-amd-rtc exit "RM415 OPEN"
# Start and every feed: time-out 60 then the reset armed; the stop disarms.
[[ "$outcome" == "exit 0" && "$driver_saw" == *"exited through the tray menu "* ]] &&
  history | grep -q ' drivers path=pawnio module=SmbusPIIX4$' && history | grep -q ' wakeup-check result=ok$' &&
  history | grep -q ' watchdog action=stop kind=superio$' && ran_no_shutdown &&
  (( $(calls "ioctl_superio_outb 0x73 0x3C") >= 2 && $(calls "ioctl_superio_outb 0x72 0x0") >= 1 &&
     $(calls "ioctl_piix4_port_sel 0x0") >= 10 ))
check PawnIoAloneRunsTheAmdBoardWithItsClockAndTheSuperIoWatchdog $? "$outcome; $driver_saw; $(seen)"

# Both ways present: PawnIO is taken.
beside=libraries,modules hold=0
export VESK_SIM_BOARD=mcu-intel-smbus
run_case both-ways exit "RM415 OPEN"
[[ "$outcome" == "exit 0" ]] && history | grep -q ' drivers path=pawnio module=SmbusI801$'
check WithBothWaysPawnIoIsTaken $? "$outcome; history: $(history | cut -c27- | tr '\n' '|')"

# The NVIDIA SMBus only the libraries reach: with PawnIO alone the program
# ends with the box that says what to install, in both languages. Wine takes
# the system's language from the Unix locale, so the Chinese one is built
# into the test's own folder (the machine's locales are not touched).
beside=modules
export VESK_SIM_BOARD=mcu-nvidia
run_case pawnio-nvidia box "RM415 OPEN"
[[ "$outcome" == "exit 0" && "$driver_saw" == *"box: Notice: Notice that VESK driver cannot be loaded ! Install PawnIO and put SmbusI801.bin, SmbusPIIX4.bin and LpcIO.bin beside VESK.exe, or put WinRing0x64.dll and WinIo64.dll beside VESK.exe. "* ]] &&
  ! history | grep -q ' drivers '
check PawnIoAloneOnTheNvidiaBoardEndsWithTheDriverMessage $? "$outcome; $driver_saw"

locales="$prefix.locale"
if [[ -d "$locales/zh_CN.UTF-8" ]] || { mkdir -p "$locales" && localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8" >/dev/null 2>&1; }; then
  export LOCPATH=$locales LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
  run_case pawnio-nvidia-zh box "RM415 OPEN"
  export LC_ALL=C.UTF-8 LANG=C.UTF-8 && unset LOCPATH
  [[ "$outcome" == "exit 0" && "$driver_saw" == *"box: 提示: 驱动加载失败！请安装 PawnIO 并把 SmbusI801.bin、SmbusPIIX4.bin 和 LpcIO.bin 放在 VESK.exe 旁边，或把 WinRing0x64.dll 和 WinIo64.dll 放在 VESK.exe 旁边。 "* ]]
  check PawnIoAloneOnTheNvidiaBoardEndsWithTheChineseDriverMessage $? "$outcome; $driver_saw"
else
  check PawnIoAloneOnTheNvidiaBoardEndsWithTheChineseDriverMessage 1 "localedef could not build zh_CN.UTF-8 (needs /usr/share/i18n)"
fi

unset TZ
clear_run_values
write_report
(( failures == 0 ))
