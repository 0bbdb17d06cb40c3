#!/usr/bin/env bash
# Screenshots of the alarms people keep: the list with an alarm switched off
# and rules of their own weekdays, the next alarm's label, and the dialog of
# 自定义…, taken of the real program under Wine.
#
#   screenshots_kept.sh PROGRAM.exe PROBE.exe ALARM.mp3 OUT_DIR [DPI]
#
# Writes OUT_DIR/screenshot-kept.png and screenshot-weekdays.png (with
# -DPIdpi in the names at another DPI than 96).
set -euo pipefail

name=screenshots_kept
# shellcheck source=shots_world.sh
. "$(cd "$(dirname "$0")" && pwd)/shots_world.sh"
start_program
probe wait-main 30000
wait_clock_label

add_alarm "$(day 1 07:30)" "起床，记得带上准考证"
add_alarm "$(day 1 12:15)" "午饭后给妈妈打电话"
add_alarm "$(day 2 18:40)" "羽毛球"
add_alarm "$(day 7 09:00)" "周例会"
probe list-menu 0 工作日（周一至周五）
probe list-menu 2 自定义…
probe dialog 自定义重复 5000 space tab tab space tab tab space enter
probe list-menu 3 每周
probe list-check 1
probe list-select 3

# The window with its title bar, cut from the whole screen.
shot() {  # file [window-title]
    if [ -n "${2:-}" ]; then
        probe dialog "$2" 5000
    else
        probe main
    fi
    shot_rect "$1"
}

shot "$outdir/screenshot-kept$suffix.png"
probe list-menu 2 自定义…
shot "$outdir/screenshot-weekdays$suffix.png" 自定义重复
probe keys esc
