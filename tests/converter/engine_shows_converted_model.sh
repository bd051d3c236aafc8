#!/usr/bin/env bash
# engine_shows_converted_model.sh CONVERTER BUILD MODEL REFERENCE
# Engine under Wine showing MODEL (a textured glTF 2 model) converted by the
# native CONVERTER, with the model's own texture, in a scratch copy of BUILD's
# run-time folder: the centre of the screen is lit, and the picture holds
# green, which the shipped cube's picture REFERENCE has none of.
set -u
converter=$1 build=$2 model=$3 reference=$4
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
. "$tools/lib/common.sh"
. "$tools/lib/model_run.sh"
. "$(dirname "$0")/../support/engine_screen.sh"

if [ ! -x "$converter" ]; then
  echo "$converter is missing: the host preset builds it (tools/test does so first)"
  exit 77
fi
scratch=$(mktemp -d "$build/converted-model-test.XXXXXX") || exit 1
engine_pid=""
finish() {
  if [ -n "$engine_pid" ] && kill -0 "$engine_pid" 2>/dev/null; then
    echo "Engine did not end on Escape; stopping it"
    kill "$engine_pid"
  fi
  stop_xvfb
  rm -rf "$scratch"
}
trap finish EXIT

prepared=$(prepare_model_run "$scratch" "$build" "$converter" "$model") || { echo "$prepared"; exit 1; }
echo "$prepared"
grep -q "^texture: .*\.png$" <<<"$prepared" || { echo "FAILED: the model's own texture was not used"; exit 1; }

wine_environment
display_answers || start_xvfb || exit 1
ensure_prefix
start_wine_services

# Pixels of a 160 x 128 copy where green clearly leads red and blue.
green_pixels() {
  convert "$1" -scale 160x128! -fx '(g > r + 0.06 && g > b + 0.06) ? 1 : 0' -format '%[fx:round(mean*w*h)]' info:
}

cd "$scratch/bin" || exit 1
wine ./Engine.exe &
engine_pid=$!
lit=""
await_lit_centre "$scratch/shot.png" && lit=yes
end_with_escape "$engine_pid"

status=0
read -r r g b < <(centre "$scratch/shot.png")
echo "centre of the screen: $r $g $b"
[ -n "$lit" ] && [ $((r + g + b)) -gt 60 ] || { echo "FAILED: the centre of the screen is black"; status=1; }
green=$(green_pixels "$scratch/shot.png") cube_green=$(green_pixels "$reference")
echo "green pixels in 160 x 128: $green (the cube's picture: $cube_green)"
[ "$cube_green" -eq 0 ] && [ "$green" -gt 200 ] || { echo "FAILED: the picture does not differ from the cube's"; status=1; }
if [ $status -ne 0 ]; then
  mkdir -p "$build/screenshots" && cp "$scratch/shot.png" "$build/screenshots/converted-model-failed.png"
  echo "picture: $build/screenshots/converted-model-failed.png"
fi
exit $status
