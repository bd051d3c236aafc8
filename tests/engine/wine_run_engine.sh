#!/usr/bin/env bash
# wine_run_engine.sh BUILD
# BUILD's Engine started by hand, as the README says: tools/wine-run from the
# repository root. It runs in its own folder, so it finds ../Engine/, draws
# its first frame with no message box, and ends on Escape.
set -u
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tools/lib/common.sh"
. "$root/tests/support/engine_screen.sh"

wine_environment
display_answers || start_xvfb || exit 1
run_pid=""
finish() {
  if [ -n "$run_pid" ] && kill -0 "$run_pid" 2>/dev/null; then
    pkill -P "$run_pid"
    kill "$run_pid"
  fi
  stop_xvfb
}
trap finish EXIT

shot="$build/screenshots/wine-run-engine.png"
mkdir -p "$build/screenshots" && cd "$root" || exit 1
tools/wine-run "$(realpath --relative-to=. "$build/bin/Engine.exe")" &
run_pid=$!
status=0
await_lit_centre "$shot" || { echo "FAILED: no first frame"; status=1; }
boxes=$(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | grep -vx Engine)
[ -z "$boxes" ] || { echo "FAILED: a box is shown: $boxes"; status=1; }
end_with_escape "$run_pid" || { echo "FAILED: Engine did not end on Escape"; status=1; }
[ $status -eq 0 ] || echo "picture: $shot"
exit $status
