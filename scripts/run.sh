#!/usr/bin/env bash
# Builds and starts VESK on the simulated board. (The whole program is not
# assembled yet; for now this builds the native tree and shows vesk-sim.)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target vesk-sim >/dev/null
exec build/native/sim/vesk-sim --help
