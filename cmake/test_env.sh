#!/bin/sh
# test_env.sh PROGRAM [ARGS...]: runs one test program on the Qt platform KORVANE_QT_PLATFORM names
# (offscreen unless set). With xcb the program gets an X server of its own (Xvfb), so programs that run
# side by side never take each other's focus or windows, and nothing appears on a person's desktop.
export QT_QPA_PLATFORM="${KORVANE_QT_PLATFORM:-offscreen}"
if [ "$QT_QPA_PLATFORM" != xcb ]; then
  exec "$@"
fi
number="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; rm -f "$number"' EXIT
trap 'exit 143' HUP INT TERM
tries=0
while [ ! -s "$number" ]; do
  if ! kill -0 "$server" 2>/dev/null || [ "$tries" -ge 200 ]; then
    echo "test_env.sh: Xvfb did not start" >&2
    exit 1
  fi
  tries=$((tries + 1))
  sleep 0.05
done
export DISPLAY=":$(cat "$number")"
"$@"
status=$?
exit "$status"
