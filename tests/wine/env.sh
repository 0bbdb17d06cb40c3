#!/usr/bin/env bash
# The headless world the end-to-end tests run the program in: an X server
# (Xvfb), a PulseAudio daemon whose only sink is a null sink named "cap" (what
# the program plays can be recorded from cap.monitor), and a Wine prefix with
# CJK font replacements. Everything lives in one run directory, so parallel
# runs and other users of the machine do not meet. NY_SCREEN sets the screen
# size (default 1024x768).
#
#   env.sh start RUN_DIR   sets it all up, writes RUN_DIR/env (to be sourced)
#   env.sh stop RUN_DIR    ends what start began (only those processes)
#   env.sh clone RUN_DIR DEST
#                          a fresh prefix at DEST (cheap: the big Windows
#                          folder is hard-linked), for tests that must start
#                          their own wineserver, e.g. under faketime
set -euo pipefail

cmd=${1:?usage: env.sh start|stop|clone RUN_DIR [DEST]}
run=$(realpath -m "${2:?run directory}")

start() {
    stop  # what an earlier run in this directory may have left
    rm -rf "$run"
    mkdir -p "$run/pulse" "$run/home"

    # X: the first free display number from 90 (the next one if another
    # program takes it at the same moment).
    local n=90 xpid
    while :; do
        while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 "${NY_SCREEN:-1024x768}x24" -nolisten tcp >"$run/xvfb.log" 2>&1 &
        xpid=$!
        for _ in $(seq 100); do
            { [ -e "/tmp/.X11-unix/X$n" ] || ! kill -0 $xpid 2>/dev/null; } && break
            sleep 0.1
        done
        if kill -0 $xpid 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then break; fi
        [ $n -lt 200 ] || { echo "env.sh: Xvfb did not start" >&2; exit 1; }
        n=$((n + 1))
    done
    echo $xpid >"$run/xvfb.pid"

    # Sound: a null sink to record from, on a private socket, no auth cookie.
    PULSE_RUNTIME_PATH="$run/pulse" PULSE_STATE_PATH="$run/pulse" HOME="$run/home" \
        pulseaudio --daemonize=yes --exit-idle-time=-1 -n --use-pid-file=yes \
        --load="module-null-sink sink_name=cap rate=44100" \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$run/pulse/native" \
        >"$run/pulse.log" 2>&1
    for _ in $(seq 100); do [ -S "$run/pulse/native" ] && break; sleep 0.1; done
    [ -S "$run/pulse/native" ] || { echo "env.sh: PulseAudio did not start" >&2; exit 1; }

    # Wine takes its language from the locale: zh_CN.UTF-8 (tools/deps.sh
    # makes it) gives 确定 and a Chinese calendar, as the Chinese Windows the
    # program is made for; without it, English in C.UTF-8. NY_WINE_LOCALE
    # picks one (the tests pass in both). NY_WINEDLLOVERRIDES replaces the
    # DLL overrides, e.g. "mscoree,mshtml=;winegstreamer=" for no GStreamer.
    local ny_locale=${NY_WINE_LOCALE:-C.UTF-8}
    if [ -z "${NY_WINE_LOCALE:-}" ] && locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
        ny_locale=zh_CN.UTF-8
    fi

    cat >"$run/env" <<EOF
export DISPLAY=:$n
export PULSE_SERVER=unix:$run/pulse/native
export PULSE_RUNTIME_PATH=$run/pulse
export WINEPREFIX=$run/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${NY_WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL=$ny_locale
export NY_RUN=$run
EOF
    # shellcheck disable=SC1091
    . "$run/env"

    wineboot --init >"$run/wineboot.log" 2>&1
    # Chinese text needs the UI fonts mapped to an installed CJK font.
    wine regedit /S "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/tools/wine-fonts.reg" >>"$run/wineboot.log" 2>&1
    # The tests' user has seen the tray hint: a balloon would stand in for
    # the icon's tooltip. The test of the hint takes the value away.
    wine reg add 'HKCU\Software\Ny闹钟' /v TrayHintShown /t REG_DWORD /d 1 /f >>"$run/wineboot.log" 2>&1
    wineserver -w
    ny_marlett "$WINEPREFIX"
    # Tests may fake other dates; a prefix must not update itself then.
    echo disable >"$WINEPREFIX/.update-timestamp"
    # The template that clones come from, taken before any test runs.
    clone_to "$run/template"
    echo "env.sh: ready: DISPLAY=:$n, prefix $WINEPREFIX"
}

# Title-bar buttons are glyphs of Wine's Marlett font (fonts-wine); the Wine
# here draws them (not the letters "0 1 r") only when the font is in the
# prefix's own Fonts folder.
ny_marlett() {  # prefix
    local f=/usr/share/wine/fonts/marlett.ttf
    if [ -f "$f" ] && [ ! -f "$1/drive_c/windows/Fonts/marlett.ttf" ]; then
        mkdir -p "$1/drive_c/windows/Fonts"
        cp "$f" "$1/drive_c/windows/Fonts/"
    fi
}

clone_to() {  # dest
    local src=${WINEPREFIX:?} dest=$1
    rm -rf "$dest"
    mkdir -p "$dest/drive_c"
    cp -a "$src"/*.reg "$src/.update-timestamp" "$dest/"
    cp -a "$src/dosdevices" "$dest/"
    for d in "$src"/drive_c/*; do
        if [ "$(basename "$d")" = windows ]; then cp -al "$d" "$dest/drive_c/"; else cp -a "$d" "$dest/drive_c/"; fi
    done
}

stop() {
    [ -f "$run/env" ] || return 0
    # shellcheck disable=SC1091
    . "$run/env"
    for p in "$run"/prefix "$run"/*/prefix; do
        [ -d "$p" ] && WINEPREFIX=$p wineserver -k 2>/dev/null || true
    done
    if [ -f "$run/pulse/pid" ]; then kill "$(cat "$run/pulse/pid")" 2>/dev/null || true; fi
    if [ -f "$run/xvfb.pid" ]; then kill "$(cat "$run/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$run/xvfb.pid" "$run/pulse/pid"
}

case $cmd in
    start) start ;;
    stop) stop ;;
    clone)
        # shellcheck disable=SC1091
        . "$run/env"
        WINEPREFIX=$run/template clone_to "$(realpath -m "${3:?destination}")"
        ;;
    *) echo "env.sh: unknown command $cmd" >&2; exit 2 ;;
esac
