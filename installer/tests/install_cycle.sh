#!/usr/bin/env bash
# The VESK package under Wine in a fresh prefix, as a fleet uses it
# (msiexec /qn): install with the driver libraries beside the package, an
# upgrade while VESKSim.exe runs from the program's folder with a saved
# timetable, an uninstall while it runs again, and an install without the
# driver libraries followed by an uninstall with PURGE=1, and last an install
# with a stand-in of PawnIO's setup and the module files beside the package
# instead of the driver libraries. Each step's effects are checked; one
# JUnit-style report case per check.
# Usage: install_cycle.sh VERSION BIN_DIR ACTIONS_DLL VESKSIM_EXE DRIVER_EXE WINRING0_DLL WINIO_DLL
#                         TIMETABLE WORK_DIR REPORT_XML WINDRES PAWNIO_SETUP_EXE PAWNIO_DLL MODULES_DIR
set -uo pipefail
if [[ -z "${DISPLAY:-}" ]]; then exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"; fi

here=$(cd "$(dirname "$0")" && pwd)
version=$1 bin=$2 actions=$3 vesksim=$4 driver=$5 winring=$6 winio=$7 timetable=$8 work=$9 report=${10} windres=${11}
pawnio_setup=${12} pawnio_dll=${13} modules=${14}
IFS=. read -r major minor patch <<<"$version"
next="$major.$minor.$((patch + 1))"

rm -rf "$work"
mkdir -p "$work/with-drivers" "$work/bare" "$work/pawnio" "$(dirname "$report")"
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all WINEARCH=win64
wine=$(command -v wine || command -v wine64)
program_dir="$WINEPREFIX/drive_c/Program Files/VESK"
task_file="$WINEPREFIX/drive_c/windows/system32/tasks/VESK"
user_run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
machine_run='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run'

windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
finish() { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
trap finish EXIT

# --- results -------------------------------------------------------------
names=() failures=()
check() {  # NAME MESSAGE COMMAND...: the command's success is the check's
  local name=$1 message=$2; shift 2
  if "$@"; then echo "ok   $name"; names+=("$name"); failures+=("");
  else echo "FAIL $name: $message"; names+=("$name"); failures+=("$message"); fi
}
write_report() {
  local count=${#names[@]} failed=0 i
  for i in "${!names[@]}"; do [[ -n "${failures[$i]}" ]] && failed=$((failed + 1)); done
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites tests=\"$count\" failures=\"$failed\" errors=\"0\" disabled=\"0\" name=\"installer_wine_cycle\">"
    echo "  <testsuite name=\"InstallerUnderWine\" tests=\"$count\" failures=\"$failed\" errors=\"0\" disabled=\"0\">"
    for i in "${!names[@]}"; do
      echo "    <testcase name=\"${names[$i]}\">"
      [[ -n "${failures[$i]}" ]] && echo "      <failure message=\"${failures[$i]//\"/&quot;}\"/>"
      echo "    </testcase>"
    done
    echo "  </testsuite>"
    echo "</testsuites>"
  } >"$report"
  (( failed == 0 ))
}

# --- helpers -------------------------------------------------------------
# Processes of this prefix only: other Wine tests may run the same programs.
prefix_pids() {
  local pid
  for pid in $(pgrep -x "$1"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
running() { [[ -n "$(prefix_pids "$1")" ]]; }
not_running() { ! running "$1"; }
eventually() {  # SECONDS COMMAND...
  local end=$((SECONDS + $1)); shift
  until "$@"; do (( SECONDS >= end )) && return 1; sleep 0.5; done
}
msiexec() {  # LOG ARGS...: runs msiexec with a verbose log
  local log=$1; shift
  "$wine" msiexec "$@" /qn /l*v "$(windows_path "$log")"
}
# Ends what the last step left running (VESK.exe refused by the board check
# waits in its message box) and lets the prefix settle.
settle() { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; sleep 1; }
# VESKSim.exe from the program's folder, its debugger output in FILE
# (Wine writes OutputDebugString to the channel "seh").
start_vesksim() {
  cp "$vesksim" "$program_dir/VESKSim.exe"
  (cd "$program_dir" && WINEDEBUG=-all,warn+seh "$wine" VESKSim.exe >"$1" 2>&1 &)
  "$wine" "$work/vesk_window_driver.exe" wait 60 >/dev/null 2>&1
}
has() { [[ -e "$1" ]]; }
lacks() { [[ ! -e "$1" ]]; }
log_says() { tr -d '\0' <"$1" | grep -Fq -- "$2"; }
run_value_gone() { ! "$wine" reg query "$1" /v VESK >/dev/null 2>&1; }
all_skins_installed() {
  local skin
  for skin in "$bin"/skin/*; do [[ -f "$program_dir/skin/$(basename "$skin")" ]] || return 1; done
}
# Wine 8 has no "schtasks /query", and its task scheduler keeps only the
# settings of a task (no trigger, principal or command): the definition is
# read from the installation's log, the scheduler's copy for the settings.
task_defined() {  # INSTALL_LOG
  has "$task_file" || return 1
  tr -d '\0\r' <"$task_file" >"$work/task.xml"
  grep -q "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>" "$work/task.xml" &&
    log_says "$1" "<LogonTrigger>" && log_says "$1" "<GroupId>S-1-5-32-545</GroupId>" &&
    log_says "$1" "<RunLevel>HighestAvailable</RunLevel>" &&
    log_says "$1" '<Command>C:\Program Files\VESK\VESK.exe</Command>'
}
# The manifest and the version resource, read back from an executable.
carries_manifest_and_version() {  # EXE
  "$windres" -i "$1" -O rc >"$work/resources.rc" 2>/dev/null || return 1
  local expected
  for expected in 'level=""requireAdministrator""' '>true</dpiAware>' 'Microsoft.Windows.Common-Controls"" version=""6.0.0.0""' \
      '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
      'VALUE "ProductName", "VESK"' "VALUE \"ProductVersion\", \"$version\""; do
    grep -Fq -- "$expected" "$work/resources.rc" || { echo "missing: $expected"; return 1; }
  done
}
modules_copied() {
  local m
  for m in SmbusI801 SmbusPIIX4 LpcIO; do cmp -s "$modules/$m.bin" "$program_dir/$m.bin" || return 1; done
}
ended_through_exit() {  # VESKSIM_OUTPUT
  log_says "$1" "watchdog action=stop" && log_says "$1" "shutdown -a" && eventually 10 not_running VESKSim.exe
}

# --- packages --------------------------------------------------------------
echo "== packages $version and $next"
for v in "$version" "$next"; do
  bash "$here/../build_msi.sh" "$here/../vesk.wxs" "$v" "$bin" "$actions" "$work/with-drivers/VESK-$v-x64.msi" >/dev/null ||
    { echo "building the package $v failed"; exit 1; }
done
cp "$work/with-drivers/VESK-$next-x64.msi" "$work/bare/"
cp "$work/with-drivers/VESK-$next-x64.msi" "$modules"/*.bin "$pawnio_setup" "$pawnio_dll" "$work/pawnio/"
cp "$winring" "$winio" "$work/with-drivers/"
cp "$driver" "$work/vesk_window_driver.exe"
"$wine" wineboot -i >/dev/null 2>&1
wineserver -w

echo "== install $version with the driver libraries beside it"
msiexec "$work/install.log" /i "$(windows_path "$work/with-drivers/VESK-$version-x64.msi")"
check InstallSucceeds "msiexec /i ended with $?" [ $? -eq 0 ]
check ProgramAndSkinsInstalled "VESK.exe or a skin file missing" eval 'has "$program_dir/VESK.exe" && all_skins_installed'
check DriverLibrariesCopied "the driver libraries were not copied" \
  eval 'cmp -s "$winring" "$program_dir/WinRing0x64.dll" && cmp -s "$winio" "$program_dir/WinIo64.dll"'
check ProgramCarriesManifestAndVersion "VESK.exe lacks its manifest or version" \
  carries_manifest_and_version "$program_dir/VESK.exe"
check DemonstrationCarriesManifestAndVersion "VESKSim.exe lacks its manifest or version" \
  carries_manifest_and_version "$vesksim"
# Wine's task service writes the task file a moment after the call returns.
check LogonTaskRegistered "no logon task VESK with the highest privileges" eventually 20 task_defined "$work/install.log"
check ProgramStarted "VESK.exe did not start" eventually 30 running VESK.exe
check NoMissingDriverWarning "warned about driver libraries that were there" eval '! log_says "$work/install.log" "cannot reach the board"'
settle

echo "== upgrade to $next while VESKSim.exe runs with a saved timetable"
cp "$timetable" "$program_dir/TimeSetting.bin"
start_vesksim "$work/vesksim-upgrade.txt"
msiexec "$work/upgrade.log" /i "$(windows_path "$work/with-drivers/VESK-$next-x64.msi")"
check UpgradeSucceeds "msiexec /i ended with $?" [ $? -eq 0 ]
check UpgradeEndsTheProgramThroughItsExit "VESKSim.exe did not stop its watchdog, abort the shutdown and end" \
  ended_through_exit "$work/vesksim-upgrade.txt"
check UpgradeKeepsTheTimetable "TimeSetting.bin changed or gone" cmp -s "$timetable" "$program_dir/TimeSetting.bin"
check UpgradeKeepsTheDriverLibraries "driver libraries gone" has "$program_dir/WinRing0x64.dll"
check UpgradeStartsTheNewProgram "VESK.exe did not start" eventually 30 running VESK.exe
settle

echo "== uninstall while VESKSim.exe runs, with both Run values written"
"$wine" reg add "$user_run" /v VESK /d 'C:\Program Files\VESK\VESK.exe' /f >/dev/null 2>&1
"$wine" reg add "$machine_run" /v VESK /d 'C:\Program Files\VESK\VESK.exe' /f >/dev/null 2>&1
start_vesksim "$work/vesksim-uninstall.txt"
msiexec "$work/uninstall.log" /x "$(windows_path "$work/with-drivers/VESK-$next-x64.msi")"
check UninstallSucceeds "msiexec /x ended with $?" [ $? -eq 0 ]
check UninstallEndsTheProgramThroughItsExit "VESKSim.exe did not stop its watchdog, abort the shutdown and end" \
  ended_through_exit "$work/vesksim-uninstall.txt"
check UninstallRemovesTheFiles "program, skins or driver libraries left" \
  eval 'lacks "$program_dir/VESK.exe" && lacks "$program_dir/skin" && lacks "$program_dir/WinRing0x64.dll" && lacks "$program_dir/WinIo64.dll"'
check UninstallRemovesTheLogonTask "the task VESK is still defined" lacks "$task_file"
check UninstallRemovesBothRunValues "a Run value VESK is left" eval 'run_value_gone "$user_run" && run_value_gone "$machine_run"'
check UninstallKeepsTheTimetable "TimeSetting.bin changed or gone" cmp -s "$timetable" "$program_dir/TimeSetting.bin"
settle
rm -f "$program_dir/VESKSim.exe"

echo "== install without the driver libraries, then uninstall with PURGE=1"
msiexec "$work/bare.log" /i "$(windows_path "$work/bare/VESK-$next-x64.msi")"
check InstallWithoutDriversSucceeds "msiexec /i ended with $?" [ $? -eq 0 ]
check MissingDriverLibrariesAreLogged "the log does not name what both ways to the hardware lack" \
  log_says "$work/bare.log" "(missing: WinRing0x64.dll, WinIo64.dll, PawnIO, SmbusI801.bin / SmbusPIIX4.bin)"
settle
msiexec "$work/purge.log" /x "$(windows_path "$work/bare/VESK-$next-x64.msi")" PURGE=1
check PurgeSucceeds "msiexec /x PURGE=1 ended with $?" [ $? -eq 0 ]
check PurgeLeavesNothing "the program's folder is left" lacks "$program_dir"
settle

echo "== install with PawnIO's setup and its module files beside the package, without the driver libraries"
msiexec "$work/pawnio.log" /i "$(windows_path "$work/pawnio/VESK-$next-x64.msi")"
check InstallWithPawnIoSucceeds "msiexec /i ended with $?" [ $? -eq 0 ]
check PawnIoSetupRunsSilentlyOnce "PawnIO_setup.exe ran as: $(tr '\n' '|' <"$work/pawnio/PawnIO_setup.runs" 2>/dev/null)" \
  eval '[[ "$(tr -d "\r" <"$work/pawnio/PawnIO_setup.runs")" == "-install -silent" ]]'
# Wine's msiexec may return before the deferred actions' lines reach the log.
check PawnIoSetupResultIsLogged "the log does not give the setup's result" \
  eventually 20 log_says "$work/pawnio.log" "PawnIO_setup.exe -install -silent ended with 0; PawnIO is installed"
check ModuleFilesCopied "a module file was not copied" modules_copied
check NoWarningWhenPawnIoCanServe "warned although PawnIO and its modules are there" \
  eval '! log_says "$work/pawnio.log" "cannot reach the board"'
settle
msiexec "$work/pawnio-purge.log" /x "$(windows_path "$work/pawnio/VESK-$next-x64.msi")" PURGE=1
check UninstallRemovesTheModuleFiles "module files or the program's folder left" lacks "$program_dir"

write_report
