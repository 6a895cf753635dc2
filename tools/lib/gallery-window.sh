# Sourced by the gallery scripts (tools/gallery.sh, tools/gallery-points.sh):
# builds the window, runs the calling script again inside a virtual X server,
# and there starts the window with a settings folder of its own (so that it
# opens where the scripts' screen positions expect it, whatever earlier runs
# remembered, and remembers nothing). Leaves out (the pictures' folder),
# program (the window's process) and window (its X window), and the helpers
# click X Y [PAUSE] and choose MENU-X N [PAUSE] (the caller sets menuY).
if [ -z "${DISPLAY:-}" ] || [ "${1:-}" != "--inside" ]; then
  tools/deps.sh xvfb xdotool imagemagick
  tools/configure.sh >/dev/null
  cmake --build build/release -j 2 --target velmora4
  exec xvfb-run -a -s "-screen 0 1700x1450x24" "$0" --inside
fi

out=docs/gallery
mkdir -p "$out"
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
build/release/app/velmora4 &
program=$!
trap 'kill $program 2>/dev/null || true; rm -rf "$XDG_CONFIG_HOME"' EXIT
window=$(xdotool search --sync --name VelmoraR4 | head -1)
sleep 1

click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.3}"; }
# Opens a menu and chooses its n-th item (separators are skipped).
choose() {
  click "$1" "$menuY" 0.4
  for ((i = 0; i < $2; ++i)); do xdotool key Down; done
  xdotool key Return
  sleep "${3:-0.5}"
}
