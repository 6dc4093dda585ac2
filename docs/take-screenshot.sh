#!/usr/bin/env bash
# Takes docs/screenshot.png: `vontal --simulate` under a private Xvfb with openbox, one demo device
# connected (its password typed into the alert), the others still under "Discovered".
# Needs xvfb, openbox, xdotool, imagemagick and fonts-noto-color-emoji (scripts/packages/ui.txt).
# Usage: docs/take-screenshot.sh [path to vontal] [language]; not run by CI. With a language
# (LANGUAGE's form: ja, de, pt_BR, ...) it takes docs/screenshot-<language>.png in that language;
# the CJK ones need fonts-noto-cjk (scripts/packages/l10n.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
vontal=${1:-build/default/ui/vontal}
out=docs/screenshot.png
if [ -n "${2:-}" ]; then
  export LANGUAGE=$2
  out=docs/screenshot-$2.png
fi
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 2>"$work/xvfb.log" &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

export XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb
"$vontal" --simulate >"$work/vontal.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "${pids[-1]}" | head -n1)
xdotool windowactivate --sync "$window"
# The demo devices answer after a few hundred milliseconds.
sleep 2

# Focus starts on the toggle; rows come after it in the tab order: the second discovered device
# is "VNT-DSP", whose password is 0000 and whose custom name is "Desk Display".
xdotool key Tab Tab space
# The alert: the program's other visible window (its title is in the user's language).
alert=""
for _ in $(seq 200); do
  alert=$(xdotool search --onlyvisible --pid "${pids[-1]}" | grep -vx "$window" | head -n1 || true)
  [ -n "$alert" ] && break
  sleep 0.1
done
xdotool windowactivate --sync "$alert"
xdotool type 0000
xdotool key Return
sleep 3

# Pointer out of the picture, then the window with its frame.
xdotool mousemove 1000 760
import -frame -window "$window" "$out"
echo "wrote $out"
cat "$work/vontal.log"
