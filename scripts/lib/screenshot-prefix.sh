# Sourced by the screenshot scripts: readies a Wine prefix of the
# screenshots' own, so that what they set (the dpi above all) never reaches
# the tests' prefix, and sets $wine.
# Usage: screenshot_prefix FOLDER
screenshot_prefix() {
  export WINEPREFIX=$1
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=-all
  export WINEARCH=win64
  wine=$(command -v wine || command -v wine64)
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  # Wine's own system fonts have no Chinese glyphs; on a Chinese Windows the
  # title bars and the notice's dialog font do. Link them to the Chinese
  # font from Debian (fonts-wqy-microhei) so that the pictures show what a
  # user sees.
  local face
  for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1
  done
}
