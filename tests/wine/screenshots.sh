#!/usr/bin/env bash
# Screenshots of both tabs for the README, taken of the real program under
# Wine (inside a Wine desktop window, so that the title bar is drawn too).
#
#   screenshots.sh PROGRAM.exe PROBE.exe ALARM.mp3 OUT_DIR [DPI]
#
# or `cmake --build --preset windows --target ny_screenshots`. Writes
# OUT_DIR/screenshot-alarms.png, screenshot-timepicker.png,
# screenshot-calendar.png and screenshot-countdown.png; with a DPI other than
# 96, a screen of that many dots per inch and -DPIdpi in the names.
set -euo pipefail

name=screenshots
# shellcheck source=shots_world.sh
. "$(cd "$(dirname "$0")" && pwd)/shots_world.sh"
start_program
probe wait-main 30000
wait_clock_label

add_alarm "$(day 1 07:30)" "起床，记得带上准考证"
add_alarm "$(day 1 12:15)" "午饭后给妈妈打电话"
add_alarm "$(day 2 18:40)" ""
add_alarm "$(day 7 09:00)" "周例会"
probe settext 编辑框1 "$(day 8 08:00)"
probe settext 闹钟提示信息输入 "该出门了"

# The window with its title bar, cut from the whole screen.
shot() {  # file
    probe main
    shot_rect "$1"
}

shot "$outdir/screenshot-alarms$suffix.png"
# Both popups, opened by real clicks in the entry field.
probe entry-click 15
shot "$outdir/screenshot-timepicker$suffix.png"
probe keys esc
probe entry-click 3
shot "$outdir/screenshot-calendar$suffix.png"
probe keys esc
probe tab 1
probe pick 组合框_分 25
probe settext 编辑框_倒计时闹钟提示信息 "茶泡好了"
probe click 按钮_倒计时开始
sleep 2
shot "$outdir/screenshot-countdown$suffix.png"
probe click 按钮_倒计时开始
