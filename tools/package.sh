#!/usr/bin/env bash
# Builds the release program and makes the two downloads in dist/:
#   Ny闹钟-<version>-setup.exe     per-user installer (NSIS), no admin rights
#   Ny闹钟-<version>-portable.zip  Ny闹钟.exe, alarm.mp3 and 说明.txt
# The version is the project's (CMakeLists.txt: project(NyClock VERSION ...)).
# NY_BUILD_DIR: an already configured Windows build to package (the tests
# pass theirs); otherwise the windows preset is configured and built here.
# NY_DIST: where the files go (default dist/).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/deps.sh package >&2

if [ -n "${NY_BUILD_DIR:-}" ]; then
  build=$(realpath "$NY_BUILD_DIR")
  cmake --build "$build" --target nyclock ny_alarm_tone >&2
else
  build=$root/build/windows
  cmake --preset windows >&2
  cmake --build --preset windows -j"$(nproc)" --target nyclock ny_alarm_tone >&2
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
case "$version" in
  [0-9]*.[0-9]*.[0-9]*) ;;
  *) echo "package.sh: no project version x.y.z in $build/CMakeCache.txt" >&2; exit 1 ;;
esac
exe="$build/Ny闹钟.exe"
for f in "$exe" "$build/alarm.mp3"; do
  [ -f "$f" ] || { echo "package.sh: $f was not built" >&2; exit 1; }
done

dist=${NY_DIST:-$root/dist}
mkdir -p "$dist"
setup="$dist/Ny闹钟-$version-setup.exe"
portable="$dist/Ny闹钟-$version-portable.zip"
rm -f "$setup" "$portable"

# The welcome and finish pages' picture: the program's clock, drawn anew.
wizbmp="$build/installer-side.bmp"
python3 tools/make_icon.py --wizard "$wizbmp" >&2

# makensis wants Windows-style paths for File; Z: maps to / in Wine and the
# backslashes only separate, so the Linux paths are given with / as they are.
makensis -V2 -INPUTCHARSET UTF8 \
  -DVERSION="$version" -DSRCDIR="$build" \
  -DICON="$root/platform/win32/res/ny.ico" -DWIZBMP="$wizbmp" -DOUTFILE="$setup" \
  tools/package/installer.nsi >&2

python3 tools/package/make_zip.py "$portable" \
  "$exe=Ny闹钟.exe" "$build/alarm.mp3=alarm.mp3" "tools/package/说明.txt=说明.txt"

echo "$setup"
echo "$portable"
