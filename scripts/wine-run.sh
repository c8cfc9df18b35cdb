#!/usr/bin/env bash
# Runs a Windows program under wine64 in the project's own prefix (build/wineprefix).
# CMake uses it as the cross-compiling emulator of the win64 preset.
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${SWFP_WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: their install prompts would hang an unattended run.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# A prefix is usable when both registry files are whole and the system folder
# holds its libraries; an interrupted wineboot leaves one without them.
prefix_whole() {
  local reg
  for reg in system.reg user.reg; do
    [[ "$(head -c 23 "$WINEPREFIX/$reg" 2>/dev/null)" == "WINE REGISTRY Version 2" ]] || return 1
  done
  [[ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]]
}

if [[ ! -f "$WINEPREFIX/.swfp-ready" ]] || ! prefix_whole; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9   # one creator; the others wait and find it ready
  if [[ ! -f "$WINEPREFIX/.swfp-ready" ]] || ! prefix_whole; then
    if [[ -f "$WINEPREFIX/.swfp-ready" || -f "$WINEPREFIX/system.reg" ]]; then
      echo "wine-run: the prefix $WINEPREFIX is broken; making it again" >&2
      /usr/lib/wine/wineserver64 -k >/dev/null 2>&1
      rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    # Without a window manager (Xvfb) nobody would draw captions and frames; let
    # Wine draw them, so screenshots and tests see windows as a user would.
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    /usr/lib/wine/wineserver64 -w
    if ! prefix_whole; then
      echo "wine-run: wineboot did not make a usable prefix in $WINEPREFIX" >&2
      exit 1
    fi
    touch "$WINEPREFIX/.swfp-ready"
  fi
  exec 9>&-
fi
exec /usr/lib/wine/wine64 "$@"
