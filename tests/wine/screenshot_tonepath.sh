#!/usr/bin/env bash
# The alarm tab with a long ring-tone path in 铃声路径, drawn compacted at a
# separator, and its tip: for looking at, at 96 DPI and another.
#
#   screenshot_tonepath.sh PROGRAM.exe PROBE.exe ALARM.mp3 OUT_DIR [DPI]
#
# Writes OUT_DIR/screenshot-tonepath[-DPIdpi].png.
set -euo pipefail

name=screenshot_tonepath
# shellcheck source=shots_world.sh
. "$(cd "$(dirname "$0")" && pwd)/shots_world.sh"
start_program
probe wait-main 30000
probe settext 铃声路径 'C:\Users\王小明\Music\闹钟铃声\清晨\起床.wav'
probe main
read -r x y w h <<<"$(val rect)"
sleep 1.2
import -display "$DISPLAY" -window root "$dir/screen.png"
mkdir -p "$outdir"
convert "$dir/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$outdir/screenshot-tonepath$suffix.png"
log "wrote $outdir/screenshot-tonepath$suffix.png"
