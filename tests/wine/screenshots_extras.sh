#!/usr/bin/env bash
# Screenshots of what lies beyond the basics, for the README: the list menu
# with its 重复 submenu, the window's system menu with the settings and its
# 再响间隔 submenu open (the tray menu has the same items; a Wine desktop shows
# no tray), an alarm being edited (保存 and 取消), and a ringing alarm's box
# with its snooze button. Taken of the real program under Wine, inside a
# Wine desktop window.
#
#   screenshots_extras.sh PROGRAM.exe PROBE.exe ALARM.mp3 OUT_DIR [DPI]
#
# Writes OUT_DIR/screenshot-listmenu.png, screenshot-systemmenu.png,
# screenshot-editing.png and screenshot-ringbox.png (-DPIdpi in the names
# at another DPI). The ring box waits for the next minute (up to a minute).
set -euo pipefail

name=screenshots_extras
# shellcheck source=shots_world.sh
. "$(cd "$(dirname "$0")" && pwd)/shots_world.sh"

# Alarms of tomorrow, one repeating every day, and one for the coming
# minute (at least 25 s away) whose box is the last picture.
next=$(( ( $(date +%s) + 25 + 59 ) / 60 * 60 ))
probe make-store "$(winpath "$dir/ny.edb")" 1 "$(date -d '+1 day' '+%Y-%m-%d 07:30')" \
    'C:\Ny闹钟\alarm.mp3' 1 D
start_program
probe wait-main 30000
wait_clock_label
add_alarm "$(day 1 12:15)" "午饭后给妈妈打电话"
add_alarm "$(date -d "@$next" '+%Y-%m-%d %H:%M:%S')" "起床，记得带上准考证"

# The window and what opened beside it, cut from the whole screen.
shot() {  # file extra-width extra-height
    probe main
    shot_rect "$1" "$2" "$3"
}
k=$(( dpi * 100 / 96 ))  # percent

probe open-menu list 0 重复
shot "$outdir/screenshot-listmenu$suffix.png" $((150 * k / 100)) $((120 * k / 100))
probe keys esc esc
probe open-menu system
probe keys up right  # 再响间隔 open beside the menu
shot "$outdir/screenshot-systemmenu$suffix.png" 0 0  # the submenu opens inside the window
probe keys esc esc
probe list-menu 1 修改
sleep 0.5
shot "$outdir/screenshot-editing$suffix.png" 0 0
probe press 取消
sleep_until "$next"
probe box 20000
sleep 1
shot "$outdir/screenshot-ringbox$suffix.png" 0 $((60 * k / 100))
probe box-ok 2000
