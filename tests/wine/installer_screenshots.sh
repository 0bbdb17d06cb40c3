#!/usr/bin/env bash
# Screenshots of the installer's and the uninstaller's pages for the README,
# taken of the real setup under Wine in the zh_CN locale (inside a Wine
# desktop, so that title bars are drawn), walked through with the keyboard.
#
#   installer_screenshots.sh SETUP.exe PROBE.exe OUT_DIR
#
# Writes OUT_DIR/installer-{welcome,folder,finish}.png and
# uninstaller-{data,confirm,finish}.png.
set -euo pipefail

setup=$(realpath "${1:?setup.exe}")
NY_PROBE=$(realpath "${2:?probe}")
outdir=$(realpath -m "${3:?output directory}")
here=$(cd "$(dirname "$0")" && pwd)
NY_EXE=$setup NY_TONE=/dev/null
export NY_EXE NY_PROBE NY_TONE
NY_RUN=$(mktemp -d /tmp/ny-setup-shots.XXXXXX)
export NY_RUN

"$here/env.sh" start "$NY_RUN" >/dev/null
# shellcheck disable=SC1091
. "$NY_RUN/env"
# shellcheck source=lib.sh
. "$here/lib.sh"
name=installer_screenshots
dir=$NY_RUN/t-$name
mkdir -p "$dir" "$outdir"
finish() {
    local status=$?
    set +e
    [ $status -eq 0 ] || { tail -n 5 "$dir"/*.log "$dir/probe.err" >&2; probe_may_fail windows; }
    "$here/env.sh" stop "$NY_RUN"
    rm -rf "$NY_RUN"
    exit $status
}
trap finish EXIT
use_desktop
wineserver -w

# The page of the window titled $1, cut from the whole screen; then the keys.
page() {  # title file keys...
    local title=$1 file=$2
    shift 2
    probe dialog "$title" 20000
    local x y w h
    read -r x y w h <<<"$(val rect)"
    sleep 1
    import -display "$DISPLAY" -window root "$dir/screen.png"
    convert "$dir/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$outdir/$file"
    log "wrote $outdir/$file"
    [ $# -eq 0 ] || probe dialog "$title" 2000 "$@"
    sleep 1.5
}

wine "$setup" >"$dir/setup.log" 2>&1 &
page "安装" installer-welcome.png enter
page "安装" installer-folder.png enter
sleep 2
page "安装" installer-finish.png enter   # 现在运行 is ticked: the program starts
probe wait-main 20000
log "the finish page started the program"

inst=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Ny闹钟 | grep -v /Public/ | head -n 1)
wine "$inst/uninstall.exe" >"$dir/uninstall.log" 2>&1 &
page "卸载" uninstaller-data.png enter
page "卸载" uninstaller-confirm.png enter
sleep 3
page "卸载" uninstaller-finish.png enter
wineserver -w
