# Sourced: start_xvfb starts a private Xvfb on a display it picks itself and
# exports DISPLAY; stop_xvfb ends it. -displayfd lets the server choose a
# free display, so parallel runs never adopt each other's server.
# VELMORA_XVFB_SCREEN sets the screen (default 1600x1000x24).
start_xvfb() {
  local out _
  out=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${VELMORA_XVFB_SCREEN:-1600x1000x24}" -nolisten tcp 3>"$out" </dev/null >/dev/null 2>&1 &
  VELMORA_XVFB_PID=$!
  for _ in $(seq 1 100); do
    if [ -s "$out" ]; then
      export DISPLAY=":$(head -n1 "$out")"
      rm -f "$out"
      return 0
    fi
    kill -0 "$VELMORA_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$out"
  echo "could not start Xvfb" >&2
  return 1
}
stop_xvfb() {
  [ -n "${VELMORA_XVFB_PID:-}" ] && kill "$VELMORA_XVFB_PID" 2>/dev/null
  VELMORA_XVFB_PID=""
}
