# A private, headless Windows environment for running the program under Wine.
# Source it from bash:
#
#   . tools/wine-env.sh            # Xvfb, a fresh Wine prefix with CJK fonts
#   ny_wine "$exe" &               # run the program (under faketime if asked)
#   ny_wine_desktop "$exe" &       # the same inside a Wine desktop window (see below)
#   ny_wine_shot /tmp/shot.png     # screenshot of the whole screen
#   ny_wine_cleanup                # end what this script started, remove the work dir
#
# Settings, read when sourced (all optional):
#   NY_WINE_ROOT      work directory, created if missing (default: a new mktemp -d)
#   NY_WINE_DISPLAY   X display number (default: the first free one from 90 up)
#   NY_WINE_PULSE     1: also start a private PulseAudio with a null sink (default 0)
#   NY_WINE_FAKETIME  a faketime time spec such as '@2026-05-20 07:29:58': the
#                     wineserver and ny_wine run under it (the prefix is made first,
#                     on the real clock)
#   NY_WINE_KEEP      1: ny_wine_cleanup leaves the work directory in place
#
# Exported for the caller:
#   DISPLAY, WINEPREFIX (=$NY_WINE_ROOT/prefix), WINEDEBUG, WINEDLLOVERRIDES,
#   NY_WINE_ROOT, NY_XVFB_PID, NY_WINE_DRIVE_C (=$WINEPREFIX/drive_c)
#   NY_WINESERVER_PID (only with NY_WINE_FAKETIME: the faked wineserver)
#   with NY_WINE_PULSE=1: PULSE_RUNTIME_PATH, PULSE_SERVER, NY_PULSE_SINK (=cap),
#   NY_PULSE_MONITOR (=cap.monitor; record it with: parec -d "$NY_PULSE_MONITOR" --raw)
#
# Functions: ny_wine CMD..., ny_wine_desktop EXE [ARGS], ny_wine_shot FILE, ny_wine_cleanup.
#
# Plain Xvfb has no window manager: windows get no title bar, and a click on
# another window moves the X focus only after the click has been handled, so a
# popup that closes when it loses activation closes too late or eats the next
# click. Inside a Wine desktop (ny_wine_desktop) Wine manages activation itself,
# as Windows does, and draws title bars and a tray; the program's exit code is
# then not passed back (explorer's is).
# Every process is ended by the id this script saved, never by name.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine turns Unix file names into Windows ones through the locale.
case "${LC_ALL:-${LANG:-}}" in *UTF-8*|*utf8*) ;; *) export LANG=C.UTF-8 ;; esac

NY_WINE_ROOT=${NY_WINE_ROOT:-$(mktemp -d /tmp/nywine.XXXXXX)}
mkdir -p "$NY_WINE_ROOT"
export NY_WINE_ROOT
export WINEPREFIX="$NY_WINE_ROOT/prefix"
export NY_WINE_DRIVE_C="$WINEPREFIX/drive_c"

# --- display -------------------------------------------------------------------
ny__start_xvfb() {
  local n=${NY_WINE_DISPLAY:-90} last=$(( ${NY_WINE_DISPLAY:-90} + 100 ))
  while [ "$n" -lt "$last" ]; do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$NY_WINE_ROOT/xvfb.log" 2>&1 &
      NY_XVFB_PID=$!
      local i
      for i in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        kill -0 "$NY_XVFB_PID" 2>/dev/null || break
        sleep 0.1
      done
      if kill -0 "$NY_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n" NY_XVFB_PID
        return 0
      fi
      # Someone took the number meanwhile: try the next one.
    fi
    [ -n "${NY_WINE_DISPLAY:-}" ] && break
    n=$((n + 1))
  done
  echo "wine-env: no X display could be started" >&2
  return 1
}

# --- sound ---------------------------------------------------------------------
ny__start_pulse() {
  export PULSE_RUNTIME_PATH="$NY_WINE_ROOT/pulse"
  export PULSE_STATE_PATH="$NY_WINE_ROOT/pulse-state"
  export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
  export NY_PULSE_SINK=cap NY_PULSE_MONITOR=cap.monitor
  mkdir -p "$PULSE_RUNTIME_PATH" "$PULSE_STATE_PATH" "$NY_WINE_ROOT/pulse-home"
  # Its own socket, no cookie: nothing is shared with another PulseAudio.
  HOME="$NY_WINE_ROOT/pulse-home" pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
    --use-pid-file=yes --load="module-null-sink sink_name=cap rate=44100" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native" \
    >"$NY_WINE_ROOT/pulse.log" 2>&1
  local i
  for i in $(seq 50); do
    [ -S "$PULSE_RUNTIME_PATH/native" ] && return 0
    sleep 0.1
  done
  echo "wine-env: PulseAudio did not start (see $NY_WINE_ROOT/pulse.log)" >&2
  return 1
}

# --- prefix ----------------------------------------------------------------------
ny__make_prefix() {
  wineboot --init >"$NY_WINE_ROOT/wineboot.log" 2>&1
  # Chinese text needs the UI fonts mapped to an installed CJK font.
  cat >"$NY_WINE_ROOT/fonts.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"宋体"="WenQuanYi Micro Hei"
"Tahoma"="WenQuanYi Micro Hei"
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
EOF
  wine regedit /S "$NY_WINE_ROOT/fonts.reg" >>"$NY_WINE_ROOT/wineboot.log" 2>&1
  wineserver -w
  # A faked earlier date would otherwise start a prefix update.
  echo disable >"$WINEPREFIX/.update-timestamp"
  if [ -n "${NY_WINE_FAKETIME:-}" ]; then
    # Timers only follow the faked clock when the wineserver runs under it too.
    faketime -f "$NY_WINE_FAKETIME" wineserver -f -p >"$NY_WINE_ROOT/wineserver.log" 2>&1 &
    NY_WINESERVER_PID=$!
    export NY_WINESERVER_PID
    local socket i
    socket=$(printf '/tmp/.wine-%d/server-%x-%x/socket' "$(id -u)" \
      "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    for i in $(seq 50); do
      [ -S "$socket" ] && break
      sleep 0.1
    done
  fi
}

ny_wine() {
  if [ -n "${NY_WINE_FAKETIME:-}" ]; then
    faketime -f "$NY_WINE_FAKETIME" wine "$@"
  else
    wine "$@"
  fi
}

ny_wine_desktop() {
  ny_wine explorer "/desktop=ny,1024x768" "$@"
}

ny_wine_shot() {
  import -window root "$1"
}

ny_wine_cleanup() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null
  if [ -n "${NY_WINESERVER_PID:-}" ]; then
    wait "$NY_WINESERVER_PID" 2>/dev/null
    NY_WINESERVER_PID=
  fi
  if [ -n "${NY_XVFB_PID:-}" ]; then
    kill "$NY_XVFB_PID" 2>/dev/null
    wait "$NY_XVFB_PID" 2>/dev/null
    NY_XVFB_PID=
  fi
  if [ -n "${PULSE_RUNTIME_PATH:-}" ] && [ -f "$PULSE_RUNTIME_PATH/pid" ]; then
    kill "$(cat "$PULSE_RUNTIME_PATH/pid")" 2>/dev/null
  fi
  if [ "${NY_WINE_KEEP:-0}" != 1 ] && [ -n "${NY_WINE_ROOT:-}" ]; then
    rm -rf "$NY_WINE_ROOT"
  fi
}

ny__start_xvfb || return 1 2>/dev/null || exit 1
if [ "${NY_WINE_PULSE:-0}" = 1 ]; then
  ny__start_pulse || return 1 2>/dev/null || exit 1
fi
ny__make_prefix
