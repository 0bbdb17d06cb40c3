# Sourced by the screenshot scripts: a Wine world of its own with a desktop
# window (so that title bars are drawn), at the DPI asked for, and the
# program copied to C:\Ny闹钟, where a user would keep it. The caller sets
# `name` and passes its arguments:
#   PROGRAM.exe PROBE.exe ALARM.mp3 OUT_DIR [DPI]
# It then has $outdir, $dpi, $suffix (-DPIdpi at another DPI than 96), the
# helpers of lib.sh, and $dir = C:\Ny闹钟 with nothing started yet.

NY_EXE=$(realpath "${1:?program}")
NY_PROBE=$(realpath "${2:?probe}")
NY_TONE=$(realpath "${3:?alarm.mp3}")
outdir=$(realpath -m "${4:?output directory}")
dpi=${5:-96}
suffix=
if [ "$dpi" != 96 ]; then
    suffix=-${dpi}dpi
    # Room for the window at that DPI, as such a screen has.
    NY_SCREEN=$(( 1024 * dpi / 96 ))x$(( 768 * dpi / 96 ))
    export NY_SCREEN
fi
here=$(cd "$(dirname "$0")" && pwd)
export NY_EXE NY_PROBE NY_TONE
NY_RUN=$(mktemp -d /tmp/ny-shots.XXXXXX)
export NY_RUN

"$here/env.sh" start "$NY_RUN" >/dev/null
# shellcheck disable=SC1091
. "$NY_RUN/env"
# shellcheck source=lib.sh
. "$here/lib.sh"
setup_test "$name"
finish() {
    local status=$?
    set +e
    [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null
    "$here/env.sh" stop "$NY_RUN"
    rm -rf "$NY_RUN"
    exit $status
}
trap finish EXIT

use_desktop
if [ "$dpi" != 96 ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$NY_SCREEN" /f >/dev/null 2>&1
fi
wineserver -w
mkdir -p "$WINEPREFIX/drive_c/Ny闹钟"
mv "$dir/$exe" "$dir/$(basename "$NY_TONE")" "$WINEPREFIX/drive_c/Ny闹钟/"
dir=$WINEPREFIX/drive_c/Ny闹钟

day() { date -d "+$1 day" "+%Y-%m-%d $2:00"; }

# The window the last probe found (its rect), with room to spare on the
# right and below, cut from the whole screen into FILE.
shot_rect() {  # file [extra-width extra-height]
    local x y w h
    read -r x y w h <<<"$(val rect)"
    sleep 1.2  # let the clock label tick and everything repaint
    import -display "$DISPLAY" -window root "$dir/screen.png"
    mkdir -p "$outdir"
    convert "$dir/screen.png" -crop "$((w + ${2:-0}))x$((h + ${3:-0}))+${x}+${y}" +repage "$1"
    log "wrote $1"
}
