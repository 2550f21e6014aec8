#!/usr/bin/env bash
# The VESK package under Wine in a fresh prefix, as a fleet uses it
# (msiexec /qn): a refused timetable and refused holidays, an install with
# the driver libraries beside the package and a fleet's timetable and
# holidays from another folder, a repair with other driver files beside the
# package, an upgrade without the fleet's files while VESKSim.exe runs from
# the program's folder, an uninstall while it runs again, an install without
# the driver libraries over the kept files with new holidays followed by an
# uninstall with PURGE=1, then an install with a stand-in of PawnIO's setup
# and the module files beside the package instead of the driver libraries,
# and last an install into a folder whose name has a ';', from a folder
# anyone may write. Each step's effects are checked; one JUnit-style report
# case per check.
# Usage: install_cycle.sh VERSION BIN_DIR ACTIONS_DLL VESKSIM_EXE DRIVER_EXE WINRING0_DLL WINIO_DLL
#                         TIMETABLE WORK_DIR REPORT_XML WINDRES PAWNIO_SETUP_EXE PAWNIO_DLL MODULES_DIR
#                         INSPECT_EXE
set -uo pipefail
if [[ -z "${DISPLAY:-}" ]]; then exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"; fi

here=$(cd "$(dirname "$0")" && pwd)
version=$1 bin=$2 actions=$3 vesksim=$4 driver=$5 winring=$6 winio=$7 timetable=$8 work=$9 report=${10} windres=${11}
pawnio_setup=${12} pawnio_dll=${13} modules=${14} inspect=${15}
IFS=. read -r major minor patch <<<"$version"
next="$major.$minor.$((patch + 1))"

rm -rf "$work"
mkdir -p "$work/with-drivers" "$work/bare" "$work/pawnio" "$work/open" "$work/fleet files" "$(dirname "$report")"
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all WINEARCH=win64
wine=$(command -v wine || command -v wine64)
program_dir="$WINEPREFIX/drive_c/Program Files/VESK"
task_file="$WINEPREFIX/drive_c/windows/system32/tasks/VESK"
user_run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
machine_run='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run'
event_source='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\VESK'
fleet="$work/fleet files"

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
# The source names VESK.exe, which carries the message table it points to.
event_source_registered() {
  "$wine" reg query "$event_source" /v EventMessageFile 2>/dev/null | tr -d '\r' |
    grep -Eq 'REG_SZ +C:\\Program Files\\VESK\\VESK.exe$' &&
    "$wine" reg query "$event_source" /v TypesSupported 2>/dev/null | grep -q '0x7' &&
    "$windres" -i "$program_dir/VESK.exe" -O rc 2>/dev/null | grep -q 'MESSAGETABLE'
}
event_source_gone() { ! "$wine" reg query "$event_source" >/dev/null 2>&1; }
refused_with() {  # LOG REASON: the installation stopped on REASON and left nothing
  log_says "$1" "$2" && log_says "$1" "The installation stopped and changed nothing" && lacks "$program_dir" &&
    event_source_gone
}
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
# Wine keeps no access list of its own: it turns the one it is given into
# the Unix mode bits of the folder and makes a list up from the mode when
# asked (owner, SYSTEM, and Everyone for the others' bits). Both are shown;
# others (Everyone) may read and enter the folder but not write to it.
closed_to_others() {  # UNIX_PATH
  local mode shown
  mode=$(stat -c %a "$1") shown=$("$wine" "$inspect" acl "$(windows_path "$1")" 2>/dev/null | tr -d '\r')
  echo "     Wine keeps for $1: mode $mode, shown as $shown"
  (( (8#$mode & 8#002) == 0 )) && [[ -n "$shown" ]] &&
    ! grep -o '([^()]*;;;WD)' <<<"$shown" | grep -vqx '(A;OICI;0x1200a9;;;WD)'
}
# Every VESK.exe of this prefix with the account it runs as; none as SYSTEM.
none_as_system() {
  local users
  users=$("$wine" "$inspect" users VESK.exe 2>/dev/null | tr -d '\r')
  echo "     VESK.exe processes (pid, account): ${users//$'\n'/; }"
  [[ -n "$users" ]] && ! grep -q ' S-1-5-18$' <<<"$users"
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

# A fleet's files, in a folder with a blank in its name; the second
# holidays line has an end before its start.
cp "$timetable" "$fleet/TimeSetting.bin"
printf '# fleet\r\n2026-12-24 08:00-12:00\r\n2026-12-25 off\r\n' >"$fleet/Holidays.txt"
head -c 126 /dev/zero >"$fleet/AllOff.bin"
printf '2026-12-24 off\n2026-12-31 12:00-08:00\n' >"$fleet/BadHolidays.txt"
package="$(windows_path "$work/with-drivers/VESK-$version-x64.msi")"

echo "== refused fleet files stop the installation"
msiexec "$work/refused-timetable.log" /i "$package" TIMETABLE="$(windows_path "$fleet/AllOff.bin")"
status=$?
check RefusedTimetableStopsTheInstallation "msiexec /i ended with $status, or the reason is not logged, or something stayed" \
  eval '[ $status -ne 0 ] && refused_with "$work/refused-timetable.log" "The schedule cannot be all cancelled for each week"'
msiexec "$work/refused-holidays.log" /i "$package" TIMETABLE="$(windows_path "$fleet/TimeSetting.bin")" \
  HOLIDAYS="$(windows_path "$fleet/BadHolidays.txt")"
status=$?
check RefusedHolidaysStopTheInstallation "msiexec /i ended with $status, or the reason is not logged, or something stayed" \
  eval '[ $status -ne 0 ] && refused_with "$work/refused-holidays.log" "Holidays.txt, line 2"'
settle

echo "== install $version with the driver libraries beside it and a fleet's files"
msiexec "$work/install.log" /i "$package" TIMETABLE="$(windows_path "$fleet/TimeSetting.bin")" \
  HOLIDAYS="$(windows_path "$fleet/Holidays.txt")"
check InstallSucceeds "msiexec /i ended with $?" [ $? -eq 0 ]
check FleetFilesInstalledByteForByte "TimeSetting.bin or Holidays.txt differ from the fleet's" \
  eval 'cmp -s "$fleet/TimeSetting.bin" "$program_dir/TimeSetting.bin" && cmp -s "$fleet/Holidays.txt" "$program_dir/Holidays.txt" &&
        lacks "$program_dir/TimeSetting.bin.none-before-install"'
check EventSourceRegistered "the event source VESK does not name VESK.exe with its message table" \
  eventually 20 event_source_registered
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
check ProgramFolderIsClosedToOthers "Everyone keeps rights in the program's folder" closed_to_others "$program_dir"
check InstallStartsNoProgramAsSystem "no VESK.exe, or one running as SYSTEM" eventually 10 none_as_system
settle

echo "== repair with other driver files beside the package"
cp "$winio" "$work/with-drivers/WinRing0x64.dll"
# What "msiexec /fa" does; Wine's /fa finds no product for a package path.
msiexec "$work/repair.log" /i "$(windows_path "$work/with-drivers/VESK-$version-x64.msi")" REINSTALL=ALL \
  REINSTALLMODE=vomus
check RepairSucceeds "msiexec /i REINSTALL=ALL ended with $?" [ $? -eq 0 ]
check RepairCopiesNoDriverFiles "a repair copied driver files" \
  eval 'cmp -s "$winring" "$program_dir/WinRing0x64.dll" && ! log_says "$work/repair.log" "driver files copied"'
cp "$winring" "$work/with-drivers/WinRing0x64.dll"
settle

echo "== upgrade to $next while VESKSim.exe runs, without the fleet's files"
start_vesksim "$work/vesksim-upgrade.txt"
msiexec "$work/upgrade.log" /i "$(windows_path "$work/with-drivers/VESK-$next-x64.msi")"
check UpgradeSucceeds "msiexec /i ended with $?" [ $? -eq 0 ]
check UpgradeEndsTheProgramThroughItsExit "VESKSim.exe did not stop its watchdog, abort the shutdown and end" \
  ended_through_exit "$work/vesksim-upgrade.txt"
check UpgradeKeepsTheTimetableAndHolidays "TimeSetting.bin or Holidays.txt changed or gone" \
  eval 'cmp -s "$timetable" "$program_dir/TimeSetting.bin" && cmp -s "$fleet/Holidays.txt" "$program_dir/Holidays.txt"'
check UpgradeKeepsTheDriverLibraries "driver libraries gone" has "$program_dir/WinRing0x64.dll"
check UpgradeStartsTheNewProgram "VESK.exe did not start" eventually 30 running VESK.exe
check UpgradeStartsNoProgramAsSystem "no VESK.exe, or one running as SYSTEM" eventually 10 none_as_system
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
check UninstallRemovesTheEventSource "the event source VESK is still registered" event_source_gone
check UninstallKeepsTheTimetable "TimeSetting.bin changed or gone" cmp -s "$timetable" "$program_dir/TimeSetting.bin"
settle
rm -f "$program_dir/VESKSim.exe"

echo "== install without the driver libraries over the kept files, with new holidays; then uninstall with PURGE=1"
printf '2027-01-01 off\n' >"$fleet/Holidays-2027.txt"
msiexec "$work/bare.log" /i "$(windows_path "$work/bare/VESK-$next-x64.msi")" HOLIDAYS="$(windows_path "$fleet/Holidays-2027.txt")"
check InstallWithoutDriversSucceeds "msiexec /i ended with $?" [ $? -eq 0 ]
check GivenHolidaysReplaceTheKeptOnes "Holidays.txt not replaced, the timetable not kept, or the old copy left" \
  eval 'cmp -s "$fleet/Holidays-2027.txt" "$program_dir/Holidays.txt" && cmp -s "$timetable" "$program_dir/TimeSetting.bin" &&
        lacks "$program_dir/Holidays.txt.before-install"'
check MissingDriverLibrariesAreLogged "the log does not name what both ways to the hardware lack" \
  log_says "$work/bare.log" "(missing: WinRing0x64.dll, WinIo64.dll, PawnIO, SmbusI801.bin / SmbusPIIX4.bin)"
settle
echo "2027-01-01 off" >"$program_dir/Holidays.txt"
cp "$program_dir/Holidays.txt" "$program_dir/Holidays.txt.new"
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
settle

echo "== install into an open C:\\Apps;x\\VESK from a folder anyone may write, driver files beside it and in C:\\Apps"
apps="$WINEPREFIX/drive_c/Apps" semicolon_dir="$WINEPREFIX/drive_c/Apps;x/VESK"
mkdir -p "$apps" "$semicolon_dir" && chmod 0777 "$semicolon_dir" && cp "$winring" "$apps/WinRing0x64.dll"
cp "$work/bare/VESK-$next-x64.msi" "$winring" "$winio" "$work/open/" && chmod 0777 "$work/open"
msiexec "$work/semicolon.log" /i "$(windows_path "$work/open/VESK-$next-x64.msi")" 'INSTALLDIR=C:\Apps;x\VESK\'
check InstallIntoAFolderWithASemicolon "VESK.exe or its logon task not in C:\\Apps;x\\VESK" \
  eval 'has "$semicolon_dir/VESK.exe" && log_says "$work/semicolon.log" "<Command>C:\Apps;x\VESK\VESK.exe</Command>"'
check AnOpenFolderIsClosedToOthers "the folder is still open to Everyone" closed_to_others "$semicolon_dir"
check DriverFilesFromAnOpenFolderAreRefused "driver files copied from a folder anyone may write, or not said why" \
  eval 'lacks "$semicolon_dir/WinRing0x64.dll" && log_says "$work/semicolon.log" "were not copied: users who are not administrators"'
settle
msiexec "$work/semicolon-purge.log" /x "$(windows_path "$work/open/VESK-$next-x64.msi")" PURGE=1
check UninstallLeavesTheParentOfASemicolonFolderAlone "C:\\Apps\\WinRing0x64.dll deleted or C:\\Apps;x\\VESK left" \
  eval 'has "$apps/WinRing0x64.dll" && lacks "$semicolon_dir"'

write_report
