# Helpers of the end-to-end tests (sourced by e2e.sh, screenshots.sh and the
# benchmarks). Needs the world of env.sh sourced, and NY_EXE, NY_PROBE, NY_TONE.

src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
exe=$(basename "$NY_EXE")
dir=
prog_pid=
cap_pid=
fake_server=
out=
rc=0

log() { printf '%s\n' "$*" >&2; }
fail() {
    log "FAIL: $*"
    exit 1
}
skip() {
    log "SKIP: $*"
    exit 77
}
pass() { log "PASS: $name"; }

# The test's own directory: a copy of the program and the ring tone only.
setup_test() {  # name
    dir=$NY_RUN/t-$1
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$NY_EXE" "$NY_TONE" "$dir/"
    trap cleanup EXIT
    trap 'exit 143' TERM INT
}

cleanup() {
    local status=$?
    set +e
    [ -n "$cap_pid" ] && kill "$cap_pid" 2>/dev/null
    [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null && wait "$prog_pid" 2>/dev/null
    # A test's own undoing (a mount, an installed program), once the program is gone.
    [ -n "${on_cleanup:-}" ] && eval "$on_cleanup"
    if [ -n "$fake_server" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ $status -ne 0 ] && [ -f "$dir/program.log" ] && [ -s "$dir/program.log" ]; then
        log "--- program output"
        tail -n 20 "$dir/program.log" >&2
    fi
    exit $status
}

# "Z:\..." as Wine sees a Unix path.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

now() { date +%s.%N; }

# Arithmetic on decimals: calc EXPR (awk syntax); a text that is not a
# number (sox says "-nan" for silence) counts as 0.
calc() { awk "BEGIN { printf \"%.6f\", $* }"; }
num() { awk -v x="$1" 'BEGIN { if (x + 0 == x) printf "%s", x; else printf "0" }'; }
below() { [ "$(awk -v a="$(num "$1")" -v b="$2" 'BEGIN { print (a < b) }')" = 1 ]; }
above() { [ "$(awk -v a="$(num "$1")" -v b="$2" 'BEGIN { print (a > b) }')" = 1 ]; }

# ---- the probe ------------------------------------------------------------

# Runs the probe; its output is in $out and in the log. Fails the test when
# the probe does.
# Every probe command says something once it runs. A probe that failed
# without a word never ran (Wine could not start the process, seen rarely on
# a loaded machine): it is started once more, and the log says so.
run_probe() {
    rc=0
    out=$(wine "$NY_PROBE" "$@" 2>>"$dir/probe.err") || rc=$?
    if [ "$rc" != 0 ] && [ -z "$out" ]; then
        log "probe $* ended with $rc before a word ($(tail -n 3 "$dir/probe.err" 2>/dev/null | tr '\n' ' ')); started again"
        rc=0
        out=$(wine "$NY_PROBE" "$@" 2>>"$dir/probe.err") || rc=$?
    fi
    log "probe $*"$'\n'"$(sed 's/^/  /' <<<"$out")"
}
probe() {
    run_probe "$@"
    [ "$rc" = 0 ] || fail "probe $1 failed (exit $rc)"
}
# Same, but the caller looks at $rc.
probe_may_fail() { run_probe "$@"; }

# The value of "key=value" in the last probe output.
val() { sed -n "s/^$1=//p" <<<"$out" | head -n 1; }

# The last probe output has a line matching the extended regex.
expect_line() {  # regex what
    grep -Eq -- "^$1$" <<<"$out" || fail "$2: no line like '$1'"
}

# ---- the program ------------------------------------------------------------

# Starts the program from its directory (under the faked clock, if any).
start_program() {
    (cd "$dir" && exec "${fake[@]}" wine "./$exe" >>"$dir/program.log" 2>&1) &
    prog_pid=$!
}

stop_program() {
    [ -n "$prog_pid" ] || return 0
    kill "$prog_pid" 2>/dev/null || true
    wait "$prog_pid" 2>/dev/null || true
    prog_pid=
    # Let the prefix notice before the next start.
    sleep 0.5
}

# Waits up to `seconds` for a background process; returns its exit code
# (124 on timeout, after killing it).
wait_pid() {  # pid seconds
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        if ! kill -0 "$1" 2>/dev/null; then
            local code=0
            wait "$1" || code=$?
            return $code
        fi
        sleep 0.1
    done
    kill "$1" 2>/dev/null
    return 124
}

# A date-time `minutes` from now in the entry's form, on the program's clock.
future() { date -d "@$(( $(date +%s) + ${fake_offset:-0} + $1 * 60 ))" '+%Y-%m-%d %H:%M:%S'; }

set_alarm_fields() {  # time prompt
    probe settext 编辑框1 "$1"
    probe settext 闹钟提示信息输入 "$2"
}

# Adds an alarm through the real 添加 button and checks that it was taken.
add_alarm() {  # time prompt
    set_alarm_fields "$1" "$2"
    probe list
    local rows
    rows=$(val rows)
    probe click 添加
    local i
    for ((i = 0; i < 50; i++)); do
        probe list
        [ "$(val rows)" = $((rows + 1)) ] && return 0
        sleep 0.1
    done
    probe_may_fail no-box 0
    fail "添加 did not add the alarm $1"
}

# Clicks 添加 without waiting for the row (a message box may come first).
add_row_only() {  # time prompt
    set_alarm_fields "$1" "$2"
    probe click 添加
}

# Waits until the clock label has been written once (before that the
# program cannot compare times).
wait_clock_label() {
    local i
    for ((i = 0; i < 30; i++)); do
        probe text 短位时间
        [[ $(val text) =~ ^[0-9]{4}- ]] && return 0
        sleep 0.2
    done
    fail "短位时间 never showed the time"
}

# ---- a faked clock ------------------------------------------------------------
# The program and its own wineserver run `offset` seconds ahead of the real
# clock, in a prefix of their own (a wineserver on the real clock would fire
# the program's timers at the wrong times), chosen so that a minute begins
# `lead` seconds from now. Sets minute_fake (that minute, faked epoch seconds)
# and minute_real (the real time at which it begins).
fake=()
fake_offset=0
fake_clock() {  # lead
    local t
    t=$(date +%s)
    local target=$(( t + $1 ))
    fake_offset=$(( (60 - target % 60) % 60 ))
    minute_fake=$(( target + fake_offset ))
    minute_real=$target
    export WINEPREFIX=$dir/prefix
    "$src/tests/wine/env.sh" clone "$NY_RUN" "$WINEPREFIX"
    # libfaketime itself rather than the faketime command, which would wait
    # for the wineserver to end; only the wall clock moves, the monotonic
    # clock stays real for every process of the prefix.
    local lib
    lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n 1)
    [ -n "$lib" ] || fail "libfaketime is missing"
    fake=(env LD_PRELOAD="$lib" FAKETIME="+${fake_offset}s" FAKETIME_DONT_FAKE_MONOTONIC=1)
    "${fake[@]}" wineserver -p
    fake_server=1
    log "faked clock: +${fake_offset} s; the minute $(date -d "@$minute_fake" '+%H:%M') begins at real $(date -d "@$minute_real" '+%H:%M:%S')"
}

# Runs every program of the current prefix, the probe too, inside one Wine
# desktop window. Without a window manager Wine waits 2 s for one each time
# a window with a title bar (a message box) is hidden; inside a Wine desktop
# it does not, and the title bars are drawn.
use_desktop() {
    printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\Explorer]' \
        '"Desktop"="Default"' '' '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' \
        '"Default"="1024x768"' >"$dir/desktop.reg"
    "${fake[@]}" wine regedit /S "$(winpath "$dir/desktop.reg")"
}

# A prefix of the test's own whose programs run inside one Wine desktop, so
# that activation works as on Windows (a popup closes when another window is
# clicked). Its wineserver is ended by cleanup.
own_desktop() {
    export WINEPREFIX=$dir/prefix
    "$src/tests/wine/env.sh" clone "$NY_RUN" "$WINEPREFIX"
    fake_server=1
    use_desktop
}

sleep_until() {  # real epoch seconds
    local d
    d=$(calc "$1 - $(now)")
    if [ "${d:0:1}" != - ]; then sleep "$d"; fi
}

# ---- listening ----------------------------------------------------------------
# parec records the null sink's monitor: 44.1 kHz, 16-bit, 2 channels, so a
# second is 176400 bytes. capture_mark ties a real moment to a place in the
# recording, so that real times can be looked up in it later.
readonly bytes_per_s=176400

capture_start() {
    parec -d cap.monitor --raw --latency-msec=10 >"$dir/cap.raw" 2>>"$dir/parec.log" &
    cap_pid=$!
    local i
    for ((i = 0; i < 50; i++)); do
        [ -s "$dir/cap.raw" ] && return 0
        sleep 0.1
    done
    fail "parec records nothing"
}

# Remembers (real time, seconds recorded) now. Taken from the file size,
# which lags the sound by parec's latency, so times found are late rather
# than early.
capture_mark() {
    local s t
    t=$(now)
    s=$(stat -L -c %s "$dir/cap.raw")
    mark_t=$t
    mark_c=$(calc "$s / $bytes_per_s")
}

# Where real time `t` is in the recording, in seconds.
capture_pos() { calc "$mark_c + ($1 - $mark_t)"; }

sox_raw() { sox -t raw -r 44100 -e signed -b 16 -c 2 "$@"; }

# RMS amplitude (full scale 1) of `len` seconds from real time t; a negative
# length means the seconds before t.
capture_rms_at() {  # t len
    local p len=$2
    p=$(capture_pos "$1")
    if [ "${len:0:1}" = - ]; then
        len=${len:1}
        p=$(calc "$p - $len")
    fi
    [ "${p:0:1}" = - ] && p=0
    sox_raw "$dir/cap.raw" -n trim "$p" "$len" stat 2>&1 | awk '/RMS +amplitude/ {print $3}'
}

# Seconds from real time t until sound starts (5 ms above 1% of full
# scale); empty when there is none.
capture_onset_after() {  # t
    local p total rest
    p=$(capture_pos "$1")
    total=$(stat -L -c %s "$dir/cap.raw")
    sox_raw "$dir/cap.raw" -t raw "$dir/rest.raw" trim "$p" silence 1 0.005 1% 2>/dev/null || true
    rest=$(stat -c %s "$dir/rest.raw" 2>/dev/null || echo 0)
    [ "$rest" -gt 0 ] || return 0
    calc "($total - $rest) / $bytes_per_s - $p"
}


# Seconds from real time t until the sound ends (the last 2 ms above 1% of
# full scale) within `span` seconds after it: 0 when silent from t on; empty
# when it still sounds at the end of the span.
capture_end_after() {  # t span
    local p total seg
    p=$(capture_pos "$1")
    sox_raw "$dir/cap.raw" -t raw "$dir/seg.raw" trim "$p" "$2" 2>/dev/null || true
    total=$(stat -c %s "$dir/seg.raw" 2>/dev/null || echo 0)
    sox_raw "$dir/seg.raw" -t raw "$dir/rest.raw" reverse silence 1 0.002 1% 2>/dev/null || true
    local rest
    rest=$(stat -c %s "$dir/rest.raw" 2>/dev/null || echo 0)
    [ "$rest" -lt "$total" ] || return 0
    calc "$rest / $bytes_per_s"
}

# The rough frequency (Hz, from zero crossings) of `len` seconds from real
# time t: each test tone is a sine of its own frequency.
capture_freq_at() {  # t len
    local p
    p=$(capture_pos "$1")
    sox_raw "$dir/cap.raw" -n trim "$p" "$2" remix 1 stat 2>&1 | awk '/Rough +frequency/ {print $3}'
}

# What a frequency says was heard: a test tone (its frequency), the default
# alarm.mp3 ("default"), the built-in chime ("chime") or nothing.
heard_as() {  # frequency rms
    local f
    f=$(num "$1")
    if below "$2" 0.01; then echo silence
    elif awk -v f="$f" 'BEGIN { exit !(f >= 1170 && f <= 1430) }'; then echo default
    elif awk -v f="$f" 'BEGIN { exit !(f >= 450 && f <= 800) }'; then echo chime
    else echo "$f"
    fi
}

# Ring tones that are no tones, made in `dir`: 5 MB of empty ID3v2 headers
# (id3chain.mp3) and a sparse 500 MB file of zeros (zeros.mp3).
make_hostile_tones() {  # dir
    mkdir -p "$1"
    local i
    printf 'ID3\x03\x00\x00\x00\x00\x00\x00' >"$1/id3chain.mp3"
    for ((i = 0; i < 19; i++)); do  # 10 bytes doubled 19 times: 5,242,880
        cat "$1/id3chain.mp3" "$1/id3chain.mp3" >"$1/id3chain.tmp"
        mv "$1/id3chain.tmp" "$1/id3chain.mp3"
    done
    rm -f "$1/zeros.mp3"
    truncate -s 500M "$1/zeros.mp3"
}
