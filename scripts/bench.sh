#!/usr/bin/env bash
# Benchmark of the simulated program (optimised build, native-release), per
# board profile, with the sample timetable:
#   week s, year s   wall time of vesk-sim run over a simulated week and a
#                    simulated year (coalesced ticks, output discarded)
#   peak MB          the largest resident set of the year's run
#   transfers/h      register transfers on the chip's bus in one hour of
#                    steady running (Monday 10:00-11:00, inside a period,
#                    no warning), every tick played as the real program
#                    makes it (--every-tick)
#   blocked ms/h     the time the window thread spends in the bus delays in
#                    that hour (the 10 ms settle of each SMBus transfer, the
#                    I2C controller's waits)
# Boards whose SMBus PawnIO's modules serve (Intel SMBus, AMD) get a second
# row through PawnIO (vesk-sim run --driver pawnio) beside the libraries'.
# Beside the bus figures: the least the timer periods allow, and the ratio.
# The clock tick (1 s) must read the chip's alarm flag once; the watchdog
# (40 s) costs one transfer a feed when it is the MCU's and none when it is
# the Super I/O's (ports, not the bus); the alarm refresh (5 s) needs none
# while the next power-on stays the same. The least blocked time is that
# many transfers at 10 ms each on an SMBus controller, and on the I2C
# controller (no fixed settle) at the hour's mean delay of one transfer.
#
# Usage: scripts/bench.sh [PROFILE...]   (default: every chip with every controller)
# Not part of the tests; needs the build packages and /usr/bin/time.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

sample=sim/machine/samples/TimeSetting.bin
vesksim=build/native-release/sim/vesk-sim
jobs=$(nproc 2>/dev/null || echo 2)

profiles=("$@")
if ((${#profiles[@]} == 0)); then
  for chip in mcu rtc-a2 rtc-d0 mcu+rtc-a2; do
    for controller in amd nvidia intel-smbus intel-i2c; do profiles+=("$chip-$controller"); done
  done
fi

need cmake make g++ gcc googletest libgtest-dev libgmock-dev time
echo "bench.sh: building the optimised vesk-sim (preset native-release)"
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j "$jobs" --target vesk-sim >/dev/null

# Wall seconds and peak kilobytes of one run, output discarded: "S KB".
measure() {
  local stats
  stats=$(mktemp)
  /usr/bin/time -o "$stats" -f "%e %M" "$vesksim" run "$@" >/dev/null
  tail -n 1 "$stats"
  rm -f "$stats"
}

# "transfers microseconds" of the bus-totals line of a run with every tick.
bus_totals() {
  "$vesksim" run "$@" --every-tick --bus-totals |
    sed -n 's/.* bus-totals transfers=\([0-9]*\) blocked=\([0-9]*\)us$/\1 \2/p'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }

printf '%-24s %-9s %7s %7s %7s  %-24s %-26s\n' profile driver "week s" "year s" "peak MB" \
  "transfers/h (least, x)" "blocked ms/h (least, x)"
for profile in "${profiles[@]}"; do
 drivers=(libraries)
 if [[ "$profile" == *-amd || "$profile" == *-intel-smbus ]]; then drivers+=(pawnio); fi
 for driver in "${drivers[@]}"; do
  common=(--board "$profile" --schedule "$sample" --driver "$driver")
  read -r week _ < <(measure "${common[@]}" --from "2026-12-07 08:00:00" --for 7d)
  read -r year peak_kb < <(measure "${common[@]}" --from "2026-12-07 08:00:00" --for 365d)

  # The hour 10:00-11:00: two runs from the same start, the first hour (the
  # program's start-up) taken away.
  read -r t1 us1 < <(bus_totals "${common[@]}" --from "2026-12-07 09:00:00" --for 1h)
  read -r t2 us2 < <(bus_totals "${common[@]}" --from "2026-12-07 09:00:00" --for 2h)
  transfers=$((t2 - t1)) blocked_us=$((us2 - us1))

  start=$("$vesksim" run "${common[@]}" --from "2026-12-07 09:00:00" --for 1m)
  least=3600
  if grep -q "watchdog action=start kind=mcu" <<<"$start"; then least=$((least + 90)); fi
  if grep -q "chip .* mode=i2c" <<<"$start"; then
    least_us=$(awk -v t="$transfers" -v u="$blocked_us" -v l="$least" 'BEGIN { printf "%d", t ? u / t * l : 0 }')
  else
    least_us=$((least * 10000))
  fi

  printf '%-24s %-9s %7s %7s %7.1f  %-24s %-26s\n' "$profile" "$driver" "$week" "$year" \
    "$(awk -v k="$peak_kb" 'BEGIN { print k / 1024 }')" \
    "$transfers ($least, $(ratio "$transfers" "$least"))" \
    "$((blocked_us / 1000)) ($((least_us / 1000)), $(ratio "$blocked_us" "$least_us"))"
 done
done
