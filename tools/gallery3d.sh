#!/usr/bin/env bash
# The gallery's two pictures of the 3D view (docs/gallery/view3d-*.png),
# drawn by velmora4-cli render3d - the window's renderer - under a virtual X
# server with Mesa's software OpenGL.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh xvfb xauth libgl1-mesa-dri
tools/configure.sh >/dev/null
cmake --build build/release -j 2 --target velmora4-cli
cli=build/release/cli/velmora4-cli
out=docs/gallery
mkdir -p "$out"
run() { xvfb-run -a -s "-screen 0 1280x1024x24" "$cli" render3d --size 800 "$@"; }
# The default surface coloured by its Gauss curvature, with the zero Gauss
# curvature and parabolic loci and curvature lines through one point, turned
# in the xw and yz planes and seen in perspective from the fourth axis.
run --out "$out/view3d-gauss-curvature.png" --background 3 --locus 3 --locus 0 --lines 1 --from 1.72,1.40 \
    --rotate xw=35,yz=25 --projection perspective --camera -35,25,0.8
# The Clifford torus on the 3-sphere of radius sqrt 2, not turned, and
# projected stereographically, coloured by the dropped fourth coordinate,
# with the coordinate lines through one point.
run --out "$out/view3d-clifford-stereographic.png" --x 'cos(u)' --y 'sin(u)' --z 'cos(v)' --w 'sin(v)' \
    --u 0,'2 pi' --v 0,'2 pi' --colour-by depth --lines 0 --from 1,2 \
    --projection stereographic --camera -20,50,0.4 --mesh 300
echo "Wrote $out/view3d-gauss-curvature.png and $out/view3d-clifford-stereographic.png"
