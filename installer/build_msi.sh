#!/usr/bin/env bash
# Builds the VESK package with wixl from the program's build folder.
# Usage: build_msi.sh VESK.WXS VERSION BIN_DIR ACTIONS_DLL OUTPUT.msi
# The skin folder's components are made from whatever bin/skin holds, so a
# new skin file is packaged without editing vesk.wxs.
set -euo pipefail
wxs=$1 version=$2 bin=$3 actions=$4 output=$5
[[ -f "$bin/VESK.exe" && -d "$bin/skin" ]] || { echo "build_msi.sh: no VESK.exe and skin in $bin" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# wixl takes sources by paths relative to where it runs.
wxs=$(realpath "$wxs") output=$(realpath -m "$output")
ln -s "$(realpath "$bin")" "$work/bin"
cp "$actions" "$work/actions.dll"
cd "$work"
(cd bin && find skin -type f | LC_ALL=C sort |
   wixl-heat --prefix skin/ --directory-ref SKINDIR --var var.SkinDir --component-group SkinFiles --win64) \
  >skin_files.wxs
mkdir -p "$(dirname "$output")"
wixl --arch x64 -D Win64=yes -D Version="$version" -D BinDir=bin -D SkinDir=bin/skin -D ActionsDll=actions.dll \
     -o "$output.part" "$wxs" skin_files.wxs
# wixl makes every action of a library immediate or deferred; the fleet
# files' undo runs at a rollback and their clean-up at the commit (both in
# the script, as the system, their result ignored).
dll_in_binary=1 ignore_result=64 rollback=256 commit=512 in_script=1024 no_impersonate=2048
script_action=$((dll_in_binary | ignore_result | in_script | no_impersonate))
msibuild "$output.part" \
  -q "UPDATE CustomAction SET Type=$((script_action | rollback)) WHERE Action='UndoFleetFiles'" \
  -q "UPDATE CustomAction SET Type=$((script_action | commit)) WHERE Action='ForgetFleetBackups'"
mv -f "$output.part" "$output"
echo "built $output"
