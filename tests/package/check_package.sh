#!/usr/bin/env bash
# Usage: check_package.sh BUILD_DIR VERSION [PYTHON]
# Builds the Debian package of BUILD_DIR into a scratch folder, checks its
# control fields and contents (the programs, the desktop entry, icon and MIME
# type, the manual pages, the AppStream metadata and the bash completion),
# unpacks it into a scratch root and runs both programs' --version (and
# velmora4-cli on a real computation) from there; with PYTHON (the
# interpreter the Python module was built for), imports the module from the
# unpacked dist-packages and computes with it.
set -euo pipefail
build=$1
version=$2
python=${3:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" > "$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/velmora4_"$version"*_amd64.deb)

fail() { echo "FAIL: $*"; exit 1; }
[ "$(dpkg-deb -f "$deb" Package)" = velmora4 ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt widgets library"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6svg6' || fail "Depends lacks the Qt SVG library (figures, the icon)"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/velmora4 usr/bin/velmora4-cli usr/share/applications/velmora4.desktop \
         usr/share/icons/hicolor/scalable/apps/velmora4.svg usr/share/mime/packages/velmora4.xml \
         usr/share/doc/velmora4/README.md usr/share/man/man1/velmora4.1.gz usr/share/man/man1/velmora4-cli.1.gz \
         usr/share/metainfo/org.velmora4.Velmora4.metainfo.xml usr/share/bash-completion/completions/velmora4-cli; do
  [ -e "$root/$f" ] || fail "missing $f"
done
grep -q '^Exec=velmora4 %f$' "$root/usr/share/applications/velmora4.desktop" || fail "desktop Exec line"

# The manual pages as installed render; the metadata names this release and
# the document type, and launches the installed desktop entry.
for page in velmora4 velmora4-cli; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$root/usr/share/man/man1/$page.1.gz" 2> /dev/null | grep -q "^NAME" ||
    fail "man -l cannot render the installed $page(1)"
done
metainfo=$root/usr/share/metainfo/org.velmora4.Velmora4.metainfo.xml
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata has no release $version"
grep -q '<mediatype>application/x-velmora4</mediatype>' "$metainfo" || fail "the metadata lacks the .vm4 type"
grep -q 'type="application/x-velmora4"' "$root/usr/share/mime/packages/velmora4.xml" || fail "the MIME type"
grep -q '<launchable type="desktop-id">velmora4.desktop</launchable>' "$metainfo" || fail "the metadata's launchable"

out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/velmora4" --version)
[ "$out" = "velmora4 $version" ] || fail "velmora4 --version printed '$out'"
out=$("$root/usr/bin/velmora4-cli" --version)
[ "$out" = "velmora4-cli $version" ] || fail "velmora4-cli --version printed '$out'"
"$root/usr/bin/velmora4-cli" const '2 pi' | grep -q '6.28318530717958' || fail "velmora4-cli const"
# A figure as SVG: the installed program finds Qt's SVG module.
"$root/usr/bin/velmora4-cli" render --out "$scratch/fig.svg" --size 64 --locus 3 &&
  grep -q '<path' "$scratch/fig.svg" || fail "velmora4-cli render of an SVG figure"
if [ -n "$python" ]; then
  site=$root/usr/lib/python3/dist-packages
  ls "$site"/velmora4.cpython-*.so > /dev/null 2>&1 || fail "missing the Python module in /usr/lib/python3/dist-packages"
  [ -e "$site/velmora4.pyi" ] || fail "missing the Python module's stub"
  out=$(cd "$scratch" && PYTHONPATH=$site "$python" -c \
        'import velmora4; print(velmora4.__file__); print(velmora4.Surface().invariants(1.0, 1.0)["K"])') ||
    fail "the Python module does not import from the package"
  case $out in "$site"/velmora4.cpython-*) ;; *) fail "the module was imported from elsewhere: $out" ;; esac
  dpkg-deb -f "$deb" Recommends | grep -q 'python3-numpy' || fail "Recommends lacks python3-numpy"
fi
echo "package $deb: contents, control fields and both programs OK"
