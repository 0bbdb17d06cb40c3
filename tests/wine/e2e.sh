#!/usr/bin/env bash
# One end-to-end test of the real program under Wine: e2e.sh TEST_NAME.
# Runs in the world that env.sh set up (NY_RUN), with the program NY_EXE, the
# probe NY_PROBE and the ring tone NY_TONE. Each test gets a fresh directory
# holding only a copy of the program and alarm.mp3, as a user would have it.
# Exit 0: passed; 1: failed; 77: cannot run yet (says why).
set -euo pipefail

name=${1:?usage: e2e.sh TEST_NAME}
: "${NY_RUN:?}" "${NY_EXE:?}" "${NY_PROBE:?}" "${NY_TONE:?}"
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck disable=SC1091
. "$NY_RUN/env"
# shellcheck source=lib.sh
. "$here/lib.sh"

# ---------------------------------------------------------------------------

# Presses 停止 and checks that the recording falls silent: at once (how
# soon is logged; bench/wine_bench.sh measures it against its goal) and for
# good.
stop_and_expect_silence() {
    probe click 停止
    local clicked
    clicked=$(val click_unix)
    sleep 1.6
    local ended after
    ended=$(capture_end_after "$clicked" 0.3)
    [ -n "$ended" ] || fail "still heard 0.3 s after 停止"
    log "silent ${ended} s after 停止"
    after=$(capture_rms_at "$(calc "$clicked + 0.3")" 1.2)
    below "$after" 0.003 || fail "heard again after 停止 (RMS $after)"
}

# The test MP3s, made once per run: "name frequency" lines in tones/list.
tones=
make_tones() {
    tones=$NY_RUN/tones
    if [ ! -f "$tones/list" ] || [ ! -f "$tones/wavima.wav" ]; then
        rm -rf "$tones" "$tones.new"
        "$here/make_tones.sh" "$tones.new" --long >"$NY_RUN/tones.list"
        mv "$NY_RUN/tones.list" "$tones.new/list"
        mv "$tones.new" "$tones"
    fi
    mkdir -p "$dir/tones"
    cp "$tones"/*.mp3 "$tones"/*.wav "$dir/tones/"
}
tone_frequency() { awk -v n="$1" '$1 == n { print $2 }' "$tones/list"; }

# Within 8% of the frequency expected.
near() {  # heard expected
    awk -v h="$(num "$1")" -v e="$2" 'BEGIN { d = h - e; if (d < 0) d = -d; exit !(d <= e * 0.08) }'
}

test_first_start() {
    start_program
    probe wait-main 20000
    [ -f "$dir/ny.yz" ] || fail "ny.yz was not created"
    [ "$(od -An -tx1 "$dir/ny.yz" | tr -d ' \n')" = 00 ] || fail "ny.yz is not the one byte 00"
    probe attrs "$(winpath "$dir/ny.yz")"
    [ "$(val attrs)" = 0x22 ] || fail "ny.yz attributes are $(val attrs), not hidden+archive (0x22)"
    [ -f "$dir/ny.edb" ] || fail "ny.edb was not created"
    probe store "$(winpath "$dir/ny.edb")"
    [ "$(val records)" = 0 ] || fail "a new store holds $(val records) records"
    probe list
    [ "$(val rows)" = 0 ] || fail "the list of a first start has rows"
    probe text 编辑框1
    [[ $(val text) =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}\ [0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] ||
        fail "编辑框1 shows '$(val text)', not the start time"
    probe text 铃声路径
    [ "$(val text)" = "$(winpath "$dir")/alarm.mp3" ] || fail "铃声路径 shows '$(val text)'"
    # The lock is held: nobody else may open it now.
    probe_may_fail open-exclusive "$(winpath "$dir/ny.yz")"
    [ "$(val error)" = 32 ] || fail "ny.yz is not held open with sharing denied"
}

test_second_instance() {
    start_program
    probe wait-main 20000
    local pid1 hwnd1
    pid1=$(val pid) hwnd1=$(val hwnd)
    add_alarm "$(future 2)" "第一个"
    local before
    before=$(stat -c '%Y %s' "$dir/ny.edb")$(md5sum <"$dir/ny.edb")
    sleep 1.1  # a write now would change the modification time
    (cd "$dir" && exec wine "./$exe" >>"$dir/second.log" 2>&1) &
    local second=$!
    probe box 20000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 text=Ny闹钟已经在运行" "the second copy's message"
    local box_pid
    box_pid=$(sed -n 's/^box pid=\([0-9]*\).*/\1/p' <<<"$out")
    [ "$box_pid" != "$pid1" ] || fail "the message came from the first copy"
    probe box-ok 2000
    local rc=0
    wait_pid "$second" 20 || rc=$?
    [ "$rc" = 0 ] || fail "the second copy ended with exit code $rc"
    probe --pid "$pid1" wait-main 5000
    [ "$(val hwnd)" = "$hwnd1" ] || fail "the first copy's window is gone"
    probe list
    [ "$(val rows)" = 1 ] || fail "the first copy's list changed"
    [ "$(stat -c '%Y %s' "$dir/ny.edb")$(md5sum <"$dir/ny.edb")" = "$before" ] ||
        fail "the second copy touched ny.edb"
}

test_restart_lists_records() {
    start_program
    probe wait-main 20000
    add_alarm "$(future 3)" "第一条"
    add_alarm "$(future 5)" ""
    add_alarm "$(future 4)" "第三条 with ASCII"
    probe list
    local first_run=$out
    [ "$(val rows)" = 3 ] || fail "3 alarms added, the list shows $(val rows)"
    # Kept from drawing while its count changed, the list is shown again.
    probe state 超级列表框1
    [ "$(val visible)" = 1 ] || fail "the list is hidden after 添加"
    stop_program
    start_program
    probe wait-main 20000
    probe list
    [ "$(val rows)" = 3 ] || fail "after a restart the list shows $(val rows) rows, not 3"
    [ "$out" = "$first_run" ] || fail "the restarted list differs: $out"
    probe store "$(winpath "$dir/ny.edb")"
    [ "$(val records)" = 3 ] || fail "ny.edb holds $(val records) records"
    # The store holds what the list shows, in the same order.
    local r
    for r in 0 1 2; do
        local row rec
        row=$(sed -n "s/^row $r: //p" <<<"$first_run")
        rec=$(sed -n "s/^record $((r + 1)): ||//p" <<<"$out")
        [ "$row" = "$rec" ] || fail "record $((r + 1)) is '$rec', row $r is '$row'"
    done
}

# The countdown page's controls are made the first time the page is shown:
# shown once, and back to the alarm page.
visit_countdown_page() {
    probe tab 1
    probe tab 0
}

test_layout() {
    start_program
    probe wait-main 20000
    visit_countdown_page
    probe_may_fail layout
    [ "$rc" = 0 ] || fail "controls out of place"
}

test_popups_layout() {
    start_program
    probe wait-main 20000
    visit_countdown_page
    probe_may_fail layout --popups
    [ "$rc" = 0 ] || fail "popup controls out of place"
}

# The whole "YYYY-MM-DD HH:MM:SS" is in view in 编辑框1, also with its widest
# digits, after the field was asked to show its end, and after the seconds
# were edited with the time grid.
test_entry_whole() {
    own_desktop
    start_program
    probe wait-main 30000
    local day text
    day=$(date -d '+1 day' +%Y-%m-%d)
    for text in "$day 16:22:50" "2088-08-28 08:48:58" "2000-01-11 11:11:11"; do
        probe settext 编辑框1 "$text"
        probe_may_fail entry-whole
        [ "$rc" = 0 ] || fail "'$text' is not whole in view: $(grep text= <<<"$out" | tail -1)"
    done
    probe settext 编辑框1 "$day 16:22:50"
    probe entry-click 18
    expect_popup timepicker "$day 16:22:50" 秒钟
    probe keys 0 8 enter
    expect_popup none "$day 16:22:08"
    probe_may_fail entry-whole
    [ "$rc" = 0 ] || fail "after editing the seconds the text is not whole in view"
}

# Tab and Shift+Tab go through the page's controls in reading order, as
# another process reads the focus; Ctrl+Tab and Ctrl+Shift+Tab switch the
# pages; Enter and Space press the focused button; a popup closed with Esc
# gives the entry back the focus with its caret.
expect_focus() {  # name
    probe focus
    [ "$(val focus)" = "$1" ] || fail "the focus is on $(val focus), not $1"
}

test_keyboard() {
    own_desktop
    start_program
    probe wait-main 30000
    local name
    probe keys tab
    for name in 编辑框1 铃声选择 试听 默认铃声 添加 闹钟提示信息输入 超级列表框1 清空列表 选择夹1 编辑框1; do
        expect_focus "$name"
        probe keys tab
    done
    expect_focus 铃声选择
    probe keys shift+tab
    expect_focus 编辑框1
    probe keys shift+tab
    expect_focus 选择夹1
    probe keys ctrl+tab
    expect_focus 组合框_时
    for name in 组合框_分 组合框_秒 编辑框_倒计时闹钟提示信息 按钮_倒计时开始 选择夹1; do
        probe keys tab
        expect_focus "$name"
    done
    probe keys ctrl+shift+tab
    expect_focus 编辑框1
    # Enter and Space on the focused 添加.
    probe settext 编辑框1 "$(future 30)"
    probe keys tab tab tab tab
    expect_focus 添加
    probe list
    local rows
    rows=$(val rows)
    probe keys enter
    sleep 0.5
    probe list
    [ "$(val rows)" = $((rows + 1)) ] || fail "Enter on 添加 did not add"
    probe settext 编辑框1 "$(future 31)"
    probe keys space
    sleep 0.5
    probe list
    [ "$(val rows)" = $((rows + 2)) ] || fail "Space on 添加 did not add"
    # Esc closes a popup and the entry has the focus, caret where it was.
    local day
    day=$(date -d '+1 day' +%Y-%m-%d)
    probe settext 编辑框1 "$day 07:30:15"
    probe entry-click 15
    expect_popup timepicker "$day 07:30:15" 分钟
    probe keys esc
    [ "$(val popup)" = none ] || fail "Esc left the popup open"
    [ "$(val caret)" = 15 ] || fail "after Esc the caret is at $(val caret), not 15"
    expect_focus 编辑框1
    [ "$(val caret_shown)" = 1 ] || fail "the entry has the focus but shows no caret"
}

# In the alarm list, Delete is the menu's 删除 on the selected row; Shift+F10
# and the context-menu key open the menu there.
test_list_keys() {
    start_program
    probe wait-main 20000
    add_alarm "$(future 2)" "一"
    add_alarm "$(future 3)" "二"
    add_alarm "$(future 4)" "三"
    add_alarm "$(future 5)" "四"
    probe list-select 1
    probe keys delete
    sleep 0.5
    probe list
    [ "$(val rows)" = 3 ] || fail "after Delete, the list has $(val rows) rows"
    expect_line "row 1: .*\|三\|未响" "row 1 after Delete"
    probe store "$(winpath "$dir/ny.edb")"
    [ "$(val records)" = 3 ] || fail "after Delete, ny.edb holds $(val records) records"
    expect_line "record 2: .*\|三\|未响" "record 2 after Delete"
    local keys left=3
    for keys in shift+f10 apps; do
        probe list-select 0
        probe keys "$keys"
        probe menu-choose 删除
        sleep 0.5
        probe list
        left=$((left - 1))
        [ "$(val rows)" = "$left" ] || fail "$keys and 删除 left $(val rows) rows, not $left"
    done
    expect_line "row 0: .*\|四\|未响" "the row left"
    probe store "$(winpath "$dir/ny.edb")"
    [ "$(val records)" = 1 ] || fail "ny.edb holds $(val records) records"
}

# 铃声路径 (disabled) shows the end of a long path, and the whole as a tip.
test_path_tip() {
    start_program
    probe wait-main 20000
    probe_may_fail path-tip
    [ "$rc" = 0 ] || fail "the tone's path: $(grep -E '^(BAD|tip=|path=)' <<<"$out" | tr '\n' ' ')"
}

# The popup reported by the last probe (entry-click, press, keys, ...) is
# `which` ("none", "calendar", "timepicker"), the only one open, and the
# entry reads `entry`.
expect_popup() {  # which entry [label]
    [ "$(val popup)" = "$1" ] || fail "expected popup $1, found $(val popup)"
    [ "$1" = none ] || [ "$(val popups)" = 1 ] || fail "$(val popups) popups open at once"
    [ "$(val entry)" = "$2" ] || fail "the entry reads '$(val entry)', not '$2'"
    [ -z "${3:-}" ] || [ "$(val label)" = "$3" ] || fail "the unit label reads '$(val label)', not '$3'"
}

# The open popup hangs from the entry field's bottom-left corner, and the
# field is enabled again.
expect_below_field() {
    local pl pt pr pb fl ft fr fb
    read -r pl pt pr pb <<<"$(val rect)"
    read -r fl ft fr fb <<<"$(val field)"
    [ "$pl $pt" = "$fl $fb" ] || fail "the popup's top-left is $pl,$pt, the field's bottom-left $fl,$fb"
    [ "$(val enabled)" = 1 ] || fail "the entry field stays disabled"
}

# Hour, minute and second with the grid, typed digits, the arrow keys and
# the buttons, with real mouse and keyboard; then 添加 takes the result.
test_time_picker() {
    own_desktop
    start_program
    probe wait-main 30000
    local day
    day=$(date -d '+1 day' +%Y-%m-%d)
    probe settext 编辑框1 "$day 07:30:15"
    probe entry-click 15
    expect_popup timepicker "$day 07:30:15" 分钟
    expect_below_field
    probe press 按钮2
    expect_popup none "$day 23:59:59"
    probe entry-click 12
    expect_popup timepicker "$day 23:59:59" 小时
    expect_below_field
    probe keys 0 9
    expect_popup timepicker "$day 09:59:59" 小时
    [ "$(val caret)" = 11 ] || fail "after typing the caret is at $(val caret), not 11"
    probe keys left
    expect_popup timepicker "$day 09:59:59" 小时
    probe keys right
    expect_popup timepicker "$day 09:59:59" 分钟
    probe keys right right
    expect_popup timepicker "$day 09:59:59" 秒钟
    probe keys 0
    expect_popup timepicker "$day 09:59:00" 秒钟
    probe keys enter
    expect_popup none "$day 09:59:00"
    probe entry-click 14
    expect_popup timepicker "$day 09:59:00" 分钟
    probe grid-click 45
    expect_popup none "$day 09:45:00"
    [ "$(val caret)" = 14 ] || fail "after a grid click the caret is at $(val caret), not 14"
    # The field's value is the selected cell: Down moves it a row, Enter picks it.
    probe entry-click 15
    expect_popup timepicker "$day 09:45:00" 分钟
    probe keys down
    expect_popup timepicker "$day 09:45:00" 分钟
    probe keys enter
    expect_popup none "$day 09:55:00"
    # A new click in the field replaces the open popup; Esc closes it.
    probe entry-click 3
    expect_popup calendar "$day 09:55:00"
    probe entry-click 17
    expect_popup timepicker "$day 09:55:00" 秒钟
    expect_below_field
    probe keys esc
    expect_popup none "$day 09:55:00"
    probe list
    local rows
    rows=$(val rows)
    probe click 添加
    sleep 0.5
    probe list
    [ "$(val rows)" = $((rows + 1)) ] || fail "添加 did not add the picked time"
    expect_line "row $rows: $day 09:55\|.*" "the added row"
}

# Days clicked on the month calendar (found by hit-testing, so any language
# of its titles will do), the year buttons, a click elsewhere.
test_calendar() {
    own_desktop
    start_program
    probe wait-main 30000
    local ym y m next
    ym=$(date -d "$(date +%Y-%m-15) +1 month" +%Y-%m)
    y=${ym%-*} m=${ym#*-}
    next="$((y + 1))-$m"
    probe settext 编辑框1 "$ym-08 07:30:00"
    probe entry-click 3
    expect_popup calendar "$ym-08 07:30:00"
    expect_below_field
    probe cal-date
    [ "$(val date)" = "$ym-08" ] || fail "the calendar shows $(val date), not the field's date"
    probe cal-day "$ym-24"
    expect_popup none "$ym-24 07:30:00"
    # The day already selected picks too.
    probe entry-click 2
    probe cal-day "$ym-24"
    expect_popup none "$ym-24 07:30:00"
    # The year buttons move the selection only; a click elsewhere closes.
    probe entry-click 2
    probe press 右年按钮
    expect_popup calendar "$ym-24 07:30:00"
    probe cal-date
    [ "$(val date)" = "$next-24" ] || fail "右年按钮 selected $(val date)"
    probe press 超级列表框1
    expect_popup none "$ym-24 07:30:00"
    probe entry-click 2
    probe press 右年按钮
    probe cal-day "$next-10"
    expect_popup none "$next-10 07:30:00"
    probe click 添加
    sleep 0.5
    probe list
    expect_line "row 0: $next-10 07:30\|.*" "the added row"
}

# With the main window in the screen's bottom-right corner, both popups
# open above the field and inside the screen.
test_popup_edge() {
    own_desktop
    start_program
    probe wait-main 30000
    probe popup
    local wl wt wr wb
    read -r wl wt wr wb <<<"$(val work)"
    probe move-main $((wr - 260)) $((wb - 140))
    local chars
    for chars in 3 15; do
        probe entry-click $chars
        [ "$(val popup)" != none ] || fail "no popup opened at the screen's edge"
        local pl pt pr pb fl ft fr fb
        read -r pl pt pr pb <<<"$(val rect)"
        read -r fl ft fr fb <<<"$(val field)"
        [ "$pb" = "$ft" ] || fail "the popup's bottom is at $pb, the field's top at $ft"
        [ "$pr" = "$wr" ] || fail "the popup's right edge is at $pr, the screen's at $wr"
        [ "$pl" -ge "$wl" ] && [ "$pt" -ge "$wt" ] || fail "the popup is off the screen at $pl,$pt"
        probe keys esc
    done
}

# A store that cannot be written: another program holds ny.edb open, letting
# others read it but not replace it. (A read-only attribute would do on
# Windows, but Wine lets a file be renamed over a read-only one.)
test_store_write_fails() {
    start_program
    probe wait-main 20000
    local before
    before=$(md5sum <"$dir/ny.edb")
    wine "$NY_PROBE" hold "$(winpath "$dir/ny.edb")" 8000 >"$dir/hold.log" 2>&1 &
    local holder=$!
    sleep 1
    grep -q holding "$dir/hold.log" || fail "could not hold ny.edb open"
    add_row_only "$(future 2)" "写不进去"
    probe box 5000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 text=.*ny\.edb.*" "the message about the failed write"
    probe box-ok 2000
    probe wait-main 5000  # still there and answering
    wait "$holder" || true
    [ "$(md5sum <"$dir/ny.edb")" = "$before" ] || fail "the held store was changed"
    probe store "$(winpath "$dir/ny.edb")"
    [ "$(val records)" = 0 ] || fail "the held store gained a record"
    # Once the file is free again, adding works.
    add_alarm "$(future 3)" "这次可以"
    probe no-box 300
    probe store "$(winpath "$dir/ny.edb")"
    [ "$(val records)" = 1 ] || fail "after the holder let go, the store holds $(val records) records"
}

# The issue's case: ny.edb held open without any sharing from before the
# start until after an alarm's minute. The start tells it once; the check of
# the alarm's minute says nothing more; the first check after the holder lets
# go rings the alarm due meanwhile and marks it.
test_alarm_store_held() {
    fake_clock 30
    local minute
    minute=$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M')
    probe make-store "$(winpath "$dir/ny.edb")" 1 "$minute" "$(winpath "$dir/alarm.mp3")"
    local hold_ms
    hold_ms=$(awk -v t="$(calc "($minute_real + 5 - $(now)) * 1000")" 'BEGIN { printf "%d", t }')
    wine "$NY_PROBE" hold "$(winpath "$dir/ny.edb")" "$hold_ms" --no-share >"$dir/hold.log" 2>&1 &
    local holder=$!
    sleep 1
    grep -q holding "$dir/hold.log" || fail "could not hold ny.edb open"
    start_program
    probe box 20000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 text=无法读取闹钟数据文件 .*ny\.edb.*可能会错过闹钟.*" \
        "told at start that alarms may be missed"
    probe box-ok 2000
    capture_start
    sleep_until "$(calc "$minute_real + 1")"
    capture_mark
    probe no-box 2000  # the check of the alarm's minute could read nothing: quiet
    wait "$holder" || true
    probe box 75000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 - [0-9]{2}:[0-9]{2} text=提醒 1" "the alarm due while the file was held"
    sleep 0.5
    local heard
    heard=$(capture_onset_after "$(calc "$minute_real + 55")")
    [ -n "$heard" ] || fail "the alarm was not heard"
    log "heard $(calc "$heard + 55") s after its minute began (the first check after the file was free)"
    probe box-ok 2000
    sleep 0.3
    probe list
    expect_line "row 0: .*\|提醒 1\|已响" "the rung row"
    probe store "$(winpath "$dir/ny.edb")"
    expect_line "record 1: .*\|已响" "the rung record"
    probe no-box 1000
}

# Messages other programs may send cannot end it: posted WM_NOTIFY and
# WM_DPICHANGED with pointers into nothing, and a 20 MB WM_COPYDATA.
test_hostile_messages() {
    start_program
    probe wait-main 20000
    visit_countdown_page
    probe hostile
    sleep 1
    kill -0 "$prog_pid" 2>/dev/null || fail "the program ended after the messages"
    probe wait-main 5000
    probe_may_fail layout --anywhere
    [ "$rc" = 0 ] || fail "a posted WM_DPICHANGED moved the controls"
    add_alarm "$(future 3)" "还在"
    probe list
    expect_line "row 0: .*\|还在\|未响" "an alarm added afterwards"
    kill -0 "$prog_pid" 2>/dev/null || fail "the program ended"
}

# A screen reader's tab proxy makes a page current by sending TCM_SETCURFOCUS
# from its own process: the tab control tells the window inside that send,
# and the page's controls show while the other page's hide, as on a click.
test_tab_from_outside() {
    start_program
    probe wait-main 20000
    local page shown hidden
    for page in 1 0; do
        probe tab-focus "$page"
        [ "$(val tab)" = "$page" ] || fail "TCM_SETCURFOCUS $page left page $(val tab) current"
        if [ "$page" = 1 ]; then shown=按钮_倒计时开始 hidden=超级列表框1
        else shown=超级列表框1 hidden=按钮_倒计时开始
        fi
        probe state "$shown"
        [ "$(val visible)" = 1 ] || fail "$shown is hidden on page $page"
        probe state "$hidden"
        [ "$(val visible)" = 0 ] || fail "$hidden is shown on page $page"
    done
}

# An alarm due at the next minute is heard within a second of that minute,
# shows its prompt, is marked 已响 in the list and the store; 停止 silences it.
test_alarm_rings() {
    fake_clock 25  # the faked minute begins 25 s from now: room for a slow start
    start_program
    probe wait-main 20000
    wait_clock_label
    local prompt="起床了！今天有考试"
    add_alarm "$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M:%S')" "$prompt"
    capture_start
    sleep_until "$(calc "$minute_real - 1")"
    capture_mark
    probe box 8000
    # The box is titled with the alarm's time.
    expect_line "box pid=[0-9]+ caption=Ny闹钟 - $(date -d "@$minute_fake" '+%H:%M') text=$prompt" "the alarm's message"
    sleep_until "$(calc "$minute_real + 1.5")"
    local quiet heard
    quiet=$(capture_rms_at "$(calc "$minute_real - 1")" 0.95)
    below "$quiet" 0.003 || fail "sound before the alarm's minute (RMS $quiet)"
    heard=$(capture_onset_after "$minute_real")
    [ -n "$heard" ] || fail "the alarm was not heard"
    log "heard ${heard} s after the minute began"
    below "$heard" 1.0 || fail "the alarm was heard only ${heard} s after the minute began"
    probe list
    expect_line "row 0: .*\|$prompt\|已响" "the rung row"
    probe store "$(winpath "$dir/ny.edb")"
    expect_line "record 1: .*\|已响$" "the rung record"
    od -An -tx1 -v "$dir/ny.edb" | tr -d ' \n' | grep -q d2d1cfec || fail "ny.edb lacks the GB18030 bytes of 已响"
    probe box-ok 2000
    sleep 0.5
    local still
    still=$(capture_rms_at "$(now)" -1.2)
    above "$still" 0.02 || fail "closing the message stopped the sound (RMS $still)"
    probe state 停止
    [ "$(val enabled)" = 1 ] || fail "停止 is not enabled while the alarm sounds"
    stop_and_expect_silence
    probe state 停止
    [ "$(val enabled)" = 0 ] || fail "停止 stays enabled after stopping"
}

test_preview() {
    start_program
    probe wait-main 20000
    probe state 停止
    [ "$(val enabled)" = 0 ] || fail "停止 is enabled at start"
    capture_start
    sleep 0.5
    capture_mark
    probe click 试听
    local clicked
    clicked=$(val click_unix)
    sleep 1.5
    local heard
    heard=$(capture_onset_after "$clicked")
    [ -n "$heard" ] || fail "the preview was not heard"
    log "heard ${heard} s after the click"
    below "$heard" 1.0 || fail "the preview was heard only ${heard} s after the click"
    probe state 停止
    [ "$(val enabled)" = 1 ] || fail "停止 is not enabled during the preview"
    stop_and_expect_silence
}

test_list_menu_delete() {
    start_program
    probe wait-main 20000
    add_alarm "$(future 2)" "一"
    add_alarm "$(future 3)" "二"
    add_alarm "$(future 4)" "三"
    probe list-menu 1 删除
    sleep 0.5
    probe list
    [ "$(val rows)" = 2 ] || fail "after deleting, the list has $(val rows) rows"
    expect_line "row 0: .*\|一\|未响" "row 0"
    expect_line "row 1: .*\|三\|未响" "row 1"
    probe store "$(winpath "$dir/ny.edb")"
    [ "$(val records)" = 2 ] || fail "after deleting, ny.edb holds $(val records) records"
    expect_line "record 1: .*\|一\|未响" "record 1"
    expect_line "record 2: .*\|三\|未响" "record 2"
}

# A folder left with an unusable ny.yz (here a folder of that name) and,
# instead of ny.edb, the complete ny.edb.tmp of a save cut off by a power
# failure: both are told, the program runs on, and the alarms come back.
test_start_leftovers() {
    mkdir "$dir/ny.yz"
    probe make-store "$(winpath "$dir/ny.edb.tmp")" 2 "$(future 30 | cut -c1-16)" "$(winpath "$dir/alarm.mp3")" 1
    start_program
    probe box 20000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 text=.*ny\.yz.*" "the message about the lock file"
    probe box-ok 2000
    probe box 10000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 text=.*ny\.edb\.tmp.*恢复.*" "the message about the recovered store"
    probe box-ok 2000
    probe wait-main 20000
    probe list
    [ "$(val rows)" = 2 ] || fail "the recovered list has $(val rows) rows, not 2"
    [ -f "$dir/ny.edb" ] && [ ! -e "$dir/ny.edb.tmp" ] || fail "ny.edb.tmp did not become ny.edb"
    probe store "$(winpath "$dir/ny.edb")"
    [ "$(val records)" = 2 ] || fail "ny.edb holds $(val records) records"
    add_alarm "$(future 40)" "照常"
}

# A long prompt pasted into either prompt box is kept whole, well past the
# 30,000 characters an edit box takes by default.
test_long_prompt() {
    start_program
    probe wait-main 20000
    probe paste 闹钟提示信息输入 40000 || fail "the alarm prompt box kept $(val length) of 40000 characters"
    probe tab 1
    probe paste 编辑框_倒计时闹钟提示信息 40000 || fail "the countdown prompt box kept $(val length) of 40000 characters"
}

test_tray() {
    start_program
    probe wait-main 20000
    probe tray-icons
    local icons0
    icons0=$(val tray_icons)
    probe close
    sleep 0.7
    probe main
    [ "$(val visible)" = 0 ] || fail "closing left the window shown"
    probe tray-icons
    [ "$(val tray_icons)" = $((icons0 + 1)) ] || fail "no tray icon while hidden"
    probe tray-click left
    sleep 0.7
    probe main
    [ "$(val visible)" = 1 ] || fail "a tray click did not bring the window back"
    probe tray-icons
    [ "$(val tray_icons)" = "$icons0" ] || fail "the tray icon stayed after restoring"
    probe minimise
    sleep 0.7
    probe main
    [ "$(val visible)" = 0 ] || fail "minimising left the window shown"
    probe tray-menu 打开
    sleep 0.7
    probe main
    [ "$(val visible)$(val minimised)" = 10 ] || fail "打开 did not restore the window"
    probe tray-icons
    [ "$(val tray_icons)" = "$icons0" ] || fail "the tray icon stayed after 打开"
}

test_quit() {
    start_program
    probe wait-main 20000
    probe tray-icons
    local icons0
    icons0=$(val tray_icons)
    probe close
    sleep 0.7
    probe tray-menu 关闭
    local rc=0
    wait_pid "$prog_pid" 10 || rc=$?
    prog_pid=
    [ "$rc" = 0 ] || fail "关闭 ended the program with exit code $rc"
    sleep 0.5
    probe tray-icons
    [ "$(val tray_icons)" = "$icons0" ] || fail "the tray icon outlived the program"
}

test_countdown() {
    start_program
    probe wait-main 20000
    probe tab 1
    probe pick 组合框_秒 3
    probe settext 编辑框_倒计时闹钟提示信息 "该休息一下了"
    capture_start
    sleep 0.5
    capture_mark
    local started
    started=$(now)
    probe click 按钮_倒计时开始
    sleep 0.5
    probe text 按钮_倒计时开始
    [ "$(val text)" = 倒计时取消 ] || fail "the button reads '$(val text)' while counting down"
    probe box 8000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 text=该休息一下了" "the countdown's message"
    sleep 0.5
    local heard
    heard=$(capture_onset_after "$started")
    [ -n "$heard" ] || fail "the end of the countdown was not heard"
    log "heard ${heard} s after the start"
    above "$heard" 2.9 || fail "a 3-second countdown sounded after ${heard} s"
    below "$heard" 5.0 || fail "a 3-second countdown sounded only after ${heard} s"
    probe box-ok 2000
    probe text 按钮_倒计时开始
    [ "$(val text)" = 倒计时开始 ] || fail "the button reads '$(val text)' after the end"
    probe click 停止
}

# ---- beyond the basics ------------------------------------------------------

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# The Run value Ny闹钟, as `wine reg` exports it (its console output turns
# Chinese into "?"); empty when there is none.
run_value() {
    rm -f "$dir/run.reg"
    wine reg export "$run_key" "$(winpath "$dir/run.reg")" /y >/dev/null 2>&1 || return 0
    iconv -f UTF-16LE -t UTF-8 "$dir/run.reg" | tr -d '\r' |
        sed -n 's/^"Ny闹钟"="\(.*\)"$/\1/p' | sed 's/\\\(.\)/\1/g'
}

# 开机启动 through the real tray menu writes the Run value; a start with its
# switch waits in the tray without showing the window; choosing again deletes it.
test_start_with_windows() {
    start_program
    probe wait-main 20000
    probe tray-icons
    local icons0
    icons0=$(val tray_icons)
    probe close
    sleep 0.5
    probe tray-menu 开机启动
    sleep 0.5
    local want value
    want="\"$(winpath "$dir/$exe")\" /tray"
    value=$(run_value)
    log "Run value: $value"
    [ "$value" = "$want" ] || fail "the Run value is '$value', not '$want'"
    stop_program

    (cd "$dir" && exec wine "./$exe" /tray >>"$dir/program.log" 2>&1) &
    prog_pid=$!
    local i icons=$icons0
    for ((i = 0; i < 100 && icons == icons0; i++)); do
        sleep 0.2
        probe tray-icons
        icons=$(val tray_icons)
    done
    [ "$icons" = $((icons0 + 1)) ] || fail "started with /tray, no tray icon"
    probe main
    [ "$(val visible)" = 0 ] || fail "started with /tray, the window is shown"
    probe tray-menu 开机启动
    sleep 0.5
    value=$(run_value)
    [ -z "$value" ] || fail "choosing 开机启动 again left the Run value '$value'"
}

# The wake timer is armed for the start of the earliest alarm's minute, and
# moves when an earlier one is added (a real wake cannot be shown here).
test_wake_timer() {
    start_program
    probe wait-main 20000
    local t
    for t in 5 3; do
        local at
        at=$(future "$t")
        add_alarm "$at" "唤醒 $t"
        probe wake
        [ "$(val wake)" = armed ] || fail "no wake timer armed after adding $at"
        local due want
        due=$(calc "$(val now_unix) + $(val remaining_s)")
        want=$(date -d "${at:0:16}" +%s)
        log "wake timer due at $due, the alarm's minute begins at $want"
        below "$(calc "($due - $want) * ($due - $want)")" 4 ||
            fail "the wake timer is due at $due, not at the minute $want of $at"
    done
}

# Two alarms whose minutes passed while the program was not running: one
# notice at start, both marked 已响, and no notice after a restart.
test_missed_alarms() {
    local first
    first=$(date -d '-3 min' '+%Y-%m-%d %H:%M')
    probe make-store "$(winpath "$dir/ny.edb")" 2 "$first" "$(winpath "$dir/alarm.mp3")"
    start_program
    probe box 20000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 text=程序没有运行时错过了 2 个闹钟： $first  提醒 1 .*  提醒 2" \
        "the notice of the missed alarms"
    probe box-ok 2000
    sleep 0.3
    probe list
    expect_line "row 0: .*\|已响" "row 0 after the notice"
    expect_line "row 1: .*\|已响" "row 1 after the notice"
    probe store "$(winpath "$dir/ny.edb")"
    expect_line "record 1: .*\|已响" "record 1 after the notice"
    expect_line "record 2: .*\|已响" "record 2 after the notice"
    stop_program
    start_program
    probe wait-main 20000
    probe no-box 1000
}

# At 144 DPI (a 150 % screen) every control stands at 1.5 times its design
# rectangle, in a prefix of its own so that no other test sees that DPI.
test_layout_144dpi() {
    export WINEPREFIX=$dir/prefix
    "$src/tests/wine/env.sh" clone "$NY_RUN" "$WINEPREFIX"
    fake_server=1  # its own wineserver, ended with the test
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
    start_program
    probe wait-main 30000
    visit_countdown_page
    local popups=()
    ls "$src"/pickers/*.cpp >/dev/null 2>&1 && popups=(--popups)
    probe_may_fail layout --dpi 144 "${popups[@]}"
    [ "$rc" = 0 ] || fail "controls out of place at 144 DPI"
    probe settext 编辑框1 "2088-08-28 08:48:58"
    probe_may_fail entry-whole
    [ "$rc" = 0 ] || fail "the entry's text is not whole in view at 144 DPI"
}

# Moved to a monitor of another DPI (the message the system sends then), the
# window lays itself out for it, and back at 96 DPI exactly as designed.
# 108 DPI: the window still fits the test's screen. The countdown page is
# first shown after the change, so it is made at the new DPI.
test_dpi_change() {
    start_program
    probe wait-main 20000
    probe dpi-changed 108
    visit_countdown_page
    probe_may_fail layout --dpi 108 --anywhere
    [ "$rc" = 0 ] || fail "controls out of place after a change to 108 DPI"
    probe dpi-changed 96
    probe_may_fail layout --anywhere
    [ "$rc" = 0 ] || fail "controls out of place after changing back to 96 DPI"
}

# Every kind of MP3 a user may pick, as the tones of alarms due in one
# minute: each plays its own sound (told by its frequency), or, when it holds
# none, the default tone; with alarm.mp3 gone too, the built-in chime. The
# program neither crashes nor hangs on any of them.
test_sound_files() {
    make_tones
    # name, then what must be heard: its own tone, the default or the chime
    local rows=(cbr44 own mono22 own low8 own vbr own tagged own truncated own long own
                wavima own wav8 own empty default text default empty chime)
    fake_clock 58  # twelve adds must be done before the minute, also on a busy machine
    start_program
    probe wait-main 20000
    wait_clock_label
    local minute i
    minute=$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M:%S')
    for ((i = 0; i < ${#rows[@]}; i += 2)); do
        local ext=mp3
        [ "${rows[i]#wav}" = "${rows[i]}" ] || ext=wav
        probe settext 铃声路径 "$(winpath "$dir/tones/${rows[i]}.$ext")"
        add_alarm "$minute" "${rows[i]}-$((i / 2))"
    done
    capture_start
    sleep_until "$(calc "$minute_real - 1")"
    capture_mark
    for ((i = 0; i < ${#rows[@]}; i += 2)); do
        local file=${rows[i]} want=${rows[i + 1]} n=$((i / 2))
        probe box 10000
        expect_line "box pid=[0-9]+ caption=Ny闹钟 - [0-9]{2}:[0-9]{2} text=$file-$n" "the box of $file (row $n)"
        local seen
        seen=$(now)
        sleep 0.5
        if [ $n = 0 ]; then
            local heard
            heard=$(capture_onset_after "$minute_real")
            log "row 0 heard ${heard:-never} s after the minute began"
            [ -n "$heard" ] && below "$heard" 1.0 || fail "the first alarm was not heard within 1 s"
        fi
        local f rms what
        f=$(capture_freq_at "$seen" 0.4)
        rms=$(capture_rms_at "$seen" 0.4)
        what=$(heard_as "$f" "$rms")
        log "row $n, $file: heard $what (frequency $f, RMS $rms)"
        case $want in
            own) near "$f" "$(tone_frequency "$file")" && above "$rms" 0.01 ||
                     fail "$file: its own tone ($(tone_frequency "$file") Hz) was not heard, but $what" ;;
            *) [ "$what" = "$want" ] || fail "$file: expected the $want, heard $what" ;;
        esac
        # Before the last row: the default tone goes too.
        [ $((i + 2)) = $((${#rows[@]} - 2)) ] && rm "$dir/alarm.mp3"
        probe box-ok 3000
    done
    kill -0 "$prog_pid" 2>/dev/null || fail "the program ended"
    probe wait-main 3000
    stop_and_expect_silence
}

# 试听 on each kind of file: a file with sound is heard at once as its own
# tone, 停止 silences it; a file without sound stays silent, says so by name
# and leaves 停止 disabled.
test_sound_preview() {
    make_tones
    start_program
    probe wait-main 20000
    capture_start
    sleep 0.5
    capture_mark
    local file
    for file in cbr44 mono22 low8 vbr tagged truncated empty text wav16 wav8 wavulaw wavalaw wavima; do
        local ext=mp3
        [ "${file#wav}" = "$file" ] || ext=wav
        probe settext 铃声路径 "$(winpath "$dir/tones/$file.$ext")"
        probe click 试听
        local clicked
        clicked=$(val click_unix)
        sleep 0.8
        local heard f
        heard=$(capture_onset_after "$clicked")
        f=$(capture_freq_at "$(calc "$clicked + 0.2")" 0.4)
        if [ "$(tone_frequency "$file")" = 0 ]; then
            [ -z "$heard" ] || fail "$file: a file without sound was heard as a preview"
            probe box 3000
            expect_line "box pid=[0-9]+ caption=Ny闹钟 text=不能试听“$file.mp3”：不是可以播放的声音文件" \
                "the message of $file"
            probe state 停止
            [ "$(val enabled)" = 0 ] || fail "$file: 停止 is enabled for a preview that cannot play"
            probe box-ok 3000
            log "$file: silent, told"
            continue
        fi
        [ -n "$heard" ] || fail "$file: the preview was not heard"
        log "$file: heard ${heard} s after the click, frequency $f"
        below "$heard" 1.0 || fail "$file: heard only ${heard} s after the click"
        near "$f" "$(tone_frequency "$file")" || fail "$file: not its own tone (frequency $f)"
        stop_and_expect_silence
    done
}

# 选择 through the real open-file dialog: sound files offered first; a text
# file named .mp3 is refused by name and the tone stays; a WAV is taken, the
# dialog opens in its folder next time, and 试听 plays it as itself.
test_choose_tone() {
    make_tones
    printf '这不是声音，只是文字。\r\n' >"$dir/tones/假的.mp3"
    # The system's sounds folder, where the dialog opens before a tone is chosen.
    mkdir -p "$WINEPREFIX/drive_c/windows/Media"
    start_program
    probe wait-main 20000
    probe text 铃声路径
    local before
    before=$(val text)
    probe click 铃声选择
    probe file-dialog 10000 "$(winpath "$dir/tones/假的.mp3")"
    expect_line "filters=声音文件 \(\*\.mp3;\*\.wav\)\|MP3 文件 \(\*\.mp3\)\|所有文件 \(\*\.\*\)" "the filters"
    [ "$(val folder)" = Media ] || fail "the first dialog did not open in C:\\windows\\Media: $(val folder)"
    probe box 5000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 text=不能选用“假的.mp3”：不是可以播放的声音文件" "the refusal"
    probe box-ok 3000
    probe text 铃声路径
    [ "$(val text)" = "$before" ] || fail "the tone changed to $(val text)"
    probe state 停止
    [ "$(val enabled)" = 0 ] || fail "停止 is enabled after a refused choice"

    probe click 铃声选择
    probe file-dialog 10000 "$(winpath "$dir/tones/wav16.wav")"
    probe no-box 1000
    probe text 铃声路径
    case $(val text) in *wav16.wav) ;; *) fail "the WAV was not taken: $(val text)" ;; esac

    probe click 铃声选择
    probe file-dialog 10000 --cancel
    [ "$(val folder)" = tones ] || fail "the dialog did not open in the tone's folder: $(val folder)"
    probe text 铃声路径
    case $(val text) in *wav16.wav) ;; *) fail "a cancelled dialog changed the tone: $(val text)" ;; esac

    capture_start
    sleep 0.5
    capture_mark
    probe click 试听
    local clicked heard f
    clicked=$(val click_unix)
    sleep 1
    heard=$(capture_onset_after "$clicked")
    f=$(capture_freq_at "$(calc "$clicked + 0.2")" 0.4)
    [ -n "$heard" ] || fail "the chosen WAV was not heard"
    log "chosen WAV heard ${heard} s after the click, frequency $f"
    near "$f" "$(tone_frequency wav16)" || fail "the chosen WAV is not its own tone (frequency $f)"
    stop_and_expect_silence
}

# 试听 on tones that are no tones (a serial port, a pipe that never answers,
# megabytes of empty tags, 500 MB of zeros, NUL) while another program asks
# the window for an answer every 15 ms: it answers throughout, plays nothing
# and tells each in a box, and plays a real tone afterwards. MM_MCINOTIFY naming no device of its own
# leaves the sound playing.
test_hostile_tones() {
    make_hostile_tones "$dir/hostile"
    make_tones
    start_program
    probe wait-main 20000
    wine "$NY_PROBE" pipe-server nysilent 120000 >"$dir/pipe.txt" 2>/dev/null &
    local pipe_pid=$! tone worst
    capture_start
    for tone in COM1 '\\.\pipe\nysilent' "$(winpath "$dir/hostile/id3chain.mp3")" \
        "$(winpath "$dir/hostile/zeros.mp3")" NUL; do
        probe settext 铃声路径 "$tone"
        # Pinged until the box that tells it cannot be played comes (closing
        # a box is not what is measured here).
        wine "$NY_PROBE" ping 4000 -1 15 >"$dir/ping.txt" 2>/dev/null &
        local pinger=$!
        sleep 1
        probe click 试听
        wait "$pinger" || true
        probe box-ok 3000
        expect_line "box pid=[0-9]+ caption=Ny闹钟 text=不能试听“.*”：(无法打开|不是可以播放的声音文件)" "the message of $tone"
        worst=$(sed -n 's/^worst_answer_s=//p' "$dir/ping.txt")
        log "$tone: the window answered within ${worst:-?} s at worst"
        [ -n "$worst" ] || fail "$tone: the pinging probe gave no figure"
        below "$worst" 1.0 || fail "$tone: the window took $worst s to answer"
        kill -0 "$prog_pid" 2>/dev/null || fail "$tone: the program ended"
        capture_mark
        local quiet
        quiet=$(capture_rms_at "$(now)" -2)
        below "$quiet" 0.003 || fail "$tone: something was heard (RMS $quiet)"
    done
    kill "$pipe_pid" 2>/dev/null || true
    # A real tone still plays, and MM_MCINOTIFY for device 0 or another's
    # device does not stop it.
    probe settext 铃声路径 "$(winpath "$dir/tones/cbr44.mp3")"
    probe click 试听
    local clicked
    clicked=$(val click_unix)
    sleep 1
    local heard
    heard=$(capture_onset_after "$clicked")
    [ -n "$heard" ] || fail "a real tone was not heard after the hostile ones"
    log "a real tone heard ${heard} s after 试听"
    below "$heard" 1.0 || fail "a real tone was heard only ${heard} s after 试听"
    probe mci-notify 0
    probe mci-notify 1
    sleep 1
    local still
    capture_mark
    still=$(capture_rms_at "$(now)" -0.5)
    above "$still" 0.02 || fail "a foreign MM_MCINOTIFY stopped the sound (RMS $still)"
    stop_and_expect_silence
}

# An alarm whose tone is COM1 rings with the default tone at its minute.
test_alarm_device_tone() {
    fake_clock 25
    start_program
    probe wait-main 20000
    wait_clock_label
    probe settext 铃声路径 COM1
    add_alarm "$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M:%S')" "端口铃声"
    capture_start
    sleep_until "$(calc "$minute_real - 1")"
    capture_mark
    probe box 8000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 - [0-9]{2}:[0-9]{2} text=端口铃声" "the alarm's message"
    sleep_until "$(calc "$minute_real + 1.5")"
    local heard f rms
    heard=$(capture_onset_after "$minute_real")
    [ -n "$heard" ] || fail "the alarm was not heard"
    log "heard ${heard} s after the minute began"
    below "$heard" 1.0 || fail "the alarm was heard only ${heard} s after the minute began"
    f=$(capture_freq_at "$(calc "$minute_real + 0.4")" 0.6)
    rms=$(capture_rms_at "$(calc "$minute_real + 0.4")" 0.6)
    [ "$(heard_as "$f" "$rms")" = default ] || fail "not the default tone: $(heard_as "$f" "$rms")"
    probe box-ok 2000
    stop_and_expect_silence
}

# ---- installing and the data folder ----------------------------------------

# The user's %LOCALAPPDATA% as a Unix path (the prefix's own user folder).
local_appdata() {
    local d
    for d in "$WINEPREFIX"/drive_c/users/*/AppData/Local; do
        case "$d" in */Public/*) continue ;; esac
        printf '%s' "$d"
        return 0
    done
    fail "no AppData/Local in the prefix"
}

# Makes a folder read-only as a read-only medium is (a bind mount: root,
# which runs these tests, writes through any permission bits).
read_only_mount() {  # dir
    mount --bind "$1" "$1" 2>/dev/null || skip "cannot bind-mount (needs CAP_SYS_ADMIN)"
    on_cleanup="${on_cleanup:-}; umount '$1' 2>/dev/null"
    mount -o remount,ro,bind "$1" "$1" || fail "cannot make $1 read-only"
    touch "$1/.w" 2>/dev/null && fail "$1 is still writable"
    return 0
}

# A copy the program's folder refuses to be written into keeps its alarms in
# %LOCALAPPDATA%\Ny闹钟 and finds them there after a restart.
test_data_folder_readonly() {
    local user prog="$dir/只读"
    user="$(local_appdata)/Ny闹钟"
    rm -rf "$user"
    on_cleanup="rm -rf '$user'"
    mkdir -p "$prog"
    cp "$NY_EXE" "$NY_TONE" "$prog/"
    read_only_mount "$prog"
    local run
    for run in 1 2; do
        (cd "$prog" && exec wine "./$exe" >>"$dir/program.log" 2>&1) &
        prog_pid=$!
        probe wait-main 20000
        probe no-box 500
        if [ $run = 1 ]; then
            wait_clock_label
            add_alarm "$(future 30)" "只读文件夹里的闹钟"
            probe no-box 300
            [ -f "$user/ny.edb" ] || fail "no ny.edb in %LOCALAPPDATA%\\Ny闹钟"
            [ -f "$user/ny.yz" ] || fail "no lock file in %LOCALAPPDATA%\\Ny闹钟"
            [ ! -e "$prog/ny.edb" ] || fail "ny.edb appeared in the read-only folder"
            probe store "$(winpath "$user/ny.edb")"
            [ "$(val records)" = 1 ] || fail "the per-user store holds $(val records) records"
            stop_program
        fi
    done
    probe list
    [ "$(val rows)" = 1 ] || fail "after a restart the list has $(val rows) rows"
    expect_line "row 0: .*\|只读文件夹里的闹钟\|.*" "the alarm after the restart"
}

# The setup and the zip made by tools/package.sh for this build.
package_files() {
    setup="$src/dist/Ny闹钟-$NY_VERSION-setup.exe"
    portable="$src/dist/Ny闹钟-$NY_VERSION-portable.zip"
}

# tools/package.sh makes both downloads; the zip holds exactly the program
# (this very build), the tone and the notes, under UTF-8 names with the
# zip's language-encoding flag, as every unzipping tool reads them.
test_package() {
    package_files
    rm -f "$setup" "$portable"
    NY_BUILD_DIR=$(dirname "$NY_EXE") "$src/tools/package.sh" >"$dir/package.log" 2>&1 ||
        { tail -n 20 "$dir/package.log" >&2; fail "tools/package.sh failed"; }
    [ -s "$setup" ] || fail "no $setup"
    [ -s "$portable" ] || fail "no $portable"
    python3 - "$portable" "$NY_EXE" <<'PY' || fail "the portable zip is not as it should be"
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = {}
raw = open(sys.argv[1], "rb").read()
for i in z.infolist():
    # UTF-8 names with bit 11 set: the central directory holds the UTF-8 bytes
    assert i.flag_bits & 0x800 or i.filename.isascii(), i.filename
    assert i.filename.encode("utf-8") in raw, i.filename
    names[i.filename] = i
assert sorted(names) == sorted(["Ny闹钟.exe", "alarm.mp3", "说明.txt"]), sorted(names)
assert z.read(names["Ny闹钟.exe"]) == open(sys.argv[2], "rb").read()
assert "ny.edb" in z.read(names["说明.txt"]).decode("utf-8-sig")
PY
    LC_ALL=C.UTF-8 unzip -l "$portable" >"$dir/unzip.txt" || fail "unzip cannot list the zip"
    grep -q ' Ny闹钟\.exe$' "$dir/unzip.txt" || fail "unzip -l does not show Ny闹钟.exe: $(cat "$dir/unzip.txt")"
    grep -q ' 说明\.txt$' "$dir/unzip.txt" || fail "unzip -l does not show 说明.txt"
    log "setup $(stat -c %s "$setup") bytes, portable zip $(stat -c %s "$portable") bytes"
}

uninst_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Ny闹钟'

# A value of the uninstall entry (empty when there is none).
entry_value() {  # name
    probe_may_fail reg "$uninst_key" "$1"
    val value
}

# Silent install, start, add, upgrade over the running copy, uninstall: what
# a user's machine goes through. Timed for the report (not checked).
test_install_upgrade_uninstall() {
    package_files
    [ -s "$setup" ] || fail "no $setup: wine.package makes it"
    local appdata inst lnk desk t0 t1
    appdata=$(local_appdata)
    inst="$appdata/Programs/Ny闹钟"
    lnk=$(dirname "$appdata")/Roaming/Microsoft/Windows/Start\ Menu/Programs/Ny闹钟.lnk
    desk=$(dirname "$(dirname "$appdata")")/Desktop/Ny闹钟.lnk
    # A previous run that failed half-way must not decide this one.
    wine reg delete "HKCU\\$uninst_key" /f >/dev/null 2>&1 || true
    rm -rf "$inst" "$lnk" "$desk"
    on_cleanup="rm -rf '$inst' '$lnk' '$desk'; wine reg delete 'HKCU\\$uninst_key' /f >/dev/null 2>&1"
    # 开机启动 as the program would have set it: the uninstall must take it out.
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Ny闹钟 /d x /f >/dev/null 2>&1
    probe reg 'Software\Microsoft\Windows\CurrentVersion\Run' Ny闹钟
    probe tray-icons
    local icons0
    icons0=$(val tray_icons)

    t0=$(now)
    wine "$setup" /S || fail "the silent install failed"
    t1=$(now)
    log "silent install took $(calc "$t1 - $t0") s"
    local f
    for f in Ny闹钟.exe alarm.mp3 uninstall.exe; do
        [ -f "$inst/$f" ] || fail "$f was not installed"
    done
    cmp -s "$inst/Ny闹钟.exe" "$NY_EXE" || fail "the installed program is not this build"
    [ -f "$lnk" ] || fail "no Start-menu shortcut at $lnk"
    probe lnk "$(winpath "$lnk")"
    local winst
    winst='C:\users\'"$(basename "$(dirname "$(dirname "$appdata")")")"'\AppData\Local\Programs\Ny闹钟'
    [ "$(val target)" = "$winst\\Ny闹钟.exe" ] || fail "the shortcut points to '$(val target)'"
    [ ! -e "$desk" ] || fail "an install without /DESKTOP made a desktop shortcut"
    local want
    for want in "DisplayName=Ny闹钟" "DisplayVersion=$NY_VERSION" "Publisher=Verunda" \
        "DisplayIcon=$winst\\Ny闹钟.exe" "InstallLocation=$winst" \
        "UninstallString=\"$winst\\uninstall.exe\"" \
        "QuietUninstallString=\"$winst\\uninstall.exe\" /S" "NoModify=1" "NoRepair=1"; do
        [ "$(entry_value "${want%%=*}")" = "${want#*=}" ] ||
            fail "uninstall entry ${want%%=*} is '$(entry_value "${want%%=*}")', not '${want#*=}'"
    done
    local size
    size=$(entry_value EstimatedSize)
    [ "${size:-0}" -ge 400 ] && [ "$size" -le 4000 ] || fail "EstimatedSize is '$size' KB"

    # The installed program, as the Start menu starts it: add an alarm, keep it running.
    (exec wine "$winst\\Ny闹钟.exe" >>"$dir/program.log" 2>&1) &
    prog_pid=$!
    probe wait-main 20000
    wait_clock_label
    add_alarm "$(future 30)" "升级后还在"
    probe close
    wait_tray_icons $((icons0 + 1)) || fail "no tray icon before the upgrade"

    # Installing again over the running copy: it is asked to end, and does.
    # /DESKTOP ticks the desktop shortcut.
    wine "$setup" /S /DESKTOP || fail "the upgrade failed"
    wait_pid "$prog_pid" 10 || fail "the running copy did not end for the upgrade"
    prog_pid=
    [ -f "$inst/ny.edb" ] || fail "the upgrade lost ny.edb"
    probe tray-icons
    [ "$(val tray_icons)" = "$icons0" ] || fail "the ended copy left its tray icon"
    (exec wine "$winst\\Ny闹钟.exe" >>"$dir/program.log" 2>&1) &
    prog_pid=$!
    probe wait-main 20000
    probe no-box 500
    probe list
    [ "$(val rows)" = 1 ] || fail "after the upgrade the list has $(val rows) rows"
    expect_line "row 0: .*\|升级后还在\|.*" "the alarm after the upgrade"
    [ -f "$desk" ] || fail "setup.exe /S /DESKTOP made no desktop shortcut at $desk"
    probe lnk "$(winpath "$desk")"
    [ "$(val target)" = "$winst\\Ny闹钟.exe" ] || fail "the desktop shortcut points to '$(val target)'"

    # Silent uninstall, synchronous with _?=, the program still running.
    t0=$(now)
    wine "$inst/uninstall.exe" /S "_?=$winst" || fail "the silent uninstall failed"
    t1=$(now)
    log "silent uninstall took $(calc "$t1 - $t0") s"
    wait_pid "$prog_pid" 10 || fail "the running copy did not end for the uninstall"
    prog_pid=
    for f in Ny闹钟.exe alarm.mp3 ny.yz; do
        [ ! -e "$inst/$f" ] || fail "the uninstall left $f"
    done
    [ -f "$inst/ny.edb" ] || fail "the silent uninstall deleted the alarms"
    [ ! -e "$lnk" ] || fail "the uninstall left the shortcut"
    [ ! -e "$desk" ] || fail "the uninstall left the desktop shortcut"
    probe_may_fail reg "$uninst_key" DisplayName
    [ "$(val missing)" = 1 ] || fail "the uninstall left its entry"
    probe_may_fail reg 'Software\Microsoft\Windows\CurrentVersion\Run' Ny闹钟
    [ "$(val missing)" = 1 ] || fail "the uninstall left the 开机启动 value"

    # Installed again through its pages with 创建桌面快捷方式 ticked (and
    # 现在运行 not), then over it silently: the shortcut is kept.
    wine "$setup" >>"$dir/program.log" 2>&1 &
    local setup_pid=$!
    probe dialog "安装" 20000 next   # the welcome page
    sleep 0.5
    probe dialog "安装" 5000 "click:创建桌面快捷方式"
    [ "$(val checked)" = 1 ] || fail "创建桌面快捷方式 did not take the tick"
    probe dialog "安装" 5000 next    # 安装
    sleep 1.5
    probe dialog "安装" 10000 "click:现在运行 Ny闹钟" next
    wait_pid "$setup_pid" 20 || fail "the installer did not end"
    [ -f "$inst/ny.edb" ] || fail "reinstalling lost the kept ny.edb"
    [ -f "$desk" ] || fail "ticked 创建桌面快捷方式, no desktop shortcut"
    wine "$setup" /S || fail "the silent upgrade failed"
    [ -f "$desk" ] || fail "a silent upgrade took away the desktop shortcut"

    # Uninstalled through its pages with 同时删除我的闹钟数据 ticked: the
    # alarms go too, and with them the folder.
    wine "$inst/uninstall.exe" "_?=$winst" >>"$dir/program.log" 2>&1 &
    local uninst_pid=$!
    probe dialog "卸载" 20000 "click:同时删除我的闹钟数据"
    [ "$(val checked)" = 1 ] || fail "the check box did not take the tick"
    sleep 0.5
    probe dialog "卸载" 5000 next   # to the confirm page
    sleep 0.5
    probe dialog "卸载" 5000 next   # 卸载
    sleep 1.5
    probe dialog "卸载" 10000 next  # 关闭
    wait_pid "$uninst_pid" 20 || fail "the uninstaller did not end"
    [ ! -e "$inst/ny.edb" ] || fail "ticked 同时删除我的闹钟数据, ny.edb is still there"
    [ ! -e "$inst/Ny闹钟.exe" ] || fail "the uninstall through its pages left the program"
    [ ! -e "$desk" ] || fail "the uninstall through its pages left the desktop shortcut"
}

# The portable zip unpacked into a new folder runs there and keeps its
# alarms beside itself.
test_portable() {
    package_files
    [ -s "$portable" ] || fail "no $portable: wine.package makes it"
    local to="$dir/解压到这里"
    mkdir -p "$to"
    python3 - "$portable" "$to" <<'PY'
import os, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
for i in z.infolist():
    with open(os.path.join(sys.argv[2], i.filename), "wb") as f:
        f.write(z.read(i))
PY
    (cd "$to" && exec wine ./Ny闹钟.exe >>"$dir/program.log" 2>&1) &
    prog_pid=$!
    probe wait-main 20000
    probe no-box 500
    wait_clock_label
    add_alarm "$(future 30)" "便携"
    probe store "$(winpath "$to/ny.edb")"
    [ "$(val records)" = 1 ] || fail "the store beside the unpacked program holds $(val records) records"
    [ -f "$to/ny.yz" ] || fail "no lock file beside the unpacked program"
}

# Waits up to 10 s for the number of tray icons to become `n`.
wait_tray_icons() {  # n
    local i
    for ((i = 0; i < 50; i++)); do
        probe tray-icons
        [ "$(val tray_icons)" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}

# /quit ends the running copy of the same .exe as its tray menu's 关闭 does,
# and with no copy running returns at once; both exit 0. (The running case
# comes first: a first process of the prefix that shows no window leaves
# Wine's tray in another mode, where the probe sees no icons.)
test_quit_switch() {
    start_program
    probe wait-main 20000
    wait_clock_label
    probe tray-icons
    local icons0 code=0
    icons0=$(val tray_icons)
    probe close
    wait_tray_icons $((icons0 + 1)) || fail "no tray icon while hidden"
    (cd "$dir" && wine "./$exe" /quit) || code=$?
    [ "$code" = 0 ] || fail "/quit exited $code"
    wait_pid "$prog_pid" 3 || fail "the running copy had not ended when /quit returned"
    prog_pid=
    probe tray-icons
    [ "$(val tray_icons)" = "$icons0" ] || fail "the tray icon outlived the program"

    local t0 t1
    t0=$(now)
    (cd "$dir" && wine "./$exe" /quit) || code=$?
    t1=$(now)
    [ "$code" = 0 ] || fail "/quit with nothing running exited $code"
    log "/quit with nothing running took $(calc "$t1 - $t0") s"
    below "$(calc "$t1 - $t0")" 4 || fail "/quit with nothing running waited $(calc "$t1 - $t0") s"
    probe no-box 300

    # The lock was released: a new start is not turned away.
    start_program
    probe wait-main 20000
    probe no-box 500
}

# ---- beyond the basics: repeat, snooze, ringing until stopped, edit, tip ----

# A store with a `D` alarm for the coming minute: it rings, then its row and
# record hold the same minute tomorrow, still 未响. Its box has OK and
# "10 分钟后再响" (the caption fits); pressed with the mouse, the second adds
# a one-shot alarm ten minutes on with the same prompt, in list and file.
test_repeat_and_snooze() {
    fake_clock 25
    local minute tomorrow later
    minute=$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M')
    tomorrow=$(date -d "@$((minute_fake + 86400))" '+%Y-%m-%d %H:%M')
    later=$(date -d "@$((minute_fake + 600))" '+%Y-%m-%d %H:%M')
    probe make-store "$(winpath "$dir/ny.edb")" 1 "$minute" "$(winpath "$dir/alarm.mp3")" 1 D
    start_program
    probe wait-main 20000
    probe list
    expect_line "row 0: $minute  每天\|.*\|提醒 1\|未响" "the repeating row before its minute"
    sleep_until "$(calc "$minute_real - 1")"
    probe box-buttons 10000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 - [0-9]{2}:[0-9]{2} text=提醒 1" "the alarm's box"
    expect_line "buttons=.+\|10 分钟后再响" "the box's two buttons"
    local line width text_width
    line=$(grep 'text=10 分钟后再响$' <<<"$out")
    width=$(sed -n 's/.* width=\([0-9]*\) .*/\1/p' <<<"$line")
    text_width=$(sed -n 's/.* text_width=\([0-9]*\) .*/\1/p' <<<"$line")
    [ "$width" -gt "$text_width" ] || fail "the snooze caption ($text_width px) is wider than its button ($width px)"
    probe list
    expect_line "row 0: $tomorrow  每天\|.*\|提醒 1\|未响" "the row moved to tomorrow"
    probe store "$(winpath "$dir/ny.edb")"
    expect_line "record 1: \|D\|$tomorrow\|.*\|提醒 1\|未响" "the record moved to tomorrow"
    probe box-buttons 2000 "10 分钟后再响"
    # The box is gone a little before the program is back from it.
    local i
    for ((i = 0; i < 50; i++)); do
        probe list
        [ "$(val rows)" = 2 ] && break
        sleep 0.1
    done
    [ "$(val rows)" = 2 ] || fail "after the snooze the list has $(val rows) rows"
    expect_line "row 1: $later\|.*\|提醒 1\|未响" "the snoozed alarm's row"
    probe store "$(winpath "$dir/ny.edb")"
    expect_line "record 2: \|\|$later\|.*\|提醒 1\|未响" "the snoozed alarm's record"
    probe state 停止
    [ "$(val enabled)" = 0 ] || fail "停止 stays enabled after the snooze stopped the sound"
}

setting_value() {  # [name], RingUntilStopped when none
    local v=${1:-RingUntilStopped}
    "${fake[@]}" wine reg query 'HKCU\Software\Ny闹钟' /v "$v" 2>/dev/null |
        tr -d '\r' | awk -v v="$v" '$1 == v { print $3 }'
}

# Chooses 持续响铃直到停止 in the system menu (Alt+Space): above its last
# entry, the submenu 再响间隔.
toggle_ring_until_stopped() {
    probe open-menu system
    probe keys up up enter
    sleep 0.5
}

# 持续响铃直到停止 on: a 3-second tone is still heard 10 s after its minute,
# with no gap between its passes, and falls silent when the box is closed.
# Off again: the next alarm's tone plays once and is silent after its end.
# In a Wine desktop: without one, Wine waits for a window manager when the
# box is hidden, and the sound would stop that much later. (While the box is
# up it disables the window, 停止 with it: closing the box is the way to stop.)
test_ring_until_stopped() {
    fake_clock 40
    use_desktop
    sox -n -r 44100 -c 2 -b 16 "$dir/short.wav" synth 3 sine 1500 gain -3
    lame --quiet -b 128 "$dir/short.wav" "$dir/short.mp3"
    start_program
    probe wait-main 20000
    wait_clock_label
    toggle_ring_until_stopped
    [ "$(setting_value)" = 0x1 ] || fail "RingUntilStopped is '$(setting_value)', not 0x1"
    probe settext 铃声路径 "$(winpath "$dir/short.mp3")"
    add_alarm "$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M:%S')" "一直响"
    add_alarm "$(date -d "@$((minute_fake + 60))" '+%Y-%m-%d %H:%M:%S')" "响一次"
    capture_start
    sleep_until "$(calc "$minute_real - 1")"
    capture_mark
    probe box 10000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 - [0-9]{2}:[0-9]{2} text=一直响" "the first alarm's box"
    sleep_until "$(calc "$minute_real + 11")"
    local at10 t quietest=1 q
    at10=$(capture_rms_at "$(calc "$minute_real + 10")" 1)
    log "RMS 10 s after the minute: $at10"
    above "$at10" 0.02 || fail "not heard 10 s after the minute (RMS $at10)"
    # Every 0.1 s from the first pass to the fourth: no gap between passes.
    for ((t = 10; t < 105; t++)); do
        q=$(capture_rms_at "$(calc "$minute_real + $t / 10")" 0.1)
        if ! above "$q" "$quietest"; then quietest=$q; fi
    done
    log "quietest 0.1 s while repeating: RMS $quietest"
    above "$quietest" 0.01 || fail "a gap while repeating (RMS $quietest)"
    capture_mark  # afresh: the recording's clock drifts from the real one
    probe box-ok 2000
    local closed ended
    closed=$(val click_unix)
    sleep 3.3
    ended=$(capture_end_after "$closed" 3)
    [ -n "$ended" ] || fail "still heard 3 s after the box was closed"
    log "silent ${ended} s after the box was closed"
    below "$ended" 2.0 || fail "heard ${ended} s after the box was closed"
    probe state 停止
    [ "$(val enabled)" = 0 ] || fail "停止 stays enabled after the ring ended"

    toggle_ring_until_stopped
    [ "$(setting_value)" = 0x0 ] || fail "RingUntilStopped is '$(setting_value)', not 0x0"
    probe box 70000
    expect_line "box pid=[0-9]+ caption=Ny闹钟 - [0-9]{2}:[0-9]{2} text=响一次" "the second alarm's box"
    sleep_until "$(calc "$minute_real + 60 + 7")"
    local during after
    during=$(capture_rms_at "$(calc "$minute_real + 60 + 1")" 1)
    after=$(capture_rms_at "$(calc "$minute_real + 60 + 4.5")" 2)
    log "setting off: RMS $during while the file plays, $after after its end"
    above "$during" 0.02 || fail "the second alarm was not heard (RMS $during)"
    below "$after" 0.003 || fail "heard after the file's end with the setting off (RMS $after)"
    probe box-ok 2000
}

# The settings in the window's system menu, opened with Alt+Space: the last
# entry is the submenu 再响间隔 (5, 10, 15, 20, 30 分钟), above it
# 持续响铃直到停止, above that 开机启动.
test_system_menu_settings() {
    start_program
    probe wait-main 20000
    probe open-menu system
    probe keys up up enter
    sleep 0.5
    [ "$(setting_value)" = 0x1 ] || fail "RingUntilStopped is '$(setting_value)' after the system menu"
    probe open-menu system
    probe keys up up up enter
    sleep 0.5
    [ "$(run_value)" = "\"$(winpath "$dir/$exe")\" /tray" ] || fail "the Run value is '$(run_value)'"
    probe open-menu system
    probe keys up up enter
    sleep 0.5
    [ "$(setting_value)" = 0x0 ] || fail "RingUntilStopped is '$(setting_value)' after choosing it again"
    wine reg delete "$run_key" /v Ny闹钟 /f >/dev/null 2>&1 || true
    # 再响间隔: → opens it on its first length; 15 分钟 is two further down,
    # 30 分钟 the last (↑ from the first wraps round).
    probe open-menu system
    probe keys up right down down enter
    sleep 0.5
    [ "$(setting_value SnoozeMinutes)" = 0xf ] || fail "SnoozeMinutes is '$(setting_value SnoozeMinutes)', not 15"
    probe open-menu system
    probe keys up right up enter
    sleep 0.5
    [ "$(setting_value SnoozeMinutes)" = 0x1e ] || fail "SnoozeMinutes is '$(setting_value SnoozeMinutes)', not 30"
    probe main
    [ "$(val visible)" = 1 ] || fail "the window is gone after the system menu"
    # The tray menu's last entry is the same submenu: 10 分钟 is the second.
    probe close
    sleep 0.7
    probe open-menu tray
    probe keys up right down enter
    sleep 0.5
    [ "$(setting_value SnoozeMinutes)" = 0xa ] || fail "SnoozeMinutes is '$(setting_value SnoozeMinutes)' after the tray menu"
    "${fake[@]}" wine reg delete 'HKCU\Software\Ny闹钟' /v SnoozeMinutes /f >/dev/null 2>&1 || true
}

# 修改 through the real list menu, a new time, 保存: the row keeps its place
# in list and file with the new minute.
test_edit_row() {
    start_program
    probe wait-main 20000
    add_alarm "$(future 2)" "一"
    add_alarm "$(future 3)" "二"
    add_alarm "$(future 4)" "三"
    probe list
    local old
    old=$(sed -n 's/^row 1: \([^|]*\)|.*/\1/p' <<<"$out")
    probe list-menu 1 修改
    sleep 0.3
    probe text 添加
    [ "$(val text)" = 保存 ] || fail "添加 reads '$(val text)' while editing"
    probe text 编辑框1
    [ "$(val text)" = "$old:00" ] || fail "编辑框1 holds '$(val text)', not the row's minute $old:00"
    probe text 闹钟提示信息输入
    [ "$(val text)" = 二 ] || fail "the prompt box holds '$(val text)'"
    local new
    new=$(future 90)
    probe settext 编辑框1 "$new"
    probe click 添加
    sleep 0.5
    probe text 添加
    [ "$(val text)" = 添加 ] || fail "the button reads '$(val text)' after 保存"
    probe list
    [ "$(val rows)" = 3 ] || fail "after 保存 the list has $(val rows) rows"
    expect_line "row 0: .*\|一\|未响" "row 0"
    expect_line "row 1: ${new:0:16}\|.*\|二\|未响" "the edited row in its place"
    expect_line "row 2: .*\|三\|未响" "row 2"
    probe store "$(winpath "$dir/ny.edb")"
    [ "$(val records)" = 3 ] || fail "ny.edb holds $(val records) records"
    expect_line "record 2: \|\|${new:0:16}\|.*\|二\|未响" "the edited record in its place"
    probe state 取消
    [ "$(val visible)" = 0 ] || fail "取消 is shown after 保存"

    # 取消 beside 保存, clicked with the mouse: nothing changes but the button.
    local rows_before
    probe list
    rows_before=$out
    probe list-menu 0 修改
    sleep 0.3
    probe state 取消
    [ "$(val visible)$(val enabled)" = 11 ] || fail "取消 is not shown while editing"
    probe settext 编辑框1 "$(future 120)"
    probe press 取消
    sleep 0.3
    probe text 添加
    [ "$(val text)" = 添加 ] || fail "the button reads '$(val text)' after 取消"
    probe state 取消
    [ "$(val visible)" = 0 ] || fail "取消 is still shown after it was clicked"
    probe focus
    [ "$(val focus)" = 编辑框1 ] || fail "after 取消 the focus is on $(val focus)"
    probe list
    [ "$out" = "$rows_before" ] || fail "取消 changed the list"

    # Esc in the entry: first it closes the time grid (the edit goes on),
    # then it gives the edit up; the window stays.
    probe list-menu 2 修改
    sleep 0.3
    probe entry-click 15
    [ "$(val popup)" = timepicker ] || fail "no time grid from the entry (popup $(val popup))"
    probe keys esc
    [ "$(val popup)" = none ] || fail "Esc left the popup open"
    probe text 添加
    [ "$(val text)" = 保存 ] || fail "Esc in the time grid ended the edit"
    probe keys esc
    probe text 添加
    [ "$(val text)" = 添加 ] || fail "Esc in the entry left the button at '$(val text)'"
    probe state 取消
    [ "$(val visible)" = 0 ] || fail "取消 is still shown after Esc"
    probe main
    [ "$(val visible)" = 1 ] || fail "Esc in the entry while editing hid the window"
    probe list
    [ "$out" = "$rows_before" ] || fail "Esc changed the list"
    # Not editing, Esc is the window's close as before.
    probe keys esc
    sleep 0.5
    probe main
    [ "$(val visible)" = 0 ] || fail "Esc in the entry no longer hides the window"
}

# Started again while the first copy is hidden in the tray: the first shows
# its window, not minimised, the second's message comes in front of it and
# the second ends with 0.
test_second_start_shows_window() {
    start_program
    probe wait-main 20000
    local pid1 hwnd1
    pid1=$(val pid) hwnd1=$(val hwnd)
    probe tray-icons
    local icons0
    icons0=$(val tray_icons)
    for hide in close minimise; do
        probe "$hide"
        sleep 0.7
        probe --pid "$pid1" main
        [ "$(val visible)" = 0 ] || fail "$hide left the window shown"
        (cd "$dir" && exec wine "./$exe" >>"$dir/second.log" 2>&1) &
        local second=$!
        probe box 20000
        expect_line "box pid=[0-9]+ caption=Ny闹钟 text=Ny闹钟已经在运行" "the second copy's message"
        local box_pid
        box_pid=$(sed -n 's/^box pid=\([0-9]*\).*/\1/p' <<<"$out")
        [ "$box_pid" != "$pid1" ] || fail "the message came from the first copy"
        probe --pid "$pid1" main
        [ "$(val hwnd)" = "$hwnd1" ] || fail "the first copy's window is another"
        [ "$(val visible)$(val minimised)" = 10 ] ||
            fail "after $hide, a second start left the window visible=$(val visible) minimised=$(val minimised)"
        # Top-level windows come in z-order: the box above the window.
        probe windows
        local box_line main_line
        box_line=$(grep -n "^window pid=$box_pid class=#32770 visible=1" <<<"$out" | head -1 | cut -d: -f1)
        main_line=$(grep -n "^window pid=$pid1 class=NyMainWindow visible=1" <<<"$out" | head -1 | cut -d: -f1)
        [ -n "$box_line" ] && [ -n "$main_line" ] && [ "$box_line" -lt "$main_line" ] ||
            fail "the message is not in front of the window (lines $box_line, $main_line)"
        probe tray-icons
        [ "$(val tray_icons)" = "$icons0" ] || fail "the tray icon stayed after the window came up"
        probe box-ok 2000
        local rc=0
        wait_pid "$second" 20 || rc=$?
        [ "$rc" = 0 ] || fail "the second copy ended with exit code $rc"
    done
    probe --pid "$pid1" main
    [ "$(val visible)" = 1 ] || fail "the first copy's window went away with the second"
}

# The first time the window is hidden (here: closed), a balloon from the
# tray icon says that the program runs on; TrayHintShown = 1 keeps it from
# coming again, also after a restart.
test_tray_hint() {
    "${fake[@]}" wine reg delete 'HKCU\Software\Ny闹钟' /v TrayHintShown /f >/dev/null 2>&1 || true
    start_program
    probe wait-main 20000
    probe close
    probe balloon 5000
    [ "$(val balloon)" = "Ny闹钟 仍在运行，闹钟会照常响铃。右键点击图标可以退出，或选择“持续响铃直到停止”。" ] ||
        fail "the balloon says '$(val balloon)'"
    # Remembered (the prefix's user has seen it from now on, as in every other test).
    [ "$(setting_value TrayHintShown)" = 0x1 ] || fail "TrayHintShown is '$(setting_value TrayHintShown)'"
    probe tray-click left
    sleep 0.7
    probe minimise
    sleep 0.7
    probe_may_fail balloon 2000
    [[ $out == *"balloon=none"* ]] || fail "a second balloon: $out"
    probe tray-menu 关闭
    wait_pid "$prog_pid" 20 || fail "the program did not end"
    prog_pid=
    start_program
    probe wait-main 20000
    probe close
    probe_may_fail balloon 2000
    [[ $out == *"balloon=none"* ]] || fail "a balloon after a restart: $out"
    probe tray-click left
}

# The tray icon's tip, read from the tooltip the icon shows under the pointer.
test_tray_tip() {
    start_program
    probe wait-main 20000
    local t
    t=$(future 30)
    add_alarm "$t" "起床"
    probe close
    sleep 0.7
    probe tray-tip
    expect_line "tip=闹钟 - Verunda\\\\n下一个：${t:5:11} 起床" "the tip with the next alarm"
}

# A screen reader, asking from another process, hears a name for every entry
# and combo box (the label before it), every button (its caption; the year
# buttons, which show pictures, what they do) and the list (its column
# headers); the time grid's cells are items "07 时" ... with the current one
# selected, and moving to another field's grid announces the new selection.
test_accessible_names() {
    start_program
    probe wait-main 30000
    local pair ctl want
    for pair in 编辑框1=闹钟设置 铃声路径=铃声 闹钟提示信息输入=闹钟提示信息 \
        铃声选择=选择 试听=试听 默认铃声=默认 添加=添加 清空列表=清空列表 停止=停止闹钟 \
        超级列表框1="闹钟时间 铃声文件 闹钟提示信息 是否已响铃 重复" \
        tab1 组合框_时=时 组合框_分=分 组合框_秒=秒 编辑框_倒计时闹钟提示信息=闹钟提示信息 \
        按钮_倒计时开始=倒计时开始 tab0; do
        # The countdown page's controls are there once the page has been shown.
        case $pair in tab?) probe tab "${pair#tab}"; continue ;; esac
        ctl=${pair%%=*} want=${pair#*=}
        probe access-name "$ctl"
        [ "$(val name)" = "$want" ] || fail "$ctl is read as '$(val name)', not '$want'"
    done
    local day i
    day=$(date -d '+1 day' +%Y-%m-%d)
    probe settext 编辑框1 "$day 07:30:15"
    probe entry-click 12
    expect_popup timepicker "$day 07:30:15" 小时
    for pair in 按钮1=最小时间 按钮2=最大时间; do
        ctl=${pair%%=*} want=${pair#*=}
        probe access-name "$ctl"
        [ "$(val name)" = "$want" ] || fail "$ctl is read as '$(val name)', not '$want'"
    done
    probe access-grid
    [ "$(val items)" = 24 ] || fail "the hour grid has $(val items) items, not 24"
    expect_line "item 1: 00 时 role=34" "the first hour cell"
    expect_line "item 8: 07 时 role=34 selected" "the selected hour cell"
    expect_line "item 24: 23 时 role=34" "the last hour cell"
    [ "$(grep -c ' selected$' <<<"$out")" = 1 ] || fail "not exactly one cell selected"
    [ "$(val selection)" = 8 ] || fail "the selection is item $(val selection), not 8"
    # ↓ takes the keyboard into the grid: the cell it lands on is announced,
    # by the name the grid then gives its selected item.
    wine "$NY_PROBE" access-events 3000 >"$dir/events.txt" 2>>"$dir/probe.err" &
    local watcher=$!
    for ((i = 0; i < 50; i++)); do grep -q watching "$dir/events.txt" && break; sleep 0.1; done
    probe keys down
    wait "$watcher" || fail "probe access-events failed"
    local events
    events=$(cat "$dir/events.txt")
    log "events"$'\n'"$events"
    probe access-grid
    local sel=$(val selection) cell
    cell=$(sed -n "s/^item $sel: \(.. 时\) .*/\1/p" <<<"$out")
    [ -n "$cell" ] || fail "no selected hour cell after ↓"
    grep -qx "event selection item=$sel name=$cell" <<<"$events" || fail "the selection of $cell was not announced"
    grep -qx "event focus item=$sel name=$cell" <<<"$events" || fail "the focus on $cell was not announced"
    probe keys esc
    probe entry-click 5
    expect_popup calendar "$day 07:30:15"
    for pair in 左年按钮=上一年 右年按钮=下一年; do
        ctl=${pair%%=*} want=${pair#*=}
        probe access-name "$ctl"
        [ "$(val name)" = "$want" ] || fail "$ctl is read as '$(val name)', not '$want'"
    done
}

# The libraries the program may name in its import table: the system's known
# DLLs, and comctl32, which the manifest takes from the system's side-by-side store.
known_dlls="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comdlg32.dll msvcrt.dll
ole32.dll oleaut32.dll comctl32.dll"

# Nothing the program loads comes from its own folder: its import table names
# only known DLLs, and with a winmm.dll, uxtheme.dll, msacm32.dll and
# oleacc.dll planted beside it, searched first as Windows does for any
# library not on the known list, none of them is loaded while it starts,
# plays a preview, rings an alarm and answers a screen reader.
test_system_dlls_only() {
    local imports d
    imports=$(x86_64-w64-mingw32-objdump -p "$NY_EXE" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
    [ -n "$imports" ] || fail "objdump found no import table"
    log "imports: $(tr '\n' ' ' <<<"$imports")"
    for d in $imports; do
        grep -qw -- "$d" <<<"$known_dlls" || fail "the .exe imports $d, which is not a known DLL"
    done
    local planted="winmm uxtheme msacm32 oleacc"
    for d in $planted; do
        x86_64-w64-mingw32-gcc -shared -O1 -o "$dir/$d.dll" "$src/tests/wine/planted.c" ||
            fail "cannot build the planted $d.dll"
    done
    fake_clock 25
    # Native first, then Wine's own: the program's folder is searched for them.
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winmm,uxtheme,msacm32,oleacc=n,b"
    start_program
    probe wait-main 20000
    wait_clock_label
    add_alarm "$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M:%S')" "种下的库"
    capture_start
    sleep 0.3
    capture_mark
    probe click 试听
    local clicked heard
    clicked=$(val click_unix)
    sleep 1.5
    heard=$(capture_onset_after "$clicked")
    [ -n "$heard" ] || fail "the preview was not heard"
    stop_and_expect_silence
    probe access-name 编辑框1
    sleep_until "$(calc "$minute_real + 1.5")"
    probe box 8000
    heard=$(capture_onset_after "$minute_real")
    [ -n "$heard" ] || fail "the alarm was not heard"
    probe box-ok 2000
    stop_and_expect_silence
    for d in $planted; do
        [ ! -e "$dir/$d.dll.loaded" ] || fail "the planted $d.dll beside the program was loaded"
    done
    # The test would see nothing if the planting did not work at all: a
    # program of the same folder that loads winmm by name gets the planted one.
    x86_64-w64-mingw32-gcc -O1 -DNY_LOADER -o "$dir/loader.exe" "$src/tests/wine/planted.c" ||
        fail "cannot build the loader"
    (cd "$dir" && wine ./loader.exe >/dev/null 2>&1) || true
    [ -e "$dir/winmm.dll.loaded" ] || fail "the planted winmm.dll is not loaded even by a program asking for it by name"
}

# The colours as designed, read off the screen: the copyright line in red,
# the time picker's blue ground (around its transparent label), the grid's
# silver lines, the year buttons' grey; the same after the program is told
# that the theme changed. With the system's high-contrast theme switched on
# they give way to the theme's; Wine 8 refuses to switch it on, so there
# only the design's colours are checked (the choice itself: Colours.*).
test_colours() {
    own_desktop
    start_program
    probe wait-main 30000
    wait_clock_label
    local day
    day=$(date -d '+1 day' +%Y-%m-%d)
    probe settext 编辑框1 "$day 07:30:15"
    expect_colour 版权 255,0,0 "the copyright line is not red"
    probe entry-click 12
    expect_popup timepicker "$day 07:30:15" 小时
    sleep 0.5
    expect_colour 透明标签1 0,136,255 "the time picker's ground is not its blue"
    expect_colour 时间高级表格 192,192,192 "the time grid has no silver lines"
    probe keys esc
    # Told that the theme changed (high contrast still off), with the
    # calendar open: the grounds and the year buttons' pictures, made anew,
    # are still the design's, and the program runs on. (Off, old and new
    # look the same: this shows no harm done, not that they were replaced.)
    probe entry-click 3
    expect_popup calendar "$day 07:30:15"
    expect_colour 左年按钮 236,233,216 "the year button's arrows have not their grey ground"
    probe theme-changed
    [ "$(val told)" -ge 2 ] || fail "the program has $(val told) top-level windows"
    sleep 0.5
    expect_colour 左年按钮 236,233,216 "after the theme's change the year button lost its arrows' ground"
    expect_colour 版权 255,0,0 "after the theme's change the copyright line is not red"
    probe keys esc
    probe entry-click 12
    expect_popup timepicker "$day 07:30:15" 小时
    sleep 0.5
    expect_colour 透明标签1 0,136,255 "after the theme's change the time picker's ground is not its blue"
    probe keys esc
    probe high-contrast on
    if [ "$(val high_contrast)" != 1 ]; then
        log "high contrast cannot be switched on here: the theme's colours are not checked"
        return 0
    fi
    on_cleanup="wine '$NY_PROBE' high-contrast off >/dev/null 2>&1"
    sleep 2
    probe colours 版权 255,0,0
    [ "$(val count)" = 0 ] || fail "in high contrast the copyright line is still red"
    probe entry-click 12
    sleep 0.5
    probe colours 透明标签1 0,136,255
    [ "$(val count)" = 0 ] || fail "in high contrast the time picker keeps its blue"
    probe keys esc
    probe high-contrast off
    [ "$(val high_contrast)" = 0 ] || fail "high contrast did not go off"
    sleep 2
    expect_colour 版权 255,0,0 "after high contrast the copyright line is not red again"
}

expect_colour() {  # control r,g,b message
    probe colours "$1" "$2"
    [ "$(val count)" -gt 0 ] || fail "$3 (no pixel of $2 among $(val of))"
    log "$1: $(val count) of $(val of) pixels are $2"
}

# Alarms people keep, with the real mouse and keys: a row's check box and
# Space switch an alarm off and on (停用 in list and ny.edb), 自定义… ticks
# weekdays in its dialog (w135 stored, 周一三五 shown), and the label beside
# 清空列表 names the alarm just added with the time left.
test_alarms_kept() {
    start_program
    probe wait-main 20000
    add_alarm "$(future 30)" "一"
    add_alarm "$(future 40)" "二"
    probe text 下一个闹钟
    # The alarm keeps only its minute, and the clock may reach the next
    # minute meanwhile: 28 whole minutes left is right too.
    expect_line "text=下一个闹钟：[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2} 一（还有 (28|29|30) 分钟）" \
        "the label after 添加"
    probe list-check 1
    sleep 0.5
    probe list
    expect_line "row 1: .*\|二\|停用" "row 1 after a click on its check box"
    probe store "$(winpath "$dir/ny.edb")"
    expect_line "record 2: .*\|二\|停用" "ny.edb after the check box"
    probe list-select 1
    probe keys space
    sleep 0.5
    probe list
    expect_line "row 1: .*\|二\|未响" "row 1 after Space"

    # The alarm's own weekday is ticked when the dialog opens: Monday on,
    # Wednesday on, its own day as it is, Friday on, then 确定 (Enter).
    probe list-menu 0 自定义…
    local own
    own=$(date -d "$(future 30)" +%u)  # 1 Monday ... 7 Sunday
    local keys=() d
    for d in 1 2 3 4 5 6 7; do
        case $d in
            1 | 3 | 5) [ "$d" = "$own" ] || keys+=(space) ;;
            *) [ "$d" = "$own" ] && keys+=(space) ;;
        esac
        [ $d -lt 7 ] && keys+=(tab)
    done
    probe dialog 自定义重复 5000 "${keys[@]}" enter
    sleep 0.5
    probe list
    expect_line "row 0: [0-9: -]+  周一三五\|.*\|一\|未响" "row 0 with its weekdays"
    probe store "$(winpath "$dir/ny.edb")"
    expect_line "record 1: \|w135\|.*\|一\|未响" "ny.edb's 周数 after 自定义…"
}

# ---------------------------------------------------------------------------

fn=test_$name
declare -F "$fn" >/dev/null || { echo "e2e.sh: no test $name" >&2; exit 2; }
setup_test "$name"
"$fn"
pass
