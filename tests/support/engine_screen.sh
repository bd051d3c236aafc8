# Shared by the shell tests that watch full-screen Engine on $DISPLAY.

# Wine ready to draw: the prefix, its services, and a display (the caller's,
# else a virtual one that stop_xvfb ends). Needs tools/lib/common.sh.
start_wine_on_display() {
  wine_environment
  display_answers || start_xvfb || return 1
  ensure_prefix && start_wine_services
}

# centre IMAGE: red, green and blue of the middle 16 x 16 pixels, 0 to 255.
centre() {
  convert "$1" -gravity center -crop 16x16+0+0 +repage -scale 1x1! \
    -format '%[fx:round(255*r)] %[fx:round(255*g)] %[fx:round(255*b)]' info:
}

# await_lit_centre SHOT: takes screenshots into SHOT for up to 30 seconds until
# the centre of the screen is lit (the first frame); fails if it never is.
# Then waits a second more and takes SHOT again, the picture to check.
await_lit_centre() {
  local r g b lit=1
  for _ in $(seq 60); do
    sleep 0.5
    import -window root "$1" 2>/dev/null || continue
    read -r r g b < <(centre "$1")
    [ $((r + g + b)) -gt 60 ] && { lit=0; break; }
  done
  sleep 1
  import -window root "$1"
  return $lit
}

# end_with_escape PID: holds Escape for a second, as a user would, and waits up
# to ten seconds for PID to end; fails if it did not.
end_with_escape() {
  xdotool keydown Escape; sleep 1; xdotool keyup Escape
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

# pixels IMAGE CONDITION [DRAWING]: how many pixels of a 160 x 128 copy meet
# the -fx condition, after DRAWING.
pixels() {
  convert "$1" ${3:+-fill black -draw "$3"} -scale 160x128! -fx "($2) ? 1 : 0" -format '%[fx:round(mean*w*h)]' info:
}
# On the screen, without the overlay.
shown() { pixels "$1" "$2" 'rectangle 0,0 159,159'; }
green='g > r + 0.06 && g > b + 0.06'
blue='b > r + 0.1 && b > g + 0.06'
grey='abs(r - g) < 0.04 && abs(g - b) < 0.04 && r > 0.2'

# expect_shown SHOT REFERENCE MINIMUM COLOUR...: more than MINIMUM pixels of
# each COLOUR (a condition above, by name) show on SHOT, and the first is
# absent from REFERENCE, the shipped cube's picture; failures go to the
# caller's fail.
expect_shown() {
  local shot=$1 reference=$2 minimum=$3 colour count counts="" cube
  shift 3
  cube=$(shown "$reference" "${!1}")
  [ "$cube" -eq 0 ] || fail "the cube's picture already holds $1"
  for colour in "$@"; do
    count=$(shown "$shot" "${!colour}")
    counts+=" $count $colour,"
    [ "$count" -gt "$minimum" ] || fail "too little $colour shows"
  done
  echo "Engine:${counts%,} pixels (the cube's picture: $cube $1)"
}
