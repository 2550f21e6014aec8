#!/usr/bin/env bash
# Hand-made mutations: each one breaks one line of the program in a way a
# user would notice. For every mutant the script changes the line, rebuilds
# the build it belongs to, runs the test programs that link the changed code,
# records whether any test failed (caught) or all passed (missed), and puts
# the line back. A good test suite catches them all.
#
#   bash scripts/mutants.sh [--tree DIR] [--only ID[,ID...]] [--list | --check]
#
# --tree runs against another checkout of the project (for example an older
# commit exported to a scratch folder), so that two suites can be compared
# on the same mutants. Both builds must have been configured there.
# --check only shows each changed line and puts it back, building nothing.
# Ends with one line "mutants: N caught, M missed, K not applied".
set -uo pipefail

script_dir=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "$script_dir/.." && pwd)
only=""
list_only=0
check_only=0
while (($#)); do
  case $1 in
    --tree) tree=$(cd "$2" && pwd); shift 2 ;;
    --only) only=",$2,"; shift 2 ;;
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

# Test programs by what they link. A mutant runs every program that could
# see the changed line.
native_all='.'
wine_platform='^platform_win32_(gui_)?tests$|^vesksim_wine_e2e$'
wine_ui='^ui_framework_win32_tests$|^ui_win32_tests$|^vesksim_wine_e2e$'
wine_identity='^identity_wmi_tests$|^vesksim_wine_e2e$'
wine_driver='^driver_binding_wine_tests$|^vesksim_wine_e2e$'

build() {
  cmake --build "$tree/build/$1" -j "$jobs" >"$log_dir/build.log" 2>&1
}

run_tests() {
  local preset=$1 regex=$2
  local runner=()
  [[ $preset == windows && -z "${DISPLAY:-}" ]] && runner=(xvfb-run -a -s "-screen 0 1024x768x24")
  "${runner[@]}" ctest --test-dir "$tree/build/$preset" -R "$regex" --timeout 300 -j "$jobs" \
    >"$log_dir/test.log" 2>&1
}

# mutant ID PRESET FILE LINE SED TESTS [NTH]
#   LINE  a fixed string that occurs on exactly one line of FILE (or on
#         several, when NTH says which of them to change)
#   SED   the sed command applied to that line only
#   TESTS the ctest regex of the programs to run
mutant() {
  local id=$1 preset=$2 file=$3 line=$4 edit=$5 tests=$6 nth=${7:-}
  if [[ -n $only && $only != *",$id,"* ]]; then return; fi
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
  sed -i "${at}${edit}" "$path"
  if cmp -s "$path" "$backup"; then
    echo "$id $preset not-applied (the edit changed nothing)" | tee -a "$results"
    broken=$((broken + 1))
    return
  fi
  if ((check_only)); then
    echo "$id: $(diff "$backup" "$path" | sed -n 's/^> *//p')"
    cp -p "$backup" "$path"
    return
  fi
  local verdict
  if ! build "$preset"; then
    verdict="not-applied (does not build; see $log_dir/$id.build.log)"
    cp "$log_dir/build.log" "$log_dir/$id.build.log"
    broken=$((broken + 1))
  elif run_tests "$preset" "$tests"; then
    verdict=missed
    missed=$((missed + 1))
  else
    local failing
    failing=$(sed -n 's/^ *[0-9]* - \([A-Za-z0-9_]*\) .*/\1/p' "$log_dir/test.log" | tr '\n' ' ')
    verdict="caught by ${failing:-a failing test}"
    caught=$((caught + 1))
  fi
  cp "$log_dir/test.log" "$log_dir/$id.test.log" 2>/dev/null
  cp -p "$backup" "$path"
  touch "$path"  # the restored line must be rebuilt
  echo "$id $preset $verdict" | tee -a "$results"
}

# ---------------------------------------------------------------- timetable
mutant validation-equal-times native schedule/validation.cpp \
  'if (phase.IsOn() && phase.Start >= phase.End) return' 's/phase.Start >= phase.End/phase.Start > phase.End/' "$native_all"
mutant validation-touching native schedule/validation.cpp \
  'if (b.Start < a.Start) return b.End >= a.Start;' 's/b.End >= a.Start/b.End > a.Start/' "$native_all"
mutant validation-all-off native schedule/validation.cpp \
  'if (!anyDayOn) return {ScheduleFault::kAllPhasesOff, 0};' 's/!anyDayOn/!anyDayOn \&\& false/' "$native_all"
mutant file-high-byte native schedule/week_schedule.cpp \
  'image[offset + 1] = static_cast<uint8_t>(value >> 8);' 's/value >> 8/value >> 7/' "$native_all"
mutant file-save-result native schedule/schedule_file.cpp \
  'return os.ReplaceFileAtomically(ScheduleFilePath(os), image);' 's/return \(.*\);/\1; return true;/' "$native_all"
mutant next-saturday-to-sunday native schedule/next_events.cpp \
  'if (today == kSaturday) return target == kSunday;' 's/target == kSunday/false/' "$native_all"
mutant next-postponed-phase-end native schedule/next_events.cpp \
  'if (target < phase.End) return phase.End;' 's/return phase.End/return target/' "$native_all"
mutant next-start-after native schedule/next_events.cpp \
  'if (after && phase.Start <= *after) continue;' 's/<= \*after/< *after/' "$native_all"
mutant next-power-on-grace native schedule/next_events.cpp \
  'return nowMinute + kPowerOnGraceMinutes < powerOnMinute;' 's/< powerOnMinute/<= powerOnMinute/' "$native_all"
mutant next-warning-lead native schedule/next_events.cpp \
  'return MinuteOfDay(now) + kWarningLeadMinutes >= target;' 's/>= target/> target/' "$native_all"
mutant alarm-record-hour native schedule/alarm/wake_alarm.cpp \
  'g_AlarmHour = hour;' 's/= hour/= minute/' "$native_all"

# ------------------------------------------------------------------ the bus
mutant smbus-read-errors native hardware/smbus_control.cpp \
  'return (ReadHost(kSmbHstSts) & kStsErrors) == 0 ? 1 : 0;' 's/return .*/return 1;/' "$native_all"
mutant smbus-settle native hardware/smbus_control.cpp \
  'os_->Sleep(kSmbusSettleMs);' 's/.*//' "$native_all" 1
mutant smbus-probe-i2c native hardware/smbus_control.cpp \
  'if (StoredDeviceId() != kSmbusControllerOfThatBridge) return kControllerModeI2c;' 's/!=/==/' "$native_all"
mutant i2c-restart native hardware/smbus_control.cpp \
  'if (restart) command += kDataCmdRestart;' 's/+= kDataCmdRestart/+= 0/' "$native_all"
mutant i2c-abort-ignored native hardware/smbus_control.cpp \
  'if (TransmitAborted()) result = 0;' 's/result = 0/result = 1/' "$native_all"
mutant i2c-read-no-byte native hardware/smbus_control.cpp \
  'return byteReceived ? 1 : 0;' 's/byteReceived ? 1 : 0/1/' "$native_all"

# --------------------------------------------------- wake chip and watchdog
mutant mcu-day-code-same-minute native hardware/wake_chip.cpp \
  'return static_cast<uint8_t>(wakeMinuteOfDay > nowMinuteOfDay' 's/> nowMinuteOfDay/>= nowMinuteOfDay/' "$native_all"
mutant rtc-clock-left-stopped native hardware/wake_chip.cpp \
  'WriteChip(rtc::kControl1, rtc::kClockRuns);' 's/.*//' "$native_all"
mutant mcu-rearm native hardware/wake_chip.cpp \
  'if (value == mcu::kWakeOff) WriteChip(mcu::kWakeControl, mcu::kWakeArmed);' 's/==/!=/' "$native_all"
mutant watchdog-choice native hardware/watchdog.cpp \
  'return g_ChipAddress == kMcuAddress ||' 's/||/\&\&/' "$native_all"
mutant watchdog-kick-superio native hardware/watchdog.cpp \
  'SuperIoArm(g_Bus.Driver());' 's/SuperIoArm/SuperIoDisarm/' "$native_all" 2

# ----------------------------------------------------------------- identity
mutant smbios-next-structure native identity/smbios_table.cpp \
  'scan = next + table.At(next + kHeaderLengthOffset);' 's/scan = next + .*/scan = next;/' "$native_all"
mutant identity-switch-word native identity/info_check.cpp \
  'if (identityText.find(kFeatureSwitchWord) == std::string_view::npos) {' 's/==/!=/' "$native_all"
mutant identity-refusal-ends native identity/info_check.cpp \
  'os.EndProcess(kRefusalExitCode);' 's/os.EndProcess/(void)/' "$native_all"

# ----------------------------------------------------------- user interface
mutant editor-hour-beyond-list native ui/editor.cpp \
  'const int index = value < static_cast<unsigned>(list->GetCount()) ? static_cast<int>(value) : -1;' \
  's/: -1;/: static_cast<int>(list->GetCount()) - 1;/' "$native_all"
mutant editor-changed-day native ui/editor.cpp \
  'if (std::memcmp(&active, &m_EditSchedule.Days[day], kDayScheduleBytes) != 0) {' 's/!= 0/== 0/' "$native_all"
mutant editor-save-aborts-shutdown native ui/editor.cpp \
  'if (m_ShutdownIssued != 0) os_.RunHidden(kAbortShutdownCommand);' 's/.*//' "$native_all"
mutant tick-warning-once native ui/clock_tick.cpp \
  'if (IsWarningDue() && m_WarningShown == 0) RaiseWarning();' 's/ && m_WarningShown == 0//' "$native_all"
mutant postpone-minute native ui/clock_tick.cpp \
  'm_PostponeMinute[Postponement::kTarget] = static_cast<uint8_t>(target % kMinutesPerHour);' 's/target % kMinutesPerHour/target \/ kMinutesPerHour/' "$native_all"
mutant warning-cancel-clears native ui/warning_wnd.cpp \
  'GetShell().SendMessage(main, WM_CLEARSCHEDULE, 0, 0);' 's/WM_CLEARSCHEDULE/WM_DELAYSHUTDOWN/' "$native_all"
mutant warning-no-delay native ui/warning_wnd.cpp \
  'if (delay == 0) {' 's/delay == 0/delay == 1/' "$native_all"

# ------------------------------------------------------------------ startup
mutant startup-single-instance native app/startup.cpp \
  'if (os.CreateSingleInstanceMutex(kInstanceMutexName)) return 0;' 's/if (/if (false \&\& /' "$native_all"
mutant startup-quoted-path native app/startup.cpp \
  'if (modulePath.find('"' '"') == std::string::npos) return modulePath;' 's/==/!=/' "$native_all"
mutant exit-aborts-shutdown native app/startup.cpp \
  'host.os.RunHidden(ui::kAbortShutdownCommand);' 's/.*//' "$native_all"

# ------------------------------------------------------------ the framework
mutant markup-colour-run native ui/framework/markup.cpp \
  'if (!runs.empty() && runs.back().font == run.font && runs.back().colour == run.colour) {' \
  's/ && runs.back().colour == run.colour//' "$native_all"
mutant skin-duplicate-name native ui/framework/skin.cpp \
  'if (!control.name.empty() && !names.insert(control.name).second) {' 's/if (/if (false \&\& /' "$native_all"
mutant headless-timer-minimum native ui/framework/headless/headless_desktop.cpp \
  'const UINT period = std::max(elapseMs, kMinTimerPeriodMs);' 's/std::max(elapseMs, kMinTimerPeriodMs)/elapseMs/' "$native_all"

# ------------------------------------------------- Win32 services (Wine)
mutant atomic-temp-left windows platform/win32/atomic_file.cpp \
  'if (!WriteTempFile(temp, bytes, failAt)) {' 's/{$/{ return false;/' "$wine_platform"
mutant command-exe-suffix windows platform/win32/win32_os_services.cpp \
  'if (program.find(L'"'.'"') == std::wstring::npos) program += L".exe";' 's/.*//' "$wine_platform"
mutant timed-box-answer windows platform/win32/timed_message_box.cpp \
  'return pending.timedOut ? kTimedOutAnswer : answer;' 's/pending.timedOut ? kTimedOutAnswer : answer/answer/' "$wine_platform"
mutant modal-close-code windows ui/framework/win32/win32_desktop.cpp \
  'return code == closeCodes_.end() || ::IsWindow(window) ? 0 : code->second;' 's/: code->second/: 0/' "$wine_ui"
mutant tray-tip-surrogate windows ui/framework/win32/win32_desktop.cpp \
  'if (!wide.empty() && wide.back() >= 0xD800 && wide.back() <= 0xDBFF) wide.pop_back();' 's/.*//' "$wine_ui"
mutant combo-selection windows ui/framework/win32/frame_view.cpp \
  'combo->SelectItem(static_cast<int>(index), true);' 's/, true)/, false)/' "$wine_ui"
mutant wmi-minor-version windows identity/win32/wmi_smbios_source.cpp \
  'info.MinorVersion = LowByte(value.Get());' 's/info.MinorVersion = .*/info.MinorVersion = 0;/' "$wine_identity"
mutant driver-by-ordinal windows hardware/win32/win_driver_libraries.cpp \
  'return Resolve(MAKEINTRESOURCEA(ordinal), fn);' 's/MAKEINTRESOURCEA(ordinal)/MAKEINTRESOURCEA(ordinal + 1)/' "$wine_driver"

if ((list_only || check_only)); then exit 0; fi
# Leave the builds as the sources are.
for preset in native windows; do
  [[ -d $tree/build/$preset ]] && build "$preset"
done
echo "mutants: $caught caught, $missed missed, $broken not applied"
