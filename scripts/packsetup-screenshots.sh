#!/usr/bin/env bash
# Pictures of the real PackSetup under a virtual X server, into docs/screenshots/: the
# window, its About box (from the window's context menu), and the window while the
# emulated adapter's firmware is upgraded.
#   scripts/packsetup-screenshots.sh     (after building PackSetup in build/default)
# Needs xvfb, xdotool and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
program=build/default/bin/PackSetup
out=docs/screenshots
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
caption='^Setup corvane M3 DFP for Keil MDK$'

TAVRO_EMULATOR="firmware=old,latency=usb-fs,state=$state" "$program" &
pid=$!
sleep 2
window=$(xdotool search --name "$caption" | head -1)
import -window "$window" "$out/packsetup.png"

xdotool mousemove --window "$window" 300 140 click 3
sleep 1
xdotool key Down Return
sleep 1
about=$(xdotool search --name '^About PackSetup$' | head -1)
import -window "$about" "$out/packsetup-about.png"
xdotool key Return
sleep 1

# Button 1007; the strip's drawing is not kept, so the picture is taken while it shows.
xdotool mousemove --window "$window" 188 118 click 1
for attempt in $(seq 1 40); do
    sleep 0.25
    import -window "$window" "$state/shot.png"
    if [ "$(convert "$state/shot.png" -crop 40x4+20+132 -format '%[fx:mean]' info:)" != \
         "$(convert "$out/packsetup.png" -crop 40x4+20+132 -format '%[fx:mean]' info:)" ]; then
        cp "$state/shot.png" "$out/packsetup-progress.png"
        break
    fi
done
kill "$pid" 2>/dev/null || true
ls -l "$out"/packsetup*.png
