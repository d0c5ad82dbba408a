#!/usr/bin/env bash
# Makes the README's pictures in docs/ from programs already built (it builds nothing): OMBAgen on a copy
# of the demo project (main window, an object dialog, the Application sheet, the output of a utility) and
# dkhost with the plug-in's control panel and Tasks window on the demo target. Runs them on a virtual X
# display (xvfb-run), drives them with xdotool and takes the windows with ImageMagick's import.
#
#   scripts/screenshots.sh [BIN_FOLDER]      default build/release/bin, else build/test/bin
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-}"
if [ -z "$bin" ]; then
  bin="$root/build/release/bin"
  [ -x "$bin/OMBAgen" ] || bin="$root/build/test/bin"
fi
bin="$(cd "$bin" && pwd)"
for program in OMBAgen dkhost libOMBA_Z5_Plugin.so; do
  [ -e "$bin/$program" ] || { echo "screenshots: $bin/$program is missing; build it first" >&2; exit 2; }
done
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is needed (xvfb, xdotool, imagemagick)" >&2; exit 2; }
done

if [ -z "${SCREENSHOTS_ON_DISPLAY:-}" ]; then
  export SCREENSHOTS_ON_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$bin"
fi

out="$root/docs"
mkdir -p "$out"
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" ASAN_OPTIONS=detect_leaks=0

# The id of the visible window whose title matches, once it is there (up to 30 s).
window() {
  local id
  for _ in $(seq 300); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)"
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  echo "screenshots: no window \"$1\"" >&2
  return 1
}

# Waits until no visible window matches (up to 30 s).
gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "screenshots: window \"$1\" stays" >&2
  return 1
}

keys() {
  xdotool key --clearmodifiers --delay 120 "$@"
  sleep 0.5
}

shot() {
  sleep 0.7
  import -window "$1" "$out/$2"
  echo "screenshots: docs/$2"
}

# ---- OMBAgen on a copy of the demo project
cp -r "$root/samples/demo" "$work/demo"
cd "$work/demo"
"$bin/OMBAgen" "$work/demo/demo.omb" >"$work/ombagen.log" 2>&1 &
pids+=($!)
main="$(window '^OMBAgen - ')"
gone '^Welcome to OMBAgen'
xdotool windowsize "$main" 1060 620
xdotool windowfocus --sync "$main"
sleep 0.5
# The tree has the focus with the project selected: open Main and its Control application, and show the
# Tasks of Control.
keys Down Right Down Right
xdotool type --delay 120 "Tasks"
keys Right
shot "$main" ombagen_main_window.png

# The first task's properties (Ctrl on a tree node is Edit > Change).
keys Down Control_L
dialog="$(window 'Properties$')"
shot "$dialog" ombagen_task_dialog.png
keys Escape
gone 'Properties$'

# The Application sheet of Control.
xdotool windowfocus --sync "$main"
xdotool type --delay 120 "Control"
keys Control_L
sheet="$(window '^Application Properties')"
shot "$sheet" ombagen_application_sheet.png
keys Escape
gone '^Application Properties'

# A utility's output: the first item of the Utilities menu lists the project folder.
xdotool windowfocus --sync "$main"
keys alt+u Return
output="$(window '^Output from command')"
sleep 1.5
shot "$output" ombagen_command_output.png
keys Escape
kill "${pids[0]}" 2>/dev/null || true
wait "${pids[0]}" 2>/dev/null || true

# ---- dkhost: the control panel and the Tasks window on the demo target
settings="$XDG_CONFIG_HOME/Korvane Systems, Inc./OMBA Korvane 1.0/Kernel Awareness/Debugger"
mkdir -p "$settings"
printf '[]\n"Little Endian"=dword:00000001\n"S-Record Path"="%s"\n"Logging Enabled"=dword:00000000\n"Logfile Path"=""\n' \
  "$root/samples/target/z5data.a79" >"$settings/ARM.ini"
# The settings name the demo's data file, so Settings (1126) and its OK (1) load the kernel data without
# a chooser; display2 opens the Tasks window.
cat >"$work/panel.scn" <<EOF
symbols $root/samples/target/target.sym
memory $root/samples/target/target.srec
init
loaded
wait-idle
expect-window "Korvane Control Panel"
click 1126
click 1
wait-idle
click display2
wait-idle
expect-window "Tasks"
EOF
"$bin/dkhost" "$work/panel.scn" >"$work/dkhost.log" 2>&1 &
pids+=($!)
panel="$(window '^Korvane Control Panel$')"
tasks="$(window '^Tasks$')"
# Side by side, apart, each window taken whole and set on a plain background (the bare display has none).
xdotool windowmove "$panel" 0 0
xdotool windowsize "$tasks" 680 330
xdotool windowmove "$tasks" 400 0
sleep 1
import -window "$panel" "$work/panel.png"
import -window "$tasks" "$work/tasks.png"
convert -background '#dcdcdc' "$work/panel.png" -size 20x1 xc:'#dcdcdc' "$work/tasks.png" -gravity north \
  +append -bordercolor '#dcdcdc' -border 20 +repage "$out/plugin_control_panel_tasks.png"
echo "screenshots: docs/plugin_control_panel_tasks.png"
