#!/usr/bin/env bash
# Builds Ny闹钟 and starts it. On Linux it runs under Wine: on your desktop
# when DISPLAY is set, otherwise on a virtual screen (Xvfb) whose number is
# printed, so that you can take screenshots of it. The alarms are kept beside
# the program, in build/windows/ny.edb.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/deps.sh run

cmake --preset windows
cmake --build --preset windows -j"$(nproc)" --target nyclock
exe="$root/build/windows/Ny闹钟.exe"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
case "${LC_ALL:-${LANG:-}}" in *UTF-8*|*utf8*) ;; *) export LANG=C.UTF-8 ;; esac

if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  export DISPLAY=":$n"
  sleep 1
  echo "No DISPLAY: Ny闹钟 runs on the virtual screen $DISPLAY"
  echo "  (screenshot: DISPLAY=$DISPLAY import -window root shot.png)"
  desktop=1
fi

# Sound goes through PulseAudio; without a running server start one, with a
# silent sink when the machine has no sound card.
if ! pactl info >/dev/null 2>&1; then
  pulseaudio --daemonize=yes --exit-idle-time=-1 >/dev/null 2>&1 || true
  sleep 1
  if ! pactl list short sinks 2>/dev/null | grep -q .; then
    pactl load-module module-null-sink sink_name=ny_silent >/dev/null 2>&1 || true
  fi
fi

if [ ! -d "$WINEPREFIX" ]; then
  echo "Preparing a Wine prefix in $WINEPREFIX (about 10 s, once)…"
  wineboot --init >/dev/null 2>&1
  # Chinese text needs the UI fonts mapped to an installed CJK font.
  wine regedit /S "$root/tools/wine-fonts.reg" >/dev/null 2>&1
  wineserver -w
fi

echo "Starting $exe"
if [ -n "${desktop:-}" ]; then
  # A virtual screen has no window manager: a Wine desktop draws title bars.
  exec wine explorer /desktop=Ny,1024x768 "$exe"
else
  exec wine "$exe"
fi
