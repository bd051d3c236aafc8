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
finish() {
  if [ -n "$run_pid" ] && kill -0 "$run_pid" 2>/dev/null; then
    echo "view-model.bat did not end on Escape; stopping it"
    kill "$run_pid"
  fi
  stop_xvfb
  rm -f "$shot"
}
trap finish EXIT
wine_environment
display_answers || start_xvfb || exit 1
ensure_prefix
start_wine_services

status=0
fail() { echo "FAILED: $1"; status=1; }
(cd "$unpacked" && exec wine cmd /c view-model.bat "Z:${model//\//\\}" </dev/null) &
run_pid=$!
await_lit_centre "$shot" || fail "no picture: the centre of the screen stays black"
end_with_escape "$run_pid" || fail "Engine did not end on Escape"
run_pid=""
expect_shown "$shot" "$reference" 50 blue grey
left=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp/vexelo-view-model-* "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp/vexelo-view-model-* 2>/dev/null)
[ -z "$left" ] || fail "the scratch copy is left: $left"
[ $status -eq 0 ] || { mkdir -p "$unpacked/../screenshots" && cp "$shot" "$unpacked/../screenshots/view-model.png"; }
exit $status
