#!/usr/bin/env bash
# Benchmarks of the real program under Wine (Xvfb, a PulseAudio null sink,
# faketime), in the same headless world as the end-to-end tests. Prints
# figures; never fails on them.
#
#   wine_bench.sh PROGRAM.exe PROBE.exe ALARM.mp3
#
# NY_BENCH_PARTS picks parts (default: all): size startup ring preview
# firstpreview memory mci answer longplay hostile scale
#
#   - executable size
#   - start-up to the window shown and answering: empty store, 10,000 alarms
#   - ring latency: from the alarm's minute to its sound in the recording,
#     worst of 10 (goal: 0.05 s)
#   - preview: 试听 to sound, and 停止 to silence (goals: 0.05 s each)
#   - the first 试听 of a process in 8 fresh starts, clicked 0.3 s after the
#     pointer came over it (goal: 0.05 s), with the memory 2 s after start
#     and after the pointer came
#   - memory of the idle program 10 s after start (/proc/PID/smaps_rollup:
#     RSS, and Anonymous, the program's private share; goal: private <= 8 MB)
#   - memory while and after a 10-minute MP3 plays to its end (goal: private
#     <= idle + 10 MB); takes 11 minutes
#   - the longest time the main window takes to answer a message while 100
#     alarms of one minute ring one after the other, each box closed at once
#   - the same while 试听 is given a tone that is no tone (COM1, a pipe whose
#     server never writes, 5 MB of empty ID3v2 headers, 500 MB of zeros,
#     NUL), pinged every 15 ms (goal: 0.1 s)
#   - scale: stores of many alarms (NY_BENCH_SCALE, default "1000 10000
#     100000"): start-up, private memory, the answer around an alarm's minute
#     and when it is heard, and the time 添加, 删除, 修改 and 保存 keep the
#     window from answering
set -euo pipefail

NY_EXE=$(realpath "${1:?program}")
NY_PROBE=$(realpath "${2:?probe}")
NY_TONE=$(realpath "${3:?alarm.mp3}")
here=$(cd "$(dirname "$0")" && pwd)
wine_tests=$here/../tests/wine
export NY_EXE NY_PROBE NY_TONE
NY_RUN=$(mktemp -d /tmp/ny-bench.XXXXXX)
export NY_RUN

echo "setting up Xvfb, PulseAudio and a Wine prefix ..."
"$wine_tests/env.sh" start "$NY_RUN" >/dev/null
# shellcheck disable=SC1091
. "$NY_RUN/env"
# shellcheck source=../tests/wine/lib.sh
. "$wine_tests/lib.sh"
name=bench
base_prefix=$WINEPREFIX
# The steps' details go to a log; the figures to the terminal.
bench_log=$(mktemp /tmp/ny-bench-log.XXXXXX)
log() { printf '%s\n' "$*" >>"$bench_log"; }
fail() {
    echo "bench: $* (details: $bench_log)" >&2
    exit 1
}

finish() {
    local status=$?
    set +e
    [ -n "$cap_pid" ] && kill "$cap_pid" 2>/dev/null
    [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null
    [ -n "$fake_server" ] && wineserver -k 2>/dev/null
    "$wine_tests/env.sh" stop "$NY_RUN"
    rm -rf "$NY_RUN"
    exit $status
}

want() { [[ " ${NY_BENCH_PARTS:-size startup ring preview firstpreview memory mci answer longplay hostile scale} " == *" $1 "* ]]; }

results=()
report() { results+=("$1"); echo "  $1"; }

stats() {  # numbers... -> "median X s, worst Y s"
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "median %.3f s, worst %.3f s (%d runs)", v[int((NR + 1) / 2)], v[NR], NR }'
}

# A fresh program directory for one run.
new_dir() {  # name
    setup_test "$1"
    trap finish EXIT
    trap 'exit 143' TERM INT
}

# ---- size -------------------------------------------------------------------
want size && report "executable size: $(stat -c %s "$NY_EXE") bytes ($(basename "$NY_EXE"))"

# ---- start-up ---------------------------------------------------------------
# The probe waits for the window first; the program is started once the probe
# runs, and the time is from that start to the probe seeing the window shown
# and answering (so Wine's own process start is included, as a user sees it).
startup_once() {  # [store file to put beside the program]
    [ -z "${1:-}" ] || cp "$1" "$dir/ny.edb"
    wine "$NY_PROBE" wait-main 60000 >"$dir/seen.txt" 2>/dev/null &
    local waiter=$!
    local i
    for ((i = 0; i < 100; i++)); do grep -q waiting "$dir/seen.txt" && break; sleep 0.05; done
    local t0
    t0=$(now)
    start_program
    wait "$waiter"
    local seen
    seen=$(sed -n 's/^seen_unix=//p' "$dir/seen.txt")
    stop_program
    calc "$seen - $t0"
}

if want startup; then
    echo "start-up, empty store (a first start: the store is created) ..."
    times=()
    for i in 1 2 3 4 5; do
        new_dir "start-empty-$i"
        times+=("$(startup_once)")
    done
    report "start-up to window shown, empty store: $(stats "${times[@]}")"

    echo "making a store of 10,000 alarms ..."
    new_dir store10k
    probe make-store "$(winpath "$dir/ny.edb")" 10000 "2027-01-01 08:00" "$(winpath "$dir")/alarm.mp3" >/dev/null
    store10k=$dir/ny.edb
    echo "start-up, 10,000 alarms ..."
    times=()
    for i in 1 2 3; do
        new_dir "start-10k-$i"
        times+=("$(startup_once "$store10k")")
    done
    report "start-up to window shown, 10,000 alarms: $(stats "${times[@]}")"
fi

# ---- ring latency -------------------------------------------------------------
# Each run: a prefix whose wineserver and program run on a clock faked so that
# the alarm's minute begins a few seconds after the start; the program starts
# with a store holding that one alarm.
export WINEPREFIX=$base_prefix
new_dir capture
capture_start
cap_dir=$dir

if want ring; then
    echo "ring latency, 10 runs on a faked clock ..."
    latencies=()
    for i in $(seq 10); do
        new_dir "ring-$i"
        ln -s "$cap_dir/cap.raw" "$dir/cap.raw"
        fake_clock 7
        probe make-store "$(winpath "$dir/ny.edb")" 1 "$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M')" \
            "$(winpath "$dir")/alarm.mp3" >/dev/null
        start_program
        probe wait-main 20000 >/dev/null
        sleep_until "$(calc "$minute_real - 1")"
        capture_mark
        probe box 10000 >/dev/null
        sleep 0.3
        heard=$(capture_onset_after "$minute_real")
        latencies+=("${heard:-99}")
        echo "    run $i: $(printf '%.3f' "${heard:-99}") s"
        probe box-ok 2000 >/dev/null
        stop_program
        wineserver -k 2>/dev/null || true
        fake_server= fake=() fake_offset=0
        export WINEPREFIX=$base_prefix
    done
    worst=$(printf '%s\n' "${latencies[@]}" | sort -g | tail -n 1)
    verdict=$(below "$worst" 0.0500001 && echo met || echo "NOT met")
    report "ring latency, minute start to sound: $(stats "${latencies[@]}") (goal 0.05 s: $verdict)"
fi

# ---- preview and stop ---------------------------------------------------------
# Times from the probe's click to the sound starting or ending in the
# recording.
if want preview; then
    echo "preview and stop, 10 runs each ..."
    new_dir preview
    ln -s "$cap_dir/cap.raw" "$dir/cap.raw"
    "$here/../tests/wine/make_tones.sh" "$dir/tones" >/dev/null
    start_program
    probe wait-main 20000 >/dev/null
    probe hover 试听 >/dev/null  # as a user's pointer comes to it before the click
    sleep 1
    # 试听 on alarm.mp3 (as the program starts), then 停止.
    starts=() first=
    for i in $(seq 10); do
        capture_mark
        probe click 试听 >/dev/null
        clicked=$(val click_unix)
        sleep 0.6
        heard=$(capture_onset_after "$clicked")
        probe click 停止 >/dev/null
        sleep 0.3
        [ -n "$first" ] || first=${heard:-99}
        starts+=("${heard:-99}")
        echo "    run $i: heard $(printf '%.3f' "${heard:-99}") s after 试听"
    done
    report "试听 to sound (alarm.mp3): $(stats "${starts[@]}"); the first in the process: $(printf '%.3f' "$first") s (goal 0.05 s)"
    # 停止 during a steady tone (alarm.mp3 has rests between its notes).
    probe settext 铃声路径 "$(winpath "$dir/tones/cbr44.mp3")" >/dev/null
    stops=() controls=()
    for i in $(seq 10); do
        capture_mark
        probe click 试听 >/dev/null
        sleep 0.8
        probe click 停止 >/dev/null
        stopped=$(val click_unix)
        sleep 0.6
        ended=$(capture_end_after "$stopped" 0.5)
        # A check of the measure itself: seen from 0.1 s before 停止, the
        # sound must last about 0.1 s more.
        control=$(capture_end_after "$(calc "$stopped - 0.1")" 0.6)
        stops+=("${ended:-99}")
        controls+=("${control:-99}")
        echo "    run $i: silent $(printf '%.3f' "${ended:-99}") s after 停止 (from 0.1 s before: $(printf '%.3f' "${control:-99}") s)"
    done
    report "停止 to silence (a steady tone): $(stats "${stops[@]}") (goal 0.05 s); measured from 0.1 s before 停止 instead: $(stats "${controls[@]}")"
    stop_program
fi

# ---- memory -----------------------------------------------------------------------
# smaps_rollup of the program's own Wine process (not the wineserver's).
memory_of() {  # pid -> "RSS x MB, private (Anonymous) y MB"
    awk '/^Rss:/ { r = $2 } /^Anonymous:/ { a = $2 }
         END { printf "RSS %.1f MB, private (Anonymous) %.1f MB", r / 1024, a / 1024 }' "/proc/$1/smaps_rollup"
}
private_mb() { awk '/^Anonymous:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/smaps_rollup"; }
rss_mb() { awk '/^Rss:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/smaps_rollup"; }

# ---- the first preview of a process ------------------------------------------------
# What a user hears the first time after starting the program: each run a
# fresh start, 2 s of idle, the memory, the pointer onto 试听 (where the
# sound is made ready), 0.3 s later the click on alarm.mp3 and the memory.
if want firstpreview; then
    echo "the first 试听 of a process, 8 starts ..."
    firsts=() privs=() rsss=() hprivs=()
    for i in $(seq 8); do
        new_dir "first-$i"
        ln -s "$cap_dir/cap.raw" "$dir/cap.raw"
        start_program
        probe wait-main 20000 >/dev/null
        sleep 2
        privs+=("$(private_mb "$prog_pid")")
        rsss+=("$(rss_mb "$prog_pid")")
        probe hover 试听 >/dev/null
        sleep 0.3
        capture_mark
        probe click 试听 >/dev/null
        clicked=$(val click_unix)
        sleep 0.8
        heard=$(capture_onset_after "$clicked")
        firsts+=("${heard:-99}")
        hprivs+=("$(private_mb "$prog_pid")")
        echo "    run $i: heard $(printf '%.3f' "${heard:-99}") s after the first 试听; idle RSS ${rsss[-1]} MB, private ${privs[-1]} MB; private ${hprivs[-1]} MB once played"
        stop_program
    done
    median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
    report "the first 试听 of a process: $(stats "${firsts[@]}") (goal 0.05 s)"
    report "  memory 2 s after start (idle): private $(median "${privs[@]}") MB, RSS $(median "${rsss[@]}") MB; private once it played $(median "${hprivs[@]}") MB (medians)"
fi

if want memory; then
    echo "memory of the idle program, 3 starts ..."
    for i in 1 2 3; do
        new_dir "idle-$i"
        start_program
        probe wait-main 20000 >/dev/null
        sleep 10
        report "memory 10 s after start, no sound yet (run $i): $(memory_of "$prog_pid") (goal: private <= 8 MB, RSS <= 33.7 MB)"
        stop_program
    done
fi

if want longplay; then
    echo "a 10-minute MP3 played to its end (11 minutes) ..."
    new_dir longplay
    "$here/../tests/wine/make_tones.sh" "$dir/tones" --long >/dev/null
    start_program
    probe wait-main 20000 >/dev/null
    sleep 10
    idle_private=$(private_mb "$prog_pid")
    report "before playing: $(memory_of "$prog_pid")"
    probe settext 铃声路径 "$(winpath "$dir/tones/long.mp3")" >/dev/null
    probe click 试听 >/dev/null
    played=$(val click_unix)
    peak=0
    for t in 10 60 300 590; do
        sleep_until "$(calc "$played + $t")"
        now_private=$(private_mb "$prog_pid")
        peak=$(awk -v a="$peak" -v b="$now_private" 'BEGIN { print (b > a ? b : a) }')
        report "  ${t} s into the 10-minute MP3: $(memory_of "$prog_pid")"
    done
    sleep_until "$(calc "$played + 605")"
    report "after the 10-minute MP3 played to its end: $(memory_of "$prog_pid"); the largest private share seen $peak MB (goal: <= idle $idle_private MB + 10 MB)"
    stop_program
fi

# The platform's own share: the same MCI calls made by the probe, from the
# request to the sound; and the play command alone on a device opened ahead.
if want mci; then
    echo "MP3 playback through MCI itself, for comparison ..."
    for mode in "" --preopen; do
        floors=()
        for i in 1 2 3 4 5; do
            new_dir "mci$mode-$i"
            ln -s "$cap_dir/cap.raw" "$dir/cap.raw"
            capture_mark
            probe play "$(winpath "$dir")\\alarm.mp3" 1200 $mode >/dev/null
            heard=$(capture_onset_after "$(val request_unix)")
            floors+=("${heard:-99}")
        done
        if [ -z "$mode" ]; then
            report "MCI open + play to sound (the platform's floor): $(stats "${floors[@]}")"
        else
            report "MCI play alone, device opened ahead, to sound: $(stats "${floors[@]}")"
        fi
    done
fi

# ---- answering while 100 alarms ring ---------------------------------------------
if want answer; then
    echo "100 alarms of one minute ringing in a row (minutes) ..."
    new_dir ring100
    ln -s "$cap_dir/cap.raw" "$dir/cap.raw"
    fake_clock 10
    probe make-store "$(winpath "$dir/ny.edb")" 100 "$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M')" \
        "$(winpath "$dir")/alarm.mp3" 0 >/dev/null
    start_program
    probe wait-main 20000 >/dev/null
    probe ping 400000 100 >/dev/null
    rel() { printf '%.1f' "$(calc "$1 - $minute_real")"; }
    boxes=$(sed -n 's/^box_unix=//p' <<<"$out")
    span=$(awk 'NR == 1 { first = $1 } NR > 1 && $1 - prev > gap { gap = $1 - prev } { prev = $1 }
                END { printf "%s %s %.1f", first, prev, gap }' <<<"$boxes")
    read -r first_box last_box gap <<<"$span"
    report "longest wait for the main window to answer while 100 alarms of one minute rang: $(printf '%.3f' "$(val worst_answer_s)") s (ended $(rel "$(val worst_end_unix)") s after the minute began)"
    report "  their boxes: $(val boxes_closed) closed, the first $(rel "$first_box") s and the last $(rel "$last_box") s after the minute began; longest gap between two: $gap s"
    stop_program
    # The platform's share: under Wine on Xvfb a message box's call returns
    # only about 2 s after OK, in any program; the probe times its own box.
    returns=()
    for i in 1 2 3; do
        probe box-return urgent >/dev/null
        returns+=("$(val box_return_s)")
    done
    report "  for comparison, a message box of the probe's own returns after OK in: $(stats "${returns[@]}")"
fi

# ---- answering while 试听 is given hostile tones -----------------------------------
# A fresh program for each tone: one that froze on the tone before cannot be
# asked about the next. The probe gives up on an answer after 10 s.
if want hostile; then
    echo "试听 on tones that are no tones, the window pinged every 15 ms ..."
    new_dir hostile-tones
    make_hostile_tones "$dir"
    hostile=$dir
    wine "$NY_PROBE" pipe-server nysilent 600000 >/dev/null 2>&1 &
    pipe_pid=$!
    worst_all=0
    for tone in COM1 '\\.\pipe\nysilent' "$(winpath "$hostile/id3chain.mp3")" \
        "$(winpath "$hostile/zeros.mp3")" NUL; do
        new_dir "hostile-$(printf '%s' "$tone" | tr -c 'A-Za-z0-9' _)"
        start_program
        probe wait-main 20000 >/dev/null
        probe settext 铃声路径 "$tone" >/dev/null
        # Until the box that tells the tone cannot be played (the wait is for
        # the opening, not for a box being closed).
        wine "$NY_PROBE" ping 12000 -1 15 >"$dir/ping.txt" 2>/dev/null &
        pinger=$!
        sleep 1
        probe click 试听 >/dev/null
        wait "$pinger" || true
        worst=$(sed -n 's/^worst_answer_s=//p' "$dir/ping.txt")
        worst=${worst:-99}
        note=""
        below "$worst" 9.99 || note=" (no answer within the probe's 10 s)"
        report "  试听 with $tone: longest wait for an answer $(printf '%.3f' "$worst") s$note"
        worst_all=$(awk -v a="$worst_all" -v b="$worst" 'BEGIN { print (b > a ? b : a) }')
        kill -9 "$prog_pid" 2>/dev/null || true
        wait "$prog_pid" 2>/dev/null || true
        prog_pid=
        wineserver -k 2>/dev/null || true
        sleep 0.5
        # The pipe's server went with the wineserver.
        wine "$NY_PROBE" pipe-server nysilent 600000 >/dev/null 2>&1 &
        pipe_pid=$!
    done
    kill "$pipe_pid" 2>/dev/null || true
    verdict=$(below "$worst_all" 0.1000001 && echo met || echo "NOT met")
    report "longest wait for the main window to answer over the hostile tones: $(printf '%.3f' "$worst_all") s (goal 0.1 s: $verdict)"
fi

# ---- many alarms ----------------------------------------------------------------
# For each size N: a store of N alarms one minute apart, all in the future,
# each with a tone path of about 60 characters and a short Chinese prompt.
# One run on the real clock: (a) start-up to the window answering, (b) its
# private memory, (d) 添加, 删除 (the Delete key on a selected row), 修改 (the
# list menu's item) and 保存, each timed by the probe from its send until the
# window answers a WM_NULL sent after it. A second run on a faked clock whose
# minute begins after the start: (c) the window pinged every 20 ms from 10 s
# before the first alarm's minute until 10 s after (its ring, box and
# marking 已响 fall inside), and when it is heard.
if want scale; then
    # Private_Clean + Private_Dirty of the program's own Wine process: the
    # pages only it holds. Its RSS counts Wine's shared libraries too.
    private_of() { awk '/^Private_(Clean|Dirty):/ { p += $2 } END { printf "%.1f", p / 1024 }' "/proc/$1/smaps_rollup"; }
    export WINEPREFIX=$base_prefix
    new_dir scale-tones
    # The folder's name pads the tone's path, as Wine sees it, to 60 characters.
    pad=$(( 60 - ${#dir} - 2 - 1 - 10 - 6 ))
    (( pad > 0 )) || pad=1
    tone_dir=$dir/tones-$(printf '%*s' "$pad" '' | tr ' ' x)
    mkdir -p "$tone_dir"
    cp "$NY_TONE" "$tone_dir/alarm.mp3"
    scale_tone=$(winpath "$tone_dir/alarm.mp3")
    log "scale: tone path ${#scale_tone} characters: $scale_tone"
    rows=()
    for n in ${NY_BENCH_SCALE:-1000 10000 100000}; do
        echo "$n alarms: start-up, memory, 添加 删除 修改 保存 ..."
        export WINEPREFIX=$base_prefix
        new_dir "scale-$n"
        # The recording (parec waking every 10 ms) would load the machine
        # while start-up and the changes are timed: only the minute listens.
        if [ -n "$cap_pid" ]; then
            kill "$cap_pid" 2>/dev/null || true
            wait "$cap_pid" 2>/dev/null || true
            cap_pid=
        fi
        t0=$(now)
        probe make-store "$(winpath "$dir/ny.edb")" "$n" "$(date -d '+1 year' '+%Y-%m-%d 08:00')" "$scale_tone" >/dev/null
        store_s=$(calc "$(now) - $t0")
        log "scale $n: the store made in $store_s s, $(stat -c %s "$dir/ny.edb") bytes"
        wine "$NY_PROBE" wait-main 900000 >"$dir/seen.txt" 2>/dev/null &
        waiter=$!
        for ((i = 0; i < 100; i++)); do grep -q waiting "$dir/seen.txt" && break; sleep 0.05; done
        t0=$(now)
        start_program
        wait "$waiter" || fail "the program with $n alarms did not answer within 900 s"
        start_s=$(calc "$(sed -n 's/^seen_unix=//p' "$dir/seen.txt") - $t0")
        sleep 3
        log "scale $n: process $prog_pid is $(tr '\0' ' ' <"/proc/$prog_pid/cmdline")"
        mem=$(private_of "$prog_pid")
        probe list-row $((n - 1))
        [ "$(val rows)" = "$n" ] || fail "the list shows $(val rows) rows, not $n"
        set_alarm_fields "$(date -d '+2 years' '+%Y-%m-%d 09:30:00')" "新的提醒"
        probe answer-after click 添加
        add_s=$(val answer_s)
        probe list-row 0
        [ "$(val rows)" = $((n + 1)) ] || fail "添加 left $(val rows) rows"
        probe list-select $((n / 2))
        probe answer-after key delete
        delete_s=$(val answer_s)
        probe list-row 0
        [ "$(val rows)" = "$n" ] || fail "Delete left $(val rows) rows"
        probe list-select $((n / 3))
        probe answer-after menu 修改
        edit_s=$(val answer_s)
        probe text 添加
        [ "$(val text)" = 保存 ] || fail "修改 left the button reading $(val text)"
        probe settext 编辑框1 "$(date -d '+3 years' '+%Y-%m-%d 10:45:00')"
        probe answer-after click 添加
        save_s=$(val answer_s)
        probe text 添加
        [ "$(val text)" = 添加 ] || fail "保存 left the button reading $(val text)"
        stop_program
        # That was the first start with this store (with the first size, the
        # first in a fresh Wine prefix, as after an installation), one sample
        # that swings by a tenth of a second here; a user's later starts:
        again=()
        for ((k = 0; k < 5; k++)); do again+=("$(startup_once)"); done
        log "scale $n: later starts ${again[*]}"
        again_s=$(printf '%s\n' "${again[@]}" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')

        echo "$n alarms: the minute of the first, on a faked clock ..."
        new_dir "scale-$n-minute"
        minute_dir=$dir dir=$cap_dir
        capture_start
        dir=$minute_dir
        ln -s "$cap_dir/cap.raw" "$dir/cap.raw"
        # Room for making the store and a slow start before the minute's
        # ten seconds of pinging begin.
        fake_clock "$(awk -v a="$store_s" -v b="$start_s" 'BEGIN { printf "%d", a + 2 * b + 30 }')"
        # In a Wine desktop: without a window manager, Wine holds the thread
        # that hides a box for 2 s (the probe's own box returns in 0.03 s
        # here). The program's box still holds its window about 2 s after OK
        # here, the countdown's too: worst_ans shows it; ring_ans is without.
        use_desktop
        probe make-store "$(winpath "$dir/ny.edb")" "$n" "$(date -d "@$minute_fake" '+%Y-%m-%d %H:%M')" "$scale_tone" >/dev/null
        start_program
        probe wait-main 900000
        late=
        if above "$(now)" "$(calc "$minute_real - 10")"; then
            late="  (started too late: $(calc "$minute_real - $(now)") s before the minute; this row's minute figures are not the check's)"
            log "scale $n:$late"
        fi
        sleep_until "$(calc "$minute_real - 10")"
        wine "$NY_PROBE" ping 20000 0 20 >"$dir/ping.txt" 2>/dev/null &
        pinger=$!
        # The recording tied to real time just before the minute: the tie
        # drifts over seconds.
        sleep_until "$(calc "$minute_real - 1")"
        capture_mark
        wait "$pinger" || fail "the ping around the minute failed"
        out=$(cat "$dir/ping.txt")
        log "ping around the minute:"$'\n'"$out"
        worst=$(val worst_answer_s)
        ring_ans=$(val worst_before_box_s)
        worst_end=$(val worst_end_unix)
        box=$(sed -n 's/^box_unix=//p' <<<"$out" | head -n 1)
        # Measured in a still copy: the recording grows while sox reads it,
        # which would put the onset early.
        head -c "$(stat -L -c %s "$dir/cap.raw")" "$dir/cap.raw" >"$dir/cap.still"
        mv "$dir/cap.still" "$dir/cap.raw"
        heard=$(capture_onset_after "$minute_real")
        stop_program
        wineserver -k 2>/dev/null || true
        fake_server= fake=() fake_offset=0
        export WINEPREFIX=$base_prefix
        rel() { [ -n "$1" ] && printf '%+.2f' "$(calc "$1 - $minute_real")" || printf 'none'; }
        rows+=("$(printf '%7s %9.2f %9.2f %9s %10.3f %8s %9.3f %8s %8s %7.3f %7.3f %7.3f %7.3f' "$n" "$start_s" "$again_s" "$mem" \
            "${worst:-99}" "$(rel "$worst_end")" "${ring_ans:-99}" "$(printf '%+.3f' "${heard:-99}")" "$(rel "$box")" \
            "$add_s" "$delete_s" "$edit_s" "$save_s")$late")
        echo "  ${rows[-1]}"
    done
    report "many alarms (seconds; memory: Private_Clean + Private_Dirty of /proc/PID/smaps_rollup of the program's Wine process, 3 s after it answered):"
    report "$(printf '%7s %9s %9s %9s %10s %8s %9s %8s %8s %7s %7s %7s %7s' N start again private worst_ans at ring_ans heard box add delete edit save)"
    report "$(printf '%7s %9s %9s %9s %10s %8s %9s %8s %8s %7s %7s %7s %7s' '' 's' 's' 'MB' 's' 's' 's' 's' 's' 's' 's' 's' 's')"
    for r in "${rows[@]}"; do report "$r"; done
    report "  start: process start to the window shown and answering, the first with the store (the first size's: the first in a fresh Wine prefix); again: the median of five starts after it; worst_ans: the longest answer to a ping every 20 ms from 10 s before the first alarm's minute to 10 s after (at: when it ended, from the minute); ring_ans: the longest before the alarm's box showed (the ring and marking 已响); heard, box: from the minute; add (添加), delete (the Delete key on a selected row), edit (the list menu's 修改), save (保存 after it): from the probe's send until the window answers again"
fi

echo
echo "== Ny闹钟 under Wine =="
printf '%s\n' "${results[@]}"
echo "(details of each step: $bench_log)"
