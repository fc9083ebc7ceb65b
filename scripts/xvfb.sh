# Sourced by whoever needs one X server for a whole session (the main window
# bench reads WT_X_DISPLAY): starts a private Xvfb on a display it picks
# itself among the free ones and exports it as WT_X_DISPLAY; the server ends
# with the script. The tests need none of this: each test process starts an
# X server of its own.
start_xvfb() {
  local fifo number
  fifo=$(mktemp -u /tmp/xvfb-display.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  # Xvfb writes the number once it accepts clients; EOF when it failed.
  read -r number <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$number" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
    echo "could not start Xvfb" >&2
    return 1
  fi
  export WT_X_DISPLAY=":$number"
  trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
}
