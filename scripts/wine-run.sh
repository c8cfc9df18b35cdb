#!/usr/bin/env bash
# Runs a Windows program under wine64 in the project's own prefix (build/wineprefix).
# CMake uses it as the cross-compiling emulator of the win64 preset.
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${SWFP_WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: their install prompts would hang an unattended run.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [[ ! -f "$WINEPREFIX/.swfp-ready" ]]; then
  mkdir -p "$WINEPREFIX"
  [[ -f "$WINEPREFIX/system.reg" ]] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  # Without a window manager (Xvfb) nobody would draw captions and frames; let
  # Wine draw them, so screenshots and tests see windows as a user would.
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  /usr/lib/wine/wineserver64 -w
  touch "$WINEPREFIX/.swfp-ready"
fi
exec /usr/lib/wine/wine64 "$@"
