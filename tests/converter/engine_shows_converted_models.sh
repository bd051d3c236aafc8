#!/usr/bin/env bash
# engine_shows_converted_models.sh CONVERTER BUILD MODELS REFERENCE
# Engine under Wine showing two models of Debian's assimp-testmodels (folder
# MODELS) converted by the native CONVERTER with the texture it bakes, each in
# a scratch copy of BUILD's run-time folder. REFERENCE is the shipped cube's
# picture. Pixels are counted in a 160 x 128 copy of the screen with the
# overlay's corner blacked out (its background is blue).
# - BoxTextured.glb, its image inside the file: the picture holds the green and
#   the blue that ImageMagick finds in that image, which the cube's lacks.
# - 2CylinderEngine.glb, seven materials of plain colours: blue and grey parts
#   show, where the shipped texture would make all of them sand.
# - a sphere of 299,000 triangles made here as OBJ, without normals: the
#   converter's smooth normals and threaded writer on a large model, Engine's
#   reader on its 70 MB file. The lit picture is a disk: square around it and
#   filling pi/4 of that square, whichever way the sphere has turned.
# And, without Engine: the staged run-time folder left as it was, and an
# image of the user's own set up in place of the baked texture.
set -u
converter=$1 build=$2 models=$3 reference=$4
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

start_wine_on_display || exit 1

status=0
fail() { echo "FAILED: $1"; status=1; }

# show MODEL SHOT: converts MODEL, runs Engine, saves the screen to SHOT;
# fails (and says so) if Engine did not show it.
show() {
  local prepared run=$scratch/${1##*/}
  prepared=$(prepare_model_run "$run" "$build" "$converter" "$1") || { echo "$prepared"; fail "${1##*/} was not shown"; return 1; }
  echo "$prepared"
  (cd "$run/bin" && exec wine ./Engine.exe) &
  engine_pid=$!
  local lit=0
  await_lit_centre "$2" || lit=1
  end_with_escape "$engine_pid" || { fail "Engine did not end on Escape"; return 1; }
  engine_pid=""
  local r g b
  read -r r g b < <(centre "$2")
  echo "centre of the screen: $r $g $b"
  [ $lit -eq 0 ] || { fail "the centre of the screen is black"; return 1; }
}

box=$scratch/box.png logo=$models/glTF2/BoxTextured-glTF/CesiumLogoFlat.png
if show "$models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb" "$box"; then
  # The same image as the one inside the .glb, decoded by ImageMagick.
  logo_green=$(pixels "$logo" "$green") logo_blue=$(pixels "$logo" "$blue")
  echo "the image as ImageMagick decodes it: $logo_green green and $logo_blue blue pixels in 160 x 128"
  [ "$logo_green" -gt 2000 ] && [ "$logo_blue" -gt 2000 ] || fail "the reference image lacks its green and blue"
  expect_shown "$box" "$reference" 200 green blue
fi

parts=$scratch/engine.png
show "$models/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb" "$parts" && expect_shown "$parts" "$reference" 50 blue grey

# sphere_obj FILE: a unit sphere of 300 rings of 500 quads, cut in two
# triangles each (one at the poles), counter-clockwise seen from outside.
sphere_obj() {
  python3 - "$1" <<'PY'
import math, sys
rings, segments = 300, 500
lines = []
for r in range(1, rings):
    theta = math.pi * r / rings
    for s in range(segments):
        phi = 2 * math.pi * s / segments
        lines.append("v %.6f %.6f %.6f" % (math.sin(theta) * math.cos(phi), math.cos(theta), math.sin(theta) * math.sin(phi)))
lines += ["v 0 1 0", "v 0 -1 0"]
top, bottom = (rings - 1) * segments + 1, (rings - 1) * segments + 2
at = lambda r, s: (r - 1) * segments + s % segments + 1  # ring 1 to rings-1
for s in range(segments):
    lines.append("f %d %d %d" % (top, at(1, s + 1), at(1, s)))
    lines.append("f %d %d %d" % (bottom, at(rings - 1, s), at(rings - 1, s + 1)))
    for r in range(1, rings - 1):
        lines.append("f %d %d %d" % (at(r, s), at(r, s + 1), at(r + 1, s + 1)))
        lines.append("f %d %d %d" % (at(r, s), at(r + 1, s + 1), at(r + 1, s)))
with open(sys.argv[1], "w") as f:
    f.write("\n".join(lines) + "\n")
PY
}

# expect_disk SHOT: the lit pixels off the overlay are a disk as wide as high,
# filling pi/4 of their bounding box (a square would fill all of it).
expect_disk() {
  local box lit
  read -r box lit < <(convert "$1" -fill black -draw 'rectangle 0,0 159,159' -colorspace gray -threshold 4% \
                        -format '%@ %[fx:round(mean*w*h)]' info:)
  echo "Engine: $lit lit pixels in a box of ${box%%+*}"
  awk -v box="${box%%+*}" -v lit="$lit" 'BEGIN {
    split(box, side, "x"); fill = lit / (side[1] * side[2])
    exit !(side[1] > 200 && side[1] / side[2] > 0.93 && side[1] / side[2] < 1.07 && fill > 0.74 && fill < 0.83)
  }' || fail "the sphere does not show as a disk"
}

ball=$scratch/sphere.png
mkdir -p "$scratch/models" && sphere_obj "$scratch/models/sphere.obj" || fail "could not make the sphere"
show "$scratch/models/sphere.obj" "$ball" && expect_disk "$ball"

# The models were shown from scratch copies: the staged run-time folder keeps
# the shipped cube and texture.
for file in cube.txt seafloor.dds; do
  cmp -s "$build/Engine/data/$file" "$(dirname "$reference")/data/$file" || fail "the staged $file changed"
done

# An image of the user's own (tools/run's --texture): nothing baked, and the
# image as it is, or as PNG where Engine's loader takes no such file (TGA,
# written from the bottom row as such files are: ImageMagick's -auto-orient
# turns it back).
convert "$logo" -flip "tga:$scratch/logo.tga" || fail "could not make a TGA image"
for image in "$logo" "$scratch/logo.tga"; do
  own=$scratch/own
  summary=$(prepare_model_run "$own" "$build" "$converter" "$models/glTF2/BoxTextured-glTF/BoxTextured.gltf" "$image") ||
    { fail "${image##*/} was not prepared"; continue; }
  [[ $summary == *"texture coordinates as they are, no texture baked"* ]] && [ ! -e "$own/Engine/data/cube.dds" ] ||
    fail "a texture was baked beside ${image##*/}: $summary"
  [ "$(head -c 4 "$own/Engine/data/seafloor.dds" | od -An -tx1 | tr -d ' \n')" = 89504e47 ] &&
    cmp -s <(convert "$own/Engine/data/seafloor.dds" rgba:-) <(convert "$logo" rgba:-) ||
    fail "${image##*/} is not the texture as a PNG of the same texels"
done

if [ $status -ne 0 ]; then
  mkdir -p "$build/screenshots" && cp "$box" "$parts" "$ball" "$build/screenshots/" 2>/dev/null
  echo "pictures: $build/screenshots/box.png, engine.png, sphere.png"
fi
exit $status
