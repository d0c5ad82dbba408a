#!/bin/sh
# test_env.sh PROGRAM [ARGS...]: runs one test program on the Qt platform KORVANE_QT_PLATFORM names
# (offscreen unless set). With xcb the program gets an X server of its own (Xvfb), so programs that run
# side by side never take each other's focus or windows, and nothing appears on a person's desktop. A window
# manager (openbox) runs on that server, so focus, activation and stacking are as on a desktop. The
# server's screen is KORVANE_SCREEN_SIZE (WIDTHxHEIGHT), 1600x1200 unless set.
# LeakSanitizer's own stop-the-world tracer can crash at a program's end on a loaded machine ("Tracer caught
# signal 11"), which is no finding of the program's: such a run, and only such a run, is run once more (with
# its leak check). Its error stream is shown after the program ends.
run_checked() {
  errors="$(mktemp)"
  "$@" 2>"$errors"
  status=$?
  cat "$errors" >&2
  if [ "$status" -ne 0 ] && grep -q '^Tracer caught signal' "$errors" &&
    grep -q 'LeakSanitizer has encountered a fatal error' "$errors"; then
    echo "test_env.sh: the leak checker's tracer crashed; running the program once more" >&2
    "$@"
    status=$?
  fi
  rm -f "$errors"
  return "$status"
}
export QT_QPA_PLATFORM="${KORVANE_QT_PLATFORM:-offscreen}"
if [ "$QT_QPA_PLATFORM" != xcb ]; then
  run_checked "$@"
  exit $?
fi
number="$(mktemp)"
ready="$(mktemp -u)"
manager=""
# await_start NAME PID TEST: waits up to ten seconds for TEST to hold while the process PID runs.
await_start() {
  tries=0
  while ! eval "$3"; do
    if ! kill -0 "$2" 2>/dev/null || [ "$tries" -ge 200 ]; then
      echo "test_env.sh: $1 did not start" >&2
      exit 1
    fi
    tries=$((tries + 1))
    sleep 0.05
  done
}
Xvfb -displayfd 3 -screen 0 "${KORVANE_SCREEN_SIZE:-1600x1200}x24" -nolisten tcp 3>"$number" >/dev/null 2>&1 &
server=$!
trap '[ -n "$manager" ] && kill "$manager" 2>/dev/null; kill "$server" 2>/dev/null; rm -f "$number" "$ready" "$rc"' EXIT
trap 'exit 143' HUP INT TERM
await_start Xvfb "$server" '[ -s "$number" ]'
export DISPLAY=":$(cat "$number")"
# openbox draws captions in a title font fixed here (the system's settings otherwise, whatever they are), so
# that a test can measure a caption as openbox draws it; the tests learn the font from KORVANE_WM_TITLE_FONT.
rc="$(mktemp)"
title_font="DejaVu Sans"
title_size=10
config=""
if [ -r /etc/xdg/openbox/rc.xml ] &&
  sed -e '/<font place="\(Active\|Inactive\)Window">/,/<\/font>/{' \
    -e "s|<name>[^<]*</name>|<name>$title_font</name>|" -e "s|<size>[^<]*</size>|<size>$title_size</size>|" \
    -e 's|<weight>[^<]*</weight>|<weight>bold</weight>|' -e '}' /etc/xdg/openbox/rc.xml >"$rc"; then
  config="--config-file $rc"
  export KORVANE_WM_TITLE_FONT="$title_font,$title_size,bold"
fi
# openbox runs its start-up command once it manages the screen; the tests start after that.
# shellcheck disable=SC2086 # config is empty or two words
openbox --sm-disable $config --startup "touch $ready" >/dev/null 2>&1 &
manager=$!
await_start openbox "$manager" '[ -e "$ready" ]'
run_checked "$@"
exit $?
