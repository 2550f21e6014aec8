# Sourced by the Wine test runners: one way to reach the tests' Wine prefix.
#   vesk_wine_prefix DIR   exports WINEPREFIX and friends and $wine, makes
#                          the prefix if it is missing and gives it the
#                          screen resolution the run asks for.
# The resolution is a parameter of the run, never the host's accident:
# VESK_WINE_DPI (default 96) goes into the prefix's LogPixels values, and
# the variable reaches the Windows programs, which check that they got it.

vesk_wine_prefix() {
  local prefix=$1
  export WINEPREFIX=$prefix
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=-all
  export WINEARCH=win64
  export VESK_WINE_DPI=${VESK_WINE_DPI:-96}
  [[ "$VESK_WINE_DPI" =~ ^[1-9][0-9]*$ ]] || { echo "VESK_WINE_DPI must be a number of dots per inch" >&2; return 2; }
  wine=$(command -v wine || command -v wine64)

  # A fresh prefix takes a while to build and parallel tests share it:
  # one runner at a time makes or changes it.
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [[ ! -f "$prefix/system.reg" ]]; then
      "$wine" wineboot -i >/dev/null 2>&1 || true
      wineserver -w || true
    fi
    local stamp="$prefix/vesk-dpi"
    if [[ "$(cat "$stamp" 2>/dev/null)" != "$VESK_WINE_DPI" ]]; then
      "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$VESK_WINE_DPI" /f >/dev/null 2>&1
      "$wine" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
        /v LogPixels /t REG_DWORD /d "$VESK_WINE_DPI" /f >/dev/null 2>&1
      # Until the server has written the registry out, a killed server
      # would lose the values.
      wineserver -w || true
      echo "$VESK_WINE_DPI" >"$stamp"
    fi
  ) 9>"$prefix.lock"
}
