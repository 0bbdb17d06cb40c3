#!/usr/bin/env bash
set -euo pipefail
name=shot22
. "$(cd "$(dirname "$0")" && pwd)/shots_world.sh"
start_program
probe wait-main 30000
wait_clock_label
add_alarm "$(day 1 07:30)" "起床，记得带上准考证"
add_alarm "$(day 1 12:15)" "午饭后给妈妈打电话"
add_alarm "$(day 2 18:40)" ""
add_alarm "$(day 7 09:00)" "周例会"
probe list-menu 0 每天
probe list-menu 1 停用
probe list-check 3
# probe list-select 2
shot() {
    probe main
    local x y w h
    read -r x y w h <<<"$(val rect)"
    sleep 1.2
    import -display "$DISPLAY" -window root "$dir/screen.png"
    mkdir -p "$outdir"
    convert "$dir/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$1"
}
shot "$outdir/s22$suffix.png"
probe list
