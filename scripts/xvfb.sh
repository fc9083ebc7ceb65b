# Sourced by the test script: starts a private Xvfb on a free display number
# and exports it as WT_X_DISPLAY; the server ends with the script.
start_xvfb() {
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$XVFB_PID" 2>/dev/null; then
      export WT_X_DISPLAY=":$n"
      trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
      return 0
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}
