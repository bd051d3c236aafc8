# Shared by the tools/ scripts: paths, Wine environment and a virtual display.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

wine_environment() {
  export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono/Gecko installer prompts; no crash debugger, so a crash ends the process.
  case "${WINEDLLOVERRIDES:-}" in
    *winedbg.exe=d*) ;;
    *) export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
  esac
}

display_answers() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }

# Starts Xvfb on a free display, exports DISPLAY and sets xvfb_pid.
xvfb_pid=""
start_xvfb() {
  local n
  for n in $(seq 90 189); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do display_answers && return 0; sleep 0.1; done
    kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=""
  done
  echo "could not start Xvfb" >&2
  return 1
}

# Lets this prefix's Wine processes end (they draw on our display), then stops Xvfb.
stop_xvfb() {
  [ -n "$xvfb_pid" ] || return 0
  timeout 20 wineserver -w >/dev/null 2>&1 || wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}

# Creates the prefix on first use; concurrent first users wait on the lock.
ensure_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.ready" ]; then
      wineboot -i >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.ready"
    fi
    if [ ! -f "$WINEPREFIX/.unmanaged" ]; then
      # Xvfb has no window manager: unmanaged windows close at once instead of
      # Wine waiting two seconds for a manager that never answers.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.unmanaged"
    fi
  ) 9>"$WINEPREFIX.lock"
}

start_wine_services() {
  # Wine's own background processes start with the first program and live on;
  # started here, they hold /dev/null instead of the caller's output pipes,
  # which would otherwise keep a test runner waiting after the test ended.
  wine cmd /c exit </dev/null >/dev/null 2>&1
}
