#!/usr/bin/env bash
# Builds Ny闹钟 and starts it. On Linux it runs under Wine: on your desktop
# when DISPLAY is set, otherwise on a virtual screen (Xvfb) whose number is
# printed, so that you can take screenshots of it. The alarms are kept beside
# the program, in build/windows/ny.edb. When the program ends, whatever this
# command started for it (Xvfb, PulseAudio, the prefix's Wine processes)
# ends too.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/deps.sh run

cmake --preset windows
cmake --build --preset windows -j"$(nproc)" --target nyclock
exe="$root/build/windows/Ny闹钟.exe"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
# Chinese Windows is what the program is made for: 确定 on its message boxes,
# a Chinese calendar (tools/deps.sh generates the locale).
if locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
  export LC_ALL=zh_CN.UTF-8
else
  case "${LC_ALL:-${LANG:-}}" in *UTF-8*|*utf8*) ;; *) export LANG=C.UTF-8 ;; esac
fi

xvfb_pid= pulse_pid= own_dir=
cleanup() {
  set +e
  # The prefix's own processes (wineserver, services, the desktop window).
  wineserver -k 2>/dev/null
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  [ -n "$own_dir" ] && rm -rf "$own_dir"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  sleep 1
  echo "No DISPLAY: Ny闹钟 runs on the virtual screen $DISPLAY"
  echo "  (screenshot: DISPLAY=$DISPLAY import -window root shot.png)"
  desktop=1
fi

# Sound goes through PulseAudio; without a running server start one of our
# own (on a private socket), with a silent sink when the machine has no
# sound card.
if ! pactl info >/dev/null 2>&1; then
  own_dir=$(mktemp -d /tmp/ny-run.XXXXXX)
  PULSE_RUNTIME_PATH=$own_dir PULSE_STATE_PATH=$own_dir HOME=$own_dir \
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-always-sink \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$own_dir/native" \
    >/dev/null 2>&1 &
  pulse_pid=$!
  export PULSE_SERVER=unix:$own_dir/native
  for _ in $(seq 50); do [ -S "$own_dir/native" ] && break; sleep 0.1; done
  # A sound card, if the machine has one; otherwise the silent sink stays.
  pactl load-module module-udev-detect >/dev/null 2>&1 || true
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Preparing a Wine prefix in $WINEPREFIX (about 10 s, once)…"
  wineboot --init >/dev/null 2>&1
  # Chinese text needs the UI fonts mapped to an installed CJK font.
  wine regedit /S "$root/tools/wine-fonts.reg" >/dev/null 2>&1
  wineserver -w
fi
# Title-bar buttons are glyphs of Wine's Marlett font (fonts-wine); the Wine
# here draws them only when the font is in the prefix's own Fonts folder.
marlett=/usr/share/wine/fonts/marlett.ttf
if [ -f "$marlett" ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
fi

echo "Starting $exe"
if [ -n "${desktop:-}" ]; then
  # A virtual screen has no window manager: a Wine desktop draws title bars.
  wine explorer /desktop=Ny,1024x768 "$exe" || true
else
  wine "$exe" || true
fi
