#!/usr/bin/env bash
# Builds the Debian package from a finished build, has lintian check it, unpacks it into a scratch root
# and runs the installed programs from there: both report the package's version, the tool keys a
# picture as the build's own tool does, both manual pages render without a warning, and the tool's
# describes every option its --help lists.
# Arguments: BUILD_DIR VERSION SAMPLE_PICTURE.
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
for runtime in libqt6core6 libqt6gui6 libqt6widgets6 fonts-liberation qt6-translations-l10n; do
  [[ $depends == *"$runtime"* ]] || fail "Depends lacks $runtime: $depends"
done

# Lintian's errors (E:) and warnings (W:) fail; its informational notes and overrides do not.
if ! lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 \
   || grep -qE '^[EW]: ' "$work/lintian.log"; then
  cat "$work/lintian.log" >&2
  fail "lintian reports errors or warnings, or could not check the package"
fi

dpkg -x "$deb" "$work/root"
usr=$work/root/usr
[ -x "$usr/bin/velsaro" ] || fail "velsaro not installed"
grep -qx 'Categories=Graphics;2DGraphics;' "$usr/share/applications/velsaro.desktop" \
  || fail "desktop entry missing or without its category"
grep -q '^Comment\[es\]=' "$usr/share/applications/velsaro.desktop" || fail "desktop entry lacks its Spanish comment"
# "Open with" hands the program the chosen files, and the desktop offers it for the three formats.
grep -qx 'Exec=velsaro %F' "$usr/share/applications/velsaro.desktop" || fail "desktop entry does not pass files"
grep -qx 'MimeType=image/bmp;image/jpeg;image/gif;' "$usr/share/applications/velsaro.desktop" \
  || fail "desktop entry lacks the picture types"
for type in image/bmp image/jpeg image/gif; do
  grep -q "<mediatype>$type</mediatype>" "$usr/share/metainfo/org.velsaro.velsaro.metainfo.xml" \
    || fail "AppStream metadata does not list $type"
done
[ -s "$usr/share/icons/hicolor/scalable/apps/velsaro.svg" ] || fail "icon not installed"
[ -s "$usr/share/metainfo/org.velsaro.velsaro.metainfo.xml" ] || fail "AppStream metadata not installed"
[ -s "$usr/share/bash-completion/completions/velsaro-clave" ] || fail "bash completion not installed"

# Kept whole first: grep -q stops reading at its match, and the rest of the help would meet a closed pipe.
help=$("$usr/bin/velsaro-clave" --help) || fail "installed --help"
grep -q '^Uso: velsaro-clave' <<<"$help" || fail "installed --help"
[ "$("$usr/bin/velsaro-clave" --version)" = "velsaro-clave $version" ] || fail "velsaro-clave --version"
[ "$("$usr/bin/velsaro" --version)" = "velsaro $version" ] || fail "velsaro --version"
velsaro_help=$("$usr/bin/velsaro" --help) || fail "installed velsaro --help"
grep -q '^Uso: velsaro \[ARCHIVO\.\.\.\]' <<<"$velsaro_help" || fail "velsaro --help gives no usage"

for page in velsaro velsaro-clave; do
  manual=$usr/share/man/man1/$page.1.gz
  [ -s "$manual" ] || fail "manual page $page(1) not installed"
  # By name, as "man velsaro-clave" finds it once installed, with the scratch root's pages only.
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -M "$usr/share/man" "$page" >"$work/man.txt" 2>"$work/man.err" \
    || fail "man could not render $page(1)"
  [ ! -s "$work/man.err" ] || { cat "$work/man.err" >&2; fail "$page(1) renders with warnings"; }
  grep -Eq "^ *$page +- " "$work/man.txt" || fail "$page(1) lacks its name line"
done
# The program's page tells of its file arguments and --help.
LC_ALL=C.UTF-8 MANWIDTH=200 man -M "$usr/share/man" velsaro >"$work/man.txt"
for word in ARCHIVO --help; do
  grep -qF -- "$word" "$work/man.txt" || fail "velsaro(1) does not describe $word"
done
# Every option the installed tool's --help lists is in its manual page.
LC_ALL=C.UTF-8 MANWIDTH=200 man -M "$usr/share/man" velsaro-clave >"$work/man.txt"
options=$(sed -n '/^Opciones:/,/^$/p' <<<"$help" | grep -E '^  -' \
  | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,')
[ -n "$options" ] || fail "no options found in velsaro-clave --help"
for option in $options; do
  grep -qF -- "$option" "$work/man.txt" || fail "velsaro-clave(1) does not describe $option"
done

expected=$("$build/cli/velsaro-clave" "$sample" | cut -d' ' -f1)
[ -n "$expected" ] || fail "the build's tool gave no key"
[ "$("$usr/bin/velsaro-clave" "$sample" | cut -d' ' -f1)" = "$expected" ] || fail "installed tool keys differently"
installed_sample="$usr/share/doc/velsaro/samples/$(basename "$sample")"
[ "$("$usr/bin/velsaro-clave" "$installed_sample" | cut -d' ' -f1)" = "$expected" ] \
  || fail "installed sample keys differently"
echo "package test: $(basename "$deb") installs and runs"
