# Shared by the tools/ scripts: paths, Wine environment and a virtual display.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# What is slow to make and the same for every checkout (the compiler cache,
# cross-built libraries) is kept here, outside the checkout, keyed by what
# made it; removing the folder only costs time.
cache_root="${VEXELO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vexelo}"

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

# Starts Xvfb on a free display, exports DISPLAY and sets xvfb_pid. Xvfb picks
# the number itself: two runs that picked the same free number at once would
# share one server, and the first to end would take it from the other.
xvfb_pid=""
start_xvfb() {
  local number
  number=$(mktemp) || return 1
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$number" >/dev/null 2>&1 7>&- 8>&- &
  xvfb_pid=$!
  for _ in $(seq 100); do
    if [ -s "$number" ]; then
      export DISPLAY=":$(head -n 1 "$number")"
      rm -f "$number"
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number"
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=""
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
    exec 7>&- 8>&-
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
  wine cmd /c exit </dev/null >/dev/null 2>&1 7>&- 8>&-
}

# Runs without a display share one Xvfb, started by the first and stopped with
# Wine by the last to leave: each run holds the users lock shared while it
# runs, and joining and leaving take the state lock. (A private Xvfb per run
# would not do: the runs share one wineserver, and one run's clean-up would
# end the others' programs.)
join_shared_display() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 8>"$WINEPREFIX.display-state.lock" 7>"$WINEPREFIX.display-users.lock"
  flock 8
  local shared="$WINEPREFIX.display" display pid
  if [ -f "$shared" ] && read -r display pid <"$shared" && DISPLAY=$display display_answers; then
    export DISPLAY=$display
  else
    start_xvfb || { flock -u 8; return 1; }
    echo "$DISPLAY $xvfb_pid" >"$shared"
  fi
  flock -s 7
  flock -u 8
}

leave_shared_display() {
  flock 8
  flock -u 7
  local display pid
  if flock -n -x 7 && read -r display pid <"$WINEPREFIX.display"; then
    xvfb_pid=$pid
    stop_xvfb
    rm -f "$WINEPREFIX.display"
  fi
  flock -u 8
}
