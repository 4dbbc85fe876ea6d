#!/usr/bin/env bash
# Builds the Debian package from a finished build, unpacks it into a scratch root and runs the
# installed programs from there: both report the package's version, and the tool keys a picture as
# the build's own tool does. Arguments: BUILD_DIR VERSION SAMPLE_PICTURE.
set -euo pipefail
build=$1 version=$2 sample=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "package test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/out/velsaro_*.deb) || fail "no package made"

[ "$(dpkg-deb -f "$deb" Package)" = velsaro ] || fail "wrong package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for runtime in libqt6core6 libqt6gui6 libqt6widgets6 fonts-liberation; do
  [[ $depends == *"$runtime"* ]] || fail "Depends lacks $runtime: $depends"
done

dpkg -x "$deb" "$work/root"
usr=$work/root/usr
[ -x "$usr/bin/velsaro" ] || fail "velsaro not installed"
grep -qx 'Categories=Graphics;2DGraphics;' "$usr/share/applications/velsaro.desktop" \
  || fail "desktop entry missing or without its category"
grep -q '^Comment\[es\]=' "$usr/share/applications/velsaro.desktop" || fail "desktop entry lacks its Spanish comment"
[ -s "$usr/share/icons/hicolor/scalable/apps/velsaro.svg" ] || fail "icon not installed"

"$usr/bin/velsaro-clave" --help | grep -q '^Uso: velsaro-clave' || fail "installed --help"
[ "$("$usr/bin/velsaro-clave" --version)" = "velsaro-clave $version" ] || fail "velsaro-clave --version"
[ "$("$usr/bin/velsaro" --version)" = "velsaro $version" ] || fail "velsaro --version"

expected=$("$build/cli/velsaro-clave" "$sample" | cut -d' ' -f1)
[ -n "$expected" ] || fail "the build's tool gave no key"
[ "$("$usr/bin/velsaro-clave" "$sample" | cut -d' ' -f1)" = "$expected" ] || fail "installed tool keys differently"
installed_sample="$usr/share/doc/velsaro/samples/$(basename "$sample")"
[ "$("$usr/bin/velsaro-clave" "$installed_sample" | cut -d' ' -f1)" = "$expected" ] \
  || fail "installed sample keys differently"
echo "package test: $(basename "$deb") installs and runs"
