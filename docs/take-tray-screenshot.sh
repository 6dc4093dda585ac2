#!/usr/bin/env bash
# Takes docs/tray-menu.png: `vontal --simulate` under a private Xvfb with openbox and a small
# XEmbed tray (trayer) at the top right, one demo device connected, its window closed, and the
# tray icon's menu open.
# Needs xvfb, openbox, trayer, xdotool, imagemagick and fonts-noto-color-emoji
# (scripts/packages/ui.txt and tray.txt).
# Usage: docs/take-tray-screenshot.sh [path to vontal]; not run by CI.
set -euo pipefail
cd "$(dirname "$0")/.."
vontal=${1:-build/default/ui/vontal}
out=docs/tray-menu.png
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 800x500x24 2>"$work/xvfb.log" &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
# A desktop-like background, so the menu stands out as it would on a screen.
xsetroot -solid "#5e81ac"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
trayer --edge top --align right --widthtype request --height 28 --iconspacing 4 \
  --transparent false --tint 0x2e3440 --SetDockType true >"$work/trayer.log" 2>&1 &
pids+=($!)
sleep 1

export XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb
"$vontal" --simulate >"$work/vontal.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "${pids[-1]}" --name '^vontal$' | head -n1)
xdotool windowactivate --sync "$window"
sleep 2
# "VNT-DSP" (password 0000, custom name "Desk Display"), as docs/take-screenshot.sh does.
xdotool key Tab Tab space
alert=$(timeout 20 xdotool search --sync --onlyvisible --name '^vontal password$' | head -n1)
xdotool windowactivate --sync "$alert"
xdotool type 0000
xdotool key Return
sleep 3

# The window goes; vontal stays, in the tray. A right click on its icon opens the menu.
xdotool windowclose "$window" 2>/dev/null || wmctrl -i -c "$window"
sleep 1
# The tray sits at the top right corner, vontal's icon its only one.
xdotool mousemove 786 14 click 3
sleep 1
import -window root -crop 250x96+550+0 "$out"
echo "wrote $out"
cat "$work/vontal.log"
