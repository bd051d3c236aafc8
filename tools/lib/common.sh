# Shared by the tools/ scripts: paths, Wine environment and a virtual display.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# What is slow to make and the same for every checkout (the compiler cache,
# cross-built libraries) is kept here, outside the checkout, keyed by what
# made it; removing the folder only costs time.
cache_root="${VEXELO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vexelo}"

# The compiler cache (CMake compiles through ccache where it is installed).
# Paths under the checkout are hashed relative to it, so that a fresh clone
# elsewhere finds what an earlier one compiled.
export CCACHE_DIR="${CCACHE_DIR:-$cache_root/ccache}"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=true
# The tests' precompiled header (cmake/VexeloTesting.cmake) is hashed whole.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
# What a file includes is taken from the compiler's dependency list instead of
# a run of the preprocessor: a first build costs a quarter less.
export CCACHE_DEPEND=true

# A test that ctest gave a Wine slot (tests/wine-slots.json) runs in the
# slot's own prefix, and so its own wineserver and desktop, on the slot's
# display when tools/test started one (VEXELO_DISPLAY_<slot>).
wine_environment() {
  local slot display
  if [[ "${CTEST_RESOURCE_GROUP_0_WINE:-}" =~ id:([0-9]+) ]]; then
    slot=${BASH_REMATCH[1]}
    export WINEPREFIX="$root/build/wineprefix-$slot"
    display="VEXELO_DISPLAY_$slot"
    [ -z "${!display:-}" ] || export DISPLAY="${!display}"
  fi
  export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
  export WINEARCH=win64
  # Mesa's compiled shaders, kept with the project's cache: a quarter of the
  # processor time of a test that makes devices again and again.
  export MESA_SHADER_CACHE_DIR="${MESA_SHADER_CACHE_DIR:-$cache_root/mesa-shaders}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono/Gecko installer prompts; no crash debugger, so a crash ends the process.
  case "${WINEDLLOVERRIDES:-}" in
    *winedbg.exe=d*) ;;
    *) export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
  esac
}

# windows_path PATH: the Unix PATH as a Windows program under Wine names it
# (Wine's drive Z: is the Unix root).
windows_path() { local path=$1; echo "Z:${path//\//\\}"; }

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

# Creates the prefix on first use, as a copy of one made once per Wine version
# in the project's cache: wineboot takes half a minute, a copy a moment. Its
# 600 MB of system DLLs, which only an update of Wine would write, are linked
# rather than copied. Concurrent first users wait on the lock.
ensure_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    exec 7>&- 8>&-
    flock 9
    if [ ! -f "$WINEPREFIX/.ready" ]; then
      local template
      template=$(prefix_template) || exit 1
      rm -rf "$WINEPREFIX"
      mkdir -p "$WINEPREFIX/drive_c/windows"
      tar -C "$template" --exclude=./drive_c/windows/system32 -cf - . | tar -C "$WINEPREFIX" -xf - &&
        cp -al "$template/drive_c/windows/system32" "$WINEPREFIX/drive_c/windows/" || exit 1
    fi
  ) 9>"$WINEPREFIX.lock"
}

# Prints the folder of the cached prefix, making it first if needed.
prefix_template() {
  local version template
  version=$(wine --version | tr -c 'A-Za-z0-9.\n-' '_')
  template="$cache_root/wineprefix-$version"
  mkdir -p "$cache_root"
  (
    flock 9
    if [ ! -f "$template/.ready" ]; then
      rm -rf "$template"
      export WINEPREFIX=$template
      wineboot -i >/dev/null 2>&1
      wineserver -w
      # Xvfb has no window manager: unmanaged windows close at once instead of
      # Wine waiting two seconds for a manager that never answers.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      wineserver -w
      touch "$template/.ready"
    fi
  ) 9>"$template.lock" >&2 || return 1
  echo "$template"
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

# A table of how long each step took, for the end of a run: `timed NAME
# command...` runs the command and notes its wall time, the processor time of
# the processes it waited for, and its result. The outermost script that
# calls timing_start prints the table with timing_report; the scripts it runs
# add their rows to the same table.
timing_start() {
  if [ -z "${VEXELO_TIMINGS:-}" ]; then
    VEXELO_TIMINGS=$(mktemp) || return 1
    export VEXELO_TIMINGS
    timing_owner=yes
    timing_began=$(date +%s.%N)
  fi
}

# Sets children_cpu to the processor time, user and system, of this shell's
# waited-for children (times must run in this shell, not in a subshell).
children_seconds() {
  local file="$VEXELO_TIMINGS.$BASHPID.times"
  times >"$file"
  children_cpu=$(awk 'NR == 2 { t = 0; for (i = 1; i <= NF; ++i) { split($i, p, "m"); t += p[1] * 60 + p[2] } print t }' "$file")
  rm -f "$file"
}

timed() {
  local name=$1 began cpu status
  shift
  [ -n "${VEXELO_TIMINGS:-}" ] || { "$@"; return; }
  began=$(date +%s.%N)
  children_seconds
  cpu=$children_cpu
  "$@"
  status=$?
  children_seconds
  local wall
  wall=$(awk "BEGIN { print $(date +%s.%N) - $began }")
  printf '%s\t%s\t%s\t%s\n' "$name" "$wall" "$(awk "BEGIN { print $children_cpu - $cpu }")" "$status" >>"$VEXELO_TIMINGS"
  # Where output goes to a log, the step's end is also said where the run was started.
  [ -z "${VEXELO_PROGRESS:-}" ] ||
    printf '%s  %-34s %s after %.0f s\n' "$(date +%T)" "$name" "$([ $status -eq 0 ] && echo passed || echo FAILED)" \
      "$wall" >>"$VEXELO_PROGRESS" 2>/dev/null
  return $status
}

timing_report() {
  [ "${timing_owner:-}" = yes ] || return 0
  local total
  total=$(awk "BEGIN { print $(date +%s.%N) - $timing_began }")
  echo
  echo "== Time of each step: wall, and processor (its processes, user and system)"
  awk -F '\t' -v total="$total" '
    { printf "%-34s %7.1f s %8.1f s  %s\n", $1, $2, $3, ($4 == 0 ? "" : "FAILED") }
    END { printf "%-34s %7.1f s\n", "total", total }' "$VEXELO_TIMINGS"
  rm -f "$VEXELO_TIMINGS"
}
