# Shared by the shell tests that watch full-screen Engine on $DISPLAY.

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
