#!/usr/bin/env bash
# view_model.sh UNPACKED MODEL REFERENCE
# view-model.bat of the unpacked Windows download (folder UNPACKED) on MODEL,
# 2CylinderEngine.glb: Engine shows its blue and grey parts, which the shipped
# cube's picture REFERENCE lacks (as engine_shows_converted_models.sh checks
# the native converter's), ends on Escape, and the scratch copy under %TEMP%
# goes with it.
set -u
unpacked=$1 model=$2 reference=$3
. "$(dirname "$0")/../../tools/lib/common.sh"
. "$(dirname "$0")/../support/engine_screen.sh"

shot=$(mktemp --suffix=.png) || exit 1
run_pid=""
# The scratch copies view-model.bat makes in Wine's %TEMP%.
scratch_copies() { ls -d "$WINEPREFIX"/drive_c/users/*/Temp/vexelo-view-model-* 2>/dev/null; }
finish() {
  if [ -n "$run_pid" ] && kill -0 "$run_pid" 2>/dev/null; then
    echo "view-model.bat did not end on Escape; stopping it and its Engine"
    # Its Engine, by the scratch copy's unique name: left running full
    # screen, it would spoil the tests after this one.
    local copy
    for copy in $(scratch_copies); do pkill -f -- "${copy##*/}.bin.Engine.exe"; done
    kill "$run_pid"
  fi
  stop_xvfb
  rm -f "$shot"
}
trap finish EXIT
start_wine_on_display || exit 1

status=0
fail() { echo "FAILED: $1"; status=1; }
# What an earlier run that failed left is not this run's.
rm -rf $(scratch_copies)
(cd "$unpacked" && exec wine cmd /c view-model.bat "$(windows_path "$model")" </dev/null) &
run_pid=$!
await_lit_centre "$shot" || fail "no picture: the centre of the screen stays black"
end_with_escape "$run_pid" || fail "Engine did not end on Escape"
run_pid=""
expect_shown "$shot" "$reference" 50 blue grey
left=$(scratch_copies)
[ -z "$left" ] || fail "the scratch copy is left: $left"
[ $status -eq 0 ] || { mkdir -p "$unpacked/../screenshots" && cp "$shot" "$unpacked/../screenshots/view-model.png"; }
exit $status
