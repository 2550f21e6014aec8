#!/usr/bin/env bash
# Makes the example pictures of "vesk-sim plan" shown in the README: five
# weeks of the sample office timetable in Europe/Berlin around Easter 2027
# (two weeks closed, the change to summer time, a late evening, a hang),
# in English and in Chinese, with the optimised vesk-sim (native-release).
#
# Usage: scripts/plan-example.sh   (writes docs/plan-example.svg and docs/plan-example-zh.svg)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

need cmake make g++ gcc libhowardhinnant-date-dev tzdata
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j "$(nproc 2>/dev/null || echo 2)" --target vesk-sim >/dev/null

for lang in 1033 2052; do
  out=docs/plan-example.svg
  [[ $lang == 2052 ]] && out=docs/plan-example-zh.svg
  build/native-release/sim/vesk-sim plan --schedule sim/machine/samples/TimeSetting.bin \
      --holidays sim/plan/samples/Holidays.txt --script sim/plan/samples/user.script --board mcu-intel-i2c \
      --tz Europe/Berlin --from 2027-03-08 --weeks 5 --lang "$lang" --svg "$out"
  echo "plan-example.sh: $out"
done
