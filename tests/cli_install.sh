#!/usr/bin/env bash
# Installation into a temporary DESTDIR: the programs, the desktop entry (valid
# by desktop-file-validate), the MIME types, the icon, the manual pages and the
# examples land where the desktop looks for them, and the installed zemcalc
# runs. Then the Debian package is built and must name the Qt 6 runtime among
# its dependencies. Usage: cli_install.sh BUILD_DIR
set -u
build=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$dir/root" cmake --install "$build" --prefix /usr >"$dir/install.log" 2>&1 || fail "install: $(tail -5 "$dir/install.log")"
usr="$dir/root/usr"
gui=0
grep -q '^ZEM_GUI:BOOL=ON' "$build/CMakeCache.txt" && gui=1

files=(bin/zemcalc share/man/man1/zemcalc.1 share/doc/zemcad/verification.md share/doc/zemcad/README.md
       share/doc/zemcad/examples/tank.zem share/doc/zemcad/examples/tanks.zes)
[ $gui -eq 1 ] && files+=(bin/zemcad share/man/man1/zemcad.1 share/applications/zemcad.desktop
                          share/mime/packages/zemcad.xml share/icons/hicolor/scalable/apps/zemcad.svg)
for f in "${files[@]}"; do [ -f "$usr/$f" ] || fail "not installed: $f"; done
[ "$("$usr/bin/zemcalc" --version)" = "zemcalc (ZEM CAD 2) 2.0" ] || fail "the installed zemcalc does not run"
for page in "$usr"/share/man/man1/*.1; do
  [ "$(head -c 3 "$page")" = ".TH" ] || fail "$page is not a manual page"
done

if [ $gui -eq 1 ]; then
  desktop-file-validate "$usr/share/applications/zemcad.desktop" || fail "desktop entry"
  xmllint --noout "$usr/share/mime/packages/zemcad.xml" "$usr/share/icons/hicolor/scalable/apps/zemcad.svg" ||
    fail "MIME package or icon is not well-formed"
  # The MIME database built from the package knows both extensions.
  cp -r "$usr/share/mime" "$dir/mime"
  update-mime-database "$dir/mime" >/dev/null 2>&1 || fail "update-mime-database"
  grep -q 'application/x-zemcad-problem:\*\.zem' "$dir/mime/globs" || fail ".zem has no MIME type"
  grep -q 'application/x-zemcad-series:\*\.zes' "$dir/mime/globs" || fail ".zes has no MIME type"
  grep -q '^MimeType=application/x-zemcad-problem;application/x-zemcad-series;$' \
    "$usr/share/applications/zemcad.desktop" || fail "the desktop entry does not open the files"
fi

# The package.
(cd "$dir" && cpack --config "$build/CPackConfig.cmake" -B "$dir/pkg" >"$dir/cpack.log" 2>&1) ||
  fail "cpack: $(tail -5 "$dir/cpack.log")"
deb=$(ls "$dir"/pkg/*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no .deb was built"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins; do
  grep -q "$p" <<<"$depends" || fail "the package does not depend on $p: $depends"
done
dpkg-deb -c "$deb" >"$dir/contents" && grep -q './usr/bin/zemcalc$' "$dir/contents" || fail "zemcalc is not in the package"
echo "1 passed, 0 failed"
