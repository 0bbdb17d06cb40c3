#!/usr/bin/env bash
# Figures of the installer under Wine (zh_CN), in the headless world of the
# end-to-end tests; never fails on them.
#
#   install_bench.sh SETUP.exe [RUNS]
#
# Prints the setup's and the portable zip's sizes, and per run the time of a
# silent first install, a silent upgrade over it (nothing running) and a
# silent uninstall (`_?=`, so that it runs to its end before returning).
set -euo pipefail

setup=$(realpath "${1:?setup.exe}")
runs=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
NY_EXE=$setup NY_PROBE=/dev/null NY_TONE=/dev/null
export NY_EXE NY_PROBE NY_TONE
NY_RUN=$(mktemp -d /tmp/ny-install-bench.XXXXXX)
export NY_RUN
"$here/../tests/wine/env.sh" start "$NY_RUN" >/dev/null
finish() {
    "$here/../tests/wine/env.sh" stop "$NY_RUN" >/dev/null 2>&1
    rm -rf "$NY_RUN"
}
trap finish EXIT
# shellcheck disable=SC1091
. "$NY_RUN/env"

zip=${setup%-setup.exe}-portable.zip
echo "setup:        $(stat -c %s "$setup") bytes"
[ -f "$zip" ] && echo "portable zip: $(stat -c %s "$zip") bytes"

inst_unix=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local | grep -v /Public/ | head -n 1)/Programs/Ny闹钟
user=$(basename "$(dirname "$(dirname "$(dirname "$(dirname "$inst_unix")")")")")
inst='C:\users\'"$user"'\AppData\Local\Programs\Ny闹钟'
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null 2>&1; t1=$(date +%s.%N); awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }'; }
{ wine "$setup" /S && wine "$inst\\uninstall.exe" /S "_?=$inst"; } >/dev/null 2>&1 || true  # warm the prefix
for ((i = 1; i <= runs; i++)); do
    a=$(seconds wine "$setup" /S)
    b=$(seconds wine "$setup" /S)
    c=$(seconds wine "$inst\\uninstall.exe" /S "_?=$inst")
    echo "run $i: install ${a} s, upgrade ${b} s, uninstall ${c} s"
done
