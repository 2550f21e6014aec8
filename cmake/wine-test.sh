#!/usr/bin/env bash
# Runs one Windows program under Wine with a prefix inside the build folder.
# Usage: wine-test.sh [--gui] --prefix DIR PROGRAM.exe [ARGS...]
set -euo pipefail
gui=0
if [[ "${1:-}" == "--gui" ]]; then gui=1; shift; fi
[[ "${1:-}" == "--prefix" ]] || { echo "wine-test.sh: --prefix DIR expected" >&2; exit 2; }
prefix=$2; shift 2

source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
vesk_wine_prefix "$prefix"

# Unix paths mean nothing to the Windows program: hand it the report path as
# Wine's Z: drive path, and make sure its folder exists.
args=()
for arg in "$@"; do
  if [[ "$arg" == --gtest_output=xml:* ]]; then
    report=${arg#--gtest_output=xml:}
    mkdir -p "$(dirname "$report")"
    arg="--gtest_output=xml:Z:${report//\//\\}"
  fi
  args+=("$arg")
done
set -- "${args[@]}"

# scripts/test.sh runs all Wine tests inside one X server, so that the
# prefix's lingering wineserver never refers to a display that has gone.
if (( gui )) && [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$@"
else
  exec "$wine" "$@"
fi
