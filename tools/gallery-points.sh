#!/usr/bin/env bash
# The gallery's pictures of special points (docs/gallery/points-*.png), taken
# in the window under a virtual X server as a user would work: a closed torus
# without the default surface's symmetry typed in, "Enter", the Gauss
# curvature background, then Foliations > Show Special Points with the
# curvature lines chosen (the pointer over an E3 point, whose data the list
# shows) and with "Coordinate Lines" chosen (every kind).
# Needs xvfb-run, xdotool and ImageMagick (installed when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib/gallery-window.sh

# Screen positions as in tools/gallery.sh (the window at the origin).
menuY=8
backgroundsX=160 foliationsX=241
panelX=2 panelY=21
enterX=670 enterY=509
showSpecialPoints=12   # the item's place in the Foliations menu, separators skipped

type_field() {
  click "$1" "$2" 0.2
  xdotool key ctrl+a
  xdotool type --delay 20 -- "$3"
}
# The pixel of (u, v) of [0, 2 pi] x [0, 2 pi] on the screen.
pixel() { awk -v u="$1" -v v="$2" -v x="$panelX" -v y="$panelY" \
  'BEGIN { s = 547 / (2 * 3.14159265358979); printf "%d %d\n", x + u * s + 0.5, y + 547 - v * s + 0.5 }'; }

type_field 400 584 "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)"
type_field 400 605 "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)"
type_field 400 626 "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v) + 0.2 cos(u + v)"
type_field 400 647 "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v) + 0.15 sin(u - 2v)"
type_field 620 535 "0"
type_field 720 535 "2 pi"
type_field 620 557 "0"
type_field 720 557 "2 pi"
click $enterX $enterY 1
choose $backgroundsX 4 4          # Color by Gauss Curv.

choose $foliationsX 2             # Curvature Lines
choose $foliationsX $showSpecialPoints 3
# Curvature lines through a point beside the E3 point at (1.70, 1.37).
read -r cx cy < <(pixel 1.95 1.2)
click "$cx" "$cy" 2
read -r px py < <(pixel 1.6996 1.3700)
xdotool mousemove "$px" "$py"; sleep 0.6
import -window root -crop 788x684+0+0 +repage -strip "$out/points-curvature-window.png"

choose $foliationsX 9             # Erase these lines
choose $foliationsX 1 3           # Coordinate Lines: every kind, searched again
xdotool mousemove 900 740; sleep 0.3
import -window root -crop 548x548+$panelX+$panelY +repage -strip "$out/points-every-kind.png"

echo "Wrote $out/points-curvature-window.png and $out/points-every-kind.png"
