#!/usr/bin/env bash
# Builds the libFuzzer target for the firmware table parser and the identity
# strings with clang (outside the CMake presets, so the builds need no clang)
# and runs it. New inputs go to build/fuzz/corpus, crashes to build/fuzz/.
# Usage: scripts/fuzz-identity.sh [SECONDS] [more libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

out=build/fuzz
mkdir -p "$out/corpus"
clangxx=$(command -v clang++-14 || command -v clang++)
"$clangxx" -std=c++20 -g -O1 -I. \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  identity/smbios_table.cpp identity/info_check.cpp \
  identity/tests/fuzz/smbios_fuzz_entry.cpp identity/tests/fuzz/smbios_fuzzer.cpp \
  -o "$out/smbios_fuzzer"

# Up to 70000 bytes, so that tables longer than the 65535-byte copy are tried.
exec "$out/smbios_fuzzer" -max_total_time="$seconds" -max_len=70000 -print_final_stats=1 \
  -artifact_prefix="$out/" "$@" "$out/corpus" identity/tests/fuzz/corpus
