#!/usr/bin/env bash
# Runs a Windows program under wine64 in the project's own prefix (build/wineprefix).
# CMake uses it as the cross-compiling emulator of the win64 preset.
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${SWFP_WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: their install prompts would hang an unattended run.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver64 -w
fi
exec /usr/lib/wine/wine64 "$@"
