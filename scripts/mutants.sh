#!/usr/bin/env bash
# Hand-made mutations: each one breaks one line of the program in a way a
# user would notice. For every mutant the script changes the line, rebuilds
# the build it belongs to, runs the test programs that link the changed code,
# records whether any test failed (caught) or all passed (missed), and puts
# the line back. A good test suite catches them all.
#
#   bash scripts/mutants.sh [--tree DIR] [--preset native|windows] [--only ID[,ID...]] [--list | --check]
#
# --tree runs against another checkout of the project (for example an older
# commit exported to a scratch folder), so that two suites can be compared
# on the same mutants. Both builds must have been configured there.
# --preset runs only the mutants of one build (the other need not exist).
# --check only shows each changed line and puts it back, building nothing.
# Ends with one line "mutants: N caught, M missed, K not applied".
set -uo pipefail

script_dir=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "$script_dir/.." && pwd)
only=""
preset_only=""
list_only=0
check_only=0
while (($#)); do
  case $1 in
    --tree) tree=$(cd "$2" && pwd); shift 2 ;;
    --only) only=",$2,"; shift 2 ;;
    --preset) preset_only=$2; shift 2 ;;
    --list) list_only=1; shift ;;
    --check) check_only=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

jobs=${MUTANT_JOBS:-2}
log_dir="$tree/build/mutants"
mkdir -p "$log_dir"
results="$log_dir/results.txt"
: >"$results"
caught=0 missed=0 broken=0

# However the script ends (an error, Ctrl-C, a closed pipe), the changed
# line goes back.
pending_path="" pending_backup=""
restore_pending() {
  if [[ -n $pending_path ]]; then cp -p "$pending_backup" "$pending_path" && touch "$pending_path"; fi
  pending_path=""
}
trap restore_pending EXIT
trap 'restore_pending; exit 130' INT TERM HUP PIPE

# Test programs by what they link: a mutant runs every program that links
# the changed code (the subsystem's own first) until one fails, and only
# those are rebuilt. The native programs above
# the bus (the windows, the entry routine, the whole machine, vesk-sim)
# link everything; the Wine programs are named one by one.
upper='app_tests sim_machine_unit_tests ui_tests sim_cli_tests sim_machine_tests'
schedule_tests="schedule_tests $upper"
hardware_tests="hardware_tests wake_alarm_tests $upper"
identity_tests="identity_tests $upper"
ui_tests="$upper"
app_tests='app_tests sim_machine_unit_tests sim_machine_tests sim_cli_tests'
framework_tests="ui_framework_tests ui_framework_headless_tests $upper"
wine_platform='platform_win32_tests platform_win32_gui_tests vesksim_wine_e2e'
wine_ui='ui_framework_win32_tests ui_win32_tests vesksim_wine_e2e'
wine_driver='driver_binding_wine_tests vesksim_wine_e2e'

# build PRESET [PROGRAM]: natively just that program (and what it needs);
# the cross build whole, since its Wine runs use several of its files.
build() {
  local preset=$1 program=${2:-} targets=()
  [[ $preset == native && -n $program && $program != vesksim_wine_e2e ]] && targets=(--target "$program")
  cmake --build "$tree/build/$preset" -j "$jobs" "${targets[@]}" >"$log_dir/build.log" 2>&1
}

run_test() {
  local preset=$1 program=$2
  local runner=()
  [[ $preset == windows && -z "${DISPLAY:-}" ]] && runner=(xvfb-run -a -s "-screen 0 1024x768x24")
  "${runner[@]}" ctest --test-dir "$tree/build/$preset" -R "^${program}\$" --timeout 300 >>"$log_dir/test.log" 2>&1
}

# Builds and runs the programs one by one, the subsystem's own first, and
# stops at the first that fails: its name is left in $failed_program.
# Returns 2 when a program does not build.
run_programs() {
  local preset=$1 programs=$2 program
  failed_program=""
  : >"$log_dir/test.log"
  [[ $preset == windows ]] && { build windows || return 2; }
  for program in $programs; do
    if [[ $preset == native ]] && ! build native "$program"; then failed_program=$program; return 2; fi
    if ! run_test "$preset" "$program"; then failed_program=$program; return 1; fi
  done
  return 0
}

# mutant ID PRESET FILE LINE SED TESTS [NTH]
#   LINE  a fixed string that occurs on exactly one line of FILE (or on
#         several, when NTH says which of them to change)
#   SED   the sed command applied to that line only
#   TESTS the test programs to run (their ctest names)
mutant() {
  local id=$1 preset=$2 file=$3 line=$4 edit=$5 tests=$6 nth=${7:-}
  if [[ -n $only && $only != *",$id,"* ]]; then return; fi
  if [[ -n $preset_only && $preset_only != "$preset" ]]; then return; fi
  if ((list_only)); then printf '%-22s %-8s %s\n' "$id" "$preset" "$file"; return; fi
  local path="$tree/$file" backup="$log_dir/original"
  local hits at
  hits=$(grep -cF -- "$line" "$path" 2>/dev/null || true)
  if [[ -z $nth && $hits != 1 ]] || [[ -n $nth && $hits -lt $nth ]]; then
    echo "$id $preset not-applied (line found $hits times)" | tee -a "$results"
    broken=$((broken + 1))
    return
  fi
  at=$(grep -nF -- "$line" "$path" | sed -n "${nth:-1}p" | cut -d: -f1)
  cp -p "$path" "$backup"
  pending_path=$path pending_backup=$backup
  sed -i "${at}${edit}" "$path"
  if cmp -s "$path" "$backup"; then
    pending_path=""
    echo "$id $preset not-applied (the edit changed nothing)" | tee -a "$results"
    broken=$((broken + 1))
    return
  fi
  if ((check_only)); then
    local changed
    changed=$(diff "$backup" "$path" | sed -n 's/^> *//p')
    cp -p "$backup" "$path"
    pending_path=""
    echo "$id: $changed"
    return
  fi
  local verdict status
  run_programs "$preset" "$tests"
  status=$?
  if ((status == 2)); then
    verdict="not-applied (does not build; see $log_dir/$id.build.log)"
    cp "$log_dir/build.log" "$log_dir/$id.build.log"
    broken=$((broken + 1))
  elif ((status == 0)); then
    verdict=missed
    missed=$((missed + 1))
  else
    verdict="caught by $failed_program"
    caught=$((caught + 1))
  fi
  cp "$log_dir/test.log" "$log_dir/$id.test.log" 2>/dev/null
  restore_pending  # touched too: the restored line must be rebuilt
  echo "$id $preset $verdict" | tee -a "$results"
}

# The unchanged sources must pass, or "caught" would mean nothing.
baseline() {
  local preset=$1 programs=$2
  ((list_only || check_only)) && return
  [[ -n $preset_only && $preset_only != "$preset" ]] && return
  if ! run_programs "$preset" "$programs"; then
    echo "baseline: $failed_program fails without any mutation (see $log_dir/test.log)"
    exit 1
  fi
  echo "baseline: $preset passes"
}
baseline native "$(echo "$schedule_tests $hardware_tests $identity_tests $framework_tests" | tr ' ' '\n' | awk '!seen[$0]++' | tr '\n' ' ')"
baseline windows "$(echo "$wine_platform $wine_ui $wine_driver" | tr ' ' '\n' | awk '!seen[$0]++' | tr '\n' ' ')"

# ---------------------------------------------------------------- timetable
mutant validation-equal-times native schedule/validation.cpp \
  'if (phase.IsOn() && phase.Start >= phase.End) return' 's/phase.Start >= phase.End/phase.Start > phase.End/' "$schedule_tests"
mutant file-high-byte native schedule/week_schedule.cpp \
  'image[offset + 1] = static_cast<uint8_t>(value >> 8);' 's/value >> 8/value >> 7/' "$schedule_tests"
mutant file-save-result native schedule/schedule_file.cpp \
  'return os.ReplaceFileAtomically(path, image);' 's/return \(.*\);/\1; return FileResult::Done();/' "$schedule_tests"
mutant next-saturday-to-sunday native schedule/next_events.cpp \
  'if (today == kSaturday) return target == kSunday;' 's/target == kSunday/false/' "$schedule_tests"
mutant next-postponed-phase-end native schedule/next_events.cpp \
  'if (target < phase.End) return phase.End;' 's/return phase.End/return target/' "$schedule_tests"
mutant next-power-on-grace native schedule/next_events.cpp \
  'return minutesAway > kPowerOnGraceMinutes;' 's/> kPowerOnGraceMinutes/>= kPowerOnGraceMinutes/' "$schedule_tests"
mutant next-warning-lead native schedule/next_events.cpp \
  'for (int ahead = 0; ahead <= kWarningLeadMinutes; ++ahead) {' 's/ahead <= kWarningLeadMinutes/ahead < kWarningLeadMinutes/' "$schedule_tests"
mutant next-warning-wall-clock native schedule/next_events.cpp \
  'if (!offsetAt_ || !date) return MinutesLater(now_, minutes);' 's/!offsetAt_ || !date/true/' "$schedule_tests"

# ------------------------------------------------------------------ the bus
mutant smbus-read-errors native hardware/smbus_control.cpp \
  'if ((ReadHost(kSmbHstSts) & kStsErrors) != 0) return 0;' 's/if (/if (false \&\& /' "$hardware_tests"
mutant smbus-probe-i2c native hardware/smbus_control.cpp \
  'if (StoredDeviceId() != kSmbusControllerOfThatBridge) return kControllerModeI2c;' 's/!=/==/' "$hardware_tests"
mutant i2c-restart native hardware/smbus_control.cpp \
  'if (restart) command += kDataCmdRestart;' 's/+= kDataCmdRestart/+= 0/' "$hardware_tests"
mutant i2c-read-no-byte native hardware/smbus_control.cpp \
  'return byteReceived ? 1 : 0;' 's/byteReceived ? 1 : 0/1/' "$hardware_tests"

# --------------------------------------------------- wake chip and watchdog
mutant mcu-day-code-same-minute native hardware/wake_chip.cpp \
  'return static_cast<uint8_t>(wakeMinuteOfDay > nowMinuteOfDay' 's/> nowMinuteOfDay/>= nowMinuteOfDay/' "$hardware_tests"
mutant mcu-day-code-far-end native hardware/wake_chip.cpp \
  'return ProgramMcu(static_cast<uint8_t>(std::min(dayCode, kLastDayCode)), hour, minute, now);' 's/kLastDayCode)/kLastDayCode - 1)/' "$hardware_tests"
mutant rtc-day-of-month-reach native hardware/wake_chip.cpp \
  'while (candidate > firstDay && firstMatch(dayOf(candidate)) != candidate) candidate -= days{1};' 's/candidate -= days{1}/break/' "$hardware_tests"
mutant wake-check-silent-chip native schedule/alarm/wake_alarm.cpp \
  'if (confirmed_ && *confirmed_ == LastWakeImage() && WakeChipAnswers()) return std::nullopt;' 's/ \&\& WakeChipAnswers()//' "$hardware_tests"
mutant rtc-clock-left-stopped native hardware/wake_chip.cpp \
  'WriteChip(rtc::kControl1, rtc::kClockRuns);' 's/.*//' "$hardware_tests"
mutant watchdog-choice native hardware/watchdog.cpp \
  'return g_ChipAddress == kMcuAddress ||' 's/||/\&\&/' "$hardware_tests"

# ----------------------------------------------------------------- identity
mutant smbios-next-structure native identity/smbios_table.cpp \
  'scan = next + table.At(next + kHeaderLengthOffset);' 's/scan = next + .*/scan = next;/' "$identity_tests"
mutant identity-switch-word native identity/info_check.cpp \
  'if (identityText.find(kFeatureSwitchWord) == std::string_view::npos) {' 's/==/!=/' "$identity_tests"
mutant identity-refusal-ends native identity/info_check.cpp \
  'os.EndProcess(kRefusalExitCode);' 's/os.EndProcess/(void)/' "$identity_tests"

# ----------------------------------------------------------- user interface
mutant editor-hour-beyond-list native ui/editor.cpp \
  'const int index = value < static_cast<unsigned>(list->GetCount()) ? static_cast<int>(value) : -1;' \
  's/: -1;/: static_cast<int>(list->GetCount()) - 1;/' "$ui_tests"
mutant editor-save-aborts-shutdown native ui/editor.cpp \
  'if (m_ShutdownIssued != 0) {' 's/m_ShutdownIssued != 0/false/' "$ui_tests"
mutant tick-warning-once native ui/clock_tick.cpp \
  'if (m_WarningShown == 1 && sameShutdown) return;' 's/m_WarningShown == 1 \&\& sameShutdown/false \&\& sameShutdown/' "$ui_tests"

# ------------------------------------------------------------------ startup
mutant startup-single-instance native app/startup.cpp \
  'if (os.CreateSingleInstanceMutex(kInstanceMutexName)) return 0;' 's/if (/if (false \&\& /' "$app_tests"
mutant exit-aborts-shutdown native app/startup.cpp \
  'host.os.RunHidden(ui::kAbortShutdownCommand);' 's/.*//' "$app_tests"

# ------------------------------------------------------------ the framework
mutant markup-colour-run native ui/framework/markup.cpp \
  'if (!runs.empty() && runs.back().font == run.font && runs.back().colour == run.colour) {' \
  's/ && runs.back().colour == run.colour//' "$framework_tests"
mutant skin-duplicate-name native ui/framework/skin.cpp \
  'if (!control.name.empty() && !names.insert(control.name).second) {' 's/if (/if (false \&\& /' "$framework_tests"
mutant headless-timer-minimum native ui/framework/headless/headless_messages.cpp \
  'const UINT period = std::max(elapseMs, kMinTimerPeriodMs);' 's/std::max(elapseMs, kMinTimerPeriodMs)/elapseMs/' "$framework_tests"

# ------------------------------------------------- Win32 services (Wine)
mutant atomic-temp-left windows platform/win32/atomic_file.cpp \
  'if (!WriteTempFile(temp, bytes, calls)) return FailAndRemove(temp);' 's/return FailAndRemove(temp);/return false;/' "$wine_platform"
mutant timed-box-answer windows platform/win32/timed_message_box.cpp \
  'return pending.timedOut ? kTimedOutAnswer : answer;' 's/pending.timedOut ? kTimedOutAnswer : answer/answer/' "$wine_platform"
mutant modal-close-code windows ui/framework/win32/win32_desktop.cpp \
  'return code == closeCodes_.end() || ::IsWindow(window) ? 0 : code->second;' 's/: code->second/: 0/' "$wine_ui"
mutant combo-selection windows ui/framework/win32/frame_view.cpp \
  'combo->SelectItem(static_cast<int>(index), true);' 's/, true)/, false)/' "$wine_ui"
mutant driver-by-ordinal windows hardware/win32/loaded_module.h \
  'return Resolve(MAKEINTRESOURCEA(ordinal), fn);' 's/MAKEINTRESOURCEA(ordinal)/MAKEINTRESOURCEA(ordinal + 1)/' "$wine_driver"

if ((list_only || check_only)); then exit 0; fi
# Leave the builds as the sources are.
for preset in native windows; do
  [[ -n $preset_only && $preset_only != "$preset" ]] && continue
  [[ -d $tree/build/$preset ]] && build "$preset"
done
echo "mutants: $caught caught, $missed missed, $broken not applied"
