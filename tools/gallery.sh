#!/usr/bin/env bash
# Screenshots of the window for docs/gallery.md, taken under a virtual X
# server as a user would work: "Enter" on the default surface, then each
# background, all seven loci together, and each line family from one click;
# last the whole window at device pixel ratio 1 and 2 (QT_SCALE_FACTOR).
# Needs xvfb-run, xdotool and ImageMagick (installed when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib/gallery-window.sh

# Screen positions (the window sits at the origin; the menu bar is 19 pixels high).
menuY=8
lociX=95 backgroundsX=160 foliationsX=241
panelX=2 panelY=21          # top-left pixel of the main panel
enterX=670 enterY=509

park() { xdotool mousemove 900 740; sleep 0.3; }
panelShot() { park; import -window root -crop 548x548+$panelX+$panelY +repage -strip "$out/$1.png"; }
windowShot() { park; import -window root -crop 788x684+0+0 +repage -strip "$out/$1.png"; }

click $enterX $enterY 1

names=(origin-depth bxc angle-h-major-axis gauss-curvature discr-normal-deviation discr-lateral-deviation
       discr-strong-principal)
for k in 0 1 2 3 4 5 6; do
  choose $backgroundsX $((k + 1)) 4
  panelShot "background-$k-${names[$k]}"
done
choose $backgroundsX 8   # Erase Background

for k in 0 1 2 3 4 5 6; do choose $lociX $((k + 1)) 1; done
panelShot loci

choose $lociX 8          # Erase these Loci
families=(coordinate curvature asymptotic mean-curvature principal extremal-normal-deviation
          extremal-lateral-deviation strong-principal)
clickX=$((panelX + 150)) clickY=$((panelY + 200))
for f in 1 2 3 4 5 6 7; do
  choose $foliationsX $((f + 1))
  xdotool mousemove $((clickX + 1)) $((clickY + 1)); sleep 0.3   # the directions under the pointer
  click $clickX $clickY 2
  panelShot "lines-$f-${families[$f]}"
  choose $foliationsX 9  # Erase these lines
done

# The whole window: the Gauss curvature background, the loci and curvature lines.
choose $backgroundsX 4 4
for k in 0 1 2 3 4 5 6; do choose $lociX $((k + 1)) 1; done
choose $foliationsX 2
click $clickX $clickY 2
xdotool mousemove $((panelX + 420)) $((panelY + 200)); sleep 0.5
import -window root -crop 788x684+0+0 +repage -strip "$out/window.png"

# Another surface, without the symmetry that makes every invariant of the
# default one depend on v alone.
type_field() {  # x y text: replaces the text of the edit at (x, y)
  click "$1" "$2" 0.2
  xdotool key ctrl+a
  xdotool type --delay 20 -- "$3"
}
type_field 400 584 "u"
type_field 400 605 "v"
type_field 400 626 "u^2 + 2 v^2"
type_field 400 647 "u v + 0.5 v^3 + u^2 v"
type_field 620 535 "-1"
type_field 720 535 "1"
type_field 620 557 "-1"
type_field 720 557 "1"
click $enterX $enterY 1
choose $backgroundsX 4 4
for k in 0 1 2 3 4 5 6; do choose $lociX $((k + 1)) 1; done
choose $foliationsX 2
click $((panelX + 380)) $((panelY + 150)) 2
xdotool mousemove $((panelX + 200)) $((panelY + 420)); sleep 0.5
import -window root -crop 788x684+0+0 +repage -strip "$out/window-other-surface.png"

kill $program 2>/dev/null || true
wait $program 2>/dev/null || true

# The window at device pixel ratio 1 and 2: the Gauss curvature background,
# three loci, curvature lines from one click, and the frozen ellipse panel
# projecting onto the pointer's line. Positions are logical, times the scale.
ratioShot() {
  local s=$1
  QT_SCALE_FACTOR=$s build/release/app/velmora4 &
  program=$!
  xdotool search --sync --name VelmoraR4 >/dev/null
  sleep 1.5
  at() { xdotool mousemove $(($1 * s)) $(($2 * s)); sleep "${3:-0.3}"; }
  press() { at "$1" "$2" 0.1; xdotool click 1; sleep "${3:-0.3}"; }
  pick() {
    press "$1" "$menuY" 0.4
    for ((i = 0; i < $2; ++i)); do xdotool key Down; done
    xdotool key Return
    sleep "${3:-0.5}"
  }
  press $enterX $enterY 1
  pick $backgroundsX 4 4
  for k in 1 2 4; do pick $lociX "$k" 1; done
  pick $foliationsX 2
  at 153 222; press 152 221 2
  at 420 221 0.6
  xdotool key ctrl; sleep 0.3
  at 640 300 0.6
  import -window root -crop $((788 * s))x$((684 * s))+0+0 +repage -strip "$out/window-${s}x.png"
  kill $program
  wait $program 2>/dev/null || true
}
ratioShot 1
ratioShot 2
