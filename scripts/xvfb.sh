# Sourced: starts one private Xvfb display for this shell and its children and
# stops it (and the Wine server of our prefix) when the shell exits.
swfp_start_xvfb() {
  local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  SWFP_XVFB_PID=$!
  local n; read -r n <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$n"
  trap swfp_stop_xvfb EXIT
}
swfp_stop_xvfb() {
  WINEPREFIX=${SWFP_WINEPREFIX:-$(pwd)/build/wineprefix} /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  [[ -n "${SWFP_XVFB_PID:-}" ]] && kill "$SWFP_XVFB_PID" 2>/dev/null || true
}
